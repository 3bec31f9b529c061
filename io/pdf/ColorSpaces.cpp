#include <io/pdf/ColorSpacesInternal.h>
#include <io/pdf/PdfSyntaxInternal.h>

#include <algorithm>
#include <set>
#include <stdexcept>

namespace CorvelPdf::Detail {

namespace {

// ISO 32000-1 Annex C (implementation limits): a DeviceN space has at most 32 colorants.
constexpr std::size_t kMaxDeviceNInks = 32;

using Ink = std::pair<std::string, double>;

bool IsProcessInk(const std::string& name) {
  for (const auto& process : MavColor::ProcessInkNames()) {
    if (process == name) return true;
  }
  return false;
}

// Type 2 function from no ink to the ink's process look (ISO 32000-1 §7.10.3).
QPDFObjectHandle SeparationTintFunction(const std::array<float, 4>& look) {
  auto function = QPDFObjectHandle::newDictionary();
  function.replaceKey("/FunctionType", QPDFObjectHandle::newInteger(2));
  function.replaceKey("/Domain", NumberArray({0, 1}));
  function.replaceKey("/C0", NumberArray({0, 0, 0, 0}));
  function.replaceKey("/C1", NumberArray({look[0], look[1], look[2], look[3]}));
  function.replaceKey("/N", QPDFObjectHandle::newInteger(1));
  return function;
}

// PostScript calculator code (ISO 32000-1 §7.10.5) mixing n inks subtractively: each process
// channel is 1 − Π(1 − tᵢ·lookᵢ), so overlapping inks darken like ink on paper and no channel
// exceeds 1. The inputs stay at the bottom of the stack until the four outputs are made.
std::string MixingProgram(const std::vector<std::array<float, 4>>& looks) {
  const std::size_t n = looks.size();
  std::string code = "{\n";
  for (std::size_t channel = 0; channel < 4; ++channel) {
    code += "1";
    for (std::size_t i = 0; i < n; ++i) {
      const double share = looks[i][channel];
      if (share == 0) continue;
      code += " " + std::to_string(channel + 1 + (n - 1 - i)) + " index";
      if (share != 1) code += " " + FormatNumber(share) + " mul";
      code += " 1 exch sub mul";
    }
    code += " 1 exch sub\n";
  }
  code += std::to_string(n + 4) + " 4 roll";
  for (std::size_t i = 0; i < n; ++i) code += " pop";
  return code + "\n}\n";
}

QPDFObjectHandle DeviceNTintFunction(WriterState& state, const std::vector<std::string>& names) {
  std::vector<std::array<float, 4>> looks;
  for (const auto& name : names) looks.push_back(state.InkLook(name));
  auto dictionary = QPDFObjectHandle::newDictionary();
  dictionary.replaceKey("/FunctionType", QPDFObjectHandle::newInteger(4));
  std::vector<double> domain;
  for (std::size_t i = 0; i < names.size(); ++i) domain.insert(domain.end(), {0, 1});
  dictionary.replaceKey("/Domain", NumberArray(domain));
  dictionary.replaceKey("/Range", NumberArray({0, 1, 0, 1, 0, 1, 0, 1}));
  return state.NewStream(MixingProgram(looks), dictionary);
}

QPDFObjectHandle IccBased(WriterState& state,
                          const std::shared_ptr<const MavColor::ICCProfile>& profile,
                          int components) {
  if (!profile) throw std::invalid_argument("An ICC-based colour space has no profile");
  const std::string key = AddressKey("icc", profile.get());
  if (auto found = state.Find(key); found.isInitialized()) return found;
  auto dictionary = QPDFObjectHandle::newDictionary();
  dictionary.replaceKey("/N", QPDFObjectHandle::newInteger(components));
  const auto& bytes = profile->GetBytes();
  auto stream = state.NewStream(std::string(bytes.begin(), bytes.end()), dictionary);
  auto array = QPDFObjectHandle::newArray({PdfName("ICCBased"), stream});
  return state.Remember(key, state.MakeIndirect(array));
}

QPDFObjectHandle CieDictionary(const std::array<double, 3>& white,
                               const std::array<double, 3>& black) {
  auto dictionary = QPDFObjectHandle::newDictionary();
  dictionary.replaceKey("/WhitePoint", NumberArray({white.begin(), white.end()}));
  dictionary.replaceKey("/BlackPoint", NumberArray({black.begin(), black.end()}));
  return dictionary;
}

// Spaces that are not ink lists, written as they are. Null for ink-list spaces.
QPDFObjectHandle OwnSpace(WriterState& state, const MavColor::ColorSpace& space) {
  using namespace MavColor;
  if (std::holds_alternative<DeviceGray>(space)) return PdfName("DeviceGray");
  if (std::holds_alternative<DeviceRGB>(space)) return PdfName("DeviceRGB");
  if (const auto* gray = std::get_if<CalGray>(&space)) {
    auto dictionary = CieDictionary(gray->whitePoint, gray->blackPoint);
    dictionary.replaceKey("/Gamma", NumberObject(gray->gamma));
    return state.MakeIndirect(QPDFObjectHandle::newArray({PdfName("CalGray"), dictionary}));
  }
  if (const auto* rgb = std::get_if<CalRGB>(&space)) {
    auto dictionary = CieDictionary(rgb->whitePoint, rgb->blackPoint);
    dictionary.replaceKey("/Gamma", NumberArray({rgb->gamma.begin(), rgb->gamma.end()}));
    dictionary.replaceKey("/Matrix", NumberArray({rgb->matrix.begin(), rgb->matrix.end()}));
    return state.MakeIndirect(QPDFObjectHandle::newArray({PdfName("CalRGB"), dictionary}));
  }
  if (const auto* lab = std::get_if<Lab>(&space)) {
    auto dictionary = CieDictionary(lab->whitePoint, lab->blackPoint);
    dictionary.replaceKey("/Range", NumberArray({lab->range.begin(), lab->range.end()}));
    return state.MakeIndirect(QPDFObjectHandle::newArray({PdfName("Lab"), dictionary}));
  }
  if (const auto* icc = std::get_if<ICCGray>(&space)) return IccBased(state, icc->profile, 1);
  if (const auto* icc = std::get_if<ICCRGB>(&space)) return IccBased(state, icc->profile, 3);
  if (const auto* icc = std::get_if<ICCThreeComponent>(&space)) {
    return IccBased(state, icc->profile, 3);
  }
  const auto* four = std::get_if<FourComponent>(&space);
  if (four && four->kind == FourComponent::kICCKind && four->profile) {
    return IccBased(state, four->profile, 4);
  }
  return {};
}

// The inks of an ink-list colour: process components under their ink names, then named inks.
std::vector<Ink> InksOf(const MavColor::Color& color) {
  const auto& space = color.GetColorSpace();
  const auto& entries = color.GetEntries();
  std::vector<Ink> inks;
  const std::size_t processCount = color.ProcessCount();
  if (std::holds_alternative<MavColor::FourComponent>(space)) {
    for (std::size_t i = 0; i < 4; ++i) {
      inks.emplace_back(MavColor::ProcessInkNames()[i], i < entries.size() ? entries[i].value : 0);
    }
  } else if (std::holds_alternative<MavColor::DeviceGray>(space)) {
    inks.emplace_back("Black", entries.empty() ? 0.0 : 1.0 - entries[0].value);
  } else if (processCount != 0) {
    throw std::invalid_argument("A colour in an RGB or CIE space cannot carry named inks in PDF");
  }
  for (std::size_t i = color.NamedBegin(); i < entries.size(); ++i) {
    inks.emplace_back(entries[i].name, entries[i].value);
  }
  std::set<std::string> seen;
  for (const auto& ink : inks) {
    if (!seen.insert(ink.first).second) {
      throw std::invalid_argument("Colour names the ink \"" + ink.first + "\" twice");
    }
  }
  return inks;
}

PdfColor InkListColor(WriterState& state, const std::vector<Ink>& inks) {
  const bool processOnly =
      std::all_of(inks.begin(), inks.end(), [](const Ink& ink) { return IsProcessInk(ink.first); });
  if (processOnly) {
    std::vector<double> cmyk(4, 0.0);
    for (const auto& [name, value] : inks) {
      for (std::size_t i = 0; i < 4; ++i) {
        if (MavColor::ProcessInkNames()[i] == name) cmyk[i] = value;
      }
    }
    return {{PdfName("DeviceCMYK"), 4}, cmyk};
  }
  std::vector<std::string> names;
  std::vector<double> values;
  for (const auto& [name, value] : inks) {
    if (IsProcessInk(name) && value == 0) continue;
    names.push_back(name);
    values.push_back(value);
  }
  return {InkColorSpace(state, names), values};
}

}  // namespace

PdfColorSpace InkColorSpace(WriterState& state, const std::vector<std::string>& names) {
  if (names.empty()) throw std::invalid_argument("A colour space needs at least one ink");
  if (names.size() > kMaxDeviceNInks) {
    throw std::invalid_argument("PDF allows at most 32 inks in one colour space, not " +
                                std::to_string(names.size()));
  }
  if (std::set<std::string>(names.begin(), names.end()).size() != names.size()) {
    throw std::invalid_argument("A colour space names an ink twice");
  }
  const int count = static_cast<int>(names.size());
  const auto& process = MavColor::ProcessInkNames();
  if (std::equal(names.begin(), names.end(), process.begin(), process.end())) {
    return {PdfName("DeviceCMYK"), 4};
  }
  std::string key = "inks";
  for (const auto& name : names) key += '\0' + name;
  if (auto found = state.Find(key); found.isInitialized()) return {found, count};
  QPDFObjectHandle array;
  if (names.size() == 1) {
    array = QPDFObjectHandle::newArray({PdfName("Separation"), PdfName(names[0]), PdfName("DeviceCMYK"),
                                        SeparationTintFunction(state.InkLook(names[0]))});
  } else {
    auto inkNames = QPDFObjectHandle::newArray();
    for (const auto& name : names) inkNames.appendItem(PdfName(name));
    array = QPDFObjectHandle::newArray(
        {PdfName("DeviceN"), inkNames, PdfName("DeviceCMYK"), DeviceNTintFunction(state, names)});
  }
  return {state.Remember(key, state.MakeIndirect(array)), count};
}

QPDFObjectHandle ProcessSpaceObject(WriterState& state, const MavColor::ColorSpace& space) {
  return OwnSpace(state, space);
}

PdfColor FlatColor(WriterState& state, const MavColor::Color& color) {
  const auto& space = color.GetColorSpace();
  if (std::holds_alternative<MavColor::AllSeparations>(space)) {
    if (color.NamedCount() != 0) {
      throw std::invalid_argument("A registration colour cannot carry named inks");
    }
    const double value = color.Empty() ? 0.0 : color.GetEntries()[0].value;
    return {InkColorSpace(state, {"All"}), {value}};
  }
  if (color.NamedCount() == 0) {
    if (QPDFObjectHandle own = OwnSpace(state, space); own.isInitialized()) {
      std::vector<double> values;
      for (const auto& entry : color.GetEntries()) values.push_back(entry.value);
      values.resize(color.ProcessCount(), 0.0);
      return {{own, static_cast<int>(color.ProcessCount())}, values};
    }
  }
  return InkListColor(state, InksOf(color));
}

QPDFObjectHandle GroupColorSpace(WriterState& state, const MavColor::GroupColorSpace& space) {
  using namespace MavColor;
  if (std::holds_alternative<DeviceGray>(space)) return PdfName("DeviceGray");
  if (std::holds_alternative<DeviceRGB>(space)) return PdfName("DeviceRGB");
  if (std::holds_alternative<DeviceCMYK>(space)) return PdfName("DeviceCMYK");
  if (const auto* gray = std::get_if<CalGray>(&space)) return OwnSpace(state, *gray);
  if (const auto* rgb = std::get_if<CalRGB>(&space)) return OwnSpace(state, *rgb);
  if (const auto* icc = std::get_if<ICCGray>(&space)) return IccBased(state, icc->profile, 1);
  if (const auto* icc = std::get_if<ICCRGB>(&space)) return IccBased(state, icc->profile, 3);
  if (const auto* icc = std::get_if<ICCCMYK>(&space)) return IccBased(state, icc->profile, 4);
  return {};
}

}  // namespace CorvelPdf::Detail
