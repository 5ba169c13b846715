#include "app/sinks.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "support/codepage.h"
#include "support/files.h"
#include "support/runtime_error.h"

extern char** environ;

namespace app {

void LogFile::writeLog(const std::u16string& message) {
  // Appended a line at a time, never replaced: the log of every run stays,
  // and the lines of runs at once stay whole.
  try {
    support::appendToFile(path_, support::toUtf8(message) + "\r\n");
  } catch (const support::Error& e) {
    // The log goes where the program was started, not beside the document:
    // an author who sees only the file's name would look in the wrong place.
    std::error_code ec;
    const std::string here = std::filesystem::current_path(ec).string();
    throw support::Error(e.number(), e.source(), e.description(),
                         e.detail() + ": the log of the runs goes into the current folder" +
                             (ec ? "" : " " + here) +
                             ", where it cannot be written; run raredozud from another folder, "
                             "such as the document's own");
  }
}

void StreamStatus::showStatus(const std::u16string& message) {
  const std::string line = support::toUtf8(message) + "\n";
  if (std::fwrite(line.data(), 1, line.size(), out_) != line.size() || std::fflush(out_) != 0)
    support::raise(support::kDeviceIOError);
}

void StderrWarnings::warn(const std::u16string& message) {
  ++count;
  std::fprintf(stderr, "raredozud: %s\n", support::toUtf8(message).c_str());
}

void StderrWarnings::error(const std::u16string& message) {
  ++errors;
  std::fprintf(stderr, "raredozud: error: %s\n", support::toUtf8(message).c_str());
}

void StderrWarnings::packageWritten(const std::string& folder,
                                    const std::vector<std::string>& zips) {
  std::string where = folder;
  for (const std::string& zip : zips) where += ", " + zip;
  std::fprintf(stderr, "raredozud: the package: %s\n", where.c_str());
}

namespace {

int exitStatus(int status) {
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return 1;
}

}  // namespace

std::optional<int> ShellStarter::start(const std::string& script,
                                       const std::vector<std::string>& arguments) {
  if (::access(script.c_str(), R_OK) != 0) support::raiseFileError(errno, script);
  std::vector<std::string> args = {"sh", script};
  args.insert(args.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int rc = posix_spawn(&pid, "/bin/sh", nullptr, nullptr, argv.data(), environ);
  if (rc != 0) support::raiseFileError(rc, "/bin/sh");
  if (!wait_) {
    running_.push_back({pid, arguments});
    return std::nullopt;
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return 1;
  }
  return exitStatus(status);
}

std::vector<ShellStarter::Ended> ShellStarter::collect() {
  std::vector<Ended> ended;
  for (auto it = running_.begin(); it != running_.end();) {
    int status = 0;
    const pid_t done = waitpid(it->pid, &status, WNOHANG);
    if (done == 0 || (done < 0 && errno == EINTR)) {
      ++it;
      continue;
    }
    // Gone without a status (collected elsewhere): nothing is known of it.
    ended.push_back({std::move(it->arguments), done < 0 ? 0 : exitStatus(status)});
    it = running_.erase(it);
  }
  return ended;
}

}  // namespace app
