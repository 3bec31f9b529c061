#pragma once
// The content-stream interpreter: runs the operators of a page, form or soft mask and builds
// the objects of the document model.
//
// Coordinates: every content level (the page, a form group, a soft mask) has its own space
// in millipoints; the current transformation matrix (CTM) maps user space (millipoints) into
// the current level's space, so e and f of PDF's cm are scaled by 1000. Clips and layers
// become groups of identity transformation, created lazily when an object is emitted, so
// that a group encloses exactly the objects its clip or layer governs.

#include <io/pdf/PdfSource.h>
#include <io/pdf/reader/ReaderColorSpacesInternal.h>
#include <io/pdf/reader/ReaderContextInternal.h>
#include <io/pdf/reader/ReaderFontsInternal.h>
#include <io/pdf/reader/ReaderImagesInternal.h>
#include <io/pdf/reader/ReaderOptionalContentInternal.h>
#include <mavdoc/Objects.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace CorvelPdf::Detail {

using Operation = PdfOperation;

// Colour-space names that name no resource: the device spaces, Pattern, and the abbreviations
// of inline images.
bool IsDeviceSpaceName(const std::string& name);

// The rendering intent a name (of ri, /RI or an image's /Intent) selects: an unknown name, or
// something else than a name, selects RelativeColorimetric (ISO 32000-1 §8.6.5.8).
MavColor::RenderingIntent RenderingIntentOf(QPDFObjectHandle name);

// An operation kept to be written again, with the resource it names (uninitialised if none).
struct RecordedOp {
  Operation operation;
  std::string category;
  QPDFObjectHandle resource;
};

// Parses a content stream (or an array of them) into operations. Syntax errors are repaired
// as qpdf does and reported as warnings.
std::vector<Operation> ParseContent(ReaderContext& context, QPDFObjectHandle content);

// A clip in force: a clipping path (or clipping text) in the space of the level it was set in.
struct ClipEntry {
  std::uint64_t id = 0;  // order of establishment, shared with marked content
  std::shared_ptr<const Vexl::Compound> outline;
  Vexl::Transformation transformation;
  Vexl::FillRule rule = Vexl::FillRule::NonZero;
  bool text = false;
};

// A tiling pattern chosen as a colour: painted by laying copies of its cell (see
// ReaderTiling.cpp). An uncoloured pattern (PaintType 2) carries the colour scn gave with it.
struct TilingPaint {
  mutable QPDFObjectHandle pattern;  // the pattern stream (mutable: qpdf's accessors are not const)
  std::string name;                  // its resource name, for messages
  bool uncolored = false;
  ColorSpacePtr space;                   // uncoloured: the underlying colour space
  std::vector<double> components;        // uncoloured: the colour in it
  mutable QPDFObjectHandle spaceObject;  // uncoloured: that space as the file gives it
};

// The current fill or stroke colour.
struct PaintState {
  ColorSpacePtr space;
  std::vector<double> components;
  std::shared_ptr<const MavPaint::Paint> flat;
  // A shading pattern: its transformation maps shading space into the level's space.
  std::shared_ptr<const MavPaint::ShadingPaint> shading;
  std::shared_ptr<const TilingPaint> tiling;
  std::string unsupported;  // why the colour cannot be represented (objects are then dropped)
  std::vector<RecordedOp> setting;  // the operators that set it, to write it again
};

// A soft mask set by an ExtGState: its artwork and the CTM (level space → page) at that time.
struct SoftMaskState {
  std::shared_ptr<MavDoc::Content> content;
  bool alpha = false;
  std::vector<MavColor::Component> backdrop;
  MavColor::GroupColorSpace space;
  MavBlend::TransferFunction transfer = true;
  Vexl::Transformation absolute;
};

struct TextState {
  std::shared_ptr<const ReaderFont> font;
  double size = 0;
  double charSpacing = 0;
  double wordSpacing = 0;
  double horizontalScaling = 1;
  double leading = 0;
  double rise = 0;
  int renderingMode = 0;
  std::optional<RecordedOp> fontOp;  // the Tf that chose the font, to write the text again
};

struct GraphicsState {
  Vexl::Transformation ctm;
  std::vector<ClipEntry> clips;
  PaintState fill;
  PaintState stroke;
  MavDoc::StrokeStyle strokeStyle;
  MavBlend::BlendMode blendMode = MavBlend::BlendMode::Normal;
  float fillAlpha = 1;
  float strokeAlpha = 1;
  bool alphaIsShape = false;
  bool textKnockout = true;  // /TK: the runs of a text object knock each other out
  std::shared_ptr<const SoftMaskState> softMask;
  MavDoc::Overprint overprint;
  std::optional<MavColor::RenderingIntent> intent;  // empty until ri or /RI sets one
  TextState text;
  // What an object written again from its source needs besides colour, line style and text
  // state: the graphics-state parameters that are not transparency (overprint, rendering intent,
  // smoothness, transfer and halftone...), and the ri and i operators.
  std::map<std::string, QPDFObjectHandle> passedKeys;
  std::map<std::string, Operation> renderingOps;
};

class Interpreter {
 public:
  // Objects go into `root`, whose space is the page's (`absolute` maps it onto the page);
  // `area` (in root space) is what a shading painted with `sh` fills when nothing clips it.
  Interpreter(ReaderContext& context, MavDoc::Content& root, QPDFObjectHandle resources,
              const Vexl::Transformation& initialCtm, const Vexl::Rectangle& area);
  ~Interpreter();
  Interpreter(const Interpreter&) = delete;
  Interpreter& operator=(const Interpreter&) = delete;

  void Run(QPDFObjectHandle content);
  // Draws an annotation's appearance form, `placement` (millipoints) mapping the form's
  // space onto the page (ISO 32000-1 §12.5.5).
  void RunAppearance(QPDFObjectHandle form, const Vexl::Transformation& placement);

 private:
  struct OpenGroup {
    std::uint64_t id;
    MavDoc::Group* group;
  };
  struct MarkedContent {
    std::uint64_t id;
    std::optional<LayerDefinition> layer;
  };
  struct Level {
    MavDoc::Content* root;
    Vexl::Transformation absolute;
    QPDFObjectHandle resources;
    std::size_t stateBase;
    std::vector<OpenGroup> open;
    std::vector<MarkedContent> marked;
    // The CTM the level's content starts with: its default space, which the matrices of the
    // patterns it uses map onto (ISO 32000-1 §8.7.3.1).
    Vexl::Transformation defaultCtm;
    bool uncolored;  // inside the cell of an uncoloured pattern: colour operators are ignored
  };
  // The parts of a path or text painted with tiling patterns, as groups of tiles (null: that
  // part is not tiled).
  struct TiledParts {
    std::unique_ptr<MavDoc::Group> fill;
    std::unique_ptr<MavDoc::Group> stroke;
    std::string fillFailure;  // why the fill's tiles could not be made (it is then a stand-in)
    std::string strokeFailure;
    bool Any() const { return fill || stroke; }
  };
  using Handler = void (Interpreter::*)(const Operation&);

  static const std::unordered_map<std::string, Handler>& Handlers();
  void Execute(const std::vector<Operation>& operations);
  void Apply(const Operation& operation);
  GraphicsState& State() { return states_.back(); }
  Level& CurrentLevel() { return levels_.back(); }
  QPDFObjectHandle Resource(const char* category, const std::string& name);

  // Structure (ReaderStructure.cpp).
  void PushLevel(MavDoc::Content& root, const Vexl::Transformation& absolute,
                 QPDFObjectHandle resources);
  void PushCellLevel(MavDoc::Content& root, const Vexl::Transformation& absolute,
                     QPDFObjectHandle resources, const TilingPaint& tiling);
  void PopLevel();
  MavDoc::Content& Target();
  MavDoc::ContentObject& Emit(std::unique_ptr<MavDoc::ContentObject> object);
  // Gives a painted object the graphics state's overprint and rendering intent.
  void SetPaintedState(MavDoc::Blendable& painted);
  MavDoc::ContentObject& EmitFilledAndStroked(std::unique_ptr<MavDoc::ContentObject> object);
  // At ET: the text object's glyph runs knock each other out when any of them is transparent.
  void GroupTextObject();
  std::uint64_t NextId() { return ++lastId_; }
  void AddClip(std::shared_ptr<const Vexl::Compound> outline, Vexl::FillRule rule, bool text);
  std::shared_ptr<const MavBlend::Transparency> CurrentTransparency();
  std::shared_ptr<const MavBlend::SoftMask> SoftMaskForLevel(const SoftMaskState& mask, bool alphaIsShape);
  std::shared_ptr<const MavPaint::Paint> PaintFor(const PaintState& paint, bool stroke);
  std::shared_ptr<const MavPaint::Paint> Placeholder();
  void OpBeginMarked(const Operation& op);
  void OpBeginMarkedProperties(const Operation& op);
  void OpEndMarked(const Operation& op);

  // Graphics state (ReaderInterpreter.cpp, ReaderExtGState.cpp).
  void OpSave(const Operation& op);
  void OpRestore(const Operation& op);
  void OpConcat(const Operation& op);
  void OpLineWidth(const Operation& op);
  void OpLineCap(const Operation& op);
  void OpLineJoin(const Operation& op);
  void OpMiterLimit(const Operation& op);
  void OpDash(const Operation& op);
  void OpIgnore(const Operation& op);
  void OpRendering(const Operation& op);
  void OpUnsupported(const Operation& op);
  void OpExtGState(const Operation& op);
  void ApplyExtGStateKey(const std::string& key, QPDFObjectHandle value);
  void SetSoftMask(QPDFObjectHandle mask);
  std::shared_ptr<MavDoc::Content> SoftMaskContent(QPDFObjectHandle form);

  // Paths (ReaderPathOps.cpp).
  void OpMoveTo(const Operation& op);
  void OpLineTo(const Operation& op);
  void OpCurveTo(const Operation& op);
  void OpCurveToV(const Operation& op);
  void OpCurveToY(const Operation& op);
  void OpClosePath(const Operation& op);
  void OpRectangle(const Operation& op);
  void OpPaint(const Operation& op);
  void OpClip(const Operation& op);
  Vexl::Point CurrentPoint() const;
  void PaintPath(bool fill, bool stroke, Vexl::FillRule rule, bool close);
  Vexl::Subpath& OpenSubpath();

  // Source records (ReaderSource.cpp).
  std::shared_ptr<PdfSource> StateSource(bool fill, bool stroke);
  bool PaintsAFormsShadingPattern(bool fill, bool stroke);
  void AddOperation(PdfSource& source, const RecordedOp& recorded);
  void AddTextOperations(PdfSource& source, const Operation& show, const Vexl::Transformation& tm);
  void RecordColor(const Operation& operation, bool replace);
  QPDFObjectHandle DefaultSpaceFor(const std::string& op, QPDFObjectHandle operand);
  std::shared_ptr<PdfSource> TakeTextSource(int paintMode);

  // Colour (ReaderColorOps.cpp, ReaderShadings.cpp).
  void OpSetSpace(const Operation& op);
  void OpSetColor(const Operation& op);
  void OpSetGray(const Operation& op);
  void OpSetRGB(const Operation& op);
  void OpSetCMYK(const Operation& op);
  void SetColor(PaintState& paint, const ColorSpacePtr& space, std::vector<double> values);
  ColorSpacePtr DeviceSpace(const char* name);
  void SetPattern(PaintState& paint, const Operation& operation);
  std::shared_ptr<const MavPaint::Paint> FailedPaint(const std::string& why);

  // Tiling patterns (ReaderTiling.cpp).
  std::shared_ptr<const TilingPaint> ReadTiling(QPDFObjectHandle pattern, const std::string& name,
                                                const PaintState& paint,
                                                const Operation& operation);
  TiledParts TileParts(bool fill, bool stroke, const std::shared_ptr<const Vexl::Compound>& outline,
                       Vexl::FillRule rule, bool text);
  std::unique_ptr<MavDoc::Group> TileGroup(const TilingPaint& tiling,
                                           std::unique_ptr<MavDoc::ContentObject> shape,
                                           const Vexl::Rectangle& shapeBox, bool stroke,
                                           std::string& failure);
  void RunTile(const TilingPaint& tiling, const std::vector<Operation>& operations,
               MavDoc::Group& tile);
  std::shared_ptr<const MavPaint::Paint> PartPaint(const TiledParts& parts, bool stroke);
  void EmitTiled(std::shared_ptr<PdfSource> source, std::unique_ptr<MavDoc::Blendable> flat,
                 TiledParts parts);
  Vexl::Rectangle VisibleArea();
  void OpShade(const Operation& op);

  // XObjects (ReaderXObjects.cpp, ReaderImageOps.cpp).
  void OpDo(const Operation& op);
  void RunForm(QPDFObjectHandle form, const std::string& name,
               const std::optional<RecordedOp>& paintOp = std::nullopt);
  void RunFormContent(QPDFObjectHandle form, MavDoc::Group& group, bool transparencyGroup);
  void DrawImage(QPDFObjectHandle dict, const std::function<std::optional<std::string>()>& data,
                 const RecordedOp& paintOp);
  DecodedImage Decode(QPDFObjectHandle dict,
                      const std::function<std::optional<std::string>()>& data,
                      const RecordedOp& paintOp);
  void OpInlineImage(const Operation& op);
  template <class F>
  void WithinObject(const std::string& where, QPDFObjectHandle optionalContent, F&& body);

  // Text (ReaderTextOps.cpp).
  void OpBeginText(const Operation& op);
  void OpEndText(const Operation& op);
  void OpTextState(const Operation& op);
  void OpFont(const Operation& op);
  void OpTextMove(const Operation& op);
  void OpTextMatrix(const Operation& op);
  void OpNextLine(const Operation& op);
  void OpShowText(const Operation& op);
  void OpShowSpaced(const Operation& op);
  void OpShowNextLine(const Operation& op);
  void ShowString(const std::string& bytes, Vexl::CompoundFactory& glyphs, std::string& characters);
  void EmitText(Vexl::CompoundFactory& glyphs, std::string characters);

  ReaderContext& context_;
  Vexl::Rectangle area_;
  std::vector<GraphicsState> states_;
  std::vector<Level> levels_;
  std::vector<QPDFObjGen> formStack_;
  std::uint64_t lastId_ = 0;

  std::vector<Vexl::Subpath> path_;
  std::vector<Operation> pathOps_;     // the operators that built path_
  const Operation* showing_ = nullptr;  // the text-showing operation being run
  std::string unreadable_;              // why the object being made is only a stand-in
  Vexl::Transformation showMatrix_;     // the text matrix when it started
  std::optional<Vexl::FillRule> pendingClip_;

  int tileDepth_ = 0;                              // patterns whose tiles are being made
  std::map<QPDFObjGen, DecodedImage> tileImages_;  // images decoded meanwhile

  bool inText_ = false;
  Vexl::Transformation textMatrix_;
  Vexl::Transformation lineMatrix_;
  std::shared_ptr<Vexl::CompoundFactory> textClip_;
  std::vector<MavDoc::ContentObject*> textRuns_;  // what this text object painted, in order
  bool textRunsGroupable_ = true;  // false once it painted something not in textRuns_
  bool textTransparent_ = false;
};

}  // namespace CorvelPdf::Detail

namespace CorvelPdf::Detail {

// Runs `body` for one object of the content: errors get the object's name ("form /Fm1"), and
// an /OC entry puts what the object paints into its layer.
template <class F>
void Interpreter::WithinObject(const std::string& where, QPDFObjectHandle optionalContent,
                               F&& body) {
  std::optional<LayerDefinition> layer;
  if (!optionalContent.isNull()) layer = context_.Layers().LayerOf(optionalContent);
  const std::size_t levelCount = levels_.size();
  if (layer) CurrentLevel().marked.push_back({NextId(), std::move(layer)});
  try {
    body();
  } catch (const ReadError& e) {
    throw e.Within(where);
  } catch (const std::exception& e) {
    throw ReadError(where, e.what());
  }
  if (layer && levels_.size() == levelCount) CurrentLevel().marked.pop_back();
}

}  // namespace CorvelPdf::Detail
