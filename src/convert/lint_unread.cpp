#include "convert/lint_unread.h"

#include <algorithm>
#include <set>
#include <string>

#include "convert/lint_text.h"
#include "convert/mistyped.h"
#include "convert/scanner.h"
#include "support/strings.h"

namespace convert {

using std::u16string;
using support::widen;

// The walk reads the main text alone: a marker in a page header or footer
// is read nowhere (each line once: sections repeat theirs).
void headerFooterMarkers(word::Document& doc, std::vector<LintWarning>& found) {
  std::set<u16string> told;
  for (const u16string& line : doc.headerFooterLines())
    if (const SeenMarker m = markerSeenAt(prepareLine(line));
        !m.marker.empty() && told.insert(line).second) {
      found.push_back({0, 0,
                       m.quoted + u" in a page header or footer (" + quoted(line) +
                           u") is not read: markers work only in the document's own text, and "
                           u"no page shows the header or footer; type the marker in a "
                           u"paragraph of the text",
                       {}});
      found.back().wholeCourse = true;
    }
}

void pageLosses(word::Application& app, word::Document& doc, int32_t start, int32_t end,
                std::vector<LintWarning>& found) {
  using Kind = word::Range::Loss::Kind;
  std::vector<std::string> told;
  // The last page runs to the document's end, its final paragraph mark
  // included: what stood in that last paragraph is the page's.
  const int32_t last = doc.content().end();
  if (end >= last - 1) end = last;
  for (const word::Range::Loss& l : word::Range(app, doc, start, end).losses()) {
    if (std::find(told.begin(), told.end(), l.what) != told.end()) continue;
    told.push_back(l.what);
    const u16string lost = u"the page loses " + widen(l.what);
    u16string message;
    if (l.kind == Kind::Field)
      message = lost +
                u", which the document holds without the text it shows: type that text in its "
                u"place";
    else if (l.kind == Kind::Formatting)
      message = lost +
                u", which the converter does not read in this format version: save the "
                u"document as .docx and convert that";
    else
      message = lost +
                u", which the converter reads but cannot show: put a picture of it in its place "
                u"(PNG or JPEG)";
    found.push_back({l.position, 0, std::move(message), {}});
  }
}

}  // namespace convert
