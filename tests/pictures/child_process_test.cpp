// The helper runner under hostile helpers: one that hangs, floods its
// output, leaves its input unread, keeps running after closing its output
// or is not there; and the limits the helper runs under.
#include "support/child_process.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

using support::ChildLimits;
using support::ChildOutcome;
using Status = ChildOutcome::Status;

ChildOutcome shell(const std::string& script, std::string_view input, ChildLimits limits = {}) {
  return support::runLimited({"/bin/sh", "-c", script}, input, limits);
}

TEST(ChildProcess, HostileHelpersEndWithAnOutcome) {
  // A helper that hangs is ended after 300 ms; the others have a minute,
  // room for a loaded machine, so that only a hang times out.
  ChildLimits quick;
  quick.wallMilliseconds = 300;
  quick.outputBytes = 1 << 20;
  ChildLimits roomy = quick;
  roomy.wallMilliseconds = 60000;
  const std::string big(8 << 20, 'x');
  const struct {
    const char* name;
    const char* script;
    const std::string* input;
    Status status;
    int code;
  } cases[] = {
      {"hangs", "sleep 30", nullptr, Status::TimedOut, 0},
      {"closes its output and goes on", "exec >&- <&-; sleep 30", nullptr, Status::TimedOut, 0},
      {"floods its output", "yes", nullptr, Status::OutputTooLarge, 0},
      {"leaves its input unread", "exit 0", &big, Status::Exited, 0},
      {"crashes", "kill -SEGV $$", nullptr, Status::Signalled, 11},
      {"fails", "cat >/dev/null; exit 4", &big, Status::Exited, 4},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const bool hangs = c.status == Status::TimedOut;
    const auto start = std::chrono::steady_clock::now();
    const ChildOutcome out =
        shell(c.script, c.input ? *c.input : std::string_view(), hangs ? quick : roomy);
    EXPECT_EQ(out.status, c.status);
    EXPECT_EQ(out.code, c.code);
    // Never waited for the sleep of 30 s to end.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
  }
  EXPECT_EQ(support::runLimited({"/no/such/helper"}, "x", quick).status, Status::NotStarted);
}

TEST(ChildProcess, InputAndOutputPassWholeBothWays) {
  // More than a socket buffer each way: the runner writes and reads at once.
  std::string input;
  for (int i = 0; input.size() < (6 << 20); ++i) input += std::to_string(i) + '\n';
  const ChildOutcome out = shell("cat", input);
  ASSERT_TRUE(out.succeeded());
  EXPECT_EQ(out.output, input);
}

TEST(ChildProcess, TheHelperRunsUnderItsLimits) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "an address sanitizer's build keeps only the time limits";
#endif
  ChildLimits limits;
  limits.addressSpaceBytes = uint64_t{512} << 20;
  limits.cpuSeconds = 7;
  limits.wallMilliseconds = 60000;  // room for a loaded machine
  const ChildOutcome out = shell("ulimit -v; ulimit -t; ulimit -c; echo err >&2", "", limits);
  ASSERT_TRUE(out.succeeded());
  EXPECT_EQ(out.output, "524288\n7\n0\n");  // standard error goes nowhere
  // Past its memory it fails: 64 MB of text under a limit of 32 MB.
  limits.addressSpaceBytes = uint64_t{32} << 20;
  const ChildOutcome big =
      shell("x=$(head -c 67108864 /dev/zero | tr '\\0' a); echo ${#x}", "", limits);
  EXPECT_FALSE(big.succeeded());
  EXPECT_EQ(big.output.find("67108864"), std::string::npos);
  limits.addressSpaceBytes = uint64_t{512} << 20;
  EXPECT_EQ(shell("x=$(head -c 67108864 /dev/zero | tr '\\0' a); echo ${#x}", "", limits).output,
            "67108864\n");
}

}  // namespace
