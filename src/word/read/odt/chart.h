#pragma once
// An OpenDocument chart object (its content part's chart:chart, with the
// values in the chart's own table) read into the chart the readers draw.
// Its replacement picture is a metafile browsers cannot show.
#include <optional>
#include <pugixml.hpp>
#include <string>

#include "word/read/chart_svg.h"

namespace word::read::odt {

// The chart of an object's content (office:document-content, or a flat
// form's office:document); none for another object, or a kind not drawn
// (radar, bubble, stock, surface). `pointsLeft` bounds the values read
// for a document's charts together, and is spent.
std::optional<Chart> readOdfChart(const pugi::xml_node& content, size_t& pointsLeft);

// The title a chart object's content shows (UTF-8), whatever its kind;
// empty for none, or another object.
std::string odfChartTitle(const pugi::xml_node& content);

}  // namespace word::read::odt
