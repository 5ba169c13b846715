#pragma once
// What the MTEF reader (mtef.cpp) and its templates' linear forms
// (mtef_forms.cpp) share. Internal to the readers.
#include <cstdint>
#include <string>
#include <vector>

namespace word::read::mtef {

// Typefaces of CHAR records that say how to read the character.
enum Typeface : int {
  kFnFunction = 2,
  kFnLcGreek = 4,
  kFnUcGreek = 5,
  kFnSymbol = 6,
  kFnMarker = 23,
  kFnSpace = 24,
};

// A template's subobjects: its slots (lines) and its characters (a sum's
// sign, a fence), each in the order written.
struct Parts {
  std::vector<std::u16string> slots;
  std::vector<std::u16string> chars;
  std::u16string slot(size_t i) const { return i < slots.size() ? slots[i] : std::u16string(); }
};

// A template's linear text, by the selector and variation of MTEF 5 or of
// the older versions (their selectors are numbered otherwise).
std::u16string templateText5(uint8_t selector, uint16_t variation, const Parts& p);
std::u16string templateText3(uint8_t selector, uint16_t variation, const Parts& p);

// A character's text: `code` is Unicode (MTCode) unless `fontPosition`,
// when the typeface's font says what it shows. Empty for the editor's
// spaces and marks.
std::u16string charText(int typeface, uint16_t code, bool fontPosition);

// The mark an EMBELL record puts on its character (a prime, a dot above).
std::u16string embellishment(uint8_t type);

}  // namespace word::read::mtef
