// Type 3 fonts: each glyph is a small content stream (its glyph procedure). Its filled and
// stroked paths, in the font's glyph space mapped by /FontMatrix, are the glyph's outline, so
// that Type 3 text is a shape like any other text. Glyph procedures that paint images or
// shadings, or colour themselves (d0), are read as far as their paths go and reported.
#include <io/pdf/reader/ReaderType3Internal.h>

#include <io/pdf/reader/ReaderFontsInternal.h>
#include <io/pdf/reader/ReaderInterpreterInternal.h>
#include <io/pdf/reader/ReaderOperandsInternal.h>
#include <vexl/Stroke.h>

#include <algorithm>
#include <map>
#include <set>

namespace CorvelPdf::Detail {

namespace {

constexpr double kStrokeTolerance = 0.5;  // glyph units: 1/2000 of the text size

Vexl::Transformation RawMatrix(const std::vector<double>& m) { return {m[0], m[1], m[2], m[3], m[4], m[5]}; }

// Runs one glyph procedure, collecting what it paints.
class GlyphProcedure {
 public:
  GlyphProcedure(ReaderContext& context, const Vexl::Transformation& toGlyphUnits)
      : context_(context), toGlyphUnits_(toGlyphUnits) {}

  std::shared_ptr<const Vexl::Compound> Run(QPDFObjectHandle procedure) {
    for (const Operation& operation : ParseContent(context_, procedure)) {
      try {
        Apply(operation);
      } catch (const std::exception&) {
        // A bad operator in a glyph spoils that operator only, as in page content.
        context_.Warn("Type 3 glyph with bad operands: operator " + operation.op + " skipped");
      }
    }
    return std::make_shared<const Vexl::Compound>(std::move(glyph_));
  }

 private:
  struct State {
    Vexl::Transformation ctm;
    Vexl::StrokeParameters pen;
  };

  Vexl::Point At(const std::vector<double>& v, std::size_t i) const { return {v[i], v[i + 1]}; }

  void Apply(const Operation& operation) {
    const std::string& op = operation.op;
    if (op == "q") {
      stack_.push_back(state_);
    } else if (op == "Q") {
      if (!stack_.empty()) state_ = stack_.back(), stack_.pop_back();
    } else if (op == "cm") {
      state_.ctm = RawMatrix(NumberOperands(operation, 6)) * state_.ctm;
    } else if (op == "w") {
      state_.pen.width = NumberOperands(operation, 1)[0];
    } else if (op == "J") {
      state_.pen.cap = static_cast<Vexl::CapStyle>(std::clamp(static_cast<int>(NumberOperands(operation, 1)[0]), 0, 2));
    } else if (op == "j") {
      state_.pen.join = static_cast<Vexl::JoinStyle>(std::clamp(static_cast<int>(NumberOperands(operation, 1)[0]), 0, 2));
    } else if (op == "M") {
      state_.pen.miterLimit = NumberOperands(operation, 1)[0];
    } else if (op == "m") {
      path_.emplace_back(At(NumberOperands(operation, 2), 0));
    } else if (op == "l" || op == "c" || op == "v" || op == "y") {
      AddSegment(op, operation);
    } else if (op == "h") {
      if (!path_.empty()) path_.back().SetClosed(true);
    } else if (op == "re") {
      const auto v = NumberOperands(operation, 4);
      Vexl::Subpath box({v[0], v[1]}, true);
      box.LineTo({v[0] + v[2], v[1]});
      box.LineTo({v[0] + v[2], v[1] + v[3]});
      box.LineTo({v[0], v[1] + v[3]});
      path_.push_back(std::move(box));
    } else if (op == "f" || op == "F" || op == "f*" || op == "S" || op == "s" || op == "B" || op == "B*" ||
               op == "b" || op == "b*" || op == "n") {
      Paint(op);
    } else if (op == "d0") {
      Report("Type 3 glyphs that colour themselves (d0) read in the text's colour");
    } else if (op == "BI" || op == "Do" || op == "sh") {
      Report("Type 3 glyphs painting images or shadings: only their paths are read");
    }
  }

  void AddSegment(const std::string& op, const Operation& operation) {
    if (path_.empty()) return;  // no current point: nothing to extend
    Vexl::Subpath& s = path_.back();
    if (op == "l") {
      s.LineTo(At(NumberOperands(operation, 2), 0));
    } else if (op == "c") {
      const auto v = NumberOperands(operation, 6);
      s.CubicTo(At(v, 0), At(v, 2), At(v, 4));
    } else if (op == "v") {
      const auto v = NumberOperands(operation, 4);
      s.CubicTo(s.GetEnd(), At(v, 0), At(v, 2));
    } else {
      const auto v = NumberOperands(operation, 4);
      s.CubicTo(At(v, 0), At(v, 2), At(v, 2));
    }
  }

  void Paint(const std::string& op) {
    const bool close = op == "s" || op == "b" || op == "b*";
    if (close && !path_.empty()) path_.back().SetClosed(true);
    const bool fill = op != "S" && op != "s" && op != "n";
    const bool stroke = op == "S" || op == "s" || op == "B" || op == "B*" || op == "b" || op == "b*";
    if (op.back() == '*') Report("Type 3 glyphs filled by the even-odd rule read by the nonzero rule");
    const Vexl::Compound path(std::move(path_));
    path_.clear();
    const Vexl::Transformation t = state_.ctm * toGlyphUnits_;
    if (fill) {
      const Vexl::Compound filled = path * t;
      for (const auto& subpath : filled.GetSubpaths()) glyph_.push_back(subpath);
    }
    if (stroke) {
      const auto outline = Vexl::OutlineStroke(path, state_.pen, t, kStrokeTolerance);
      for (const auto& subpath : outline.GetSubpaths()) glyph_.push_back(subpath);
    }
  }

  void Report(const std::string& message) {
    if (reported_.insert(message).second) context_.Warn(message);
  }

  ReaderContext& context_;
  Vexl::Transformation toGlyphUnits_;
  State state_;
  std::vector<State> stack_;
  std::vector<Vexl::Subpath> path_;
  std::vector<Vexl::Subpath> glyph_;
  std::set<std::string> reported_;
};

}  // namespace

std::array<std::shared_ptr<const Vexl::Compound>, 256> ReadType3Glyphs(ReaderContext& context,
                                                                       QPDFObjectHandle font) {
  std::array<std::shared_ptr<const Vexl::Compound>, 256> glyphs;
  std::vector<double> matrix{0.001, 0, 0, 0.001, 0, 0};
  if (auto m = font.getKey("/FontMatrix"); m.isArray()) {
    const auto numbers = NumbersOf(m, "/FontMatrix");
    if (numbers.size() == 6) matrix = numbers;
  }
  const auto toGlyphUnits = RawMatrix(matrix) * Vexl::Transformation::Scaling(kGlyphUnits, kGlyphUnits);
  auto procedures = font.getKey("/CharProcs");
  auto encoding = font.getKey("/Encoding");
  auto differences = encoding.isDictionary() ? encoding.getKey("/Differences") : QPDFObjectHandle::newNull();
  if (!procedures.isDictionary() || !differences.isArray()) {
    context.Warn("Type 3 font without /CharProcs or /Differences: its text has empty glyphs");
    return glyphs;
  }
  std::map<std::string, std::shared_ptr<const Vexl::Compound>> byName;
  unsigned code = 0;
  for (auto& item : differences.aitems()) {
    if (item.isNumber()) {
      code = static_cast<unsigned>(std::max(0.0, item.getNumericValue()));
      continue;
    }
    if (!item.isName() || code >= 256) continue;
    const std::string name = item.getName();
    if (!byName.count(name)) {
      auto procedure = procedures.getKey(name);
      byName[name] = procedure.isStream() ? GlyphProcedure(context, toGlyphUnits).Run(procedure) : nullptr;
    }
    glyphs[code++] = byName[name];
  }
  return glyphs;
}

}  // namespace CorvelPdf::Detail
