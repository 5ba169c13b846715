#pragma once
// Rewriting a page the engine has saved as HTML: a bare body tag, no title
// line, and inline reference links "%A=ref text%A#" turned into calls of the
// course player's showref.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "course/frontend.h"

namespace pages {

// The inline reference-link markers, matched in any case.
inline constexpr std::string_view kReferenceOpen = "%A=";
inline constexpr std::string_view kReferenceClose = "%A#";

inline constexpr const char* kLinkOpening = "<a href=\"#\" onclick=\"return parent.tester.showref(";
inline constexpr const char* kLinkMiddle = ")\">";

// The reference as the inside of a single-quoted JavaScript string that
// stands in an HTML attribute: backslashes and apostrophes (raw or as
// character references) are escaped.
std::string scriptString(std::string_view reference);

// A line's reference links rewritten into calls of the course player. Each
// "%A=" takes the first "%A#" after it; the reference runs up to the first
// blank before that, the link's text from after the blank (with no blank,
// the reference is the text as well). The link's text is read again, so a
// marker inside it is rewritten too. The markers come out in upper case.
struct LinkRewrite {
  std::string line;
  std::vector<std::string> references;  // as the links carry them, in order
  bool notClosed = false;               // a "%A=" without "%A#": the rewrite stopped there
};
LinkRewrite rewriteLinks(std::string line);

// One line of the page (UTF-8 bytes, no line end): the line to write, or
// nothing when the line is dropped. Shows the "link: " and
// "Error %A= not closed: " lines.
std::optional<std::string> rewriteLine(std::string line, course::StatusSink& status);

// The whole page as saved (UTF-8 bytes) rewritten line by line: every line
// that stays ends in CR LF. Called on the bytes the engine is about to write,
// so a page is written once, already rewritten.
std::string replaceBody(std::string_view saved, course::StatusSink& status);

}  // namespace pages
