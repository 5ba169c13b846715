#include "app/sinks.h"

#include <spawn.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "support/codepage.h"
#include "support/files.h"
#include "support/runtime_error.h"

extern char** environ;

namespace app {

void LogFile::writeLog(const std::u16string& message) {
  std::FILE* f = std::fopen(path_.c_str(), "ab");
  if (!f) support::raiseFileError(errno, true);
  const std::string line = support::toUtf8(message) + "\r\n";
  const bool written = std::fwrite(line.data(), 1, line.size(), f) == line.size();
  const int writeErrno = errno;
  const bool closed = std::fclose(f) == 0;
  if (!written || !closed) support::raiseFileError(written ? errno : writeErrno, true);
}

void StreamStatus::showStatus(const std::u16string& message) {
  const std::string line = support::toUtf8(message) + "\n";
  if (std::fwrite(line.data(), 1, line.size(), out_) != line.size() || std::fflush(out_) != 0)
    support::raise(57);
}

namespace {

// argv for /bin/sh running the script; the strings stay owned by `args`.
std::vector<char*> shellArgv(std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  return argv;
}

void reap(pid_t pid) {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
}

}  // namespace

void ShellStarter::start(const std::string& script, const std::vector<std::string>& arguments) {
  if (::access(script.c_str(), R_OK) != 0) support::raiseFileError(errno, false);
  std::vector<std::string> args = {"sh", script};
  args.insert(args.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv = shellArgv(args);
  if (wait_) {
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, "/bin/sh", nullptr, nullptr, argv.data(), environ);
    if (rc != 0) support::raiseFileError(rc, false);
    reap(pid);
    return;
  }
  // Detached: an intermediate child starts the script and ends at once, so
  // the script is adopted by init and never left as a zombie. Only
  // async-signal-safe calls after fork.
  const pid_t middle = fork();
  if (middle < 0) support::raiseFileError(errno, false);
  if (middle == 0) {
    if (fork() == 0) {
      execv("/bin/sh", argv.data());
      _exit(127);
    }
    _exit(0);
  }
  reap(middle);
}

}  // namespace app
