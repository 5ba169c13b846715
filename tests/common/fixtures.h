#pragma once
// Shared helpers of the tests of every layer: scratch folders, file
// reading, golden files, the error a call fails with. Header-only, so this
// folder builds no program; it needs nothing above the support layer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "support/codepage.h"
#include "support/error.h"

namespace testing_support {

namespace fs = std::filesystem;

// A fresh empty folder, removed at the end of the test. The path ends in '/'.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::string tmpl = (fs::temp_directory_path() / "rdtest.XXXXXX").string();
    char* made = ::mkdtemp(tmpl.data());
    if (!made) throw std::runtime_error("mkdtemp failed");
    path_ = std::string(made) + "/";
  }
  ~ScratchFolder() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + name; }

 private:
  std::string path_;
};

inline std::string readBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "<missing " + path + ">";
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void writeBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

// A golden file's text, to compare with `actual`. With RD_UPDATE_GOLDEN
// set, `actual` is written there first: read the diff through before
// keeping it.
inline std::string golden(const std::string& path, const std::string& actual) {
  if (std::getenv("RD_UPDATE_GOLDEN")) writeBytes(path, actual);
  return readBytes(path);
}

// The error f() fails with; a call that does not fail fails the test and
// gives error 0.
template <class F>
support::Error thrown(F&& f) {
  try {
    f();
  } catch (const support::Error& e) {
    return e;
  }
  ADD_FAILURE() << "the call did not fail";
  return support::Error(0, "", "");
}

inline bool exists(const std::string& path) {
  return fs::exists(path);
}

// How often `what` occurs in `text`, overlapping occurrences counted.
inline size_t occurrences(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// Files of a folder, sorted, without subfolders.
inline std::vector<std::string> listFiles(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder))
    if (e.is_regular_file()) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// Splits at CR LF; the bytes must end in CR LF (checked by the caller).
inline std::vector<std::string> crlfLines(const std::string& bytes) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back(bytes.substr(start));
      break;
    }
    lines.push_back(bytes.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

// Lines joined with LF, for failure messages.
inline std::string joined(const std::vector<std::string>& lines) {
  std::string all;
  for (const auto& l : lines) all += l + "\n";
  return all;
}

inline std::string utf8(const std::u16string& s) {
  return support::toUtf8(s);
}
inline std::u16string utf16(const std::string& s) {
  return support::fromUtf8(s);
}

}  // namespace testing_support
