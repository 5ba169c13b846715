#pragma once
// What the readers share in writing an equation as linear text ("a/(b+1)",
// "x^2"), as a plain-text export writes it, and as MathML.
#include <unicode/uchar.h>

#include <string>
#include <string_view>

namespace word::read {

// A part of the linear text that needs no brackets to stand as one operand.
inline std::u16string linearOperand(const std::u16string& s) {
  bool simple = !s.empty();
  for (char16_t c : s) simple = simple && (u_isalnum(c) || c == u'.');
  return simple || s.size() == 1 ? s : u"(" + s + u")";
}

}  // namespace word::read
