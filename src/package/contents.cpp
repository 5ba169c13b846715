#include "package/contents.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <filesystem>
#include <optional>
#include <set>
#include <vector>

#include "course/file_names.h"
#include "package/manifest_names.h"
#include "support/files.h"
#include "support/runtime_error.h"
#include "support/workers.h"

namespace package {
namespace fs = std::filesystem;

namespace {

// The pictures a page's attributes refer to in its own folder
// ("page7_files/image001.png"), as the page writer names them.
void pagePictures(const std::string& page, const std::string& bytes, std::set<std::string>& out) {
  const std::string prefix = page.substr(0, page.size() - 4) + "_files/";
  const std::string leafPrefix = prefix.substr(prefix.rfind('/', prefix.size() - 2) + 1);
  for (size_t at = bytes.find(leafPrefix); at != std::string::npos;
       at = bytes.find(leafPrefix, at + 1)) {
    if (at == 0 || (bytes[at - 1] != '"' && bytes[at - 1] != '\'')) continue;  // not an attribute
    size_t end = at + leafPrefix.size();
    while (end < bytes.size() && nameChar(bytes[end])) ++end;
    const std::string leaf = bytes.substr(at + leafPrefix.size(), end - at - leafPrefix.size());
    if (!leaf.empty() && leaf != "." && leaf != "..") out.insert(prefix + leaf);
  }
}

// The pictures of every page, the pages read on every core; the pages read
// are kept in `read`, or handed to `take`. A page that cannot be read is the
// caller's to report.
void pagesPictures(const std::string& folder, const std::vector<std::string>& pages,
                   std::set<std::string>& out, FileBytes& read, const PageTaker& take) {
  struct Scanned {
    std::optional<std::string> bytes;  // when read here
    std::set<std::string> pictures;
  };
  std::vector<Scanned> scanned(pages.size());
  const PackageFolder package(folder);
  support::forEachOnCores(pages.size(), [&](size_t i) {
    const auto held = read.find(pages[i]);
    if (held == read.end()) {
      try {
        scanned[i].bytes = package.read(pages[i]);
      } catch (const support::Error&) {
        return;
      }
    }
    pagePictures(pages[i], held == read.end() ? *scanned[i].bytes : held->second,
                 scanned[i].pictures);
    if (take && scanned[i].bytes) {
      take(pages[i], std::move(*scanned[i].bytes));
      scanned[i].bytes.reset();
    }
  });
  for (size_t i = 0; i < pages.size(); ++i) {
    out.merge(scanned[i].pictures);
    if (scanned[i].bytes) read.emplace(pages[i], std::move(*scanned[i].bytes));
  }
}

}  // namespace

bool nameChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '_' || c == '-';
}

std::vector<std::string> playerFiles(const std::string& playerFolder) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(playerFolder, ec))
    if (e.is_regular_file(ec) && e.path().filename() != "index.htm")
      names.push_back(e.path().filename().string());
  if (ec || !support::isFile(playerFolder + "/index.htm"))
    support::raise(support::kFileNotFound, "the course player is missing from " + playerFolder);
  std::sort(names.begin(), names.end());
  return names;
}

namespace {

struct Fd {
  int fd = -1;
  ~Fd() {
    if (fd >= 0) ::close(fd);
  }
};

[[noreturn]] void refuseLink(const std::string& path, const char* what = "file") {
  support::raise(support::kPathFileAccessError,
                 path + " is a symbolic link, not a " + what + " of the package");
}

// The folder below `root` (the package folder `folder`) that `rel`'s file
// lies in, opened a part at a time without following a link; -1 where it
// is the root itself. `leaf` is the file's name in it.
Fd openParent(int root, const std::string& folder, const std::string& rel, std::string& leaf) {
  Fd dir;
  size_t from = 0;
  for (size_t slash = rel.find('/'); slash != std::string::npos; slash = rel.find('/', from)) {
    const std::string part = rel.substr(from, slash - from);
    const std::string reached = folder + "/" + rel.substr(0, slash);
    const int at = dir.fd >= 0 ? dir.fd : root;
    Fd next{::openat(at, part.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC)};
    if (next.fd < 0) {
      const int err = errno;
      struct stat st {};
      if (::fstatat(at, part.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode))
        refuseLink(reached, "folder");
      if (err == ENOENT || err == ENOTDIR)
        support::raise(support::kFileNotFound, folder + "/" + rel + " is missing");
      support::raiseFileError(err, reached);
    }
    std::swap(dir.fd, next.fd);
    from = slash + 1;
  }
  leaf = rel.substr(from);
  return dir;
}

}  // namespace

PackageFolder::PackageFolder(const std::string& folder)
    : folder_(folder),
      fd_(::open(folder.empty() ? "." : folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC)) {
  if (fd_ < 0) support::raiseFileError(errno, folder, true);
}

PackageFolder::~PackageFolder() {
  ::close(fd_);
}

std::string readPackageFile(const std::string& folder, const std::string& rel) {
  return PackageFolder(folder).read(rel);
}

std::string PackageFolder::read(const std::string& rel) const {
  const std::string path = folder_ + "/" + rel;
  std::string leaf;
  const Fd dir = openParent(fd_, folder_, rel, leaf);
  // O_NONBLOCK: a pipe standing at the name must not hold the step up.
  const Fd file{::openat(dir.fd >= 0 ? dir.fd : fd_, leaf.c_str(),
                         O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK)};
  if (file.fd < 0 && errno == ELOOP) refuseLink(path);
  if (file.fd < 0 && errno == ENOENT) support::raise(support::kFileNotFound, path + " is missing");
  if (file.fd < 0) support::raiseFileError(errno, path);
  struct stat st {};
  if (::fstat(file.fd, &st) != 0) support::raiseFileError(errno, path);
  if (!S_ISREG(st.st_mode)) support::raise(support::kFileNotFound, path + " is missing");
  if (static_cast<uint64_t>(st.st_size) > kMaxPackageFile)
    support::raise(support::kPathFileAccessError,
                   path + " is larger than 512 MiB: no file of a course is");
  // The folder is locked: the file keeps the size it has, and reading up to
  // it spares the read that finds the end.
  std::string bytes(static_cast<size_t>(st.st_size), '\0');
  size_t have = 0;
  while (have < bytes.size()) {
    const ssize_t n = ::read(file.fd, bytes.data() + have, bytes.size() - have);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) support::raiseFileError(errno, path);
    if (n == 0) break;
    have += static_cast<size_t>(n);
  }
  bytes.resize(have);
  return bytes;
}

std::vector<std::string> courseFiles(const std::string& folder,
                                     const std::vector<std::string>& playerFiles) {
  FileBytes read;
  return courseFiles(folder, playerFiles, read);
}

std::vector<std::string> courseFiles(const std::string& folder,
                                     const std::vector<std::string>& playerFiles, FileBytes& read) {
  return courseContents(folder, playerFiles, read).files;
}

CourseContents courseContents(const std::string& folder,
                              const std::vector<std::string>& playerFiles, FileBytes& read,
                              const PageTaker& take) {
  auto held = read.find("imsmanifest.xml");
  if (held == read.end())
    held = read.emplace("imsmanifest.xml", readPackageFile(folder, "imsmanifest.xml")).first;
  const std::string& manifest = held->second;
  std::optional<ManifestNames> names = manifestNames(manifest);
  if (!names)
    support::raise(support::kPathFileAccessError,
                   folder + "/imsmanifest.xml cannot be read as XML");

  CourseContents out;
  out.title = std::move(names->title);
  const std::set<std::string>& named = names->files;
  std::set<std::string> files = {"imsmanifest.xml", "header.htm", "pvomanifest.htm", "index.htm",
                                 "course.js"};
  files.insert(kSchemaFiles.begin(), kSchemaFiles.end());
  for (const std::string& p : playerFiles) files.insert("player/" + p);
  std::vector<std::string> pages;
  for (const std::string& f : named) {
    files.insert(f);
    if (f.ends_with(".htm")) pages.push_back(f);
    if (const std::optional<int64_t> test = course::testNumberOf(f)) {
      files.insert(course::testDataFile(*test));
      out.scripts.push_back(course::testDataFile(*test) + ".js");
    }
  }
  out.scripts.push_back("pvomanifest.htm.js");
  files.insert(out.scripts.begin(), out.scripts.end());
  pagesPictures(folder, pages, files, read, take);
  out.files.assign(files.begin(), files.end());
  return out;
}

namespace {

// The files and links below `folder` (`prefix` their names' start) not in
// `wanted`; folders are entered, links to them are not. Temporaries are no
// leftovers; while `removeStale` is above 0, the stale ones of this folder
// and of those `removeStale` - 1 levels down go.
void leftoversIn(const std::string& folder, const std::string& prefix,
                 const std::set<std::string>& wanted, int removeStale,
                 std::vector<std::string>& left) {
  support::forEachEntry(folder, [&](const char* leaf, support::EntryKind kind) {
    std::string rel = prefix + leaf;
    if (kind == support::EntryKind::Folder) {
      leftoversIn(folder + "/" + leaf, rel + "/", wanted, removeStale - 1, left);
      return;
    }
    const bool temporary = removeStale > 0 ? support::removeIfStaleTemporary(folder, leaf)
                                           : support::isTemporaryName(leaf);
    if (!temporary && !wanted.count(rel)) left.push_back(std::move(rel));
  });
}

std::vector<std::string> sortedLeftovers(const std::string& folder,
                                         const std::vector<std::string>& course, int removeStale) {
  const std::set<std::string> wanted(course.begin(), course.end());
  std::vector<std::string> left;
  leftoversIn(folder, "", wanted, removeStale, left);
  std::sort(left.begin(), left.end());
  return left;
}

}  // namespace

std::vector<std::string> leftovers(const std::string& folder,
                                   const std::vector<std::string>& course) {
  return sortedLeftovers(folder, course, 0);
}

std::vector<std::string> leftoversRemovingStale(const std::string& folder,
                                                const std::vector<std::string>& course) {
  return sortedLeftovers(folder, course, 2);
}

}  // namespace package
