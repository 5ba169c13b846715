#pragma once
// Rewriting a page the engine has saved as HTML: a bare body tag, no title
// line, and inline reference links "%A=ref text%A#" turned into calls of the
// course player's showref.
#include <cstdint>
#include <optional>
#include <string>

#include "convert/frontend.h"

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
std::optional<std::string> rewriteLine(std::string line, convert::StatusSink& status);

// Rewrites outputFolder + "page" + N + ".htm" through the scratch file
// page0.htm (emptied first), which then takes the page's place in one step.
// The two swap names: page0.htm is left holding the page as saved, to be
// emptied by the next rewrite, so that a run frees no file per page (see
// convert::swapOrRenameOver). Failures are reported ("replaceBody: Filename
// ...") and not raised; the scratch file is then removed.
void replaceBody(convert::StatusSink& status, const std::string& outputFolder, int32_t entryNumber);
// Removes the scratch file; the driver calls it when a run's pages are done
// (and when a run fails), so no run leaves page0.htm behind.
void removeScratch(const std::string& outputFolder);

}  // namespace pages
