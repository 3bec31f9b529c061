#include <io/pdf/reader/ReaderImagesInternal.h>
#include <io/pdf/reader/ReaderInterpreterInternal.h>
#include <io/pdf/reader/ReaderOperandsInternal.h>
#include <mavdoc/Builder.h>

#include <algorithm>
#include <cmath>

namespace CorvelPdf::Detail {

namespace {

bool FlagOf(QPDFObjectHandle dict, const char* key) {
  auto value = dict.getKey(key);
  return value.isBool() && value.getBoolValue();
}

}  // namespace

void Interpreter::OpDo(const Operation& operation) {
  const std::string name = NameOperand(operation);
  auto xobject = Resource("/XObject", name);
  if (!xobject.isStream()) {
    context_.Warn("XObject missing from the resources: Do ignored");
    return;
  }
  auto dict = xobject.getDict();
  auto subtype = dict.getKey("/Subtype");
  if (subtype.isNameAndEquals("/Form")) {
    WithinObject("form /" + name, dict.getKey("/OC"),
                 [&] { RunForm(xobject, name, RecordedOp{operation, "XObject", xobject}); });
  } else if (subtype.isNameAndEquals("/Image")) {
    WithinObject("image /" + name, dict.getKey("/OC"),
                 [&] {
                   DrawImage(dict, [&] { return ImageStreamData(context_, xobject); },
                             {operation, "XObject", xobject});
                 });
  } else {
    context_.Warn("XObject of subtype " + subtype.unparse() + " ignored");
  }
}

void Interpreter::OpInlineImage(const Operation& operation) {
  if (operation.operands.size() != 2) throw BadOperands{};
  auto dict = ExpandInlineImageDict(operation.operands[0]);
  const std::string raw = operation.operands[1].getStringValue();
  // An inline image may name a colour space of the resources.
  RecordedOp recorded{operation, "", {}};
  for (const char* key : {"/CS", "/ColorSpace"}) {
    auto space = operation.operands[0].getKey(key);
    if (space.isName() && !IsDeviceSpaceName(space.getName())) {
      recorded.category = "ColorSpace";
      recorded.resource = Resource("/ColorSpace", NameOf(space));
    }
  }
  WithinObject("inline image", QPDFObjectHandle::newNull(), [&] {
    DrawImage(dict, [&] { return InlineImageData(context_, dict, raw); }, recorded);
  });
}

// Tiles paint the same images again and again: while tiles are made, an image XObject is
// decoded once (unless its colour space is a resource name, which each tile's resources resolve).
DecodedImage Interpreter::Decode(QPDFObjectHandle dict,
                                 const std::function<std::optional<std::string>()>& data,
                                 const RecordedOp& paintOp) {
  QPDFObjectHandle stream = paintOp.resource;
  auto space = dict.getKey("/ColorSpace");
  const bool shareable = tileDepth_ > 0 && stream.isInitialized() && stream.isStream() &&
                         stream.isIndirect() &&
                         !(space.isName() && !IsDeviceSpaceName(space.getName()));
  if (!shareable) return DecodeImage(context_, dict, data, CurrentLevel().resources);
  if (auto found = tileImages_.find(stream.getObjGen()); found != tileImages_.end())
    return found->second;
  auto image = DecodeImage(context_, dict, data, CurrentLevel().resources);
  tileImages_.emplace(stream.getObjGen(), image);
  return image;
}

void Interpreter::DrawImage(QPDFObjectHandle dict,
                            const std::function<std::optional<std::string>()>& data,
                            const RecordedOp& paintOp) {
  DecodedImage image;
  if (!context_.KeepUnreadable()) {
    image = Decode(dict, data, paintOp);
    if (!image.picture) return;
  } else {
    // An image that cannot be decoded stays in the file as it is: a stand-in takes its place.
    QPDFObjectHandle named = paintOp.operation.operands.empty() ? QPDFObjectHandle::newNull()
                                                                : paintOp.operation.operands[0];
    const std::string what = named.isName() ? "image " + named.getName() : "inline image";
    try {
      image = Decode(dict, data, paintOp);
      if (!image.picture) unreadable_ = what + " cannot be decoded";
    } catch (const ReadError& e) {
      context_.Warn("image kept as it is: " + e.Why());
      unreadable_ = what + ": " + e.Why();
    }
    if (!image.picture) {
      image = DecodedImage{};
      image.picture = StandInPicture(context_);
    }
  }
  std::unique_ptr<MavDoc::ContentObject> object;
  auto transparency = CurrentTransparency();
  if (image.stencil) {
    auto paint = PaintFor(State().fill, false);
    if (!paint) return;
    auto mask = std::make_unique<MavDoc::ImageMask>(image.picture, image.inverted);
    mask->SetTransformation(State().ctm, 0);
    auto source = StateSource(true, false);
    AddOperation(*source, paintOp);
    mask->SetSource(std::move(source));
    mask->SetFillPaint(std::move(paint));
    mask->SetTransparency(std::move(transparency));
    object = std::move(mask);
  } else {
    auto picture = std::make_unique<MavDoc::Image>(image.picture);
    picture->SetTransformation(State().ctm, 0);
    auto source = StateSource(false, false);
    AddOperation(*source, paintOp);
    picture->SetSource(std::move(source));
    if (image.opacity) {
      // The image's own mask replaces the graphics state's (ISO 32000-1 §11.6.5.3): a
      // luminosity mask of its gray opacity image on the same place, black elsewhere.
      auto content = MavDoc::Content::MakeSoftMaskContent(&context_.Document());
      auto opacity = std::make_unique<MavDoc::Image>(image.opacity);
      opacity->SetTransformation(State().ctm, 0);
      content->AddOnTop(std::move(opacity));
      auto mask = MavBlend::SoftMask::Factory(content).SetColorSpace(MavColor::DeviceGray{}).Get();
      transparency =
          MavBlend::Transparency::Factory(transparency).SetSoftMask(std::move(mask)).Get();
    }
    picture->SetTransparency(std::move(transparency));
    object = std::move(picture);
  }
  auto& emitted = Emit(std::move(object));
  // An image's own intent replaces the graphics state's (ISO 32000-1 §8.9.5.1).
  if (!image.stencil && dict.hasKey("/Intent")) {
    dynamic_cast<MavDoc::Blendable&>(emitted).SetRenderingIntent(RenderingIntentOf(dict.getKey("/Intent")));
  }
}

void Interpreter::RunForm(QPDFObjectHandle form, const std::string& name,
                          const std::optional<RecordedOp>& paintOp) {
  const QPDFObjGen id = form.getObjGen();
  if (std::find(formStack_.begin(), formStack_.end(), id) != formStack_.end()) {
    throw ReadError("", "form /" + name + " contains itself");
  }
  if (static_cast<int>(formStack_.size()) >= context_.Limits().maxFormDepth) {
    throw ReadError("",
                    "forms nested deeper than " + std::to_string(context_.Limits().maxFormDepth));
  }
  auto dict = form.getDict();
  const auto toLevel = MatrixOf(dict.getKey("/Matrix")) * State().ctm;
  if (!(std::isfinite(toLevel.Determinant()) && toLevel.Determinant() != 0))
    return;  // paints nothing
  auto attributes = dict.getKey("/Group");
  const bool transparencyGroup =
      attributes.isDictionary() && attributes.getKey("/S").isNameAndEquals("/Transparency");
  auto group = std::make_unique<MavDoc::Group>();
  group->SetTransformation(toLevel, 0);
  if (transparencyGroup) {
    group->SetTransparency(MavBlend::Transparency::Factory(CurrentTransparency())
                               .SetIsolated(FlagOf(attributes, "/I"))
                               .SetKnockout(FlagOf(attributes, "/K"))
                               .Get());
    if (attributes.hasKey("/CS")) {
      group->SetGroupColorSpace(GroupSpaceOf(
          context_, *ReadColorSpace(context_, attributes.getKey("/CS"), CurrentLevel().resources)));
    }
  }
  const auto box = RectangleOf(dict.getKey("/BBox"));
  if (box.IsNull())
    context_.Warn("form without /BBox: not clipped");
  else
    group->AddOnTop(MavDoc::Build::ClipRectangle(box));
  MavDoc::Group& added = *group;
  std::shared_ptr<PdfSource> source;
  if (paintOp) {
    // The form inherits the whole graphics state: colours and line style included.
    source = StateSource(true, true);
    AddOperation(*source, *paintOp);
    source->isForm = true;
  }
  Emit(std::move(group));
  RunFormContent(form, added, transparencyGroup);
  if (added.GetContent().Size() == (box.IsNull() ? 0u : 1u)) {
    added.GetContainer()->Remove(added);
    return;
  }
  if (source) {
    source->members = CountMembers(added.GetContent());
    added.SetSource(std::move(source));
  }
}

void Interpreter::RunAppearance(QPDFObjectHandle form, const Vexl::Transformation& placement) {
  states_.push_back(states_.front());
  State().ctm = placement;
  WithinObject("annotation appearance", form.getDict().getKey("/OC"), [&] {
    RunForm(form, "AP", RecordedOp{{"Do", {QPDFObjectHandle::newName("/AP")}}, "XObject", form});
  });
  states_.pop_back();
}

void Interpreter::RunFormContent(QPDFObjectHandle form, MavDoc::Group& group,
                                 bool transparencyGroup) {
  auto dict = form.getDict();
  auto resources = dict.getKey("/Resources");
  formStack_.push_back(form.getObjGen());
  PushLevel(group.GetContent(), group.GetTransformation() * CurrentLevel().absolute,
            resources.isDictionary() ? resources : CurrentLevel().resources);
  if (transparencyGroup) {
    // A transparency group's own objects start from Normal, alpha 1 and no soft mask
    // (ISO 32000-1 §11.6.6); the group object carries those of the graphics state.
    State().blendMode = MavBlend::BlendMode::Normal;
    State().fillAlpha = State().strokeAlpha = 1;
    State().softMask.reset();
    State().alphaIsShape = false;
  }
  Run(form);
  PopLevel();
  formStack_.pop_back();
}

}  // namespace CorvelPdf::Detail
