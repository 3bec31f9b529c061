#include <io/pdf/reader/ReaderInterpreterInternal.h>
#include <io/pdf/reader/ReaderOperandsInternal.h>

namespace CorvelPdf::Detail {

void Interpreter::OpBeginText(const Operation&) {
  inText_ = true;
  textMatrix_ = lineMatrix_ = Vexl::Transformation{};
  textClip_.reset();
  textRuns_.clear();
  textRunsGroupable_ = true;
  textTransparent_ = false;
}

// With text knockout on (/TK, the default), a text object's glyphs are one elementary object:
// where runs of one BT ... ET overlap, the later knocks the earlier out instead of compositing
// over it, as a non-isolated knockout group does. The runs move into such a group when they are
// the last members of one content (marked content or a pattern between them leaves them be).
void Interpreter::GroupTextObject() {
  if (!textTransparent_ || !textRunsGroupable_ || textRuns_.size() < 2) return;
  MavDoc::Content* content = textRuns_.front()->GetContainer();
  if (!content || content->Size() < textRuns_.size()) return;
  std::vector<const MavDoc::ContentObject*> members;
  for (const auto& child : content->GetChildren()) members.push_back(&child);
  const std::size_t first = members.size() - textRuns_.size();
  for (std::size_t i = 0; i < textRuns_.size(); ++i) {
    if (members[first + i] != textRuns_[i]) return;
  }
  auto group = std::make_unique<MavDoc::Group>();
  group->SetTransparency(MavBlend::Transparency::Factory().SetKnockout(true).Get());
  for (auto* run : textRuns_) group->AddOnTop(content->Remove(*run));
  content->AddOnTop(std::move(group));
}

void Interpreter::OpEndText(const Operation&) {
  inText_ = false;
  GroupTextObject();
  textRuns_.clear();
  // Clipping text (modes 4 to 7) adds up over the text object and clips from ET on.
  if (textClip_) AddClip(textClip_->GetResult(), Vexl::FillRule::NonZero, true);
  textClip_.reset();
}

void Interpreter::OpTextState(const Operation& operation) {
  const double value = NumberOperands(operation, 1)[0];
  auto& text = State().text;
  const std::string& op = operation.op;
  if (op == "Tc")
    text.charSpacing = value;
  else if (op == "Tw")
    text.wordSpacing = value;
  else if (op == "Tz")
    text.horizontalScaling = value / 100;
  else if (op == "TL")
    text.leading = value;
  else if (op == "Ts")
    text.rise = value;
  else if (value >= 0 && value <= 7)
    text.renderingMode = static_cast<int>(value);
  else
    throw BadOperands{};
}

void Interpreter::OpFont(const Operation& operation) {
  if (operation.operands.size() < 2 || !operation.operands[0].isName()) throw BadOperands{};
  const std::string name = NameOf(operation.operands[0]);
  auto font = Resource("/Font", name);
  State().text.size = NumberOperands(operation, 1)[0];
  State().text.fontOp = RecordedOp{operation, "Font", font};
  if (!font.isDictionary()) {
    context_.Warn("font missing from the resources: its text has empty glyphs");
    State().text.font.reset();
    return;
  }
  WithinObject("font /" + name, QPDFObjectHandle::newNull(),
               [&] { State().text.font = context_.Fonts().Get(context_, font); });
}

void Interpreter::OpTextMove(const Operation& operation) {
  const auto v = NumberOperands(operation, 2);
  if (operation.op == "TD") State().text.leading = -v[1];
  lineMatrix_ = Vexl::Transformation::Translation(v[0], v[1]) * lineMatrix_;
  textMatrix_ = lineMatrix_;
}

void Interpreter::OpTextMatrix(const Operation& operation) {
  const auto m = NumberOperands(operation, 6);
  textMatrix_ = lineMatrix_ = Vexl::Transformation{m[0], m[1], m[2], m[3], m[4], m[5]};
}

void Interpreter::OpNextLine(const Operation&) {
  lineMatrix_ = Vexl::Transformation::Translation(0, -State().text.leading) * lineMatrix_;
  textMatrix_ = lineMatrix_;
}

void Interpreter::OpShowText(const Operation& operation) {
  auto operand = LastOperand(operation);
  if (!operand.isString()) throw BadOperands{};
  Vexl::CompoundFactory glyphs;
  std::string characters;
  showing_ = &operation;
  showMatrix_ = textMatrix_;
  ShowString(operand.getStringValue(), glyphs, characters);
  EmitText(glyphs, std::move(characters));
  showing_ = nullptr;
}

void Interpreter::OpShowNextLine(const Operation& operation) {
  if (operation.op == "\"") {
    const auto& operands = operation.operands;
    if (operands.size() < 3) throw BadOperands{};
    auto wordSpacing = operands[operands.size() - 3];
    auto charSpacing = operands[operands.size() - 2];
    if (!wordSpacing.isNumber() || !charSpacing.isNumber()) throw BadOperands{};
    State().text.wordSpacing = wordSpacing.getNumericValue();
    State().text.charSpacing = charSpacing.getNumericValue();
  }
  OpNextLine(operation);
  OpShowText(operation);
}

void Interpreter::OpShowSpaced(const Operation& operation) {
  auto operand = LastOperand(operation);
  if (!operand.isArray()) throw BadOperands{};
  Vexl::CompoundFactory glyphs;
  std::string characters;
  const auto& text = State().text;
  showing_ = &operation;
  showMatrix_ = textMatrix_;
  for (auto& item : operand.aitems()) {
    if (item.isString()) {
      ShowString(item.getStringValue(), glyphs, characters);
    } else if (item.isNumber()) {
      const double tx = -item.getNumericValue() / 1000 * text.size * text.horizontalScaling;
      textMatrix_ = Vexl::Transformation::Translation(tx, 0) * textMatrix_;
    }
  }
  EmitText(glyphs, std::move(characters));
  showing_ = nullptr;
}

void Interpreter::ShowString(const std::string& bytes, Vexl::CompoundFactory& glyphs,
                             std::string& characters) {
  const auto& text = State().text;
  if (!text.font) {
    context_.Warn("text without a font: empty glyphs");
    return;
  }
  // Glyph space (1000 per text unit) → text space with size, scaling and rise → user
  // space by the text matrix → millipoints (ISO 32000-1 §9.4.4).
  const Vexl::Transformation sizing{
      text.size * text.horizontalScaling, 0, 0, text.size, 0, text.rise};
  for (const auto& glyph : text.font->Decode(bytes)) {
    if (glyph.outline) {
      const auto toUser = Vexl::Transformation::Scaling(0.001, 0.001) * sizing * textMatrix_ *
                          Vexl::Transformation::Scaling(1000, 1000);
      for (const auto& subpath : glyph.outline->GetSubpaths()) glyphs.AddSubpath(subpath * toUser);
    }
    characters += glyph.text;
    const double advance =
        (glyph.width * text.size + text.charSpacing + (glyph.isSpace ? text.wordSpacing : 0)) *
        text.horizontalScaling;
    textMatrix_ = Vexl::Transformation::Translation(advance, 0) * textMatrix_;
  }
}

void Interpreter::EmitText(Vexl::CompoundFactory& glyphs, std::string characters) {
  const auto outline = glyphs.GetResult();
  const int mode = State().text.renderingMode;
  if (mode >= 4) {
    if (!textClip_) textClip_ = std::make_shared<Vexl::CompoundFactory>();
    for (const auto& subpath : outline->GetSubpaths()) textClip_->AddSubpath(subpath);
  }
  const bool drawable = State().text.font && State().text.font->HasOutlines();
  if (outline->IsEmpty() && drawable) return;  // only spaces
  const int paintMode = mode % 4;
  if (mode == 7) return;  // clipping only: the clip carries the glyphs
  const bool filled = paintMode == 0 || paintMode == 2, stroked = paintMode == 1 || paintMode == 2;
  auto tiled = TileParts(filled, stroked, outline, Vexl::FillRule::NonZero, true);
  auto fill = filled ? PartPaint(tiled, false) : nullptr;
  auto stroke = stroked ? PartPaint(tiled, true) : nullptr;
  if (!fill && !stroke && !tiled.Any() && paintMode != 3) return;
  auto text = std::make_unique<MavDoc::Text>(std::move(characters), outline, paintMode);
  text->SetTransformation(State().ctm, 0);
  const bool standIn = !unreadable_.empty();
  auto source = TakeTextSource(paintMode);
  text->SetSource(source);
  if (standIn && !source) return;  // a stand-in that cannot be written back
  text->SetFillPaint(std::move(fill));
  text->SetStrokePaint(std::move(stroke));
  if (stroked) text->SetStrokeStyle(State().strokeStyle);
  auto transparency = CurrentTransparency();
  if (transparency) textTransparent_ = true;
  if (!State().textKnockout) textRunsGroupable_ = false;
  text->SetTransparency(std::move(transparency));
  if (tiled.Any()) {
    // Text painted with a pattern becomes the tiles its glyphs clip (and what else it paints).
    if (!source || source->unreadable.empty()) text->SetSource(nullptr);
    if (!text->GetFillPaint() && !text->GetStrokePaint()) text.reset();
    EmitTiled(std::move(source), std::move(text), std::move(tiled));
    textRunsGroupable_ = false;
  } else if (text->GetFillPaint() && text->GetStrokePaint()) {
    textRuns_.push_back(&EmitFilledAndStroked(std::move(text)));
  } else {
    textRuns_.push_back(&Emit(std::move(text)));
  }
}

}  // namespace CorvelPdf::Detail
