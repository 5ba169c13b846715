#pragma once
// Front ends that record what a run shows, logs and starts, for the tests
// of the course layer and those above it.
#include <optional>
#include <string>
#include <vector>

#include "course/frontend.h"
#include "fixtures.h"

namespace testing_support {

// Status lines, kept in UTF-8 for readable failure messages.
class RecordingStatus : public course::StatusSink {
 public:
  void showStatus(const std::u16string& message) override { lines.push_back(utf8(message)); }
  std::vector<std::string> lines;
};

class RecordingWarnings : public course::WarningSink {
 public:
  void warn(const std::u16string& message) override { lines.push_back(utf8(message)); }
  void error(const std::u16string& message) override { errors.push_back(utf8(message)); }
  void packageWritten(const std::string& folder, const std::vector<std::string>& zips) override {
    packages.push_back(folder);
    for (const std::string& z : zips) packages.push_back(z);
  }
  std::vector<std::string> lines, errors, packages;
};

class RecordingLog : public course::LogSink {
 public:
  void writeLog(const std::u16string& message) override { lines.push_back(utf8(message)); }
  std::vector<std::string> lines;
};

// Returns the given paths in turn, then cancels; records the folders asked for.
class ListChooser : public course::DocumentChooser {
 public:
  explicit ListChooser(std::vector<std::optional<std::string>> answers = {})
      : answers(std::move(answers)) {}
  std::optional<std::string> chooseDocument(const std::string& initialFolder) override {
    folders.push_back(initialFolder);
    if (next >= answers.size()) return std::nullopt;
    return answers[next++];
  }
  std::vector<std::optional<std::string>> answers;
  std::vector<std::string> folders;
  size_t next = 0;
};

class RecordingStarter : public course::ProcessStarter {
 public:
  struct Call {
    std::string script;
    std::vector<std::string> arguments;
  };
  std::optional<int> start(const std::string& script,
                           const std::vector<std::string>& arguments) override {
    calls.push_back({script, arguments});
    return exitStatus;
  }
  std::vector<Call> calls;
  std::optional<int> exitStatus = 0;  // what the script "ended" with; none: not waited for
};

}  // namespace testing_support
