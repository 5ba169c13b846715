#include "word/read/header_footer.h"

#include <algorithm>

#include "support/codepage.h"
#include "support/strings.h"
#include "word/read/xml.h"

namespace word::read {
namespace {

bool paragraphElement(std::string_view name) {
  return name == "p" || name == "h";
}

// What the word processor shows elsewhere or not at all: a note's or a
// comment's text, a frame's or a shape's (their paragraphs are met on
// their own; a shape's description is not shown), what a tracked change
// deleted, a field's code.
bool shownElsewhere(std::string_view name) {
  static constexpr std::string_view kNames[] = {
      "note",         "annotation", "deletion",     "delText",  "instrText",
      "delInstrText", "frame",      "custom-shape", "line",     "rect",
      "ellipse",      "circle",     "polygon",      "polyline", "path",
      "connector",    "measure",    "caption",      "control",  "g",
      "desc"};
  return std::find(std::begin(kNames), std::end(kNames), name) != std::end(kNames);
}

// Enough of a paragraph's text for its first characters, as UTF-8.
constexpr size_t kEnoughBytes = 4 * Model::kHeaderFooterChars;

// The text of `n`'s content; nested paragraphs are left to their own turn.
void gather(const pugi::xml_node& n, std::string_view textIn, std::string& out, int depth) {
  for (pugi::xml_node k = n.first_child(); k && out.size() < kEnoughBytes; k = k.next_sibling()) {
    if (k.type() == pugi::node_pcdata || k.type() == pugi::node_cdata) {
      if (textIn.empty() || localName(n.name()) == textIn) out += k.value();
      continue;
    }
    if (k.type() != pugi::node_element || depth >= kMaxDepth) continue;
    const std::string_view name = localName(k.name());
    if (paragraphElement(name) || shownElsewhere(name)) continue;
    if (name == "tab")
      out += '\t';
    else if (name == "s")  // OpenDocument's run of blanks
      out.append(static_cast<size_t>(std::clamp<int64_t>(intAttr(k, "c").value_or(1), 1, 64)), ' ');
    else if (name == "br" || name == "cr" || name == "line-break")
      out += '\v';
    else
      gather(k, textIn, out, depth + 1);
  }
}

void eachParagraph(Model& model, const pugi::xml_node& n, std::string_view textIn, int depth) {
  for (pugi::xml_node k = n.first_child(); k; k = k.next_sibling()) {
    if (k.type() != pugi::node_element || depth >= kMaxDepth) continue;
    if (paragraphElement(localName(k.name()))) {
      std::string text;
      gather(k, textIn, text, depth + 1);
      addHeaderFooterLine(model, support::fromUtf8(text));
    }
    eachParagraph(model, k, textIn, depth + 1);
  }
}

}  // namespace

void addHeaderFooterLine(Model& model, std::u16string_view paragraph) {
  if (model.headerFooterLines.size() >= Model::kHeaderFooterLines) return;
  if (std::all_of(paragraph.begin(), paragraph.end(), [](char16_t c) { return c <= u' '; })) return;
  model.headerFooterLines.emplace_back(
      support::wholeCharacters(paragraph, Model::kHeaderFooterChars));
}

void addHeaderFooterParagraphs(Model& model, const pugi::xml_node& root, std::string_view textIn) {
  eachParagraph(model, root, textIn, 0);
}

}  // namespace word::read
