// The model as indented text, for reader tests: a change in what a reader
// fills shows as a readable diff. Formatting of runs is given as it shows;
// font, size and colours only where they differ from the paragraph's style,
// whose own values head the dump.
#include <algorithm>
#include <cstdio>
#include <iterator>
#include <string>

#include "support/codepage.h"
#include "word/font_names.h"
#include "word/story_ops.h"
#include "word/write/blocks.h"
#include "word/write/writers.h"

namespace word::write {
namespace {

// A quoted string with quotes, backslashes and controls escaped: tab, line
// break and page break as \t, \n and \f, other controls as \xNN. The
// escaped form is ASCII, so it is made in UTF-16 and converted once, with
// surrogate pairs whole.
std::string quoted(std::u16string_view s) {
  std::u16string out = u"\"";
  for (char16_t c : s) {
    if (c == u'"' || c == u'\\') {
      out += u'\\';
      out += c;
    } else if (c == kTab || c == kLineBreak || c == kPageBreak) {
      out += c == kTab ? u"\\t" : c == kLineBreak ? u"\\n" : u"\\f";
    } else if (c < 32) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02X", static_cast<unsigned>(c));
      out.append(buf, buf + 4);
    } else {
      out += c;
    }
  }
  return support::toUtf8(out + u"\"");
}

std::string rgb(uint32_t colour) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "#%06X", colour & 0xFFFFFFu);
  return buf;
}

// Half points as points: "12", "10.5".
std::string size(uint16_t halfPoints) {
  return std::to_string(halfPoints / 2) + (halfPoints % 2 ? ".5" : "");
}

// A cell edge: "none", "?" when unknown, else style, width in eighths of a
// point and colour ("single/4", "double/6/#FF0000").
std::string border(const Border& b) {
  static const char* const kNames[] = {"?",      "none",    "single", "thick", "double", "dotted",
                                       "dashed", "dotdash", "groove", "ridge", "inset",  "outset"};
  const size_t i = static_cast<size_t>(b.style);
  std::string out = i < std::size(kNames) ? kNames[i] : "?";
  if (b.style == LineStyle::Unknown || b.style == LineStyle::None) return out;
  (out += '/') += std::to_string(b.width);
  if (b.color != kAutoColor) out += "/" + rgb(b.color);
  return out;
}

// The four edges top, left, bottom, right; one when they are alike; nothing
// when none is known.
std::string borders(const CellBorders& b) {
  if (b.top == b.left && b.top == b.bottom && b.top == b.right)
    return b.top.style == LineStyle::Unknown ? "" : " borders=" + border(b.top);
  return " borders=" + border(b.top) + "," + border(b.left) + "," + border(b.bottom) + "," +
         border(b.right);
}

// Surrogate pairs stay whole when text is cut into pieces.
bool lowSurrogate(char16_t c) {
  return c >= 0xDC00 && c <= 0xDFFF;
}

std::string charFlags(const CharFormat& f) {
  std::string out;
  if (f.bold) out += " bold";
  if (f.italic) out += " italic";
  if (f.underline) out += " underline";
  if (f.strike) out += f.doubleStrike ? " double-strike" : " strike";
  if (f.superscript) out += " sup";
  if (f.subscript) out += " sub";
  if (f.smallCaps) out += " smallcaps";
  if (f.allCaps) out += " caps";
  if (f.letterSpacing) out += " spacing=" + std::to_string(f.letterSpacing);
  if (f.raise) out += " raise=" + std::to_string(f.raise);
  static const std::pair<uint8_t, const char*> kEffects[] = {{kEffectOutline, " outline"},
                                                             {kEffectShadow, " shadow"},
                                                             {kEffectEmboss, " emboss"},
                                                             {kEffectEngrave, " engrave"},
                                                             {kEffectBox, " boxed"}};
  for (const auto& [bit, name] : kEffects)
    if (f.effects & bit) out += name;
  return out;
}

// What of `f` differs from `base`, flags absolute.
std::string charFormat(const CharFormat& f, const CharFormat& base) {
  std::string out = charFlags(f);
  if (f.font != base.font || f.fontClass != base.fontClass) {
    static const char* const kClasses[] = {"",        "/roman",  "/swiss",
                                           "/modern", "/script", "/decorative"};
    const size_t c = static_cast<size_t>(f.fontClass);
    out += " font=" + quoted(f.font) + (c < std::size(kClasses) ? kClasses[c] : "");
  }
  if (f.asianFont != base.asianFont) out += " asian=" + quoted(asianFontName(f.asianFont));
  if (f.halfPoints != base.halfPoints)
    out += " size=" + (f.halfPoints ? size(f.halfPoints) : std::string("default"));
  if (f.color != base.color) out += " color=" + (f.color == kAutoColor ? "auto" : rgb(f.color));
  if (f.highlight != base.highlight || f.shaded != base.shaded)
    out += (f.shaded ? " shading=" : " highlight=") +
           (f.highlight == kAutoColor ? "none" : rgb(f.highlight));
  if (!f.hyperlink.empty()) out += " link=" + quoted(f.hyperlink);
  if (!f.linkTitle.empty()) out += " title=" + quoted(f.linkTitle);
  return out;
}

const char* alignName(Align a) {
  static const char* names[] = {"left", "center", "right", "justify", "distribute"};
  return names[std::min(static_cast<int>(a), 4)];
}

// `lines`: the model's borderLines, which hold the lines past the first two.
std::string paragraphFormat(const ParagraphFormat& f, const std::vector<SideLines>& lines = {}) {
  std::string out;
  if (f.outlineLevel < 9) out += " heading=" + std::to_string(f.outlineLevel + 1);
  if (f.align != Align::Left) out += std::string(" align=") + alignName(f.align);
  if (f.indentLeft) out += " left=" + std::to_string(f.indentLeft);
  if (f.indentRight) out += " right=" + std::to_string(f.indentRight);
  if (f.indentFirst) out += " first=" + std::to_string(f.indentFirst);
  if (f.listId >= 0)
    out += " list=" + std::to_string(f.listId) + "/" + std::to_string(f.listLevel) +
           (f.listOrdered ? " numbered" : " bulleted");
  if (!f.listLabel.empty()) out += " label=" + quoted(f.listLabel);
  if (f.labelLook & kLabelBoldSet) out += f.labelLook & kLabelBold ? " label-bold" : " label-plain";
  if (f.labelLook & kLabelItalicSet)
    out += f.labelLook & kLabelItalic ? " label-italic" : " label-upright";
  if (f.labelHalfPoints) out += " label-size=" + size(f.labelHalfPoints);
  if (f.labelColor != kAutoColor) out += " label-color=" + rgb(f.labelColor);
  if (f.labelFollow != LabelFollow::Tab)
    out += f.labelFollow == LabelFollow::Space ? " follow=space" : " follow=nothing";
  if (f.dropCap) out += " dropcap";
  if (f.dropLetters)
    out += " drop=" + std::to_string(f.dropLetters) + "/" + std::to_string(f.dropLines);
  static constexpr const char* kLeaders[] = {"", " leader=dots", " leader=dashes", " leader=line"};
  static constexpr const char* kAligns[] = {"", "/centre", "/end", "/decimal"};
  if (f.tabEnd)
    out += " tab-end=" + std::to_string(f.tabEnd) +
           (f.tabEndAlign == TabAlign::End ? "" : kAligns[static_cast<size_t>(f.tabEndAlign)]) +
           kLeaders[static_cast<size_t>(f.tabLeader)];
  if (f.tabStart)
    out += " tab-start=" + std::to_string(f.tabStart) +
           kLeaders[static_cast<size_t>(f.tabStartLeader)];
  if (f.tabStops[1] || f.tabAligns) {
    out += " tab-stops=";
    for (size_t i = 0; i < f.tabStops.size() && f.tabStops[i]; ++i)
      out += (i ? "," : "") + std::to_string(f.tabStops[i]) +
             kAligns[static_cast<size_t>(f.tabAlign(i))];
  }
  if (f.textBox) out += " textbox";
  if (f.rightToLeft) out += " rtl";
  if (f.borderSides) {
    auto sides = [&out](uint8_t bits) {
      for (const auto& [bit, side] :
           {std::pair{kBorderTop, 't'}, std::pair{kBorderLeft, 'l'}, std::pair{kBorderBottom, 'b'},
            std::pair{kBorderRight, 'r'}, std::pair{kBorderBetween, 'i'}})
        if (bits & bit) out += side;
    };
    out += " border=" + border(f.border) + "/";
    sides(f.borderSides);
    if (f.borderOther) {
      out += " other=" + border(f.otherBorder) + "/";
      sides(f.borderOther);
    }
    // Each line past the first two once, with the sides that draw it.
    uint8_t listed = 0;
    for (uint8_t side = kBorderTop; side <= kBorderBetween;
         side = static_cast<uint8_t>(side << 1)) {
      const Border* b = f.ownLine(side, lines);
      if (!b || (listed & side)) continue;
      uint8_t drawn = 0;
      for (uint8_t other = side; other <= kBorderBetween; other = static_cast<uint8_t>(other << 1))
        if (const Border* o = f.ownLine(other, lines); o && *o == *b) drawn |= other;
      out += " third=" + border(*b) + "/";
      sides(drawn);
      listed |= drawn;
    }
  }
  if (f.sideRooms != decltype(f.sideRooms){})
    for (size_t i = 0; i < f.sideRooms.size(); ++i)
      out += (i ? "," : " rooms=") + std::to_string(f.sideRooms[i]);
  auto space = [](int32_t v) {
    return v == kAutoSpacing ? std::string("auto") : std::to_string(v);
  };
  if (f.spaceBefore) out += " before=" + space(f.spaceBefore);
  if (f.spaceAfter) out += " after=" + space(f.spaceAfter);
  if (f.contextualSpacing) out += " contextual";
  if (f.lineRule != LineRule::Multiple || f.lineSpacing != kSingleLine) {
    static const char* const kRules[] = {"", "atleast/", "exactly/"};
    out += std::string(" line=") + kRules[static_cast<size_t>(f.lineRule) % 3] +
           std::to_string(f.lineSpacing);
  }
  if (f.shading != kAutoColor) out += " shading=" + rgb(f.shading);
  return out;
}

class Dumper {
 public:
  explicit Dumper(const Model& model) : model_(model) {}

  std::string run() {
    if (model_.defaultTabStop != kDefaultTabStop)
      out_ += "default-tab-stops=" + std::to_string(model_.defaultTabStop) + "\n";
    styles();
    out_ += "main\n";
    story(model_.main, 1);
    for (size_t i = 0; i < model_.notes.size(); ++i) {
      const Note& n = model_.notes[i];
      out_ += std::string(n.endnote ? "endnote " : "footnote ") + quoted(n.label) + "\n";
      story(n.body, 1);
    }
    // What the reader read but cannot show, where it stands in the main text.
    for (const Loss& l : model_.losses)
      out_ += "loss @" + std::to_string(l.pos) + " " + quoted(support::fromUtf8(l.what)) + "\n";
    return std::move(out_);
  }

 private:
  void line(int depth, const std::string& text) {
    out_.append(static_cast<size_t>(depth) * 2, ' ');
    out_ += text;
    out_ += '\n';
  }

  // The styles the paragraphs use, with their resolved formatting.
  void styles() {
    std::vector<bool> used(model_.styles.size(), false);
    auto mark = [&](const Story& s) {
      for (const Paragraph& p : s.paragraphs)
        if (p.format.style >= 0 && static_cast<size_t>(p.format.style) < used.size())
          used[static_cast<size_t>(p.format.style)] = true;
    };
    mark(model_.main);
    for (const Note& n : model_.notes) mark(n.body);
    if (!used.empty()) used[0] = true;
    static const CharFormat kPlain;
    for (size_t i = 0; i < used.size(); ++i) {
      if (!used[i]) continue;
      const Style& s = model_.styles[i];
      std::string text = "style " + quoted(s.name);
      if (s.basedOn >= 0 && static_cast<size_t>(s.basedOn) < model_.styles.size())
        text += " based-on " + quoted(model_.styles[static_cast<size_t>(s.basedOn)].name);
      line(0, text + paragraphFormat(s.paragraph) + charFormat(s.chars, kPlain));
    }
  }

  std::string styleName(int32_t style) const {
    if (style < 0 || static_cast<size_t>(style) >= model_.styles.size()) return "?";
    return quoted(model_.styles[static_cast<size_t>(style)].name);
  }

  void story(const Story& s, int depth) {
    story_ = &s;
    tableCursor_ = 0;
    range(0, static_cast<uint32_t>(s.text.size()), 0, depth);
    for (const Bookmark& b : s.bookmarks) {
      uint32_t from = std::min<uint32_t>(b.start, static_cast<uint32_t>(s.text.size()));
      uint32_t to = std::clamp<uint32_t>(b.end, from, static_cast<uint32_t>(s.text.size()));
      line(depth, "bookmark " + quoted(b.name) + " " + excerpt(from, to));
    }
    story_ = nullptr;
  }

  // The first characters a bookmark covers, enough to find it by.
  std::string excerpt(uint32_t from, uint32_t to) const {
    size_t n = std::min<size_t>(to - from, 30);
    if (n < to - from && n > 0 && lowSurrogate(story_->text[from + n])) --n;
    return quoted(std::u16string_view(story_->text).substr(from, n)) + (n < to - from ? "..." : "");
  }

  // Paragraphs and tables from `from` to `to`, inside tables of `tableDepth`.
  void range(uint32_t from, uint32_t to, int tableDepth, int depth) {
    const Story& s = *story_;
    walkBlocks(
        s, tableCursor_, from, to, tableDepth, [&](const Table& t) { table(t, depth); },
        [&](uint32_t start, uint32_t end, size_t k) {
          paragraph(start, end, s.paragraphs[k].format, depth);
        });
  }

  void table(const Table& t, int depth) {
    std::string head = "table";
    if (t.align != Align::Left) head += std::string(" align=") + alignName(t.align);
    if (t.indent) head += " indent=" + std::to_string(t.indent);
    if (t.rightToLeft) head += " rtl";
    if (t.cellSpacing) head += " spacing=" + std::to_string(t.cellSpacing) + borders(t.frame);
    if (t.width) head += " width=" + std::to_string(t.width);
    if (t.widthShare) head += " width=" + std::to_string(t.widthShare) + "/5000";
    line(depth, head);
    for (const Row& row : t.rows) {
      line(depth + 1, std::string("row") + (row.header ? " header" : "") +
                          (row.height ? " height=" + std::to_string(row.height) : "") +
                          (row.exactHeight ? " exactly" : "") +
                          (row.skipBefore ? " skip=" + std::to_string(row.skipBefore) : ""));
      for (const Cell& c : row.cells) {
        std::string text = "cell";
        if (c.width) text += " width=" + std::to_string(c.width);
        if (c.gridSpan != 1) text += " span=" + std::to_string(c.gridSpan);
        if (c.vmerge == VMerge::Restart) text += " vmerge=restart";
        if (c.vmerge == VMerge::Continue) text += " vmerge=continue";
        if (c.shading != kAutoColor) {
          char hex[8];
          std::snprintf(hex, sizeof hex, "%06X", c.shading & 0xFFFFFFu);
          text += std::string(" shading=") + hex;
        }
        text += borders(c.borders);
        if (c.valign != VAlign::Top)
          text += c.valign == VAlign::Center ? " valign=center" : " valign=bottom";
        if (c.flow != TextFlow::Across)
          text += c.flow == TextFlow::Down ? " flow=down" : " flow=up";
        if (c.padding != Cell{}.padding)
          text += " padding=" + std::to_string(c.padding[0]) + "," + std::to_string(c.padding[1]) +
                  "," + std::to_string(c.padding[2]) + "," + std::to_string(c.padding[3]);
        line(depth + 2, text);
        uint32_t from = std::max(c.start, t.start), to = std::min(c.end, t.end);
        if (to > from && to <= story_->text.size()) range(from, to, t.depth, depth + 3);
      }
    }
  }

  void paragraph(uint32_t start, uint32_t end, const ParagraphFormat& f, int depth) {
    const Story& s = *story_;
    line(depth, "p " + styleName(f.style) + paragraphFormat(f, model_.borderLines));
    if (end > start && (s.text[end - 1] == kParagraphMark || s.text[end - 1] == kCellMark)) --end;
    static const Style kNoStyle;
    const Style& style = f.style >= 0 && static_cast<size_t>(f.style) < model_.styles.size()
                             ? model_.styles[static_cast<size_t>(f.style)]
                             : kNoStyle;
    // Runs of equal formatting are one line.
    size_t r = ops::runAt(s, start);
    for (uint32_t p = start; p < end;) {
      static const CharFormat kNone;
      const CharFormat& fmt = r < s.runs.size() ? s.runs[r].format : kNone;
      size_t next = r + 1;
      while (next < s.runs.size() && s.runs[next].start < end && s.runs[next].format == fmt) ++next;
      uint32_t segEnd = next < s.runs.size() ? std::clamp(s.runs[next].start, p, end) : end;
      if (segEnd == p) segEnd = end;
      line(depth + 1, text(p, segEnd) + charFormat(fmt, style.chars) + language(fmt));
      p = segEnd;
      r = next;
    }
  }

  // The language a run is marked with where it is not the document's;
  // none, only where the document marks any.
  std::string language(const CharFormat& f) const {
    const std::string_view tag = model_.languageOf(f);
    if (tag == model_.language || (tag.empty() && model_.languages.empty())) return "";
    return " lang=" + (tag.empty() ? std::string("none") : std::string(tag));
  }

  // Text in quotes; pictures and note marks as bracketed items between.
  std::string text(uint32_t start, uint32_t end) const {
    const Story& s = *story_;
    std::string out;
    std::u16string plain;
    auto flush = [&] {
      if (!plain.empty()) (out += out.empty() ? "" : " ") += quoted(plain);
      plain.clear();
    };
    for (uint32_t i = start; i < end; ++i) {
      char16_t c = s.text[i];
      std::string item;
      if (c == kPictureMark) item = picture(i);
      if (c == kNoteMark) item = note(i);
      if (item.empty()) {
        plain.push_back(c);
        continue;
      }
      flush();
      (out += out.empty() ? "" : " ") += item;
    }
    flush();
    return out;
  }

  std::string picture(uint32_t pos) const {
    const auto& pics = story_->pictures;
    auto it = std::lower_bound(pics.begin(), pics.end(), pos,
                               [](const Picture& p, uint32_t x) { return p.pos < x; });
    if (it == pics.end() || it->pos != pos) return "[picture missing]";
    std::string out = "[picture " + (it->format.empty() ? std::string("?") : it->format) + " " +
                      std::to_string(it->data ? it->data->size() : 0) + " bytes " +
                      std::to_string(it->widthPx) + "x" + std::to_string(it->heightPx);
    if (it->linked) out += " linked";
    static constexpr const char* kSides[] = {"",          " at-start",        " at-end",
                                             " own-line", " own-line-centre", " own-line-end"};
    out += kSides[static_cast<size_t>(it->side)];
    const PictureLook& look = it->look;
    if (look.gray) out += " gray";
    if (look.blackAndWhite) out += " black-and-white";
    if (look.brightness) out += " brightness=" + std::to_string(look.brightness);
    if (look.contrast != 1000) out += " contrast=" + std::to_string(look.contrast);
    if (look.cropLeft || look.cropTop || look.cropRight || look.cropBottom)
      out += " crop=" + std::to_string(look.cropLeft) + "," + std::to_string(look.cropTop) + "," +
             std::to_string(look.cropRight) + "," + std::to_string(look.cropBottom);
    if (look.rotation) out += " turned=" + std::to_string(look.rotation);
    if (look.flipH) out += " flipped-across";
    if (look.flipV) out += " flipped-down";
    if (!it->alt.empty()) out += " alt=" + quoted(it->alt);
    return out + "]";
  }

  std::string note(uint32_t pos) const {
    if (story_ != &model_.main) return "[note mark]";
    const auto& notes = model_.notes;
    auto it = std::lower_bound(notes.begin(), notes.end(), pos,
                               [](const Note& n, uint32_t x) { return n.pos < x; });
    if (it == notes.end() || it->pos != pos) return "[note missing]";
    return std::string(it->endnote ? "[endnote " : "[footnote ") + quoted(it->label) + "]";
  }

  const Model& model_;
  std::string out_;
  const Story* story_ = nullptr;
  size_t tableCursor_ = 0;
};

}  // namespace

std::string dump(const Model& model) {
  return Dumper(model).run();
}

}  // namespace word::write
