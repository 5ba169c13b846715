// The document body: block content (paragraphs, tables, content controls),
// the inline content of a paragraph, and what a run holds (text, breaks,
// symbols, field characters, pictures, note references).
#include <algorithm>

#include "word/read/docx/reader_state.h"
#include "word/read/list_labels.h"
#include "word/read/look.h"

namespace word::read::docx::detail {
namespace {

bool supportedChoice(std::string_view requires_) {
  static const char* known[] = {"wps",    "wpg", "wpc",    "wp14",  "w14",      "w15", "w16se",
                                "w16cid", "w16", "w16cex", "w16du", "w16sdtdh", "a14", "v",
                                "o",      "m",   "r",      "w",     "wp",       "a",   "pic"};
  size_t i = 0;
  bool any = false;
  while (i < requires_.size()) {
    size_t j = requires_.find(' ', i);
    if (j == std::string_view::npos) j = requires_.size();
    std::string_view p = requires_.substr(i, j - i);
    if (!p.empty()) {
      any = true;
      bool ok = false;
      for (const char* k : known) ok = ok || p == k;
      if (!ok) return false;
    }
    i = j + 1;
  }
  return any;
}

// How far down a frame stands: w:y from the page unless w:vAnchor names
// the text; none where w:yAlign places it.
FrameHeight frameHeight(const pugi::xml_node& frame) {
  const std::optional<int64_t> y = attr(frame, "yAlign") ? std::nullopt : intAttr(frame, "y");
  return {val(frame, "vAnchor") != "text",
          y ? std::optional<int32_t>(std::clamp<int64_t>(*y, -31680, 31680)) : std::nullopt};
}

// A drop cap, dropped or in the margin; or a frame of a width set against
// a side of the column (any other stays in the flow), of the height it
// keeps where it keeps one.
void placeFrame(const pugi::xml_node& frame, ParagraphFormat& pf) {
  const std::string_view cap = val(frame, "dropCap");
  pf.dropCap = cap == "drop" || cap == "margin";
  pf.dropInMargin = cap == "margin";
  if (!frame || pf.dropCap) return;
  const std::string_view x = val(frame, "xAlign");
  const int64_t width = intAttr(frame, "w").value_or(0);
  pf.frame = x == "left" || x == "inside"     ? FrameSide::Left
             : x == "right" || x == "outside" ? FrameSide::Right
                                              : FrameSide::None;
  if (width <= 0) pf.frame = FrameSide::None;
  if (pf.frame == FrameSide::None) return;
  pf.frameWidth = static_cast<uint16_t>(std::min<int64_t>(width, 31680));
  pf.frameAside = frameRoom(intAttr(frame, "hSpace").value_or(kFrameAside));
  pf.frameAcross = frameRoom(intAttr(frame, "vSpace").value_or(0));
  if (const std::string_view rule = val(frame, "hRule"); rule == "atLeast" || rule == "exact")
    pf.frameHeight = frameHeightOf(intAttr(frame, "h").value_or(0));
}

// The word processor drops the white space at either end of a w:t that
// does not keep it (xml:space="preserve" on it or around it): a space
// written there by another program joins the words.
void trimUnkeptSpace(std::u16string& text, const pugi::xml_node& t) {
  auto blank = [](char16_t c) { return c == u' ' || c == u'\t'; };
  if (text.empty() || (!blank(text.front()) && !blank(text.back()))) return;
  for (pugi::xml_node n = t; n; n = n.parent())
    if (pugi::xml_attribute a = n.attribute("xml:space")) {
      if (std::string_view(a.value()) == "preserve") return;
      break;
    }
  size_t from = 0, to = text.size();
  while (from < to && blank(text[from])) ++from;
  while (to > from && blank(text[to - 1])) --to;
  text = text.substr(from, to - from);
}

}  // namespace

// Keeps printable text and tabs; a line feed inside w:t shows as a space.
// Filtered in place: every run's text passes through here.
std::u16string cleanText(std::string_view utf8) {
  std::u16string s = utf16(utf8);
  // Most runs hold no control character: those are not copied over.
  if (std::none_of(s.begin(), s.end(), [](char16_t c) { return c < 0x20; })) return s;
  size_t kept = 0;
  for (char16_t c : s) {
    if (c == u'\n' || c == u'\r')
      s[kept++] = u' ';
    else if (c >= 0x20 || c == u'\t')
      s[kept++] = c;
  }
  s.resize(kept);
  return s;
}

// The branch of mc:AlternateContent to read: the first choice we
// understand, else the fallback. Exactly one branch, so content shows once.
pugi::xml_node chooseBranch(const pugi::xml_node& ac) {
  pugi::xml_node fallback;
  for (pugi::xml_node c = ac.first_child(); c; c = c.next_sibling()) {
    if (is(c, "Choice") && supportedChoice(val(c, "Requires"))) return c;
    if (is(c, "Fallback") && !fallback) fallback = c;
  }
  return fallback;
}

void DocxReader::blocks(const pugi::xml_node& parent, StoryState& s, int depth) {
  if (depth > kMaxDepth) return;
  for (pugi::xml_node n = parent.first_child(); n; n = n.next_sibling()) {
    if (n.type() != pugi::node_element) continue;
    std::string_view name = localName(n.name());
    if (name == "p") {
      // A deleted or hidden paragraph mark joins the paragraph to the next
      // one: a paragraph hidden whole adds nothing.
      // Before a table it cannot join, a paragraph hidden whole takes no
      // line of its own either (a web page's hidden "Top of Form" with its
      // rule).
      bool join = false, gone = false;
      const pugi::xml_node ppr = child(n, "pPr");
      const bool hidden = hiddenMark(ppr, s);
      if (hidden || child(child(ppr, "rPr"), "del")) {
        pugi::xml_node next = n.next_sibling();
        while (next && (next.type() != pugi::node_element || is(next, "bookmarkStart") ||
                        is(next, "bookmarkEnd") || is(next, "proofErr")))
          next = next.next_sibling();
        join = next && is(next, "p");
        gone = hidden && next && !join && !is(next, "sectPr") && hiddenWhole(n, s);
      }
      if (!gone) paragraph(n, s, depth + 1, join);
      if (const pugi::xml_node sect = child(child(n, "pPr"), "sectPr")) section(sect, s);
    } else if (name == "sectPr") {
      section(n, s);
    } else if (name == "tbl") {
      table(n, s, depth + 1);
    } else if (name == "sdt") {
      blocks(child(n, "sdtContent"), s, depth + 1);
    } else if (name == "customXml" || name == "ins" || name == "moveTo" || name == "smartTag") {
      blocks(n, s, depth + 1);
    } else if (name == "AlternateContent") {
      blocks(chooseBranch(n), s, depth + 1);
    } else if (name == "textpath") {
      wordArt(n, s);
    } else if (name == "bookmarkStart") {
      bookmarkStart(n, s);
    } else if (name == "bookmarkEnd") {
      bookmarkEnd(n, s);
    } else if (name == "altChunk") {
      // Content in another format (HTML, RTF, another document) that the
      // word processor merges in when it opens and saves the document.
      s.builder->loss("content imported from another file (an altChunk)", LossKind::Formatting);
    }
    // del, moveFrom: removed by accepting changes; sectPr: no text.
  }
}

// A section's end: its columns (w:cols: w:num of them, else its w:col
// children, w:space apart, a line between them where w:sep), for its
// paragraphs; in the main text, the notes after it count as the next says.
void DocxReader::section(const pugi::xml_node& sectPr, StoryState& s) {
  if (s.part == &main_ && !s.inNote) sectionEnds(sectPr);
  flush(s);
  const pugi::xml_node cols = child(sectPr, "cols");
  int64_t count = intAttr(cols, "num").value_or(0);
  if (!attr(cols, "num"))
    for (pugi::xml_node c = child(cols, "col"); c; c = c.next_sibling())
      count += is(c, "col") ? 1 : 0;
  const int64_t gap = intAttr(cols, "space").value_or(720);
  const std::string_view sep = val(cols, "sep");
  s.builder->columns(sectionStart_, clampInt(count, 0, 16), clampInt(gap, 0, 14400),
                     sep == "1" || sep == "true" || sep == "on");
  sectionStart_ = s.builder->position();
}

// Whether a paragraph's mark is hidden, by its own properties or its
// paragraph style's (a table style's too).
bool DocxReader::hiddenMark(const pugi::xml_node& ppr, const StoryState& s) const {
  const pugi::xml_node rpr = child(ppr, "rPr");
  // Most documents hide nothing: neither a style nor the mark says so.
  if (!styles_.hidesText() && !child(rpr, "vanish") && !child(rpr, "specVanish") &&
      !child(rpr, "rStyle"))
    return false;
  RunProps mark;
  if (rpr) mark.read(rpr, theme_);
  InlineState in;
  in.paraStyle = styles_.paraOf(docx::styleId(child(ppr, "pStyle"))).styleId;
  in.tableRun = s.tableRun;
  return effective(mark, in).hidden.value_or(false);
}

// Whether a paragraph whose mark is hidden shows nothing: every run that
// holds anything hidden, no bookmark in it, and no list item (a hidden one
// still counts its number).
bool DocxReader::hiddenWhole(const pugi::xml_node& p, const StoryState& s) const {
  const pugi::xml_node ppr = child(p, "pPr");
  ParaProps direct;
  if (ppr) direct.read(ppr, theme_);
  const ParaProps eff = styles_.paraOf(direct.styleId);
  const auto listed = [](const ParaProps& pp) { return pp.numId && *pp.numId != "0"; };
  if (listed(direct) || (!direct.numId && listed(eff))) return false;
  InlineState in;
  in.paraStyle = eff.styleId;
  in.tableRun = s.tableRun;
  bool shows = false;
  p.find_node([&](const pugi::xml_node& n) {
    if (is(n, "bookmarkStart")) return shows = true;
    if (!is(n, "r") || is(n.parent(), "del") || !n.first_child()) return false;
    const pugi::xml_node rpr = child(n, "rPr");
    if (!rpr.next_sibling() && rpr) return false;  // properties alone
    RunProps direct;
    if (rpr) direct.read(rpr, theme_);
    return shows = !effective(direct, in).hidden.value_or(false);
  });
  return !shows;
}

void DocxReader::paragraph(const pugi::xml_node& p, StoryState& s, int depth, bool joinNext) {
  flush(s);
  ParaProps direct;
  pugi::xml_node ppr = child(p, "pPr");
  if (ppr) direct.read(ppr, theme_);
  ParaProps eff = styles_.paraOf(direct.styleId);
  std::string styleId = eff.styleId;
  if (s.tablePara && styleId != styles_.defaultParagraphStyle()) {
    // In a table, the table style's paragraph properties count over the
    // default paragraph style; another paragraph style counts over them.
    eff = styles_.defaultPara();
    eff.over(*s.tablePara);
    eff.over(styles_.paraOfStyleAlone(styleId));
  } else if (s.tablePara) {
    eff.over(*s.tablePara);
  }
  eff.over(direct);
  ParagraphFormat pf;
  pf.style = styles_.indexOf(styleId);
  eff.applyTo(pf, &borderLines_);
  // An item whose mark is deleted is gone once the changes are accepted,
  // its number too; a hidden one still counts, as the word processor
  // counts it (a list skips numbers so).
  const bool gone = joinNext && child(child(ppr, "rPr"), "del");
  if (eff.numId && *eff.numId != "0" && !gone) {
    // Without an explicit level, a list tied to the paragraph's style uses
    // the level that names that style.
    int lvl =
        eff.numLevel ? *eff.numLevel : std::max(0, numbering_.levelForStyle(*eff.numId, styleId));
    if (auto item = numbering_.next(*eff.numId, lvl)) {
      pf.listId = item->listId;
      pf.listLevel = static_cast<uint8_t>(lvl);
      pf.listOrdered = item->ordered;
      pf.labelFollow = item->follow;
      pf.listLabel = item->label;
      // Under the level's look, the one the paragraph's mark is given.
      LabelLook look = item->look;
      if (auto rpr = child(ppr, "rPr"); rpr) {
        RunProps mark;
        mark.read(rpr, theme_);
        for (auto [level, own] : {std::pair{&look.bold, &mark.bold}, {&look.italic, &mark.italic}})
          if (!*level) *level = *own;
        if (!look.color && mark.color && *mark.color != kAutoColor) look.color = mark.color;
      }
      applyLabelLook(pf, look);
      applyListIndents(pf, item->indents,
                       {direct.indentLeft, direct.indentRight, direct.indentFirst});
    }
  }
  // A paragraph in a frame (framePr, not a drop cap) floats like a text box.
  pugi::xml_node frame = child(ppr, "framePr");
  pf.textBox = s.textBoxDepth > 0 || (frame && !attr(frame, "dropCap"));
  pf.inFrame = pf.textBox && s.textBoxDepth == 0;
  if (s.textBoxDepth > 0) {
    if (!pf.borderSides && s.box.line.style == LineStyle::Single) {
      pf.border = s.box.line;
      pf.borderSides = kBorderTop | kBorderLeft | kBorderBottom | kBorderRight;
    }
    if (pf.shading == kAutoColor) pf.shading = s.box.fill;
    if (!frame) s.box.place.apply(pf);
  }
  placeFrame(frame, pf);
  if (s.textBoxDepth == 0) s.frames.place(pf, frameHeight(frame));
  s.builder->paragraph(pf);
  InlineState in;
  in.paraStyle = styleId;
  in.tableRun = s.tableRun;
  inlines(p, s, in, depth + 1);
  if (!s.alignTabs.empty()) alignmentTabs(eff, pf, s);
  // An empty paragraph's mark has the look its properties give it.
  if (s.builder->position() == s.builder->paragraphStart()) {
    RunProps mark;
    if (auto rpr = child(ppr, "rPr"); rpr) mark.read(rpr, theme_);
    CharFormat f = format(mark, s, in);
    f.hyperlink.clear();
    s.builder->paragraphMark(f);
  }
  if (joinNext && in.textBoxes.empty()) {
    unseen(s, u"\r", gone);
    return;
  }
  s.pendingEnd = true;
  if (in.textBoxes.empty()) return;
  // The look of the box this paragraph stands in, which the boxes
  // anchored here change, holds for the box's next paragraphs.
  const TextBoxLook outer = s.box;
  ++s.textBoxDepth;
  for (const pugi::xml_node& box : in.textBoxes) {
    s.anchorAlign = pf.align;
    textBoxLook(box, s);
    blocks(box, s, depth + 1);
  }
  s.box = outer;
  --s.textBoxDepth;
}

// Alignment tabs (w:ptab) take the text after them to the middle or the
// end of the line, between the margins or the indents, whatever the
// paragraph's stops: stops of their own there, over those. One to the
// start is a tab as any other.
void DocxReader::alignmentTabs(const ParaProps& props, ParagraphFormat& pf, StoryState& s) const {
  std::vector<TabStop> stops = props.tabs;
  for (const pugi::xml_node& k : s.alignTabs) {
    const std::string_view align = val(k, "alignment"), leader = val(k, "leader");
    const bool indents = val(k, "relativeTo") == "indent";
    const int32_t from = indents ? pf.indentLeft : 0;
    const int32_t to = textWidth_ - (indents ? pf.indentRight : 0);
    TabStop stop;
    stop.align = align == "center"  ? TabAlign::Centre
                 : align == "right" ? TabAlign::End
                                    : TabAlign::Start;
    stop.pos = stop.align == TabAlign::Centre ? from + (to - from) / 2 : to;
    stop.leader = leader == "dot" || leader == "middleDot" ? TabLeader::Dots
                  : leader == "hyphen"                     ? TabLeader::Dashes
                  : leader == "underscore"                 ? TabLeader::Line
                                                           : TabLeader::None;
    if (stop.align != TabAlign::Start) mergeTabStops(stops, {stop});
  }
  s.alignTabs.clear();
  applyTabStops(pf, stops);
  s.builder->paragraph(pf);
}

// The line and fill of the shape a DrawingML text box is drawn in (a
// callout's frame and colour), for its paragraphs; none for others.
void DocxReader::textBoxLook(const pugi::xml_node& box, StoryState& s) const {
  s.box = {};
  placeTextBox(box, s);
  const pugi::xml_node shape = box.parent().parent();
  if (!is(box, "txbxContent") || !is(shape, "wsp")) return;
  const std::optional<ShapeGeometry> g = shapeGeometry(shape, theme_);
  if (!g) return;
  if (g->filled && g->fillAlpha >= 0x8000) s.box.fill = g->fill;
  if (g->lined)
    s.box.line = {LineStyle::Single,
                 static_cast<uint8_t>(std::clamp(g->lineEmu * 8 / 12700, 1, int{kMaxBorderWidth})),
                 0, g->line};
}

// A DrawingML text box the text wraps around at one side stands there,
// as wide as its drawing, rather than in the text's flow: a sidebar of
// contact details beside a résumé's text, not above it. It is at least as
// tall as its drawing (its text may overflow it, as the word processor
// lets the box grow), so that the text beside it stays there.
void DocxReader::placeTextBox(const pugi::xml_node& box, StoryState& s) const {
  s.box.place = {};
  pugi::xml_node anchor = box.parent();
  while (anchor && !is(anchor, "anchor") && !is(anchor, "inline") && !is(anchor, "pict") &&
         !is(anchor, "p"))
    anchor = anchor.parent();
  if (!is(anchor, "anchor")) return;
  const int64_t cx = intAttr(child(anchor, "extent"), "cx").value_or(0);
  if (cx <= 0) return;
  constexpr int64_t kEmuPerTwip = 635;
  const PictureSide side = anchoredSide(anchor, static_cast<int32_t>(cx / 9525));
  const char* room = side == PictureSide::Start ? "distR" : "distL";
  s.box.place = boxPlace(side, cx / kEmuPerTwip,
                         intAttr(child(anchor, "extent"), "cy").value_or(0) / kEmuPerTwip,
                         intAttr(anchor, room).value_or(kFrameAside * kEmuPerTwip) / kEmuPerTwip);
  // Text anchored at the foot of a box of its own stands there (an address
  // at the bottom of a tall sidebar); a group's boxes share one box, their
  // text in its flow.
  const pugi::xml_node shape = box.parent().parent();
  s.box.place.bottom =
      is(shape.parent(), "graphicData") && attrValue(child(shape, "bodyPr"), "anchor") == "b";
  // The boxes of a group stand in one box of the group's size, the first
  // opening it.
  s.box.place.opens =
      anchor.find_node([](const pugi::xml_node& n) { return is(n, "txbxContent"); }) == box;
}

CharFormat DocxReader::formatOf(const RunProps& eff, const StoryState& s,
                                const InlineState& in) const {
  CharFormat f;
  eff.applyTo(f);
  auto field = std::find_if(s.fields.rbegin(), s.fields.rend(),
                            [](const Field& d) { return !d.link.target.empty(); });
  const Link& link = field == s.fields.rend() ? in.link : field->link;
  f.hyperlink = link.target;
  f.linkTitle = link.title;
  return f;
}

void DocxReader::inlines(const pugi::xml_node& parent, StoryState& s, InlineState& in, int depth) {
  if (depth > kMaxDepth) return;
  for (pugi::xml_node n = parent.first_child(); n; n = n.next_sibling()) {
    if (n.type() != pugi::node_element) continue;
    std::string_view name = localName(n.name());
    if (name == "r") {
      run(n, s, in, depth + 1);
    } else if (name == "hyperlink") {
      hyperlink(n, s, in, depth);
    } else if (name == "fldSimple") {
      simpleField(n, s, in, depth);
    } else if (name == "sdt") {
      inlines(child(n, "sdtContent"), s, in, depth + 1);
    } else if (name == "ins" || name == "moveTo" || name == "smartTag" || name == "customXml" ||
               name == "dir" || name == "bdo") {
      inlines(n, s, in, depth + 1);
    } else if (name == "AlternateContent") {
      inlines(chooseBranch(n), s, in, depth + 1);
    } else if (name == "bookmarkStart") {
      bookmarkStart(n, s);
    } else if (name == "bookmarkEnd") {
      bookmarkEnd(n, s);
    } else if (name == "oMath" || name == "oMathPara") {
      equations(n, s, in);
    } else if (name == "del" && visible(s)) {
      unseen(s, deletedText(n), true);
    }
    // moveFrom: the text is read where it moved to; commentRange*,
    // proofErr, perm*: no text.
  }
}

// An equation paragraph (m:oMathPara) holds equations of their own lines.
void DocxReader::equations(const pugi::xml_node& n, StoryState& s, InlineState& in) {
  if (!visible(s)) return;
  const bool display = is(n, "oMathPara");
  for (pugi::xml_node m = display ? n.first_child() : n; m;
       m = display ? m.next_sibling() : pugi::xml_node()) {
    if (!is(m, "oMath")) continue;
    MathText math = readMath(m, display);
    s.builder->equation(math.linear, std::move(math.mathml), display, format(RunProps{}, s, in));
  }
}

void DocxReader::run(const pugi::xml_node& r, StoryState& s, InlineState& in, int depth) {
  RunProps direct;
  if (auto rpr = child(r, "rPr"); rpr) direct.read(rpr, theme_);
  runContent(r, r, direct, s, in, depth);
}

RunProps DocxReader::effective(const RunProps& direct, const InlineState& in) const {
  // In a table, the table style's formatting counts over the default
  // paragraph style; another paragraph style counts over it.
  const bool otherStyle =
      in.tableRun && !in.paraStyle.empty() && in.paraStyle != styles_.defaultParagraphStyle();
  RunProps eff = otherStyle ? styles_.defaultRun() : styles_.runOfParagraphStyle(in.paraStyle);
  if (in.tableRun) eff.over(*in.tableRun);
  if (otherStyle) eff.over(styles_.runOfParagraphStyleAlone(in.paraStyle));
  if (!direct.styleId.empty()) eff.toggleOver(styles_.runOfCharacterStyle(direct.styleId));
  eff.over(direct);
  return eff;
}

RunLanguages DocxReader::languages(const RunProps& eff) {
  RunLanguages l;
  l.other = languageTable_.number(eff.lang.value_or(""));
  // A kind of letters the run gives no language of its own keeps its one.
  l.eastAsian = eff.langEastAsia ? languageTable_.number(*eff.langEastAsia) : l.other;
  l.complex = eff.langBidi ? languageTable_.number(*eff.langBidi) : l.other;
  l.allComplex = eff.complex.value_or(false);
  l.eastAsianHint = eff.eastAsianHint.value_or(false);
  return l;
}

const RunLanguages& DocxReader::styleLanguages(const RunProps& styleRun) {
  auto it = styleLanguages_.find(&styleRun);
  if (it == styleLanguages_.end()) it = styleLanguages_.emplace(&styleRun, languages(styleRun)).first;
  return it->second;
}

void DocxReader::runContent(const pugi::xml_node& parent, const pugi::xml_node& r,
                            const RunProps& direct, StoryState& s, InlineState& in, int depth) {
  if (depth > kMaxDepth) return;
  // A run of no properties of its own outside tables has its paragraph
  // style's, as folded once a style (large.docx 914 to 902 million
  // instructions).
  const bool styleAlone = !in.tableRun && !child(r, "rPr");
  RunProps own;
  if (!styleAlone) own = effective(direct, in);
  RunContext rc(direct, styleAlone ? styles_.runOfParagraphStyle(in.paraStyle) : own);
  rc.hidden = rc.effective.hidden.value_or(false);
  rc.languages = styleAlone ? styleLanguages(rc.effective) : languages(own);
  for (pugi::xml_node k = parent.first_child(); k; k = k.next_sibling()) {
    if (k.type() != pugi::node_element) continue;
    runChild(k, r, rc, s, in, depth);
  }
}

void DocxReader::runChild(const pugi::xml_node& k, const pugi::xml_node& r, RunContext& rc,
                          StoryState& s, InlineState& in, int depth) {
  std::string_view name = localName(k.name());
  if (name == "t") {
    if (rc.skipNextText) {
      rc.skipNextText = false;
      return;
    }
    if (k == s.typedMark) return;
    if (!shows(rc, s)) {
      if (visible(s)) unseen(s, cleanText(k.text().get()), false);
      return;
    }
    std::u16string text = cleanText(k.text().get());
    trimUnkeptSpace(text, k);
    if (text.empty()) return;
    const CharFormat f = runFormat(rc, s, in);
    showSymbols(text, f.font);
    putText(*s.builder, text, f, rc.languages, s.inNote ? nullptr : &languages_);
  } else if (name == "fldChar") {
    const std::u16string drawn = fieldChar(k, s, !rc.hidden);
    if (!drawn.empty() && shows(rc, s)) s.builder->text(drawn, runFormat(rc, s, in));
    rc.cached.reset();
  } else if (name == "instrText") {
    instrText(k, s);
  } else if (name == "tab" || name == "ptab") {
    if (!shows(rc, s)) return;
    if (name == "ptab") s.alignTabs.push_back(k);
    s.builder->text(std::u16string(1, kTab), runFormat(rc, s, in));
  } else if (name == "br") {
    std::string_view type = val(k, "type");
    char16_t c = type == "page" ? kPageBreak : type == "column" ? kColumnBreak : kLineBreak;
    if (shows(rc, s)) s.builder->text(std::u16string(1, c), runFormat(rc, s, in));
  } else if (name == "cr") {
    if (shows(rc, s)) s.builder->text(std::u16string(1, kLineBreak), runFormat(rc, s, in));
  } else if (name == "sym") {
    symbol(k, rc, s, in);
  } else if (name == "noBreakHyphen" || name == "softHyphen") {
    // A soft hyphen shows only where a line breaks at it, as a .doc's does.
    const char16_t hyphen = name == "softHyphen" ? u'\u00AD' : u'\u2011';
    if (shows(rc, s)) s.builder->text(std::u16string(1, hyphen), runFormat(rc, s, in));
  } else if (name == "drawing") {
    if (shows(rc, s)) drawing(k, runFormat(rc, s, in), s, in);
  } else if (name == "pict" || name == "object") {
    if (!shows(rc, s)) return;
    const uint32_t at = s.builder->position();
    const size_t boxes = in.textBoxes.size();
    vml(k, runFormat(rc, s, in), s, in, depth + 1);
    // Neither a picture nor text: the page has nothing to show for it.
    if (s.builder->position() == at && in.textBoxes.size() == boxes)
      s.builder->loss(name == "object" ? "an embedded object without a picture"
                                       : "a shape drawn only by its geometry");
  } else if (name == "footnoteReference" || name == "endnoteReference") {
    noteReference(k, name == "endnoteReference", rc, s, in);
  } else if (name == "AlternateContent") {
    runContent(chooseBranch(k), r, rc.direct, s, in, depth + 1);
  } else if (name == "ruby") {
    ruby(k, s, in, depth);
  }
  // delText: deleted; lastRenderedPageBreak, annotationRef,
  // commentReference, footnoteRef/endnoteRef, separators: nothing shown.
}

// Where the main text holds text that does not show, the author may see a
// marker in it (with hidden text and changes shown) that the course lacks.
void DocxReader::unseen(StoryState& s, std::u16string_view text, bool deleted) {
  if (s.part == &main_ && !s.inNote && s.textBoxDepth == 0) s.builder->unseen(text, deleted);
}

// The text a tracked deletion took out (w:delText), as it stood.
std::u16string DocxReader::deletedText(const pugi::xml_node& del) {
  std::string text;
  del.find_node([&](const pugi::xml_node& n) {
    if (is(n, "delText")) text += n.text().get();
    return false;
  });
  return cleanText(text);
}

void DocxReader::symbol(const pugi::xml_node& k, RunContext& rc, StoryState& s,
                        const InlineState& in) {
  std::string_view hex = val(k, "char");
  uint32_t v = 0;
  for (char c : hex) {
    int d = hexDigit(c);
    if (d < 0 || v > 0xFFFF) break;
    v = v * 16 + static_cast<uint32_t>(d);
  }
  if (v >= 0x20 && v <= 0xFFFF && shows(rc, s)) {
    // The symbol font's own code point: the run's font gives its glyph.
    char16_t ch = static_cast<char16_t>(v);
    if (ch >= 0x20 && (ch < 0xD800 || ch > 0xDFFF)) {
      CharFormat symbolFormat = runFormat(rc, s, in);
      const std::u16string font = utf16(val(k, "font"));
      std::u16string shown(1, ch);
      showSymbols(shown, font);
      // A glyph with a character of its own shows in the run's font.
      if (shown[0] == ch && !font.empty()) symbolFormat.font = font;
      s.builder->text(shown, symbolFormat);
    }
  }
}

// Phonetic guides: the base text is what the line shows.
void DocxReader::ruby(const pugi::xml_node& k, StoryState& s, InlineState& in, int depth) {
  pugi::xml_node base = child(k, "rubyBase");
  InlineState inner;
  inner.link = in.link;
  inner.paraStyle = in.paraStyle;
  inner.tableRun = in.tableRun;
  inlines(base, s, inner, depth + 1);
  for (auto& b : inner.textBoxes) in.textBoxes.push_back(b);
}

}  // namespace word::read::docx::detail
