#pragma once
// Charts a document holds as data (the values its spreadsheet last gave
// them), drawn as an SVG picture of the chart's size: columns, bars,
// lines, areas, pies, doughnuts and scatter plots, with their title, axes
// and legend. Text from the document (titles, names) is escaped here.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace word::read {

struct ChartSeries {
  std::string name;                            // UTF-8
  std::optional<uint32_t> colour;              // 0xRRGGBB; none: the palette's
  std::vector<std::optional<double>> values;   // one a category; none: a gap
  std::vector<double> xs;                      // a scatter plot's x values
  std::vector<std::optional<uint32_t>> point;  // a pie's slices' own colours
  bool markers = false;                        // a line's points are marked
  uint8_t labels = 0;                          // kChartLabel... shown at its points
  bool overBars = false;  // a line over a column chart's bars (a combined chart)
};

// What a series' points are labelled with.
inline constexpr uint8_t kChartLabelValue = 1, kChartLabelPercent = 2, kChartLabelCategory = 4;

struct Chart {
  enum class Kind : uint8_t { Column, Bar, Line, Area, Pie, Doughnut, Scatter };
  Kind kind = Kind::Column;
  bool stacked = false, percent = false;  // stacked; stacked to 100%
  bool percentFormat = false;             // values written as percentages (0.45: 45%)
  int gapPercent = 150;                   // between groups of bars, of a bar's width
  int holePercent = 50;                   // a doughnut's hole, of its size
  std::string title;                      // UTF-8; empty for none
  // The axes' titles: of the values (a scatter plot's y) and of the
  // categories (its x).
  std::string valueTitle, categoryTitle;
  std::vector<std::string> categories;
  std::vector<ChartSeries> series;
  enum class Legend : uint8_t { None, Right, Bottom, Top, Left };
  Legend legend = Legend::Right;
  // The lines over the bars have a value axis of their own, at the right,
  // which may write its values as percentages.
  bool secondary = false, secondaryPercent = false;
  // Colours of series (and a pie's slices) that give none, in turn.
  std::vector<uint32_t> palette{0x4472C4, 0xED7D31, 0xA5A5A5, 0xFFC000, 0x5B9BD5, 0x70AD47};
};

// Bounds on what is drawn, so that a damaged chart stays a small picture.
inline constexpr size_t kMaxChartSeries = 64, kMaxChartPoints = 1000;

// The SVG of `chart` drawn `w` by `h` pixels.
std::string chartSvg(const Chart& chart, double w, double h);

}  // namespace word::read
