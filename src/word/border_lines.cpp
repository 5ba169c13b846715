#include "word/border_lines.h"

#include <algorithm>

namespace word::ops {

uint8_t borderLineNumber(std::vector<SideLines>& lines, SideLines sides) {
  for (Border& b : sides) b.room = 0;
  auto it = std::find(lines.begin(), lines.end(), sides);
  if (it == lines.end()) {
    if (lines.size() >= Model::kMaxBorderLines) return 0;
    it = lines.insert(lines.end(), sides);
  }
  return static_cast<uint8_t>(it - lines.begin() + 1);
}

std::vector<uint8_t> mapBorderLines(Model& model, const Model& fragment) {
  const std::vector<SideLines>& from = fragment.borderLines;
  if (from.size() <= model.borderLines.size() &&
      std::equal(from.begin(), from.end(), model.borderLines.begin()))
    return {};
  std::vector<uint8_t> map(from.size() + 1, 0);
  for (size_t i = 0; i < from.size(); ++i)
    map[i + 1] = borderLineNumber(model.borderLines, from[i]);
  return map;
}

void mapThirdLine(const std::vector<uint8_t>& map, ParagraphFormat& f) {
  if (map.empty()) return;
  f.thirdLine = f.thirdLine < map.size() ? map[f.thirdLine] : 0;
}

}  // namespace word::ops
