#include "word/language_numbers.h"

#include <algorithm>

namespace word::ops {

uint8_t languageNumber(std::vector<std::string>& languages, std::string_view tag) {
  if (tag.empty()) return 0;
  auto it = std::find(languages.begin(), languages.end(), tag);
  if (it == languages.end()) {
    if (languages.size() >= Model::kMaxLanguages) return 0;
    it = languages.insert(languages.end(), std::string(tag));
  }
  return static_cast<uint8_t>(it - languages.begin() + 1);
}

std::vector<uint8_t> mapLanguages(Model& model, const Model& fragment) {
  const std::vector<std::string>& from = fragment.languages;
  if (from.size() <= model.languages.size() &&
      std::equal(from.begin(), from.end(), model.languages.begin()))
    return {};
  std::vector<uint8_t> map(from.size() + 1, 0);
  for (size_t i = 0; i < from.size(); ++i) map[i + 1] = languageNumber(model.languages, from[i]);
  return map;
}

uint8_t mappedLanguage(const std::vector<uint8_t>& map, uint8_t language) {
  if (map.empty()) return language;
  return language < map.size() ? map[language] : 0;
}

}  // namespace word::ops
