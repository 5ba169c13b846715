#include "word/font_names.h"

#include <mutex>
#include <unordered_map>
#include <vector>

namespace word {

namespace {

struct Names {
  std::mutex lock;  // documents are read on several threads at once
  std::vector<std::u16string> byId{std::u16string()};
  std::unordered_map<std::u16string, uint16_t> ids;
};

Names& names() {
  static Names n;
  return n;
}

}  // namespace

uint16_t asianFontId(std::u16string_view name) {
  if (name.empty() || name.size() > 256) return 0;
  Names& n = names();
  std::lock_guard<std::mutex> hold(n.lock);
  std::u16string key(name);
  if (auto it = n.ids.find(key); it != n.ids.end()) return it->second;
  if (n.byId.size() > kMaxAsianFonts) return 0;
  const auto id = static_cast<uint16_t>(n.byId.size());
  n.byId.push_back(key);
  n.ids.emplace(std::move(key), id);
  return id;
}

std::u16string asianFontName(uint16_t id) {
  Names& n = names();
  std::lock_guard<std::mutex> hold(n.lock);
  return id < n.byId.size() ? n.byId[id] : std::u16string();
}

}  // namespace word
