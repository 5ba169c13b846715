// A zip whose entries' own headers tell another story than its directory:
// unpackers that read the headers in their order (as a stream) and those
// that read the directory unpack different packages.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "fixture.h"

namespace {
using namespace check_fixture;

void put32(std::string& bytes, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
}

// A stored entry's own header and bytes, as a zip holds them.
std::string storedHeader(const std::string& name, const std::string& data) {
  std::string h("PK\x03\x04\x14\0\0\0\0\0\0\0\0\0", 14);
  h += std::string(12, '\0') + std::string(4, '\0');
  put32(h, 18, static_cast<uint32_t>(data.size()));
  put32(h, 22, static_cast<uint32_t>(data.size()));
  h[26] = static_cast<char>(name.size());
  return h + name + data;
}

// The zip with a header and bytes of an entry "extra.htm" that its
// directory does not list, before the directory or before every entry (the
// offsets of the directory and of each entry moved past it).
std::string withUnlisted(const std::string& zip, bool first) {
  const auto u32 = [](const std::string& z, size_t at) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<uint8_t>(z[at + i]);
    return v;
  };
  const std::string extra = storedHeader("extra.htm", "<p>unlisted</p>");
  const auto moved = static_cast<uint32_t>(extra.size());
  const size_t directory = u32(zip, zip.rfind("PK\x05\x06") + 16);
  std::string z = first ? extra + zip : zip.substr(0, directory) + extra + zip.substr(directory);
  const size_t end = z.rfind("PK\x05\x06");
  put32(z, end + 16, static_cast<uint32_t>(directory) + moved);
  for (size_t at = directory + moved; first && at < end;
       at += 46 + (u32(z, at + 28) & 0xFFFF) + (u32(z, at + 30) & 0xFFFF) + (u32(z, at + 32) & 0xFFFF))
    put32(z, at + 42, u32(z, at + 42) + moved);
  return z;
}

TEST_F(PackageTest, ZipEntriesWhoseHeadersDisagreeWithTheDirectoryAreFaults) {
  const fs::path zip = packaged().string() + ".zip";
  const std::string bytes = read(zip);
  ASSERT_TRUE(checkPackage(zip.string(), kSchemas).ok());
  size_t page = bytes.find("page3.htm");
  while (page != std::string::npos && bytes.compare(page - 30, 4, "PK\x03\x04") != 0)
    page = bytes.find("page3.htm", page + 1);
  ASSERT_NE(page, std::string::npos);
  const size_t header = page - 30;
  const std::string described =
      "fault: zip entry 'page3.htm' has another method, checksum or size in its own header";
  const std::string unlisted = "fault: the zip holds an entry 'extra.htm' that its directory";
  const struct {
    const char* name;
    size_t at;  // a field of the entry's header, changed by one
    std::string cause;
  } changed[] = {
      {"method", header + 8, described},
      {"checksum", header + 14, described},
      {"packed size", header + 18, described},
      {"size", header + 22, described},
  };
  for (const auto& c : changed) {
    SCOPED_TRACE(c.name);
    std::string z = bytes;
    z[c.at] = static_cast<char>(z[c.at] ^ 1);
    write(zip, z);
    const std::string report = formatResult(checkPackage(zip.string(), kSchemas));
    EXPECT_NE(report.find(c.cause), std::string::npos) << report;
  }
  // An entry the directory does not list, after the last entry or first in
  // the zip.
  for (const bool first : {false, true}) {
    SCOPED_TRACE(first ? "first" : "last");
    write(zip, withUnlisted(bytes, first));
    const std::string report = formatResult(checkPackage(zip.string(), kSchemas));
    EXPECT_NE(report.find(unlisted), std::string::npos) << report;
  }
}

}  // namespace
