// A table's and its cells' own properties: the table's place, width and
// the room between its cells; a cell's fill, alignment, flow and margins.
#include "word/read/docx/styles.h"
#include "word/read/docx/xml.h"

namespace word::read::docx {

std::optional<uint32_t> cellFill(const pugi::xml_node& tcPr, const Theme& theme) {
  pugi::xml_node shd = child(tcPr, "shd");
  if (!shd) return std::nullopt;
  const uint32_t c = shading(shd, theme);
  if (c == kAutoColor) return std::nullopt;
  return c;
}

TextFlow cellFlow(const pugi::xml_node& tcPr) {
  // The transitional names and the strict ones ("tb": top to bottom, the
  // lines stacked right to left; "lr" with "V": letters turned).
  const std::string_view v = val(child(tcPr, "textDirection"));
  if (v == "btLr" || v == "lr") return TextFlow::Up;
  if (v == "tbRl" || v == "rl" || v == "tbRlV" || v == "rlV") return TextFlow::Down;
  return TextFlow::Across;
}

std::optional<VAlign> cellAlignment(const pugi::xml_node& tcPr) {
  const std::string_view v = val(child(tcPr, "vAlign"));
  if (v == "top") return VAlign::Top;
  if (v == "center" || v == "both") return VAlign::Center;
  if (v == "bottom") return VAlign::Bottom;
  return std::nullopt;
}

void TablePlacement::read(const pugi::xml_node& tblPr) {
  const std::string_view jc = val(child(tblPr, "jc"));
  if (jc == "center")
    align = Align::Center;
  else if (jc == "right" || jc == "end")
    align = Align::Right;
  else if (jc == "left" || jc == "start")
    align = Align::Left;
  // A floating table placed at the right or in the middle stands there.
  const std::string_view spec = val(child(tblPr, "tblpPr"), "tblpXSpec");
  if (spec == "right" || spec == "outside")
    align = Align::Right;
  else if (spec == "center")
    align = Align::Center;
  pugi::xml_node ind = child(tblPr, "tblInd");
  const std::string_view type = val(ind, "type");
  if (ind && (type.empty() || type == "dxa"))
    if (auto w = intAttr(ind, "w")) indent = clampInt(*w, -31680, 31680);
  if (pugi::xml_node bidi = child(tblPr, "bidiVisual")) rightToLeft = onOff(bidi);
  margins.read(child(tblPr, "tblCellMar"));
  if (auto room = tableSpacing(child(tblPr, "tblCellSpacing"))) cellSpacing = room;
  if (pugi::xml_node layout = child(tblPr, "tblLayout")) fixed = val(layout, "type") == "fixed";
  pugi::xml_node w = child(tblPr, "tblW");
  const std::string_view wide = val(w, "w"), kind = val(w, "type");
  if (kind == "dxa" || (kind.empty() && w)) {
    if (auto v = intAttr(w, "w")) width = *v;
  } else if (kind == "pct") {
    // Fiftieths of a percent, or a percentage where it ends with one.
    if (auto v = number(wide.substr(0, wide.find('%'))))
      widthShare = clampInt(wide.ends_with('%') ? *v * 50 : *v, 0, 5000);
  }
}

std::optional<int32_t> tableSpacing(const pugi::xml_node& spacing) {
  const std::string_view type = val(spacing, "type");
  if (spacing && type == "nil") return 0;
  if (spacing && (type.empty() || type == "dxa")) return intAttr(spacing, "w");
  return std::nullopt;
}

void TablePlacement::over(const TablePlacement& top) {
  take(align, top.align);
  take(indent, top.indent);
  take(rightToLeft, top.rightToLeft);
  margins.over(top.margins);
  take(cellSpacing, top.cellSpacing);
  take(width, top.width);
  take(widthShare, top.widthShare);
  take(fixed, top.fixed);
}

void CellMargins::read(const pugi::xml_node& margins) {
  static constexpr const char* kNames[4][2] = {
      {"top", "top"}, {"start", "left"}, {"bottom", "bottom"}, {"end", "right"}};
  for (size_t i = 0; i < sides.size(); ++i) {
    pugi::xml_node side = child(margins, kNames[i][0]);
    if (!side) side = child(margins, kNames[i][1]);
    const std::string_view type = val(side, "type");
    if (side && (type.empty() || type == "dxa"))
      if (auto w = intAttr(side, "w")) sides[i] = static_cast<int16_t>(clampInt(*w, 0, 1440));
  }
}

void CellMargins::over(const CellMargins& top) {
  for (size_t i = 0; i < sides.size(); ++i) take(sides[i], top.sides[i]);
}

std::array<int16_t, 4> CellMargins::shown() const {
  std::array<int16_t, 4> out;
  for (size_t i = 0; i < sides.size(); ++i) out[i] = sides[i].value_or(-1);
  return out;
}

}  // namespace word::read::docx
