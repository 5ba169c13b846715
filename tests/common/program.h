#pragma once
// The program run as a user runs it, for tests of whole runs.
#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "../common/fixtures.h"

namespace testing_support {

struct ProgramResult {
  int exit = -1;
  std::string out, err;
};

inline std::string shellQuote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

// Runs the program with `args` in `folder`, `env` ("NAME=value ...") set
// for it; collects its exit status and both output streams.
inline ProgramResult runProgram(const std::string& folder, const std::vector<std::string>& args,
                                const std::string& env = "") {
  // Appended piece by piece: GCC 12 at -O3 wrongly warns of overlapping
  // copies where a literal goes before a temporary string.
  std::string cmd = "cd ";
  cmd.append(shellQuote(folder))
      .append(" && ")
      .append(env)
      .append(" ")
      .append(shellQuote(RD_PROGRAM));
  for (const auto& a : args) cmd.append(" ").append(shellQuote(a));
  const std::string out = folder + ".out", err = folder + ".err";
  cmd.append(" >").append(shellQuote(out)).append(" 2>").append(shellQuote(err));
  const int status = std::system(cmd.c_str());
  ProgramResult r;
  r.exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  r.out = readBytes(out);
  r.err = readBytes(err);
  fs::remove(out);
  fs::remove(err);
  return r;
}

}  // namespace testing_support
