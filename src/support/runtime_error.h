#pragma once
// The program's own run-time errors: classic numbers and texts.
#include <cstdint>
#include <string>

#include "support/error.h"

namespace support {

// The program's own run-time errors, by their classic numbers; the texts
// beside them are what status lines show.
enum RuntimeError : int32_t {
  kInvalidCall = 5,           // "Invalid procedure call or argument"
  kOverflow = 6,              // "Overflow"
  kOutOfMemory = 7,           // "Out of memory"
  kSubscriptOutOfRange = 9,   // "Subscript out of range"
  kDivisionByZero = 11,       // "Division by zero"
  kTypeMismatch = 13,         // "Type mismatch"
  kInternalError = 51,        // "Internal error", with what went wrong
  kBadFileName = 52,          // "Bad file name or number"
  kFileNotFound = 53,         // "File not found"
  kBadFileMode = 54,          // "Bad file mode"
  kFileAlreadyOpen = 55,      // "File already open"
  kDeviceIOError = 57,        // "Device I/O error"
  kFileAlreadyExists = 58,    // "File already exists"
  kDiskFull = 61,             // "Disk full"
  kInputPastEnd = 62,         // "Input past end of file"
  kTooManyFiles = 67,         // "Too many files"
  kDeviceUnavailable = 68,    // "Device unavailable"
  kPermissionDenied = 70,     // "Permission denied"
  kDiskNotReady = 71,         // "Disk not ready"
  kRenameAcrossDrives = 74,   // "Can't rename with different drive"
  kPathFileAccessError = 75,  // "Path/File access error"
  kPathNotFound = 76,         // "Path not found"
};

// Source name the program's own errors carry in status lines.
inline constexpr const char* kProgramSource = "Raredozud";

// The classic text for a run-time error number ("Overflow" for 6, ...).
std::string runtimeErrorText(int32_t number);

// Throws Error with the program's source and the classic text, and why in
// the system's own words when given.
[[noreturn]] void raise(RuntimeError number, std::string detail = {});

// The number as status lines write it: one blank before a non-negative
// number, the minus sign before a negative one.
std::string statusNumber(int64_t n);

}  // namespace support
