#pragma once
// List styles of an OpenDocument text (text:list-style and the outline
// style of numbered headings) and the counters that turn them into the
// labels a list shows.
#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <pugixml.hpp>
#include <string>
#include <string_view>

#include "word/read/odt/styles.h"

namespace word::read::odt {

class Lists {
 public:
  static constexpr int kLevels = 10;

  struct Level {
    bool bullet = false;  // a bullet or a picture, not a number
    std::string format;   // style:num-format: "1", "a", "A", "i", "I"; empty: no number
    bool letterSync = false;
    std::u16string prefix, suffix, bulletChar;
    std::optional<std::u16string> pattern;  // a label template: "%1%.%2%."
    int displayLevels = 1;
    int64_t start = 1;
    ListIndents indents;  // where its labels are aligned to a position
    LabelFollow follow = LabelFollow::Tab;
    std::string textStyle;  // the text style of its labels
  };
  struct Style {
    std::array<Level, kLevels> levels;
  };
  // One run of numbering: a list and the lists that continue it.
  struct Counter {
    int32_t id = 0;
    std::array<int64_t, kLevels> value{};
    std::array<bool, kLevels> started{};
  };
  struct Label {
    std::u16string text;
    bool ordered = true;
    LabelFollow follow = LabelFollow::Tab;
    const Level* level = nullptr;  // the style's level it counts at
  };

  // Reads the list styles among `styles` (office:styles or automatic
  // styles), and the outline style.
  void load(const pugi::xml_node& styles, bool automatic, const FontFaces& faces);
  // A list style as the content names it: automatic first, then common.
  const Style* find(const std::string& name) const;
  const Style& outline() const { return outline_; }
  // Whether a list names the outline style: its headings are numbered as
  // headings are.
  bool isOutline(std::string_view name) const { return !name.empty() && name == outlineName_; }

  Counter& newCounter();
  // Counts an item at `level` (0-based), at `restart` when it sets its own
  // number, and gives its label; deeper levels start again after it.
  static Label count(Counter& counter, const Style& style, int level,
                     std::optional<int64_t> restart);

 private:
  static Level readLevel(const pugi::xml_node& n, const FontFaces& faces);

  std::map<std::string, Style, std::less<>> common_, automatic_;
  Style outline_;
  std::string outlineName_;
  std::deque<Counter> counters_;  // stable: the reader holds pointers
};

}  // namespace word::read::odt
