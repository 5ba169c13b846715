#pragma once
// Turning whatever a step threw into the number, source and description
// that status lines print.
#include <string>

#include "support/error.h"

namespace course {

// The exception being handled, as a support::Error: engine and run-time
// errors pass through; out of memory is error 7; anything else is error 51
// with its own text. Call only inside a catch block.
support::Error currentError();

// number + " in " + source + ":" + description, the number as status lines
// write it (one blank before a non-negative number).
std::u16string errorDetail(const support::Error& e);

}  // namespace course
