// Row evaluation: per-pixel inputs at known pixels, input errors, and a seeded differential
// test of the pixel kernels against point evaluation on random trees.

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <iostream>
#include <random>

#include "CompositingTestSupport.h"

namespace CompositeTest {
namespace {

using BM = BlendMode;

Element Varying(int input, BlendMode mode = BM::Normal) {
  Element element;
  element.input = input;
  element.blendMode = mode;
  return element;
}

TEST(RowEvaluator, GradientUnderMultiplyWithUnpaintedPixels) {
  constexpr std::size_t kWidth = 600;
  const Program program(CmykSpot(), Stack({Backdrop(), Varying(0, BM::Multiply)}));
  RowInputs inputs(program, kWidth);
  for (std::size_t x = 0; x < kWidth; ++x) {
    inputs.Tints(0, 0)[x] = static_cast<float>(x) / (kWidth - 1);
    inputs.Tints(0, 4)[x] = .5f;
    inputs.Shape(0)[x] = x % 7 == 0 ? 0.0f : 1.0f;  // a shading's unpainted points
  }
  const auto planes = EvaluateRowBytes(program, inputs, kWidth);
  for (std::size_t x = 0; x < kWidth; ++x) {
    const double c = static_cast<double>(x) / (kWidth - 1);
    const bool painted = x % 7 != 0;
    // Multiply in tints: .4 + c − .4·c; unpainted pixels show BD.
    EXPECT_TRUE(ByteMatches(planes[0][x], painted ? .4 + .6 * c : .4, 1e-6)) << x;
    EXPECT_TRUE(ByteMatches(planes[4][x], painted ? .5 : 0, 1e-6)) << x;
  }
}

TEST(RowEvaluator, VaryingLuminosityMaskFollowsItsGray) {
  constexpr std::size_t kWidth = 300;
  SoftMask mask;
  mask.space = SeparationSpace::DeviceGray();
  mask.elements = {Varying(1)};
  mask.transfer = [](double x) { return x * x; };
  Element picture = Varying(0);
  picture.softMask = Mask(mask);
  const Program program(CmykSpot(), Stack({Backdrop(), picture}));
  RowInputs inputs(program, kWidth);
  for (std::size_t x = 0; x < kWidth; ++x) {
    inputs.Tints(0, 1)[x] = 1;                                         // M full ink
    inputs.Tints(1, 0)[x] = 1 - static_cast<float>(x) / (kWidth - 1);  // gray x/(w−1)
  }
  const auto planes = EvaluateRowBytes(program, inputs, kWidth);
  for (std::size_t x = 0; x < kWidth; ++x) {
    const double gray = static_cast<double>(x) / (kWidth - 1);
    const double m = gray * gray;
    EXPECT_TRUE(ByteMatches(planes[0][x], .4 * (1 - m), 1e-5)) << x;
    EXPECT_TRUE(ByteMatches(planes[1][x], m, 1e-5)) << x;
  }
}

TEST(RowEvaluator, RejectsMissingOrMalformedInputs) {
  const Program program(CmykSpot(), Stack({Varying(0)}));
  RowEvaluator evaluator(program);
  std::vector<std::uint8_t> line(5 * 10);
  try {
    evaluator.EvaluateRow({}, 10, line);
    FAIL() << "no exception";
  } catch (const std::invalid_argument& error) {
    EXPECT_STREQ(error.what(), "Composite: the program reads 1 inputs but 0 rows were given");
  }
  std::vector<float> plane(10, .5f);
  const std::vector<const float*> two = {plane.data(), plane.data()};
  const InputRow row{two, nullptr};
  EXPECT_THROW(evaluator.EvaluateRow({&row, 1}, 10, line), std::invalid_argument);
  const std::vector<const float*> five(5, plane.data());
  const InputRow good{five, nullptr};
  EXPECT_THROW(evaluator.EvaluateRow({&good, 1}, 11, line), std::invalid_argument);
  EXPECT_NO_THROW(evaluator.EvaluateRow({&good, 1}, 10, line));
  EXPECT_EQ(line[0], 128);  // every plane of the input holds .5
  EXPECT_EQ(line[49], 128);
}

// Random trees for the differential test: every feature of the model, small depth.
class RandomTrees {
 public:
  explicit RandomTrees(std::uint32_t seed) : rng_(seed) {}

  Node MakeNode(int depth, const SeparationSpace& space) {
    if (depth > 0 && Chance(.3)) return MakeGroup(depth - 1, space);
    Element element;
    if (Chance(.4)) {
      element.input = inputs_++;
      channels_.push_back(space.Size());
    } else {
      for (std::size_t c = 0; c < space.Size(); ++c) element.tints.push_back(Tint());
    }
    element.shape = Chance(.8) ? 1.0f : Unit();
    element.opacity = Chance(.8) ? 1.0f : Unit();
    if (Chance(.2)) {  // overprint: some inks keep the backdrop
      for (std::size_t c = 0; c < space.Size(); ++c) element.keepsBackdrop.push_back(Chance(.5));
    }
    Decorate(element.constantAlpha, element.alphaIsShape, element.blendMode, element.softMask,
             depth);
    return element;
  }

  std::vector<std::size_t> channels_;  // tints per input

 private:
  Node MakeGroup(int depth, const SeparationSpace& space) {
    Group group;
    group.isolated = Chance(.4);
    group.knockout = Chance(.3);
    const int count = static_cast<int>(Pick(4));
    for (int i = 0; i < count; ++i) group.elements.push_back(MakeNode(depth, space));
    Decorate(group.constantAlpha, group.alphaIsShape, group.blendMode, group.softMask, depth);
    return group;
  }

  void Decorate(float& alpha, bool& alphaIsShape, BlendMode& mode,
                std::shared_ptr<const SoftMask>& mask, int depth) {
    alpha = Chance(.6) ? 1.0f : Unit();
    alphaIsShape = Chance(.3);
    mode = static_cast<BlendMode>(Pick(kBlendModeCount));
    if (depth > 0 && Chance(.25)) mask = MakeMask(depth - 1);
  }

  std::shared_ptr<const SoftMask> MakeMask(int depth) {
    SoftMask mask;
    mask.kind = Chance(.5) ? SoftMask::Kind::Alpha : SoftMask::Kind::Luminosity;
    const int space = static_cast<int>(Pick(3));
    mask.space = space == 0   ? SeparationSpace::DeviceGray()
                 : space == 1 ? SeparationSpace::DeviceRgb()
                              : SeparationSpace::DeviceCmyk();
    mask.isolated = Chance(.5);
    mask.knockout = Chance(.2);
    if (Chance(.5)) {
      for (std::size_t c = 0; c < mask.space.Size(); ++c) mask.backdrop.push_back(Tint());
    }
    if (Chance(.5)) mask.transfer = [](double x) { return x * x * (3 - 2 * x); };
    const int count = static_cast<int>(Pick(3)) + 1;
    for (int i = 0; i < count; ++i) mask.elements.push_back(MakeNode(depth, mask.space));
    return std::make_shared<const SoftMask>(std::move(mask));
  }

  bool Chance(double p) { return std::uniform_real_distribution<double>(0, 1)(rng_) < p; }
  std::size_t Pick(std::size_t n) {
    return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng_);
  }
  float Unit() { return std::uniform_real_distribution<float>(0, 1)(rng_); }
  // Tints with the edge values 0 and 1 that the blend edge rules care about.
  float Tint() { return Chance(.3) ? static_cast<float>(Pick(2)) : Unit(); }

  std::mt19937 rng_;
  int inputs_ = 0;
};

std::uint32_t TestSeed() {
  const char* text = std::getenv("COMPOSITING_TEST_SEED");
  const std::uint32_t seed =
      text ? static_cast<std::uint32_t>(std::strtoul(text, nullptr, 10)) : 20261206u;
  std::cout << "[ seed     ] COMPOSITING_TEST_SEED=" << seed << "\n";
  return seed;
}

#ifdef NDEBUG
constexpr int kRandomTrees = 400;
#else
constexpr int kRandomTrees = 60;
#endif

// A row value that is now and then out of range or NaN, which rows must read as clamped.
float Raw(float value, std::mt19937& pixels) {
  const float outside[] = {-.5f, 1.5f, std::numeric_limits<float>::quiet_NaN(), -0.0f, 7.0f};
  if (std::uniform_real_distribution<float>(0, 1)(pixels) >= .05f) return value;
  return outside[std::uniform_int_distribution<int>(0, 4)(pixels)];
}

float Clamped(float value) { return std::isnan(value) ? 0.0f : std::clamp(value, 0.0f, 1.0f); }

// Fills every input with seeded values (edge tints 0 and 1, unpainted pixels, and values out
// of range or NaN, which must read as clamped) and checks every pixel of the row against
// point evaluation of the clamped values.
void ExpectRowMatchesPoints(const Program& program, std::mt19937& pixels) {
  std::uniform_real_distribution<float> unit(0, 1);
  constexpr std::size_t kWidth = 270;  // one full chunk and a partial one
  RowInputs inputs(program, kWidth);
  for (std::size_t i = 0; i < program.GetInputCount(); ++i) {
    for (std::size_t x = 0; x < kWidth; ++x) {
      for (std::size_t c = 0; c < program.GetInputChannelCount(i); ++c) {
        const float tint = unit(pixels) < .2f ? std::round(unit(pixels)) : unit(pixels);
        inputs.Tints(i, c)[x] = Raw(tint, pixels);
      }
      inputs.Shape(i)[x] = Raw(unit(pixels) < .7f ? 1.0f : std::round(unit(pixels)), pixels);
    }
  }
  const auto planes = EvaluateRowBytes(program, inputs, kWidth);
  int mismatches = 0;
  for (std::size_t x = 0; x < kWidth; x += program.IsFlat() ? kWidth - 1 : 1) {
    std::vector<PointInput> point(program.GetInputCount());
    for (std::size_t i = 0; i < point.size(); ++i) {
      for (std::size_t c = 0; c < program.GetInputChannelCount(i); ++c) {
        point[i].tints.push_back(Clamped(inputs.Tints(i, c)[x]));
      }
      point[i].shape = Clamped(inputs.Shape(i)[x]);
    }
    const std::vector<float> expected = program.EvaluatePoint(point);
    for (std::size_t c = 0; c < expected.size(); ++c) {
      // Float kernels against the double reference, within 8-bit rounding.
      if (!ByteMatches(planes[c][x], expected[c], 2e-4) && ++mismatches < 4) {
        ADD_FAILURE() << "pixel " << x << " separation " << c << ": row " << int(planes[c][x])
                      << ", point " << 255 * expected[c];
      }
    }
  }
}

TEST(RowEvaluator, MatchesPointEvaluationAtEveryPixelOfRandomTrees) {
  const std::uint32_t seed = TestSeed();
  std::mt19937 pixels(seed + 1);
  for (int tree = 0; tree < kRandomTrees; ++tree) {
    SCOPED_TRACE("seed " + std::to_string(seed) + ", tree " + std::to_string(tree));
    RandomTrees random(seed + static_cast<std::uint32_t>(tree) * 7919u);
    ExpectRowMatchesPoints(Program(CmykSpot(), random.MakeNode(3, CmykSpot())), pixels);
  }
}

// Stacks whose lowest element is never stored (its tints or flat colour are read by the next
// step) and masks read straight from their one element: each against point evaluation.
TEST(RowEvaluator, ElementsReadWithoutBeingStoredGiveTheSameColours) {
  std::mt19937 pixels(20261206u);
  Element hue = Backdrop();
  hue.blendMode = BM::Hue;
  hue.constantAlpha = .7f;
  Group nested = Stack({Varying(1, BM::Multiply)});
  nested.constantAlpha = .6f;
  Element screen = Varying(0, BM::Screen);
  screen.opacity = .8f;
  SCOPED_TRACE("a picture under a flat element of a non-separable mode");
  ExpectRowMatchesPoints(Program(CmykSpot(), Stack({Varying(0), hue})), pixels);
  SCOPED_TRACE("a picture under a group");
  ExpectRowMatchesPoints(Program(CmykSpot(), Stack({Varying(0), nested})), pixels);
  SCOPED_TRACE("a flat colour under a picture in Screen");
  ExpectRowMatchesPoints(Program(CmykSpot(), Stack({Backdrop(), screen})), pixels);

  for (const SeparationSpace& space :
       {SeparationSpace::DeviceGray(), SeparationSpace::DeviceCmyk()}) {
    SoftMask mask;
    mask.space = space;
    mask.backdrop.assign(space.Size(), .3f);
    Element shaded = Varying(1);
    shaded.constantAlpha = .5f;  // the mask's element is partly transparent over BC
    mask.elements = {shaded};
    Element picture = Varying(0);
    picture.softMask = Mask(mask);
    SCOPED_TRACE("a luminosity mask of one element, " + std::to_string(space.Size()) + " inks");
    ExpectRowMatchesPoints(Program(CmykSpot(), Stack({Backdrop(), picture})), pixels);
    // Blending with BC: the mask group must be evaluated.
    shaded.blendMode = BM::Multiply;
    mask.elements = {shaded};
    picture.softMask = Mask(mask);
    ExpectRowMatchesPoints(Program(CmykSpot(), Stack({Backdrop(), picture})), pixels);
  }
}

}  // namespace
}  // namespace CompositeTest
