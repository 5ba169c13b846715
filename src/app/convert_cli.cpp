#include "app/convert_cli.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>

#include "app/sinks.h"
#include "convert/driver.h"
#include "course/session.h"
#include "package/course_settings.h"
#include "support/files.h"
#include "word/application.h"

namespace app {
namespace {

// Hands out the documents of the command line, one per run, as full paths.
class ArgumentChooser : public course::DocumentChooser {
 public:
  explicit ArgumentChooser(std::vector<std::string> documents) : documents_(std::move(documents)) {}
  std::optional<std::string> chooseDocument(const std::string&) override {
    if (next_ >= documents_.size()) return std::nullopt;
    const std::string& path = documents_[next_++];
    if (path.empty()) return path;
    std::error_code ec;
    std::filesystem::path full = std::filesystem::absolute(path, ec);
    return ec ? path : full.string();
  }

 private:
  std::vector<std::string> documents_;
  size_t next_ = 0;
};

// "0" to "100", as the pass mark is given.
std::optional<int> percent(const std::string& s) {
  if (s.empty() || s.size() > 3 || s.find_first_not_of("0123456789") != std::string::npos)
    return std::nullopt;
  const int n = std::stoi(s);
  return n <= 100 ? std::optional<int>(n) : std::nullopt;
}

}  // namespace

int convertCommand(const std::vector<std::string>& arguments) {
  std::vector<std::string> documents;
  int passMark = package::kDefaultPassMark;
  bool options = true;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& a = arguments[i];
    if (options && (a == "--help" || a == "-h")) {
      std::printf(
          "Usage: raredozud convert [--pass-mark N] DOC...\n"
          "Converts each document in turn; status lines on standard output, the log\n"
          "in log.txt here. Exit status 0 when every conversion succeeded.\n"
          "  --pass-mark N  per cent of all questions a learner must answer right to\n"
          "                 pass the course (0 to 100, default %d)\n",
          package::kDefaultPassMark);
      return 0;
    }
    if (options && (a == "--pass-mark" || a.starts_with("--pass-mark="))) {
      const bool joined = a.size() > 11;
      if (!joined && i + 1 >= arguments.size()) {
        std::fprintf(stderr, "raredozud convert: --pass-mark needs a number from 0 to 100\n");
        return 2;
      }
      const std::string value = joined ? a.substr(12) : arguments[++i];
      const std::optional<int> n = percent(value);
      if (!n) {
        std::fprintf(stderr, "raredozud convert: the pass mark '%s' is no number from 0 to 100\n",
                     value.c_str());
        return 2;
      }
      passMark = *n;
    } else if (options && a == "--") {
      options = false;
    } else if (options && a.size() > 1 && a[0] == '-') {
      std::fprintf(stderr, "raredozud convert: unknown option %s\n", a.c_str());
      return 2;
    } else {
      documents.push_back(a);
    }
  }
  if (documents.empty()) {
    std::fprintf(stderr, "Usage: raredozud convert [--pass-mark N] DOC...\n");
    return 2;
  }

  std::string programFolder;
  try {
    programFolder = support::programFolder();
  } catch (const support::Error& e) {
    std::fprintf(stderr, "raredozud: %s\n", e.description().c_str());
    return 1;
  }

  course::Session session;
  word::Application application;
  ArgumentChooser chooser(documents);
  StreamStatus status;
  LogFile log;
  StderrWarnings warnings;
  ShellStarter starter(/*wait=*/true);
  course::Frontend frontend{chooser, status, log, warnings, starter, programFolder, passMark};

  // A run that showed "Успех" over a page it could not write, or whose copy
  // step failed, did not succeed: the package is not whole.
  bool allSucceeded = true;
  for (size_t i = 0; i < documents.size(); ++i) {
    // A seam for tests of what one process does when a document changes
    // between two of its runs: a command run before every run but the first.
    if (const char* between = std::getenv("RAREDOZUD_BETWEEN_RUNS"); between && i > 0)
      if (std::system(between) != 0) std::fprintf(stderr, "raredozud: %s failed\n", between);
    if (convert::parse(session, application, frontend) != convert::RunOutcome::Succeeded)
      allSucceeded = false;
  }
  return allSucceeded ? 0 : 1;
}

}  // namespace app
