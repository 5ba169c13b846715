#pragma once
// The SCORM 1.2 package of a course: the same files as the IMS package,
// launched as one SCO (the course player), so that an LMS tracks the
// learner's place, score and status through the player. Its manifest
// exists only inside its zip; the package folder keeps the IMS manifest.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "package/manifest_xml.h"
#include "package/zip_writer.h"

namespace package {

inline constexpr const char* kAdlcpNs = "http://www.adlnet.org/xsd/adlcp_rootv1p2";

// The schemas the SCORM manifest names beside ims_xml.xsd, which both
// packages share: taken from the installation's schema folder.
inline constexpr std::array<const char*, 2> kScormSchemaFiles = {"imscp_rootv1p1p2.xsd",
                                                                 "adlcp_rootv1p2.xsd"};

struct ScormCourse {
  std::string identifier;  // the manifest's, an XML name
  std::string title;       // UTF-8
  // 0..100; nothing for a course without tests, which an LMS would
  // otherwise hold to a score that never comes
  std::optional<int> masteryScore = 80;
  std::string launch = "index.htm";
  std::vector<std::string> files;  // the SCO's files, relative, "/"-separated
};

// SCORM 1.2's schema allows titles of up to kScormTitleLength characters: a
// longer title is cut after the last whole character (a letter with its
// accents) that leaves room for an ellipsis, blanks before it dropped.
inline constexpr int32_t kScormTitleLength = 200;
std::string scormTitle(const std::string& utf8);

// The manifest: one organization, one item, one SCO resource listing
// `files`.
std::string scormManifest(const ScormCourse& course);
// The resources of a package of one SCO, to the manifest's end: the SCO
// launching `launch` with every file it needs; `typeAttribute` names the
// SCO's type as the edition spells it.
std::string scoResources(const std::string& launch, const std::vector<std::string>& files,
                         const char* typeAttribute);

// A package path as a URI reference: what is not plainly safe is escaped.
std::string href(const std::string& path);

// What every LMS package of a course shares: its title (`title`, from the
// IMS manifest (courseTitle), else the folder's name), a digest of title and
// folder name that stays the same when the course is converted again (16
// hex digits, for the packages' identifiers), and the launched unit's files
// (`courseFiles` but the IMS manifest and the schemas).
struct LmsCourse {
  std::string title;
  std::string digest;
  std::vector<std::string> files;
};
LmsCourse lmsCourse(const std::string& folder, const std::vector<std::string>& courseFiles,
                    const std::string& title);

// What the SCORM zip holds: of `courseFiles` (the IMS package's files) all
// but the IMS manifest and the IMS-only schemas, and, made, the SCORM
// manifest of `course` and the SCORM schemas from `schemaFolder`. Throws
// support::Error when a schema cannot be read.
struct ScormZip {
  std::vector<std::string> files;
  std::vector<MadeEntry> made;
};
ScormZip scormZip(const std::string& schemaFolder, const LmsCourse& course,
                  const std::vector<std::string>& courseFiles, std::optional<int> masteryScore);

}  // namespace package
