#include "word/read/docx/chart.h"

#include <cmath>
#include <cstdlib>
#include <string>
#include <string_view>

#include "word/read/docx/shapes.h"
#include "word/read/docx/xml.h"

namespace word::read::docx {
namespace {

// A cache's points (c:strCache, c:numCache, or the literal forms) by their
// index, at most kMaxChartPoints of them.
template <typename F>
void eachPoint(const pugi::xml_node& cache, F&& f) {
  for (pugi::xml_node pt = cache.first_child(); pt; pt = pt.next_sibling()) {
    if (!is(pt, "pt")) continue;
    const int64_t idx = intAttr(pt, "idx").value_or(-1);
    if (idx >= 0 && idx < static_cast<int64_t>(kMaxChartPoints))
      f(static_cast<size_t>(idx), child(pt, "v").text().get());
  }
}

// The cache under a data source (c:tx, c:cat, c:val, ...): by reference or
// literal, strings or numbers, or a multi-level one's first level.
pugi::xml_node cacheOf(const pugi::xml_node& source) {
  for (const char* ref : {"strRef", "numRef", "multiLvlStrRef"}) {
    const pugi::xml_node r = child(source, ref);
    if (!r) continue;
    pugi::xml_node cache = child(r, ref == std::string_view("strRef")   ? "strCache"
                                    : ref == std::string_view("numRef") ? "numCache"
                                                                        : "multiLvlStrCache");
    return is(cache, "multiLvlStrCache") ? child(cache, "lvl") : cache;
  }
  for (const char* literal : {"strLit", "numLit"})
    if (pugi::xml_node l = child(source, literal)) return l;
  return {};
}

std::optional<double> numberOf(std::string_view s) {
  if (s.empty()) return std::nullopt;
  const std::string text(s);
  char* end = nullptr;
  const double v = std::strtod(text.c_str(), &end);
  if (end == text.c_str() || !std::isfinite(v)) return std::nullopt;
  return v;
}

std::vector<std::string> texts(const pugi::xml_node& source) {
  std::vector<std::string> out;
  eachPoint(cacheOf(source), [&](size_t i, std::string_view v) {
    if (out.size() <= i) out.resize(i + 1);
    out[i] = v;
  });
  return out;
}

std::vector<std::optional<double>> numbers(const pugi::xml_node& source) {
  std::vector<std::optional<double>> out;
  const pugi::xml_node cache = cacheOf(source);
  const int64_t count = intAttr(child(cache, "ptCount")).value_or(0);
  out.resize(static_cast<size_t>(std::clamp<int64_t>(count, 0, kMaxChartPoints)));
  eachPoint(cache, [&](size_t i, std::string_view v) {
    if (out.size() <= i) out.resize(i + 1);
    out[i] = numberOf(v);
  });
  return out;
}

// A title's own text (c:tx's rich text, its paragraphs and lines joined),
// or none.
std::string titleText(const pugi::xml_node& title) {
  std::string text;
  const pugi::xml_node tx = child(title, "tx");
  for (pugi::xml_node p = child(child(tx, "rich"), "p"); p; p = p.next_sibling()) {
    if (!is(p, "p")) continue;
    if (!text.empty()) text += ' ';
    for (pugi::xml_node r = p.first_child(); r; r = r.next_sibling())
      if (is(r, "r") || is(r, "fld"))
        text += child(r, "t").text().get();
      else if (is(r, "br"))
        text += ' ';
  }
  if (text.empty() && child(tx, "strRef")) {
    const std::vector<std::string> cached = texts(tx);
    if (!cached.empty()) text = cached[0];
  }
  return text;
}

// A series' or point's fill: its area's, or for a line its line's.
std::optional<uint32_t> fillOf(const pugi::xml_node& props, const Theme& theme, bool line) {
  const pugi::xml_node holder =
      line ? child(child(props, "ln"), "solidFill") : child(props, "solidFill");
  return holder ? drawingColour(holder, theme) : std::nullopt;
}

// What a c:dLbls labels points with; none where it is not there.
std::optional<uint8_t> labelsOf(const pugi::xml_node& labels) {
  if (!labels) return std::nullopt;
  auto on = [&](const char* name) { return val(child(labels, name)) == "1"; };
  if (on("delete")) return 0;
  return static_cast<uint8_t>((on("showVal") ? kChartLabelValue : 0) |
                              (on("showPercent") ? kChartLabelPercent : 0) |
                              (on("showCatName") ? kChartLabelCategory : 0));
}

ChartSeries seriesOf(const pugi::xml_node& ser, const Chart& chart, const Theme& theme) {
  ChartSeries s;
  const pugi::xml_node tx = child(ser, "tx");
  if (const std::vector<std::string> name = texts(tx); !name.empty())
    s.name = name[0];
  else
    s.name = child(tx, "v").text().get();
  const bool line = chart.kind == Chart::Kind::Line || chart.kind == Chart::Kind::Scatter;
  s.colour = fillOf(child(ser, "spPr"), theme, line);
  s.values = numbers(child(ser, chart.kind == Chart::Kind::Scatter ? "yVal" : "val"));
  if (chart.kind == Chart::Kind::Scatter)
    for (const auto& x : numbers(child(ser, "xVal"))) s.xs.push_back(x.value_or(0));
  for (pugi::xml_node d = ser.first_child(); d; d = d.next_sibling()) {
    if (!is(d, "dPt")) continue;
    const int64_t idx = intAttr(child(d, "idx")).value_or(-1);
    if (idx < 0 || idx >= static_cast<int64_t>(kMaxChartPoints)) continue;
    if (s.point.size() <= static_cast<size_t>(idx)) s.point.resize(static_cast<size_t>(idx) + 1);
    s.point[static_cast<size_t>(idx)] = fillOf(child(d, "spPr"), theme, false);
  }
  s.markers =
      chart.kind == Chart::Kind::Line && val(child(child(ser, "marker"), "symbol")) != "none";
  s.labels = labelsOf(child(ser, "dLbls")).value_or(0);
  return s;
}

// The axes' titles: a category (or date) axis's, and a value axis's; a
// scatter plot's two value axes by their side, the one below its x.
void axisTitlesOf(const pugi::xml_node& plotArea, Chart& chart) {
  for (pugi::xml_node axis = plotArea.first_child(); axis; axis = axis.next_sibling()) {
    const pugi::xml_node title = child(axis, "title");
    if (!title || val(child(axis, "delete")) == "1") continue;
    const bool value = is(axis, "valAx"), below = val(child(axis, "axPos")) == "b";
    const bool x = chart.kind == Chart::Kind::Scatter ? below : !value;
    if (!value && !is(axis, "catAx") && !is(axis, "dateAx")) continue;
    std::string& slot = x ? chart.categoryTitle : chart.valueTitle;
    if (slot.empty()) slot = titleText(title);
  }
}

// The first chart of the plot area that is drawn, and its kind.
pugi::xml_node plotted(const pugi::xml_node& plotArea, Chart& chart) {
  using K = Chart::Kind;
  static constexpr std::pair<std::string_view, K> kKinds[] = {
      {"barChart", K::Column},        {"bar3DChart", K::Column},   {"lineChart", K::Line},
      {"line3DChart", K::Line},       {"areaChart", K::Area},      {"area3DChart", K::Area},
      {"pieChart", K::Pie},           {"pie3DChart", K::Pie},      {"ofPieChart", K::Pie},
      {"doughnutChart", K::Doughnut}, {"scatterChart", K::Scatter}};
  for (pugi::xml_node n = plotArea.first_child(); n; n = n.next_sibling())
    for (const auto& [name, kind] : kKinds)
      if (is(n, name)) {
        chart.kind = kind;
        return n;
      }
  return {};
}

// A combined chart: the lines a column chart draws over its bars, on its
// value axis or on one of their own (its axis ids other than the bars').
void linesOverBars(const pugi::xml_node& plotArea, const pugi::xml_node& bars, Chart& chart,
                   const Theme& theme) {
  if (chart.kind != Chart::Kind::Column) return;
  const pugi::xml_node lines = child(plotArea, "lineChart");
  if (!lines) return;
  Chart asLines;
  asLines.kind = Chart::Kind::Line;
  const uint8_t labels = labelsOf(child(lines, "dLbls")).value_or(0);
  for (pugi::xml_node ser = lines.first_child(); ser; ser = ser.next_sibling()) {
    if (!is(ser, "ser") || chart.series.size() >= kMaxChartSeries) continue;
    ChartSeries s = seriesOf(ser, asLines, theme);
    s.overBars = true;
    s.markers = s.markers && val(child(lines, "marker")) != "0";
    if (!child(ser, "dLbls")) s.labels = labels;
    chart.series.push_back(std::move(s));
  }
  auto axes = [](const pugi::xml_node& group) {
    std::string ids;
    for (pugi::xml_node a = group.first_child(); a; a = a.next_sibling())
      if (is(a, "axId")) ids += std::string(val(a)) + " ";
    return ids;
  };
  chart.secondary = axes(lines) != axes(bars);
  // Its axis's values as percentages: its cells' format, or the axis's.
  const std::string barIds = axes(bars);
  for (pugi::xml_node a = plotArea.first_child(); a && chart.secondary; a = a.next_sibling())
    if (is(a, "valAx") &&
        barIds.find(std::string(val(child(a, "axId"))) + " ") == std::string::npos)
      chart.secondaryPercent =
          val(child(a, "numFmt"), "formatCode").find('%') != std::string_view::npos;
  const pugi::xml_node data = child(child(child(lines, "ser"), "val"), "numRef");
  chart.secondaryPercent |=
      std::string_view(child(child(data, "numCache"), "formatCode").text().get()).find('%') !=
      std::string_view::npos;
}

}  // namespace

std::optional<Chart> readChart(const pugi::xml_node& chartSpace, const Theme& theme) {
  Chart chart;
  const pugi::xml_node c = child(chartSpace, "chart");
  const pugi::xml_node type = plotted(child(c, "plotArea"), chart);
  if (!type) return std::nullopt;
  if (val(child(type, "barDir")) == "bar") chart.kind = Chart::Kind::Bar;
  const std::string_view grouping = val(child(type, "grouping"));
  chart.percent = grouping == "percentStacked";
  chart.stacked = chart.percent || grouping == "stacked";
  chart.gapPercent =
      static_cast<int>(std::clamp<int64_t>(intAttr(child(type, "gapWidth")).value_or(150), 0, 500));
  chart.holePercent = static_cast<int>(intAttr(child(type, "holeSize")).value_or(50));
  for (const char* slot : {"accent1", "accent2", "accent3", "accent4", "accent5", "accent6"})
    if (auto found = theme.colours.find(slot); found != theme.colours.end())
      chart.palette[static_cast<size_t>(slot[6] - '1')] = found->second;
  const uint8_t labels = labelsOf(child(type, "dLbls")).value_or(0);
  for (pugi::xml_node ser = type.first_child(); ser; ser = ser.next_sibling()) {
    if (!is(ser, "ser") || chart.series.size() >= kMaxChartSeries) continue;
    if (chart.series.empty()) {
      chart.categories = texts(child(ser, "cat"));
      // Values written as percentages: their cells' format, or the axis's.
      const pugi::xml_node data =
          child(child(ser, chart.kind == Chart::Kind::Scatter ? "yVal" : "val"), "numRef");
      chart.percentFormat =
          std::string_view(child(child(data, "numCache"), "formatCode").text().get()).find('%') !=
          std::string_view::npos;
    }
    chart.series.push_back(seriesOf(ser, chart, theme));
    if (!child(ser, "dLbls")) chart.series.back().labels = labels;
  }
  if (val(child(type, "marker")) == "0")
    for (ChartSeries& s : chart.series) s.markers = false;
  linesOverBars(child(c, "plotArea"), type, chart, theme);
  const pugi::xml_node axis = child(child(c, "plotArea"), "valAx");
  chart.percentFormat |=
      val(child(axis, "numFmt"), "formatCode").find('%') != std::string_view::npos;
  axisTitlesOf(child(c, "plotArea"), chart);
  if (chart.series.empty()) return std::nullopt;
  // A title without text of its own shows the series' name where there
  // is one series (else the word processor's placeholder, in the
  // language of its menus, which a page leaves out).
  const pugi::xml_node title = child(c, "title");
  if (title) chart.title = titleText(title);
  const bool autoTitle = !title && intAttr(child(c, "autoTitleDeleted")).value_or(0) == 0;
  if (chart.title.empty() && (title || autoTitle) && chart.series.size() == 1)
    chart.title = chart.series[0].name;
  const pugi::xml_node legend = child(c, "legend");
  const std::string_view pos = val(child(legend, "legendPos"));
  chart.legend = !legend      ? Chart::Legend::None
                 : pos == "b" ? Chart::Legend::Bottom
                 : pos == "t" ? Chart::Legend::Top
                 : pos == "l" ? Chart::Legend::Left
                              : Chart::Legend::Right;
  return chart;
}

}  // namespace word::read::docx
