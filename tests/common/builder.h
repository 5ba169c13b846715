#pragma once
// Builder shorthands for documents made in memory: a paragraph, a one-row
// table of plain cells.
#include <string>
#include <vector>

#include "word/builder.h"

namespace testing_support {

inline void paragraph(word::Builder& b, const std::string& text) {
  b.text(text);
  b.endParagraph();
}

inline void tableRow(word::Builder& b, const std::vector<std::string>& cells) {
  b.startTable();
  b.startRow();
  for (const std::string& c : cells) {
    b.startCell();
    b.text(c);
  }
  b.endRow();
  b.endTable();
}

}  // namespace testing_support
