// Fields, hyperlinks and bookmarks. A complex field's code (between its
// begin and separate characters) is hidden; a HYPERLINK code, a simple
// field's instruction or a w:hyperlink makes the text a link.
#include <algorithm>

#include "support/strings.h"
#include "word/links.h"
#include "word/read/docx/reader_state.h"
#include "word/read/field_kinds.h"

namespace word::read::docx::detail {
// The target of a HYPERLINK field: its URL, and "#name" for \l name; its
// tip from \o.
Link fieldLink(std::string_view code) {
  return hyperlinkField(utf16(code));
}

// w:hyperlink: an external target through its relationship, a place in
// the document through its anchor.
void DocxReader::hyperlink(const pugi::xml_node& n, StoryState& s, InlineState& in, int depth) {
  const Link saved = in.link;
  std::string_view id = relAttr(n, "id");
  std::u16string link;
  bool tooLong = false;  // not read: each hyperlink of the part would convert it anew
  if (!id.empty()) {
    auto it = s.part->rels.find(std::string(id));
    tooLong = it != s.part->rels.end() && it->second.target.size() > 4 * kMaxLinkLength;
    if (it != s.part->rels.end() && !tooLong) link = utf16(it->second.target);
  }
  std::string_view anchor = val(n, "anchor");
  if (!anchor.empty()) (link += u'#') += utf16(anchor.substr(0, 4 * kMaxLinkLength));
  if (!tooLong && !link.empty() && safeLinkTarget(link))
    in.link = {link, linkTitle(val(n, "tooltip"))};
  inlines(n, s, in, depth + 1);
  in.link = saved;
}

void DocxReader::simpleField(const pugi::xml_node& n, StoryState& s, InlineState& in, int depth) {
  const Link saved = in.link;
  Link link = fieldLink(val(n, "instr"));
  if (!link.target.empty()) in.link = std::move(link);
  inlines(n, s, in, depth + 1);
  in.link = saved;
}

namespace {

// What a form field shows from its settings: a check box (checked, or
// else its default state), a drop-down's chosen entry (by its index, or
// else its default one).
std::u16string formFieldShown(const pugi::xml_node& ffData) {
  if (pugi::xml_node box = child(ffData, "checkBox")) {
    pugi::xml_node checked = child(box, "checked");
    return checkBoxShown(checked ? onOff(checked) : onOff(child(box, "default")));
  }
  pugi::xml_node list = child(ffData, "ddList");
  if (!list) return {};
  std::optional<int64_t> chosen = intAttr(child(list, "result"));
  if (!chosen) chosen = intAttr(child(list, "default"));
  int64_t i = 0;
  for (pugi::xml_node e = child(list, "listEntry"); e; e = e.next_sibling(e.name()), ++i)
    if (i == chosen.value_or(0)) return utf16(val(e));
  return {};
}

}  // namespace

// Returns what the word processor draws at a field's end: a form field's
// box or entry, where the field holds no result of its own.
std::u16string DocxReader::fieldChar(const pugi::xml_node& k, StoryState& s, bool shown) {
  std::string_view type = val(k, "fldCharType");
  if (type == "begin") {
    if (s.fields.size() < 64) {
      s.fields.push_back(Field{});
      s.fields.back().drawn = formFieldShown(child(k, "ffData"));
      s.fields.back().resultAt = s.builder->position();
    } else {
      s.fields.back().separated = false;  // too deep: hide until its end
    }
  } else if (type == "separate") {
    if (!s.fields.empty() && !s.fields.back().separated) {
      s.fields.back().separated = true;
      s.fields.back().link = fieldLink(s.fields.back().code);
      s.fields.back().resultAt = s.builder->position();
    }
  } else if (type == "end") {
    if (s.fields.empty()) return {};
    // Saved without a result: only what the word processor draws from the
    // code would show, unless it stands in another field's code.
    const bool inCode = std::any_of(s.fields.begin(), s.fields.end() - 1,
                                    [](const Field& f) { return !f.separated; });
    Field f = std::move(s.fields.back());
    s.fields.pop_back();
    if (!shown || inCode || s.builder->position() != f.resultAt) return {};
    if (f.drawn.empty() && fieldType(f.code) == "FORMCHECKBOX") f.drawn = checkBoxShown(false);
    if (f.drawn.empty() && !f.separated)
      if (auto loss = resultlessFieldLoss(f.code)) s.builder->loss(*loss, LossKind::Field);
    return f.drawn;
  }
  return {};
}

void DocxReader::instrText(const pugi::xml_node& k, StoryState& s) {
  if (!s.fields.empty() && !s.fields.back().separated && s.fields.back().code.size() < 65536)
    s.fields.back().code += k.text().get();
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

}  // namespace word::read::docx::detail
