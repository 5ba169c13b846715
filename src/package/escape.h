#pragma once
// Escaping of titles: once when an entry title is read, and once more, for
// XML, when a title goes into the manifest.
#include <string>
#include <string_view>

namespace package {

// Apostrophes become backquotes, '<' "&lt;" and '>' "&gt;"; nothing else
// changes (an ampersand stays bare).
std::u16string escapeText(std::u16string_view text);

// Text as HTML or XML content: a '&' that does not begin a well-formed
// reference (a numeric one of a legal character, or one of the five names
// XML predefines) becomes "&amp;", '<' and '>' become "&lt;" and "&gt;";
// nothing else changes (apostrophes and quotes stay).
std::u16string markupEscaped(std::u16string_view text);

// A title as XML element content: characters XML 1.0 forbids are dropped
// (control characters other than TAB, LF and CR, U+FFFE, U+FFFF, lone
// surrogates), a '&' that does not begin a well-formed reference becomes
// "&amp;", and '<' and '>' become "&lt;" and "&gt;". Text that is already
// valid content, references included, stays as it is apart from '>'.
std::u16string xmlContent(std::u16string_view text);

}  // namespace package
