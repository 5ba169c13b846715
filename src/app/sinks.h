#pragma once
// The command line's log and status channels, and the process starter for
// the copy script. Qt-free, so the window can reuse the log and the starter.
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

// Runs the script with /bin/sh. With `wait`, returns when it has ended;
// otherwise it runs on detached (nobody has to collect it).
class ShellStarter : public course::ProcessStarter {
 public:
  explicit ShellStarter(bool wait) : wait_(wait) {}
  void start(const std::string& script, const std::vector<std::string>& arguments) override;

 private:
  bool wait_;
};

}  // namespace app
