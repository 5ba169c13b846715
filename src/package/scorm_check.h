#pragma once
// What an LMS checks in a SCORM 1.2 or 2004 manifest beyond any content package:
// what each item launches, the SCO type of resources, mastery scores and
// the schemas the manifest names.
#include <libxml/tree.h>

#include <set>
#include <string>
#include <vector>

#include "package/package_check.h"

namespace package {

// A manifest in the IMS CP 1.1.2 namespace, as SCORM 1.2 packages have.
bool isScormManifest(xmlDocPtr doc);

// A manifest of SCORM 2004: IMS CP 1.1.4 with ADL's 2004 extensions
// declared, or a schema version of "2004 ...".
bool isScorm2004Manifest(xmlDocPtr doc);

// For SCORM 1.2 or SCORM 2004, as the manifest is. Faults: an item's
// resource without href, or launching a file the package
// lacks (added to `reportedMissing`), or no web page; a resource without
// adlcp:scormtype (2004: scormType); no SCO at all; a mastery score that is
// no number from 0 to 100, or an imsss:minNormalizedMeasure no scaled
// score from -1 to 1; an item with either that launches an asset; a schema of xsi:schemaLocation that the package lacks. One note
// says what the first SCO item launches. `files` are the package's files.
std::vector<Finding> checkScorm(xmlDocPtr doc, const std::set<std::string>& files,
                                std::set<std::string>& reportedMissing);

}  // namespace package
