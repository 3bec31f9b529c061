#include <io/pdf/BackgroundEncodingInternal.h>
#include <io/pdf/ContentStreamInternal.h>
#include <io/pdf/OptionalContentInternal.h>
#include <io/pdf/PdfEditor.h>
#include <io/pdf/PendingOutput.h>
#include <io/pdf/PdfSyntaxInternal.h>
#include <io/pdf/reader/TransparencyScan.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>
#include <set>
#include <stdexcept>

namespace CorvelPdf {

namespace {

// Versions compare as numbers: "1.10" does not exist, so a decimal reading is exact enough.
double VersionNumber(const std::string& version) {
  try {
    std::size_t used = 0;
    const double value = std::stod(version, &used);
    if (used == version.size() && value >= 1.0 && value <= 2.0) return value;
  } catch (const std::exception&) {
  }
  throw std::invalid_argument("PDF version '" + version + "' is not one of 1.0 … 2.0");
}

void RemoveAnnotations(QPDFObjectHandle page, const std::vector<QPDFObjectHandle>& drawn) {
  if (drawn.empty()) return;
  std::set<QPDFObjGen> gone;
  for (const auto& annotation : drawn) gone.insert(annotation.getObjGen());
  auto kept = QPDFObjectHandle::newArray();
  for (auto& annotation : page.getKey("/Annots").aitems()) {
    if (!annotation.isIndirect() || !gone.contains(annotation.getObjGen()))
      kept.appendItem(annotation);
  }
  if (kept.getArrayNItems() == 0)
    page.removeKey("/Annots");
  else
    page.replaceKey("/Annots", kept);
}

// Objects written back from the file may paint in DeviceGray or DeviceRGB, which the page's
// default colour spaces remapped: those stay. New objects paint in DeviceCMYK, Separation and
// DeviceN only, so a /DefaultCMYK is not carried over (it would reinterpret the output's CMYK).
void KeepDefaultSpaces(QPDFObjectHandle old, QPDFObjectHandle resources) {
  auto spaces = old.isDictionary() ? old.getKey("/ColorSpace") : QPDFObjectHandle::newNull();
  if (!spaces.isDictionary()) return;
  for (const char* key : {"/DefaultGray", "/DefaultRGB"}) {
    if (!spaces.hasKey(key)) continue;
    if (!resources.getKey("/ColorSpace").isDictionary())
      resources.replaceKey("/ColorSpace", QPDFObjectHandle::newDictionary());
    resources.getKey("/ColorSpace").replaceKey(key, spaces.getKey(key));
  }
}

// Layers that had to be made anew join the file's optional content.
void MergeLayers(QPDF& pdf, Detail::WriterState& state) {
  auto made = Detail::OptionalContentProperties(state);
  if (!made.isInitialized()) return;
  auto root = pdf.getRoot();
  auto existing = root.getKey("/OCProperties");
  if (!existing.isDictionary() || !existing.getKey("/OCGs").isArray()) {
    root.replaceKey("/OCProperties", made);
    return;
  }
  auto defaults = existing.getKey("/D");
  for (auto& group : made.getKey("/OCGs").aitems()) existing.getKey("/OCGs").appendItem(group);
  if (!defaults.isDictionary()) return;
  for (const char* key : {"/ON", "/OFF"}) {
    if (!defaults.getKey(key).isArray()) defaults.replaceKey(key, QPDFObjectHandle::newArray());
  }
  // Each new group is listed as on or off, whatever the configuration's base state.
  std::set<QPDFObjGen> hidden;
  for (auto& group : made.getKey("/D").getKey("/OFF").aitems()) hidden.insert(group.getObjGen());
  for (auto& group : made.getKey("/OCGs").aitems())
    defaults.getKey(hidden.contains(group.getObjGen()) ? "/OFF" : "/ON").appendItem(group);
}

// What in the file needs a version above `version`, or empty.
std::string NeedsMoreThan(QPDF& pdf, const std::vector<QPDFPageObjectHelper>& pages,
                          double version) {
  if (version < 1.4) {
    for (std::size_t i = 0; i < pages.size(); ++i) {
      if (PageMayPaintTransparency(pages[i].getObjectHandle()))
        return "page " + std::to_string(i + 1) + " holds transparency (PDF 1.4)";
    }
  }
  if (version < 1.5 && pdf.getRoot().hasKey("/OCProperties"))
    return "the file has optional content (PDF 1.5)";
  return {};
}

}  // namespace

PdfEditor::PdfEditor(QPDF& pdf, const RasterImageSettings& rasterImages)
    : pdf_(pdf), pages_(QPDFPageDocumentHelper(pdf).getAllPages()), rasterImages_(rasterImages) {
  if (rasterImages.threads > 1)
    encoding_ = std::make_unique<Detail::BackgroundEncoding>(rasterImages.threads);
}

PdfEditor::~PdfEditor() = default;

void PdfEditor::ReplacePage(int number, const MavDoc::Page& page,
                            const MavDoc::Separation::Entries& inks,
                            const std::vector<QPDFObjectHandle>& drawnAnnotations) {
  if (number < 1 || number > static_cast<int>(pages_.size()))
    throw std::invalid_argument("page " + std::to_string(number) + " is not in the file");
  auto target = pages_[number - 1].getObjectHandle();
  const std::string where = "page " + std::to_string(number);
  Detail::WriterState state(pdf_, inks);
  state.SetPassThrough(true);
  state.SetRasterImages(rasterImages_);
  state.SetBackgroundEncoding(encoding_.get());
  Detail::ContentStreamWriter writer(state, where);
  writer.WriteContent(page.GetContent(), Vexl::Transformation::Identity());
  // The model measures the page in default user space units times /UserUnit.
  std::string operators;
  auto unit = target.getKey("/UserUnit");
  if (unit.isNumber() && unit.getNumericValue() > 0 && unit.getNumericValue() != 1) {
    const double inverse = 1 / std::clamp(unit.getNumericValue(), 1e-3, 1e3);
    operators = Detail::FormatMatrix(Vexl::Transformation::Scaling(inverse, inverse)) + " cm\n";
  }
  operators += writer.Operators();
  target.replaceKey("/Contents", state.NewStream(operators, QPDFObjectHandle::newDictionary()));
  auto resources = writer.ResourceDictionary();
  KeepDefaultSpaces(pages_[number - 1].getAttribute("/Resources", false), resources);
  target.replaceKey("/Resources", resources);
  RemoveAnnotations(target, drawnAnnotations);
  MergeLayers(pdf_, state);
}

void PdfEditor::Configure(QPDFWriter& writer, const EditOptions& options) {
  // qpdf cannot derive an /ID from the content of a file it encrypts.
  if (!pdf_.isEncrypted()) writer.setDeterministicID(true);
  writer.setCompressStreams(true);
  const std::string written = options.pdfVersion.empty() ? pdf_.getPDFVersion() : options.pdfVersion;
  if (!options.pdfVersion.empty()) {
    const double version = VersionNumber(options.pdfVersion);
    if (const auto why = NeedsMoreThan(pdf_, pages_, version); !why.empty())
      throw std::invalid_argument("cannot write PDF " + options.pdfVersion + ": " + why);
    writer.forcePDFVersion(options.pdfVersion);
  }
  // Object streams came with PDF 1.5; older readers would find no objects. A damaged version
  // string counts as old.
  double version = 0;
  try {
    version = VersionNumber(written);
  } catch (const std::invalid_argument&) {
  }
  writer.setObjectStreamMode(version >= 1.5 ? qpdf_o_generate : qpdf_o_disable);
}

std::string PdfEditor::WriteToString(const EditOptions& options) {
  QPDFWriter writer(pdf_);
  writer.setOutputMemory();
  Configure(writer, options);
  writer.write();
  const auto buffer = writer.getBufferSharedPointer();
  return {reinterpret_cast<const char*>(buffer->getBuffer()), buffer->getSize()};
}

void PdfEditor::WriteFile(const std::string& path, const EditOptions& options) {
  const std::filesystem::path target(path);
  const auto folder = target.has_parent_path() ? target.parent_path() : ".";
  std::string temporary = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
  const int descriptor = mkstemp(temporary.data());
  if (descriptor < 0) throw std::runtime_error("cannot create a temporary file next to " + path);
  close(descriptor);
  const PendingOutput pending(temporary);  // an interrupted run leaves no partial file
  try {
    QPDFWriter writer(pdf_, temporary.c_str());
    Configure(writer, options);
    writer.write();
    // mkstemp makes the file private; the output gets what any new file gets.
    const mode_t mask = umask(0);
    umask(mask);
    chmod(temporary.c_str(), 0666 & ~mask);
    std::filesystem::rename(temporary, target);
  } catch (...) {
    std::remove(temporary.c_str());
    throw;
  }
}

}  // namespace CorvelPdf
