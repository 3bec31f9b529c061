// Function-based shadings and triangle and patch meshes under transparency, flattened from a
// file: nothing transparent is left and every plate prints as Ghostscript prints the original.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFWriter.hh>

#include <cli/FileAction.h>
#include <tools/catalogue/TransparencyCheck.h>
#include <tools/oracle/Comparison.h>
#include <tools/oracle/SeparationRender.h>

namespace {

namespace fs = std::filesystem;
using Handle = QPDFObjectHandle;

constexpr double kExtent = 400;  // page side and coordinate range, in points

// Packs mesh data: 8-bit flags, 16-bit coordinates over [0, kExtent], 8-bit components over [0, 1].
class MeshBytes {
 public:
  MeshBytes& Flag(int flag) { return Byte(flag); }
  MeshBytes& Point(double x, double y) { return Coordinate(x).Coordinate(y); }
  MeshBytes& Color(const std::vector<double>& values) {
    for (double v : values) Byte(static_cast<int>(std::lround(v * 255)));
    return *this;
  }
  const std::string& Data() const { return data_; }

 private:
  MeshBytes& Byte(int value) {
    data_.push_back(static_cast<char>(value));
    return *this;
  }
  MeshBytes& Coordinate(double v) {
    const auto raw = static_cast<int>(std::lround(v / kExtent * 65535));
    return Byte(raw >> 8).Byte(raw & 0xff);
  }
  std::string data_;
};

// What a case paints, and in which space.
struct Space {
  std::string name;
  std::string colorSpace;  // PDF text
  int components;
};

const Space kCmyk{"Cmyk", "/DeviceCMYK", 4};
const Space kSpot{"Spot", "[/Separation /Gold /DeviceCMYK << /FunctionType 2 /Domain [0 1] /C0 [0 0 0 0] "
                          "/C1 [0 0.3 0.9 0.1] /N 1 >>]",
                  1};

// Colour k of a few distinct ones, in the space's components.
std::vector<double> Colour(const Space& space, int k) {
  static const double cmyk[5][4] = {{1, 0, 0, 0}, {0, 1, 0.2, 0}, {0, 0, 1, 0.1}, {0.3, 0.3, 0, 0.6}, {0.5, 0, 0.5, 0}};
  static const double spot[5][1] = {{1}, {0.1}, {0.6}, {0.3}, {0.85}};
  if (space.components == 4) return {cmyk[k][0], cmyk[k][1], cmyk[k][2], cmyk[k][3]};
  return {spot[k][0]};
}

std::string Decode(const Space& space) {
  std::string decode = "[0 " + std::to_string(kExtent) + " 0 " + std::to_string(kExtent);
  for (int c = 0; c < space.components; ++c) decode += " 0 1";
  return decode + "]";
}

std::string MeshDictionary(int type, const Space& space) {
  std::string dict = "<< /ShadingType " + std::to_string(type) + " /ColorSpace " + space.colorSpace +
                     " /BitsPerCoordinate 16 /BitsPerComponent 8 /Decode " + Decode(space);
  if (type != 5) dict += " /BitsPerFlag 8";
  return dict + (type == 5 ? " /VerticesPerRow 3 >>" : " >>");
}

// Two free-form triangles and a third sharing the second's last edge.
std::string FreeForm(const Space& s) {
  MeshBytes b;
  b.Flag(0).Point(60, 60).Color(Colour(s, 0)).Flag(0).Point(300, 80).Color(Colour(s, 1));
  b.Flag(0).Point(120, 300).Color(Colour(s, 2));
  b.Flag(0).Point(200, 100).Color(Colour(s, 3)).Flag(0).Point(340, 200).Color(Colour(s, 4));
  b.Flag(0).Point(250, 340).Color(Colour(s, 0)).Flag(1).Point(120, 330).Color(Colour(s, 1));
  return b.Data();
}

// A 3 × 3 lattice, its middle vertex pulled aside.
std::string Lattice(const Space& s) {
  MeshBytes b;
  for (int row = 0; row < 3; ++row)
    for (int column = 0; column < 3; ++column)
      b.Point(60 + 140 * column + (row == 1 && column == 1 ? 40 : 0), 60 + 140 * row).Color(Colour(s, (row + column) % 5));
  return b.Data();
}

// A Coons patch with curved edges, then one sharing its right edge (flag 2).
std::string Coons(const Space& s) {
  MeshBytes b;
  b.Flag(0).Point(60, 60).Point(40, 140).Point(80, 220).Point(60, 300);   // p00 … p03
  b.Point(120, 330).Point(170, 290).Point(200, 300);                      // p13 p23 p33
  b.Point(220, 220).Point(180, 140).Point(200, 60);                       // p32 p31 p30
  b.Point(150, 40).Point(100, 80);                                        // p20 p10
  b.Color(Colour(s, 0)).Color(Colour(s, 1)).Color(Colour(s, 2)).Color(Colour(s, 3));
  b.Flag(2).Point(260, 320).Point(300, 280).Point(340, 300);              // from p33 across
  b.Point(320, 220).Point(360, 140).Point(340, 60);
  b.Point(300, 90).Point(250, 40);
  b.Color(Colour(s, 4)).Color(Colour(s, 0));
  return b.Data();
}

// A tensor patch whose inner points are pulled off the plain grid.
std::string Tensor(const Space& s) {
  MeshBytes b;
  b.Flag(0).Point(60, 60).Point(60, 160).Point(60, 260).Point(60, 340);
  b.Point(160, 360).Point(260, 320).Point(340, 340);
  b.Point(340, 260).Point(320, 160).Point(340, 60);
  b.Point(260, 80).Point(160, 60);
  b.Point(180, 120).Point(120, 280).Point(230, 230).Point(280, 140);  // p11 p12 p22 p21
  b.Color(Colour(s, 0)).Color(Colour(s, 1)).Color(Colour(s, 2)).Color(Colour(s, 4));
  return b.Data();
}

struct Case {
  std::string name;
  int type;  // the file's shading type
  const Space* space;
  bool softMask;
  // Painted as a pattern fill with /BBox and /Background instead of by sh.
  bool pattern = false;
};

std::string CaseName(const ::testing::TestParamInfo<Case>& info) { return info.param.name; }

class MeshShadingFile : public ::testing::TestWithParam<Case> {
 protected:
  fs::path folder = fs::temp_directory_path() / ("corvel-mesh-" + std::to_string(::getpid()) + "-" + GetParam().name);
  fs::path input = folder / "in.pdf", output = folder / "out.pdf";
  void SetUp() override { fs::create_directories(folder); }
  void TearDown() override {
    if (!std::getenv("CORVEL_KEEP_TEST_FILES")) fs::remove_all(folder);
  }

  Handle Shading(QPDF& pdf, const Case& c) {
    if (c.type == 1) return FunctionBased(pdf, *c.space);
    const std::string data = c.type == 4   ? FreeForm(*c.space)
                             : c.type == 5 ? Lattice(*c.space)
                             : c.type == 6 ? Coons(*c.space)
                                           : Tensor(*c.space);
    auto stream = Handle::newStream(&pdf, data);
    for (auto& [key, value] : Handle::parse(MeshDictionary(c.type, *c.space)).getDictAsMap())
      stream.getDict().replaceKey(key, value);
    if (c.pattern) {
      std::string background = "[";
      for (double v : Colour(*c.space, 3)) background += " " + std::to_string(v);
      stream.getDict().replaceKey("/Background", Handle::parse(background + "]"));
      stream.getDict().replaceKey("/BBox", Handle::parse("[80 70 320 290]"));
    }
    return pdf.makeIndirectObject(stream);
  }
  // A 2 × 2 sampled function of (x, y) stretched over 240 × 200 pt by /Matrix.
  Handle FunctionBased(QPDF& pdf, const Space& space) {
    const std::string samples = space.components == 4 ? std::string("\xff\x00\x00\x00\x00\xff\x00\x00\x00\x00\xff\x00\x40\x40\x00\xff", 16)
                                                      : std::string("\x10\xff\x80\x30", 4);
    auto function = Handle::newStream(&pdf, samples);
    std::string range = "[";
    for (int c = 0; c < space.components; ++c) range += " 0 1";
    for (auto& [key, value] : Handle::parse("<< /FunctionType 0 /Domain [0 1 0 1] /Size [2 2] /BitsPerSample 8 /Range " +
                                            range + "] >>").getDictAsMap())
      function.getDict().replaceKey(key, value);
    auto dict = Handle::parse("<< /ShadingType 1 /ColorSpace " + space.colorSpace +
                              " /Domain [0 1 0 1] /Matrix [240 0 0 200 80 100] >>");
    dict.replaceKey("/Function", pdf.makeIndirectObject(function));
    return pdf.makeIndirectObject(dict);
  }

  // Yellow and black panels, then the shading at alpha 0.5 or through a soft mask (a gray
  // ramp of luminosity) clipped to a square.
  void WriteCase(const Case& c) {
    QPDF pdf;
    pdf.emptyPDF();
    auto resources = Handle::parse(
        "<< /ExtGState << /Half << /ca 0.5 >> >> /Shading << >> /XObject << >> >>");
    resources.getKey("/Shading").replaceKey("/Sh", Shading(pdf, c));
    std::string gs = "/Half gs";
    if (c.softMask) {
      auto mask = Handle::newStream(&pdf, "0 0 400 400 re W n /Ramp sh");
      for (auto& [key, value] : Handle::parse("<< /Type /XObject /Subtype /Form /BBox [0 0 400 400] /Group << /S /Transparency /CS /DeviceGray >> "
                                              "/Resources << /Shading << /Ramp << /ShadingType 2 /ColorSpace /DeviceGray /Coords [0 0 400 0] "
                                              "/Function << /FunctionType 2 /Domain [0 1] /C0 [0.2] /C1 [1] /N 1 >> >> >> >> >>")
                                    .getDictAsMap())
        mask.getDict().replaceKey(key, value);
      auto state = Handle::parse("<< /SMask << /S /Luminosity >> >>");
      state.getKey("/SMask").replaceKey("/G", pdf.makeIndirectObject(mask));
      resources.getKey("/ExtGState").replaceKey("/Mask", state);
      gs = "/Mask gs";
    }
    auto page = Handle::parse("<< /Type /Page /MediaBox [0 0 400 400] >>");
    page.replaceKey("/Resources", resources);
    std::string paint = "q 30 30 340 340 re W n " + gs + " /Sh sh Q\n";
    if (c.pattern) {
      auto pattern = Handle::parse("<< /PatternType 2 /Matrix [1 0 0 1 10 -10] >>");
      pattern.replaceKey("/Shading", resources.getKey("/Shading").getKey("/Sh"));
      resources.replaceKey("/Pattern", Handle::newDictionary());
      resources.getKey("/Pattern").replaceKey("/P", pdf.makeIndirectObject(pattern));
      paint = "q " + gs + " /Pattern cs /P scn 30 30 340 340 re f Q\n";
    }
    page.replaceKey("/Contents", Handle::newStream(&pdf, "0 0 1 0 k 20 20 360 180 re f 0 0 0 0.4 k 20 200 360 180 re f\n" + paint));
    pdf.addPage(pdf.makeIndirectObject(page), false);
    QPDFWriter writer(pdf, input.c_str());
    writer.setStaticID(true);
    writer.write();
  }
};

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

TEST_P(MeshShadingFile, FlattenedPrintsTheSame) {
  WriteCase(GetParam());
  CorvelCli::FileSettings settings;
  settings.strict = true;
  const auto report = CorvelCli::RunOnFile(input.string(), output.string(), settings);
  ASSERT_EQ(report.pages.size(), 1u);
  EXPECT_TRUE(report.pages[0].replaced) << report.pages[0].leftAsItWas;
  EXPECT_TRUE(CorvelCatalogue::FindTransparency(ReadBytes(output)).empty());
  const auto like = CorvelOracle::ColorConversion::ManagedCmykGroups;
  const auto comparison = CorvelOracle::Compare(CorvelOracle::RenderPdfPage(input.string(), 1, 150, like),
                                                CorvelOracle::RenderPdfPage(output.string(), 1, 150, like));
  EXPECT_TRUE(comparison.Agrees()) << comparison.Report();
  // Most of the page is compared: the shading is smooth, only its outlines are banded.
  EXPECT_LT(comparison.pixelsInBand, std::size_t(comparison.width) * std::size_t(comparison.height) / 4)
      << comparison.Report();
}

// A Coons mesh painted after a transparent panel, beside it: flattening leaves the mesh as the
// file painted it, and the outline view writes it anew.
class MeshBesideTransparency : public ::testing::Test {
 protected:
  fs::path folder = fs::temp_directory_path() / ("corvel-mesh-beside-" + std::to_string(::getpid()) + "-" +
                                                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
  fs::path input = folder / "in.pdf", output = folder / "out.pdf";
  std::string meshData = Coons(kCmyk);
  void SetUp() override {
    fs::create_directories(folder);
    QPDF pdf;
    pdf.emptyPDF();
    auto resources = Handle::parse("<< /ExtGState << /Half << /ca 0.5 >> >> /Shading << >> >>");
    auto stream = Handle::newStream(&pdf, meshData);
    for (auto& [key, value] : Handle::parse(MeshDictionary(6, kCmyk)).getDictAsMap()) stream.getDict().replaceKey(key, value);
    resources.getKey("/Shading").replaceKey("/Sh", pdf.makeIndirectObject(stream));
    auto page = Handle::parse("<< /Type /Page /MediaBox [0 0 800 400] >>");
    page.replaceKey("/Resources", resources);
    page.replaceKey("/Contents", Handle::newStream(&pdf, "0 0 0 0.4 k 450 50 300 300 re f q /Half gs 1 0 0 0 k 500 100 300 200 re f Q\n"
                                                         "q 0 0 400 400 re W n /Sh sh Q\n"));
    pdf.addPage(pdf.makeIndirectObject(page), false);
    QPDFWriter writer(pdf, input.c_str());
    writer.setStaticID(true);
    writer.write();
  }
  void TearDown() override {
    if (!std::getenv("CORVEL_KEEP_TEST_FILES")) fs::remove_all(folder);
  }
  // The data of every mesh shading the output's page names.
  std::vector<std::string> MeshStreams() {
    QPDF pdf;
    pdf.processFile(output.c_str());
    std::vector<std::string> found;
    auto page = pdf.getAllPages().front();
    auto shadings = page.getKey("/Resources").getKey("/Shading");
    if (!shadings.isDictionary()) return found;
    for (auto& [name, shading] : shadings.getDictAsMap()) {
      if (shading.isStream() && shading.getDict().getKey("/ShadingType").getIntValue() == 6)
      {
        const auto data = shading.getStreamData(qpdf_dl_all);
        found.emplace_back(reinterpret_cast<const char*>(data->getBuffer()), data->getSize());
      }
    }
    return found;
  }
  void ExpectPrintsTheSame() {
    const auto like = CorvelOracle::ColorConversion::ManagedCmykGroups;
    const auto comparison = CorvelOracle::Compare(CorvelOracle::RenderPdfPage(input.string(), 1, 150, like),
                                                  CorvelOracle::RenderPdfPage(output.string(), 1, 150, like));
    EXPECT_TRUE(comparison.Agrees()) << comparison.Report();
  }
};

TEST_F(MeshBesideTransparency, FlatteningWritesTheMeshBackAsTheFileHadItAndPrintsTheSame) {
  CorvelCli::FileSettings settings;
  settings.strict = true;
  const auto report = CorvelCli::RunOnFile(input.string(), output.string(), settings);
  ASSERT_TRUE(report.pages[0].replaced);
  EXPECT_EQ(MeshStreams(), std::vector<std::string>{meshData});
  ExpectPrintsTheSame();
}

TEST_F(MeshBesideTransparency, OutlineViewWritesTheMeshAndPrintsTheSame) {
  CorvelCli::FileSettings settings;
  settings.strict = true;
  settings.action = "outline";
  const auto report = CorvelCli::RunOnFile(input.string(), output.string(), settings);
  ASSERT_TRUE(report.pages[0].replaced) << report.pages[0].leftAsItWas;
  ExpectPrintsTheSame();
}

std::vector<Case> Cases() {
  std::vector<Case> cases;
  const std::pair<int, const char*> types[] = {{1, "FunctionBased"}, {4, "FreeForm"}, {5, "Lattice"}, {6, "Coons"}, {7, "Tensor"}};
  for (const auto& [type, name] : types) {
    for (const Space* space : {&kCmyk, &kSpot}) cases.push_back({std::string(name) + space->name + "Half", type, space, false});
  }
  cases.push_back({"CoonsCmykSoftMask", 6, &kCmyk, true});
  cases.push_back({"FreeFormSpotSoftMask", 4, &kSpot, true});
  cases.push_back({"CoonsCmykPatternWithBoxAndBackground", 6, &kCmyk, false, true});
  cases.push_back({"FreeFormSpotPatternWithBoxAndBackground", 4, &kSpot, false, true});
  return cases;
}

INSTANTIATE_TEST_SUITE_P(Types, MeshShadingFile, ::testing::ValuesIn(Cases()), CaseName);

}  // namespace
