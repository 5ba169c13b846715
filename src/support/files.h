#pragma once
// Files as the program reads and writes them. Every write goes to a
// temporary beside its target and is renamed over it: a reader sees the old
// file or the new one, never half of one, and a link standing at the name is
// replaced, never written through.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

#include "support/error.h"

namespace support {

// Reads a whole file. Errors as fileError gives them (53 when it is missing).
std::string readFile(const std::string& path);
// Reads an open file from where it stands to its end; `path` names it in
// errors.
std::string readDescriptor(int fd, const std::string& path);
// Writes a whole file through a temporary renamed over `path`. Errors as
// fileError gives them; a failed write leaves `path` as it was.
void writeFile(const std::string& path, std::string_view bytes);

// Appends `bytes` to the file at `path`, made when missing, in one write:
// lines that processes running at once append never mix. The one file the
// program adds to rather than replaces (the log). Errors as fileError gives
// them, a missing folder as 76.
void appendToFile(const std::string& path, std::string_view bytes);

// A file written in pieces the same way: into a temporary beside `path`,
// which `commit` renames over it. Gone uncommitted, it leaves `path` as it
// was and takes its temporary with it.
class PendingFile {
 public:
  explicit PendingFile(std::string path);
  ~PendingFile();
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;
  void write(std::string_view bytes);
  int descriptor() const { return fd_; }  // for writers that take one; commit closes it
  void commit();

 private:
  std::string path_;
  std::string temporary_;
  int fd_ = -1;
};
// An exclusive lock (flock) on a folder's own directory descriptor, so that
// no file is written for it and a killed holder leaves none behind. A
// conversion holds its package folder's for its whole run, the copy step
// takes it again: two runs never write one package at once. A folder that
// cannot be opened (missing, a link, no folder) is not locked; the writes
// into it fail for that cause on their own.
class FolderLock {
 public:
  FolderLock() = default;
  // When another process holds the lock, `waiting` is called once before
  // this one waits for it.
  FolderLock(const std::string& folder, const std::function<void()>& waiting);
  ~FolderLock() { release(); }
  FolderLock(FolderLock&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  FolderLock& operator=(FolderLock&& other) noexcept;
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;
  bool held() const { return fd_ >= 0; }
  void release();

 private:
  int fd_ = -1;
};

// The entries of `folder` ("." and ".." aside) in the order the system
// lists them, each with its kind as listed (a link is a link, not what it
// points to): a plain walk, without a path object made for every entry.
// Nothing when the folder cannot be opened.
enum class EntryKind { File, Folder, Link, Other };
void forEachEntry(const std::string& folder,
                  const std::function<void(const char* name, EntryKind kind)>& f);

// Removes what writes of processes no longer running left behind in
// `folder`, and with `subfolders` in the folders right inside it (a killed
// run's temporaries); every other file stays.
void removeStaleTemporaries(const std::string& folder, bool subfolders = false);
// Whether a file name is one of writeFile's temporaries.
bool isTemporaryName(std::string_view leaf);
// Whether `leaf` of `folder` is one of writeFile's temporaries; removes it
// when the process that wrote it runs no longer.
bool removeIfStaleTemporary(const std::string& folder, const char* leaf);

bool isFile(const std::string& path);         // a plain file, through links
bool isLink(const std::string& path);         // a symbolic link itself
bool isPlainFolder(const std::string& path);  // a folder, and not a link to one

// The one mapping from a failing file operation's errno to the program's
// run-time errors, with the classic texts: 53 file not found (or 76 path not
// found when `missingIsPath`), 76 path not found, 70 permission denied, 75
// path/file access error (a read-only file system too), 61 disk full,
// 57 device I/O error, 58 file already exists, 67 too many files, 7 out of
// memory. The detail names
// `path` and gives the system's own words.
Error fileError(int err, const std::string& path, bool missingIsPath = false);
[[noreturn]] void raiseFileError(int err, const std::string& path, bool missingIsPath = false);

#ifdef RAREDOZUD_FAULT_INJECTION
// A seam for fault-injection tests: the `n`th write or rename of a file from
// now on fails as a full disk would (0: none). The environment variable
// RAREDOZUD_FAIL_FILE_OP=N sets it for a whole process at its first write.
// Only in builds with the CMake option RAREDOZUD_FAULT_INJECTION (those
// with tests); an installed program has no such seam.
void failFileOperationAt(int64_t n);
#endif

// The folder of the running executable, from /proc/self/exe, without a
// trailing '/'.
std::string programFolder();

}  // namespace support
