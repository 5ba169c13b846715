#pragma once
// course.js: what the course player needs to know of a course beyond its
// outline (the pass mark of its tests, the language of its text, the files
// of its entries), and which document made the package. The converter
// writes it into the package; the copy step reads the pass mark from it for
// the SCORM package's mastery score, and the next conversion into the folder
// the document that made it. A file of its own, since the manifest keeps
// its prescribed form.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "course/file_names.h"
#include "course/frontend.h"

namespace package {

inline constexpr const char* kCourseScript = "course.js";
inline constexpr int kDefaultPassMark = course::kDefaultPassMark;

struct CourseSettings {
  int passMark = kDefaultPassMark;  // per cent of all questions answered right, 0..100
  std::string language;             // a language tag ("ru", "en-GB"); empty: unknown
  // The document that made the package: its file name (UTF-8) and
  // documentHash of its path. The path itself never goes into the package,
  // which an LMS receives. Empty: unknown (a package of an older version).
  std::string document;
  std::string documentHash;
  // The files of each line of the outline preview, in its order: the
  // player opens these and never makes a name of its own; check follows
  // them as the player does. None are written when there are none.
  std::vector<course::EntryFiles> files{};
  // The course's title and author as the header page shows them (UTF-8,
  // without the paragraph mark): the player draws its header from these.
  // Not read back.
  std::string title{};
  std::string author{};
  course::QuizSettings quiz{};  // read back, so the copy step and check know them
  // The zips the copy step writes; a script without them (an older
  // version's) means all of them.
  course::Targets targets = course::kAllTargets;
};

// The targets' names, in the order the copy step writes their zips' kinds
// for the user: "ims", "scorm12", "scorm2004", "cmi5".
std::string targetNames(course::Targets targets, char separator);
// The targets a list of those names gives ("scorm12,cmi5"), each at most
// once; nothing when a name is unknown or the list is empty.
std::optional<course::Targets> parseTargets(std::string_view list, char separator);

// A keyed hash (HMAC-SHA-256, 64 hex digits) of the document's full path,
// links and "." or ".." resolved: the same document gives the same hash on
// this machine; the key (the machine's id) keeps the path from being
// guessed from it.
std::string documentHash(const std::string& documentPath);

// A course line as the session holds it (paragraph mark and all) as one
// line of UTF-8 text: control characters become blanks, blanks at either
// end go.
std::string courseLine(std::u16string_view raw);

// The script's text: one "key": value line each, the way readCourseScript
// reads it back; the files one line each.
std::string courseScript(const CourseSettings& settings);

// Writes `folder`/course.js (`folder` ends in '/' or not). Throws
// support::Error as support::writeFile does.
void writeCourseScript(const std::string& folder, const CourseSettings& settings);

// The settings `folder`/course.js gives; nothing when there is no such file
// (a package made by hand or by an older version). Throws support::Error
// when the file cannot be read, gives no pass mark from 0 to 100 or is
// damaged (courseScriptFault).
std::optional<CourseSettings> readCourseScript(const std::string& folder);
// The settings the text of the script `file` gives; throws as
// readCourseScript does.
CourseSettings parseCourseScript(const std::string& text, const std::string& file);
// What keeps `text` from being course.js as the converter writes it
// (comment lines, then `window.rdCourse = ` a JSON object `;`), or nothing:
// the browser runs the script, which loses all of it to one stray character.
std::optional<std::string> courseScriptFault(std::string_view text);

}  // namespace package
