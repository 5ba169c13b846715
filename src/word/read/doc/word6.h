#pragma once
// Word 6.0/95 files store property modifiers with one-byte codes and other
// operand layouts. Translating them into the later two-byte form lets one
// set of property code serve both generations.
#include <string>

#include "word/read/doc/bytes.h"

namespace word::read::doc {

// The grpprl in later form; modifiers without a later meaning are dropped,
// and an unknown code ends the translation (its size is unknown). A
// paragraph numbered by the older numbering (a number or bullet the word
// processor makes, which is not read) sets `numbered`.
std::string translateWord6Sprms(Bytes grpprl, bool* numbered = nullptr);

}  // namespace word::read::doc
