#include "support/error.h"

#include <map>

#include "support/runtime_error.h"

namespace support {

Error::Error(int32_t number, std::string source, std::string description, std::string detail)
    : std::runtime_error(source + ": " + description),
      number_(number),
      source_(std::move(source)),
      description_(std::move(description)),
      detail_(std::move(detail)) {}

std::string runtimeErrorText(int32_t number) {
  static const std::map<int32_t, const char*> texts = {
      {kInvalidCall, "Invalid procedure call or argument"},
      {kOverflow, "Overflow"},
      {kOutOfMemory, "Out of memory"},
      {kSubscriptOutOfRange, "Subscript out of range"},
      {kDivisionByZero, "Division by zero"},
      {kTypeMismatch, "Type mismatch"},
      {kBadFileName, "Bad file name or number"},
      {kFileNotFound, "File not found"},
      {kBadFileMode, "Bad file mode"},
      {kFileAlreadyOpen, "File already open"},
      {kDeviceIOError, "Device I/O error"},
      {kFileAlreadyExists, "File already exists"},
      {kDiskFull, "Disk full"},
      {kInputPastEnd, "Input past end of file"},
      {kTooManyFiles, "Too many files"},
      {kDeviceUnavailable, "Device unavailable"},
      {kPermissionDenied, "Permission denied"},
      {kDiskNotReady, "Disk not ready"},
      {kRenameAcrossDrives, "Can't rename with different drive"},
      {kPathFileAccessError, "Path/File access error"},
      {kPathNotFound, "Path not found"},
  };
  auto it = texts.find(number);
  return it == texts.end() ? "Application-defined or object-defined error" : it->second;
}

void raise(RuntimeError number, std::string detail) {
  throw Error(number, kProgramSource, runtimeErrorText(number), std::move(detail));
}

std::string statusNumber(int64_t n) {
  std::string s = std::to_string(n);
  if (n >= 0) s.insert(s.begin(), ' ');
  return s;
}

}  // namespace support
