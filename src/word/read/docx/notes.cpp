// Footnotes and endnotes: each lives in its own part, found by id from its
// reference in the text; the settings part says how automatic marks count.
#include "word/read/docx/reader_state.h"

namespace word::read::docx::detail {
namespace {

// A note with a mark of its own typed in starts with that mark as text
// (where others have w:footnoteRef): its w:t, which the page's own mark
// replaces.
pugi::xml_node typedMark(const pugi::xml_node& note, const std::u16string& label) {
  for (pugi::xml_node r = child(child(note, "p"), "r"); r; r = r.next_sibling()) {
    if (!is(r, "r")) continue;
    if (child(r, "footnoteRef") || child(r, "endnoteRef")) break;
    if (pugi::xml_node t = child(r, "t"); t)
      return cleanText(t.text().get()) == label ? t : pugi::xml_node();
  }
  return {};
}

}  // namespace

// The settings: the default tab stop, how notes count, and which layout
// the tables keep.
void DocxReader::readSettings(const XmlPart& settingsPart) {
  for (pugi::xml_node n = settingsPart.doc.document_element().first_child(); n;
       n = n.next_sibling()) {
    if (is(n, "defaultTabStop"))
      if (auto v = intAttr(n)) builder_.defaultTabStop(*v);
    if (is(n, "compat"))
      for (pugi::xml_node c = n.first_child(); c; c = c.next_sibling())
        if (is(c, "compatSetting") && val(c, "name") == "compatibilityMode")
          tablesAtBorder_ = intAttr(c).value_or(0) >= 15;
    bool foot = is(n, "footnotePr");
    if (!foot && !is(n, "endnotePr")) continue;
    if (auto f = child(n, "numFmt"); f && !val(f).empty())
      (foot ? footnoteFormat_ : endnoteFormat_) = val(f);
    if (auto st = child(n, "numStart"); st)
      if (auto v = intAttr(st)) (foot ? footnoteNumber_ : endnoteNumber_) = *v;
  }
}

void DocxReader::indexNotes() {
  for (int k = 0; k < 2; ++k) {
    XmlPart& part = k == 0 ? footnotes_ : endnotes_;
    auto& byId = k == 0 ? footnoteById_ : endnoteById_;
    for (pugi::xml_node n = part.doc.document_element().first_child(); n; n = n.next_sibling()) {
      std::string_view type = val(n, "type");
      if (type == "separator" || type == "continuationSeparator" || type == "continuationNotice")
        continue;
      if (is(n, "footnote") || is(n, "endnote")) byId.emplace(std::string(val(n, "id")), n);
    }
  }
}

void DocxReader::noteReference(const pugi::xml_node& k, bool endnote, RunContext& rc, StoryState& s,
                               const InlineState& in) {
  std::u16string custom;
  pugi::xml_attribute cmf = attr(k, "customMarkFollows");
  std::string_view cv = cmf ? cmf.value() : "";
  if (cv == "1" || cv == "true" || cv == "on") {
    for (pugi::xml_node t = k.next_sibling(); t; t = t.next_sibling())
      if (is(t, "t")) {
        custom = cleanText(t.text().get());
        rc.skipNextText = true;
        break;
      }
  }
  if (shows(rc, s) && !s.inNote) note(k, endnote, custom, runFormat(rc, s, in), s);
}

void DocxReader::note(const pugi::xml_node& ref, bool endnote, const std::u16string& customLabel,
                      const CharFormat& f, StoryState& s) {
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
    if (!customLabel.empty()) ns.typedMark = typedMark(it->second, customLabel);
    blocks(it->second, ns, 1);
    flush(ns);
    // Read once: no word processor refers to one note twice, and a file
    // that does, a hundred times over a long note, would copy it each time.
    byId.erase(it);
  }
  s.builder->note(endnote, label, nb.finishStory(), f);
}

}  // namespace word::read::docx::detail
