#pragma once
// Rewriting a page the engine has saved as HTML: a bare body tag, no title
// line, and inline reference links "%A=ref text%A#" turned into calls of the
// course player's showref.
#include <optional>
#include <string>
#include <string_view>

#include "course/frontend.h"

namespace pages {

inline constexpr const char* kLinkOpening = "<a href=\"#\" onclick=\"return parent.tester.showref(";
inline constexpr const char* kLinkMiddle = ")\">";

// The reference as the inside of a single-quoted JavaScript string that
// stands in an HTML attribute: backslashes and apostrophes (raw or as
// character references) are escaped.
std::string scriptString(std::string_view reference);

// One line of the page (UTF-8 bytes, no line end): the line to write, or
// nothing when the line is dropped. Shows the "link: " and
// "Error %A= not closed: " lines.
std::optional<std::string> rewriteLine(std::string line, course::StatusSink& status);

// The whole page as saved (UTF-8 bytes) rewritten line by line: every line
// that stays ends in CR LF. Called on the bytes the engine is about to write,
// so a page is written once, already rewritten.
std::string replaceBody(std::string_view saved, course::StatusSink& status);

}  // namespace pages
