#pragma once
// The command line's log, status and warning channels, and the process
// starter for the copy script. Qt-free, so the window can reuse the log and
// the starter.
#include <sys/types.h>

#include <cstdio>
#include <string>
#include <vector>

#include "course/frontend.h"

namespace app {

// Appends each message and CR LF, in UTF-8, to a file opened and closed for
// every line ("log.txt" in the current directory by default).
class LogFile : public course::LogSink {
 public:
  explicit LogFile(std::string path = "log.txt") : path_(std::move(path)) {}
  void writeLog(const std::u16string& message) override;

 private:
  std::string path_;
};

// Prints each status message and a line feed, in UTF-8, and flushes.
class StreamStatus : public course::StatusSink {
 public:
  explicit StreamStatus(std::FILE* out = stdout) : out_(out) {}
  void showStatus(const std::u16string& message) override;

 private:
  std::FILE* out_;
};

// Prints "raredozud: " and each warning on standard error, "raredozud:
// error: " and each error; counts them.
class StderrWarnings : public course::WarningSink {
 public:
  void warn(const std::u16string& message) override;
  void error(const std::u16string& message) override;
  void packageWritten(const std::string& folder, const std::vector<std::string>& zips) override;
  int count = 0;
  int errors = 0;
};

// Runs the script with /bin/sh. With `wait`, returns its exit status once it
// has ended (128 + the signal's number when a signal ended it). Without, it
// runs on, and `collect` tells which of the scripts started so have ended.
class ShellStarter : public course::ProcessStarter {
 public:
  explicit ShellStarter(bool wait) : wait_(wait) {}
  std::optional<int> start(const std::string& script,
                           const std::vector<std::string>& arguments) override;

  struct Ended {
    std::vector<std::string> arguments;
    int status = 0;
  };
  // The scripts that have ended since the last call, without waiting.
  std::vector<Ended> collect();
  size_t running() const { return running_.size(); }

 private:
  struct Running {
    pid_t pid;
    std::vector<std::string> arguments;
  };
  bool wait_;
  std::vector<Running> running_;
};

}  // namespace app
