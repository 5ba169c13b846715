// The HTML export. The page is built as UTF-16 (tags are ASCII) and
// converted once. Line structure matters to the page rewriter that reads the
// result line by line: <title> and <body> each open a line of their own, and
// every block (paragraph, list item, table row, note) is exactly one line.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "support/codepage.h"
#include "support/strings.h"
#include "word/error.h"
#include "word/links.h"
#include "word/story_ops.h"
#include "word/write/blocks.h"
#include "word/write/css.h"
#include "word/write/html_text.h"
#include "word/write/link_markers.h"
#include "word/write/list_css.h"
#include "word/write/picture_css.h"
#include "word/write/pictures/converter.h"
#include "word/write/pictures/web_picture.h"
#include "word/write/tab_row.h"
#include "word/write/table_grid.h"
#include "word/write/writers.h"

namespace word::write {
namespace {

constexpr const char16_t* kNewLine = u"\r\n";

class Renderer {
 public:
  Renderer(const Model& model, std::u16string filesFolder, PictureConverter* pictures)
      : model_(model),
        folder_(std::move(filesFolder)),
        converter_(pictures),
        point_(model.decimalPoint ? model.decimalPoint : decimalPoint(model.language)) {
    classes_ = styleClasses(model_.styles);
  }

  std::u16string page(const std::u16string& title) {
    // Markup roughly doubles the text; growing the page step by step would
    // copy it over and over.
    out_.reserve(2 * model_.main.text.size() + 4096);
    out_ += u"<!DOCTYPE html>\r\n<html" + languageAttribute(model_.language) +
            u">\r\n<head>\r\n<meta charset=\"utf-8\">\r\n";
    out_ += u"<meta name=\"generator\" content=\"Raredozud\">\r\n";
    out_ += u"<title>" + escape(title) + u"</title>\r\n";
    out_ += styleSheet(model_, classes_);
    out_ += u"</head>\r\n<body class=\"document\">\r\n";
    story(model_.main, true);
    notes();
    out_ += u"</body>\r\n</html>\r\n";
    return std::move(out_);
  }

  std::vector<HtmlPicture> pictures() { return std::move(files_); }
  std::vector<PicturePlaceholder> placeholders() { return std::move(placeholders_); }

 private:
  struct ListLevel {
    int32_t id;
    uint8_t level;
    bool ordered;
    bool itemOpen;       // its last item waits for a nested list to end
    int32_t textIndent;  // of its last item, twips
  };

  // ------------------------------------------------------------ styles

  const Style* styleOf(const ParagraphFormat& f) const {
    if (f.style >= 0 && static_cast<size_t>(f.style) < model_.styles.size())
      return &model_.styles[f.style];
    return model_.styles.empty() ? nullptr : &model_.styles[0];
  }

  // ------------------------------------------------------------- stories

  // Renders `s` from start to end. In block mode every block ends its line;
  // inside a table cell (inline) everything stays on the row's line.
  void story(const Story& s, bool block) {
    story_ = &s;
    tableCursor_ = 0;
    bookmarkCursor_ = 0;
    range(0, static_cast<uint32_t>(s.text.size()), 0, block);
    story_ = nullptr;
  }

  void range(uint32_t from, uint32_t to, int depth, bool block) {
    const Story& s = *story_;
    std::vector<ListLevel> lists;
    const ParagraphFormat* previous = nullptr;  // the block before, when a paragraph
    const ParagraphFormat* columns = nullptr;   // the section in columns open, if any
    // The main text's sections set in columns, each a box of its own.
    auto section = [&](const ParagraphFormat& f) {
      if (depth > 0 || sameColumns(columns, f)) return;
      closeLists(lists, 0, block);
      if (columns && columns->columns) out_ += u"</div>" + std::u16string(block ? kNewLine : u"");
      columns = &f;
      if (f.columns) out_ += u"<div style=\"" + columnsCss(f) + u"\">";
    };
    // Neighbours framed alike stand in one box, one below the other, as in
    // the document: each floated apart, they kept their spacing twice.
    const ParagraphFormat* frame = nullptr;  // the frame whose box is open
    auto unframe = [&](const ParagraphFormat* next) {
      if (!frame || (next && sameFrame(*frame, *next) && sameColumns(frame, *next))) return;
      closeLists(lists, 0, block);
      out_ += frameClose(*frame) + std::u16string(block ? kNewLine : u"");
      frame = nullptr;
    };
    walkBlocks(
        s, tableCursor_, from, to, depth,
        [&](const Table& t) {
          unframe(nullptr);
          if (const size_t k = ops::paragraphAt(s, t.start); k < s.paragraphs.size())
            section(s.paragraphs[k].format);
          closeLists(lists, 0, block);
          table(t, block);
          previous = &kTableNeighbour;
        },
        [&](uint32_t start, uint32_t end, size_t k) {
          const ParagraphFormat& f = s.paragraphs[k].format;
          unframe(&f);
          section(f);
          if (const std::u16string box = frame ? u"" : frameCss(f); !box.empty()) {
            closeLists(lists, 0, block);
            out_ += frameDropper(f) + frameOpen(f, box);
            frame = &f;
            previous = nullptr;  // its first paragraph starts the box
          }
          // A drop cap's letter starts the paragraph after it, where it
          // floats as in the document and reads as part of its first word.
          if (f.dropCap && !dropCap_ && opensWithDropCap(f, nextParagraph(k, to))) {
            dropCap_ = k;
            return;
          }
          paragraph(start, end, spacedBetween(f, previous, nextParagraph(k, to)), k, to, lists,
                    block);
          previous = &f;
        });
    unframe(nullptr);
    closeLists(lists, 0, block);
    section(kTableNeighbour);  // in no columns
  }

  void closeLists(std::vector<ListLevel>& lists, size_t keep, bool block) {
    while (lists.size() > keep) {
      if (lists.back().itemOpen) out_ += u"</li>";
      out_ += lists.back().ordered ? u"</ol>" : u"</ul>";
      lists.pop_back();
      if (block) out_ += kNewLine;
    }
  }

  // A table as a paragraph's neighbour: automatic space between them
  // stays, as it goes only at the edges of a cell or of the text.
  static inline const ParagraphFormat kTableNeighbour = [] {
    ParagraphFormat f;
    f.style = -1;
    return f;
  }();

  // The paragraph that follows paragraph k in the range ending at `to`
  // (kTableNeighbour where a table comes first), unless the range ends.
  const ParagraphFormat* nextParagraph(size_t k, uint32_t to) const {
    const Story& s = *story_;
    if (k + 1 >= s.paragraphs.size() || s.paragraphs[k].end >= to) return nullptr;
    uint32_t nextStart = s.paragraphs[k].end;
    if (tableCursor_ < s.tables.size() && s.tables[tableCursor_].start == nextStart)
      return &kTableNeighbour;
    return &s.paragraphs[k + 1].format;
  }

  bool nextIsDeeperItem(size_t k, uint32_t to, uint8_t level) const {
    const ParagraphFormat* f = nextParagraph(k, to);
    return f && f->listId >= 0 && f->outlineLevel > 5 && f->listLevel > level;
  }

  // Opens the list an item belongs in, or ends the item before it in its
  // list.
  void openItem(const ParagraphFormat& f, std::vector<ListLevel>& lists, bool block) {
    // Lists nest by level; a change of list or kind at one level starts a
    // new list there.
    while (!lists.empty() && lists.back().level > f.listLevel)
      closeLists(lists, lists.size() - 1, block);
    if (!lists.empty() && lists.back().level == f.listLevel &&
        (lists.back().id != f.listId || lists.back().ordered != f.listOrdered))
      closeLists(lists, lists.size() - 1, block);
    if (!lists.empty() && lists.back().level == f.listLevel) {
      if (lists.back().itemOpen) out_ += u"</li>";
    } else {
      // The labels stand at the start of the list's first item. Items'
      // indents are from the page's edge, as in the document: a list
      // within an item starts back at that edge.
      out_ +=
          std::u16string(f.listOrdered ? u"<ol" : u"<ul") + (f.rightToLeft ? u" dir=\"rtl\"" : u"");
      if (!lists.empty() && lists.back().itemOpen)
        out_ += u" style=\"margin-inline-start:" + indentLength(-lists.back().textIndent) + u"\"";
      out_ += u">";
      if (block) out_ += kNewLine;
      lists.push_back({f.listId, f.listLevel, f.listOrdered, false, 0});
    }
  }

  void paragraph(uint32_t start, uint32_t end, const ParagraphFormat& f, size_t k, uint32_t to,
                 std::vector<ListLevel>& lists, bool block) {
    const Style* style = styleOf(f);
    std::u16string cls;
    if (f.style > 0 && static_cast<size_t>(f.style) < classes_.size())
      cls = u" class=\"" + classes_[f.style] + u"\"";
    CharFormat base = style ? style->chars : CharFormat{};
    const bool heading = f.outlineLevel <= 5, item = f.listId >= 0 && !heading;
    paragraphShading_ = f.shading;
    static const ParagraphFormat kPlain;
    std::u16string css = blockCss(*story_, start, end, f, style ? style->paragraph : kPlain, item,
                                  model_.defaultTabStop, base, &model_.borderLines);
    leastLine_ = f.lineRule == LineRule::AtLeast && runLineCss(base, f.lineSpacing).empty()
                     ? f.lineSpacing
                     : 0;  // where the page gives the paragraph its least height
    // Lines before a line break justified as the word processor stretches
    // them, the paragraph's last line (written apart, `broken`) ragged.
    const uint32_t tail = stretchedTail(*story_, start, end, f, model_.stretchBeforeBreaks);
    if (tail) css += u"text-align-last:justify;";
    auto attrs = [&] { return cls + (css.empty() ? u"" : u" style=\"" + css + u"\""); };

    tabs_ = {item ? nullptr : &f, true, 0};
    if (item) {
      openItem(f, lists, block);
      css += u"list-style-type:" + attribute(listMarker(f, lists.size() - 1)) + u";";
      css += labelOwnCss(f);
      std::u16string value;
      if (f.listOrdered) {
        const size_t digits = std::min<size_t>(leadingDigits(f.listLabel), 9);
        if (digits) value = u" value=\"" + f.listLabel.substr(0, digits) + u"\"";
      }
      out_ += u"<li" + value + attrs() + u">";
      lists.back().textIndent = f.indentLeft;
      anchors(end);
      broken(start, end, base, tail);
      // The item stays open when a deeper list follows, so that it nests.
      lists.back().itemOpen = nextIsDeeperItem(k, to, f.listLevel);
      if (!lists.back().itemOpen) out_ += u"</li>";
      if (block) out_ += kNewLine;
      return;
    }
    closeLists(lists, 0, block);
    const TabRow row = heading || f.dropLetters ? TabRow{end} : rowTab(story_->text, start, end, f);
    const uint32_t tab = row.tab;
    if (tab != end) css += tabRowCss(row.stop, f.indentLeft);
    std::u16string tag = heading ? u"h" + decimal(f.outlineLevel + 1, 1) : u"p";
    out_ += u"<" + tag + attrs() + u">";
    anchors(end);
    dropCap();
    if (tab != end) {
      out_ += u"<span>";
      const bool before = aligned(start, tab, base);
      // A hanging first line is the row's first piece's alone. The text
      // after a decimal point overflows the row's end, text centred on the
      // stop half of it.
      out_ += u"</span>" + tabLeader(row.leader) + u"<span style=\"text-indent:0" +
              (row.align == TabAlign::Centre ? u";transform:translateX(50%)\">" : u"\">");
      const uint32_t point =
          row.align == TabAlign::Decimal ? decimalAt(story_->text, tab + 1, end, point_) : end;
      // A line to fill in, nothing written on it, is as tall as its letters.
      if (!aligned(tab + 1, end, base, {{point, end, TabAlign::Start}}) && !before)
        out_ += blankLine(*story_, end, base);
      out_ += u"</span></p>";
      if (block) out_ += kNewLine;
      return;
    }
    if (heading && !f.listLabel.empty()) headingLabel(start, f, base);
    const uint32_t from = f.dropLetters && !heading ? dropLetters(start, end, f) : start;
    if (!broken(from, end, base, tail) && from == start) out_ += blankLine(*story_, end, base);
    out_ += u"</" + tag + u">";
    if (block) out_ += kNewLine;
  }

  // The drop cap waiting for the paragraph it opens, as a floating span.
  void dropCap() {
    if (!dropCap_) return;
    const Paragraph& p = story_->paragraphs[*dropCap_];
    const uint32_t start = *dropCap_ ? story_->paragraphs[*dropCap_ - 1].end : 0;
    dropCap_.reset();
    const Style* style = styleOf(p.format);
    const CharFormat base = style ? style->chars : CharFormat{};
    out_ += std::u16string(p.format.dropInMargin ? u"<span class=\"margin-cap\"" : u"<span") +
            u" style=\"" + dropCapCss(*story_, start, p.format, base) + u"\">";
    content(start, p.end, base);
    out_ += u"</span>";
  }

  // A numbered heading's label, and its tab to the text, as an item's,
  // in the look of its text (not the heading tag's size).
  void headingLabel(uint32_t start, const ParagraphFormat& f, const CharFormat& base) {
    const size_t r = ops::runAt(*story_, start);
    CharFormat look = r < story_->runs.size() ? story_->runs[r].format : base;
    labelOwnLook(f, look);
    std::u16string close;
    open(look, base, close);
    out_ += escape(f.listLabel) +
            labelFollower(f, look.halfPoints ? look.halfPoints : base.halfPoints,
                          model_.defaultTabStop) +
            close;
  }

  // A paragraph's own drop cap: its first letters (or word) set large,
  // lines deep, beside the lines that follow, in the first letter's look
  // but for its size. Where the rest of the paragraph starts.
  uint32_t dropLetters(uint32_t start, uint32_t end, const ParagraphFormat& f) {
    const Story& s = *story_;
    const uint32_t stop = droppedEnd(s.text, start, end, f.dropLetters);
    if (stop == start) return start;
    const size_t r = ops::runAt(s, start);
    CharFormat look = r < s.runs.size() ? s.runs[r].format : CharFormat{};
    look.halfPoints = 0;
    out_ +=
        u"<span style=\"float:inline-start;margin-inline-end:0.333333rem;line-height:1;font-size:" +
        decimal(int64_t{f.dropLines} * 115, 1) + u"%;" + charCss(look) + u"\">";
    characters(start, stop);
    out_ += u"</span>";
    return stop;
  }

  // Anchors for the bookmarks that start before `end` and have none yet,
  // at the start of the block so that they never split the text; and a
  // note's way back, in its first block.
  void anchors(uint32_t end) {
    out_ += backLink_;
    backLink_.clear();
    const auto& marks = story_->bookmarks;
    while (bookmarkCursor_ < marks.size() && marks[bookmarkCursor_].start < end)
      out_ += u"<a id=\"" + escape(marks[bookmarkCursor_++].name) + u"\"></a>";
  }

  // The text of a block without its mark; returns whether anything visible
  // was written.
  bool content(uint32_t start, uint32_t end, const CharFormat& base) {
    const Story& s = *story_;
    if (end > start && (s.text[end - 1] == kParagraphMark || s.text[end - 1] == kCellMark)) --end;
    if (end <= start) return false;
    bool any = false;
    std::u16string link, title;
    size_t r = ops::runAt(s, start);
    uint32_t p = start;
    auto eq = std::lower_bound(s.equations.begin(), s.equations.end(), start,
                               [](const Equation& e, uint32_t pos) { return e.start < pos; });
    const std::vector<std::pair<uint32_t, uint32_t>> split = untaggedMarkers(*story_, start, end);
    auto marker = split.begin();
    while (p < end) {
      while (marker != split.end() && marker->second <= p) ++marker;
      if (marker != split.end() && marker->first == p) {
        any |= characters(p, marker->second);  // whole, without tags
        p = marker->second;
        r = ops::runAt(s, p);
        continue;
      }
      // An equation shows as MathML in place of its linear text.
      if (eq != s.equations.end() && eq->start == p && eq->end <= end) {
        out_ += eq->mathml;
        any = true;
        p = eq->end;
        ++eq;
        r = ops::runAt(s, p);
        continue;
      }
      const CharFormat* f = r < s.runs.size() ? &s.runs[r].format : nullptr;
      std::string_view language;
      uint32_t segEnd = languages_.pieceEnd(
          s, r, p, eq != s.equations.end() && eq->start > p ? std::min(end, eq->start) : end,
          language);
      if (marker != split.end() && marker->first > p && marker->first < segEnd)
        segEnd = marker->first;
      static const CharFormat kNone;
      static const std::u16string kNoLink;
      const CharFormat& fmt = f ? *f : kNone;
      // A target that could run in the player leaves its text plain.
      const std::u16string& wanted =
          safeLinkTarget(fmt.hyperlink) && leadsSomewhere(fmt.hyperlink) ? fmt.hyperlink : kNoLink;
      const std::u16string& tip = wanted.empty() ? kNoLink : fmt.linkTitle;
      if (wanted != link || tip != title) {
        if (!link.empty()) out_ += u"</a>";
        link = wanted;
        title = tip;
        if (!link.empty())
          out_ += u"<a href=\"" + attribute(link) +
                  (title.empty() ? u"" : u"\" title=\"" + attribute(title)) + u"\">";
      }
      std::u16string close;
      open(fmt, base, close, language);
      underlined_ = fmt.underline;
      any |= characters(p, segEnd, fmt.superscript && !base.superscript);
      underlined_ = false;
      out_ += close;
      p = segEnd;
      r = ops::runAt(s, p);
    }
    if (!link.empty()) out_ += u"</a>";
    return any;
  }

  // The text of a paragraph with its pieces that tabs centre or end in
  // their boxes at their stops (alignedPieces), or with those given.
  bool aligned(uint32_t start, uint32_t end, const CharFormat& base,
               std::vector<AlignedPiece> pieces = {}) {
    if (pieces.empty() && tabs_.format)
      pieces = alignedPieces(story_->text, start, end, *tabs_.format, tabs_.firstLine, tabs_.tabbed,
                             cellDepth_ > 0, point_);
    bool any = false;
    for (const AlignedPiece& a : pieces) {
      if (a.from >= a.to) continue;
      any |= content(start, a.from, base);
      out_ += alignedBox(a);
      any |= content(a.from, a.to, base);
      out_ += u"</span></span>";
      start = a.to;
    }
    return content(start, end, base) || any;
  }

  // The text, that after `tail` (stretchedTail) in a box of its own, so
  // that its last line stays ragged where those before are justified.
  bool broken(uint32_t start, uint32_t end, const CharFormat& base, uint32_t tail) {
    bool any = false;
    if (tail <= start || tail + 1 >= end) {
      any = aligned(start, end, base);
    } else {
      any = aligned(start, tail, base);
      out_ += u"<span style=\"display:block;text-indent:0;text-align-last:auto\">";
      any |= aligned(tail, end, base);
      out_ += u"</span>";
    }
    if (any && endsInBreak(story_->text, end)) out_ += blankLine(*story_, end, base);
    return any;
  }

  // A link to a place in the document leads nowhere once its bookmark is
  // gone (a page keeps none): its text stays plain.
  bool leadsSomewhere(const std::u16string& target) {
    if (target.empty() || target[0] != u'#') return true;
    if (!bookmarkNames_) bookmarkNames_ = bookmarkNames(model_);
    return bookmarkNames_->contains(target.substr(1));
  }

  // Opens the tags for what `f` adds to the paragraph style's formatting,
  // and for its `language` where it is not the document's (which the page
  // is read in); `close` receives the closing tags.
  void open(const CharFormat& f, const CharFormat& base, std::u16string& close,
            std::string_view language = {}) {
    const std::u16string css = runOverCss(
        f, base, paragraphShading_ != kAutoColor ? paragraphShading_ : cellShading_, leastLine_);
    if (!css.empty() || !language.empty()) {
      out_ += u"<span";
      out_ += languageAttribute(language);
      if (!css.empty()) out_ += u" style=\"" + css + u"\"";
      out_ += u">";
      close = u"</span>" + close;
    }
    out_ += formatTags(f, base, close);
  }

  // A tab goes to the next default stop; the first of a line to where the
  // paragraph's stops send it. An underlined one is a line to fill in,
  // which browsers do not draw under a tab: it is drawn under its span
  // (unless its stop's leader draws one).
  void tab() {
    std::u16string css =
        tabs_.format ? tabCss(*tabs_.format, tabs_.firstLine, tabs_.tabbed, model_.defaultTabStop)
                     : u"";
    if (underlined_ && css.find(u"border-bottom") == std::u16string::npos)
      css += u"border-bottom:1px solid;";
    ++tabs_.tabbed;
    out_ +=
        u"<span class=\"tab\"" + (css.empty() ? u"" : u" style=\"" + css + u"\"") + u">&#9;</span>";
  }

  // `raised`: the text is set in superscript already (its run opened a
  // sup), as a note's reference often is.
  bool characters(uint32_t start, uint32_t end, bool raised = false) {
    const Story& s = *story_;
    bool any = false;
    for (uint32_t i = start; i < end; ++i) {
      // Plain characters up to the next one that needs a tag or an escape
      // go in one piece.
      uint32_t k = i;
      while (k < end && plain(s.text[k]) && !heldSpace(s.text, k)) ++k;
      if (k > i) {
        out_.append(s.text, i, k - i);
        any = true;
        i = k - 1;
        continue;
      }
      char16_t c = s.text[i];
      switch (c) {
        case kPictureMark:
          any |= image(i);
          break;
        case kNoteMark:
          any |= noteReference(i, raised);
          break;
        case kTab:
          tab();
          any = true;
          break;
        case kLineBreak:
        case kColumnBreak:
          tabs_.firstLine = false;
          tabs_.tabbed = 0;
          out_ += u"<br>";
          any = true;
          break;
        case kPageBreak:
          out_ += u"<br style=\"page-break-before:always\">";
          any = true;
          break;
        case 30:  // the word processor's non-breaking hyphen
          out_.push_back(0x2011);
          any = true;
          break;
        case u' ':  // one the page would drop
          out_ += u"&nbsp;";
          any = true;
          break;
        default:
          if (c < 32) break;  // other controls have no text
          escapeInto(out_, c);
          any = true;
      }
    }
    return any;
  }

  bool image(uint32_t pos) {
    const auto& pics = story_->pictures;
    auto it = std::lower_bound(pics.begin(), pics.end(), pos,
                               [](const Picture& p, uint32_t x) { return p.pos < x; });
    if (it == pics.end() || it->pos != pos) return false;
    if (!it->linked && (!it->data || it->data->empty())) return false;
    WebPicture web = webPicture(*it, converter_);
    // The display size the document gives, else the picture's own.
    PixelSize box{it->widthPx, it->heightPx};
    if (box.width <= 0 || box.height <= 0) box = web.size;
    if (!web.shown) placeholders_.push_back(standIn(*it, web, box));
    // A picture shown again is the same file: a document of a hundred
    // copies of one large picture wrote it a hundred times.
    std::string unshared;  // a stand-in's file is its own
    std::string& file = web.shown ? fileOf_[{it->data.get(), it->widthPx, it->heightPx}] : unshared;
    if (file.empty()) {
      char name[32];
      std::snprintf(name, sizeof name, "image%03zu.", files_.size() + 1);
      file = name + web.extension;
      files_.push_back({file, web.bytes});
    }
    out_ += pictureElement(*it, escape(folder_) + u"/" + ascii(file), box.width, box.height,
                           web.shown, cellDepth_ > 0);
    return true;
  }

  bool noteReference(uint32_t pos, bool raised) {
    if (story_ != &model_.main) return false;  // marks inside notes refer to nothing
    const auto& notes = model_.notes;
    auto it = std::lower_bound(notes.begin(), notes.end(), pos,
                               [](const Note& n, uint32_t x) { return n.pos < x; });
    if (it == notes.end() || it->pos != pos) return false;
    std::u16string id = noteId(static_cast<size_t>(it - notes.begin()));
    // Raised once: a reference the document sets in superscript is not
    // raised again, out of the line.
    out_ += u"<a href=\"#" + id + u"\" id=\"" + id + u"ref\">" +
            (raised ? escape(it->label) : u"<sup>" + escape(it->label) + u"</sup>") + u"</a>";
    return true;
  }

  static std::u16string noteId(size_t index) {
    return u"note" + decimal(static_cast<int64_t>(index + 1), 1);
  }

  // ------------------------------------------------------------- tables

  void table(const Table& t, bool block) {
    const Story& s = *story_;
    out_ += tableStart(t);
    if (block) out_ += kNewLine;
    const std::vector<std::vector<uint32_t>> spans = rowSpans(t);
    bool heading = true;  // the rows so far head the table's columns: th cells
    for (size_t r = 0; r < t.rows.size(); ++r) {
      const Row& row = t.rows[r];
      if (row.cells.empty()) continue;
      heading = heading && row.header;
      out_ += rowStart(row);
      for (size_t c = 0; c < row.cells.size(); ++c) {
        const Cell& cell = row.cells[c];
        const uint32_t span = spans[r][c];  // rows
        if (span == 0) continue;
        out_ += cellStart(cell, span, heading);
        uint32_t from = std::max(cell.start, t.start), to = std::min(cell.end, t.end);
        const uint32_t outer = cellShading_;
        if (cell.shading != kAutoColor) cellShading_ = cell.shading;
        // A row of an exact height cuts off below it a cell's blank lines,
        // as the document does, but not its text: a narrow window or the
        // reader's own spacing wraps it into more lines than the document.
        const bool text = to > from && to <= s.text.size() &&
                          holdsText(std::u16string_view(s.text).substr(from, to - from));
        const bool cut = row.exactHeight && span == 1 && !text;
        if (cut)
          out_ += u"<div style=\"max-height:" + rems(row.height, 20) + u";overflow:hidden\">";
        ++cellDepth_;
        if (to > from && to <= s.text.size()) range(from, to, t.depth, false);
        --cellDepth_;
        if (cut) out_ += u"</div>";
        cellShading_ = outer;
        out_ += heading ? u"</th>" : u"</td>";
      }
      out_ += u"</tr>";
      if (block) out_ += kNewLine;
    }
    out_ += u"</table>";
    if (block) out_ += kNewLine;
  }

  // -------------------------------------------------------------- notes

  void notes() {
    if (model_.notes.empty()) return;
    out_ += u"<hr>\r\n";
    // Footnotes first, then endnotes, each in document order.
    for (int pass = 0; pass < 2; ++pass) {
      for (size_t i = 0; i < model_.notes.size(); ++i) {
        const Note& n = model_.notes[i];
        if (n.endnote != (pass == 1)) continue;
        std::u16string id = noteId(i);
        out_ += u"<div class=\"note\" id=\"" + id + u"\">";
        // The way back starts the note's first line, as its mark does in
        // the document, not a line of its own above the note's paragraph.
        // A space after it, unless the note's text starts with its own
        // (after the note's mark, which shows as this link).
        const std::u16string& text = n.body.text;
        const size_t first = text.find_first_not_of(kNoteMark);
        const bool spaced = first < text.size() && (text[first] == u' ' || text[first] == kTab);
        backLink_ = u"<a href=\"#" + id + u"ref\"><sup>" + escape(n.label) + u"</sup></a>" +
                    (spaced ? u"" : u" ");
        story(n.body, false);
        out_ += backLink_ + u"</div>\r\n";
        backLink_.clear();
      }
    }
  }

  const Model& model_;
  std::u16string folder_;
  std::u16string out_;
  std::vector<std::u16string> classes_;
  PictureConverter* converter_;
  std::vector<HtmlPicture> files_;
  // By the picture's bytes and the size they are converted at.
  std::map<std::tuple<const std::string*, int32_t, int32_t>, std::string> fileOf_;
  std::vector<PicturePlaceholder> placeholders_;
  const Story* story_ = nullptr;
  // The paragraph being written, for its tabs (none in a list item, whose
  // label the browser sets), and where in it the text is.
  struct {
    const ParagraphFormat* format = nullptr;
    bool firstLine = true;
    int tabbed = 0;  // tabs on the line so far
  } tabs_;
  char16_t point_;           // where decimal tab stops align numbers
  bool underlined_ = false;  // the run being written is underlined
  // What shades the text being written: its paragraph, its cell.
  uint32_t paragraphShading_ = kAutoColor, cellShading_ = kAutoColor;
  int32_t leastLine_ = 0;  // the paragraph's least height of lines, twips
  int cellDepth_ = 0;      // cells the text being written lies in
  size_t tableCursor_ = 0;
  size_t bookmarkCursor_ = 0;
  std::optional<size_t> dropCap_;  // a drop cap's paragraph, for the next to start with
  std::optional<std::unordered_set<std::u16string>> bookmarkNames_;  // once a link needs them
  LanguageMarks languages_{model_};
  std::u16string backLink_;  // a note's link back to its mark, until its first block takes it
};

}  // namespace

HtmlPage html(const Model& model, const std::string& filesFolderName, const std::u16string& title,
              PictureConverter* pictures) {
  Renderer r(model, support::fromUtf8(filesFolderName), pictures);
  HtmlPage page;
  page.text = support::toUtf8(r.page(title));
  page.pictures = r.pictures();
  page.placeholders = r.placeholders();
  return page;
}

}  // namespace word::write
