#include "support/codepage.h"

#include <glib.h>
#include <iconv.h>

#include <array>
#include <cerrno>
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

// Opening a conversion costs far more than converting a short string: the
// two UTF conversions are kept for the thread's life and reset before use.
iconv_t utfConverter(bool toUtf8) {
  thread_local Iconv fromUtf8(openIconv("UTF-16LE", "UTF-8"));
  thread_local Iconv intoUtf8(openIconv("UTF-8", "UTF-16LE"));
  iconv_t cd = toUtf8 ? intoUtf8.get() : fromUtf8.get();
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  return cd;
}

// Runs iconv over `in`; an invalid or incomplete sequence costs one input
// byte and emits `onBad` (already encoded in the target), so bad input never
// stops a conversion.
std::string convert(iconv_t cd, std::string_view in, std::string_view onBad, size_t unit) {
  std::string out;
  out.resize(in.size() * 2 + 16);
  char* src = const_cast<char*>(in.data());
  size_t srcLeft = in.size();
  size_t used = 0;
  while (srcLeft > 0) {
    char* dst = out.data() + used;
    size_t dstLeft = out.size() - used;
    size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    used = out.size() - dstLeft;
    if (r != static_cast<size_t>(-1)) break;
    if (errno == E2BIG) {
      out.resize(out.size() * 2);
    } else {
      // Skip one unit of bad input.
      size_t skip = std::min(unit, srcLeft);
      src += skip;
      srcLeft -= skip;
      if (out.size() - used < onBad.size()) out.resize(out.size() * 2 + onBad.size());
      out.replace(used, onBad.size(), onBad);
      used += onBad.size();
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  out.resize(used);
  return out;
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

std::u16string fromUtf8(std::string_view utf8) {
  static const std::string bad("\xFD\xFF", 2);  // U+FFFD in UTF-16LE
  std::string out = convert(utfConverter(false), utf8, bad, 1);
  std::u16string result(out.size() / 2, u'\0');
  for (size_t i = 0; i < result.size(); ++i)
    result[i] = static_cast<char16_t>(static_cast<uint8_t>(out[2 * i]) |
                                      (static_cast<uint8_t>(out[2 * i + 1]) << 8));
  return result;
}

std::string toUtf8(std::u16string_view utf16) {
  // Every page is written through here. glib's converter has no per-call
  // set-up and is several times faster; it refuses unpaired surrogates,
  // which go the slower way below and become U+FFFD.
  if (utf16.size() < static_cast<size_t>(G_MAXLONG)) {
    glong read = 0, written = 0;
    std::unique_ptr<gchar, decltype(&g_free)> fast(
        g_utf16_to_utf8(reinterpret_cast<const gunichar2*>(utf16.data()),
                        static_cast<glong>(utf16.size()), &read, &written, nullptr),
        &g_free);
    // It also stops at a NUL character, which the slower way keeps.
    if (fast && static_cast<size_t>(read) == utf16.size())
      return std::string(fast.get(), static_cast<size_t>(written));
  }
  // iconv works on bytes: make the buffer little-endian whatever the host.
  std::string bytes;
  bytes.reserve(utf16.size() * 2);
  for (char16_t c : utf16) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  return convert(utfConverter(true), bytes, "\xEF\xBF\xBD", 2);
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

}  // namespace support
