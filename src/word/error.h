#pragma once
// Errors of the document engine.
#include <cstdint>
#include <string>

#include "support/error.h"

namespace word {

using Error = support::Error;

// Source name of errors raised by the engine.
inline constexpr const char* kEngineSource = "Raredozud.Word";

// Engine error numbers, modelled on the word processor's automation numbers.
enum EngineError : int32_t {
  kCannotOpen = 5981,         // damaged, empty or of unknown content
  kFileNotFound = 5174,       // the file does not exist or cannot be read
  kPasswordProtected = 5408,  // encrypted document
  kNoDocument = 4248,         // no document is open
  kBadParameter = 5843,       // an argument out of range (unknown save format ...)
  kNoSuchMember = 5941,       // requested member of a collection does not exist
  kCannotSave = 5153,         // the file could not be written
  kNothingToPaste = 4605,     // paste with an empty clipboard
};

// Throws Error{number, kEngineSource, description}.
[[noreturn]] void fail(int32_t number, const std::string& description);

}  // namespace word
