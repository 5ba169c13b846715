// Block content: paragraphs and headings, lists with their labels,
// sections and indexes, and frames that stand between paragraphs.
#include <algorithm>
#include <limits>

#include "word/read/odt/reader_state.h"

namespace word::read::odt::detail {
namespace {

// Declarations, change records, index sources and forms hold no text of
// the body (the changes are read as accepted: the body holds the result).
bool holdsNoText(std::string_view name) {
  static const char* const kinds[] = {"sequence-decls",       "variable-decls",  "user-field-decls",
                                      "dde-connection-decls", "tracked-changes", "forms",
                                      "soft-page-break",      "annotation",      "annotation-end"};
  for (const char* k : kinds)
    if (name == k) return true;
  return name.size() > 7 && name.substr(name.size() - 7) == "-source";  // index sources
}

// The look a level's text style gives its labels: weight, slant, size
// and colour.
LabelLook labelLook(const Styles& styles, const Lists::Level* level) {
  if (!level || level->textStyle.empty()) return {};
  const TextProps& t = styles.textOfSpan(level->textStyle);
  LabelLook look{t.bold, t.italic, {}, t.color};
  if (t.points && *t.points > 0 && *t.points < 1638)
    look.halfPoints = static_cast<uint16_t>(*t.points * 2 + 0.5);
  return look;
}

// OpenDocument gives a paragraph's mark no look of its own: a list item's
// label takes the weight, slant and colour all of its text from `start`
// to `end` shares, where they are not its style's (`plain`) and its list
// level leaves them.
void labelFromText(ParagraphFormat& pf, const Story& story, uint32_t start, uint32_t end,
                   const CharFormat& plain) {
  auto r = std::upper_bound(story.runs.begin(), story.runs.end(), start,
                            [](uint32_t at, const Run& run) { return at < run.start; });
  if (r == story.runs.begin() || end <= start) return;
  const CharFormat first = (--r)->format;
  bool bold = first.bold != plain.bold, italic = first.italic != plain.italic;
  bool tint = first.color != plain.color && first.color != kAutoColor;
  for (; r != story.runs.end() && r->start < end; ++r) {
    bold = bold && r->format.bold == first.bold;
    italic = italic && r->format.italic == first.italic;
    tint = tint && r->format.color == first.color;
  }
  if (bold && !(pf.labelLook & kLabelBoldSet))
    pf.labelLook |= first.bold ? kLabelBoldSet | kLabelBold : kLabelBoldSet;
  if (italic && !(pf.labelLook & kLabelItalicSet))
    pf.labelLook |= first.italic ? kLabelItalicSet | kLabelItalic : kLabelItalicSet;
  if (tint && pf.labelColor == kAutoColor) pf.labelColor = first.color;
}

// A section hidden outright, or by a condition that holds.
bool hiddenSection(const pugi::xml_node& n, const Variables& variables) {
  const std::string_view display = attrValue(n, "display");
  if (display == "none") return true;
  return display == "condition" && variables.holds(attrValue(n, "condition")).value_or(false);
}

// Whether a hidden-paragraph field in the paragraph hides it; the field
// may stand inside a span or link. One whose condition is not known
// leaves the paragraph shown.
bool hiddenByField(const pugi::xml_node& parent, const Variables& variables, int depth) {
  if (depth > kMaxDepth) return false;
  for (pugi::xml_node f = parent.first_child(); f; f = f.next_sibling()) {
    if (f.type() != pugi::node_element) continue;
    const std::string_view name = localName(f.name());
    if (name == "hidden-paragraph" && variables.hides(f).value_or(false)) return true;
    if ((name == "span" || name == "a" || name == "meta") && hiddenByField(f, variables, depth + 1))
      return true;
  }
  return false;
}

// Stops from the indent, as twips from the margin; one left of it is
// none, and those after it move up with their alignment.
void stopsFromIndent(ParagraphFormat& pf) {
  auto fromIndent = [&pf](int16_t stop) {
    const int32_t at = stop + pf.indentLeft;
    return static_cast<int16_t>(at > 0 ? std::min<int32_t>(at, std::numeric_limits<int16_t>::max())
                                       : 0);
  };
  if (pf.tabEnd) pf.tabEnd = fromIndent(pf.tabEnd);
  if (pf.tabStart) pf.tabStart = fromIndent(pf.tabStart);
  size_t n = 0;
  uint8_t aligns = 0;
  for (size_t i = 0; i < pf.tabStops.size(); ++i) {
    const int16_t stop = pf.tabStops[i] ? fromIndent(pf.tabStops[i]) : 0;
    if (!stop) continue;
    aligns |= static_cast<uint8_t>(static_cast<uint8_t>(pf.tabAlign(i)) << (2 * n));
    pf.tabStops[n++] = stop;
  }
  std::fill(pf.tabStops.begin() + n, pf.tabStops.end(), 0);
  pf.tabAligns = aligns;
}

}  // namespace

void OdtReader::blocks(const pugi::xml_node& parent, StoryState& s, int depth) {
  if (depth > kMaxDepth) return;
  for (pugi::xml_node n = parent.first_child(); n; n = n.next_sibling())
    if (n.type() == pugi::node_element) block(n, s, depth);
}

void OdtReader::block(const pugi::xml_node& n, StoryState& s, int depth) {
  std::string_view name = localName(n.name());
  if (name == "p" || name == "h") {
    paragraph(n, s, depth + 1, nullptr);
  } else if (name == "list") {
    list(n, s, depth + 1);
  } else if (name == "table") {
    table(n, s, depth + 1);
  } else if (name == "bookmark" || name == "bookmark-start" || name == "bookmark-end") {
    bookmark(n, s);
  } else if (isDrawing(name) || name == "a") {
    floating(n, s, depth + 1);
  } else if (name == "section" && hiddenSection(n, variables_)) {
    // Hidden by its author (answers, a teacher's notes): not shown.
  } else if (const Columns c = styleDefs_.sectionColumns(std::string(attrValue(n, "style-name")));
             name == "section" && c.count > 1) {
    flush(s);
    const uint32_t start = s.builder->position();
    pageColumnsUpTo(start);
    blocks(n, s, depth + 1);
    flush(s);
    s.builder->columns(start, c.count, c.gap, c.line);
    pageFrom_ = s.builder->position();
  } else if (!holdsNoText(name)) {
    // Sections, index bodies and other containers: their content shows
    // where they stand.
    blocks(n, s, depth + 1);
  }
}

// text:list: a new list, or one that continues an earlier list's
// numbering; nested lists are its deeper levels.
void OdtReader::list(const pugi::xml_node& l, StoryState& s, int depth) {
  if (depth > kMaxDepth) return;
  ListFrame frame;
  std::string_view style = attrValue(l, "style-name");
  if (!s.lists.empty()) {
    frame = s.lists.back();
    frame.level = std::min(frame.level + 1, Lists::kLevels - 1);
    if (!style.empty()) frame.style = style;
  } else {
    frame.style = style;
    std::string_view continues = attrValue(l, "continue-list");
    if (auto it = listsById_.find(std::string(continues));
        !continues.empty() && it != listsById_.end())
      frame.counter = it->second;
    else if (auto last = lastOfStyle_.find(frame.style);
             attrValue(l, "continue-numbering") == "true" && last != lastOfStyle_.end())
      frame.counter = last->second;
    else
      frame.counter = &lists_.newCounter();
    lastOfStyle_[frame.style] = frame.counter;
  }
  if (std::string_view id = attrValue(l, "id"); !id.empty()) listsById_.emplace(id, frame.counter);
  s.lists.push_back(frame);
  for (pugi::xml_node n = l.first_child(); n; n = n.next_sibling()) {
    ListItem item;
    item.list = frame;
    if (is(n, "list-item")) {
      if (auto v = intAttr(n, "start-value")) item.restart = *v;
      listItem(n, s, item, depth + 1);
    } else if (is(n, "list-header")) {
      item.header = true;
      listItem(n, s, item, depth + 1);
    }
  }
  s.lists.pop_back();
}

void OdtReader::listItem(const pugi::xml_node& item, StoryState& s, ListItem& li, int depth) {
  if (depth > kMaxDepth) return;
  for (pugi::xml_node n = item.first_child(); n; n = n.next_sibling()) {
    if (is(n, "p") || is(n, "h"))
      paragraph(n, s, depth + 1, &li);
    else if (n.type() == pugi::node_element)
      block(n, s, depth);
  }
}

// The label of a paragraph: the first one of a list item takes the next
// number; a heading outside lists, or in a list of the outline style, takes
// the outline numbering.
void OdtReader::listLabel(const pugi::xml_node& p, ParagraphFormat& pf,
                          const std::string& styleName, ListItem* item) {
  // A list style the paragraph's style names wins over the list's.
  const std::string name =
      item ? styleDefs_.listStyleOf(styleName).value_or(item->list.style) : std::string();
  if (item && !(is(p, "h") && lists_.isOutline(name))) {
    const Lists::Style* style = lists_.find(name);
    const size_t level = static_cast<size_t>(std::min(item->list.level, 8));
    // The level's indents count over the paragraph style's; those of the
    // paragraph's own (automatic) style count over the level's.
    ListIndents own;
    if (const Styles::Def* d = styleDefs_.find("paragraph", styleName); d && d->automatic)
      own = {d->para.indentLeft, d->para.indentRight, d->para.indentFirst};
    if (item->header || item->labelled) {
      // An item's later paragraph, or an entry without a number, stands
      // under the item's text, its first line too.
      if (!style) return;
      applyListIndents(pf, style->levels[level].indents, own);
      if (!own.first) pf.indentFirst = 0;
      return;
    }
    item->labelled = true;
    static const Lists::Style kNone;
    Lists::Label label =
        Lists::count(*item->list.counter, style ? *style : kNone, item->list.level, item->restart);
    pf.listId = item->list.counter->id;
    pf.listLevel = static_cast<uint8_t>(level);
    pf.listOrdered = label.ordered;
    pf.labelFollow = label.follow;
    applyLabelLook(pf, labelLook(styleDefs_, label.level));
    pf.listLabel = std::move(label.text);
    if (style) applyListIndents(pf, style->levels[level].indents, own);
    return;
  }
  if (!is(p, "h") || pf.outlineLevel > 8 || attrValue(p, "is-list-header") == "true") return;
  int level = pf.outlineLevel;
  const Lists::Level& lv = lists_.outline().levels[static_cast<size_t>(level)];
  if (lv.format.empty() && lv.prefix.empty() && lv.suffix.empty() && !lv.pattern) return;
  if (!outlineCounter_) outlineCounter_ = &lists_.newCounter();
  std::optional<int64_t> restart;
  if (attrValue(p, "restart-numbering") == "true")
    restart = intAttr(p, "start-value").value_or(lv.start);
  Lists::Label label = Lists::count(*outlineCounter_, lists_.outline(), level, restart);
  if (label.text.empty()) return;
  pf.listId = outlineCounter_->id;
  pf.listLevel = static_cast<uint8_t>(level);
  pf.listOrdered = label.ordered;
  pf.labelFollow = label.follow;
  applyLabelLook(pf, labelLook(styleDefs_, label.level));
  pf.listLabel = std::move(label.text);
}

void OdtReader::paragraph(const pugi::xml_node& p, StoryState& s, int depth, ListItem* item) {
  // A paragraph its author hid by a field is not shown.
  if (hiddenByField(p, variables_, depth)) return;
  flush(s);
  std::string styleName(attrValue(p, "style-name"));
  ParagraphFormat pf;
  pf.style = styleDefs_.indexOf(styleName);
  styleDefs_.applyParagraph(styleName, pf, &borderLines_);
  if (is(p, "h")) {
    int64_t level =
        intAttr(p, "outline-level").value_or(styleDefs_.outlineLevelOf(styleName).value_or(1));
    pf.outlineLevel = static_cast<uint8_t>(std::clamp<int64_t>(level, 1, 9) - 1);
  }
  listLabel(p, pf, styleName, item);
  if (tabsFromIndent_) stopsFromIndent(pf);
  pf.textBox = s.textBoxDepth > 0;
  // A text frame's line goes round its paragraphs, as one box.
  if (pf.textBox && !pf.borderSides && s.boxLine.style != LineStyle::None &&
      s.boxLine.style != LineStyle::Unknown) {
    pf.border = s.boxLine;
    pf.borderSides = kBorderTop | kBorderLeft | kBorderBottom | kBorderRight;
  }
  if (pf.textBox) s.place.apply(pf);
  s.builder->paragraph(pf);
  InlineState in;
  in.paraStyle = styleName;
  inlines(p, s, in, depth + 1);
  // A paragraph of hidden text alone is hidden whole: the next one takes
  // its place, so that it leaves no empty line.
  if (in.hiddenText && in.textBoxes.empty() &&
      s.builder->position() == s.builder->paragraphStart()) {
    unseen(u"\r", s, false);
    return;
  }
  InlineState plain;
  plain.paraStyle = styleName;
  // An empty paragraph's mark has its style's look.
  if (s.builder->position() == s.builder->paragraphStart()) s.builder->paragraphMark(format(plain));
  if (!pf.listLabel.empty()) {
    labelFromText(pf, s.builder->story(), s.builder->paragraphStart(), s.builder->position(),
                  format(plain));
    s.builder->paragraph(pf);
  }
  afterParagraph(s, in, depth);
}

// Ends the paragraph just read (when more content follows) and reads the
// text of the frames and shapes anchored in it.
void OdtReader::afterParagraph(StoryState& s, InlineState& in, int depth) {
  s.pendingEnd = true;
  if (in.textBoxes.empty()) return;
  // A text box's lists are its own.
  std::vector<ListFrame> lists;
  lists.swap(s.lists);
  for (const pugi::xml_node& box : in.textBoxes) {
    // A frame holding a table alone is a table placed beside the text: it
    // reads as that table, as a floating table of a .docx does.
    int tables = 0, others = 0;
    for (pugi::xml_node c = box.first_child(); c; c = c.next_sibling())
      if (c.type() == pugi::node_element) ++(is(c, "table") ? tables : others);
    int floats = tables > 0 && others == 0 ? 0 : 1;
    const Border outer = s.boxLine;
    const BoxPlace outerPlace = s.place;
    s.boxLine = is(box, "text-box") ? styleDefs_.frameLine(attrValue(box.parent(), "style-name"))
                                    : Border{LineStyle::None};
    s.place = floats ? boxPlace(box) : BoxPlace{};
    s.textBoxDepth += floats;
    if (!floats && is(box, "text-box"))
      s.frameWidth = std::clamp(twips(attrValue(box.parent(), "width")).value_or(0), 0, 1 << 22);
    blocks(box, s, depth + 1);
    s.frameWidth = 0;
    s.textBoxDepth -= floats;
    s.boxLine = outer;
    s.place = outerPlace;
  }
  lists.swap(s.lists);
}

// A frame or shape anchored to the page or between paragraphs: it gets a
// paragraph of its own.
void OdtReader::floating(const pugi::xml_node& n, StoryState& s, int depth) {
  flush(s);
  ParagraphFormat pf;
  pf.textBox = s.textBoxDepth > 0;
  s.builder->paragraph(pf);
  InlineState in;
  drawing(n, s, in, depth + 1);
  afterParagraph(s, in, depth);
}

}  // namespace word::read::odt::detail
