// What ICC conversion adds to the raster fallback: a 4,000 × 3,000 photo multiplied over a
// process fill, flattened at its own 300 ppi, as CMYK (nothing to convert) and as RGB (every
// pixel through lcms2); and the conversion of its pixels alone.

#include <benchmark/benchmark.h>

#include <vector>

#include <examples/CatalogueSupport.h>
#include <mavdoc/Builder.h>
#include <module/Exports.h>
#include <values/ColorManagement.h>

namespace {

using namespace Corvel::Examples::Detail;

constexpr int kColumns = 4000, kRows = 3000;

// A smooth photo-like picture: ramps and a ripple in every channel.
std::shared_ptr<const MavImg::PaintedPicture> Photo(bool rgb) {
  PictureSamples samples;
  samples.columns = kColumns;
  samples.rows = kRows;
  if (rgb) {
    samples.names = {"Red", "Green", "Blue"};
    samples.space = MavColor::DeviceRGB{};
  } else {
    samples.names = {"Cyan", "Magenta", "Yellow", "Black"};
    samples.space = MavColor::FourComponent{};
  }
  samples.sample = [](int channel, int column, int row) {
    return (column / 16 + row / 12 + channel * 60 + ((column * row) >> 10) % 32) % 256;
  };
  return MakePicture(samples);
}

// The photo at 300 ppi (960 × 720 pt), multiplied at 90 % over a light fill.
std::unique_ptr<MavDoc::Document> Page(std::shared_ptr<const MavImg::PaintedPicture> photo) {
  auto document = MakeDocument(1000, 760);
  auto& content = PageContent(*document);
  Rectangle(content, Rect(10, 10, 980, 740), Cmyk(0, .1f, .3f, 0));
  PlaceImage(content, std::move(photo), Rect(20, 20, 960, 720))
      .SetTransparency(MavDoc::Build::Blend(MavBlend::BlendMode::Multiply, .9f));
  return document;
}

MavColor::ColorSettings Managed() {
  MavColor::ColorSettings settings;
  settings.managed = true;
  return settings;
}

void FlattenPhoto(benchmark::State& state, bool rgb) {
  const MavColor::ScopedColorSettings managed(Managed());
  const auto photo = Photo(rgb);
  for (auto _ : state) {
    state.PauseTiming();
    auto document = Page(photo);
    state.ResumeTiming();
    Corvel::FlattenOptions options;
    options.resolution = options.gradientResolution = 300;
    const auto inserted = Corvel::FlattenAction(
        PageContent(*document), [](const auto&) { return true; }, true, [](const auto&) { return true; },
        options);
    benchmark::DoNotOptimize(inserted.size());
  }
  state.SetItemsProcessed(state.iterations() * kColumns * kRows);
}

void BM_PhotoFlatten_Cmyk(benchmark::State& state) { FlattenPhoto(state, false); }
void BM_PhotoFlatten_Rgb(benchmark::State& state) { FlattenPhoto(state, true); }
BENCHMARK(BM_PhotoFlatten_Cmyk)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_PhotoFlatten_Rgb)->Unit(benchmark::kMillisecond)->Iterations(2);

// The conversion alone, row by row as the picture sampler converts.
void BM_PhotoConversionOnly(benchmark::State& state) {
  const MavColor::ScopedColorSettings managed(Managed());
  std::vector<std::uint8_t> rgb(std::size_t{kColumns} * 3), cmyk(std::size_t{kColumns} * 4);
  for (std::size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<std::uint8_t>(i * 7 % 256);
  for (auto _ : state) {
    for (int row = 0; row < kRows; ++row) {
      rgb[static_cast<std::size_t>(row % kColumns)] ^= 1;  // rows differ, as a photo's do
      MavColor::ManagedPixelsToCMYK(MavColor::DeviceRGB{}, rgb.data(), 3, cmyk.data(), kColumns);
    }
    benchmark::DoNotOptimize(cmyk.data());
  }
  state.SetItemsProcessed(state.iterations() * kColumns * kRows);
}
BENCHMARK(BM_PhotoConversionOnly)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
