#pragma once
// The copy step after a conversion: completes the package folder with the
// course player and the schemas, writes the scripts that pages opened from
// disk read, and packs the course's own files into FOLDER.zip beside it, and
// again, as a SCORM 1.2 package launched through the player, into
// FOLDER.scorm.zip.
#include <functional>
#include <string>
#include <vector>

namespace package {

struct Completed {
  std::string zip;                   // the IMS package's zip written
  std::string scormZip;              // the SCORM package's zip written
  std::vector<std::string> leftOut;  // files in the folder that are no part of the course
};

// `programFolder` holds player/ (index.htm and the player's files) and
// schemas/. Throws support::Error whose detail says which step failed and
// why; nothing is then zipped, and an old zip stays as it was. Holds the
// folder's lock (support::FolderLock) throughout; `waiting` is called when
// a conversion or another copy step holds it.
Completed completePackage(const std::string& programFolder, const std::string& folder,
                          const std::function<void()>& waiting = {});

}  // namespace package
