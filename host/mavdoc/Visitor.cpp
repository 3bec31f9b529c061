#include <mavdoc/Visitor.h>

#include <mavdoc/Objects.h>

namespace MavDoc {

bool VisitorBase::Visit(TextGroup& x) { return Visit(static_cast<Group&>(x)); }
bool VisitorBase::Visit(Layer& x) { return Visit(static_cast<Group&>(x)); }
bool VisitorBase::Visit(Group& x) { return Visit(static_cast<ContentObject&>(x)); }
bool VisitorBase::Visit(ImageMask& x) { return Visit(static_cast<Blendable&>(x)); }
bool VisitorBase::Visit(Text& x) { return Visit(static_cast<Blendable&>(x)); }
bool VisitorBase::Visit(Path& x) { return Visit(static_cast<Blendable&>(x)); }
bool VisitorBase::Visit(Strokable& x) { return Visit(static_cast<ContentObject&>(x)); }
bool VisitorBase::Visit(Fillable& x) { return Visit(static_cast<ContentObject&>(x)); }
bool VisitorBase::Visit(Image& x) { return Visit(static_cast<Blendable&>(x)); }
bool VisitorBase::Visit(Blendable& x) { return Visit(static_cast<ContentObject&>(x)); }
bool VisitorBase::Visit(Clippable& x) { return Visit(static_cast<ContentObject&>(x)); }
bool VisitorBase::Visit(Transformable& x) { return Visit(static_cast<ContentObject&>(x)); }
bool VisitorBase::Visit(ContentObject&) { return true; }
bool VisitorBase::Visit(PageContent& x) { return Visit(static_cast<Content&>(x)); }
bool VisitorBase::Visit(Content&) { return true; }
bool VisitorBase::Visit(Page&) { return true; }
bool VisitorBase::Visit(Part&) { return true; }
bool VisitorBase::Visit(Parts&) { return true; }
bool VisitorBase::Visit(Document&) { return true; }

void VisitorBase::EndVisit(TextGroup& x) { EndVisit(static_cast<Group&>(x)); }
void VisitorBase::EndVisit(Layer& x) { EndVisit(static_cast<Group&>(x)); }
void VisitorBase::EndVisit(Group& x) { EndVisit(static_cast<ContentObject&>(x)); }
void VisitorBase::EndVisit(ImageMask& x) { EndVisit(static_cast<Blendable&>(x)); }
void VisitorBase::EndVisit(Text& x) { EndVisit(static_cast<Blendable&>(x)); }
void VisitorBase::EndVisit(Path& x) { EndVisit(static_cast<Blendable&>(x)); }
void VisitorBase::EndVisit(Strokable& x) { EndVisit(static_cast<ContentObject&>(x)); }
void VisitorBase::EndVisit(Fillable& x) { EndVisit(static_cast<ContentObject&>(x)); }
void VisitorBase::EndVisit(Image& x) { EndVisit(static_cast<Blendable&>(x)); }
void VisitorBase::EndVisit(Blendable& x) { EndVisit(static_cast<ContentObject&>(x)); }
void VisitorBase::EndVisit(Clippable& x) { EndVisit(static_cast<ContentObject&>(x)); }
void VisitorBase::EndVisit(Transformable& x) { EndVisit(static_cast<ContentObject&>(x)); }
void VisitorBase::EndVisit(ContentObject&) {}
void VisitorBase::EndVisit(PageContent& x) { EndVisit(static_cast<Content&>(x)); }
void VisitorBase::EndVisit(Content&) {}
void VisitorBase::EndVisit(Page&) {}
void VisitorBase::EndVisit(Part&) {}
void VisitorBase::EndVisit(Parts&) {}
void VisitorBase::EndVisit(Document&) {}

}  // namespace MavDoc
