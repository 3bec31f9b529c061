#include <io/pdf/reader/PdfReader.h>
#include <io/pdf/reader/ReaderCodecsInternal.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

// jbig2.h uses uint8_t and uint32_t without including their header.
#include <jbig2.h>
#include <stdint.h>

namespace CorvelPdf::Detail {

namespace {

[[noreturn]] void Fail(const std::string& why) { throw ReadError("", "JBIG2Decode: " + why); }

// Every allocation of jbig2dec counted against the limit, so that a page, region or dictionary
// claiming more than the limit fails inside jbig2dec instead of taking the memory. jbig2dec hands
// back the address of `hooks`, the first member.
struct Budget {
  Jbig2Allocator hooks;
  std::size_t used = 0;
  std::size_t limit = 0;
  bool exceeded = false;
};

// Each block starts with its size, padded so that what follows stays aligned for any type.
constexpr std::size_t kHeader = alignof(std::max_align_t);

Budget& BudgetOf(Jbig2Allocator* allocator) { return *reinterpret_cast<Budget*>(allocator); }

std::size_t SizeOf(void* p) {
  std::size_t size;
  std::memcpy(&size, static_cast<unsigned char*>(p) - kHeader, sizeof size);
  return size;
}

void* Stored(void* block, std::size_t size) {
  std::memcpy(block, &size, sizeof size);
  return static_cast<unsigned char*>(block) + kHeader;
}

void* Allocate(Jbig2Allocator* allocator, std::size_t size) {
  auto& budget = BudgetOf(allocator);
  if (size > budget.limit - budget.used) {
    budget.exceeded = true;
    return nullptr;
  }
  void* block = std::malloc(size + kHeader);
  if (!block) return nullptr;
  budget.used += size;
  return Stored(block, size);
}

void Release(Jbig2Allocator* allocator, void* p) {
  if (!p) return;
  BudgetOf(allocator).used -= SizeOf(p);
  std::free(static_cast<unsigned char*>(p) - kHeader);
}

void* Reallocate(Jbig2Allocator* allocator, void* p, std::size_t size) {
  if (!p) return Allocate(allocator, size);
  auto& budget = BudgetOf(allocator);
  const std::size_t old = SizeOf(p);
  if (size > old && size - old > budget.limit - budget.used) {
    budget.exceeded = true;
    return nullptr;
  }
  void* block = std::realloc(static_cast<unsigned char*>(p) - kHeader, size + kHeader);
  if (!block) return nullptr;
  budget.used = budget.used - old + size;
  return Stored(block, size);
}

// jbig2dec's fatal errors and warnings; the first fatal one says most.
struct Messages {
  std::string fatal;
  std::string warning;
};

void OnMessage(void* data, const char* message, Jbig2Severity severity, uint32_t) {
  auto& messages = *static_cast<Messages*>(data);
  if (severity == JBIG2_SEVERITY_FATAL && messages.fatal.empty())
    messages.fatal = message ? message : "";
  else if (severity == JBIG2_SEVERITY_WARNING)
    messages.warning = message ? message : "";
}

[[noreturn]] void Fail(const std::string& what, const Messages& messages, const Budget& budget) {
  if (budget.exceeded) {
    Fail("decoding needs more than the limit of " + std::to_string(budget.limit) + " bytes");
  }
  const std::string& detail = messages.fatal.empty() ? messages.warning : messages.fatal;
  Fail(detail.empty() ? what : what + " (" + detail + ")");
}

std::uint32_t BigEndian32(std::string_view data, std::size_t at) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i)
    value = (value << 8) | static_cast<unsigned char>(data[at + i]);
  return value;
}

// Walks the segment headers (JBIG2 §7.2) so that data cut short is refused, and a page whose
// information segment claims more than the limit is refused before jbig2dec allocates it.
void CheckSegments(std::string_view data, const char* what, std::size_t maxBytes) {
  std::uint64_t at = 0;
  while (at < data.size()) {
    auto need = [&](std::uint64_t count) {
      if (at + count > data.size()) Fail(std::string(what) + " cut short in a segment");
    };
    need(6);
    const std::uint32_t number = BigEndian32(data, at);
    const auto flags = static_cast<unsigned char>(data[at + 4]);
    std::uint64_t referred = static_cast<unsigned char>(data[at + 5]) >> 5;
    at += 6;
    if (referred == 7) {  // long form: a count, then one retain bit per segment and this one
      at -= 1;
      need(4);
      referred = BigEndian32(data, at) & 0x1fffffff;
      at += 4 + (referred + 8) / 8;
    } else if (referred > 4) {
      Fail(std::string(what) + ": bad count of referred-to segments");
    }
    at += referred * (number <= 256 ? 1 : number <= 65536 ? 2 : 4) + ((flags & 0x40) ? 4 : 1);
    need(4);
    const std::uint32_t length = BigEndian32(data, at);
    at += 4;
    if (length == 0xffffffff) return;  // an immediate generic region of unknown length ends it
    need(length);
    if ((flags & 0x3f) == 48 && length >= 8) {  // page information: width, height
      const std::uint64_t width = BigEndian32(data, at), height = BigEndian32(data, at + 4);
      if (height != 0xffffffff && (width + 7) / 8 * height > maxBytes) {
        Fail("page of " + std::to_string(width) + " x " + std::to_string(height) +
             " exceeds the limit of " + std::to_string(maxBytes) + " decoded bytes");
      }
    }
    at += length;
  }
}

}  // namespace

namespace {

struct ContextFree {
  void operator()(Jbig2Ctx* context) const { jbig2_ctx_free(context); }
};
struct GlobalsFree {
  void operator()(Jbig2GlobalCtx* globals) const { jbig2_global_ctx_free(globals); }
};
using ContextPtr = std::unique_ptr<Jbig2Ctx, ContextFree>;
using GlobalsPtr = std::unique_ptr<Jbig2GlobalCtx, GlobalsFree>;

// A page image handed out by a context, given back to it.
struct PageRelease {
  Jbig2Ctx* context;
  void operator()(Jbig2Image* page) const { jbig2_release_page(context, page); }
};
using PagePtr = std::unique_ptr<Jbig2Image, PageRelease>;

class Decoder {
 public:
  explicit Decoder(std::size_t maxBytes) {
    budget_.hooks = {Allocate, Release, Reallocate};
    budget_.limit = maxBytes;
  }
  // Contexts keep the address of the allocator hooks.
  Decoder(const Decoder&) = delete;
  Decoder& operator=(const Decoder&) = delete;

  // PDF embeds JBIG2 without file header, end-of-page or end-of-file segments (§7.4.7).
  ContextPtr NewContext(Jbig2GlobalCtx* globals) {
    ContextPtr context(
        jbig2_ctx_new(&budget_.hooks, JBIG2_OPTIONS_EMBEDDED, globals, OnMessage, &messages_));
    if (!context) Fail("cannot start decoding");
    return context;
  }

  GlobalsPtr ReadGlobals(std::string_view globals) {
    ContextPtr context = NewContext(nullptr);
    if (jbig2_data_in(context.get(), Bytes(globals), globals.size()) < 0)
      Fail("damaged /JBIG2Globals");
    return GlobalsPtr(jbig2_make_global_ctx(context.release()));
  }

  PagePtr ReadPage(Jbig2Ctx* context, std::string_view data) {
    if (jbig2_data_in(context, Bytes(data), data.size()) < 0) Fail("damaged data");
    if (jbig2_complete_page(context) < 0) Fail("no page in the data");
    PagePtr page(jbig2_page_out(context), PageRelease{context});
    if (!page || !page->data) Fail("no page in the data");
    return page;
  }

 private:
  static const unsigned char* Bytes(std::string_view data) {
    return reinterpret_cast<const unsigned char*>(data.data());
  }
  [[noreturn]] void Fail(const std::string& what) const { Detail::Fail(what, messages_, budget_); }

  Budget budget_;
  Messages messages_;
};

// JBIG2 marks black with 1, PDF's one-bit gray with 0: the bits are inverted on the way.
std::string PdfRows(const Jbig2Image& page, BitmapSize size) {
  const std::size_t rowBytes = (static_cast<std::size_t>(size.width) + 7) / 8;
  std::string rows(rowBytes * static_cast<std::size_t>(size.height), '\xff');
  const std::size_t copied = std::min<std::size_t>(rowBytes, page.stride);
  const std::uint32_t height = std::min<std::uint32_t>(page.height, size.height);
  for (std::uint32_t y = 0; y < height; ++y) {
    const unsigned char* in = page.data + static_cast<std::size_t>(y) * page.stride;
    char* out = rows.data() + y * rowBytes;
    for (std::size_t i = 0; i < copied; ++i) out[i] = static_cast<char>(~in[i]);
  }
  // Columns beyond the page's width are white, whatever its last byte held past it.
  if (page.width < static_cast<std::uint32_t>(size.width)) {
    for (std::uint32_t y = 0; y < height; ++y) {
      char* out = rows.data() + y * rowBytes;
      for (std::uint32_t x = page.width; x < static_cast<std::uint32_t>(size.width); ++x)
        out[x / 8] = static_cast<char>(out[x / 8] | (0x80 >> (x % 8)));
    }
  }
  return rows;
}

}  // namespace

std::string DecodeJbig2(std::string_view data, std::string_view globals, BitmapSize size,
                        std::size_t maxBytes) {
  CheckSegments(globals, "/JBIG2Globals", maxBytes);
  CheckSegments(data, "data", maxBytes);
  Decoder decoder(maxBytes);
  // Destroyed in reverse: the page before its context, the context before the globals it uses.
  GlobalsPtr shared = globals.empty() ? nullptr : decoder.ReadGlobals(globals);
  ContextPtr context = decoder.NewContext(shared.get());
  PagePtr page = decoder.ReadPage(context.get(), data);
  return PdfRows(*page, size);
}

}  // namespace CorvelPdf::Detail
