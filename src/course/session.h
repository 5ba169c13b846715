#pragma once
// What the converter learns from course documents and keeps for as long as
// the program runs: the course outline (one row per entry, rows 0 to 1000)
// and the few values that carry from one conversion to the next. One
// Session is made at program start and handed to the driver and the writers.
#include <array>
#include <cstdint>
#include <map>
#include <string>

#include "support/runtime_error.h"

namespace course {

// Entry kinds of the outline.
enum EntryKind : int32_t {
  kUntitled = 0,      // content after a "%PID=" line read before any heading
  kPage = 1,          // "%H2="
  kTest = 2,          // "%TEST="
  kChapterStart = 3,  // "%H1="
  kChapterEnd = 4,    // an accepted "%H1#"
};

// What an entry of each kind writes: a page its page (the untitled content
// after an early "%PID=" is a page too), a test its test files, a chapter
// mark nothing.
constexpr bool writesPage(int32_t kind) {
  return kind == kUntitled || kind == kPage;
}
constexpr bool writesTest(int32_t kind) {
  return kind == kTest;
}

inline constexpr int32_t kOutlineRows = 1001;  // indexes 0..1000

// Throws run-time error 9 unless `i` is a row of the outline.
inline void checkRow(int64_t i) {
  if (i < 0 || i >= kOutlineRows) support::raise(support::kSubscriptOutOfRange);
}

class Session {
 public:
  // Every access checks its index: outside 0..1000 is run-time error 9.
  std::u16string& entryTitle(int64_t i) { return titles_[row(i)]; }
  int32_t& entryKind(int64_t i) { return kinds_[row(i)]; }
  int32_t& entryPid(int64_t i) { return pids_[row(i)]; }
  int32_t& entryCount(int64_t i) { return counts_[row(i)]; }
  const std::u16string& entryTitle(int64_t i) const { return titles_[row(i)]; }
  int32_t entryKind(int64_t i) const { return kinds_[row(i)]; }
  int32_t entryPid(int64_t i) const { return pids_[row(i)]; }
  int32_t entryCount(int64_t i) const { return counts_[row(i)]; }

  void clearPids() { pids_.fill(0); }

  std::u16string courseTitle;   // raw, paragraph mark included
  std::u16string courseAuthor;  // raw, paragraph mark included
  std::string lastFolder;       // folder the chooser starts in, ends in '/'
  int32_t languageMode = 0;     // 1: Cyrillic manifest
  int32_t traceLevel = 0;       // above 0: "try " lines before each page save
  int32_t h1Open = 0;           // 1 while a chapter is open
  int32_t testCounter = 0;      // number of the last test written
  // The package folders this program run has written into, each with the
  // document (full path) that wrote it last.
  std::map<std::string, std::string> packagesWritten;

 private:
  static size_t row(int64_t i) {
    checkRow(i);
    return static_cast<size_t>(i);
  }
  std::array<std::u16string, kOutlineRows> titles_{};
  std::array<int32_t, kOutlineRows> kinds_{};
  std::array<int32_t, kOutlineRows> pids_{};
  std::array<int32_t, kOutlineRows> counts_{};
};

}  // namespace course
