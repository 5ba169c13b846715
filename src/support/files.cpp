#include "support/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <system_error>

#include "support/runtime_error.h"

namespace support {

namespace {

// Closes the descriptor on every way out.
struct Fd {
  int fd;
  ~Fd() {
    if (fd >= 0) ::close(fd);
  }
};

constexpr std::string_view kTemporaryPrefix = ".rdtmp.";

#ifdef RAREDOZUD_FAULT_INJECTION
std::atomic<int64_t> faultCountdown{0};  // operations left until the one to fail; 0: none
std::once_flag faultFromEnvironment;

void readFaultFromEnvironment() {
  std::call_once(faultFromEnvironment, [] {
    if (const char* env = std::getenv("RAREDOZUD_FAIL_FILE_OP"))
      faultCountdown = std::max<int64_t>(0, std::strtoll(env, nullptr, 10));
  });
}

// True when this write or rename is the one a test asked to fail.
bool injectedFault() {
  readFaultFromEnvironment();
  int64_t left = faultCountdown.load();
  while (left > 0 && !faultCountdown.compare_exchange_weak(left, left - 1)) {
  }
  return left == 1;
}
#else
// An installed program has no seam: no variable of its environment makes
// it fail a write on purpose.
constexpr bool injectedFault() {
  return false;
}
#endif

// Without its trailing '/': lstat would follow a link named with one.
std::string withoutTrailingSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

std::string folderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// A name no other process and no other write of this one uses.
std::string temporaryFor(const std::string& path) {
  static std::atomic<uint64_t> next{0};
  return folderOf(path) + std::string(kTemporaryPrefix) + std::to_string(::getpid()) + "." +
         std::to_string(next++);
}

void writeAll(int fd, std::string_view bytes, const std::string& path) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) raiseFileError(errno, path);
    if (n == 0) raiseFileError(ENOSPC, path);
    done += static_cast<size_t>(n);
  }
}

}  // namespace

Error fileError(int err, const std::string& path, bool missingIsPath) {
  RuntimeError number = kPathFileAccessError;
  switch (err) {
    case ENOENT:
      number = missingIsPath ? kPathNotFound : kFileNotFound;
      break;
    case ENOTDIR:
      number = kPathNotFound;
      break;
    case EACCES:
    case EPERM:
      number = kPermissionDenied;
      break;
    case ENOSPC:
    case EDQUOT:
      number = kDiskFull;
      break;
    case EIO:
      number = kDeviceIOError;
      break;
    case EEXIST:
      number = kFileAlreadyExists;
      break;
    case EMFILE:
    case ENFILE:
      number = kTooManyFiles;
      break;
    case ENOMEM:
      number = kOutOfMemory;
      break;
    default:
      number = kPathFileAccessError;
      break;  // EROFS, EISDIR, ELOOP, ENAMETOOLONG ...
  }
  std::string detail = std::error_code(err, std::generic_category()).message();
  if (!path.empty()) detail = path + ": " + detail;
  return Error(number, kProgramSource, runtimeErrorText(number), detail);
}

void raiseFileError(int err, const std::string& path, bool missingIsPath) {
  throw fileError(err, path, missingIsPath);
}

std::string readFile(const std::string& path) {
  Fd f{::open(path.c_str(), O_RDONLY | O_CLOEXEC)};
  if (f.fd < 0) raiseFileError(errno, path);
  return readDescriptor(f.fd, path);
}

std::string readDescriptor(int fd, const std::string& path) {
  struct stat st {};
  if (::fstat(fd, &st) != 0) raiseFileError(errno, path);
  if (S_ISDIR(st.st_mode)) raiseFileError(EISDIR, path);
  std::string bytes;
  // The size is a hint: a file that grows or shrinks meanwhile is read to
  // its end all the same.
  bytes.resize(S_ISREG(st.st_mode) ? static_cast<size_t>(st.st_size) + 1 : 4096);
  size_t have = 0;
  for (;;) {
    if (have == bytes.size()) bytes.resize(bytes.size() * 2);
    ssize_t n = ::read(fd, bytes.data() + have, bytes.size() - have);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) raiseFileError(errno, path);
    if (n == 0) break;
    have += static_cast<size_t>(n);
  }
  bytes.resize(have);
  return bytes;
}

PendingFile::PendingFile(std::string path)
    : path_(std::move(path)), temporary_(temporaryFor(path_)) {
  fd_ = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
  if (fd_ < 0) raiseFileError(errno, path_, true);
}

PendingFile::~PendingFile() {
  if (temporary_.empty()) return;
  if (fd_ >= 0) ::close(fd_);
  ::unlink(temporary_.c_str());
}

void PendingFile::write(std::string_view bytes) {
  if (injectedFault()) raiseFileError(ENOSPC, path_);
  writeAll(fd_, bytes, path_);
}

void PendingFile::commit() {
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) raiseFileError(errno, path_);
  // The rename replaces whatever stands at the name (a link included) in one
  // step; a folder there makes it fail.
  if (injectedFault()) raiseFileError(ENOSPC, path_);
  if (::rename(temporary_.c_str(), path_.c_str()) != 0) raiseFileError(errno, path_, true);
  temporary_.clear();
}

void writeFile(const std::string& path, std::string_view bytes) {
  PendingFile file(path);
  file.write(bytes);
  file.commit();
}

void appendToFile(const std::string& path, std::string_view bytes) {
  // Without waiting: a pipe at the name that nothing reads would hold the
  // open until something did. One that is read is written as a file is.
  Fd f{::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0666)};
  if (f.fd < 0 && errno == ENXIO) raise(kPathFileAccessError, path + ": a pipe that nothing reads");
  if (f.fd < 0) raiseFileError(errno, path, true);
  if (const int flags = ::fcntl(f.fd, F_GETFL); flags >= 0)
    ::fcntl(f.fd, F_SETFL, flags & ~O_NONBLOCK);
  writeAll(f.fd, bytes, path);
  const int fd = std::exchange(f.fd, -1);
  if (::close(fd) != 0) raiseFileError(errno, path, true);
}

bool isTemporaryName(std::string_view leaf) {
  return leaf.starts_with(kTemporaryPrefix);
}

FolderLock::FolderLock(const std::string& folder, const std::function<void()>& waiting) {
  fd_ =
      ::open(withoutTrailingSlash(folder).c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd_ < 0) return;
  int rc = ::flock(fd_, LOCK_EX | LOCK_NB);
  if (rc != 0 && errno == EWOULDBLOCK) {
    if (waiting) waiting();
    do rc = ::flock(fd_, LOCK_EX);
    while (rc != 0 && errno == EINTR);
  }
  // A file system without locks: the run goes on as it did before locks.
  if (rc != 0) release();
}

FolderLock& FolderLock::operator=(FolderLock&& other) noexcept {
  if (this != &other) {
    release();
    fd_ = std::exchange(other.fd_, -1);
  }
  return *this;
}

void FolderLock::release() {
  if (fd_ < 0) return;
  ::close(fd_);  // closing the only descriptor releases the lock
  fd_ = -1;
}

void forEachEntry(const std::string& folder,
                  const std::function<void(const char* name, EntryKind kind)>& f) {
  struct Close {
    void operator()(DIR* d) const { ::closedir(d); }
  };
  const std::unique_ptr<DIR, Close> dir(::opendir(folder.c_str()));
  if (!dir) return;
  while (const dirent* e = ::readdir(dir.get())) {
    const std::string_view name = e->d_name;
    if (name == "." || name == "..") continue;
    unsigned char type = e->d_type;
    if (type == DT_UNKNOWN) {  // a file system that does not say: ask it
      struct stat st {};
      const std::string path = folder + "/" + e->d_name;
      type = ::lstat(path.c_str(), &st) != 0 ? DT_UNKNOWN
             : S_ISDIR(st.st_mode)           ? DT_DIR
             : S_ISLNK(st.st_mode)           ? DT_LNK
             : S_ISREG(st.st_mode)           ? DT_REG
                                             : DT_UNKNOWN;
    }
    f(e->d_name, type == DT_DIR   ? EntryKind::Folder
                 : type == DT_LNK ? EntryKind::Link
                 : type == DT_REG ? EntryKind::File
                                  : EntryKind::Other);
  }
}

bool removeIfStaleTemporary(const std::string& folder, const char* leaf) {
  if (!isTemporaryName(leaf)) return false;
  // ".rdtmp." + pid + "." + n: a process still running may be writing it.
  const long pid = std::strtol(leaf + kTemporaryPrefix.size(), nullptr, 10);
  const bool running = pid > 0 && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM);
  if (!running) ::unlink((folder + "/" + leaf).c_str());
  return true;
}

void removeStaleTemporaries(const std::string& folder, bool subfolders) {
  forEachEntry(folder, [&](const char* leaf, EntryKind kind) {
    if (subfolders && kind == EntryKind::Folder)
      removeStaleTemporaries(folder + "/" + leaf, false);
    else
      removeIfStaleTemporary(folder, leaf);
  });
}

bool isFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool isLink(const std::string& path) {
  struct stat st {};
  return ::lstat(withoutTrailingSlash(path).c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

bool isPlainFolder(const std::string& path) {
  struct stat st {};
  return ::lstat(withoutTrailingSlash(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

#ifdef RAREDOZUD_FAULT_INJECTION
void failFileOperationAt(int64_t n) {
  readFaultFromEnvironment();
  faultCountdown = std::max<int64_t>(0, n);
}
#endif

std::string programFolder() {
  char buf[PATH_MAX];
  ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return ".";
  std::string path(buf, static_cast<size_t>(n));
  auto slash = path.rfind('/');
  return slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
}

}  // namespace support
