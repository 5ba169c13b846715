#include "package/complete.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>

#include "package/contents.h"
#include "package/course_settings.h"
#include "package/embed.h"
#include "package/scorm.h"
#include "package/zip_writer.h"
#include "support/files.h"
#include "support/runtime_error.h"

namespace package {
namespace fs = std::filesystem;

namespace {

// Runs one step; a failure says which step it was.
template <class F>
void step(const std::string& what, F&& f) {
  try {
    f();
  } catch (const support::Error& e) {
    throw support::Error(e.number(), e.source(), e.description(),
                         what + ": " + (e.detail().empty() ? e.description() : e.detail()));
  }
}

void copyFile(const std::string& from, const std::string& to) {
  support::writeFile(to, support::readFile(from));
}

// player/ in the package is ours: whatever else stands at its name goes.
void makePlayerFolder(const std::string& folder) {
  const std::string player = folder + "/player";
  if (support::isLink(player) || (fs::exists(player) && !support::isPlainFolder(player)))
    ::unlink(player.c_str());
  if (::mkdir(player.c_str(), 0777) != 0 && errno != EEXIST)
    support::raiseFileError(errno, player, true);
}

void copyPlayer(const std::string& programFolder, const std::string& folder,
                const std::vector<std::string>& player) {
  makePlayerFolder(folder);
  copyFile(programFolder + "/player/index.htm", folder + "/index.htm");
  for (const std::string& f : player)
    copyFile(programFolder + "/player/" + f, folder + "/player/" + f);
  for (const char* schema : kSchemaFiles)
    copyFile(programFolder + "/schemas/" + schema, folder + "/" + schema);
}

// Every file the zip takes must be the package's own plain file.
void checkFiles(const std::string& folder, const std::vector<std::string>& files) {
  for (const std::string& f : files) {
    const std::string path = folder + "/" + f;
    if (support::isLink(path))
      support::raise(support::kPathFileAccessError,
                     path + " is a symbolic link, not a file of the package");
    if (!support::isFile(path)) support::raise(support::kFileNotFound, path + " is missing");
  }
}

// The course's settings; a package made without them (by hand, or by an
// older version) gets the defaults, so that the player finds its file.
CourseSettings courseSettings(const std::string& folder) {
  if (std::optional<CourseSettings> s = readCourseScript(folder)) return *s;
  writeCourseScript(folder, CourseSettings{});
  return CourseSettings{};
}

}  // namespace

Completed completePackage(const std::string& programFolder, const std::string& given,
                          const std::function<void()>& waiting) {
  std::string folder = given;
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  const std::string leaf = fs::path(folder).filename().string();
  if (folder.empty() || folder == "/" || leaf == "." || leaf == "..")
    support::raise(support::kPathNotFound, "'" + given + "' is no package folder");
  if (!support::isPlainFolder(folder))
    support::raise(support::kPathNotFound,
                   folder + (support::isLink(folder) ? " is a symbolic link" : " is no folder"));
  const support::FolderLock lock(folder, waiting);

  Completed done;
  done.zip = folder + ".zip";
  done.scormZip = folder + ".scorm.zip";
  std::vector<std::string> player, files;
  CourseSettings settings;
  step("reading the course player", [&] { player = playerFiles(programFolder + "/player"); });
  support::removeStaleTemporaries(folder, true);
  const std::string parent = fs::path(folder).parent_path().string();
  support::removeStaleTemporaries(parent.empty() ? "." : parent);  // the zip's
  step("copying the course player", [&] { copyPlayer(programFolder, folder, player); });
  step("reading the course's settings", [&] { settings = courseSettings(folder); });
  step("reading the manifest", [&] { files = courseFiles(folder, player); });
  step("writing the scripts for a course opened from disk",
       [&] { writePackageScripts(folder, files); });
  step("checking the package's files", [&] { checkFiles(folder, files); });
  // The IMS zip last: a copy step that fails before it leaves the old one,
  // as it always has.
  step("writing " + done.scormZip, [&] {
    writeScormZip(programFolder + "/schemas", folder, files, settings.passMark, done.scormZip);
  });
  step("writing " + done.zip, [&] { writeZip(folder, files, done.zip); });
  done.leftOut = leftovers(folder, files);
  return done;
}

}  // namespace package
