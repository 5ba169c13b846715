#pragma once
// The cmi5 package of a course: the course's files with cmi5.xml at the
// root, a course of one assignable unit (the course player), which the LMS
// launches in any window and which moves on when completed and, for a
// course with tests, passed.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "package/scorm.h"

namespace package {

inline constexpr const char* kCmi5Ns = "https://w3id.org/xapi/profiles/cmi5/v1/CourseStructure.xsd";
inline constexpr const char* kCmi5File = "cmi5.xml";

struct Cmi5Course {
  // IRIs that stay the same when the course is converted again.
  std::string courseId;
  std::string auId;
  std::string title;            // UTF-8
  std::string language;         // a language tag; empty: unknown ("und")
  std::optional<int> passMark;  // per cent; nothing for a course without tests
  std::string launch = "index.htm";
};

// The IRIs of the course and of its unit, made from `digest` (LmsCourse's):
// "urn:raredozud:course:DIGEST" and the same with ":au:1".
std::string cmi5CourseId(const std::string& digest);
std::string cmi5AuId(const std::string& digest);

// cmi5.xml's text.
std::string cmi5Structure(const Cmi5Course& course);

// What the cmi5 zip holds: the unit's files of `course` and, made,
// cmi5.xml (with `passMark` when the course has tests).
ScormZip cmi5Zip(const LmsCourse& course, std::optional<int> passMark,
                 const std::string& language);

}  // namespace package
