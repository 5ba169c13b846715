#pragma once
// List numbering of a Word 2007+ document: the definitions of
// numbering.xml and the counters that turn them into displayed labels.
#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <pugixml.hpp>
#include <string>

#include "word/read/look.h"

namespace word::read::docx {

// Formats n in one of the number formats of a list level or note mark
// ("decimal", "lowerRoman", "upperLetter", "chicago", ...).
std::u16string formatNumber(int64_t n, std::string_view format);

class Numbering {
 public:
  struct Item {
    int32_t listId = 0;
    bool ordered = false;
    LabelFollow follow = LabelFollow::Tab;
    std::u16string label;
    ListIndents indents;  // the level's
    LabelLook look;       // the level's
  };

  // `numberingStyles` maps a numbering style id to the numId in its pPr
  // (for numStyleLink indirection).
  void load(const pugi::xml_node& root, const std::map<std::string, std::string>& numberingStyles);

  // The next item of list `numId` at level `level`; advances the counters.
  // nullopt when the list is not defined (or is numId 0: "no list").
  std::optional<Item> next(const std::string& numId, int level);

  // The level of list `numId` that names paragraph style `styleId` (lists
  // attached to heading styles); -1 when none does.
  int levelForStyle(const std::string& numId, const std::string& styleId) const;

 private:
  struct Level {
    int64_t start = 1;
    std::string format = "decimal";
    std::u16string text;
    std::string textFont;
    std::string paragraphStyle;
    int restart = -1;  // -1: after any higher level; 0: never
    bool legal = false;
    LabelFollow follow = LabelFollow::Tab;
    ListIndents indents;
    LabelLook look;
  };
  struct Abstract {
    std::array<Level, 9> levels;
    std::string numStyleLink;
  };
  struct Num {
    std::string abstractId;
    std::array<std::optional<int64_t>, 9> startOverride;
    std::array<std::optional<Level>, 9> levelOverride;
    std::array<pugi::xml_node, 9> levelNode;
    bool overrides = false;
  };
  struct Counter {
    int32_t id = 0;
    std::array<int64_t, 9> value{};
    std::array<bool, 9> started{};
  };

  static Level readLevel(const pugi::xml_node& lvl, Level base);
  const Abstract* abstractOf(const Num& num) const;

  std::map<std::string, Abstract> abstracts_;
  std::map<std::string, Num> nums_;
  std::map<std::string, std::string> numberingStyles_;
  std::map<std::string, Counter> counters_;
};

}  // namespace word::read::docx
