#include <io/pdf/reader/ReaderInterpreterInternal.h>
#include <io/pdf/reader/ReaderOperandsInternal.h>

namespace CorvelPdf::Detail {

namespace {

Vexl::Point PointAt(const std::vector<double>& v, std::size_t i) {
  return {v[i] * 1000, v[i + 1] * 1000};
}

}  // namespace

Vexl::Point Interpreter::CurrentPoint() const {
  if (path_.empty()) throw BadOperands{};
  return path_.back().GetEnd();
}

void Interpreter::OpMoveTo(const Operation& operation) {
  path_.emplace_back(PointAt(NumberOperands(operation, 2), 0));
}

// A segment after h starts a new subpath at the closed one's start (ISO 32000-1 §8.5.2.1).
Vexl::Subpath& Interpreter::OpenSubpath() {
  if (path_.empty()) throw BadOperands{};
  if (path_.back().IsClosed()) path_.emplace_back(path_.back().GetStart());
  return path_.back();
}

void Interpreter::OpLineTo(const Operation& operation) {
  const auto v = NumberOperands(operation, 2);
  OpenSubpath().LineTo(PointAt(v, 0));
}

void Interpreter::OpCurveTo(const Operation& operation) {
  const auto v = NumberOperands(operation, 6);
  OpenSubpath().CubicTo(PointAt(v, 0), PointAt(v, 2), PointAt(v, 4));
}

void Interpreter::OpCurveToV(const Operation& operation) {
  const auto v = NumberOperands(operation, 4);
  const Vexl::Point current = CurrentPoint();
  OpenSubpath().CubicTo(current, PointAt(v, 0), PointAt(v, 2));
}

void Interpreter::OpCurveToY(const Operation& operation) {
  const auto v = NumberOperands(operation, 4);
  OpenSubpath().CubicTo(PointAt(v, 0), PointAt(v, 2), PointAt(v, 2));
}

void Interpreter::OpClosePath(const Operation&) {
  if (!path_.empty()) path_.back().SetClosed(true);
}

void Interpreter::OpRectangle(const Operation& operation) {
  const auto v = NumberOperands(operation, 4);
  const Vexl::Point origin = PointAt(v, 0);
  const double w = v[2] * 1000, h = v[3] * 1000;
  Vexl::Subpath rectangle(origin, true);
  rectangle.LineTo({origin.x + w, origin.y});
  rectangle.LineTo({origin.x + w, origin.y + h});
  rectangle.LineTo({origin.x, origin.y + h});
  path_.push_back(std::move(rectangle));
}

void Interpreter::OpClip(const Operation& operation) {
  pendingClip_ = operation.op == "W*" ? Vexl::FillRule::EvenOdd : Vexl::FillRule::NonZero;
}

void Interpreter::OpPaint(const Operation& operation) {
  const std::string& op = operation.op;
  const bool close = op == "s" || op == "b" || op == "b*";
  const bool stroke = op == "S" || op == "s" || op == "B" || op == "B*" || op == "b" || op == "b*";
  const bool fill = op != "S" && op != "s" && op != "n";
  const auto rule = op.back() == '*' ? Vexl::FillRule::EvenOdd : Vexl::FillRule::NonZero;
  PaintPath(fill, stroke, rule, close);
}

void Interpreter::PaintPath(bool fill, bool stroke, Vexl::FillRule rule, bool close) {
  if (close && !path_.empty()) path_.back().SetClosed(true);
  std::shared_ptr<const Vexl::Compound> outline;
  if (!path_.empty() || pendingClip_)
    outline = std::make_shared<const Vexl::Compound>(std::move(path_));
  path_.clear();
  std::vector<Operation> construction = std::move(pathOps_);
  pathOps_.clear();
  if (outline && !outline->IsEmpty() && (fill || stroke)) {
    auto tiled = TileParts(fill, stroke, outline, rule, false);
    auto fillPaint = fill ? PartPaint(tiled, false) : nullptr;
    auto strokePaint = stroke ? PartPaint(tiled, true) : nullptr;
    if (fillPaint || strokePaint || tiled.Any()) {
      auto path = std::make_unique<MavDoc::Path>(outline);
      path->SetTransformation(State().ctm, 0);
      auto source = StateSource(fill, stroke);
      for (auto& operation : construction) source->operations.push_back(std::move(operation));
      if (close) source->operations.push_back({"h", {}});
      const bool evenOdd = rule == Vexl::FillRule::EvenOdd;
      source->operations.push_back(
          {fill && stroke ? (evenOdd ? "B*" : "B") : fill ? (evenOdd ? "f*" : "f") : "S", {}});
      path->SetSource(source->unreadable.empty() && PaintsAFormsShadingPattern(fill, stroke)
                          ? nullptr
                          : source);
      path->SetFillRule(rule);
      path->SetFillPaint(std::move(fillPaint));
      path->SetStrokePaint(std::move(strokePaint));
      if (stroke) path->SetStrokeStyle(State().strokeStyle);
      path->SetTransparency(CurrentTransparency());
      const bool both = path->GetFillPaint() && path->GetStrokePaint();
      if (tiled.Any()) {
        // The operators paint the whole object: its flat part alone has no record of its own.
        // A stand-in keeps the record that says so.
        if (source->unreadable.empty()) path->SetSource(nullptr);
        if (!path->GetFillPaint() && !path->GetStrokePaint()) path.reset();
        EmitTiled(std::move(source), std::move(path), std::move(tiled));
      } else if (both) {
        EmitFilledAndStroked(std::move(path));
      } else {
        Emit(std::move(path));
      }
    }
  }
  if (pendingClip_) {
    AddClip(outline, *pendingClip_, false);
    pendingClip_.reset();
  }
}

}  // namespace CorvelPdf::Detail
