#include "word/builder.h"

#include <algorithm>

#include "support/codepage.h"
#include "word/error.h"
#include "word/font_names.h"

namespace word {
namespace {

bool keptControl(char16_t c) {
  return c == kTab || c == kLineBreak || c == kPageBreak || c == kColumnBreak;
}

}  // namespace

std::u16string u16(std::string_view utf8) {
  return support::fromUtf8(utf8);
}
std::string u8(std::u16string_view utf16) {
  return support::toUtf8(utf16);
}

Builder::Builder() : story_(model_.main) {
  Style normal;
  normal.name = u"Normal";
  model_.styles.push_back(std::move(normal));
}

int32_t Builder::addStyle(Style style) {
  if (style.name.size() > kMaxStyleName) style.name.resize(kMaxStyleName);
  style.chars.asianFont = 0;  // the runs that hold such letters name it
  if (model_.styles.size() == 1 && style.name == u"Normal" && !touchedNormal_) {
    touchedNormal_ = true;
    model_.styles[0] = std::move(style);
    return 0;
  }
  model_.styles.push_back(std::move(style));
  return static_cast<int32_t>(model_.styles.size() - 1);
}

int32_t Builder::findStyle(std::u16string_view name) const {
  for (size_t i = 0; i < model_.styles.size(); ++i)
    if (model_.styles[i].name == name) return static_cast<int32_t>(i);
  return -1;
}

void Builder::appendChar(char16_t c, const CharFormat& format) {
  uint32_t pos = position();
  if (story_.runs.empty() || story_.runs.back().format != format) {
    if (!story_.runs.empty() && story_.runs.back().start == pos)
      story_.runs.back().format = format;  // an empty run: reuse it
    else
      story_.runs.push_back(Run{pos, format});
    runStrings_ += format.hyperlink.size() + format.linkTitle.size() + format.font.size();
    if (runStrings_ > kMaxRunStrings) fail(kCannotOpen, "the document is too large to open");
    // Two neighbours may now be equal after the reuse; merge them.
    size_t n = story_.runs.size();
    if (n >= 2 && story_.runs[n - 2].format == story_.runs[n - 1].format) story_.runs.pop_back();
  }
  story_.text.push_back(c);
}

void Builder::appendMark(char16_t mark, CharFormat format) {
  format.asianFont = 0;  // a picture's or a note's mark holds no East Asian letters
  appendChar(mark, format);
}

void Builder::text(std::u16string_view s, const CharFormat& format) {
  // Only text with Chinese, Japanese or Korean letters keeps its East
  // Asian font: other text shows as it did, in runs as few as before.
  if (format.asianFont && std::none_of(s.begin(), s.end(), eastAsianLetter)) {
    CharFormat plain = format;
    plain.asianFont = 0;
    text(s, plain);
    return;
  }
  // Readers hand over long stretches of equally formatted text: the run is
  // settled once per stretch, not once per character.
  while (!s.empty()) {
    size_t stop = 0;
    while (stop < s.size() && (s[stop] >= 0x20 || keptControl(s[stop]))) ++stop;
    if (stop > 0) {
      appendChar(s[0], format);
      story_.text.append(s.substr(1, stop - 1));
    }
    if (stop < s.size()) {
      if (s[stop] == kParagraphMark) endParagraph();
      // Other controls (cell marks, stray field or picture marks) carry
      // structure that only the dedicated calls may create.
      ++stop;
    }
    s.remove_prefix(stop);
  }
}

void Builder::text(std::string_view utf8, const CharFormat& format) {
  text(std::u16string_view(support::fromUtf8(utf8)), format);
}

void Builder::lines(std::u16string text) {
  if (!story_.text.empty() || !open_.empty()) {
    // Mid-story: line by line through `text`.
    size_t i = 0;
    while (i < text.size()) {
      const size_t eol = text.find_first_of(u"\r\n", i);
      this->text(std::u16string_view(text).substr(i, eol == std::u16string::npos ? eol : eol - i));
      if (eol == std::u16string::npos) return;
      endParagraph();
      i = eol + 1 + (text[eol] == u'\r' && eol + 1 < text.size() && text[eol + 1] == u'\n');
    }
    return;
  }
  story_.paragraphs.reserve(
      static_cast<size_t>(std::count_if(text.begin(), text.end(),
                                        [](char16_t c) { return c == u'\r' || c == u'\n'; })) +
      1);
  size_t kept = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c == u'\r' || c == u'\n') {
      if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
      text[kept++] = kParagraphMark;
      story_.paragraphs.push_back(Paragraph{static_cast<uint32_t>(kept), pending_});
      pending_ = ParagraphFormat{};
    } else if (c >= 0x20 || keptControl(c)) {
      text[kept++] = c;
    }
  }
  text.resize(kept);  // no copy: the capacity stays with the story
  story_.text = std::move(text);
  if (!story_.text.empty()) story_.runs.push_back(Run{});
}

void Builder::paragraph(const ParagraphFormat& format) {
  pending_ = format;
}

uint32_t Builder::paragraphStart() const {
  return story_.paragraphs.empty() ? 0 : story_.paragraphs.back().end;
}

void Builder::closeParagraph(char16_t mark) {
  // The mark takes the formatting of the text before it, so it adds no run,
  // but in an empty paragraph that gives its own.
  CharFormat format = story_.runs.empty() ? CharFormat{} : story_.runs.back().format;
  if (mark_ && position() == paragraphStart()) {
    format = std::move(*mark_);
    format.asianFont = 0;  // a mark alone holds no East Asian letters
  }
  mark_.reset();
  keepUnseen();
  appendChar(mark, format);
  story_.paragraphs.push_back(Paragraph{position(), pending_});
  pending_ = ParagraphFormat{};
}

void Builder::unseen(std::u16string_view text, bool deleted) {
  if (text.empty() || unseenChars_ >= Model::kUnseenChars) return;
  text = text.substr(0, Model::kUnseenChars - unseenChars_);
  unseenChars_ += text.size();
  (deleted ? unseenDeleted_ : unseenHidden_) = true;
  const uint32_t at = position() - paragraphStart();
  if (!unseen_.empty() && unseen_.back().at == at)
    unseen_.back().text += text;
  else
    unseen_.push_back({at, std::u16string(text)});
}

// Only a line with a percent sign can hold a marker; markers in tables and
// text boxes are never read.
void Builder::keepUnseen() {
  if (unseen_.empty()) return;
  const uint32_t start = paragraphStart();
  if (open_.empty() && !pending_.textBox && model_.unseenLines.size() < Model::kUnseenLines) {
    std::u16string line;
    uint32_t from = start;
    for (const UnseenPiece& p : unseen_) {
      line.append(story_.text, from, start + p.at - from);
      line += p.text;
      from = start + p.at;
    }
    line.append(story_.text, from, position() - from);
    if (line.find(u'%') != std::u16string::npos) {
      line.resize(std::min(line.size(), 2 * Model::kUnseenChars));
      model_.unseenLines.push_back({start, std::move(line), unseenHidden_, unseenDeleted_});
    }
  }
  unseen_.clear();
  unseenChars_ = 0;
  unseenHidden_ = unseenDeleted_ = false;
}

void Builder::endParagraph() {
  closeParagraph(kParagraphMark);
}

void Builder::picture(Picture picture, const CharFormat& format) {
  picture.pos = position();
  appendMark(kPictureMark, format);
  story_.pictures.push_back(std::move(picture));
}

void Builder::equation(std::u16string_view linear, std::u16string mathml, bool display,
                       const CharFormat& format) {
  const uint32_t start = position();
  text(linear, format);
  if (position() > start)
    story_.equations.push_back({start, position(), std::move(mathml), display});
}

void Builder::note(bool endnote, std::u16string label, Story body, const CharFormat& format) {
  Note n;
  n.pos = position();
  n.endnote = endnote;
  n.label = std::move(label);
  n.body = std::move(body);
  appendMark(kNoteMark, format);
  model_.notes.push_back(std::move(n));
}

void Builder::startBookmark(std::u16string name) {
  openBookmarks_.push_back(Bookmark{std::move(name), position(), position()});
}

void Builder::endBookmark(const std::u16string& name) {
  for (auto it = openBookmarks_.rbegin(); it != openBookmarks_.rend(); ++it) {
    if (it->name == name) {
      Bookmark b = std::move(*it);
      openBookmarks_.erase(std::next(it).base());
      b.end = position();
      story_.bookmarks.push_back(std::move(b));
      return;
    }
  }
}

void Builder::startTable() {
  // A table starts at a paragraph boundary.
  if (position() > paragraphStart()) endParagraph();
  if (!open_.empty() && !open_.back().cellOpen) startCell();
  Table t;
  t.start = position();
  t.end = position();
  t.depth = static_cast<uint8_t>(std::min<size_t>(open_.size() + 1, 255));
  story_.tables.push_back(std::move(t));
  open_.push_back(OpenTable{story_.tables.size() - 1});
}

void Builder::startRow() {
  if (open_.empty()) startTable();
  OpenTable& o = open_.back();
  if (o.rowOpen) endRow();
  Row r;
  r.start = position();
  r.end = position();
  story_.tables[o.index].rows.push_back(std::move(r));
  o.rowOpen = true;
}

void Builder::startCell(int32_t width, uint16_t gridSpan, VMerge vmerge, uint32_t shading,
                        const CellBorders& borders) {
  if (open_.empty() || !open_.back().rowOpen) startRow();
  OpenTable& o = open_.back();
  if (o.cellOpen) endCell();
  Cell c;
  c.start = position();
  c.end = position();
  c.width = width;
  c.gridSpan = gridSpan == 0 ? 1 : gridSpan;
  c.vmerge = vmerge;
  c.shading = shading;
  c.borders = borders;
  story_.tables[o.index].rows.back().cells.push_back(c);
  o.cellOpen = true;
}

void Builder::endCell() {
  if (open_.empty() || !open_.back().cellOpen) return;
  closeParagraph(kCellMark);
  OpenTable& o = open_.back();
  story_.tables[o.index].rows.back().cells.back().end = position();
  o.cellOpen = false;
}

void Builder::endRow() {
  if (open_.empty() || !open_.back().rowOpen) return;
  OpenTable& o = open_.back();
  if (o.cellOpen) endCell();
  Row& row = story_.tables[o.index].rows.back();
  if (row.cells.empty()) {
    // A row needs a cell; an empty one keeps the text's structure sound.
    startCell();
    endCell();
  }
  closeParagraph(kCellMark);
  OpenTable& o2 = open_.back();
  story_.tables[o2.index].rows.back().end = position();
  o2.rowOpen = false;
}

void Builder::endTable() {
  if (open_.empty()) return;
  if (open_.back().rowOpen) endRow();
  OpenTable o = open_.back();
  open_.pop_back();
  Table& t = story_.tables[o.index];
  if (t.rows.empty()) {
    story_.tables.erase(story_.tables.begin() + static_cast<long>(o.index));
    return;
  }
  t.end = position();
}

void Builder::rowHeight(int32_t twips, bool exact) {
  if (open_.empty() || !open_.back().rowOpen) return;
  constexpr int32_t kMax = 31680;  // 22 inches, the most the word processor takes
  Row& row = story_.tables[open_.back().index].rows.back();
  row.height = std::clamp(twips, 0, kMax);
  row.exactHeight = exact && row.height > 0;
}

void Builder::rowHeader() {
  if (!open_.empty() && open_.back().rowOpen)
    story_.tables[open_.back().index].rows.back().header = true;
}

void Builder::rowSkip(size_t columns) {
  // No more than a cell may span.
  if (!open_.empty() && open_.back().rowOpen)
    story_.tables[open_.back().index].rows.back().skipBefore =
        static_cast<uint16_t>(std::min<size_t>(columns, 1000));
}

void Builder::tablePlacement(Align align, int32_t indent, bool rightToLeft) {
  if (open_.empty()) return;
  Table& t = story_.tables[open_.back().index];
  t.align = align;
  t.indent = indent;
  t.rightToLeft = rightToLeft;
}

void Builder::tableSpacing(int32_t twips, const CellBorders& frame) {
  if (open_.empty()) return;
  Table& t = story_.tables[open_.back().index];
  t.cellSpacing = static_cast<int16_t>(std::clamp(twips, 0, 1440));
  t.frame = t.cellSpacing ? frame : CellBorders{};
}

void Builder::tableWidth(int32_t twips, int32_t share) {
  if (open_.empty()) return;
  Table& t = story_.tables[open_.back().index];
  t.width = std::clamp(twips, 0, 31680);
  t.widthShare = static_cast<uint16_t>(std::clamp(share, 0, 5000));
}

void Builder::tableFixed() {
  if (!open_.empty()) story_.tables[open_.back().index].fixedLayout = true;
}

void Builder::columns(uint32_t from, int32_t count, int32_t gap, bool line) {
  const uint8_t n = count >= 2 ? static_cast<uint8_t>(std::min(count, kMaxColumns)) : 0;
  const auto room = static_cast<uint8_t>(std::clamp((gap + 10) / 20, 0, 255));  // points
  auto set = [&](ParagraphFormat& f) {
    f.columns = n;
    f.columnGap = n ? room : 0;
    f.columnLine = n && line;
  };
  auto& ps = story_.paragraphs;
  auto it = std::upper_bound(ps.begin(), ps.end(), from,
                             [](uint32_t pos, const Paragraph& p) { return pos < p.end; });
  for (; it != ps.end(); ++it) set(it->format);
}

void Builder::cellAlignment(VAlign align) {
  if (open_.empty() || !open_.back().cellOpen) return;
  story_.tables[open_.back().index].rows.back().cells.back().valign = align;
}

void Builder::cellFlow(TextFlow flow) {
  if (open_.empty() || !open_.back().cellOpen) return;
  story_.tables[open_.back().index].rows.back().cells.back().flow = flow;
}

void Builder::cellPadding(std::array<int16_t, 4> padding) {
  if (open_.empty() || !open_.back().cellOpen) return;
  for (int16_t& side : padding) side = std::clamp<int16_t>(side, -1, 1440);
  story_.tables[open_.back().index].rows.back().cells.back().padding = padding;
}

void Builder::closeAll() {
  while (!open_.empty()) endTable();
  if (position() > paragraphStart() || story_.text.empty() ||
      story_.text.back() != kParagraphMark) {
    endParagraph();
  }
  for (Bookmark& b : openBookmarks_) story_.bookmarks.push_back(std::move(b));
  openBookmarks_.clear();
  std::stable_sort(story_.bookmarks.begin(), story_.bookmarks.end(),
                   [](const Bookmark& a, const Bookmark& b) { return a.start < b.start; });
  if (story_.runs.empty()) story_.runs.push_back(Run{});
}

void Builder::reserve(size_t characters, size_t paragraphs, size_t runs) {
  story_.text.reserve(characters);
  story_.paragraphs.reserve(paragraphs);
  story_.runs.reserve(runs);
}

Model Builder::finish() {
  closeAll();
  return std::move(model_);
}

Story Builder::finishStory() {
  closeAll();
  return std::move(model_.main);
}

}  // namespace word
