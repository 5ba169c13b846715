#pragma once
// The copy step after a conversion: completes the package folder with the
// course player and the schemas, writes the scripts that pages opened from
// disk read, and packs the course's own files into the zips course.js
// chooses beside it: FOLDER.zip (the IMS package), and as packages launched
// through the player FOLDER.scorm.zip (SCORM 1.2), FOLDER.scorm2004.zip
// (SCORM 2004 4th Edition) and FOLDER.cmi5.zip (cmi5). A zip not chosen is
// left as it was.
#include <functional>
#include <string>
#include <vector>

#include "course/frontend.h"

namespace package {

struct Completed {
  std::vector<std::string> zips;     // the zips written, in their order (the IMS zip last)
  std::vector<std::string> leftOut;  // files in the folder that are no part of the course
};

// The zips of the package folder `folder` (no trailing '/') that `targets`
// choose, as a user is told of them: the IMS zip, then SCORM 1.2, SCORM 2004
// and cmi5.
std::vector<std::string> zipPaths(const std::string& folder, course::Targets targets);

// `programFolder` holds player/ (index.htm and the player's files) and
// schemas/. Throws support::Error whose detail says which step failed and
// why; nothing is then zipped, and an old zip stays as it was. Holds the
// folder's lock (support::FolderLock) throughout; `waiting` is called when
// a conversion or another copy step holds it.
Completed completePackage(const std::string& programFolder, const std::string& folder,
                          const std::function<void()>& waiting = {});

}  // namespace package
