#include "SamplingTestSupport.h"

#include <docgraph/CreateGraph.h>

namespace SamplingTest {

namespace {

constexpr double kPageSize = 100000;
constexpr std::int64_t kPixelsPerSide = 100;

MavDoc::Separation::Entries InkInfo() {
  auto info = MavDoc::Separation::ProcessEntries();
  info.emplace_back("Spot1", MavDoc::Separation::kNormalInk, MavDoc::Separation::Representation{});
  return info;
}

}  // namespace

const std::vector<std::string>& Inks() {
  static const std::vector<std::string> inks{"Cyan", "Magenta", "Yellow", "Black", "Spot1"};
  return inks;
}

MappedPage::MappedPage()
    : document(InkInfo()),
      content(document.AddPage(Box(0, 0, kPageSize, kPageSize)).GetContent()),
      options(Inks(), content) {}

MappedPage::~MappedPage() = default;

void MappedPage::Map() {
  graph = std::make_unique<DocumentGraph::GraphBase>();
  DocumentGraph::TransparentAttributeCreator creator(attributes, true);
  DocumentGraph::GraphBase::Options buildOptions;
  buildOptions.bounds = DocumentGraph::GraphBase::Options::Bounds{Box(-1000, -1000, kPageSize + 2000, kPageSize + 2000)};
  DocumentGraph::GraphBase::ObjectSelection selection{
      [](const auto& layer) { return layer->visible; }, true,
      [](const MavDoc::ContentObject&) { return true; }, false};
  graph->SetTesselGraph(DocumentGraph::Detail::CreateGraph(buildOptions, content, selection,
                                                           graph->CurveDataOwner(), creator));
}

const TesselFixed::Graph& MappedPage::Graph() const { return *graph->GetTesselGraph(); }

const Tessel::TFill& MappedPage::DeepestFill() const {
  const Tessel::TFill* deepest = &Graph().GetFill(0);
  for (int i = 0; i < Graph().NFills(); ++i) {
    if (Graph().GetFill(i).NElements() > deepest->NElements()) deepest = &Graph().GetFill(i);
  }
  return *deepest;
}

std::vector<float> MappedPage::Pick(const Tessel::TFill& fill, Vexl::Point p) {
  return DocumentSamplePicker::PickComponentsAtPoints({p}, {p}, options, resources, &fill, nullptr)
      .at(0);
}

std::vector<std::vector<std::uint8_t>> MappedPage::Scan(const Tessel::TFill& fill) {
  const MavSc::Environment environment(Box(0, 0, kPageSize, kPageSize), kPixelsPerSide, kPixelsPerSide);
  const MavMath::Rectangle<long long> pixels{0, 0, kPixelsPerSide, kPixelsPerSide};
  MavSc::ScanConverter converter(MavSc::CollectTesselFillComponents(
      environment, MavSc::Options(Inks()), content, pixels, &fill, Vexl::Transformation::Identity()));
  std::vector<std::vector<std::uint8_t>> rows;
  for (std::int64_t y = 0; y < kPixelsPerSide; ++y) {
    rows.emplace_back(Inks().size() * kPixelsPerSide);
    converter.GetLine255PlaneInterleaved(rows.back().data(), kPixelsPerSide);
  }
  return rows;
}

}  // namespace SamplingTest
