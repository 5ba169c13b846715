#pragma once
// What the story operations' sources share, and no one else uses.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "word/model.h"

namespace word::ops::detail {

// Index of the cell of `row` holding `pos`, or -1 (the row's own mark).
ptrdiff_t cellAt(const Row& row, uint32_t pos);
// Moves the table's positions after `from` (at it too, for starts, when
// `startsAtFromMove`) by `delta`.
void shiftTable(Table& t, uint32_t from, int64_t delta, bool startsAtFromMove);
// Drops zero-length runs and merges neighbours of equal format.
void compactRuns(std::vector<Run>& runs, size_t textSize);

}  // namespace word::ops::detail
