#include <mavdoc/Describe.h>

#include <iomanip>
#include <sstream>

namespace MavDoc {

namespace {

std::string Pad(int indent) { return std::string(static_cast<std::size_t>(indent) * 2, ' '); }

std::string DescribePaint(const std::shared_ptr<const MavPaint::Paint>& paint) {
  if (!paint) return "none";
  if (const auto* flat = dynamic_cast<const MavPaint::FlatPaint*>(paint.get())) {
    return "flat [" + DescribeColor(flat->GetColor()) + "]";
  }
  static const char* const kinds[] = {"",       "flat",      "axial",   "radial", "function",
                                      "mesh",   "lattice",   "coons",   "tensor"};
  const int type = paint->GetType();
  return std::string(type >= 1 && type <= 8 ? kinds[type] : "unknown") + " shading";
}

std::string DescribeTransparency(const Blendable& object) {
  const auto& t = *object.GetTransparency();
  std::ostringstream s;
  if (t.GetBlendMode() != MavBlend::BlendMode::Normal) s << " " << BlendModeName(t.GetBlendMode());
  if (t.GetFillAlpha() != 1) s << " alpha " << t.GetFillAlpha();
  if (t.GetStrokeAlpha() != 1) s << " stroke-alpha " << t.GetStrokeAlpha();
  if (t.IsIsolated()) s << " isolated";
  if (t.IsKnockout()) s << " knockout";
  if (t.GetSoftMask()) s << (t.GetSoftMask()->IsAlpha() ? " alpha-mask" : " luminosity-mask");
  return s.str();
}

void DescribeObject(const ContentObject& object, std::ostream& out, int indent) {
  out << Pad(indent);
  if (const auto* layer = dynamic_cast<const Layer*>(&object)) {
    out << "layer \"" << (layer->GetProperties() ? layer->GetProperties()->name : "") << "\"";
  } else if (dynamic_cast<const TextGroup*>(&object)) {
    out << "text group";
  } else if (dynamic_cast<const Group*>(&object)) {
    out << "group";
  } else if (const auto* path = dynamic_cast<const Path*>(&object)) {
    const auto box = path->GetOutline()->GetBoundingBox();
    out << "path " << path->GetOutline()->GetSubpaths().size() << " subpaths, box " << box.x
        << " " << box.y << " " << box.width << " " << box.height
        << ", fill " << DescribePaint(path->GetFillPaint());
    if (path->GetStrokePaint()) out << ", stroke " << DescribePaint(path->GetStrokePaint());
  } else if (const auto* image = dynamic_cast<const Image*>(&object)) {
    const auto& source = image->GetPaintedPicture()->GetPictureData(true)->GetSource();
    out << "image " << source->GetWidth() << " x " << source->GetHeight();
  } else if (dynamic_cast<const ImageMask*>(&object)) {
    out << "image mask";
  } else if (const auto* text = dynamic_cast<const Text*>(&object)) {
    out << "text \"" << text->GetCharacters() << "\"";
  } else {
    out << "object";
  }
  if (object.IsClippingObject()) out << " (clip)";
  if (const auto* blendable = dynamic_cast<const Blendable*>(&object)) {
    out << DescribeTransparency(*blendable);
  }
  out << "\n";
  if (const auto* group = dynamic_cast<const Group*>(&object)) {
    Describe(group->GetContent(), out, indent + 1);
  }
}

}  // namespace

std::string DescribeColor(const MavColor::Color& color) {
  std::ostringstream s;
  s << std::setprecision(4);
  bool first = true;
  for (const auto& entry : color.GetEntries()) {
    s << (first ? "" : ", ") << entry.name << " " << entry.value;
    first = false;
  }
  return s.str();
}

void Describe(const Content& content, std::ostream& out, int indent) {
  for (const ContentObject& child : content.GetChildren()) DescribeObject(child, out, indent);
}

void Describe(const Document& document, std::ostream& out) {
  out << "inks:";
  for (const auto& entry : document.GetSeparationInfo()) out << " \"" << entry.GetName() << "\"";
  out << "\n";
  int number = 0;
  for (const Page* page : document.GetPages()) {
    const auto& box = page->GetPageBox(kMediaBox);
    out << "page " << ++number << " (" << box.width / 1000 << " x " << box.height / 1000
        << " pt)\n";
    Describe(page->GetContent(), out, 1);
  }
}

}  // namespace MavDoc
