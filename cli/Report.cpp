#include <cli/Report.h>

#include <cmath>
#include <fstream>
#include <nlohmann/json.hpp>
#include <stdexcept>

namespace CorvelCli {

namespace {

using Json = nlohmann::ordered_json;

// Hundredths of a square point: finer than any measure of print, and short to read.
double SquarePoints(double area) {
  return std::round(area * 100) / 100;
}

Json AreasJson(const AreaSummary& areas) {
  Json rasterized = Json::array();
  for (const auto& [resolution, area] : areas.rasterized)
    rasterized.push_back({{"resolution", resolution}, {"area", SquarePoints(area)}});
  return {{"involved", SquarePoints(areas.involved)},
          {"rasterized", rasterized},
          {"textOutlined", SquarePoints(areas.outlinedText)},
          {"overprinting", SquarePoints(areas.overprinting)}};
}

// Millipoints to points, rounded to hundredths.
double ReportMillipointsAsPoints(double millipoints) {
  return std::round(millipoints / 10) / 100;
}

Json RasterisedClustersJson(const std::vector<Corvel::RasterisedCluster>& clusters) {
  Json list = Json::array();
  double area = 0;
  for (const auto& c : clusters) {
    const double squarePoints = c.bounds.width * c.bounds.height / 1e6;
    area += squarePoints;
    list.push_back({{"reason", c.reason},
                    {"elements", c.elements},
                    {"cost", c.cost},
                    {"bounds", {ReportMillipointsAsPoints(c.bounds.x), ReportMillipointsAsPoints(c.bounds.y),
                                ReportMillipointsAsPoints(c.bounds.width), ReportMillipointsAsPoints(c.bounds.height)}},
                    {"boundsArea", SquarePoints(squarePoints)}});
  }
  return {{"count", clusters.size()}, {"boundsArea", SquarePoints(area)}, {"clusters", list}};
}

Json PageJson(const PageReport& p) {
  Json page{{"page", p.number},
            {"transparency", p.transparency},
            {"replaced", p.replaced}};
  if (!p.leftAsItWas.empty()) page["leftAsItWas"] = p.leftAsItWas;
  page.update(Json{{"objectsBefore", p.before},
                   {"objectsAfter", p.after},
                   {"units", p.units},
                   {"transparentUnits", p.transparentUnits},
                   {"involvedUnits", p.involvedUnits},
                   {"textRuns", p.textRuns},
                   {"textRunsOutlined", p.textRunsOutlined},
                   {"overprintingObjectsReplaced", p.overprintsReplaced},
                   {"annotationsDrawn", p.annotationsDrawn},
                   {"newObjects", p.inserted},
                   {"flatPaths", p.flatPaths},
                   {"images", p.images},
                   {"keptInPlace", p.keptInPlace},
                   {"outlineSubpathsBefore", p.outlinesBefore.subpaths},
                   {"outlineSubpathsAfter", p.outlinesAfter.subpaths},
                   {"distinctOutlineSubpathsBefore", p.outlinesBefore.distinctSubpaths},
                   {"distinctOutlineSubpathsAfter", p.outlinesAfter.distinctSubpaths},
                   {"seconds", p.seconds},
                   {"imageSizes", p.imageSizes}});
  if (p.areas) page["areasInSquarePoints"] = AreasJson(*p.areas);
  if (!p.rasterisedClusters.empty()) page["rasterisedClusters"] = RasterisedClustersJson(p.rasterisedClusters);
  if (p.check) {
    Json separations = Json::array();
    for (const auto& s : p.check->separations)
      separations.push_back({{"name", s.name}, {"maxDifference", s.maxDifference}, {"shareOver", s.shareOver}});
    page["verification"] = {{"printsTheSame", p.check->agrees}, {"separations", separations}};
  }
  return page;
}

}  // namespace

std::string ReportJson(const std::string& input, const std::string& output, const FileReport& report) {
  Json json{{"input", input},
            {"output", output},
            {"pageCount", report.pageCount},
            {"pagesLeftAsTheyWere", report.pagesLeftAsTheyWere},
            {"colorConversion", report.colorConversion},
            {"overprint", report.overprint},
            {"seams", report.seams},
            {"carriedOver", report.carriedOver},
            {"warnings", report.warnings},
            {"pages", Json::array()}};
  for (const auto& page : report.pages) json["pages"].push_back(PageJson(page));
  return json.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

void WriteReport(const std::string& path, const std::string& input, const std::string& output,
                 const FileReport& report) {
  std::ofstream out(path, std::ios::binary);
  out << ReportJson(input, output, report);
  if (!out) throw std::runtime_error("cannot write the report " + path);
}

}  // namespace CorvelCli
