#pragma once
// Runs a helper program under limits on its time and memory: bytes go to
// its standard input, its standard output comes back. Whatever the helper
// does (crashes, loops, floods its output), the caller gets an outcome and
// the helper is gone.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace support {

struct ChildLimits {
  uint64_t addressSpaceBytes = uint64_t{1} << 30;  // 0: no limit
  unsigned cpuSeconds = 10;
  unsigned wallMilliseconds = 20000;      // then it is killed
  size_t outputBytes = size_t{64} << 20;  // more, and it is killed
};

struct ChildOutcome {
  enum class Status { NotStarted, Exited, Signalled, TimedOut, OutputTooLarge };
  Status status = Status::NotStarted;
  int code = 0;  // the exit status, or the signal that ended it
  std::string output;
  bool succeeded() const { return status == Status::Exited && code == 0; }
};

// `argv[0]` is the program's path (no search of PATH). Its standard error
// goes nowhere: helpers' complaints are not the user's.
ChildOutcome runLimited(const std::vector<std::string>& argv, std::string_view input,
                        const ChildLimits& limits);

}  // namespace support
