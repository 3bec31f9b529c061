#include <io/pdf/WriterStateInternal.h>

#include <io/pdf/BackgroundEncodingInternal.h>
#include <values/Color.h>

#include <cstdio>
#include <stdexcept>

namespace CorvelPdf::Detail {

namespace {

const std::map<std::string, std::string>& CategoryPrefixes() {
  static const std::map<std::string, std::string> prefixes{
      {"ExtGState", "GS"}, {"ColorSpace", "CS"}, {"Shading", "Sh"},
      {"Pattern", "P"},    {"XObject", "X"},     {"Properties", "OC"},
      {"Font", "F"}};
  return prefixes;
}

}  // namespace

QPDFObjectHandle WriterState::NewStream(const std::string& data, QPDFObjectHandle dictionary) {
  QPDFObjectHandle stream = QPDFObjectHandle::newStream(&pdf_, data);
  QPDFObjectHandle streamDictionary = stream.getDict();
  for (const std::string& key : dictionary.getKeys()) {
    streamDictionary.replaceKey(key, dictionary.getKey(key));
  }
  return stream;
}

void WriterState::SetEncodedData(QPDFObjectHandle stream, std::function<std::string()> encode,
                                 QPDFObjectHandle filter, QPDFObjectHandle parameters) {
  if (encoding_) {
    encoding_->SetStreamData(stream, std::move(encode), filter, parameters);
  } else {
    stream.replaceStreamData(encode(), filter, parameters);
  }
}

std::array<float, 4> WriterState::InkLook(const std::string& name) const {
  const auto& process = MavColor::ProcessInkNames();
  for (std::size_t i = 0; i < process.size(); ++i) {
    if (process[i] == name) {
      std::array<float, 4> unit{0, 0, 0, 0};
      unit[i] = 1;
      return unit;
    }
  }
  const auto entry = MavDoc::Separation::Find(inks_, name);
  if (entry != inks_.end()) return entry->GetRepresentation().cmyk;
  return {0, 0, 0, 1};
}

QPDFObjectHandle WriterState::Find(const std::string& key) const {
  const auto found = written_.find(key);
  return found == written_.end() ? QPDFObjectHandle() : found->second;
}

QPDFObjectHandle WriterState::Remember(const std::string& key, QPDFObjectHandle object) {
  written_.emplace(key, object);
  return object;
}

WriterState::FormNesting::FormNesting(WriterState& state, const std::string& where)
    : state_(state) {
  if (state_.formDepth_ >= kMaxFormNesting) {
    throw std::invalid_argument(where + ": groups and soft masks nest deeper than " +
                                std::to_string(kMaxFormNesting) + " levels");
  }
  ++state_.formDepth_;
}

std::string AddressKey(const char* kind, const void* address) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%s@%p", kind, address);
  return buffer;
}

std::string Resources::NameFor(const std::string& category, const QPDFObjectHandle& object) {
  if (!object.isIndirect()) throw std::logic_error("PDF resources must be indirect objects");
  auto& names = names_[category];
  const auto found = names.find(object.getObjGen());
  if (found != names.end()) return found->second;
  const std::string name = CategoryPrefixes().at(category) + std::to_string(names.size());
  names.emplace(object.getObjGen(), name);
  const std::string key = "/" + category;
  if (!dictionary_.hasKey(key)) dictionary_.replaceKey(key, QPDFObjectHandle::newDictionary());
  dictionary_.getKey(key).replaceKey("/" + name, object);
  return name;
}

}  // namespace CorvelPdf::Detail
