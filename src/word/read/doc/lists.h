#pragma once
// List numbering of Word 97-2003 files: the list table, the override table
// and the counters that turn them into labels.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "word/model.h"
#include "word/read/doc/bytes.h"
#include "word/read/look.h"

namespace word::read::doc {

struct ListLevel {
  int32_t start = 1;
  uint8_t nfc = 0;       // number format
  bool legal = false;    // all numbers of the label in arabic
  bool noRestart = false;
  uint8_t follow = 0;    // 0 tab, 1 space, 2 nothing
  std::u16string text;   // chars 0..8 stand for the number of that level
  int32_t font = -1;     // font of the label, -1 when not set
  LabelLook look;        // the label's own weight, slant, size, colour
  std::string papx;      // the paragraph properties it gives its items
};

struct ListDef {
  int32_t lsid = 0;
  std::array<ListLevel, 9> levels;
};

struct ListOverride {
  int32_t list = -1;  // index into the list table
  std::array<std::optional<int32_t>, 9> startAt;
  std::array<std::optional<ListLevel>, 9> levels;
};

struct ListLabel {
  int32_t listId = -1;
  bool ordered = false;
  LabelFollow follow = LabelFollow::Tab;
  int32_t font = -1;
  LabelLook look;
  std::u16string text;
};

class Lists {
 public:
  void read(Bytes table, uint32_t fcLst, uint32_t lcbLst, uint32_t fcLfo, uint32_t lcbLfo);
  // The label of the next paragraph in override `ilfo` (1-based) at `ilvl`;
  // advances the counters. Nothing when the override does not exist.
  std::optional<ListLabel> next(int32_t ilfo, uint8_t ilvl);

  // The level that formats paragraphs of override `ilfo` at `ilvl`;
  // nullptr when there is none.
  const ListLevel* levelOf(int32_t ilfo, uint8_t ilvl) const;

  size_t listCount() const { return lists_.size(); }
  size_t overrideCount() const { return overrides_.size(); }

 private:
  struct Counter {
    std::array<int32_t, 9> value{};
    std::array<bool, 9> seen{};
  };
  std::vector<ListDef> lists_;
  std::vector<ListOverride> overrides_;
  std::vector<Counter> counters_;        // per list
  std::vector<bool> overrideUsed_;       // per override
};

// A number in a list number format ("iv", "D", "04"...).
std::u16string formatNumber(int32_t n, uint8_t nfc);

}  // namespace word::read::doc
