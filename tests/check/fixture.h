#pragma once
// What the package check tests share: a converted course package in a
// work folder of its own, the copy script, reading a check's findings, and
// breaking a package.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "../common/zip.h"
#include "package/package_check.h"
#include "package/zip_writer.h"

namespace check_fixture {
namespace fs = std::filesystem;
using package::checkPackage;
using package::CheckResult;
using package::Finding;
using testing_support::zipEntries;

const std::string kProgramDir = RD_BINARY_DIR "/app";
const std::string kSchemas = kProgramDir + "/schemas";
const fs::path kFixture = fs::path(RD_TEST_DIR) / "corpus" / "course_package";

inline std::string read(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

inline void write(const fs::path& p, const std::string& bytes) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out << bytes;
}

inline std::string quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

inline int run(const std::string& command) {
  int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

inline std::string faults(const CheckResult& r) {
  std::string out;
  for (const Finding& f : r.findings)
    if (f.severity == Finding::Severity::Fault) out += f.message + "\n";
  return out;
}

inline std::vector<std::string> notes(const CheckResult& r) {
  std::vector<std::string> out;
  for (const Finding& f : r.findings)
    if (f.severity == Finding::Severity::Note) out.push_back(f.message);
  return out;
}

inline std::set<std::string> filesUnder(const fs::path& root) {
  std::set<std::string> out;
  for (const auto& e : fs::recursive_directory_iterator(root))
    if (e.is_regular_file()) out.insert(e.path().lexically_relative(root).generic_string());
  return out;
}

// Every file of a folder into a zip, as a packer that chooses nothing would.
inline void zipAll(const fs::path& folder, const fs::path& zip) {
  std::set<std::string> files = filesUnder(folder);
  package::writeZip(folder.string(), {files.begin(), files.end()}, zip.string());
}

// A work folder per test, under a path with a blank and Cyrillic letters.
class PackageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (fs::temp_directory_path() / "rd-check-XXXXXX").string();
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    root_ = tmpl;
    parent_ = root_ / "мои курсы";
    fs::create_directories(parent_);
  }
  void TearDown() override { fs::remove_all(root_); }

  // The fixture as a conversion leaves it: pages, test data, test pages made
  // from the template, manifest, preview and header.
  fs::path converted(const std::string& name = "курс по SQL") {
    fs::path out = parent_ / name;
    fs::copy(kFixture, out, fs::copy_options::recursive);
    std::string tmpl = read(kProgramDir + "/sql_test.htm");
    for (int n : {1, 2}) {
      std::string page = tmpl;
      std::string data = "testdata" + std::to_string(n) + ".htm";
      for (size_t at; (at = page.find("%FILE=")) != std::string::npos;) page.replace(at, 6, data);
      write(out / ("test" + std::to_string(n) + ".htm"), page);
    }
    return out;
  }

  int copyScript(const fs::path& out) {
    return run("sh " + quote(kProgramDir + "/copysql.sh") + " " + quote(kProgramDir) + " " +
               quote(out.string()) + " 2>/dev/null");
  }

  fs::path packaged(const std::string& name = "курс по SQL") {
    fs::path out = converted(name);
    EXPECT_EQ(copyScript(out), 0);
    return out;
  }

  fs::path root_, parent_;
};

struct Breakage {
  const char* name;
  std::function<void(const fs::path&)> apply;
  const char* cause;
};

inline void replaceIn(const fs::path& file, const std::string& from, const std::string& to) {
  std::string s = read(file);
  size_t at = s.find(from);
  ASSERT_NE(at, std::string::npos) << from;
  s.replace(at, from.size(), to);
  write(file, s);
}

// An entry as the zip stores it: its name, method, CRC and packed bytes.
struct StoredEntry {
  std::string name;
  int method = 0;
  uint32_t crc = 0;
  std::string data;
  bool operator==(const StoredEntry&) const = default;
};

// The entries of a zip from their local headers, in the zip's order (the
// writer puts every size in the header, no descriptor after the data).
inline std::vector<StoredEntry> storedEntries(const fs::path& zip) {
  const std::string z = read(zip);
  const auto u16 = [&](size_t at) {
    return static_cast<uint32_t>(static_cast<uint8_t>(z[at]) | static_cast<uint8_t>(z[at + 1])
                                                                   << 8);
  };
  const auto u32 = [&](size_t at) { return u16(at) | u16(at + 2) << 16; };
  std::vector<StoredEntry> out;
  for (size_t at = 0; at + 30 <= z.size() && u32(at) == 0x04034b50;) {
    EXPECT_EQ(u16(at + 6) & 8, 0u) << "a data descriptor";
    const size_t name = at + 30, data = name + u16(at + 26) + u16(at + 28), size = u32(at + 18);
    out.push_back({z.substr(name, u16(at + 26)), static_cast<int>(u16(at + 8)), u32(at + 14),
                   z.substr(data, size)});
    at = data + size;
  }
  return out;
}

}  // namespace check_fixture
