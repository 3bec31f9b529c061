#include <tools/testpages/PosterPage.h>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFWriter.hh>

#include <string>

namespace CorvelTestPages {

namespace {

using Handle = QPDFObjectHandle;

std::string PosterNumber(double value) { return std::to_string(value); }

Handle PosterResources(const PosterPageOptions& o) {
  return Handle::parse(
      "<< /ExtGState << /Multiply << /BM /Multiply /ca 0.8 >> >>"
      " /Font << /Headline << /Type /Font /Subtype /Type1 /BaseFont /Helvetica-Bold >> >>"
      " /ColorSpace << /Gold [/Separation /Poster#20Gold /DeviceCMYK << /FunctionType 2"
      " /Domain [0 1] /C0 [0 0 0 0] /C1 [0 0.3 1 0] /N 1 >>] >>"
      " /Shading << /Sweep << /ShadingType 2 /ColorSpace /DeviceCMYK /Coords [0 0 " +
      PosterNumber(o.width) + " " + PosterNumber(o.height) +
      "] /Extend [true true] /Function << /FunctionType 2 /Domain [0 1] /C0 [1 0 0 0]"
      " /C1 [0 0 1 0] /N 1 >> >> >> >>");
}

}  // namespace

void WritePosterPage(const std::filesystem::path& path, const PosterPageOptions& o) {
  const std::string box = "0 0 " + PosterNumber(o.width) + " " + PosterNumber(o.height);
  const std::string content = "/Gold cs 0.5 scn " + box + " re f q /Multiply gs " + box +
                              " re W n /Sweep sh Q 0 0 0 1 k BT /Headline " +
                              PosterNumber(o.height / 8) + " Tf " + PosterNumber(o.width / 20) +
                              " " + PosterNumber(o.height / 2) + " Td (POSTER) Tj ET\n";
  QPDF pdf;
  pdf.emptyPDF();
  auto page = Handle::parse("<< /Type /Page /MediaBox [" + box + "] >>");
  if (o.userUnit != 1) page.replaceKey("/UserUnit", Handle::newReal(o.userUnit, 3));
  page.replaceKey("/Resources", PosterResources(o));
  page.replaceKey("/Contents", Handle::newStream(&pdf, content));
  pdf.addPage(pdf.makeIndirectObject(page), false);
  QPDFWriter writer(pdf, path.c_str());
  writer.setStaticID(true);
  writer.setStreamDataMode(qpdf_s_compress);
  writer.write();
}

}  // namespace CorvelTestPages
