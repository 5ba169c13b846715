#include "word/read/chart_svg.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <numbers>
#include <string_view>
#include <utility>

#include "word/read/shape_svg.h"

namespace word::read {
namespace {

// The word processor's chart text: 9pt labels and a 14pt title, in grey.
constexpr double kLabel = 12, kTitle = 18.67, kPad = 8;
constexpr uint32_t kText = 0x595959;
constexpr const char* kGrid = "#d9d9d9";

struct Box {
  double x = 0, y = 0, w = 0, h = 0;
};

struct Svg {
  std::string out;
  void text(double x, double y, std::string_view s, double size, const char* anchor) {
    out += svgText(x, y, s, size, kText, anchor);
  }
  void rect(Box b, uint32_t fill) {
    out += "<rect x=\"" + svgNumber(b.x) + "\" y=\"" + svgNumber(b.y) + "\" width=\"" +
           svgNumber(std::max(b.w, 0.0)) + "\" height=\"" + svgNumber(std::max(b.h, 0.0)) +
           "\" fill=\"" + svgColour(fill) + "\"/>";
  }
  void line(double x1, double y1, double x2, double y2) {
    out += "<line x1=\"" + svgNumber(x1) + "\" y1=\"" + svgNumber(y1) + "\" x2=\"" + svgNumber(x2) +
           "\" y2=\"" + svgNumber(y2) + "\" stroke=\"" + kGrid + "\"/>";
  }
};

// An axis from `lo` to `hi` in steps a reader counts in (1, 2, 2.5 or 5
// times a power of ten).
struct Scale {
  double lo = 0, hi = 1, step = 1;
  double at(double v, double from, double length) const {
    return from + (v - lo) / (hi - lo) * length;
  }
};

Scale scaleFor(double min, double max) {
  // Zero is on the axis unless the values lie close together far from it
  // (within a sixth of the largest), as the spreadsheet's axes do.
  if (min > 0 && max - min >= max / 6) min = 0;
  if (max < 0 && max - min >= -min / 6) max = 0;
  // Sums of huge values may pass what a double holds.
  if (!std::isfinite(max - min)) return {};
  if (max - min < 1e-12) max = min + 1;
  // A twentieth of the range as room beyond the largest value, so that no
  // bar or point ends on the chart's edge.
  const double room = (max - min) / 20;
  if (max > 0) max += room;
  if (min < 0) min -= room;
  const double raw = (max - min) / 5, magnitude = std::pow(10, std::floor(std::log10(raw)));
  const double n = raw / magnitude;
  Scale s;
  s.step = (n <= 1 ? 1 : n <= 2 ? 2 : n <= 2.5 ? 2.5 : n <= 5 ? 5 : 10) * magnitude;
  s.lo = std::floor(min / s.step) * s.step;
  s.hi = std::ceil(max / s.step) * s.step;
  if (s.hi - s.lo < s.step) s.hi = s.lo + s.step;
  return s;
}

// The values an axis labels, counted rather than added up, so that their
// number stays that of the steps.
std::vector<double> ticks(const Scale& s) {
  std::vector<double> out;
  const double steps = std::round((s.hi - s.lo) / s.step);
  for (int i = 0; i <= std::clamp(steps, 1.0, 50.0); ++i) out.push_back(s.lo + i * s.step);
  return out;
}

std::string valueLabel(double v, bool percent) {
  char buf[32];
  if (percent)
    std::snprintf(buf, sizeof buf, "%.0f%%", v * 100);
  else
    std::snprintf(buf, sizeof buf, "%.2f", std::abs(v) < 1e-9 ? 0.0 : v);
  std::string s = buf;
  if (!percent && s.find('.') != std::string::npos) {
    while (s.back() == '0') s.pop_back();
    if (s.back() == '.') s.pop_back();
  }
  return s;
}

uint32_t colourOf(const Chart& c, size_t i, std::optional<uint32_t> own) {
  if (own) return *own;
  return c.palette.empty() ? 0x4472C4 : c.palette[i % c.palette.size()];
}

// What point k of series i is labelled with, where its series labels
// its points: its category, value and share of `total` (a pie's).
std::string pointLabel(const Chart& c, size_t i, size_t k, double total = 0) {
  const ChartSeries& s = c.series[i];
  std::string label;
  auto add = [&](const std::string& part) { label += (label.empty() ? "" : ", ") + part; };
  if ((s.labels & kChartLabelCategory) && k < c.categories.size()) add(c.categories[k]);
  if ((s.labels & kChartLabelValue) && k < s.values.size() && s.values[k])
    add(valueLabel(*s.values[k], c.percentFormat));
  if ((s.labels & kChartLabelPercent) && total > 0 && k < s.values.size() && s.values[k])
    add(valueLabel(*s.values[k] / total, true));
  return label;
}

bool pieLike(const Chart& c) {
  return c.kind == Chart::Kind::Pie || c.kind == Chart::Kind::Doughnut;
}

// The legend's entries (a pie's categories, else the series) drawn on
// their side of `plot`, which gives up the room they take.
void legend(Svg& svg, const Chart& c, Box& plot) {
  struct Item {
    std::string name;
    uint32_t colour;
    bool line;  // a series drawn as a line shows a stroke, not a square
  };
  std::vector<Item> items;
  if (pieLike(c)) {
    const ChartSeries* s = c.series.empty() ? nullptr : &c.series[0];
    for (size_t i = 0; i < c.categories.size(); ++i)
      items.push_back({c.categories[i],
                       colourOf(c, i, s && i < s->point.size() ? s->point[i] : std::nullopt),
                       false});
  } else {
    for (size_t i = 0; i < c.series.size(); ++i)
      items.push_back({c.series[i].name, colourOf(c, i, c.series[i].colour),
                       c.series[i].overBars || c.kind == Chart::Kind::Line});
  }
  if (items.empty() || c.legend == Chart::Legend::None) return;
  const double swatch = 8, gap = 14;
  auto widthOf = [&](const std::string& name) { return swatch + 4 + textWidthGuess(name, kLabel); };
  const bool row = c.legend == Chart::Legend::Bottom || c.legend == Chart::Legend::Top;
  double total = 0, widest = 0;
  for (const Item& item : items) {
    total += widthOf(item.name) + gap;
    widest = std::max(widest, widthOf(item.name));
  }
  // Long names at a side run into the plot rather than crowd it out.
  widest = std::min(widest, plot.w / 3);
  const double lineHeight = kLabel + 6;
  double x = row                               ? plot.x + std::max(0.0, (plot.w - total + gap) / 2)
             : c.legend == Chart::Legend::Left ? plot.x
                                               : plot.x + plot.w - widest;
  double y = c.legend == Chart::Legend::Top ? plot.y
             : row                          ? plot.y + plot.h - lineHeight
                   : plot.y + std::max(0.0, (plot.h - lineHeight * items.size()) / 2);
  for (const Item& item : items) {
    if (item.line)
      svg.out += "<line x1=\"" + svgNumber(x - 2) + "\" y1=\"" + svgNumber(y + lineHeight / 2) +
                 "\" x2=\"" + svgNumber(x + swatch + 2) + "\" y2=\"" +
                 svgNumber(y + lineHeight / 2) + "\" stroke=\"" + svgColour(item.colour) +
                 "\" stroke-width=\"3\"/>";
    else
      svg.rect({x, y + (lineHeight - swatch) / 2, swatch, swatch}, item.colour);
    svg.text(x + swatch + 4, y + lineHeight / 2 + kLabel * 0.35, item.name, kLabel, "start");
    if (row)
      x += widthOf(item.name) + gap;
    else
      y += lineHeight;
  }
  if (row) {
    plot.h -= lineHeight + 4;
    if (c.legend == Chart::Legend::Top) plot.y += lineHeight + 4;
  } else {
    plot.w -= widest + gap;
    if (c.legend == Chart::Legend::Left) plot.x += widest + gap;
  }
}

// The axes' titles, one up the plot's left side and one under it, which
// give up the room they take.
void axisTitles(Svg& svg, const std::string& left, const std::string& bottom, Box& plot) {
  if (!left.empty()) {
    const double x = plot.x + kLabel, y = plot.y + plot.h / 2;
    svg.out += "<g transform=\"rotate(-90 " + svgNumber(x) + " " + svgNumber(y) + ")\">";
    svg.text(x, y, left, kLabel, "middle");
    svg.out += "</g>";
    plot.x += kLabel + 6, plot.w -= kLabel + 6;
  }
  if (!bottom.empty()) {
    svg.text(plot.x + plot.w / 2, plot.y + plot.h - 2, bottom, kLabel, "middle");
    plot.h -= kLabel + 6;
  }
}

// A category's values as drawn: each series' value, or, stacked, where
// each series' part begins and ends.
struct Stacks {
  std::vector<std::vector<std::pair<double, double>>> spans;  // [series][category]
  double min = std::numeric_limits<double>::infinity(), max = -min;
  // Of the lines over bars on a value axis of their own.
  double ownMin = std::numeric_limits<double>::infinity(), ownMax = -ownMin;
};

Stacks stacksOf(const Chart& c, size_t categories) {
  Stacks st;
  st.spans.assign(c.series.size(), std::vector<std::pair<double, double>>(categories));
  for (size_t k = 0; k < categories; ++k) {
    double total = 0;
    for (const ChartSeries& s : c.series)
      if (k < s.values.size() && s.values[k] && !s.overBars) total += std::abs(*s.values[k]);
    double up = 0, down = 0;
    for (size_t i = 0; i < c.series.size(); ++i) {
      const auto& vs = c.series[i].values;
      const bool present = k < vs.size() && vs[k];
      double v = present ? *vs[k] : 0;
      // A line over the bars stands at its own value, stacked on nothing.
      if (c.series[i].overBars) {
        st.spans[i][k] = {0.0, v};
        double& lo = c.secondary ? st.ownMin : st.min;
        double& hi = c.secondary ? st.ownMax : st.max;
        if (present) lo = std::min(lo, v), hi = std::max(hi, v);
        continue;
      }
      if (c.percent) v = total > 0 ? v / total : 0;
      double& base = v < 0 ? down : up;
      st.spans[i][k] = c.stacked ? std::pair{base, base + v} : std::pair{0.0, v};
      if (c.stacked) base += v;
      if (!present) continue;
      // Unstacked, a value's span starts at zero, which the axis may leave out.
      const auto& [from, to] = st.spans[i][k];
      st.min = std::min({st.min, c.stacked ? from : to, to});
      st.max = std::max({st.max, c.stacked ? from : to, to});
    }
  }
  return st;
}

// Where values and categories fall on a chart of categories: values
// along one axis, categories in bands along the other (across for bars,
// the first category at the bottom).
struct Axes {
  Box plot;
  Scale scale;
  bool across = false;
  size_t bands = 1;
  double band = 0;
  // Values off the axis (zero, where it is left out) at its end.
  double valueAt(double v) const {
    v = std::clamp(v, scale.lo, scale.hi);
    return across ? scale.at(v, plot.x, plot.w) : plot.y + plot.h - scale.at(v, 0, plot.h);
  }
  double bandAt(size_t k) const {
    return across ? plot.y + plot.h - static_cast<double>(k + 1) * band
                  : plot.x + static_cast<double>(k) * band;
  }
};

// The axes' labels and grid: values at the left (bars: below), categories
// below (bars: at the left, in at most a third of the chart).
Axes axes(Svg& svg, const Chart& c, Box plot, size_t bands, Scale scale) {
  Axes a{plot, scale, c.kind == Chart::Kind::Bar, bands};
  const bool percent = c.percent || c.percentFormat;
  double labelWidth = 0, categoryWidth = 0;
  for (double v : ticks(scale))
    labelWidth = std::max(labelWidth, textWidthGuess(valueLabel(v, percent), kLabel));
  for (const std::string& name : c.categories)
    categoryWidth = std::max(categoryWidth, textWidthGuess(name, kLabel));
  const double left = a.across ? std::min(categoryWidth, plot.w / 3) + 6 : labelWidth + 6;
  a.plot = {plot.x + left, plot.y + 4, plot.w - left - 4, plot.h - kLabel - 10};
  a.band = (a.across ? a.plot.h : a.plot.w) / static_cast<double>(bands);
  const Box& b = a.plot;
  for (double v : ticks(scale)) {
    const double at = a.valueAt(v);
    if (a.across) {
      svg.line(at, b.y, at, b.y + b.h);
      svg.text(at, b.y + b.h + kLabel + 4, valueLabel(v, percent), kLabel, "middle");
    } else {
      svg.line(b.x, at, b.x + b.w, at);
      svg.text(b.x - 6, at + kLabel * 0.35, valueLabel(v, percent), kLabel, "end");
    }
  }
  for (size_t k = 0; k < c.categories.size() && k < bands; ++k) {
    const double middle = a.bandAt(k) + a.band / 2;
    if (a.across)
      svg.text(b.x - 6, middle + kLabel * 0.35, c.categories[k], kLabel, "end");
    else
      svg.text(middle, b.y + b.h + kLabel + 4, c.categories[k], kLabel, "middle");
  }
  return a;
}

// A series as a line through its values (a gap left out), or as an area
// down to the series beneath it or to zero.
void lineOrArea(Svg& svg, const Chart& c, const Axes& a, const Stacks& st, size_t i) {
  const uint32_t colour = colourOf(c, i, c.series[i].colour);
  const auto& values = c.series[i].values;
  auto point = [&](size_t k, double v) {
    return svgNumber(a.bandAt(k) + a.band / 2) + "," + svgNumber(a.valueAt(v)) + " ";
  };
  std::string points;
  if (c.kind == Chart::Kind::Area) {
    for (size_t k = 0; k < a.bands; ++k) points += point(k, st.spans[i][k].second);
    for (size_t k = a.bands; k-- > 0;) points += point(k, c.stacked ? st.spans[i][k].first : 0);
    svg.out += "<polygon points=\"" + points + "\" fill=\"" + svgColour(colour) +
               "\" fill-opacity=\"0.85\"/>";
    return;
  }
  // A gap in the values breaks the line.
  for (size_t k = 0; k <= a.bands; ++k) {
    if (k < a.bands && k < values.size() && values[k]) {
      points += point(k, st.spans[i][k].second);
      continue;
    }
    if (!points.empty())
      svg.out += "<polyline points=\"" + points + "\" fill=\"none\" stroke=\"" + svgColour(colour) +
                 "\" stroke-width=\"3\" stroke-linejoin=\"round\"/>";
    points.clear();
  }
  for (size_t k = 0; k < a.bands; ++k) {
    if (k >= values.size() || !values[k]) continue;
    const double x = a.bandAt(k) + a.band / 2, y = a.valueAt(st.spans[i][k].second);
    if (c.series[i].markers)
      svg.out += "<circle cx=\"" + svgNumber(x) + "\" cy=\"" + svgNumber(y) +
                 "\" r=\"3.5\" fill=\"" + svgColour(colour) + "\"/>";
    if (c.series[i].labels) svg.text(x, y - 8, pointLabel(c, i, k), kLabel, "middle");
  }
}

// Columns and bars: a group in each band, the gap shared out on both sides.
void bars(Svg& svg, const Chart& c, const Axes& a, const Stacks& st) {
  const size_t barred = static_cast<size_t>(std::count_if(
      c.series.begin(), c.series.end(), [](const ChartSeries& s) { return !s.overBars; }));
  const size_t slots = c.stacked || barred == 0 ? 1 : barred;
  const double bar = a.band / (static_cast<double>(slots) + c.gapPercent / 100.0);
  for (size_t i = 0; i < c.series.size() && i < barred; ++i) {
    const uint32_t colour = colourOf(c, i, c.series[i].colour);
    for (size_t k = 0; k < a.bands; ++k) {
      if (k >= c.series[i].values.size() || !c.series[i].values[k]) continue;
      const size_t slot = c.stacked ? 0 : a.across ? slots - 1 - i : i;
      const double from =
          a.bandAt(k) + bar * c.gapPercent / 200.0 + static_cast<double>(slot) * bar;
      const double v0 = a.valueAt(st.spans[i][k].first), v1 = a.valueAt(st.spans[i][k].second);
      svg.rect(a.across ? Box{std::min(v0, v1), from, std::abs(v1 - v0), bar}
                        : Box{from, std::min(v0, v1), bar, std::abs(v1 - v0)},
               colour);
      // A label at the bar's end, or a stacked part's middle.
      const std::string label = c.series[i].labels ? pointLabel(c, i, k) : std::string();
      if (label.empty()) continue;
      // Larger values lie right (bars) or higher, at smaller y (columns).
      const bool up = a.across ? v1 >= v0 : v1 <= v0, middle = c.stacked;
      const double along = middle ? (v0 + v1) / 2 : v1, across = from + bar / 2;
      if (a.across)
        svg.text(middle ? along : along + (up ? 4 : -4), across + kLabel * 0.35, label, kLabel,
                 middle ? "middle"
                 : up   ? "start"
                        : "end");
      else
        svg.text(across,
                 middle ? along + kLabel * 0.35
                 : up   ? along - 4
                        : along + kLabel + 2,
                 label, kLabel, "middle");
    }
  }
}

void categoryChart(Svg& svg, const Chart& c, Box plot) {
  size_t n = c.categories.size();
  for (const ChartSeries& s : c.series) n = std::max(n, s.values.size());
  if (n == 0) return;
  const Stacks st = stacksOf(c, n);
  const Scale scale = c.percent ? scaleFor(std::max(st.min, -1.0), std::min(st.max, 1.0))
                                : scaleFor(st.min, st.max);
  // Bars across have their categories at the left, their values below.
  const bool across = c.kind == Chart::Kind::Bar;
  axisTitles(svg, across ? c.categoryTitle : c.valueTitle, across ? c.valueTitle : c.categoryTitle,
             plot);
  // Lines over the bars on their own axis: its labels at the right.
  const bool own = c.secondary && st.ownMin <= st.ownMax;
  const Scale ownScale = own ? scaleFor(st.ownMin, st.ownMax) : scale;
  double right = 0;
  for (double v : own ? ticks(ownScale) : std::vector<double>{})
    right = std::max(right, textWidthGuess(valueLabel(v, c.secondaryPercent), kLabel) + 6);
  const Axes a = axes(svg, c, {plot.x, plot.y, plot.w - right, plot.h}, n, scale);
  Axes lines = a;
  lines.scale = ownScale;
  for (double v : own ? ticks(ownScale) : std::vector<double>{})
    svg.text(a.plot.x + a.plot.w + 6, lines.valueAt(v) + kLabel * 0.35,
             valueLabel(v, c.secondaryPercent), kLabel, "start");
  if (c.kind != Chart::Kind::Line && c.kind != Chart::Kind::Area) bars(svg, c, a, st);
  for (size_t i = 0; i < c.series.size(); ++i)
    if (c.series[i].overBars || c.kind == Chart::Kind::Line || c.kind == Chart::Kind::Area)
      lineOrArea(svg, c, c.series[i].overBars ? lines : a, st, i);
}

void pie(Svg& svg, const Chart& c, Box plot) {
  if (c.series.empty()) return;
  const ChartSeries& s = c.series[0];
  double total = 0;
  for (const auto& v : s.values)
    if (v && *v > 0) total += *v;
  if (total <= 0) return;
  const double r = std::max(4.0, std::min(plot.w, plot.h) / 2 - 4);
  const double cx = plot.x + plot.w / 2, cy = plot.y + plot.h / 2;
  const double hole =
      c.kind == Chart::Kind::Doughnut ? r * std::clamp(c.holePercent, 10, 90) / 100 : 0;
  auto at = [&](double angle, double radius) {
    return svgNumber(cx + radius * std::sin(angle)) + "," +
           svgNumber(cy - radius * std::cos(angle));
  };
  double angle = 0;
  for (size_t k = 0; k < s.values.size(); ++k) {
    if (!s.values[k] || *s.values[k] <= 0) continue;
    const double sweep = *s.values[k] / total * 2 * std::numbers::pi;
    // A whole circle is two halves: an arc cannot end where it starts.
    const double end = angle + std::min(sweep, 2 * std::numbers::pi - 1e-4);
    const std::string large = sweep > std::numbers::pi ? "1" : "0";
    std::string d = "M";
    d += at(angle, r) + " A" + svgNumber(r) + "," + svgNumber(r) + " 0 " + large + " 1 " +
         at(end, r);
    d += hole > 0 ? " L" + at(end, hole) + " A" + svgNumber(hole) + "," + svgNumber(hole) + " 0 " +
                        large + " 0 " + at(angle, hole) + " Z"
                  : " L" + svgNumber(cx) + "," + svgNumber(cy) + " Z";
    svg.out += "<path d=\"" + d + "\" fill=\"" +
               svgColour(colourOf(c, k, k < s.point.size() ? s.point[k] : std::nullopt)) +
               "\" stroke=\"#ffffff\"/>";
    angle += sweep;
  }
  // Labels over the slices, between the centre (or hole) and the edge.
  angle = 0;
  for (size_t k = 0; k < s.values.size() && s.labels; ++k) {
    if (!s.values[k] || *s.values[k] <= 0) continue;
    const double sweep = *s.values[k] / total * 2 * std::numbers::pi, middle = angle + sweep / 2;
    const double radius = hole > 0 ? (r + hole) / 2 : r * 0.65;
    svg.text(cx + radius * std::sin(middle), cy - radius * std::cos(middle) + kLabel * 0.35,
             pointLabel(c, 0, k, total), kLabel, "middle");
    angle += sweep;
  }
}

void scatter(Svg& svg, const Chart& c, Box plot) {
  double xmin = 0, xmax = 0, ymin = 0, ymax = 0;
  for (const ChartSeries& s : c.series)
    for (size_t k = 0; k < s.values.size(); ++k) {
      if (!s.values[k]) continue;
      const double x = k < s.xs.size() ? s.xs[k] : static_cast<double>(k + 1);
      xmin = std::min(xmin, x), xmax = std::max(xmax, x);
      ymin = std::min(ymin, *s.values[k]), ymax = std::max(ymax, *s.values[k]);
    }
  const Scale sx = scaleFor(xmin, xmax), sy = scaleFor(ymin, ymax);
  axisTitles(svg, c.valueTitle, c.categoryTitle, plot);
  double labelWidth = 0;
  for (double v : ticks(sy))
    labelWidth = std::max(labelWidth, textWidthGuess(valueLabel(v, c.percentFormat), kLabel));
  plot = {plot.x + labelWidth + 6, plot.y + 4, plot.w - labelWidth - 10, plot.h - kLabel - 10};
  for (double v : ticks(sy)) {
    const double y = plot.y + plot.h - sy.at(v, 0, plot.h);
    svg.line(plot.x, y, plot.x + plot.w, y);
    svg.text(plot.x - 6, y + kLabel * 0.35, valueLabel(v, c.percentFormat), kLabel, "end");
  }
  for (double v : ticks(sx))
    svg.text(sx.at(v, plot.x, plot.w), plot.y + plot.h + kLabel + 4, valueLabel(v, false), kLabel,
             "middle");
  for (size_t i = 0; i < c.series.size(); ++i) {
    const ChartSeries& s = c.series[i];
    for (size_t k = 0; k < s.values.size(); ++k) {
      if (!s.values[k]) continue;
      const double x = k < s.xs.size() ? s.xs[k] : static_cast<double>(k + 1);
      svg.out += "<circle cx=\"" + svgNumber(sx.at(x, plot.x, plot.w)) + "\" cy=\"" +
                 svgNumber(plot.y + plot.h - sy.at(*s.values[k], 0, plot.h)) +
                 "\" r=\"3.5\" fill=\"" + svgColour(colourOf(c, i, s.colour)) + "\"/>";
    }
  }
}

}  // namespace

std::string chartSvg(const Chart& chart, double w, double h) {
  w = std::clamp(w, 40.0, 4000.0), h = std::clamp(h, 40.0, 4000.0);
  Svg svg;
  // The chart's own area: white, in a light frame.
  svg.out += "<rect x=\"0.5\" y=\"0.5\" width=\"" + svgNumber(w - 1) + "\" height=\"" +
             svgNumber(h - 1) + "\" fill=\"#ffffff\" stroke=\"" + kGrid + "\"/>";
  Box plot{kPad, kPad, w - 2 * kPad, h - 2 * kPad};
  if (!chart.title.empty()) {
    svg.text(w / 2, plot.y + kTitle, chart.title, kTitle, "middle");
    plot.y += kTitle + 8, plot.h -= kTitle + 8;
  }
  legend(svg, chart, plot);
  if (plot.w > 20 && plot.h > 20) {
    if (pieLike(chart))
      pie(svg, chart, plot);
    else if (chart.kind == Chart::Kind::Scatter)
      scatter(svg, chart, plot);
    else
      categoryChart(svg, chart, plot);
  }
  return shapeSvg(w, h, svg.out);
}

}  // namespace word::read
