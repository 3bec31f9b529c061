#pragma once
// What one write of a PDF file shares: the qpdf document being built, the inks of the source
// document, and the objects already written (colour spaces, shadings, images, layers), so that
// each is written once and referenced from every stream that uses it.

#include <mavdoc/Layer.h>
#include <mavdoc/Separation.h>
#include <io/pdf/RasterImageSettings.h>

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <string>
#include <vector>

namespace CorvelPdf::Detail {

class BackgroundEncoding;

class WriterState {
 public:
  WriterState(QPDF& pdf, MavDoc::Separation::Entries inks) : pdf_(pdf), inks_(std::move(inks)) {}
  WriterState(const WriterState&) = delete;
  WriterState& operator=(const WriterState&) = delete;

  QPDF& Pdf() { return pdf_; }
  // Whether objects read from this same file are written back from their source records
  // (io/pdf/PdfSource.h) instead of from the model. Only when editing the file they came from.
  bool PassThrough() const { return passThrough_; }
  void SetPassThrough(bool on) { passThrough_ = on; }
  // How continuous-tone pictures made by flattening are compressed.
  const RasterImageSettings& RasterImages() const { return rasterImages_; }
  void SetRasterImages(const RasterImageSettings& settings) { rasterImages_ = settings; }
  QPDFObjectHandle MakeIndirect(QPDFObjectHandle object) { return pdf_.makeIndirectObject(object); }
  QPDFObjectHandle NewStream(const std::string& data, QPDFObjectHandle dictionary);
  // Gives `stream` the data `encode` returns (already encoded with `filter` and `parameters`):
  // at once, or on the background encoding's workers when there is one (see
  // BackgroundEncodingInternal.h for what `encode` may touch then).
  void SetEncodedData(QPDFObjectHandle stream, std::function<std::string()> encode,
                      QPDFObjectHandle filter, QPDFObjectHandle parameters);
  void SetBackgroundEncoding(BackgroundEncoding* encoding) { encoding_ = encoding; }

  // The process look of an ink at full tint: the unit vector for a process ink, the document's
  // representation for a spot, and black for a spot the document does not list.
  std::array<float, 4> InkLook(const std::string& name) const;

  // Objects written once per file, found by a key the caller chooses (an ink list, the address
  // of a shared value). Uninitialised when absent.
  QPDFObjectHandle Find(const std::string& key) const;
  QPDFObjectHandle Remember(const std::string& key, QPDFObjectHandle object);

  // The optional-content groups, in the order they were first used.
  struct LayerEntry {
    std::shared_ptr<MavDoc::LayerProperties> properties;
    QPDFObjectHandle group;
  };
  std::vector<LayerEntry>& Layers() { return layers_; }

  // Counts the form XObjects being written inside one another for as long as it lives. Throws
  // std::invalid_argument naming `where` past kMaxFormNesting: a soft mask whose artwork uses
  // that same mask would otherwise recurse without end.
  class FormNesting {
   public:
    FormNesting(WriterState& state, const std::string& where);
    ~FormNesting() { --state_.formDepth_; }
    FormNesting(const FormNesting&) = delete;
    FormNesting& operator=(const FormNesting&) = delete;

   private:
    WriterState& state_;
  };
  static constexpr int kMaxFormNesting = 64;

 private:
  QPDF& pdf_;
  MavDoc::Separation::Entries inks_;
  std::map<std::string, QPDFObjectHandle> written_;
  std::vector<LayerEntry> layers_;
  int formDepth_ = 0;
  bool passThrough_ = false;
  RasterImageSettings rasterImages_;
  BackgroundEncoding* encoding_ = nullptr;  // not owned; null encodes at once
};

// A key naming a shared value by its address, for values that live as long as the write.
std::string AddressKey(const char* kind, const void* address);

// The resource dictionary of one content stream. Every resource is an indirect object; each gets
// a name on first use (GS0, CS0, Sh0, P0, X0, OC0 by category) and keeps it.
class Resources {
 public:
  // The name (without slash) under which `object` is listed in `category` ("ExtGState",
  // "ColorSpace", "Shading", "Pattern", "XObject", "Properties").
  std::string NameFor(const std::string& category, const QPDFObjectHandle& object);
  QPDFObjectHandle Dictionary() const { return dictionary_; }

 private:
  QPDFObjectHandle dictionary_ = QPDFObjectHandle::newDictionary();
  std::map<std::string, std::map<QPDFObjGen, std::string>> names_;
};

}  // namespace CorvelPdf::Detail
