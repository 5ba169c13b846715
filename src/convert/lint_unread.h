#pragma once
// Lint's checks of what the document holds that the course does not read
// or show: markers in the page headers and footers and in hidden or
// deleted text, which the scan never reads, and what the readers met on a
// page but cannot carry onto it.
#include <cstdint>
#include <vector>

#include "convert/lint.h"
#include "word/application.h"

namespace convert {

// Adds to `found` each header or footer line that starts with a marker,
// once however many sections repeat it.
void headerFooterMarkers(word::Document& doc, std::vector<LintWarning>& found);

// Adds to `found` each marker line the author sees with hidden text or
// tracked changes shown, which the word processor does not print and the
// scan does not read.
void unseenMarkers(word::Application& app, word::Document& doc, std::vector<LintWarning>& found);

// Adds to `found` what the readers could not carry onto the page from
// `start` to `end`, once a kind.
void pageLosses(word::Application& app, word::Document& doc, int32_t start, int32_t end,
                std::vector<LintWarning>& found);

}  // namespace convert
