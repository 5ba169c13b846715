#include "app/convert_cli.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>

#include "app/help.h"
#include "app/sinks.h"
#include "convert/driver.h"
#include "convert/lint.h"
#include "convert/paths.h"
#include "course/session.h"
#include "package/course_settings.h"
#include "support/files.h"
#include "word/application.h"

namespace app {
namespace {

// The documents of the command line as full paths.
std::string fullPath(const std::string& path) {
  if (path.empty()) return path;
  std::error_code ec;
  std::filesystem::path full = std::filesystem::absolute(path, ec);
  return ec ? path : full.string();
}

// Hands out the documents of the command line, one per run.
class ArgumentChooser : public course::DocumentChooser {
 public:
  explicit ArgumentChooser(std::vector<std::string> documents) : documents_(std::move(documents)) {}
  std::optional<std::string> chooseDocument(const std::string&) override {
    if (next_ >= documents_.size()) return std::nullopt;
    return fullPath(documents_[next_++]);
  }
  void skip() { ++next_; }

 private:
  std::vector<std::string> documents_;
  size_t next_ = 0;
};

// "0" to `most`, as the pass mark and the attempts are given.
std::optional<int> upTo(const std::string& s, int most) {
  if (s.empty() || s.size() > 3 || s.find_first_not_of("0123456789") != std::string::npos)
    return std::nullopt;
  const int n = std::stoi(s);
  return n <= most ? std::optional<int>(n) : std::nullopt;
}

// A number option, "--name=N" or "--name N", at arguments[i] (which it
// moves past its value): nothing when arguments[i] is not that option,
// false after a usage error, which it has reported.
std::optional<bool> numberOption(const char* command, const std::string& name, const char* what,
                                 int most, const std::vector<std::string>& arguments, size_t& i,
                                 int* out) {
  const std::string& a = arguments[i];
  if (!out || (a != name && !a.starts_with(name + "="))) return std::nullopt;
  const bool joined = a.size() > name.size();
  if (!joined && i + 1 >= arguments.size()) {
    std::fprintf(stderr, "raredozud %s: %s needs a number from 0 to %d\n", command, name.c_str(),
                 most);
    return false;
  }
  const std::string value = joined ? a.substr(name.size() + 1) : arguments[++i];
  const std::optional<int> n = upTo(value, most);
  if (!n) {
    std::fprintf(stderr, "raredozud %s: the %s '%s' is no number from 0 to %d\n", command, what,
                 value.c_str(), most);
    return false;
  }
  *out = *n;
  return true;
}

// What `convert` takes beside the documents.
struct ConvertOptions {
  bool strict = false;
  int passMark = package::kDefaultPassMark;
  course::QuizSettings quiz{};
  course::Targets targets = course::kAllTargets;
};

// "--targets=LIST" or "--targets LIST" at arguments[i], as numberOption
// reads its option.
std::optional<bool> targetsOption(const char* command, const std::vector<std::string>& arguments,
                                  size_t& i, course::Targets* out) {
  const std::string name = "--targets";
  const std::string& a = arguments[i];
  if (!out || (a != name && !a.starts_with(name + "="))) return std::nullopt;
  const bool joined = a.size() > name.size();
  const char* names = "ims, scorm12, scorm2004, cmi5";
  if (!joined && i + 1 >= arguments.size()) {
    std::fprintf(stderr, "raredozud %s: --targets needs a comma list of %s\n", command, names);
    return false;
  }
  const std::string value = joined ? a.substr(name.size() + 1) : arguments[++i];
  const std::optional<course::Targets> targets = package::parseTargets(value, ',');
  if (!targets) {
    std::fprintf(stderr,
                 "raredozud %s: --targets=%s: give a comma list of %s, each at most once\n",
                 command, value.c_str(), names);
    return false;
  }
  *out = *targets;
  return true;
}

// The options and documents of a command (`convert` takes options, `lint`
// none); false after a usage error, which it has reported.
bool readArguments(const char* command, const std::vector<std::string>& arguments,
                   std::vector<std::string>& documents, ConvertOptions* convert) {
  bool options = true;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& a = arguments[i];
    std::optional<bool> number;
    if (options) {
      number = numberOption(command, "--pass-mark", "pass mark", 100, arguments, i,
                            convert ? &convert->passMark : nullptr);
      if (!number)
        number = numberOption(command, "--attempts", "number of attempts", 99, arguments, i,
                              convert ? &convert->quiz.attempts : nullptr);
      if (!number)
        number = targetsOption(command, arguments, i, convert ? &convert->targets : nullptr);
    }
    if (number) {
      if (!*number) return false;
    } else if (options && a == "--") {
      options = false;
    } else if (options && convert && a == "--strict") {
      convert->strict = true;
    } else if (options && convert && a == "--hide-answers") {
      convert->quiz.hideAnswers = true;
    } else if (options && convert && a == "--shuffle") {
      convert->quiz.shuffle = true;
    } else if (options && a.size() > 1 && a[0] == '-') {
      std::fprintf(stderr, "raredozud %s: unknown option %s\n", command, a.c_str());
      return false;
    } else {
      documents.push_back(a);
    }
  }
  if (documents.empty()) {
    std::fputs(usageLine(*findCommand(command)).c_str(), stderr);
    return false;
  }
  return true;
}

// The document's warnings and errors, and the walk that found them; none
// when it cannot be read (the conversion then says why).
convert::LintResult lintBeforeRun(word::Application& app, const std::string& document) {
  // The run refuses such a path and says why.
  if (!convert::controlCharacterProblem(document).empty()) return {};
  try {
    return convert::lintDocument(app, fullPath(document));
  } catch (const support::Error&) {
    return {};
  }
}

// On standard error, after the run's status lines.
void printAfterRun(const std::string& document, const std::vector<convert::LintWarning>& found) {
  std::fflush(stdout);
  for (const convert::LintWarning& w : found)
    std::fprintf(stderr, "%s\n", convert::lintLine(document, w).c_str());
}

}  // namespace

int lintCommand(const std::vector<std::string>& arguments) {
  std::vector<std::string> documents;
  if (!readArguments("lint", arguments, documents, nullptr)) return 2;
  word::Application application;
  int status = 0;
  for (const std::string& document : documents) {
    if (std::string why = convert::controlCharacterProblem(document); !why.empty()) {
      std::fprintf(stderr, "raredozud: %s\n", why.c_str());
      status = 2;
      continue;
    }
    try {
      for (const convert::LintWarning& w : convert::lint(application, fullPath(document))) {
        std::printf("%s\n", convert::lintLine(document, w).c_str());
        status = std::max(status, 1);
      }
    } catch (const support::Error& e) {
      std::fprintf(stderr, "raredozud: %s: %s\n", document.c_str(), e.description().c_str());
      status = 2;
    }
  }
  return status;
}

int convertCommand(const std::vector<std::string>& arguments) {
  std::vector<std::string> documents;
  ConvertOptions options;
  if (!readArguments("convert", arguments, documents, &options)) return 2;

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
  course::Frontend frontend{chooser,       status,           log,          warnings,       starter,
                            programFolder, options.passMark, options.quiz, options.targets};

  // A run that showed "Успех" over a page it could not write, or whose copy
  // step failed, did not succeed: the package is not whole. Nor did one
  // whose course has an error: a learner will hit a dead end in it.
  bool allSucceeded = true;
  for (size_t i = 0; i < documents.size(); ++i) {
    // A seam for tests of what one process does when a document changes
    // between two of its runs: a command run before every run but the first.
    if (const char* between = std::getenv("RAREDOZUD_BETWEEN_RUNS"); between && i > 0)
      if (std::system(between) != 0) std::fprintf(stderr, "raredozud: %s failed\n", between);
    const convert::LintResult lint = lintBeforeRun(application, documents[i]);
    const std::vector<convert::LintWarning>& found = lint.warnings;
    if (!found.empty() && options.strict) {
      printAfterRun(documents[i], found);
      std::fprintf(stderr, "raredozud: %s: not converted (--strict): mend the lines above first\n",
                   documents[i].c_str());
      chooser.skip();
      allSucceeded = false;
      continue;
    }
    const int errorsBefore = warnings.errors;
    if (convert::parse(session, application, frontend, &lint.walk) !=
        convert::RunOutcome::Succeeded)
      allSucceeded = false;
    printAfterRun(documents[i], found);
    if (convert::errorCount(found) > 0 || warnings.errors > errorsBefore) allSucceeded = false;
  }
  return allSucceeded ? 0 : 1;
}

}  // namespace app
