// What a paragraph holds: text with its white space rules, spans, links,
// spaces, tabs and line breaks, bookmarks, notes and fields (whose shown
// value is their content).
#include <utility>

#include "word/read/field_kinds.h"
#include "word/read/list_labels.h"
#include "word/read/odt/reader_state.h"

namespace word::read::odt::detail {
namespace {

bool isSpace(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
}

// A form field of the word processor's kind, kept as a mark with its
// settings: what it draws, a box (crossed when checked) or the chosen
// entry of a drop-down list.
std::u16string fieldmarkShown(const pugi::xml_node& n) {
  const std::string_view type = attrValue(n, "type");
  const bool box = type.ends_with(".FORMCHECKBOX"), list = type.ends_with(".FORMDROPDOWN");
  bool checked = false;
  std::vector<std::string_view> entries;
  int64_t chosen = 0;
  for (pugi::xml_node p = n.first_child(); p; p = p.next_sibling()) {
    const std::string_view name = attrValue(p, "name"), value = attrValue(p, "value");
    if (name == "Checkbox_Checked") checked = value == "true";
    if (name == "Dropdown_ListEntry") entries.push_back(value);
    if (name == "Dropdown_Selected") chosen = intAttr(p, "value").value_or(0);
  }
  if (box) return checkBoxShown(checked);
  if (!list || chosen < 0 || static_cast<size_t>(chosen) >= entries.size()) return {};
  return u16(entries[static_cast<size_t>(chosen)]);
}

}  // namespace

// A link written inside a package points from the package, one folder
// below the document's own: "../course.odt" is beside the document.
Link OdtReader::linkOf(const pugi::xml_node& a) const {
  std::string_view href = attrValue(a, "href");
  if (pkg_ && href.substr(0, 3) == "../") href.remove_prefix(3);
  return {u16(href), linkTitle(attrValue(a, "title"))};
}

OdtReader::Look OdtReader::lookOf(const TextProps& t) {
  Look look;
  t.applyTo(look.format);
  look.hidden = t.hidden.value_or(false);
  look.languages.other = languageTable_.number(t.language.value_or(""));
  // A kind of letters given no language of its own keeps the text's one.
  look.languages.eastAsian =
      t.languageAsian ? languageTable_.number(*t.languageAsian) : look.languages.other;
  look.languages.complex =
      t.languageComplex ? languageTable_.number(*t.languageComplex) : look.languages.other;
  look.format.language = look.languages.other;
  return look;
}

const CharFormat& OdtReader::format(InlineState& in) {
  if (in.format) return *in.format;
  const TextProps& paragraph = styleDefs_.textOfParagraph(in.paraStyle);
  std::optional<Look> spanned;
  const Look* look = nullptr;
  if (in.spans.empty()) {
    auto it = paragraphLooks_.find(&paragraph);
    if (it == paragraphLooks_.end()) it = paragraphLooks_.emplace(&paragraph, lookOf(paragraph)).first;
    look = &it->second;
  } else {
    TextProps t = paragraph;
    for (const std::string& span : in.spans) t.over(styleDefs_.textOfSpan(span));
    look = &spanned.emplace(lookOf(t));
  }
  CharFormat f = look->format;
  f.hyperlink = in.link.target;
  f.linkTitle = in.link.title;
  in.hidden = look->hidden;
  in.languages.other = look->languages.other;
  in.languages.eastAsian = look->languages.eastAsian;
  in.languages.complex = look->languages.complex;
  return in.format.emplace(std::move(f));
}

void OdtReader::put(std::u16string_view text, StoryState& s, InlineState& in) {
  // A field's code is not shown: its result is.
  if (s.inFieldCode) return;
  const CharFormat& f = format(in);
  if (in.hidden) {
    in.hiddenText = in.hiddenText || !text.empty();
    unseen(text, s, false);
    return;
  }
  LanguageTally* tally = s.inNote ? nullptr : &languages_;
  if (symbolFont(f.font)) {
    std::u16string shown(text);
    showSymbols(shown, f.font);
    putText(*s.builder, shown, f, in.languages, tally);
  } else {
    putText(*s.builder, text, f, in.languages, tally);
  }
}

// Literal white space collapses to one blank, and none at the start of a
// paragraph: blanks that count are written as text:s. Filtered in place:
// every text node passes through here.
void OdtReader::text(std::string_view utf8, StoryState& s, InlineState& in) {
  std::u16string out = u16(utf8);
  size_t kept = 0;
  for (char16_t c : out) {
    if (isSpace(c)) {
      if (!in.space) out[kept++] = u' ';
      in.space = true;
    } else if (c >= 0x20) {
      out[kept++] = c;
      in.space = false;
    }
  }
  out.resize(kept);
  if (!out.empty()) put(out, s, in);
}

void OdtReader::spaces(const pugi::xml_node& n, StoryState& s, InlineState& in) {
  int64_t count = std::clamp<int64_t>(intAttr(n, "c").value_or(1), 1, 1000);
  if (repeatedSpaces_ + static_cast<size_t>(count) > kMaxRepeatedSpaces) count = 1;
  repeatedSpaces_ += static_cast<size_t>(count);
  put(std::u16string(static_cast<size_t>(count), u' '), s, in);
  in.space = false;
}

void OdtReader::inlines(const pugi::xml_node& parent, StoryState& s, InlineState& in, int depth) {
  if (depth > kMaxDepth) return;
  for (pugi::xml_node n = parent.first_child(); n; n = n.next_sibling()) {
    if (n.type() == pugi::node_pcdata || n.type() == pugi::node_cdata)
      text(n.value(), s, in);
    else if (n.type() == pugi::node_element)
      inlineElement(n, s, in, depth);
  }
}

void OdtReader::inlineElement(const pugi::xml_node& n, StoryState& s, InlineState& in, int depth) {
  std::string_view name = localName(n.name());
  // A variable set here holds its value for the conditions after it.
  if (name == "variable-set" || name == "variable-input") variables_.set(n);
  if (name == "span") {
    styled(n, attrValue(n, "style-name"), in.link, s, in, depth);
  } else if (name == "a") {
    const Link link = linkOf(n);
    styled(n, attrValue(n, "style-name"), link.target.empty() ? in.link : link, s, in, depth);
  } else if (name == "s") {
    spaces(n, s, in);
  } else if (name == "tab") {
    put(std::u16string(1, kTab), s, in);
    in.space = false;
  } else if (name == "line-break") {
    put(std::u16string(1, kLineBreak), s, in);
    in.space = false;
  } else if (name == "bookmark" || name == "bookmark-start" || name == "bookmark-end") {
    bookmark(n, s);
  } else if (name == "note") {
    note(n, s, in);
  } else if (isDrawing(name)) {
    drawing(n, s, in, depth + 1);
  } else if (name == "fieldmark") {
    const std::u16string shown = fieldmarkShown(n);
    if (!shown.empty()) {
      put(shown, s, in);
      in.space = false;
    }
  } else if (name == "fieldmark-start" || name == "fieldmark-separator" ||
             name == "fieldmark-end") {
    fieldmarkEdge(n, s);
  } else if (name == "control") {
    // A form's control (a check box, a list) is drawn by the word
    // processor from the form's description: the page has nothing of it.
    s.builder->loss("a form control (a check box, a list or a button)", LossKind::Field);
  } else if (name == "ruby") {
    inlines(child(n, "ruby-base"), s, in, depth + 1);
  } else if (name == "hidden-text" || name == "conditional-text") {
    conditional(n, s, in, depth);
  } else if (name == "change") {
    // Where a deletion was, accepted: nothing shows.
    if (auto d = deletions_.find(attrValue(n, "change-id")); d != deletions_.end())
      unseen(d->second, s, true);
  } else if (name == "soft-page-break" || name == "annotation" || name == "annotation-end" ||
             name == "number" || name == "script" || name == "event-listeners") {
    // Layout caches, comments, a cached label and code: nothing shows. A
    // page break as a character would turn a following marker line into
    // content.
  } else if (attrValue(n, "display") == "none") {
    // A field set not to show (a variable set for a condition): its value
    // is no text of the document.
  } else if (n.first_child()) {
    // Fields, metadata and references show their content as their value.
    inlines(n, s, in, depth + 1);
  }
}

// Hidden text, shown where its condition does not hold, and conditional
// text, one of two strings: the value shown is the field's content (the
// result saved with it), or the string its condition picks where it has
// none or where the condition, told, picks the other. Hidden text whose
// condition is not known stays hidden.
void OdtReader::conditional(const pugi::xml_node& n, StoryState& s, InlineState& in, int depth) {
  std::string_view shown;
  bool saved = true;  // the content is the result the word processor saved
  if (is(n, "hidden-text")) {
    if (variables_.hides(n).value_or(true)) {
      in.hiddenText = true;
      unseen(u16(attrValue(n, "string-value")), s, false);
      return;
    }
    shown = attrValue(n, "string-value");
  } else {
    // The condition where it can be told, else the result saved with it.
    const std::string_view current = attrValue(n, "current-value");
    std::optional<bool> holds = variables_.holds(attrValue(n, "condition"));
    if (holds)
      saved = current == (*holds ? "true" : "false");
    else if (current == "true" || current == "false")
      holds = current == "true";
    if (holds) shown = attrValue(n, *holds ? "string-value-if-true" : "string-value-if-false");
  }
  if (n.first_child() && saved)
    inlines(n, s, in, depth + 1);
  else
    text(shown, s, in);
}

// A span or link: its text style over the enclosing ones.
void OdtReader::styled(const pugi::xml_node& n, std::string_view style, const Link& link,
                       StoryState& s, InlineState& in, int depth) {
  const Link savedLink = in.link;
  bool pushed = !style.empty();
  if (pushed) in.spans.emplace_back(style);
  in.link = link;
  in.format.reset();
  inlines(n, s, in, depth + 1);
  if (pushed) in.spans.pop_back();
  in.link = savedLink;
  in.format.reset();
}

// The start of a field kept as marks, its separator and its end: the text
// from the start up to the separator is the field's code, the text after
// it its result. A field saved without a separator (by older word
// processors, and form fields drawn as a box or list) holds its result alone.
void OdtReader::fieldmarkEdge(const pugi::xml_node& n, StoryState& s) {
  std::vector<bool>& open = s.fields;
  const std::string_view name = localName(n.name());
  if (name == "fieldmark-start") {
    const bool code = fieldCodes_.count(n) > 0;
    open.push_back(code);
    s.inFieldCode += code;
  } else if (open.empty()) {
    // An end without its start (a damaged file): nothing to close.
  } else if (name == "fieldmark-separator") {
    if (open.back()) --s.inFieldCode;
    open.back() = false;
  } else {
    if (open.back()) --s.inFieldCode;
    open.pop_back();
  }
}

// Which fields kept as marks have a separator: one walk of the text in
// document order, as the marks of one field may stand in different
// paragraphs and spans.
void OdtReader::findFieldCodes(const pugi::xml_node& root) {
  std::vector<std::pair<pugi::xml_node, bool>> open;  // start, separator seen
  pugi::xml_node n = root.first_child();
  while (n && n != root) {
    const std::string_view name = n.type() == pugi::node_element ? localName(n.name()) : "";
    if (name == "fieldmark-start") {
      const std::string_view type = attrValue(n, "type");
      // A box or list kept as a start and an end is no field with a code.
      const bool form = type.ends_with(".FORMCHECKBOX") || type.ends_with(".FORMDROPDOWN");
      open.emplace_back(n, form);
    } else if (name == "fieldmark-separator" && !open.empty() && !open.back().second) {
      open.back().second = true;
      fieldCodes_.insert(open.back().first);
    } else if (name == "fieldmark-end" && !open.empty()) {
      open.pop_back();
    }
    if (name != "fieldmark-start" && n.first_child()) {
      n = n.first_child();
      continue;
    }
    while (n != root && !n.next_sibling()) n = n.parent();
    if (n != root) n = n.next_sibling();
  }
}

void OdtReader::bookmark(const pugi::xml_node& n, StoryState& s) {
  std::u16string name = u16(attrValue(n, "name"));
  if (name.empty()) return;
  std::string_view kind = localName(n.name());
  auto& open = s.openBookmarks;
  if (kind == "bookmark-end") {
    auto it = std::find(open.begin(), open.end(), name);
    if (it == open.end()) return;
    open.erase(it);
    s.builder->endBookmark(name);
    return;
  }
  if (open.size() >= kMaxOpenBookmarks) return;
  flush(s);
  s.builder->startBookmark(name);
  if (kind == "bookmark")
    s.builder->endBookmark(name);  // a point
  else
    open.push_back(std::move(name));
}

// A footnote or endnote: its citation is the mark the text shows, its body
// a story of its own.
void OdtReader::note(const pugi::xml_node& n, StoryState& s, InlineState& in) {
  const CharFormat& f = format(in);
  if (s.inNote || in.hidden || s.inFieldCode) return;
  pugi::xml_node citation = child(n, "note-citation");
  std::u16string label = u16(attrValue(citation, "label"));
  if (label.empty()) label = u16(citation.text().get());
  Builder nb;
  StoryState ns;
  ns.builder = &nb;
  ns.inNote = true;
  blocks(child(n, "note-body"), ns, 1);
  flush(ns);
  s.builder->note(attrValue(n, "note-class") == "endnote", label, nb.finishStory(), f);
  in.space = false;
}

// Where the main text holds text that does not show, the author may see a
// marker in it (with hidden text and changes shown) that the course lacks.
void OdtReader::unseen(std::u16string_view text, StoryState& s, bool deleted) {
  if (!s.inNote && s.textBoxDepth == 0 && !s.inFieldCode) s.builder->unseen(text, deleted);
}

// The text each tracked deletion took out, by its change's id: its
// paragraphs joined by the marks deleted between them. Read once: change
// marks may name one region many times.
void OdtReader::readDeletions(const pugi::xml_node& trackedChanges) {
  for (pugi::xml_node region = trackedChanges.first_child(); region;
       region = region.next_sibling()) {
    std::string text;
    bool first = true;
    child(region, "deletion").find_node([&](const pugi::xml_node& n) {
      if (n.type() == pugi::node_pcdata)
        text += n.value();
      else if (is(n, "p") || is(n, "h"))
        text += std::exchange(first, false) ? "" : "\r";
      else if (is(n, "s") || is(n, "tab"))
        text += is(n, "s") ? ' ' : '\t';
      return text.size() > 4 * Model::kUnseenChars;
    });
    // Only a marker's line or a paragraph's mark can matter (Builder::unseen).
    if (text.find_first_of("%\r") != std::string::npos)
      deletions_.emplace(attrValue(region, "id"), u16(text));
  }
}

}  // namespace word::read::odt::detail
