#pragma once
// Checks a course package the way a learning management system's import
// would: the manifest, its identifiers and references, and the files it names.
#include <cstddef>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace package {

struct Finding {
  enum class Severity { Fault, Note };
  Severity severity;
  std::string message;
  size_t count = 1;  // the faults it tells: more where it counts the rest of a kind
};

// The faults the findings tell, those a line counts included.
size_t countFaults(const std::vector<Finding>& findings);

struct CheckResult {
  std::vector<Finding> findings;
  size_t faults() const;
  bool ok() const { return faults() == 0; }
};

// One file of the package by its relative name, read whole (up to 64 MiB,
// the manifest 16 MiB);
// nothing when it is missing or cannot be read.
using PackageReader = std::function<std::optional<std::string>(const std::string& name)>;
// Faults of the course in a package whose manifest holds: what would leave
// a learner at a dead end (a test that cannot be shown, a reference link to
// nothing). Given the package's files and a reader of them.
using CourseCheck = std::function<std::vector<std::string>(const std::set<std::string>& files,
                                                           const PackageReader& read)>;

// Checks the package folder or zip at `path`. `schemaFolder` holds the
// schemas (validate_manifest.xsd and what it imports) and catalog.xml, which
// maps the XML namespace schema's web address to a local copy: validation
// never uses the network.
//
// An IMS package (IMS CP 1.1.4) and a SCORM 1.2 package (IMS CP 1.1.2 with
// ADL's extensions) are told apart by the manifest's namespace, and each is
// validated against its own schemas (validate_manifest.xsd,
// validate_scorm12.xsd), and a SCORM 2004 package (IMS CP 1.1.4 with ADL's
// 2004 extensions) against the 4th Edition's (validate_scorm2004.xsd). A
// SCORM package has the faults scorm_check.h lists besides these. A package
// with cmi5.xml and no manifest at its root is a cmi5 package, checked as
// cmi5_check.h says, and by `courseCheck`.
//
// Faults: no imsmanifest.xml, or not at the package's root; a manifest that is
// not well-formed or not valid against the schemas; a duplicate identifier;
// an identifierref or organizations default that names nothing; a file a
// resource names that the package lacks (or that would lie outside it); an
// unreadable or unsafe zip. Files that no resource lists give one note.
//
// With `playerFolder` (the installation's player), a folder's files that
// are no part of the course (left over, or foreign) are listed in a note.
// Links anywhere in the package are faults, and so is a manifest without
// an item: the course is empty. `courseCheck` adds its faults to these.
CheckResult checkPackage(const std::string& path, const std::string& schemaFolder,
                         const std::string& playerFolder = {}, const CourseCheck& courseCheck = {});

// One line per finding ("fault: ..." / "note: ..."), then a summary line
// that counts every fault (past 50 faults of a kind, one line counts the
// rest: "fault: and 150 more items whose identifierref names no resource").
std::string formatResult(const CheckResult& result);

}  // namespace package
