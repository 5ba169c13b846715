#include "word/read/odt/chart.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "word/read/odt/styles.h"
#include "word/read/xml.h"

namespace word::read::odt {
namespace {

// A paragraph's text, its spans' too, its runs of spaces and its tabs
// and line breaks as spaces.
std::string shownText(const pugi::xml_node& p) {
  std::string out;
  p.find_node([&](const pugi::xml_node& n) {
    if (n.type() == pugi::node_pcdata) out += n.value();
    if (is(n, "s"))
      out.append(static_cast<size_t>(std::clamp<int64_t>(intAttr(n, "c").value_or(1), 1, 64)), ' ');
    if (is(n, "tab") || is(n, "line-break")) out += ' ';
    return false;
  });
  return out;
}

struct Value {
  std::string text;  // UTF-8
  std::optional<double> number;
};

// The chart's own table of values, by row and column (from 0).
class Table {
 public:
  explicit Table(const pugi::xml_node& table) { rowsOf(table, 0); }

  const Value* at(size_t row, size_t column) const {
    return row < rows_.size() && column < rows_[row].size() ? &rows_[row][column] : nullptr;
  }

 private:
  // Header rows, rows and their groups, in order; repeats bounded by
  // what a chart can draw.
  void rowsOf(const pugi::xml_node& parent, int depth) {
    for (pugi::xml_node n = parent.first_child(); n && depth < 4; n = n.next_sibling()) {
      if (!is(n, "table-row")) {
        if (is(n, "table-header-rows") || is(n, "table-rows") || is(n, "table-row-group"))
          rowsOf(n, depth + 1);
        continue;
      }
      const int64_t repeated = intAttr(n, "number-rows-repeated").value_or(1);
      std::vector<Value> row = cellsOf(n);
      for (int64_t i = 0; i < repeated && rows_.size() <= kMaxChartPoints; ++i)
        rows_.push_back(row);
    }
  }

  static std::vector<Value> cellsOf(const pugi::xml_node& row) {
    std::vector<Value> cells;
    for (pugi::xml_node c = row.first_child(); c; c = c.next_sibling()) {
      if (!is(c, "table-cell") && !is(c, "covered-table-cell")) continue;
      Value v;
      v.text = shownText(child(c, "p"));
      const std::string_view type = attrValue(c, "value-type");
      if (type == "float" || type == "percentage" || type == "currency") {
        const double d = std::strtod(std::string(attrValue(c, "value")).c_str(), nullptr);
        if (std::isfinite(d)) v.number = d;
      }
      const int64_t repeated = intAttr(c, "number-columns-repeated").value_or(1);
      for (int64_t i = 0; i < repeated && cells.size() <= kMaxChartSeries; ++i) cells.push_back(v);
    }
    return cells;
  }

  std::vector<std::vector<Value>> rows_;
};

// A cell's place in an address ("local-table.$B$2"): its row and column
// from 0; none for a damaged one.
std::optional<std::pair<size_t, size_t>> cellOf(std::string_view address) {
  const size_t dot = address.rfind('.');
  if (dot != std::string_view::npos) address.remove_prefix(dot + 1);
  size_t column = 0, row = 0, i = 0;
  bool letters = false, digits = false;
  for (; i < address.size(); ++i) {
    const char c = address[i];
    if (c == '$') continue;
    if (c >= 'A' && c <= 'Z' && !digits && column < 100000) {
      column = column * 26 + static_cast<size_t>(c - 'A' + 1), letters = true;
    } else if (c >= '0' && c <= '9' && letters && row < 100000) {
      row = row * 10 + static_cast<size_t>(c - '0'), digits = true;
    } else {
      return std::nullopt;
    }
  }
  if (!letters || !digits || row == 0) return std::nullopt;
  return std::pair{row - 1, column - 1};
}

// The cells of a range ("local-table.$B$2:.$B$5"), a column's or a row's.
std::vector<const Value*> cellsIn(const Table& t, std::string_view range) {
  const size_t colon = range.find(':');
  const auto from = cellOf(range.substr(0, colon));
  const auto to = colon == std::string_view::npos ? from : cellOf(range.substr(colon + 1));
  std::vector<const Value*> out;
  if (!from || !to) return out;
  for (size_t r = from->first; r <= to->first && out.size() < kMaxChartPoints; ++r)
    for (size_t c = from->second; c <= to->second && out.size() < kMaxChartPoints; ++c)
      out.push_back(t.at(r, c));
  return out;
}

// The chart's automatic styles by name.
class ChartStyles {
 public:
  explicit ChartStyles(const pugi::xml_node& content) {
    for (pugi::xml_node s = child(content, "automatic-styles").first_child(); s;
         s = s.next_sibling())
      if (is(s, "style")) byName_.emplace(attrValue(s, "name"), s);
  }
  // A style's properties element of a kind ("chart-properties").
  pugi::xml_node props(const pugi::xml_node& of, std::string_view kind) const {
    auto it = byName_.find(std::string(attrValue(of, "style-name")));
    return it == byName_.end() ? pugi::xml_node() : child(it->second, kind);
  }
  std::optional<uint32_t> colour(const pugi::xml_node& of, bool line) const {
    return color(attrValue(props(of, "graphic-properties"), line ? "stroke-color" : "fill-color"));
  }

 private:
  std::map<std::string, pugi::xml_node, std::less<>> byName_;
};

std::string textOf(const pugi::xml_node& titled) {
  std::string out;
  for (pugi::xml_node p = child(titled, "title").first_child(); p; p = p.next_sibling())
    if (is(p, "p")) {
      if (!out.empty()) out += ' ';
      out += shownText(p);
    }
  return out;
}

std::optional<Chart::Kind> kindOf(std::string_view cls, bool across) {
  using K = Chart::Kind;
  if (cls.substr(0, 6) == "chart:") cls.remove_prefix(6);
  if (cls == "bar") return across ? K::Bar : K::Column;
  if (cls == "line") return K::Line;
  if (cls == "area") return K::Area;
  if (cls == "circle") return K::Pie;
  if (cls == "ring") return K::Doughnut;
  if (cls == "scatter") return K::Scatter;
  return std::nullopt;
}

ChartSeries seriesOf(const pugi::xml_node& ser, const Chart& chart, const Table& t,
                     const ChartStyles& styles, std::string_view cls) {
  ChartSeries s;
  if (const auto name = cellsIn(t, attrValue(ser, "label-cell-address")); !name.empty() && name[0])
    s.name = name[0]->text;
  for (const Value* v : cellsIn(t, attrValue(ser, "values-cell-range-address")))
    s.values.push_back(v ? v->number : std::nullopt);
  if (chart.kind == Chart::Kind::Scatter)
    for (const Value* v : cellsIn(t, attrValue(child(ser, "domain"), "cell-range-address")))
      s.xs.push_back(v && v->number ? *v->number : 0);
  const bool line = cls == "chart:line" || chart.kind == Chart::Kind::Scatter;
  s.colour = styles.colour(ser, line);
  const pugi::xml_node props = styles.props(ser, "chart-properties");
  s.markers =
      line && attrValue(props, "symbol-type") != "none" && attrValue(props, "symbol-type") != "";
  const std::string_view number = attrValue(props, "data-label-number");
  s.labels = static_cast<uint8_t>(
      (number == "value" ? kChartLabelValue : 0) |
      (number == "percentage" ? kChartLabelPercent : 0) |
      (attrValue(props, "data-label-text") == "true" ? kChartLabelCategory : 0));
  // A pie's slices' own colours, a point (or a run of them) each.
  for (pugi::xml_node d = ser.first_child(); d && s.point.size() < kMaxChartPoints;
       d = d.next_sibling()) {
    if (!is(d, "data-point")) continue;
    const std::optional<uint32_t> colour = styles.colour(d, false);
    const int64_t repeated =
        std::clamp<int64_t>(intAttr(d, "repeated").value_or(1), 1, kMaxChartPoints);
    for (int64_t i = 0; i < repeated && s.point.size() < kMaxChartPoints; ++i)
      s.point.push_back(colour);
  }
  return s;
}

pugi::xml_node chartOf(const pugi::xml_node& content) {
  return child(child(child(content, "body"), "chart"), "chart");
}

}  // namespace

std::string odfChartTitle(const pugi::xml_node& content) {
  return textOf(chartOf(content));
}

std::optional<Chart> readOdfChart(const pugi::xml_node& content, size_t& pointsLeft) {
  const pugi::xml_node c = chartOf(content);
  const pugi::xml_node plot = child(c, "plot-area");
  if (!c || !plot) return std::nullopt;
  const ChartStyles styles(content);
  const pugi::xml_node props = styles.props(plot, "chart-properties");
  const std::string_view cls = attrValue(c, "class");
  const std::optional<Chart::Kind> kind = kindOf(cls, attrValue(props, "vertical") == "true");
  if (!kind) return std::nullopt;
  Chart chart;
  chart.kind = *kind;
  chart.percent = attrValue(props, "percentage") == "true";
  chart.stacked = chart.percent || attrValue(props, "stacked") == "true";
  chart.gapPercent =
      static_cast<int>(std::clamp<int64_t>(intAttr(props, "gap-width").value_or(100), 0, 500));
  // The word processor's own colours for series that give none.
  chart.palette = {0x004586, 0xFF420E, 0xFFD320, 0x579D1C, 0x7E0021, 0x83CAFF,
                   0x314004, 0xAECF00, 0x4B1F6F, 0xFF950E, 0xC5000B, 0x0084D1};
  const Table table(child(c, "table"));
  for (pugi::xml_node a = plot.first_child(); a; a = a.next_sibling()) {
    if (!is(a, "axis")) continue;
    const bool x = attrValue(a, "dimension") == "x";
    if (x && chart.categories.empty())
      for (const Value* v : cellsIn(table, attrValue(child(a, "categories"), "cell-range-address")))
        chart.categories.push_back(v ? v->text : std::string());
    std::string& title = x ? chart.categoryTitle : chart.valueTitle;
    if (title.empty() && attrValue(a, "name") != "secondary-y") title = textOf(a);
  }
  for (pugi::xml_node ser = plot.first_child(); ser; ser = ser.next_sibling()) {
    if (!is(ser, "series") || chart.series.size() >= kMaxChartSeries) continue;
    const std::string_view own = attrValue(ser, "class").empty() ? cls : attrValue(ser, "class");
    ChartSeries s = seriesOf(ser, chart, table, styles, own);
    if (s.values.size() > pointsLeft) break;
    pointsLeft -= s.values.size();
    // A line among a column chart's bars goes over them.
    s.overBars = chart.kind == Chart::Kind::Column && own == "chart:line";
    if (s.overBars) chart.secondary |= attrValue(ser, "attached-axis") == "secondary-y";
    chart.series.push_back(std::move(s));
  }
  // The lines over bars come after the bars, as they are drawn.
  std::stable_partition(chart.series.begin(), chart.series.end(),
                        [](const ChartSeries& s) { return !s.overBars; });
  if (chart.series.empty()) return std::nullopt;
  chart.title = textOf(c);
  const pugi::xml_node legend = child(c, "legend");
  const std::string_view pos = attrValue(legend, "legend-position");
  chart.legend = !legend           ? Chart::Legend::None
                 : pos == "start"  ? Chart::Legend::Left
                 : pos == "top"    ? Chart::Legend::Top
                 : pos == "bottom" ? Chart::Legend::Bottom
                                   : Chart::Legend::Right;
  return chart;
}

}  // namespace word::read::odt
