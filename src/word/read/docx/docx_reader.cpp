// Reader for Word 2007+ documents (.docx, .docm, .dotx): a zip package of
// WordprocessingML parts. The main story, footnotes and endnotes are walked
// in document order into a Builder; styles and numbering are resolved on
// the way, so the model holds formatting as it shows.
#include <pugixml.hpp>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "word/builder.h"
#include "word/error.h"
#include "word/read/docx/numbering.h"
#include "word/read/docx/package.h"
#include "word/read/docx/styles.h"
#include "word/read/docx/xml.h"
#include "word/read/reader.h"

namespace word::read {
namespace {

using namespace docx;

// Deeper XML than this is not walked: real documents stay far below it,
// and the walk is recursive.
constexpr int kMaxDepth = 256;
// Tables nested deeper than this are read as plain paragraphs.
constexpr int kMaxTableDepth = 16;
// XML elements over all parts. A parsed element costs far more memory than
// its few bytes of XML (and a paragraph in the model more again), so the
// inflated-size caps alone would let a small file take gigabytes. This is
// some twenty times a 700-page document.
constexpr size_t kMaxElements = 4'000'000;

constexpr size_t kMaxOpenBookmarks = 256;

size_t countTags(std::string_view bytes) {
  size_t n = 0;
  for (const char* p = bytes.data(); (p = static_cast<const char*>(
                                          std::memchr(p, '<', static_cast<size_t>(bytes.data() + bytes.size() - p))));
       ++p)
    ++n;
  return n;
}

struct Rel {
  std::string target;  // resolved part name, or the URL of an external target
  bool external = false;
};
using Rels = std::map<std::string, Rel>;

struct XmlPart {
  std::string name;
  std::string bytes;  // parsed in place: must outlive doc
  pugi::xml_document doc;
  Rels rels;
  bool present = false;
};

// One open complex field (fldChar begin ... end).
struct Field {
  std::string code;
  bool separated = false;
  std::u16string link;  // for HYPERLINK fields, once the code is known
};

// State of the story being built (main text or one note).
struct StoryState {
  Builder* builder = nullptr;
  const XmlPart* part = nullptr;
  std::vector<Field> fields;
  std::map<std::string, std::u16string> bookmarkNames;  // w:id -> name
  bool inNote = false;
  int textBoxDepth = 0;
  // The last paragraph's mark is written only when more content follows:
  // a cell's last paragraph ends with the cell mark instead.
  bool pendingEnd = false;
};

void flush(StoryState& s) {
  if (!s.pendingEnd) return;
  s.pendingEnd = false;
  s.builder->endParagraph();
}

// State inside one paragraph.
struct InlineState {
  std::u16string link;             // from an enclosing w:hyperlink or fldSimple
  std::string paraStyle;           // for run property resolution
  std::vector<pugi::xml_node> textBoxes;  // w:txbxContent anchored here
};

std::u16string utf16(std::string_view s) { return u16(s); }

std::string upper(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

// Splits a field code into words; quoted strings are one word.
std::vector<std::string> fieldWords(std::string_view code) {
  std::vector<std::string> out;
  size_t i = 0;
  while (i < code.size() && out.size() < 64) {
    while (i < code.size() && (code[i] == ' ' || code[i] == '\t' || code[i] == '\n' || code[i] == '\r')) ++i;
    if (i >= code.size()) break;
    std::string w;
    if (code[i] == '"') {
      ++i;
      while (i < code.size() && code[i] != '"') w += code[i++];
      ++i;
    } else {
      while (i < code.size() && code[i] != ' ' && code[i] != '\t' && code[i] != '\n' && code[i] != '\r') w += code[i++];
    }
    out.push_back(std::move(w));
  }
  return out;
}

// The target of a HYPERLINK field: its URL, and "#name" for \l name.
std::u16string fieldLink(std::string_view code) {
  auto words = fieldWords(code);
  if (words.empty() || upper(words[0]) != "HYPERLINK") return {};
  std::string url, anchor;
  for (size_t i = 1; i < words.size(); ++i) {
    const std::string& w = words[i];
    if (w.size() == 2 && w[0] == '\\') {
      char sw = static_cast<char>(w[1] | 0x20);
      if (sw == 'l' && i + 1 < words.size()) anchor = words[++i];
      else if ((sw == 'o' || sw == 't') && i + 1 < words.size()) ++i;
      continue;
    }
    if (url.empty()) url = w;
  }
  if (!anchor.empty()) url += "#" + anchor;
  return utf16(url);
}

std::string sniffImage(std::string_view d) {
  auto starts = [&](std::string_view p) { return d.substr(0, p.size()) == p; };
  if (starts("\x89PNG")) return "png";
  if (starts("\xFF\xD8\xFF")) return "jpeg";
  if (starts("GIF8")) return "gif";
  if (starts("BM")) return "bmp";
  if (starts(std::string_view("II*\0", 4)) || starts(std::string_view("MM\0*", 4))) return "tiff";
  if (d.size() >= 44 && d.substr(40, 4) == " EMF") return "emf";
  if (starts("\xD7\xCD\xC6\x9A") || starts(std::string_view("\x01\x00\x09\x00", 4)) ||
      starts(std::string_view("\x02\x00\x09\x00", 4)))
    return "wmf";
  return {};
}

int32_t emuToPx(int64_t emu) {
  if (emu <= 0) return 0;
  return clampInt((emu + 4762) / 9525, 0, 100000);
}

// A VML length ("72pt", "1.5in", "100px") in pixels at 96 dpi.
int32_t vmlLengthPx(std::string_view s) {
  size_t i = 0;
  double v = 0, scale = 1;
  bool any = false, frac = false;
  for (; i < s.size(); ++i) {
    char c = s[i];
    if (c >= '0' && c <= '9') {
      any = true;
      if (frac) {
        scale /= 10;
        v += (c - '0') * scale;
      } else if (v < 1e7) {
        v = v * 10 + (c - '0');
      }
    } else if (c == '.' && !frac) {
      frac = true;
    } else {
      break;
    }
  }
  if (!any) return 0;
  std::string_view unit = s.substr(i);
  double px = v;
  if (unit.substr(0, 2) == "pt") px = v * 96 / 72;
  else if (unit.substr(0, 2) == "in") px = v * 96;
  else if (unit.substr(0, 2) == "cm") px = v * 96 / 2.54;
  else if (unit.substr(0, 2) == "mm") px = v * 96 / 25.4;
  else if (unit.substr(0, 2) == "pc") px = v * 16;
  else if (unit.empty()) px = v / 9525.0 * 1;  // bare numbers are EMU in VML
  if (px > 100000) px = 100000;
  return static_cast<int32_t>(px + 0.5);
}

std::string_view styleValue(std::string_view style, std::string_view key) {
  size_t i = 0;
  while (i < style.size()) {
    size_t semi = style.find(';', i);
    if (semi == std::string_view::npos) semi = style.size();
    std::string_view decl = style.substr(i, semi - i);
    size_t colon = decl.find(':');
    if (colon != std::string_view::npos) {
      std::string_view k = decl.substr(0, colon);
      while (!k.empty() && k.front() == ' ') k.remove_prefix(1);
      while (!k.empty() && k.back() == ' ') k.remove_suffix(1);
      if (k == key) return decl.substr(colon + 1);
    }
    i = semi + 1;
  }
  return {};
}

// Keeps printable text and tabs; a line feed inside w:t shows as a space.
std::u16string cleanText(std::string_view utf8) {
  std::u16string s = utf16(utf8);
  std::u16string out;
  out.reserve(s.size());
  for (char16_t c : s) {
    if (c == u'\n' || c == u'\r') out += u' ';
    else if (c >= 0x20 || c == u'\t') out += c;
  }
  return out;
}

bool supportedChoice(std::string_view requires_) {
  static const char* known[] = {"wps", "wpg", "wpc", "wp14", "w14", "w15", "w16se", "w16cid", "w16",
                                "w16cex", "w16du", "w16sdtdh", "a14", "v", "o", "m", "r", "w", "wp", "a", "pic"};
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

class DocxReader {
 public:
  explicit DocxReader(std::string_view bytes) : pkg_(bytes) {}
  Model read();

 private:
  void loadPart(XmlPart& part, const std::string& name, bool required);
  Rels loadRels(const std::string& partName);
  std::string findMainPart();

  void blocks(const pugi::xml_node& parent, StoryState& s, int depth);
  void paragraph(const pugi::xml_node& p, StoryState& s, int depth, bool joinNext);
  void table(const pugi::xml_node& tbl, StoryState& s, int depth);
  void collectRows(const pugi::xml_node& parent, std::vector<pugi::xml_node>& rows, int depth);
  void collectCells(const pugi::xml_node& parent, std::vector<pugi::xml_node>& cells, int depth);
  void inlines(const pugi::xml_node& parent, StoryState& s, InlineState& in, int depth);
  void run(const pugi::xml_node& r, StoryState& s, InlineState& in, int depth);
  void runContent(const pugi::xml_node& parent, const pugi::xml_node& r, const RunProps& direct, StoryState& s,
                  InlineState& in, int depth);
  void drawing(const pugi::xml_node& d, const CharFormat& f, StoryState& s, InlineState& in);
  void graphicContent(const pugi::xml_node& n, int32_t w, int32_t h, const std::u16string& alt, const CharFormat& f,
                      StoryState& s, InlineState& in, int depth, int& pictures);
  void vml(const pugi::xml_node& n, const CharFormat& f, StoryState& s, InlineState& in, int depth);
  void note(const pugi::xml_node& ref, bool endnote, const std::u16string& customLabel, const CharFormat& f,
            StoryState& s);
  void bookmarkStart(const pugi::xml_node& n, StoryState& s);
  void bookmarkEnd(const pugi::xml_node& n, StoryState& s);
  void addPicture(std::string_view relId, int32_t w, int32_t h, const std::u16string& alt, const CharFormat& f,
                  StoryState& s);
  void mathText(const pugi::xml_node& n, StoryState& s, InlineState& in, int depth);

  bool visible(const StoryState& s) const {
    for (const Field& f : s.fields)
      if (!f.separated) return false;
    return true;
  }
  CharFormat format(const RunProps& direct, const StoryState& s, const InlineState& in) const;

  Package pkg_;
  Theme theme_;
  Styles styles_;
  Numbering numbering_;
  XmlPart main_, footnotes_, endnotes_;
  std::map<std::string, const pugi::xml_node> footnoteById_, endnoteById_;
  std::map<std::string, std::shared_ptr<const std::string>> media_;
  std::string footnoteFormat_ = "decimal", endnoteFormat_ = "lowerRoman";
  int64_t footnoteNumber_ = 1, endnoteNumber_ = 1;
  size_t elements_ = 0;
  Builder builder_;
};

void DocxReader::loadPart(XmlPart& part, const std::string& name, bool required) {
  part.name = name;
  std::optional<std::string> bytes = pkg_.read(name);
  if (!bytes) {
    if (required)
      fail(kCannotOpen, pkg_.has(name) ? "the document's main part (" + name + ") is damaged and cannot be unpacked"
                                       : "the document has no main part (" + name + ")");
    return;
  }
  part.bytes = std::move(*bytes);
  elements_ += countTags(part.bytes);
  if (elements_ > kMaxElements)
    fail(kCannotOpen, "the document holds more than " + std::to_string(kMaxElements / 1'000'000) +
                          " million XML elements (in " + name + "): the file is damaged or a zip bomb");
  std::string error;
  if (!parse(part.doc, part.bytes, &error)) {
    if (required) fail(kCannotOpen, "the document's main part (" + name + ") is damaged: " + error);
    // A damaged side part (styles, notes) keeps what could be read.
  }
  part.present = true;
  part.rels = loadRels(name);
}

Rels DocxReader::loadRels(const std::string& partName) {
  Rels rels;
  std::optional<std::string> bytes = pkg_.read(Package::relsOf(partName));
  if (!bytes) return rels;
  pugi::xml_document doc;
  parse(doc, *bytes);
  for (pugi::xml_node r = doc.document_element().first_child(); r; r = r.next_sibling()) {
    if (!is(r, "Relationship")) continue;
    Rel rel;
    rel.external = val(r, "TargetMode") == "External";
    std::string_view target = val(r, "Target");
    rel.target = rel.external ? std::string(target) : Package::resolve(partName, target);
    rels.emplace(std::string(val(r, "Id")), std::move(rel));
  }
  return rels;
}

std::string DocxReader::findMainPart() {
  if (auto bytes = pkg_.read("_rels/.rels")) {
    pugi::xml_document doc;
    parse(doc, *bytes);
    for (pugi::xml_node r = doc.document_element().first_child(); r; r = r.next_sibling()) {
      std::string_view type = val(r, "Type");
      if (is(r, "Relationship") && type.size() >= 15 && type.substr(type.size() - 15) == "/officeDocument") {
        std::string name = Package::resolve("", val(r, "Target"));
        if (pkg_.has(name)) return name;
      }
    }
  }
  if (auto bytes = pkg_.read("[Content_Types].xml")) {
    pugi::xml_document doc;
    parse(doc, *bytes);
    for (pugi::xml_node o = doc.document_element().first_child(); o; o = o.next_sibling()) {
      std::string_view type = val(o, "ContentType");
      if (is(o, "Override") && type.find("wordprocessingml.") != std::string_view::npos &&
          type.find(".main+xml") != std::string_view::npos) {
        std::string name = Package::resolve("", val(o, "PartName"));
        if (pkg_.has(name)) return name;
      }
    }
  }
  return "word/document.xml";
}

Model DocxReader::read() {
  std::string mainName = findMainPart();
  if (!pkg_.has(mainName))
    fail(kCannotOpen, "the file is a zip archive but not a Word document: it has no word/document.xml");
  loadPart(main_, mainName, true);

  // Side parts, found through the main part's relationships.
  auto relPart = [&](std::string_view suffix) -> std::string {
    for (const auto& [id, rel] : main_.rels) {
      (void)id;
      if (rel.external) continue;
      std::string_view t = rel.target;
      if (t.size() >= suffix.size() && t.substr(t.size() - suffix.size()) == suffix) return rel.target;
    }
    return Package::resolve(mainName, std::string(suffix.substr(1)));
  };
  XmlPart stylesPart, numberingPart, themePart, settingsPart;
  std::string themeName;
  for (const auto& [id, rel] : main_.rels) {
    (void)id;
    if (!rel.external && rel.target.find("theme") != std::string::npos) themeName = rel.target;
  }
  if (!themeName.empty()) loadPart(themePart, themeName, false);
  theme_.load(themePart.doc.document_element());
  loadPart(stylesPart, relPart("/styles.xml"), false);
  styles_.load(stylesPart.doc.document_element(), theme_, builder_);
  loadPart(numberingPart, relPart("/numbering.xml"), false);
  numbering_.load(numberingPart.doc.document_element(), styles_.numberingStyles());
  loadPart(settingsPart, relPart("/settings.xml"), false);
  for (pugi::xml_node n = settingsPart.doc.document_element().first_child(); n; n = n.next_sibling()) {
    bool foot = is(n, "footnotePr");
    if (!foot && !is(n, "endnotePr")) continue;
    if (auto f = child(n, "numFmt"); f && !val(f).empty()) (foot ? footnoteFormat_ : endnoteFormat_) = val(f);
    if (auto st = child(n, "numStart"); st)
      if (auto v = intAttr(st)) (foot ? footnoteNumber_ : endnoteNumber_) = *v;
  }
  loadPart(footnotes_, relPart("/footnotes.xml"), false);
  loadPart(endnotes_, relPart("/endnotes.xml"), false);
  for (int k = 0; k < 2; ++k) {
    XmlPart& part = k == 0 ? footnotes_ : endnotes_;
    auto& byId = k == 0 ? footnoteById_ : endnoteById_;
    for (pugi::xml_node n = part.doc.document_element().first_child(); n; n = n.next_sibling()) {
      std::string_view type = val(n, "type");
      if (type == "separator" || type == "continuationSeparator" || type == "continuationNotice") continue;
      if (is(n, "footnote") || is(n, "endnote")) byId.emplace(std::string(val(n, "id")), n);
    }
  }

  pugi::xml_node root = main_.doc.document_element();
  if (!child(root, "body")) fail(kCannotOpen, "the document's main part (" + mainName + ") has no body");
  StoryState s;
  s.builder = &builder_;
  s.part = &main_;
  // Some producers split the text over several bodies; all of them show.
  for (pugi::xml_node body = root.first_child(); body; body = body.next_sibling())
    if (is(body, "body")) blocks(body, s, 0);
  flush(s);
  return builder_.finish();
}

void DocxReader::blocks(const pugi::xml_node& parent, StoryState& s, int depth) {
  if (depth > kMaxDepth) return;
  for (pugi::xml_node n = parent.first_child(); n; n = n.next_sibling()) {
    if (n.type() != pugi::node_element) continue;
    std::string_view name = localName(n.name());
    if (name == "p") {
      // A deleted paragraph mark joins the paragraph to the next one.
      bool join = false;
      pugi::xml_node ppr = child(n, "pPr");
      if (ppr && child(child(ppr, "rPr"), "del")) {
        pugi::xml_node next = n.next_sibling();
        while (next && (next.type() != pugi::node_element || is(next, "bookmarkStart") || is(next, "bookmarkEnd") ||
                        is(next, "proofErr")))
          next = next.next_sibling();
        join = next && is(next, "p");
      }
      paragraph(n, s, depth + 1, join);
    } else if (name == "tbl") {
      table(n, s, depth + 1);
    } else if (name == "sdt") {
      blocks(child(n, "sdtContent"), s, depth + 1);
    } else if (name == "customXml" || name == "ins" || name == "moveTo" || name == "smartTag") {
      blocks(n, s, depth + 1);
    } else if (name == "AlternateContent") {
      blocks(chooseBranch(n), s, depth + 1);
    } else if (name == "bookmarkStart") {
      bookmarkStart(n, s);
    } else if (name == "bookmarkEnd") {
      bookmarkEnd(n, s);
    }
    // del, moveFrom: removed by accepting changes; sectPr, altChunk: no text.
  }
}

void DocxReader::paragraph(const pugi::xml_node& p, StoryState& s, int depth, bool joinNext) {
  flush(s);
  ParaProps direct;
  pugi::xml_node ppr = child(p, "pPr");
  if (ppr) direct.read(ppr);
  ParaProps eff = styles_.paraOf(direct.styleId);
  std::string styleId = eff.styleId;
  eff.over(direct);
  ParagraphFormat pf;
  pf.style = styles_.indexOf(styleId);
  eff.applyTo(pf);
  if (eff.numId && *eff.numId != "0") {
    // Without an explicit level, a list tied to the paragraph's style uses
    // the level that names that style.
    int lvl = eff.numLevel ? *eff.numLevel : std::max(0, numbering_.levelForStyle(*eff.numId, styleId));
    if (auto item = numbering_.next(*eff.numId, lvl)) {
      pf.listId = item->listId;
      pf.listLevel = static_cast<uint8_t>(lvl);
      pf.listOrdered = item->ordered;
      pf.listLabel = item->label;
    }
  }
  // A paragraph in a frame (framePr, not a drop cap) floats like a text box.
  pugi::xml_node frame = child(ppr, "framePr");
  pf.textBox = s.textBoxDepth > 0 || (frame && !attr(frame, "dropCap"));
  s.builder->paragraph(pf);
  InlineState in;
  in.paraStyle = styleId;
  inlines(p, s, in, depth + 1);
  if (joinNext && in.textBoxes.empty()) return;
  s.pendingEnd = true;
  ++s.textBoxDepth;
  for (const pugi::xml_node& box : in.textBoxes) blocks(box, s, depth + 1);
  --s.textBoxDepth;
}

void DocxReader::collectRows(const pugi::xml_node& parent, std::vector<pugi::xml_node>& rows, int depth) {
  if (depth > kMaxDepth) return;
  for (pugi::xml_node n = parent.first_child(); n; n = n.next_sibling()) {
    if (is(n, "tr")) {
      // A row deleted with tracked changes on is gone once they are accepted.
      if (child(child(n, "trPr"), "del")) continue;
      rows.push_back(n);
    } else if (is(n, "sdt")) {
      collectRows(child(n, "sdtContent"), rows, depth + 1);
    } else if (is(n, "customXml") || is(n, "ins") || is(n, "moveTo")) {
      collectRows(n, rows, depth + 1);
    } else if (is(n, "AlternateContent")) {
      collectRows(chooseBranch(n), rows, depth + 1);
    }
  }
}

void DocxReader::collectCells(const pugi::xml_node& parent, std::vector<pugi::xml_node>& cells, int depth) {
  if (depth > kMaxDepth) return;
  for (pugi::xml_node n = parent.first_child(); n; n = n.next_sibling()) {
    if (is(n, "tc")) {
      if (child(child(n, "tcPr"), "cellDel")) continue;
      cells.push_back(n);
    } else if (is(n, "sdt")) {
      collectCells(child(n, "sdtContent"), cells, depth + 1);
    } else if (is(n, "customXml") || is(n, "ins") || is(n, "moveTo")) {
      collectCells(n, cells, depth + 1);
    } else if (is(n, "AlternateContent")) {
      collectCells(chooseBranch(n), cells, depth + 1);
    }
  }
}

void DocxReader::table(const pugi::xml_node& tbl, StoryState& s, int depth) {
  if (depth > kMaxDepth) return;
  flush(s);
  std::vector<pugi::xml_node> rows;
  collectRows(tbl, rows, depth + 1);
  if (s.builder->tableDepth() >= kMaxTableDepth) {
    // Absurdly deep nesting: keep the text, drop the structure.
    for (const auto& row : rows) {
      std::vector<pugi::xml_node> cells;
      collectCells(row, cells, depth + 1);
      for (const auto& cell : cells) blocks(cell, s, depth + 2);
    }
    return;
  }
  std::vector<int32_t> grid;
  for (pugi::xml_node g = child(child(tbl, "tblGrid"), "gridCol"); g; g = g.next_sibling())
    if (is(g, "gridCol") && grid.size() < 1000) grid.push_back(clampInt(intAttr(g, "w").value_or(0), 0, 1 << 20));

  bool started = false;
  for (const auto& row : rows) {
    std::vector<pugi::xml_node> cells;
    collectCells(row, cells, depth + 1);
    if (cells.empty()) continue;
    if (!started) {
      s.builder->startTable();
      started = true;
    }
    s.builder->startRow();
    size_t column = 0;
    if (auto gb = child(child(row, "trPr"), "gridBefore"); gb) column = static_cast<size_t>(clampInt(intAttr(gb).value_or(0), 0, 1000));
    for (const auto& cell : cells) {
      pugi::xml_node tcPr = child(cell, "tcPr");
      uint16_t span = 1;
      if (auto gs = child(tcPr, "gridSpan"); gs) span = static_cast<uint16_t>(clampInt(intAttr(gs).value_or(1), 1, 1000));
      VMerge vm = VMerge::None;
      if (auto m = child(tcPr, "vMerge"); m) vm = val(m) == "restart" ? VMerge::Restart : VMerge::Continue;
      int32_t width = 0;
      pugi::xml_node tcW = child(tcPr, "tcW");
      std::string_view type = val(tcW, "type");
      if (tcW && (type.empty() || type == "dxa")) width = clampInt(intAttr(tcW, "w").value_or(0), 0, 1 << 20);
      if (width == 0) {
        for (size_t k = column; k < column + span && k < grid.size(); ++k) width += grid[k];
      }
      column += span;
      s.builder->startCell(width, span, vm);
      blocks(cell, s, depth + 2);
      s.pendingEnd = false;
      s.builder->endCell();
    }
    s.builder->endRow();
  }
  if (started) s.builder->endTable();
}

CharFormat DocxReader::format(const RunProps& direct, const StoryState& s, const InlineState& in) const {
  RunProps eff = styles_.runOfParagraphStyle(in.paraStyle);
  if (!direct.styleId.empty()) eff.over(styles_.runOfCharacterStyle(direct.styleId));
  eff.over(direct);
  CharFormat f;
  eff.applyTo(f);
  f.hyperlink = in.link;
  for (auto it = s.fields.rbegin(); it != s.fields.rend(); ++it)
    if (!it->link.empty()) {
      f.hyperlink = it->link;
      break;
    }
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
      std::u16string saved = in.link;
      std::string_view id = relAttr(n, "id");
      std::u16string link;
      if (!id.empty()) {
        auto it = s.part->rels.find(std::string(id));
        if (it != s.part->rels.end()) link = utf16(it->second.target);
      }
      std::string_view anchor = val(n, "anchor");
      if (!anchor.empty()) link += u"#" + utf16(anchor);
      if (!link.empty()) in.link = link;
      inlines(n, s, in, depth + 1);
      in.link = saved;
    } else if (name == "fldSimple") {
      std::u16string saved = in.link;
      std::u16string link = fieldLink(val(n, "instr"));
      if (!link.empty()) in.link = link;
      inlines(n, s, in, depth + 1);
      in.link = saved;
    } else if (name == "sdt") {
      inlines(child(n, "sdtContent"), s, in, depth + 1);
    } else if (name == "ins" || name == "moveTo" || name == "smartTag" || name == "customXml" || name == "dir" ||
               name == "bdo") {
      inlines(n, s, in, depth + 1);
    } else if (name == "AlternateContent") {
      inlines(chooseBranch(n), s, in, depth + 1);
    } else if (name == "bookmarkStart") {
      bookmarkStart(n, s);
    } else if (name == "bookmarkEnd") {
      bookmarkEnd(n, s);
    } else if (name == "oMath" || name == "oMathPara") {
      mathText(n, s, in, depth + 1);
    }
    // del, moveFrom: deleted text; commentRange*, proofErr, perm*: no text.
  }
}

void DocxReader::mathText(const pugi::xml_node& n, StoryState& s, InlineState& in, int depth) {
  if (depth > kMaxDepth) return;
  for (pugi::xml_node c = n.first_child(); c; c = c.next_sibling()) {
    if (c.type() != pugi::node_element) continue;
    if (is(c, "r")) {
      RunProps direct;
      if (auto rpr = child(c, "rPr"); rpr) direct.read(rpr, theme_);
      for (pugi::xml_node t = c.first_child(); t; t = t.next_sibling())
        if (is(t, "t") && visible(s)) s.builder->text(cleanText(t.text().get()), format(direct, s, in));
    } else if (!is(c, "del") && !is(c, "ctrlPr") && !is(c, "rPr")) {
      mathText(c, s, in, depth + 1);
    }
  }
}

void DocxReader::run(const pugi::xml_node& r, StoryState& s, InlineState& in, int depth) {
  RunProps direct;
  if (auto rpr = child(r, "rPr"); rpr) direct.read(rpr, theme_);
  runContent(r, r, direct, s, in, depth);
}

void DocxReader::runContent(const pugi::xml_node& parent, const pugi::xml_node& r, const RunProps& direct,
                            StoryState& s, InlineState& in, int depth) {
  if (depth > kMaxDepth) return;
  std::optional<CharFormat> cached;
  bool hidden = false;
  auto fmt = [&]() -> const CharFormat& {
    if (!cached) cached = format(direct, s, in);
    return *cached;
  };
  {
    RunProps eff = styles_.runOfParagraphStyle(in.paraStyle);
    if (!direct.styleId.empty()) eff.over(styles_.runOfCharacterStyle(direct.styleId));
    eff.over(direct);
    hidden = eff.hidden.value_or(false);
  }
  auto show = [&]() { return !hidden && visible(s); };
  bool skipNextText = false;
  for (pugi::xml_node k = parent.first_child(); k; k = k.next_sibling()) {
    if (k.type() != pugi::node_element) continue;
    std::string_view name = localName(k.name());
    if (name == "t") {
      if (skipNextText) {
        skipNextText = false;
        continue;
      }
      if (show()) s.builder->text(cleanText(k.text().get()), fmt());
    } else if (name == "fldChar") {
      std::string_view type = val(k, "fldCharType");
      if (type == "begin") {
        if (s.fields.size() < 64) s.fields.push_back(Field{});
        else s.fields.back().separated = false;  // too deep: hide until its end
      } else if (type == "separate") {
        if (!s.fields.empty() && !s.fields.back().separated) {
          s.fields.back().separated = true;
          s.fields.back().link = fieldLink(s.fields.back().code);
        }
      } else if (type == "end") {
        if (!s.fields.empty()) s.fields.pop_back();
      }
      cached.reset();
    } else if (name == "instrText") {
      if (!s.fields.empty() && !s.fields.back().separated && s.fields.back().code.size() < 65536)
        s.fields.back().code += k.text().get();
    } else if (name == "tab" || name == "ptab") {
      if (show()) s.builder->text(std::u16string(1, kTab), fmt());
    } else if (name == "br") {
      std::string_view type = val(k, "type");
      char16_t c = type == "page" ? kPageBreak : type == "column" ? kColumnBreak : kLineBreak;
      if (show()) s.builder->text(std::u16string(1, c), fmt());
    } else if (name == "cr") {
      if (show()) s.builder->text(std::u16string(1, kLineBreak), fmt());
    } else if (name == "sym") {
      std::string_view hex = val(k, "char");
      uint32_t v = 0;
      for (char c : hex) {
        int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
        if (d < 0 || v > 0xFFFF) break;
        v = v * 16 + static_cast<uint32_t>(d);
      }
      if (v >= 0x20 && v <= 0xFFFF && show()) {
        // The symbol font's own code point: the run's font gives its glyph.
        char16_t ch = static_cast<char16_t>(v);
        if (ch >= 0x20 && (ch < 0xD800 || ch > 0xDFFF)) {
          CharFormat symbolFormat = fmt();
          if (!val(k, "font").empty()) symbolFormat.font = utf16(val(k, "font"));
          s.builder->text(std::u16string(1, ch), symbolFormat);
        }
      }
    } else if (name == "noBreakHyphen") {
      if (show()) s.builder->text(std::u16string(1, u'\u2011'), fmt());
    } else if (name == "drawing") {
      if (show()) drawing(k, fmt(), s, in);
    } else if (name == "pict" || name == "object") {
      if (show()) vml(k, fmt(), s, in, depth + 1);
    } else if (name == "footnoteReference" || name == "endnoteReference") {
      std::u16string custom;
      pugi::xml_attribute cmf = attr(k, "customMarkFollows");
      std::string_view cv = cmf ? cmf.value() : "";
      if (cv == "1" || cv == "true" || cv == "on") {
        for (pugi::xml_node t = k.next_sibling(); t; t = t.next_sibling())
          if (is(t, "t")) {
            custom = cleanText(t.text().get());
            skipNextText = true;
            break;
          }
      }
      if (show() && !s.inNote) note(k, name == "endnoteReference", custom, fmt(), s);
    } else if (name == "AlternateContent") {
      runContent(chooseBranch(k), r, direct, s, in, depth + 1);
    } else if (name == "ruby") {
      // Phonetic guides: the base text is what the line shows.
      pugi::xml_node base = child(k, "rubyBase");
      InlineState inner;
      inner.link = in.link;
      inner.paraStyle = in.paraStyle;
      inlines(base, s, inner, depth + 1);
      for (auto& b : inner.textBoxes) in.textBoxes.push_back(b);
    }
    // delText: deleted; softHyphen, lastRenderedPageBreak, annotationRef,
    // commentReference, footnoteRef/endnoteRef, separators: nothing shown.
  }
}

void DocxReader::drawing(const pugi::xml_node& d, const CharFormat& f, StoryState& s, InlineState& in) {
  for (pugi::xml_node x = d.first_child(); x; x = x.next_sibling()) {
    if (!is(x, "inline") && !is(x, "anchor")) continue;
    pugi::xml_node extent = child(x, "extent");
    int32_t w = emuToPx(intAttr(extent, "cx").value_or(0));
    int32_t h = emuToPx(intAttr(extent, "cy").value_or(0));
    pugi::xml_node docPr = child(x, "docPr");
    std::u16string alt = utf16(val(docPr, "descr"));
    if (alt.empty()) alt = utf16(val(docPr, "title"));
    int pictures = 0;
    graphicContent(child(child(x, "graphic"), "graphicData"), w, h, alt, f, s, in, 0, pictures);
  }
}

// Pictures and text boxes inside a drawing, shape groups included. The
// drawing's extent is the picture's size when it holds a single picture;
// pictures in a group take their own extents.
void DocxReader::graphicContent(const pugi::xml_node& n, int32_t w, int32_t h, const std::u16string& alt,
                                const CharFormat& f, StoryState& s, InlineState& in, int depth, int& pictures) {
  if (depth > 32) return;
  for (pugi::xml_node c = n.first_child(); c; c = c.next_sibling()) {
    if (c.type() != pugi::node_element) continue;
    std::string_view name = localName(c.name());
    if (name == "pic") {
      pugi::xml_node blip = child(child(c, "blipFill"), "blip");
      std::string_view id = relAttr(blip, "embed");
      int32_t pw = w, ph = h;
      if (depth > 0) {
        pugi::xml_node ext = child(child(child(c, "spPr"), "xfrm"), "ext");
        if (ext) {
          pw = emuToPx(intAttr(ext, "cx").value_or(0));
          ph = emuToPx(intAttr(ext, "cy").value_or(0));
        }
      }
      if (!id.empty()) addPicture(id, pw, ph, alt, f, s);
      ++pictures;
    } else if (name == "txbxContent") {
      in.textBoxes.push_back(c);
    } else if (name == "AlternateContent") {
      graphicContent(chooseBranch(c), w, h, alt, f, s, in, depth + 1, pictures);
    } else if (name == "wsp" || name == "wgp" || name == "grpSp" || name == "txbx" || name == "wpc" ||
               name == "sp" || name == "grpSpPr" || name == "txBody") {
      graphicContent(c, w, h, alt, f, s, in, depth + 1, pictures);
    }
  }
}

void DocxReader::vml(const pugi::xml_node& n, const CharFormat& f, StoryState& s, InlineState& in, int depth) {
  if (depth > kMaxDepth) return;
  for (pugi::xml_node c = n.first_child(); c; c = c.next_sibling()) {
    if (c.type() != pugi::node_element) continue;
    std::string_view name = localName(c.name());
    if (name == "imagedata") {
      std::string_view id = relAttr(c, "id");
      if (id.empty()) id = relAttr(c, "pict");
      std::string_view style = val(n, "style");
      int32_t w = vmlLengthPx(styleValue(style, "width"));
      int32_t h = vmlLengthPx(styleValue(style, "height"));
      std::u16string alt = utf16(val(n, "alt"));
      if (!id.empty()) addPicture(id, w, h, alt, f, s);
    } else if (name == "txbxContent") {
      in.textBoxes.push_back(c);
    } else if (name == "shape" || name == "rect" || name == "roundrect" || name == "group" || name == "oval" ||
               name == "textbox" || name == "polyline" || name == "line" || name == "arc" || name == "curve" ||
               name == "image") {
      vml(c, f, s, in, depth + 1);
    }
  }
}

void DocxReader::addPicture(std::string_view relId, int32_t w, int32_t h, const std::u16string& alt,
                            const CharFormat& f, StoryState& s) {
  auto rel = s.part->rels.find(std::string(relId));
  if (rel == s.part->rels.end() || rel->second.external) return;
  auto cached = media_.find(rel->second.target);
  if (cached == media_.end()) {
    std::shared_ptr<const std::string> data;
    if (auto bytes = pkg_.read(rel->second.target)) data = std::make_shared<const std::string>(std::move(*bytes));
    cached = media_.emplace(rel->second.target, std::move(data)).first;
  }
  if (!cached->second) return;
  std::string type = sniffImage(*cached->second);
  if (type.empty()) return;
  Picture pic;
  pic.data = cached->second;
  pic.format = type;
  pic.widthPx = w;
  pic.heightPx = h;
  pic.alt = alt;
  s.builder->picture(std::move(pic), f);
}

void DocxReader::note(const pugi::xml_node& ref, bool endnote, const std::u16string& customLabel, const CharFormat& f,
                      StoryState& s) {
  auto& byId = endnote ? endnoteById_ : footnoteById_;
  auto it = byId.find(std::string(val(ref, "id")));
  std::u16string label = customLabel;
  if (label.empty()) {
    int64_t& number = endnote ? endnoteNumber_ : footnoteNumber_;
    label = formatNumber(number++, endnote ? endnoteFormat_ : footnoteFormat_);
  }
  Builder nb;
  if (it != byId.end()) {
    StoryState ns;
    ns.builder = &nb;
    ns.part = endnote ? &endnotes_ : &footnotes_;
    ns.inNote = true;
    blocks(it->second, ns, 1);
    flush(ns);
  }
  s.builder->note(endnote, label, nb.finishStory(), f);
}

void DocxReader::bookmarkStart(const pugi::xml_node& n, StoryState& s) {
  std::u16string name = utf16(val(n, "name"));
  // Real documents keep a handful of bookmarks open at a time; thousands
  // open at once would make every end a long search.
  if (name.empty() || s.bookmarkNames.size() >= kMaxOpenBookmarks) return;
  flush(s);
  s.bookmarkNames[std::string(val(n, "id"))] = name;
  s.builder->startBookmark(name);
}

void DocxReader::bookmarkEnd(const pugi::xml_node& n, StoryState& s) {
  auto it = s.bookmarkNames.find(std::string(val(n, "id")));
  if (it == s.bookmarkNames.end()) return;
  s.builder->endBookmark(it->second);
  s.bookmarkNames.erase(it);
}

}  // namespace

Model readDocx(std::string_view bytes) {
  if (bytes.empty()) fail(kCannotOpen, "the document is empty");
  if (bytes.size() >= 8 && bytes.substr(0, 8) == std::string_view("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8))
    fail(kCannotOpen, "the document is not a Word 2007+ package (it is an OLE2 compound file)");
  DocxReader reader(bytes);
  return reader.read();
}

}  // namespace word::read
