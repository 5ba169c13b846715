#pragma once
// What a front end gives a conversion run. The command line and the window
// each implement these; tests replace them with recorders.
#include <optional>
#include <string>
#include <vector>

namespace course {

// Lets the user pick the document to convert.
class DocumentChooser {
 public:
  virtual ~DocumentChooser() = default;
  // `initialFolder` is where the choice starts (ends in '/'). Returns the
  // chosen path, or nothing when the user cancels.
  virtual std::optional<std::string> chooseDocument(const std::string& initialFolder) = 0;
};

// The status box: one call adds one line at its end.
class StatusSink {
 public:
  virtual ~StatusSink() = default;
  // Throws support::Error when the line cannot be shown.
  virtual void showStatus(const std::u16string& message) = 0;
};

// The run log ("log.txt" in the current directory for the real front ends).
class LogSink {
 public:
  virtual ~LogSink() = default;
  // Appends one line; throws support::Error when it cannot be written.
  virtual void writeLog(const std::u16string& message) = 0;
};

// A warning: the course works, but something may not be what the author
// meant. An error: a learner will hit a dead end (a test that cannot be
// shown, no page, a dead reference link, two documents writing one
// package).
enum class Severity { Warning, Error };

// What the run has to say beside the prescribed lines: why a step failed,
// in the system's own words, what it could not do as asked, and the errors
// in the course. Never changes what a run writes or shows. The command line
// prints these on standard error (and exits 1 after an error); the window
// shows them after its own lines.
class WarningSink {
 public:
  virtual ~WarningSink() = default;
  virtual void warn(const std::u16string& message) = 0;
  // An error in the course the run writes: it is written all the same.
  virtual void error(const std::u16string& message) = 0;
  // After the success line: where the package went (its folder, ending in
  // '/', and the zips the copy step writes beside it).
  virtual void packageWritten(const std::string& folder, const std::vector<std::string>& zips) = 0;
};

// Starts the copy script of the installation.
class ProcessStarter {
 public:
  virtual ~ProcessStarter() = default;
  // Runs `script` with `arguments`. Whether it waits for the script is the
  // front end's choice: the command line waits and returns the script's exit
  // status; the window does not wait, returns nothing, and watches the
  // script itself. Throws support::Error when the script cannot be started.
  virtual std::optional<int> start(const std::string& script,
                                   const std::vector<std::string>& arguments) = 0;
};

// Per cent of all questions a learner must answer right to pass a course,
// unless the front end is told otherwise.
inline constexpr int kDefaultPassMark = 80;

// How the player runs the course's tests: shows the correct answers after a
// check or not, lets a test be checked at most `attempts` times (0: no
// limit), shows the answers in an order of each learner's own.
struct QuizSettings {
  bool hideAnswers = false;
  int attempts = 0;
  bool shuffle = false;
};

// The zips the copy step writes beside the package folder, one bit each:
// the IMS content package, SCORM 1.2, SCORM 2004 4th Edition and cmi5.
using Targets = unsigned;
inline constexpr Targets kImsTarget = 1, kScorm12Target = 2, kScorm2004Target = 4, kCmi5Target = 8,
                         kAllTargets = 15;

// Everything one run needs from its front end.
struct Frontend {
  DocumentChooser& chooser;
  StatusSink& status;
  LogSink& log;
  WarningSink& warnings;
  ProcessStarter& starter;
  std::string programFolder;  // folder of sql_test.htm and copysql.sh, no trailing '/'
  // The pass mark, into the package's course.js for the player and the
  // SCORM package.
  int passMark = kDefaultPassMark;
  // The quiz settings, into course.js beside the pass mark.
  QuizSettings quiz{};
  // The zips to write, into course.js for the copy step.
  Targets targets = kAllTargets;
};

}  // namespace course
