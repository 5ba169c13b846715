#pragma once
// One error type for every failure a status line reports: the engine's and
// the program's own. Number, source and description stay apart because the
// status lines print them separately. The detail, when there is one, says
// what failed in the system's own words ("/x/page2.htm: No space left on
// device"): status lines keep their classic texts, and the detail goes
// beside them (standard error on the command line).
#include <cstdint>
#include <stdexcept>
#include <string>

namespace support {

class Error : public std::runtime_error {
 public:
  Error(int32_t number, std::string source, std::string description, std::string detail = {});
  int32_t number() const { return number_; }
  const std::string& source() const { return source_; }
  const std::string& description() const { return description_; }
  const std::string& detail() const { return detail_; }

 private:
  int32_t number_;
  std::string source_;
  std::string description_;
  std::string detail_;
};

}  // namespace support
