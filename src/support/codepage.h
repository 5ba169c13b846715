#pragma once
// Character set conversions: UTF-8 by ICU, code pages by tables built with
// glibc iconv.
#include <optional>
#include <string>
#include <string_view>

namespace support {

// The code pages package files are written in.
inline constexpr const char* kCyrillic = "WINDOWS-1251";
inline constexpr const char* kWestern = "WINDOWS-1252";

std::u16string fromUtf8(std::string_view utf8);  // invalid bytes become U+FFFD
std::string toUtf8(std::u16string_view utf16);   // lone surrogates become U+FFFD

// Encodes into a single-byte code page such as "WINDOWS-1251"; a character
// the code page lacks becomes an HTML numeric character reference "&#N;".
std::string toCodePage(std::u16string_view text, const char* codepage);
// Decodes a single-byte code page.
std::u16string fromCodePage(std::string_view bytes, const char* codepage);
// Decodes `bytes` of any encoding iconv knows into UTF-8, the code pages
// above through their tables (where a byte the code page leaves undefined
// becomes U+FFFD); none when iconv knows no such encoding or the bytes are
// not of it.
std::optional<std::string> toUtf8From(std::string_view bytes, const char* encoding);

}  // namespace support
