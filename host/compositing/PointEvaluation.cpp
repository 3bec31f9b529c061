// Reference evaluation of a compiled program at one point, in double precision, written
// directly from the non-premultiplied formulas of ISO 32000-1 §11.3 and §11.4.8.

#include <compositing/BlendFunctions.h>
#include <compositing/ProgramInternal.h>

#include <cmath>
#include <stdexcept>
#include <string>

namespace Composite::Detail {

namespace {

using Colour = std::vector<double>;

double Union(double a, double b) { return a + b - a * b; }

// A group's result as an object: colour, shape and alpha.
struct GroupResult {
  Colour colour;
  double shape = 0;
  double alpha = 0;
};

// One complemented channel of a process role, or white (tint 0) when the space lacks it.
double Additive(const Colour& tints, int index) {
  return index >= 0 ? 1 - tints[static_cast<std::size_t>(index)] : 1;
}

// B applied to whole colours, in tints: complemented around B for separable modes, the RGB
// formula on the complemented C, M, Y for non-separable ones (K from the backdrop, or from
// the source for Luminosity), and Normal for spots under a mode that is not white-preserving
// (ISO 32000-1 §11.3.5, §11.7.4.2).
Colour BlendTints(BlendMode mode, const SeparationSpace& space, const Colour& backdrop,
                  const Colour& source) {
  Colour result = source;
  if (IsSeparable(mode)) {
    const bool spotsBlend = IsWhitePreserving(mode);
    for (std::size_t i = 0; i < result.size(); ++i) {
      if (!spotsBlend && space.IsSpot(i)) continue;
      result[i] = 1 - BlendSeparable(mode, 1 - backdrop[i], 1 - source[i]);
    }
    return result;
  }
  const ProcessInks& ink = space.GetProcessInks();
  const Rgb<double> rgb =
      BlendNonSeparable(mode,
                        Rgb<double>{Additive(backdrop, ink.cyan), Additive(backdrop, ink.magenta),
                                    Additive(backdrop, ink.yellow)},
                        Rgb<double>{Additive(source, ink.cyan), Additive(source, ink.magenta),
                                    Additive(source, ink.yellow)});
  const auto set = [&result](int index, double additive) {
    if (index >= 0) result[static_cast<std::size_t>(index)] = 1 - additive;
  };
  set(ink.cyan, rgb.r);
  set(ink.magenta, rgb.g);
  set(ink.yellow, rgb.b);
  if (ink.black >= 0 && mode != BlendMode::Luminosity) {
    const auto black = static_cast<std::size_t>(ink.black);
    result[black] = backdrop[black];
  }
  return result;
}

// An ink the source overprints: the source paints as a group of one whose unpainted inks are
// the backdrop's (ISO 32000-1 §11.7.4.5), so a separable mode blends the backdrop with itself,
// with Normal for spots under a mode that is not white-preserving; under a non-separable mode
// the inks keep the backdrop.
double OverprintedInk(BlendMode mode, const SeparationSpace& space, std::size_t channel, double tb) {
  if (!IsSeparable(mode) || (space.IsSpot(channel) && !IsWhitePreserving(mode))) return tb;
  return 1 - BlendSeparable(mode, 1 - tb, 1 - tb);
}

double ApplyTransfer(const CompiledMask& mask, double value) {
  if (!mask.transfer) return value;
  const double y = mask.transfer(value);
  if (std::isnan(y)) {
    throw std::invalid_argument("Composite: the soft mask's transfer function gives NaN at " +
                                std::to_string(value));
  }
  return y < 0 ? 0 : (y > 1 ? 1 : y);
}

class PointEvaluator {
 public:
  PointEvaluator(const ProgramData& data, std::span<const PointInput> inputs)
      : data_(data), inputs_(inputs) {}

  GroupResult CompositeGroup(int groupIndex, Colour c0, double a0) const;
  double MaskValue(int maskIndex) const;

 private:
  // The source as an object before its attributes: colour C_s, shape f_j, alpha α_j.
  GroupResult SourceObject(const CompiledSource& source, const Colour& backdrop,
                           double backdropAlpha) const;

  const ProgramData& data_;
  std::span<const PointInput> inputs_;
};

GroupResult PointEvaluator::SourceObject(const CompiledSource& source, const Colour& backdrop,
                                         double backdropAlpha) const {
  if (source.isGroup) return CompositeGroup(source.group, backdrop, backdropAlpha);
  GroupResult object;
  double shape = source.shape;
  if (source.input != kNone) {
    const PointInput& input = inputs_[static_cast<std::size_t>(source.input)];
    object.colour.assign(input.tints.begin(), input.tints.end());
    shape *= input.shape;
  } else {
    object.colour.assign(source.tints.begin(), source.tints.end());
  }
  object.shape = shape;
  object.alpha = shape * source.opacity;
  return object;
}

// The general group algorithm of ISO 32000-1 §11.4.8: C, A are the running colour and alpha
// including the backdrop, AG the alpha of the group's elements alone, FG their shape; b is
// the state the element composites against (the initial one in a knockout group).
GroupResult PointEvaluator::CompositeGroup(int groupIndex, Colour c0, double a0) const {
  const CompiledGroup& group = data_.groups[static_cast<std::size_t>(groupIndex)];
  const SeparationSpace& space = data_.spaces[static_cast<std::size_t>(group.space)];
  if (group.isolated) a0 = 0;
  Colour colour = c0;
  double alpha = a0;
  double groupAlpha = 0;
  double groupShape = 0;
  for (const CompiledSource& source : group.sources) {
    const Colour& cb = group.knockout ? c0 : colour;
    const double ab = group.knockout ? a0 : alpha;
    const double agb = group.knockout ? 0 : groupAlpha;
    const GroupResult object = SourceObject(source, cb, ab);
    const double m = source.mask == kNone ? 1 : MaskValue(source.mask);
    const double k = m * source.constantAlpha;
    const double fs = source.alphaIsShape ? object.shape * k : object.shape;
    const double as = object.alpha * k;
    groupShape = Union(groupShape, fs);
    const double newGroupAlpha = (1 - fs) * groupAlpha + (fs - as) * agb + as;
    const double newAlpha = Union(a0, newGroupAlpha);
    Colour next(colour.size(), 0.0);
    if (newAlpha > 0) {
      Colour blended =
          ab > 0 && as > 0 ? BlendTints(source.mode, space, cb, object.colour) : object.colour;
      if (ab > 0 && as > 0) {
        for (std::size_t i = 0; i < blended.size(); ++i) {
          if (source.KeepsBackdrop(i)) blended[i] = OverprintedInk(source.mode, space, i, cb[i]);
        }
      }
      for (std::size_t i = 0; i < next.size(); ++i) {
        const double ct =
            (fs - as) * ab * cb[i] + as * ((1 - ab) * object.colour[i] + ab * blended[i]);
        next[i] = ((1 - fs) * alpha * colour[i] + ct) / newAlpha;
      }
    }
    colour = std::move(next);
    alpha = newAlpha;
    groupAlpha = newGroupAlpha;
  }
  // Remove the backdrop's contribution (§11.4.8): C = Cn + (Cn − C0)(α0/αg − α0).
  if (groupAlpha > 0 && a0 > 0) {
    for (std::size_t i = 0; i < colour.size(); ++i) {
      colour[i] += (colour[i] - c0[i]) * (a0 / groupAlpha - a0);
      colour[i] = colour[i] < 0 ? 0 : (colour[i] > 1 ? 1 : colour[i]);
    }
  }
  return {std::move(colour), groupShape, groupAlpha};
}

double PointEvaluator::MaskValue(int maskIndex) const {
  const CompiledMask& mask = data_.masks[static_cast<std::size_t>(maskIndex)];
  if (mask.constantReady) return mask.constantValue;
  const CompiledGroup& group = data_.groups[static_cast<std::size_t>(mask.group)];
  const SeparationSpace& space = data_.spaces[static_cast<std::size_t>(group.space)];
  if (mask.kind == SoftMask::Kind::Alpha) {
    return ApplyTransfer(mask, CompositeGroup(mask.group, Colour(space.Size(), 0.0), 0).alpha);
  }
  const Colour bc(mask.backdrop.begin(), mask.backdrop.end());
  const GroupResult result = CompositeGroup(mask.group, bc, 1);
  Colour c(bc.size());
  for (std::size_t i = 0; i < c.size(); ++i) {
    c[i] = (1 - result.alpha) * bc[i] + result.alpha * result.colour[i];
  }
  return ApplyTransfer(mask, LuminosityOfTints(space, c.data()));
}

}  // namespace

double LuminosityOfTints(const SeparationSpace& space, const double* tints) {
  const ProcessInks& ink = space.GetProcessInks();
  const auto additive = [tints](int index) { return index >= 0 ? 1 - tints[index] : 1.0; };
  return (0.30 * additive(ink.cyan) + 0.59 * additive(ink.magenta) + 0.11 * additive(ink.yellow)) *
         additive(ink.black);
}

std::vector<double> EvaluatePageAtPoint(const ProgramData& data,
                                        std::span<const PointInput> inputs) {
  const std::size_t channels = data.spaces.front().Size();
  const GroupResult page = PointEvaluator(data, inputs).CompositeGroup(0, Colour(channels, 0.0), 0);
  // Over white paper (tint 0): t = α·C.
  std::vector<double> tints(channels);
  for (std::size_t i = 0; i < channels; ++i) {
    const double t = page.alpha * page.colour[i];
    tints[i] = t < 0 ? 0 : (t > 1 ? 1 : t);
  }
  return tints;
}

double EvaluateMaskAtPoint(const ProgramData& data, int mask, std::span<const PointInput> inputs) {
  return PointEvaluator(data, inputs).MaskValue(mask);
}

}  // namespace Composite::Detail
