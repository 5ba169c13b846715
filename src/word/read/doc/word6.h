#pragma once
// Word 6.0/95 files store property modifiers with one-byte codes and other
// operand layouts. Translating them into the later two-byte form lets one
// set of property code serve both generations.
#include <string>

#include "word/read/doc/bytes.h"

namespace word::read::doc {

// The grpprl in later form; modifiers without a later meaning are dropped,
// and an unknown code ends the translation (its size is unknown).
std::string translateWord6Sprms(Bytes grpprl);

}  // namespace word::read::doc
