// Seeded random properties of the model that hold whatever the colours, and the errors a
// malformed tree produces.

#include <iostream>
#include <random>

#include "CompositingTestSupport.h"

// GCC 12 reports copies of std::variant<Element, Group> inside vectors as maybe-uninitialized
// reads at -O2 (a known false positive of its variant analysis).
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"

namespace CompositeTest {
namespace {

using BM = BlendMode;

constexpr std::uint32_t kSeed = 4242u;
#ifdef NDEBUG
constexpr int kCases = 500;
#else
constexpr int kCases = 100;
#endif

class RandomStacks {
 public:
  explicit RandomStacks(std::uint32_t seed) : rng_(seed) {}
  float Unit() { return std::uniform_real_distribution<float>(0, 1)(rng_); }
  BlendMode Mode() {
    return static_cast<BlendMode>(std::uniform_int_distribution<int>(0, kBlendModeCount - 1)(rng_));
  }
  Element Any() {
    Element element = Paint({Unit(), Unit(), Unit(), Unit(), Unit()}, Mode(), Unit());
    element.alphaIsShape = Unit() < .5f;
    return element;
  }
  std::vector<Node> Backdrops() {
    std::vector<Node> nodes = {Paint({Unit(), Unit(), Unit(), Unit(), Unit()})};
    for (int i = 0; i < 3; ++i) nodes.push_back(Any());
    return nodes;
  }

 private:
  std::mt19937 rng_;
};

std::vector<float> Evaluate(std::vector<Node> stack) {
  return Program(CmykSpot(), Stack(std::move(stack))).EvaluatePoint();
}

void ExpectSame(const std::vector<float>& a, const std::vector<float>& b, double tolerance) {
  for (std::size_t c = 0; c < a.size(); ++c)
    EXPECT_NEAR(a[c], b[c], tolerance) << "separation " << c;
}

TEST(CompositeProperties, NormalAtFullAlphaReplacesTheBackdrop) {
  std::cout << "[ seed     ] " << kSeed << "\n";
  RandomStacks random(kSeed);
  for (int i = 0; i < kCases; ++i) {
    SCOPED_TRACE("seed " + std::to_string(kSeed) + ", case " + std::to_string(i));
    std::vector<Node> stack = random.Backdrops();
    const Element top =
        Paint({random.Unit(), random.Unit(), random.Unit(), random.Unit(), random.Unit()});
    stack.push_back(top);
    ExpectSame(Evaluate(stack), top.tints, 1e-6);
  }
}

TEST(CompositeProperties, MultiplyWithNoInkChangesNothing) {
  RandomStacks random(kSeed + 1);
  for (int i = 0; i < kCases; ++i) {
    SCOPED_TRACE("seed " + std::to_string(kSeed + 1) + ", case " + std::to_string(i));
    std::vector<Node> stack = random.Backdrops();
    const std::vector<float> before = Evaluate(stack);
    stack.push_back(Paint({}, BM::Multiply, random.Unit()));
    ExpectSame(Evaluate(stack), before, 1e-6);
  }
}

TEST(CompositeProperties, DarkeningModesNeverRemoveInk) {
  RandomStacks random(kSeed + 2);
  for (int i = 0; i < kCases; ++i) {
    SCOPED_TRACE("seed " + std::to_string(kSeed + 2) + ", case " + std::to_string(i));
    std::vector<Node> stack = random.Backdrops();
    const std::vector<float> before = Evaluate(stack);
    for (BlendMode mode : {BM::Multiply, BM::Darken, BM::ColorBurn}) {
      std::vector<Node> darker = stack;
      Element top = random.Any();
      top.blendMode = mode;
      darker.push_back(top);
      const std::vector<float> after = Evaluate(darker);
      for (std::size_t c = 0; c < after.size(); ++c) {
        EXPECT_GE(after[c], before[c] - 1e-6) << ToString(mode) << " separation " << c;
        EXPECT_LE(after[c], 1.0f);
      }
    }
  }
}

TEST(CompositeProperties, IsolatedGroupOfOneElementEqualsTheElement) {
  RandomStacks random(kSeed + 3);
  for (int i = 0; i < kCases; ++i) {
    SCOPED_TRACE("seed " + std::to_string(kSeed + 3) + ", case " + std::to_string(i));
    const std::vector<Node> backdrop = random.Backdrops();
    const Element element = random.Any();
    Element plain = element;
    plain.blendMode = BM::Normal;
    plain.constantAlpha = 1;
    Group group = Stack({plain});
    group.isolated = true;
    group.blendMode = element.blendMode;
    group.constantAlpha = element.constantAlpha;
    std::vector<Node> direct = backdrop;
    direct.push_back(element);
    std::vector<Node> grouped = backdrop;
    grouped.push_back(group);
    ExpectSame(Evaluate(grouped), Evaluate(direct), 1e-5);
  }
}

// ISO 32000-1 §11.4.4 NOTE 5: a non-isolated, non-knockout Normal group at full alpha is the
// same as its elements painted ungrouped; and outside knockout groups AIS changes nothing.
TEST(CompositeProperties, NormalGroupEqualsUngroupedElements) {
  RandomStacks random(kSeed + 4);
  for (int i = 0; i < kCases; ++i) {
    SCOPED_TRACE("seed " + std::to_string(kSeed + 4) + ", case " + std::to_string(i));
    const std::vector<Node> backdrop = random.Backdrops();
    std::vector<Node> inner = {random.Any(), random.Any()};
    std::vector<Node> flat = backdrop;
    flat.insert(flat.end(), inner.begin(), inner.end());
    std::vector<Node> grouped = backdrop;
    grouped.push_back(Stack(inner));
    ExpectSame(Evaluate(grouped), Evaluate(flat), 1e-5);
    for (Node& node : inner) {
      std::get<Element>(node.content).alphaIsShape ^= true;
    }
    std::vector<Node> toggled = backdrop;
    toggled.insert(toggled.end(), inner.begin(), inner.end());
    ExpectSame(Evaluate(toggled), Evaluate(flat), 1e-6);
  }
}

void ExpectError(const std::function<void()>& build, const std::string& message) {
  try {
    build();
    ADD_FAILURE() << "no exception, expected: " << message;
  } catch (const std::invalid_argument& error) {
    EXPECT_EQ(error.what(), message);
  }
}

TEST(Program, RejectsMalformedTrees) {
  ExpectError(
      [] {
        Program(CmykSpot(), Colour({.5f, 0, 0}));
      },
      "Composite: an element has 3 tints but its colour space has 5 separations");
  ExpectError([] { Program(CmykSpot(), Paint({.c = 1.5f})); },
              "Composite: the tint of separation \"Cyan\" of an element is 1.500000, outside "
              "[0, 1]");
  ExpectError([] { Program(CmykSpot(), Paint({}, BM::Normal, std::nanf(""))); },
              "Composite: a constant alpha is nan, outside [0, 1]");
  SoftMask spotMask;
  spotMask.space = CmykSpot();
  ExpectError(
      [&] {
        Element element = Paint({});
        element.softMask = Mask(spotMask);
        Program(CmykSpot(), element);
      },
      "Composite: a luminosity soft mask's colour space may not hold spot separations");
  ExpectError(
      [] {
        Group deep = Stack({Paint({})});
        for (int i = 0; i < Program::kMaxNesting + 1; ++i) deep = Stack({deep});
        Program(CmykSpot(), deep);
      },
      "Composite: groups and soft masks nest deeper than 64");
  ExpectError(
      [] {
        SeparationSpace({"A", "B"}, {0, 0, -1, -1});
      },
      "Composite: separation 0 cannot be both cyan and magenta");
  SoftMask nanTransfer;
  Element varying;
  varying.input = 0;
  nanTransfer.elements = {varying};
  nanTransfer.transfer = [](double) { return std::nan(""); };
  ExpectError(
      [&] {
        Element element = Paint({});
        element.softMask = Mask(nanTransfer);
        Program(CmykSpot(), element);
      },
      "Composite: the soft mask's transfer function gives NaN at 0.000000");
}

}  // namespace
}  // namespace CompositeTest
