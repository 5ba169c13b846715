#pragma once
// The SCORM 2004 4th Edition package of a course: the same files as the
// SCORM 1.2 package, launched as one SCO (the course player), with the
// sequencing a single SCO needs: its primary objective is satisfied by the
// learner's score reaching the pass mark, apart from completion. Its
// manifest exists only inside its zip.
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "package/scorm.h"

namespace package {

inline constexpr const char* kAdlcp2004Ns = "http://www.adlnet.org/xsd/adlcp_v1p3";
inline constexpr const char* kAdlseqNs = "http://www.adlnet.org/xsd/adlseq_v1p3";
inline constexpr const char* kAdlnavNs = "http://www.adlnet.org/xsd/adlnav_v1p3";
inline constexpr const char* kImsssNs = "http://www.imsglobal.org/xsd/imsss";
inline constexpr const char* kScorm2004Version = "2004 4th Edition";

// The 4th Edition's schema files, which the zip carries at its root (where
// the manifest's xsi:schemaLocation names them) and the installation keeps
// in its schema folder's scorm2004/ (their names clash with the IMS
// package's).
inline constexpr const char* kScorm2004SchemaFolder = "scorm2004";
inline constexpr std::array<const char*, 17> kScorm2004SchemaFiles = {
    "imscp_v1p1.xsd",          "adlcp_v1p3.xsd",         "adlseq_v1p3.xsd",
    "adlnav_v1p3.xsd",         "imsss_v1p0.xsd",         "imsss_v1p0auxresource.xsd",
    "imsss_v1p0control.xsd",   "imsss_v1p0delivery.xsd", "imsss_v1p0limit.xsd",
    "imsss_v1p0objective.xsd", "imsss_v1p0random.xsd",   "imsss_v1p0rollup.xsd",
    "imsss_v1p0seqrule.xsd",   "imsss_v1p0util.xsd",     "xml.xsd",
    "XMLSchema.dtd",           "datatypes.dtd"};

struct Scorm2004Course {
  std::string identifier;  // the manifest's, an XML name
  std::string title;       // UTF-8
  // The pass mark (per cent) for a course with tests; nothing: no score to
  // reach, so the objective has no measure.
  std::optional<int> passMark;
  std::string launch = "index.htm";
  std::vector<std::string> files;  // the SCO's files, relative, "/"-separated
};

// A pass mark on the scaled scores' scale: 80 gives "0.8", 100 "1".
std::string scaledMark(int passMark);

// The manifest: one organization, one item, one SCO resource listing
// `files`.
std::string scorm2004Manifest(const Scorm2004Course& course);

// Whether the course has tests: a test page is among its files.
bool hasTests(const std::vector<std::string>& courseFiles);

// What the SCORM 2004 zip holds: the SCO's files of `course` and, made,
// its manifest (with `passMark` when the course has tests) and the 4th
// Edition's schemas from `schemaFolder`/scorm2004. Throws support::Error
// when a schema cannot be read.
ScormZip scorm2004Zip(const std::string& schemaFolder, const LmsCourse& course,
                      std::optional<int> passMark);

}  // namespace package
