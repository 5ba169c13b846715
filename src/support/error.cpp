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
      {5, "Invalid procedure call or argument"},
      {6, "Overflow"},
      {7, "Out of memory"},
      {9, "Subscript out of range"},
      {11, "Division by zero"},
      {13, "Type mismatch"},
      {52, "Bad file name or number"},
      {53, "File not found"},
      {54, "Bad file mode"},
      {55, "File already open"},
      {57, "Device I/O error"},
      {58, "File already exists"},
      {61, "Disk full"},
      {62, "Input past end of file"},
      {67, "Too many files"},
      {68, "Device unavailable"},
      {70, "Permission denied"},
      {71, "Disk not ready"},
      {74, "Can't rename with different drive"},
      {75, "Path/File access error"},
      {76, "Path not found"},
  };
  auto it = texts.find(number);
  return it == texts.end() ? "Application-defined or object-defined error" : it->second;
}

void raise(int32_t number) {
  throw Error(number, kProgramSource, runtimeErrorText(number));
}

std::string statusNumber(int64_t n) {
  std::string s = std::to_string(n);
  if (n >= 0) s.insert(s.begin(), ' ');
  return s;
}

}  // namespace support
