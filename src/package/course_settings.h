#pragma once
// course.js: what the course player needs to know of a course beyond its
// outline (the pass mark of its tests, the language of its text, the files
// of its entries). The
// converter writes it into the package; the copy step reads the pass mark
// from it for the SCORM package's mastery score. A file of its own, since
// the manifest keeps its prescribed form.
#include <optional>
#include <string>
#include <vector>

#include "course/file_names.h"
#include "course/frontend.h"

namespace package {

inline constexpr const char* kCourseScript = "course.js";
inline constexpr int kDefaultPassMark = course::kDefaultPassMark;

struct CourseSettings {
  int passMark = kDefaultPassMark;  // per cent of all questions answered right, 0..100
  std::string language;             // a language tag ("ru", "en-GB"); empty: unknown
  // The files of each line of the outline preview, in its order: the
  // player opens these and never makes a name of its own. Not read back;
  // none are written when there are none.
  std::vector<course::EntryFiles> files{};
};

// The script's text: one "key": value line each, the way readCourseScript
// reads it back; the files one line each.
std::string courseScript(const CourseSettings& settings);

// Writes `folder`/course.js (`folder` ends in '/' or not). Throws
// support::Error as support::writeFile does.
void writeCourseScript(const std::string& folder, const CourseSettings& settings);

// The settings `folder`/course.js gives; nothing when there is no such file
// (a package made by hand or by an older version). Throws support::Error
// when the file cannot be read or gives no pass mark from 0 to 100.
std::optional<CourseSettings> readCourseScript(const std::string& folder);

}  // namespace package
