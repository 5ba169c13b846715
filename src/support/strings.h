#pragma once
// Small string helpers. Converter strings are UTF-16; paths stay in the file
// system's bytes (UTF-8) and are turned into UTF-16 only for messages.
#include <cstdint>
#include <string>
#include <string_view>

namespace support {

// Plain decimal: no blank, no leading zeros, "-" for negatives.
std::u16string number(int64_t n);
// ASCII or UTF-8 bytes (paths, fixed texts) as UTF-16.
std::u16string widen(std::string_view utf8);
// A line as it reads: control characters (a word processor's line break,
// where a note's reference or a picture stands) as blanks.
std::u16string controlsAsBlanks(std::u16string_view s);
// Removes blanks (U+0020 only) at both ends.
std::u16string trimBlanks(std::u16string_view s);
std::string trimBlanks(std::string_view s);
// Removes ASCII white space (blanks, tabs, line and page breaks) at both
// ends, as a script's trim() does.
std::u16string trimWhiteSpace(std::u16string_view s);
std::string trimWhiteSpace(std::string_view s);
// At most `units` UTF-16 code units of `s`, one fewer where the cut would
// split a surrogate pair: a cut keeps whole characters (an emoji).
std::u16string_view wholeCharacters(std::u16string_view s, size_t units);
// ASCII case mapping; other characters are left as they are.
std::u16string upperAscii(std::u16string_view s);
std::string upperAscii(std::string_view s);
std::string lowerAscii(std::string_view s);
// Replaces every occurrence of `from` (non-empty), left to right.
std::string replaceAll(std::string_view s, std::string_view from, std::string_view to);
std::u16string replaceAll(std::u16string_view s, std::u16string_view from, std::u16string_view to);

// Text for XML markup, in an element or a quoted attribute: the markup's
// characters as references, control characters (which XML does not take;
// a tab stays) as blanks, bytes that are no UTF-8 as U+FFFD, U+FFFE and
// U+FFFF left out.
std::string escapeXml(std::string_view s);
// The same for text already in UTF-16 (equations' MathML).
std::u16string escapeXml(std::u16string_view s);

// Character references decoded in one pass, so that "&amp;lt;" gives "&lt;":
// "&#N;" and "&#xN;" of a character (not a surrogate, not NUL) and the five
// names XML predefines (amp, lt, gt, quot, apos). Anything else stays as it
// is. The text export writes these, and the course player decodes the same.
std::u16string decodeReferences(std::u16string_view s);

}  // namespace support
