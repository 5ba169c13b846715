#pragma once
// What belongs to a converted course package: the files its manifest names
// and what those files need. The copy step zips exactly these; anything else
// in the folder is a leftover (an older version's page, a file of the
// author's) that stays in the folder and out of the zip.
#include <array>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace package {

// The schemas the manifest names, and the one they import: they travel
// beside the manifest.
inline constexpr std::array<const char*, 3> kSchemaFiles = {"imscp_v1p1p3.xsd", "imsmd_v1p2p2.xsd",
                                                            "ims_xml.xsd"};

// The course player's files beside its index.htm in the installation's
// `playerFolder`, by name. Throws support::Error 53 when the player is
// missing.
std::vector<std::string> playerFiles(const std::string& playerFolder);

// The course's files in `folder`, relative and "/"-separated, each once:
// imsmanifest.xml, header.htm, the outline preview pvomanifest.htm and its
// script, the course's settings course.js, the player's index.htm and
// player/ + each of `playerFiles`, the
// schemas, every file a resource of the manifest names, the pictures each
// named page refers to (pageN_files/...), and for each test page testN.htm
// its test data file testdataN.htm and that file's script. Whether they
// exist is the caller's to check. Throws support::Error when the manifest
// cannot be read.
std::vector<std::string> courseFiles(const std::string& folder,
                                     const std::vector<std::string>& playerFiles);

// The bytes of package files in hand, by relative name: the copy step reads
// each file once, and what it has read or written serves the scripts, the
// contents and every zip.
using FileBytes = std::map<std::string, std::string>;
// courseFiles, keeping in `read` the files it reads (the manifest and the
// pages) and taking those it holds already from there.
std::vector<std::string> courseFiles(const std::string& folder,
                                     const std::vector<std::string>& playerFiles, FileBytes& read);
// The same with the course's title (courseTitle), from one reading of the
// manifest.
struct CourseContents {
  std::vector<std::string> files;
  std::string title;
  // The scripts among `files` that the copy step makes (the outline's and
  // each test's data's, at the folder's root): a script the manifest names
  // otherwise is the author's file, read like any other.
  std::vector<std::string> scripts;
};
// A page read while the contents are found, handed over on the thread that
// read it (any thread, so it must guard what it shares) instead of being
// kept in `read`.
using PageTaker = std::function<void(const std::string& name, std::string bytes)>;
CourseContents courseContents(const std::string& folder,
                              const std::vector<std::string>& playerFiles, FileBytes& read,
                              const PageTaker& take = nullptr);

// A character of the file names the converter writes and the player opens
// (letters, digits, ".", "_" and "-").
bool nameChar(char c);

// Reads file `rel` ("/"-separated) of the package folder `folder`,
// following no link on the way: a folder of the package linked elsewhere
// would have the step read, and zip, what lies outside it. Throws
// support::Error: 75 for a link ("is a symbolic link, not a file of the
// package") or a file larger than kMaxPackageFile, 53 for a missing file or
// one that is no plain file, and as support::fileError gives it when it
// cannot be read.
inline constexpr size_t kMaxPackageFile = size_t{512} << 20;
std::string readPackageFile(const std::string& folder, const std::string& rel);

// A package folder opened once, for the many files a step reads from it
// (on any thread), each as readPackageFile reads it. Throws as
// support::fileError gives it when the folder cannot be opened.
class PackageFolder {
 public:
  explicit PackageFolder(const std::string& folder);
  ~PackageFolder();
  PackageFolder(const PackageFolder&) = delete;
  PackageFolder& operator=(const PackageFolder&) = delete;
  std::string read(const std::string& rel) const;

 private:
  std::string folder_;
  int fd_;
};

// The files and links below `folder` that are not among `course`, the
// writers' temporaries aside, by name.
std::vector<std::string> leftovers(const std::string& folder,
                                   const std::vector<std::string>& course);
// The same, removing on the way the temporaries of processes no longer
// running in `folder` and the folders right inside it, as
// support::removeStaleTemporaries(folder, true) would: one walk instead of two.
std::vector<std::string> leftoversRemovingStale(const std::string& folder,
                                                const std::vector<std::string>& course);

}  // namespace package
