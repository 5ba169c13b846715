#pragma once
// A chart part (c:chartSpace) read into the chart the page draws: its
// kind, the values and names its spreadsheet last gave it (the caches the
// part keeps), its series' colours in the theme's, its title and legend.
#include <optional>
#include <pugixml.hpp>

#include "word/read/chart_svg.h"
#include "word/read/docx/styles.h"

namespace word::read::docx {

// None for a chart of a kind not drawn (radar, bubble, stock, surface) or
// one without values.
std::optional<Chart> readChart(const pugi::xml_node& chartSpace, const Theme& theme);

}  // namespace word::read::docx
