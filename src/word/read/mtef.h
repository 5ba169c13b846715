#pragma once
// Equations made with the equation editor (OLE objects such as
// "Equation.3"): their objects keep the equation as MTEF records in an
// "Equation Native" stream. Read here into the linear text the Office Math
// reader writes ("a/b", "x^2", "√x", "∑_(i=1)^n▒i"), for the alternative
// text of the picture that shows the equation.
#include <cstddef>
#include <string>
#include <string_view>

namespace word::read {

// Longer linear text is no help as alternative text; such an equation gets
// none.
inline constexpr size_t kMaxEquationText = 4096;

// The linear text of the equation in an "Equation Native" stream (a 28-byte
// header, then MTEF). Empty when the stream is damaged, of an MTEF version
// other than 2, 3 and 5, or its text longer than kMaxEquationText.
std::u16string equationNativeText(std::string_view stream);

// The same, from MTEF bytes alone (its own header first).
std::u16string mtefText(std::string_view mtef);

}  // namespace word::read
