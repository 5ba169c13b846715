#include "support/codepage.h"

#include <iconv.h>
#include <strings.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>

namespace support {
namespace {

constexpr char16_t kReplacement = 0xFFFD;

struct IconvCloser {
  void operator()(void* cd) const { iconv_close(static_cast<iconv_t>(cd)); }
};
using Iconv = std::unique_ptr<void, IconvCloser>;

Iconv openIconv(const char* to, const char* from) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1))
    throw std::runtime_error(std::string("no conversion from ") + from + " to " + to);
  return Iconv(cd);
}

// A single-byte code page as two tables, built once with iconv: decoding is
// a lookup per byte, encoding a lookup per character.
struct SingleByte {
  std::array<char16_t, 256> decode{};
  // Byte + 1 for each character the code page has, 0 for none: a lookup per
  // character of every test data file.
  std::array<uint16_t, 65536> encode{};
};

const SingleByte& table(const char* codepage) {
  static std::mutex mutex;
  static std::map<std::string, std::unique_ptr<SingleByte>> cache;
  std::lock_guard<std::mutex> lock(mutex);
  auto& slot = cache[codepage];
  if (!slot) {
    auto t = std::make_unique<SingleByte>();
    Iconv cd = openIconv("UTF-16LE", codepage);
    for (int b = 0; b < 256; ++b) {
      char in = static_cast<char>(b);
      char out[8];
      char* src = &in;
      size_t srcLeft = 1;
      char* dst = out;
      size_t dstLeft = sizeof out;
      iconv(cd.get(), nullptr, nullptr, nullptr, nullptr);
      if (iconv(cd.get(), &src, &srcLeft, &dst, &dstLeft) != static_cast<size_t>(-1) &&
          sizeof out - dstLeft == 2) {
        char16_t c = static_cast<char16_t>(static_cast<uint8_t>(out[0]) |
                                           (static_cast<uint8_t>(out[1]) << 8));
        t->decode[b] = c;
        if (t->encode[c] == 0) t->encode[c] = static_cast<uint16_t>(b + 1);
      } else {
        t->decode[b] = kReplacement;
      }
    }
    slot = std::move(t);
  }
  return *slot;
}

}  // namespace

// The UTF conversions are ICU's: every page and every .docx part passes
// through them, and ICU converts several times faster than iconv or glib. An
// ill-formed sequence becomes U+FFFD; the lengths are explicit, so a NUL
// character is kept like any other. Each converts a slice at a time into a
// buffer on the stack and appends it: a result made at its largest size
// first would be filled with zeros before being overwritten (for a page's
// UTF-8, three bytes a unit).
namespace {

constexpr size_t kSlice = 4096;

void check(UErrorCode status) {
  if (U_FAILURE(status)) throw std::runtime_error(u_errorName(status));
}

}  // namespace

std::u16string fromUtf8(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());  // never more units than bytes
  char16_t units[kSlice];
  while (!utf8.empty()) {
    size_t n = std::min(utf8.size(), kSlice);
    // A slice ends before a sequence's first byte, so that no sequence is
    // cut; after three continuation bytes the next one starts none.
    for (size_t back = 0; n < utf8.size() && back < 3 && (utf8[n] & 0xC0) == 0x80; ++back) --n;
    int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strFromUTF8WithSub(reinterpret_cast<UChar*>(units), static_cast<int32_t>(kSlice), &length,
                         utf8.data(), static_cast<int32_t>(n), kReplacement, nullptr, &status);
    check(status);
    out.append(units, static_cast<size_t>(length));
    utf8.remove_prefix(n);
  }
  return out;
}

std::string toUtf8(std::u16string_view utf16) {
  std::string out;
  // At most three bytes per unit: a pair of surrogates makes four bytes.
  // Room reserved is not touched until written.
  out.reserve(3 * utf16.size());
  char bytes[3 * kSlice];
  while (!utf16.empty()) {
    size_t n = std::min(utf16.size(), kSlice);
    // A pair of surrogates stays in one slice.
    if (n < utf16.size() && utf16[n - 1] >= 0xD800 && utf16[n - 1] < 0xDC00) --n;
    int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strToUTF8WithSub(bytes, static_cast<int32_t>(sizeof bytes), &length,
                       reinterpret_cast<const UChar*>(utf16.data()), static_cast<int32_t>(n),
                       kReplacement, nullptr, &status);
    check(status);
    out.append(bytes, static_cast<size_t>(length));
    utf16.remove_prefix(n);
  }
  return out;
}

std::string toCodePage(std::u16string_view text, const char* codepage) {
  const SingleByte& t = table(codepage);
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    if (uint16_t byte = t.encode[c]) {
      out.push_back(static_cast<char>(byte - 1));
      continue;
    }
    uint32_t cp = c;
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] < 0xE000) {
      cp = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    }
    out += "&#" + std::to_string(cp) + ";";
  }
  return out;
}

std::u16string fromCodePage(std::string_view bytes, const char* codepage) {
  const SingleByte& t = table(codepage);
  std::u16string out(bytes.size(), u'\0');
  for (size_t i = 0; i < bytes.size(); ++i) out[i] = t.decode[static_cast<uint8_t>(bytes[i])];
  return out;
}

std::optional<std::string> toUtf8From(std::string_view bytes, const char* encoding) {
  for (const char* cp : {kCyrillic, kWestern})
    if (::strcasecmp(encoding, cp) == 0) return toUtf8(fromCodePage(bytes, cp));
  const iconv_t cd = iconv_open("UTF-8", encoding);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  const Iconv closer(cd);
  std::string out;
  char* src = const_cast<char*>(bytes.data());
  size_t srcLeft = bytes.size();
  char buffer[4096];
  while (srcLeft > 0) {
    char* dst = buffer;
    size_t dstLeft = sizeof buffer;
    const size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    out.append(buffer, sizeof buffer - dstLeft);
    if (r == static_cast<size_t>(-1) && errno != E2BIG) return std::nullopt;
  }
  // A decoder may hold characters back until told the input has ended
  // (TSCII keeps a consonant for the vowel sign that may follow it).
  char* dst = buffer;
  size_t dstLeft = sizeof buffer;
  if (iconv(cd, nullptr, nullptr, &dst, &dstLeft) == static_cast<size_t>(-1)) return std::nullopt;
  out.append(buffer, sizeof buffer - dstLeft);
  return out;
}

}  // namespace support
