#include <compositing/Program.h>
#include <compositing/ProgramInternal.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <stdexcept>
#include <string>

namespace Composite {

namespace {

using Detail::CompiledGroup;
using Detail::CompiledMask;
using Detail::CompiledSource;
using Detail::ProgramData;

// The largest input index accepted; far above any real fill, low enough that a corrupted
// index cannot make the program allocate gigabytes.
constexpr int kMaxInputIndex = 1 << 20;

[[noreturn]] void Fail(const std::string& message) {
  throw std::invalid_argument("Composite: " + message);
}

void CheckUnit(double value, const std::string& what) {
  if (!(value >= 0 && value <= 1)) {
    Fail(what + " is " + std::to_string(value) + ", outside [0, 1]");
  }
}

void CheckTints(const std::vector<float>& tints, const SeparationSpace& space,
                const std::string& what) {
  if (tints.size() != space.Size()) {
    Fail(what + " has " + std::to_string(tints.size()) + " tints but its colour space has " +
         std::to_string(space.Size()) + " separations");
  }
  for (std::size_t i = 0; i < tints.size(); ++i) {
    CheckUnit(tints[i], "the tint of separation \"" + space.GetNames()[i] + "\" of " + what);
  }
}

std::vector<float> DefaultBackdrop(const SeparationSpace& space) {
  std::vector<float> backdrop(space.Size(), 0.0f);
  const ProcessInks& process = space.GetProcessInks();
  if (process.black >= 0) {
    backdrop[static_cast<std::size_t>(process.black)] = 1;
    return backdrop;
  }
  for (int index : {process.cyan, process.magenta, process.yellow}) {
    if (index >= 0) backdrop[static_cast<std::size_t>(index)] = 1;
  }
  return backdrop;
}

std::vector<float> SampleTransfer(const std::function<double(double)>& transfer) {
  std::vector<float> table(Detail::kTransferTableSize);
  for (int i = 0; i < Detail::kTransferTableSize; ++i) {
    const double x = static_cast<double>(i) / (Detail::kTransferTableSize - 1);
    const double y = transfer(x);
    if (std::isnan(y)) Fail("the soft mask's transfer function gives NaN at " + std::to_string(x));
    table[static_cast<std::size_t>(i)] = static_cast<float>(y < 0 ? 0 : (y > 1 ? 1 : y));
  }
  return table;
}

// Turns a component tree into ProgramData, validating every value on the way.
class Compiler {
 public:
  explicit Compiler(ProgramData& data) : data_(data) {}

  void CompilePage(const Node& root) {
    data_.groups.emplace_back();
    CompiledGroup page;
    page.space = 0;
    page.isolated = true;
    page.sources.push_back(CompileNode(root, {0, true, false, false, 1}));
    page.varying = page.sources.back().varying;
    data_.groups[0] = std::move(page);
  }

 private:
  // Where a node is compiled: the space of its parent group and facts about its backdrop.
  struct Context {
    int space;
    bool backdropEmpty;
    bool shapeNeeded;
    bool alphaOnly;
    int depth;
  };

  CompiledSource CompileNode(const Node& node, const Context& context) {
    if (const auto* element = std::get_if<Element>(&node.content)) {
      return CompileElement(*element, context);
    }
    return CompileGroupSource(std::get<Group>(node.content), context);
  }

  void CompileAttributes(CompiledSource& source, float constantAlpha, bool alphaIsShape,
                         BlendMode mode, const std::shared_ptr<const SoftMask>& mask, int depth) {
    CheckUnit(constantAlpha, "a constant alpha");
    IsSeparable(mode);  // throws for a value outside the enumeration
    source.constantAlpha = constantAlpha;
    source.alphaIsShape = alphaIsShape;
    source.mode = mode;
    if (mask) {
      source.mask = CompileMask(mask, depth + 1);
      source.varying = source.varying || data_.masks[source.mask].varying;
    }
  }

  CompiledSource CompileElement(const Element& element, const Context& context) {
    const SeparationSpace& space = data_.spaces[context.space];
    CompiledSource source;
    CheckUnit(element.shape, "an element's shape");
    CheckUnit(element.opacity, "an element's opacity");
    source.shape = element.shape;
    source.opacity = element.opacity;
    if (element.input == kFlat) {
      CheckTints(element.tints, space, "an element");
      source.tints = element.tints;
    } else {
      RegisterInput(element, space);
      source.input = element.input;
      source.varying = true;
    }
    source.keepsBackdrop = CompileOverprint(element, space);
    // Last: compiling a mask adds spaces, which moves `space`.
    CompileAttributes(source, element.constantAlpha, element.alphaIsShape, element.blendMode,
                      element.softMask, context.depth);
    return source;
  }

  static std::vector<bool> CompileOverprint(const Element& element, const SeparationSpace& space) {
    if (element.keepsBackdrop.empty()) return {};
    if (element.keepsBackdrop.size() != space.Size()) {
      Fail("an element's overprint names " + std::to_string(element.keepsBackdrop.size()) +
           " separations but its colour space has " + std::to_string(space.Size()));
    }
    std::vector<bool> keeps = element.keepsBackdrop;
    if (!IsSeparable(element.blendMode)) {
      // C, M and Y blend as one colour: they keep the backdrop together or not at all.
      const ProcessInks& ink = space.GetProcessInks();
      bool all = true;
      for (int c : {ink.cyan, ink.magenta, ink.yellow}) all = all && (c < 0 || keeps[c]);
      if (!all) {
        for (int c : {ink.cyan, ink.magenta, ink.yellow}) {
          if (c >= 0) keeps[static_cast<std::size_t>(c)] = false;
        }
      }
    }
    if (std::find(keeps.begin(), keeps.end(), true) == keeps.end()) return {};
    return keeps;
  }

  void RegisterInput(const Element& element, const SeparationSpace& space) {
    if (element.input < 0 || element.input > kMaxInputIndex) {
      Fail("input index " + std::to_string(element.input) + " is not valid");
    }
    if (!element.tints.empty()) {
      Fail("an element that takes its tints from input " + std::to_string(element.input) +
           " must not also give constant tints");
    }
    const auto index = static_cast<std::size_t>(element.input);
    if (data_.inputChannels.size() <= index) data_.inputChannels.resize(index + 1, -1);
    const int channels = static_cast<int>(space.Size());
    int& known = data_.inputChannels[index];
    if (known >= 0 && known != channels) {
      Fail("input " + std::to_string(index) + " is used with " + std::to_string(known) +
           " and with " + std::to_string(channels) + " tints");
    }
    known = channels;
  }

  CompiledSource CompileGroupSource(const Group& group, const Context& context) {
    CompiledSource source;
    source.isGroup = true;
    source.group = CompileGroup(group.elements, group.isolated, group.knockout, context);
    source.varying = data_.groups[source.group].varying;
    CompileAttributes(source, group.constantAlpha, group.alphaIsShape, group.blendMode,
                      group.softMask, context.depth);
    return source;
  }

  int CompileGroup(const std::vector<Node>& elements, bool isolated, bool knockout,
                   const Context& context) {
    if (context.depth > Program::kMaxNesting) {
      Fail("groups and soft masks nest deeper than " + std::to_string(Program::kMaxNesting));
    }
    const int index = static_cast<int>(data_.groups.size());
    data_.groups.emplace_back();
    CompiledGroup group;
    group.space = context.space;
    group.isolated = isolated;
    group.knockout = knockout;
    group.backdropEmpty = context.backdropEmpty;
    group.shapeNeeded = context.shapeNeeded;
    group.alphaOnly = context.alphaOnly;
    const bool initialEmpty = isolated || context.backdropEmpty;
    for (std::size_t i = 0; i < elements.size(); ++i) {
      const bool childBackdropEmpty = initialEmpty && (knockout || i == 0);
      group.sources.push_back(CompileNode(
          elements[i], {context.space, childBackdropEmpty, knockout || context.shapeNeeded,
                        context.alphaOnly, context.depth + 1}));
      const CompiledSource& source = group.sources.back();
      group.varying = group.varying || source.varying;
      group.readsBackdrop = group.readsBackdrop || ReadsBackdrop(source);
    }
    group.readsBackdrop = group.readsBackdrop || knockout;
    data_.groups[static_cast<std::size_t>(index)] = std::move(group);
    return index;
  }

  bool ReadsBackdrop(const CompiledSource& source) const {
    if (source.mode != BlendMode::Normal || !source.keepsBackdrop.empty()) return true;
    if (!source.isGroup) return false;
    const CompiledGroup& nested = data_.groups[static_cast<std::size_t>(source.group)];
    return !nested.isolated && nested.readsBackdrop;
  }

  int CompileMask(const std::shared_ptr<const SoftMask>& mask, int depth) {
    if (const auto known = maskIndex_.find(mask.get()); known != maskIndex_.end()) {
      return known->second;
    }
    const bool luminosity = mask->kind == SoftMask::Kind::Luminosity;
    if (!luminosity && mask->kind != SoftMask::Kind::Alpha) Fail("unknown soft mask kind");
    if (luminosity && !mask->space.HasOnlyProcessInks()) {
      Fail("a luminosity soft mask's colour space may not hold spot separations");
    }
    CompiledMask compiled;
    compiled.kind = mask->kind;
    const int space = static_cast<int>(data_.spaces.size());
    data_.spaces.push_back(mask->space);
    compiled.backdrop = mask->backdrop.empty() ? DefaultBackdrop(mask->space) : mask->backdrop;
    CheckTints(compiled.backdrop, mask->space, "a soft mask's backdrop");
    compiled.transfer = mask->transfer;
    compiled.group = CompileGroup(mask->elements, mask->isolated, mask->knockout,
                                  {space, !luminosity, false, !luminosity, depth});
    compiled.varying = data_.groups[static_cast<std::size_t>(compiled.group)].varying;
    if (compiled.varying && compiled.transfer)
      compiled.transferTable = SampleTransfer(mask->transfer);
    const int index = static_cast<int>(data_.masks.size());
    data_.masks.push_back(std::move(compiled));
    if (!data_.masks.back().varying) {
      const double value = Detail::EvaluateMaskAtPoint(data_, index, {});
      data_.masks.back().constantValue = value;
      data_.masks.back().constantReady = true;
    }
    maskIndex_.emplace(mask.get(), index);
    return index;
  }

  ProgramData& data_;
  std::map<const SoftMask*, int> maskIndex_;
};

void CheckPointInputs(const ProgramData& data, std::span<const PointInput> inputs) {
  if (inputs.size() < data.inputChannels.size()) {
    Fail("the program reads " + std::to_string(data.inputChannels.size()) + " inputs but " +
         std::to_string(inputs.size()) + " were given");
  }
  for (std::size_t i = 0; i < data.inputChannels.size(); ++i) {
    if (data.inputChannels[i] < 0) continue;
    const std::string what = "input " + std::to_string(i);
    if (inputs[i].tints.size() != static_cast<std::size_t>(data.inputChannels[i])) {
      Fail(what + " has " + std::to_string(inputs[i].tints.size()) + " tints, expected " +
           std::to_string(data.inputChannels[i]));
    }
    for (float tint : inputs[i].tints) CheckUnit(tint, "a tint of " + what);
    CheckUnit(inputs[i].shape, "the shape of " + what);
  }
}

}  // namespace

Program::Program(SeparationSpace space, const Node& root) {
  auto data = std::make_shared<ProgramData>();
  data->spaces.push_back(std::move(space));
  Compiler(*data).CompilePage(root);
  data_ = std::move(data);
}

const SeparationSpace& Program::GetSpace() const { return data_->spaces.front(); }

std::size_t Program::GetInputCount() const { return data_->inputChannels.size(); }

std::size_t Program::GetInputChannelCount(std::size_t index) const {
  if (index >= data_->inputChannels.size() || data_->inputChannels[index] < 0) return 0;
  return static_cast<std::size_t>(data_->inputChannels[index]);
}

std::vector<float> Program::EvaluatePoint(std::span<const PointInput> inputs) const {
  CheckPointInputs(*data_, inputs);
  const std::vector<double> tints = Detail::EvaluatePageAtPoint(*data_, inputs);
  return std::vector<float>(tints.begin(), tints.end());
}

}  // namespace Composite
