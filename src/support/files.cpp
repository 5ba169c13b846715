#include "support/files.h"

#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

#include "support/runtime_error.h"

namespace support {

std::string readFile(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) raise(errno == ENOENT || errno == ENOTDIR ? 53 : 75);
  if (S_ISDIR(st.st_mode)) raise(75);
  std::ifstream in(path, std::ios::binary);
  if (!in) raise(75);
  std::ostringstream buf;
  buf << in.rdbuf();
  if (in.bad()) raise(57);
  return std::move(buf).str();
}

void writeFile(const std::string& path, std::string_view bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) raise(errno == ENOENT ? 76 : 75);
  size_t n = std::fwrite(bytes.data(), 1, bytes.size(), f);
  bool ok = n == bytes.size();
  ok = (std::fclose(f) == 0) && ok;
  if (!ok) raise(61);
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
