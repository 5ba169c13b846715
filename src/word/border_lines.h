#pragma once
// The numbers paragraphs keep for the lines of their borders past the
// first two (ParagraphFormat::thirdLine): each model numbers its own
// sets of lines, and a paste renumbers what it brings.
#include <cstdint>
#include <vector>

#include "word/model.h"

namespace word::ops {

// The number a paragraph keeps for its sides' lines `sides` (their room
// aside), adding them to `lines`; 0 once the table is full.
uint8_t borderLineNumber(std::vector<SideLines>& lines, SideLines sides);

// The numbers of `fragment`'s lines in `model`, adding the missing ones;
// empty where the fragment's are numbered alike.
std::vector<uint8_t> mapBorderLines(Model& model, const Model& fragment);

// A fragment's paragraph format as `map` (mapBorderLines) renumbers it.
void mapThirdLine(const std::vector<uint8_t>& map, ParagraphFormat& f);

}  // namespace word::ops
