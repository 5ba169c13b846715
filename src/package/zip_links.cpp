#include "package/zip_links.h"

#include <algorithm>
#include <cstdint>
#include <fstream>

namespace package {

namespace {

constexpr uint32_t kEndOfDirectory = 0x06054b50;
constexpr uint32_t kZip64Locator = 0x07064b50;
constexpr uint32_t kZip64End = 0x06064b50;
constexpr uint32_t kDirectoryEntry = 0x02014b50;
constexpr uint32_t kUnixHost = 3;
constexpr uint32_t kTypeMask = 0170000, kLinkType = 0120000;
// The end record and the longest comment it may carry.
constexpr size_t kTailSearch = 22 + 0xFFFF;
// A directory larger than this is no course package's.
constexpr uint64_t kMaxDirectory = uint64_t{256} << 20;

uint64_t le(const std::string& b, size_t at, int bytes) {
  uint64_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b[at + i]);
  return v;
}

bool readAt(std::ifstream& in, uint64_t offset, size_t size, std::string& out) {
  out.assign(size, '\0');
  in.clear();
  in.seekg(static_cast<std::streamoff>(offset));
  return static_cast<bool>(in.read(out.data(), static_cast<std::streamsize>(size)));
}

// Where the central directory lies and how long it is, from the end record
// (and its 64-bit form when the short one overflows).
bool findDirectory(std::ifstream& in, uint64_t fileSize, uint64_t& offset, uint64_t& size) {
  const size_t tail = static_cast<size_t>(std::min<uint64_t>(fileSize, kTailSearch));
  std::string t;
  if (tail < 22 || !readAt(in, fileSize - tail, tail, t)) return false;
  for (size_t at = tail - 22 + 1; at-- > 0;) {
    if (le(t, at, 4) != kEndOfDirectory) continue;
    size = le(t, at + 12, 4);
    offset = le(t, at + 16, 4);
    if (offset == 0xFFFFFFFF && at >= 20 && le(t, at - 20, 4) == kZip64Locator) {
      std::string z;
      if (!readAt(in, le(t, at - 20 + 8, 8), 56, z) || le(z, 0, 4) != kZip64End) return false;
      size = le(z, 40, 8);
      offset = le(z, 48, 8);
    }
    return offset <= fileSize && size <= fileSize - offset;
  }
  return false;
}

}  // namespace

std::vector<std::string> linkEntries(const std::string& zipPath) {
  std::vector<std::string> links;
  std::ifstream in(zipPath, std::ios::binary | std::ios::ate);
  if (!in) return links;
  const auto fileSize = static_cast<uint64_t>(in.tellg());
  uint64_t offset = 0, size = 0;
  std::string dir;
  if (!findDirectory(in, fileSize, offset, size) || size > kMaxDirectory ||
      !readAt(in, offset, static_cast<size_t>(size), dir))
    return links;
  for (size_t at = 0; at + 46 <= dir.size() && le(dir, at, 4) == kDirectoryEntry;) {
    const size_t nameLength = le(dir, at + 28, 2);
    const size_t next = at + 46 + nameLength + le(dir, at + 30, 2) + le(dir, at + 32, 2);
    if (next > dir.size()) break;
    const uint64_t host = le(dir, at + 4, 2) >> 8;
    const uint64_t mode = le(dir, at + 38, 4) >> 16;
    if (host == kUnixHost && (mode & kTypeMask) == kLinkType)
      links.push_back(dir.substr(at + 46, nameLength));
    at = next;
  }
  return links;
}

}  // namespace package
