#pragma once
// The marker lines of a course document, read one paragraph at a time.
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "word/application.h"

namespace convert {

enum class Marker {
  Content,       // anything else
  Title,         // "%TITLE=": value is the rest, paragraph mark included
  Author,        // "%AUTHOR=": likewise
  Pid,           // "%PID=": value is the rest, to be converted by parsePid
  ChapterStart,  // "%H1=": value is the title, without the paragraph mark
  ChapterEnd,    // "%H1#": likewise
  Page,          // "%H2="
  Test,          // "%TEST="
};

// One marker of the grammar. The rules are tried in this order; no marker
// begins another, so a line matches at most one.
struct MarkerRule {
  std::u16string_view text;  // as the author types it; matched in any case
  size_t minLength;          // the prepared line must be at least this long
  bool valueKeepsMark;       // the value keeps the paragraph mark
  Marker marker;
};

inline constexpr std::array<MarkerRule, 7> kMarkerRules = {{
    {u"%TITLE=", 8, true, Marker::Title},
    {u"%AUTHOR=", 9, true, Marker::Author},
    {u"%PID=", 6, true, Marker::Pid},
    {u"%H1=", 5, false, Marker::ChapterStart},
    {u"%H1#", 4, false, Marker::ChapterEnd},
    {u"%H2=", 5, false, Marker::Page},
    {u"%TEST=", 7, false, Marker::Test},
}};

// The marker as the author types it ("%H2=" for Marker::Page); empty for
// Marker::Content.
std::u16string_view markerText(Marker marker);

// The marker `text` starts with, after blanks, in any case, whatever
// follows it; empty when none.
std::u16string_view markerAt(std::u16string_view text);

struct MarkerLine {
  Marker marker = Marker::Content;
  std::u16string value;
};

// The paragraph's text (mark included) as the grammar sees it: blanks
// removed at both ends, and one stray character dropped before "%H1",
// "%H2" or "%TEST" (upper case only).
std::u16string prepareLine(std::u16string_view paragraphText);

// Which marker a prepared line is; markers match in any case.
MarkerLine classify(const std::u16string& lineText);

// Walks the active document from its start, paragraph by paragraph, as the
// scanner reads it: `paragraph` gets the selection over each paragraph
// outside tables (it may move the selection's end, where the walk goes on);
// each table is passed over whole (marker lines inside tables are never
// read), and `table` hears of it with the selection on what follows it.
void walkParagraphs(word::Application& app, const std::function<void(word::Selection&)>& paragraph,
                    const std::function<void(int32_t tableStart)>& table = {});

// A "%PID=" value as a 32-bit integer: an optionally signed decimal number
// with white space around it, a fraction rounded half to even. Not a number
// is run-time error 13, outside the 32-bit range error 6.
int32_t parsePid(std::u16string_view text);

}  // namespace convert
