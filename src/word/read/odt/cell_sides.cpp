// Borders and the room inside cells, as OpenDocument styles give them.
#include <algorithm>

#include "word/read/odt/styles.h"
#include "word/read/xml.h"

namespace word::read::odt {

Border border(std::string_view value) {
  static const struct {
    const char* name;
    LineStyle style;
  } kStyles[] = {{"none", LineStyle::None},          {"hidden", LineStyle::None},
                 {"solid", LineStyle::Single},       {"double", LineStyle::Double},
                 {"double-thin", LineStyle::Double}, {"dotted", LineStyle::Dotted},
                 {"dashed", LineStyle::Dashed},      {"fine-dashed", LineStyle::Dashed},
                 {"dash-dot", LineStyle::DotDash},   {"dash-dot-dot", LineStyle::DotDash},
                 {"groove", LineStyle::Groove},      {"ridge", LineStyle::Ridge},
                 {"inset", LineStyle::Inset},        {"outset", LineStyle::Outset}};
  Border b{LineStyle::None, 0, 0, kAutoColor};
  bool styled = false;
  int32_t width = 6;  // eighths of a point: a thin line
  for (size_t at = 0; at < value.size();) {
    const size_t end = std::min(value.find(' ', at), value.size());
    const std::string_view word = value.substr(at, end - at);
    at = end + 1;
    if (word.empty()) continue;
    if (word == "thin" || word == "medium" || word == "thick") {
      width = word == "thin" ? 6 : word == "medium" ? 18 : 30;
    } else if (auto tw = twips(word)) {
      width = std::clamp<int32_t>(*tw * 2 / 5, 0, kMaxBorderWidth);
    } else if (word.front() == '#') {
      b.color = color(word).value_or(kAutoColor);
    } else {
      // A style this reader does not know still draws a line.
      b.style = LineStyle::Single;
      for (const auto& s : kStyles)
        if (word == s.name) b.style = s.style;
      styled = true;
    }
  }
  if (!styled || b.style == LineStyle::None) return Border{LineStyle::None, 0, 0, kAutoColor};
  // A double border's width is its two lines and the gap between; the
  // model's is each line's.
  if (b.style == LineStyle::Double) width = (width + 2) / 3;
  b.width = static_cast<uint8_t>(width);
  return b;
}

void CellSides::read(const pugi::xml_node& props) {
  if (std::string_view v = attrValue(props, "background-color"); !v.empty())
    background = color(v).value_or(kAutoColor);
  if (std::string_view all = attrValue(props, "border"); !all.empty()) side.fill(border(all));
  const char* names[] = {"border-top", "border-left", "border-bottom", "border-right"};
  for (size_t i = 0; i < side.size(); ++i)
    if (std::string_view v = attrValue(props, names[i]); !v.empty()) side[i] = border(v);
  const char* rooms[] = {"padding-top", "padding-left", "padding-bottom", "padding-right"};
  auto room = [](std::string_view v) -> std::optional<int16_t> {
    if (auto tw = twips(v)) return static_cast<int16_t>(std::clamp(*tw, 0, 1440));
    return std::nullopt;
  };
  if (auto all = room(attrValue(props, "padding"))) padding.fill(all);
  for (size_t i = 0; i < padding.size(); ++i)
    if (auto one = room(attrValue(props, rooms[i]))) padding[i] = one;
}

void CellSides::over(const CellSides& top) {
  take(background, top.background);
  for (size_t i = 0; i < side.size(); ++i) {
    if (top.side[i]) side[i] = top.side[i];
    take(padding[i], top.padding[i]);
  }
}

}  // namespace word::read::odt
