#include "package/complete.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <exception>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>
#include <utility>

#include "package/cmi5.h"
#include "package/contents.h"
#include "package/course_settings.h"
#include "package/embed.h"
#include "package/scorm.h"
#include "package/scorm2004.h"
#include "package/zip_writer.h"
#include "support/files.h"
#include "support/runtime_error.h"
#include "support/workers.h"

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

// Copies a file of the installation into the package, keeping its bytes
// for the zips.
void copyFile(const std::string& from, const std::string& folder, const std::string& rel,
              FileBytes& held) {
  std::string bytes = support::readFile(from);
  support::writeFile(folder + "/" + rel, bytes);
  held[rel] = std::move(bytes);
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
                const std::vector<std::string>& player, FileBytes& held) {
  makePlayerFolder(folder);
  copyFile(programFolder + "/player/index.htm", folder, "index.htm", held);
  for (const std::string& f : player)
    copyFile(programFolder + "/player/" + f, folder, "player/" + f, held);
  for (const char* schema : kSchemaFiles)
    copyFile(programFolder + "/schemas/" + schema, folder, schema, held);
}

// The course's settings; a package made without them (by hand, or by an
// older version) gets the defaults, so that the player finds its file.
CourseSettings courseSettings(const std::string& folder, FileBytes& held) {
  const std::string file = folder + "/" + kCourseScript;
  std::string text;
  try {
    text = readPackageFile(folder, kCourseScript);
  } catch (const support::Error& e) {
    if (e.number() != support::kFileNotFound || support::isLink(file) || fs::exists(file)) throw;
    writeCourseScript(folder, CourseSettings{});
    held[kCourseScript] = courseScript(CourseSettings{});
    return CourseSettings{};
  }
  CourseSettings settings = parseCourseScript(text, file);
  held[kCourseScript] = std::move(text);
  return settings;
}

// One zip to write: the folder's files it holds and the entries made for
// it, which stand in for files of their names.
struct ZipPlan {
  std::string path;
  std::vector<std::string> files;
  std::vector<MadeEntry> made;
};

// The pages packed as soon as they were read and scanned for their
// pictures, while their bytes were still in the cache, rather than kept
// whole until the zips (5 MB for a course of 800 pages: page faults on
// fresh memory). Filled on every core.
struct PackedPages {
  std::mutex guard;
  std::map<std::string, PackedFile> byName;

  PageTaker taker() {
    return [this](const std::string& name, std::string bytes) {
      PackedFile packed = packBytes(name, bytes);
      const std::lock_guard lock(guard);
      byName[name] = std::move(packed);
    };
  }
};

// Every file is packed once, on every core, whichever zips hold it; a made
// entry whose bytes are those of the file of its name, or of an entry made
// alike for another zip, shares its packing. Reading the files not in hand
// checks them: a link or a missing file fails the step before any zip is
// written. What the step wrote after the pages were packed (in `held`)
// goes before a page of the same name.
struct Packed {
  std::map<std::string, size_t> byName;                           // file name -> index in `files`
  std::vector<std::vector<std::pair<std::string, size_t>>> made;  // per zip: made entry -> index
  std::vector<PackedFile> files;
};

Packed packFiles(const std::string& folder, const std::vector<std::string>& names,
                 const std::vector<ZipPlan>& plans, const FileBytes& held, PackedPages& pages) {
  Packed p;
  std::vector<PackSource> sources;
  std::vector<size_t> to;  // source i's index in p.files
  const auto add = [&](PackSource s) {
    to.push_back(p.files.size());
    p.files.emplace_back();
    sources.push_back(std::move(s));
  };
  for (const std::string& rel : names) {
    const auto h = held.find(rel);
    const auto page = pages.byName.find(rel);
    p.byName[rel] = p.files.size();
    if (h == held.end() && page != pages.byName.end())
      p.files.push_back(std::move(page->second));
    else
      add({rel, folder, h == held.end() ? nullptr : &h->second});
  }
  std::map<std::pair<std::string, std::string_view>, size_t> madeAlike;
  for (const ZipPlan& plan : plans) {
    p.made.emplace_back();
    for (const MadeEntry& m : plan.made) {
      const auto h = held.find(m.name);
      if (h != held.end() && h->second == m.bytes && p.byName.count(m.name)) {
        p.made.back().emplace_back(m.name, p.byName[m.name]);
        continue;
      }
      const auto [alike, added] = madeAlike.try_emplace({m.name, m.bytes}, p.files.size());
      p.made.back().emplace_back(m.name, alike->second);
      if (added) add({m.name, "", &m.bytes});
    }
  }
  std::vector<PackedFile> packed = packAll(sources);
  for (size_t i = 0; i < packed.size(); ++i) p.files[to[i]] = std::move(packed[i]);
  pages.byName.clear();
  return p;
}

// The entries of zip `z` in zipOrder: its made entries stand in for files
// of their names.
std::vector<ZipEntry> zipEntries(const Packed& p, const std::vector<std::string>& files, size_t z) {
  std::map<std::string, size_t> chosen;
  for (const std::string& f : files) chosen[f] = p.byName.at(f);
  for (const auto& [name, index] : p.made[z]) chosen[name] = index;
  std::vector<std::string> names;
  for (const auto& [name, index] : chosen) names.push_back(name);
  std::vector<ZipEntry> entries;
  for (const std::string& name : zipOrder(std::move(names)))
    entries.push_back({name, &p.files[chosen.at(name)]});
  return entries;
}

// The zips the settings choose, in the order they are written: the IMS zip
// last, so that a copy step that fails before it leaves the old one, as it
// always has.
std::vector<ZipPlan> plans(const std::string& programFolder, const std::string& folder,
                           const std::vector<std::string>& files, const CourseSettings& settings,
                           const std::string& title) {
  const std::string schemas = programFolder + "/schemas";
  const LmsCourse lms = lmsCourse(folder, files, title);
  // A course without tests has no score to reach.
  const std::optional<int> passMark =
      hasTests(files) ? std::optional<int>(settings.passMark) : std::nullopt;
  std::vector<ZipPlan> out;
  if (settings.targets & course::kScorm12Target) {
    ScormZip z = scormZip(schemas, lms, files, passMark);
    out.push_back({folder + ".scorm.zip", std::move(z.files), std::move(z.made)});
  }
  if (settings.targets & course::kScorm2004Target) {
    ScormZip z = scorm2004Zip(schemas, lms, passMark);
    out.push_back({folder + ".scorm2004.zip", std::move(z.files), std::move(z.made)});
  }
  if (settings.targets & course::kCmi5Target) {
    ScormZip z = cmi5Zip(lms, passMark, settings.language);
    out.push_back({folder + ".cmi5.zip", std::move(z.files), std::move(z.made)});
  }
  if (settings.targets & course::kImsTarget) out.push_back({folder + ".zip", files, {}});
  return out;
}

// The zips are written side by side, one per core, and put in place in
// their order, up to the first that failed: the IMS zip, last, replaces the
// old one only when every zip is whole, as when they were written in turn.
void writeZips(const std::vector<ZipPlan>& zips, const Packed& packed, Completed& done) {
  std::vector<std::unique_ptr<support::PendingFile>> written(zips.size());
  std::vector<std::exception_ptr> failed(zips.size());
  support::forEachOnCores(zips.size(), [&](size_t z) {
    try {
      step("writing " + zips[z].path,
           [&] { written[z] = packZip(zips[z].path, zipEntries(packed, zips[z].files, z)); });
    } catch (...) {
      failed[z] = std::current_exception();
    }
  });
  for (size_t z = 0; z < zips.size(); ++z) {
    if (failed[z]) std::rethrow_exception(failed[z]);
    step("writing " + zips[z].path, [&] { written[z]->commit(); });
    done.zips.push_back(zips[z].path);
  }
}

}  // namespace

std::vector<std::string> zipPaths(const std::string& folder, course::Targets targets) {
  std::vector<std::string> out;
  for (const auto& [target, suffix] :
       {std::pair{course::kImsTarget, ".zip"}, std::pair{course::kScorm12Target, ".scorm.zip"},
        std::pair{course::kScorm2004Target, ".scorm2004.zip"},
        std::pair{course::kCmi5Target, ".cmi5.zip"}})
    if (targets & target) out.push_back(folder + suffix);
  return out;
}

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
  std::vector<std::string> player, files;
  std::string title;
  CourseSettings settings;
  FileBytes held;  // each file read once, or as this step wrote it
  PackedPages pages;
  CourseContents contents;
  step("reading the course player", [&] { player = playerFiles(programFolder + "/player"); });
  // A folder that is no package (no manifest) is left as it is.
  step("reading the manifest",
       [&] { contents = courseContents(folder, player, held, pages.taker()); });
  files = std::move(contents.files);
  title = std::move(contents.title);
  const std::string parent = fs::path(folder).parent_path().string();
  support::removeStaleTemporaries(parent.empty() ? "." : parent);  // the zip's
  step("copying the course player", [&] { copyPlayer(programFolder, folder, player, held); });
  step("reading the course's settings", [&] { settings = courseSettings(folder, held); });
  step("writing the scripts for a course opened from disk",
       [&] { writePackageScripts(folder, contents.scripts, held); });
  std::vector<ZipPlan> zips;
  step("reading the schemas", [&] { zips = plans(programFolder, folder, files, settings, title); });
  Packed packed;
  step("packing the package's files",
       [&] { packed = packFiles(folder, files, zips, held, pages); });
  held.clear();  // the packed bytes are what the zips need
  writeZips(zips, packed, done);
  // The folder's stale temporaries go in the same walk.
  done.leftOut = leftoversRemovingStale(folder, files);
  return done;
}

}  // namespace package
