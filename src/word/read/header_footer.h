#pragma once
// The page headers' and footers' text, which no page of a course shows:
// the readers keep the start of each of their paragraphs
// (Model::headerFooterLines), so that lint can tell of a marker typed
// there.
#include <pugixml.hpp>
#include <string_view>

#include "word/model.h"

namespace word::read {

// Adds a paragraph as the word processor shows it, its first characters,
// when it holds more than blanks and there is room.
void addHeaderFooterLine(Model& model, std::u16string_view paragraph);

// Adds each paragraph ("p" or "h") under `root` of an XML format, those
// of its text boxes included: its text (that of the elements named
// `textIn` alone, when given: "t" in WordprocessingML), its tabs, blanks
// and line breaks; not a field's code, deleted text, a note or a comment.
void addHeaderFooterParagraphs(Model& model, const pugi::xml_node& root,
                               std::string_view textIn = {});

}  // namespace word::read
