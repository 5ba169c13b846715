#include "support/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

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

}  // namespace

std::string readFile(const std::string& path) {
  Fd f{::open(path.c_str(), O_RDONLY | O_CLOEXEC)};
  if (f.fd < 0) raise(errno == ENOENT || errno == ENOTDIR ? 53 : 75);
  struct stat st {};
  if (::fstat(f.fd, &st) != 0) raise(75);
  if (S_ISDIR(st.st_mode)) raise(75);
  std::string bytes;
  // The size is a hint: a file that grows or shrinks meanwhile is read to
  // its end all the same.
  bytes.resize(S_ISREG(st.st_mode) ? static_cast<size_t>(st.st_size) + 1 : 4096);
  size_t have = 0;
  for (;;) {
    if (have == bytes.size()) bytes.resize(bytes.size() * 2);
    ssize_t n = ::read(f.fd, bytes.data() + have, bytes.size() - have);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) raise(errno == EISDIR ? 75 : 57);
    if (n == 0) break;
    have += static_cast<size_t>(n);
  }
  bytes.resize(have);
  return bytes;
}

void writeFile(const std::string& path, std::string_view bytes) {
  // An existing file is overwritten in place and then cut to length, not
  // emptied first: emptying frees its blocks, and where the file system
  // hands freed blocks back to the disk at once, every page of a course
  // converted again would wait for the disk.
  Fd f{::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666)};
  if (f.fd < 0) raise(errno == ENOENT ? 76 : 75);
  struct stat st {};
  if (::fstat(f.fd, &st) != 0 || !S_ISREG(st.st_mode)) raise(75);
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(f.fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) raise(61);
    done += static_cast<size_t>(n);
  }
  // Only a file that was longer has a tail to cut (cutting costs a change
  // of the file's record even when there is nothing to cut).
  if (st.st_size > static_cast<off_t>(bytes.size()) &&
      ::ftruncate(f.fd, static_cast<off_t>(bytes.size())) != 0)
    raise(61);
  int fd = f.fd;
  f.fd = -1;
  if (::close(fd) != 0) raise(61);
}

void unlinkUnlessOwnFile(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode) &&
      (!S_ISREG(st.st_mode) || st.st_nlink > 1))
    ::unlink(path.c_str());
}

void raiseFileError(int err, bool missingIsPath) {
  switch (err) {
    case ENOENT:
      raise(missingIsPath ? 76 : 53);
    case ENOTDIR:
      raise(76);
    case EACCES:
    case EPERM:
    case EROFS:
      raise(70);
    case ENOSPC:
      raise(61);
    case ENOMEM:
      raise(7);
    default:
      raise(75);
  }
}

bool isFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string programFolder() {
  char buf[PATH_MAX];
  ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return ".";
  std::string path(buf, static_cast<size_t>(n));
  auto slash = path.rfind('/');
  return slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
}

}  // namespace support
