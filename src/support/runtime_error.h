#pragma once
// The program's own run-time errors: classic numbers and texts.
#include <cstdint>
#include <string>

#include "support/error.h"

namespace support {

// Source name the program's own errors carry in status lines.
inline constexpr const char* kProgramSource = "Raredozud";

// The classic text for a run-time error number ("Overflow" for 6, ...).
std::string runtimeErrorText(int32_t number);

// Throws Error with the program's source and the classic text.
[[noreturn]] void raise(int32_t number);

// The number as status lines write it: one blank before a non-negative
// number, the minus sign before a negative one.
std::string statusNumber(int64_t n);

}  // namespace support
