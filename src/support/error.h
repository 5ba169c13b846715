#pragma once
// One error type for every failure a status line reports: the engine's and
// the program's own. Number, source and description stay apart because the
// status lines print them separately.
#include <cstdint>
#include <stdexcept>
#include <string>

namespace support {

class Error : public std::runtime_error {
 public:
  Error(int32_t number, std::string source, std::string description);
  int32_t number() const { return number_; }
  const std::string& source() const { return source_; }
  const std::string& description() const { return description_; }

 private:
  int32_t number_;
  std::string source_;
  std::string description_;
};

}  // namespace support
