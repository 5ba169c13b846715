#include "support/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <thread>

namespace support {
namespace {

using Clock = std::chrono::steady_clock;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif
#else
constexpr bool kAddressSanitizer = false;
#endif

void limit(int resource, rlim_t value) {
  struct rlimit r {
    value, value
  };
  setrlimit(resource, &r);
}

// In the forked child: only calls that are safe after fork() in a process
// that may have threads, up to exec.
[[noreturn]] void becomeChild(int channel, int quiet, char* const* argv,
                              const ChildLimits& limits) {
  dup2(channel, 0);
  dup2(channel, 1);
  if (quiet >= 0) dup2(quiet, 2);
  close_range(3, ~0U, 0);
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  signal(SIGPIPE, SIG_DFL);
  limit(RLIMIT_CORE, 0);
  limit(RLIMIT_CPU, limits.cpuSeconds);
  // An address sanitizer reserves terabytes of address space up front; a
  // build with it keeps the time limits only.
  if (limits.addressSpaceBytes && !kAddressSanitizer) limit(RLIMIT_AS, limits.addressSpaceBytes);
  execv(argv[0], argv);
  _exit(127);
}

// Feeds `input` and collects the output until the child closes its end,
// the deadline passes or the output grows too large.
ChildOutcome::Status exchange(int fd, std::string_view input, Clock::time_point deadline,
                              size_t maxOutput, std::string& output) {
  size_t sent = 0;
  bool writing = true;
  if (input.empty()) {
    shutdown(fd, SHUT_WR);
    writing = false;
  }
  char buffer[65536];
  for (;;) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return ChildOutcome::Status::TimedOut;
    pollfd p{fd, static_cast<short>(POLLIN | (writing ? POLLOUT : 0)), 0};
    int ready = poll(&p, 1, static_cast<int>(left));
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0) return ChildOutcome::Status::Exited;  // the wait tells the rest
    if (writing && (p.revents & (POLLOUT | POLLERR | POLLHUP))) {
      ssize_t n = send(fd, input.data() + sent, input.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
      if (n > 0) sent += static_cast<size_t>(n);
      // A child that stops reading early is its own business: its output
      // and exit status say what came of it.
      if (sent == input.size() || (n < 0 && errno != EAGAIN && errno != EINTR)) {
        shutdown(fd, SHUT_WR);
        writing = false;
      }
    }
    if (p.revents & (POLLIN | POLLHUP | POLLERR)) {
      ssize_t n = recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
      if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR))
        return ChildOutcome::Status::Exited;
      if (n > 0) {
        if (output.size() + static_cast<size_t>(n) > maxOutput)
          return ChildOutcome::Status::OutputTooLarge;
        output.append(buffer, static_cast<size_t>(n));
      }
    }
  }
}

// Waits for the child to end, killing it at the deadline: one that closed
// its output may still be running.
int reap(pid_t pid, Clock::time_point deadline, bool& killed) {
  int status = 0;
  for (auto pause = std::chrono::microseconds(100);;) {
    const pid_t done = waitpid(pid, &status, killed ? 0 : WNOHANG);
    if (done == pid) return status;
    if (done < 0 && errno != EINTR) return status;
    if (!killed && Clock::now() >= deadline) {
      kill(pid, SIGKILL);
      killed = true;
    } else if (!killed) {
      std::this_thread::sleep_for(pause);
      pause = std::min(pause * 2, std::chrono::microseconds(20000));
    }
  }
}

}  // namespace

ChildOutcome runLimited(const std::vector<std::string>& argv, std::string_view input,
                        const ChildLimits& limits) {
  ChildOutcome outcome;
  if (argv.empty()) return outcome;
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  int pair[2];
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) return outcome;
  const int quiet = open("/dev/null", O_WRONLY | O_CLOEXEC);
  const pid_t pid = fork();
  if (pid == 0) becomeChild(pair[1], quiet, args.data(), limits);
  close(pair[1]);
  if (quiet >= 0) close(quiet);
  if (pid < 0) {
    close(pair[0]);
    return outcome;
  }
  const auto deadline = Clock::now() + std::chrono::milliseconds(limits.wallMilliseconds);
  outcome.status = exchange(pair[0], input, deadline, limits.outputBytes, outcome.output);
  close(pair[0]);
  bool killed = outcome.status != ChildOutcome::Status::Exited;
  if (killed) kill(pid, SIGKILL);
  const int status = reap(pid, deadline, killed);
  if (killed && outcome.status == ChildOutcome::Status::Exited)
    outcome.status = ChildOutcome::Status::TimedOut;
  if (outcome.status != ChildOutcome::Status::Exited) return outcome;
  if (WIFSIGNALED(status)) {
    outcome.status = ChildOutcome::Status::Signalled;
    outcome.code = WTERMSIG(status);
  } else {
    outcome.code = WEXITSTATUS(status);
    // exec failed: the program is missing or cannot run.
    if (outcome.code == 127 && outcome.output.empty())
      outcome.status = ChildOutcome::Status::NotStarted;
  }
  return outcome;
}

}  // namespace support
