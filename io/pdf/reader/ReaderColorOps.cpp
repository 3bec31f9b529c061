#include <io/pdf/reader/ReaderInterpreterInternal.h>
#include <io/pdf/reader/ReaderOperandsInternal.h>
#include <io/pdf/reader/ReaderShadingsInternal.h>

namespace CorvelPdf::Detail {

void Interpreter::SetColor(PaintState& paint, const ColorSpacePtr& space,
                           std::vector<double> values) {
  paint.space = space;
  paint.shading.reset();
  paint.tiling.reset();
  paint.unsupported.clear();
  if (space->family == ReaderColorSpace::Family::Pattern) {
    paint.components.clear();
    paint.flat.reset();  // the initial pattern paints nothing (ISO 32000-1 §8.6.8)
    return;
  }
  paint.components = std::move(values);
  paint.flat.reset();
  if (!space->paintsNothing) {
    paint.flat = MavPaint::FlatPaint::Factory(MakeColor(*space, paint.components),
                                              &context_.Document(), nullptr)
                     .Get();
  }
}

void Interpreter::OpSetSpace(const Operation& operation) {
  if (CurrentLevel().uncolored) return;  // the cell of an uncoloured pattern sets no colour
  auto& paint = operation.op == "CS" ? State().stroke : State().fill;
  auto name = LastOperand(operation);
  if (!name.isName()) throw BadOperands{};
  ColorSpacePtr space;
  try {
    space = ReadColorSpace(context_, name, CurrentLevel().resources);
  } catch (const ReadError& e) {
    context_.Warn("colour space " + name.getName() + " unreadable (" + e.Why() +
                  "): objects painted in it dropped");
    paint = PaintState{};
    paint.space = DeviceGraySpace();
    paint.unsupported = "unreadable colour space";
    RecordColor(operation, true);
    return;
  }
  SetColor(paint, space, space->initial);
  RecordColor(operation, true);
}

void Interpreter::OpSetColor(const Operation& operation) {
  if (CurrentLevel().uncolored) return;
  auto& paint = operation.op == "SC" || operation.op == "SCN" ? State().stroke : State().fill;
  if (!paint.space) throw BadOperands{};
  if (paint.space->family == ReaderColorSpace::Family::Pattern) {
    SetPattern(paint, operation);
    RecordColor(operation, false);
    return;
  }
  if (!paint.unsupported.empty()) return;
  SetColor(paint, paint.space,
           NumberOperands(operation, static_cast<std::size_t>(paint.space->ComponentCount())));
  RecordColor(operation, false);
}

// A device space as the current resources see it: their default colour space when they have one.
ColorSpacePtr Interpreter::DeviceSpace(const char* name) {
  return ReadColorSpace(context_, QPDFObjectHandle::newName(name), CurrentLevel().resources);
}

void Interpreter::OpSetGray(const Operation& operation) {
  if (CurrentLevel().uncolored) return;
  SetColor(operation.op == "G" ? State().stroke : State().fill, DeviceSpace("/DeviceGray"),
           NumberOperands(operation, 1));
  RecordColor(operation, true);
}

void Interpreter::OpSetRGB(const Operation& operation) {
  if (CurrentLevel().uncolored) return;
  SetColor(operation.op == "RG" ? State().stroke : State().fill, DeviceSpace("/DeviceRGB"),
           NumberOperands(operation, 3));
  RecordColor(operation, true);
}

void Interpreter::OpSetCMYK(const Operation& operation) {
  if (CurrentLevel().uncolored) return;
  SetColor(operation.op == "K" ? State().stroke : State().fill, DeviceSpace("/DeviceCMYK"),
           NumberOperands(operation, 4));
  RecordColor(operation, true);
}

void Interpreter::SetPattern(PaintState& paint, const Operation& operation) {
  const std::string name = NameOperand(operation);
  paint.flat.reset();
  paint.shading.reset();
  paint.tiling.reset();
  paint.unsupported.clear();
  auto pattern = Resource("/Pattern", name);
  auto dict = pattern.isStream() ? pattern.getDict() : pattern;
  if (!dict.isDictionary()) {
    paint.unsupported = "pattern /" + name + " missing from the resources";
    return;
  }
  if (NumberOr(dict.getKey("/PatternType"), 0) == 1) {
    try {
      paint.tiling = ReadTiling(pattern, name, paint, operation);
    } catch (const ReadError& e) {
      paint.unsupported = "tiling pattern /" + name + " unreadable (" + e.Why() + ")";
    }
    return;
  }
  if (NumberOr(dict.getKey("/PatternType"), 0) != 2) {
    paint.unsupported = "pattern /" + name + " of unknown type";
    return;
  }
  if (dict.hasKey("/ExtGState"))
    context_.Warn("graphics state of shading patterns not supported yet (ignored)");
  try {
    auto shading =
        ReadShadingPaint(context_, dict.getKey("/Shading"), CurrentLevel().resources, true);
    if (shading.paint) paint.shading = shading.paint->Transformed(MatrixOf(dict.getKey("/Matrix")));
  } catch (const std::invalid_argument& e) {
    // Values the model refuses (a function whose ends differ in length): Ghostscript paints
    // nothing with such a pattern, and neither does the page read here.
    context_.Warn("shading pattern /" + name + " damaged (" + e.what() +
                  "): objects painted with it paint nothing");
  } catch (const std::exception& e) {
    paint.unsupported = "shading pattern /" + name + " unreadable (" + e.what() + ")";
  }
}

void Interpreter::OpShade(const Operation& operation) {
  const std::string name = NameOperand(operation);
  auto shading = Resource("/Shading", name);
  if (shading.isNull()) {
    context_.Warn("shading missing from the resources: sh ignored");
    return;
  }
  ShadingRead read;
  try {
    read = ReadShadingPaint(context_, shading, CurrentLevel().resources, false);
  } catch (const std::exception& e) {
    context_.Warn("shading /" + name + " unreadable (" + e.what() + "): dropped");
    return;
  }
  if (!read.paint) return;
  Vexl::Rectangle box = read.box;
  if (box.IsNull()) {
    // Without /BBox, sh paints the whole clip: the page area narrowed to the clips' boxes, so
    // that a shading clipped to a small shape is not taken for a page-wide one (transparency
    // above it would involve everything on the page).
    const Vexl::Rectangle visible = VisibleArea();
    if (visible.IsNull()) return;  // clipped away
    try {
      box = Vexl::TransformBox(visible, State().ctm.Inverse());
    } catch (const std::invalid_argument&) {
      return;  // a singular CTM paints nothing
    }
  }
  auto path = std::make_unique<MavDoc::Path>(Vexl::MakeRectangle(box));
  path->SetTransformation(State().ctm, 0);
  auto source = StateSource(false, false);
  AddOperation(*source, {operation, "Shading", shading});
  path->SetSource(std::move(source));
  path->SetFillPaint(read.paint);
  path->SetTransparency(CurrentTransparency());
  Emit(std::move(path));
}

}  // namespace CorvelPdf::Detail
