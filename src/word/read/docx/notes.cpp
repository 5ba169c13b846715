// Footnotes and endnotes: each lives in its own part, found by id from its
// reference in the text; the settings part and each section say how marks count.
#include <algorithm>

#include "word/read/docx/reader_state.h"

namespace word::read::docx::detail {
namespace {

// Counting on from a start past this would leave the integers.
constexpr int64_t kMaxStart = int64_t{1} << 30;

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

// The settings: the default tab stop, how notes count, which layout the
// tables keep, and whether justified lines ending in a line break stretch.
void DocxReader::readSettings(const XmlPart& settingsPart) {
  for (pugi::xml_node n = settingsPart.doc.document_element().first_child(); n;
       n = n.next_sibling()) {
    if (is(n, "defaultTabStop"))
      if (auto v = intAttr(n)) builder_.defaultTabStop(*v);
    if (is(n, "compat")) {
      for (pugi::xml_node c = n.first_child(); c; c = c.next_sibling()) {
        if (is(c, "compatSetting") && val(c, "name") == "compatibilityMode")
          tablesAtBorder_ = intAttr(c).value_or(0) >= 15;
        else if (is(c, "doNotExpandShiftReturn"))
          stretchBeforeBreaks_ = !onOff(c);
      }
    }
    bool foot = is(n, "footnotePr");
    if (!foot && !is(n, "endnotePr")) continue;
    NoteNumbering& kind = noteDefaults_[foot ? 0 : 1];
    if (auto f = child(n, "numFmt"); f && !val(f).empty()) kind.format = val(f);
    if (auto v = intAttr(child(n, "numStart"))) kind.start = std::clamp<int64_t>(*v, 0, kMaxStart);
    kind.eachSection = val(child(n, "numRestart")) == "eachSect";
  }
  for (int k = 0; k < 2; ++k) {
    noteFormat_[k] = noteDefaults_[k].format;
    noteNumber_[k] = noteDefaults_[k].start;
  }
}

// The sections of the main text (each ends with its sectPr, the last one
// the body's own), whose note settings count over the document's. The walk
// looks into every element but a paragraph, whose runs, the bulk of the
// document, hold none; without recursion, as elements may nest deeply.
// Returns the paragraphs it passed.
size_t DocxReader::readSections(const pugi::xml_node& root) {
  size_t paragraphs = 0;
  pugi::xml_node n = root.first_child();
  while (n && n != root) {
    const bool paragraph = is(n, "p");
    if (paragraph) {
      ++paragraphs;
      if (const pugi::xml_node pr = child(child(n, "pPr"), "sectPr")) sections_.push_back(pr);
    } else if (is(n, "sectPr") && is(n.parent(), "body")) {
      sections_.push_back(n);
    }
    if (!paragraph && n.first_child()) {
      n = n.first_child();
      continue;
    }
    while (n != root && !n.next_sibling()) n = n.parent();
    if (n != root) n = n.next_sibling();
  }
  sectionNotes(0);
  return paragraphs;
}

// A paragraph ending a section: the notes after it count as the next
// section says.
void DocxReader::sectionEnds(const pugi::xml_node& sectPr) {
  const auto at =
      std::find(sections_.begin() + static_cast<std::ptrdiff_t>(section_), sections_.end(), sectPr);
  if (at == sections_.end()) return;
  section_ = static_cast<size_t>(at - sections_.begin()) + 1;
  sectionNotes(section_);
}

// A section's notes: in its own number format, else the document's; their
// count starts anew at its numStart in the first section, and in each
// section where numbering restarts with the section.
void DocxReader::sectionNotes(size_t i) {
  if (i >= sections_.size()) return;
  for (int k = 0; k < 2; ++k) {
    const pugi::xml_node pr = child(sections_[i], k == 0 ? "footnotePr" : "endnotePr");
    const NoteNumbering& kind = noteDefaults_[k];
    const std::string_view format = val(child(pr, "numFmt"));
    noteFormat_[k] = format.empty() ? kind.format : std::string(format);
    const std::string_view restart = val(child(pr, "numRestart"));
    if (i == 0 || (restart.empty() ? kind.eachSection : restart == "eachSect"))
      noteNumber_[k] =
          std::clamp<int64_t>(intAttr(child(pr, "numStart")).value_or(kind.start), 0, kMaxStart);
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
    label = formatNumber(noteNumber_[endnote]++, noteFormat_[endnote]);
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
