#pragma once
// Visitors over the document tree.
//
// Accept() calls Visit(x) for the object under its most derived class; when Visit returns
// true the walk descends into the object's children. EndVisit(x) follows in every case, so
// Visit and EndVisit always pair up. The default of each slot forwards to a more general
// slot: TextGroup and Layer to Group, Group to ContentObject; ImageMask, Text, Path and Image
// to Blendable; Strokable, Fillable, Blendable, Clippable and Transformable to ContentObject;
// PageContent to Content. Groups, layers and text groups therefore never reach
// Visit(Blendable&): only drawn objects do. The remaining defaults return true.

namespace MavDoc {

class TextGroup;
class Layer;
class Group;
class ImageMask;
class Text;
class Path;
class Strokable;
class Fillable;
class Image;
class Blendable;
class Clippable;
class Transformable;
class ContentObject;
class PageContent;
class Content;
class Page;
class Part;
class Parts;
class Document;

class VisitorBase {
 public:
  virtual ~VisitorBase() = default;

  virtual bool Visit(TextGroup& object);
  virtual bool Visit(Layer& object);
  virtual bool Visit(Group& object);
  virtual bool Visit(ImageMask& object);
  virtual bool Visit(Text& object);
  virtual bool Visit(Path& object);
  virtual bool Visit(Strokable& object);
  virtual bool Visit(Fillable& object);
  virtual bool Visit(Image& object);
  virtual bool Visit(Blendable& object);
  virtual bool Visit(Clippable& object);
  virtual bool Visit(Transformable& object);
  virtual bool Visit(ContentObject& object);
  virtual bool Visit(PageContent& content);
  virtual bool Visit(Content& content);
  virtual bool Visit(Page& page);
  virtual bool Visit(Part& part);
  virtual bool Visit(Parts& parts);
  virtual bool Visit(Document& document);

  virtual void EndVisit(TextGroup& object);
  virtual void EndVisit(Layer& object);
  virtual void EndVisit(Group& object);
  virtual void EndVisit(ImageMask& object);
  virtual void EndVisit(Text& object);
  virtual void EndVisit(Path& object);
  virtual void EndVisit(Strokable& object);
  virtual void EndVisit(Fillable& object);
  virtual void EndVisit(Image& object);
  virtual void EndVisit(Blendable& object);
  virtual void EndVisit(Clippable& object);
  virtual void EndVisit(Transformable& object);
  virtual void EndVisit(ContentObject& object);
  virtual void EndVisit(PageContent& content);
  virtual void EndVisit(Content& content);
  virtual void EndVisit(Page& page);
  virtual void EndVisit(Part& part);
  virtual void EndVisit(Parts& parts);
  virtual void EndVisit(Document& document);
};

// Anything a visitor can walk.
class Visitable {
 public:
  virtual ~Visitable() = default;
  virtual void Accept(VisitorBase& visitor) = 0;
};

}  // namespace MavDoc
