#pragma once
// CSS values the page writer writes: lengths, colours, and a table cell's
// own style.
#include <cstdint>
#include <string>
#include <string_view>

#include "word/model.h"

namespace word::write {

std::u16string ascii(std::string_view s);
// Twips or half points (or any unit, by its divisor) as CSS points ("12pt",
// "10.5pt", "-18pt").
std::u16string points(int64_t value, int divisor);
std::u16string colour(uint32_t rgb);  // "#RRGGBB"
// A cell's width, background and known borders as declarations, each ended
// with ';'; empty when the cell gives none.
std::u16string cellCss(const Cell& cell);

}  // namespace word::write
