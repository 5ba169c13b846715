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

namespace {

// What a marker line read as none leaves undone.
const char16_t* undone(Marker m) {
  switch (m) {
    case Marker::Page:
      return u"no page opens here, and what follows goes into the item above";
    case Marker::Test:
      return u"no test opens here, and what follows goes into the item above";
    case Marker::ChapterStart:
      return u"no chapter opens here, and what follows goes into the item above";
    case Marker::ChapterEnd:
      return u"the chapter does not end here";
    default:
      return u"the line sets nothing";
  }
}

// Why a marker line the author sees is none, and what to do: the line is
// hidden or deleted itself, or shows but follows a paragraph mark that is,
// which joins it to the line above.
u16string unseenMessage(Marker m, const u16string& line, bool hidden, bool joined) {
  const u16string what = quoted(markerText(m)) + u" (" + quoted(line) + u")";
  const u16string none = u", so it is no marker: " + u16string(undone(m));
  if (joined)
    return what +
           (hidden ? u" follows a hidden paragraph mark"
                   : u" follows a paragraph mark deleted with tracked changes") +
           u", which joins it to the line above" + none +
           (hidden ? u"; clear the Hidden setting of that mark's font"
                   : u"; reject that deletion to keep the marker");
  return what +
         (hidden ? u" is hidden text, which the word processor does not print" + none +
                       u"; clear its font's Hidden setting to make it one, or delete "
                       u"the line"
                 : u" is deleted with tracked changes, which count as accepted" + none +
                       u"; reject the deletion to keep the marker, or accept it");
}

}  // namespace

// A paragraph's lines as the author sees them with that text shown, each
// a marker line the course reads as none, but the last where the
// paragraph as read is a marker line itself (hidden text inside a marker
// is no loss).
void unseenMarkers(word::Application& app, word::Document& doc, std::vector<LintWarning>& found) {
  for (const word::Document::UnseenLine& u : doc.unseenLines()) {
    const word::Document::ParagraphSpan span = doc.paragraph(u.position);
    const u16string read = word::Range(app, doc, span.start, span.end).text();
    const bool readAsMarker = classify(prepareLine(read)).marker != Marker::Content;
    for (size_t from = 0; from <= u.text.size();) {
      const size_t cr = std::min(u.text.find(u'\r', from), u.text.size());
      const u16string line = u.text.substr(from, cr - from);
      const bool joined = from > 0 && read.find(line) != u16string::npos;
      from = cr + 1;
      const Marker m = classify(prepareLine(line + u'\r')).marker;
      if (m == Marker::Content || (cr == u.text.size() && readAsMarker)) continue;
      found.push_back({u.position, 0, unseenMessage(m, line, u.hidden, joined), {}});
    }
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
