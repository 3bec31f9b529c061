// Random transparent artwork (rectangles, ellipses, text) flattened in place: nothing transparent is left, and every sample
// point shows the colour the picker composites for the original stack there.

#include <gtest/gtest.h>

#include <iostream>
#include <map>
#include <random>

#include <color/SeparationSetup.h>
#include <examples/Catalogue.h>
#include <flatten/RegionOutlines.h>
#include <vexl/Measure.h>

#include "FlattenTestSupport.h"

namespace {

using namespace CorvelTest;
using namespace MavDoc::Build;

#ifdef NDEBUG
constexpr int kCases = 12;
#else
constexpr int kCases = 3;
#endif
constexpr int kShapes = 7;
constexpr int kProbes = 40;
constexpr double kTolerance = 1e-4;

using Tints = std::map<std::string, double>;

struct Probe {
  Vexl::Point point;
  Tints expected;
};

struct FlattenActionProperty : PageFixture, ::testing::Test {
  void AddRandomArtwork(std::mt19937& random) {
    std::uniform_real_distribution<double> position(5000, 70000), size(10000, 40000), unit(0, 1);
    std::uniform_int_distribution<int> mode(0, MavBlend::kBlendModeCount - 1);
    const char* inks[] = {"Cyan", "Magenta", "Yellow", "Black", "Spot"};
    for (int i = 0; i < kShapes; ++i) {
      MavColor::Color colour;
      for (const char* ink : inks) {
        if (unit(random) < 0.5) colour.Append({ink, static_cast<float>(unit(random))});
      }
      auto transparency = Blend(static_cast<MavBlend::BlendMode>(mode(random)),
                                static_cast<float>(0.2 + 0.8 * unit(random)));
      const double x = position(random), y = position(random), w = size(random), h = size(random);
      const double kind = unit(random);
      if (kind < 0.2) {
        // Text: its glyphs are its shape.
        auto& text = Add(content, std::make_unique<MavDoc::Text>("CORVEL", Corvel::Examples::Lettering("CORVEL", h / 4000), 0));
        text.SetTransformation(Vexl::Transformation::Translation(x, y), 0);
        text.SetFillPaint(Flat(std::move(colour)));
        text.SetTransparency(std::move(transparency));
      } else if (kind < 0.6) {
        Add(content, FilledRectangle(Box(x, y, w, h), Flat(std::move(colour)), std::move(transparency)));
      } else {
        Add(content, FilledEllipse({x + w / 2, y + h / 2}, w / 2, h / 2, Flat(std::move(colour)),
                                   std::move(transparency)));
      }
    }
  }

  // The picker's composite of the original stack at random points inside exactly one region.
  std::vector<Probe> ProbeOriginal(std::mt19937& random) {
    const auto environment = Prepare();
    const auto& graph = GraphOf(environment);
    const auto sampling = Corvel::MakeSamplingContext(content, false, std::nullopt);
    std::vector<std::pair<const TesselFixed::Region*, std::shared_ptr<const Vexl::Compound>>> regions;
    for (const auto* region : graph.GetTesselGraph()->GetRegions()) {
      if (!region->IsUnbounded()) regions.emplace_back(region, Corvel::MakeRegionCompound(graph, region));
    }
    std::uniform_real_distribution<double> coordinate(0, 100000);
    std::vector<Probe> probes;
    while (probes.size() < kProbes) {
      const Vexl::Point p{coordinate(random), coordinate(random)};
      const TesselFixed::Region* holder = nullptr;
      int holders = 0;
      for (const auto& [region, outline] : regions) {
        if (Vexl::Contains(*outline, p, Vexl::FillRule::NonZero)) {
          holder = region;
          ++holders;
        }
      }
      if (holders != 1 || holder->GetFill()->NElements() == 0) continue;
      const auto picked = DocumentSamplePicker::PickComponentsAtPoints(
          {p}, {p}, sampling.options, sampling.resources, holder->GetFill(), nullptr)[0];
      Probe probe{p, {}};
      for (std::size_t i = 0; i < picked.size(); ++i) {
        probe.expected[sampling.options.GetBlendingSeparations()[i]] = picked[i];
      }
      probes.push_back(std::move(probe));
    }
    return probes;
  }

  // The flat colour of the one new path holding `p`; fails when not exactly one holds it.
  Tints FlattenedAt(Vexl::Point p, const std::vector<MavDoc::ContentObject*>& inserted) {
    Tints found;
    int holders = 0;
    for (const auto* object : inserted) {
      const auto& path = dynamic_cast<const MavDoc::Path&>(*object);
      if (!Vexl::Contains(*path.GetOutline() * path.GetTransformation(), p, path.GetFillRule())) continue;
      ++holders;
      const auto& paint = dynamic_cast<const MavPaint::FlatPaint&>(*path.GetFillPaint());
      for (const auto& entry : paint.GetColor().GetEntries()) found[entry.name] = entry.value;
    }
    EXPECT_EQ(holders, 1) << "at (" << p.x << ", " << p.y << ")";
    return found;
  }
};

TEST_F(FlattenActionProperty, FlattenedArtworkShowsThePickedColoursAndNoTransparency) {
  for (int i = 0; i < kCases; ++i) {
    const unsigned seed = 7919u * static_cast<unsigned>(i + 1);
    std::cout << "seed " << seed << "\n";
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    for (auto* page : document.GetPages()) {
      auto& pageContent = page->GetContent();
      while (pageContent.Size() > 0) pageContent.Remove(*pageContent.GetChildren().begin());
    }
    AddRandomArtwork(random);
    const auto probes = ProbeOriginal(random);

    const auto inserted = Corvel::FlattenAction(
        content, [](const auto& layer) { return layer->visible; }, true,
        [](const MavDoc::ContentObject&) { return true; }, false, 300);

    ASSERT_FALSE(inserted.empty());
    ASSERT_EQ(content.Size(), inserted.size());
    for (const auto& object : content.GetChildren()) {
      const auto& blendable = dynamic_cast<const MavDoc::Blendable&>(object);
      EXPECT_EQ(*blendable.GetTransparency(), *MavBlend::Transparency::GetDefault());
    }
    for (const Probe& probe : probes) {
      const Tints found = FlattenedAt(probe.point, inserted);
      for (const auto& [ink, tint] : probe.expected) {
        const double flattened = found.count(ink) ? found.at(ink) : 0.0;
        EXPECT_NEAR(flattened, tint, kTolerance)
            << ink << " at (" << probe.point.x << ", " << probe.point.y << ")";
      }
    }
  }
}

}  // namespace
