#pragma once
// The names of a package's own files, made in this one place: the page and
// test writers, the manifest, the outline preview, course.js and the copy
// step take them from here (and the player from course.js).
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "course/session.h"

namespace course {

// "page7.htm", the page of entry 7. A failure line that names a file not
// yet written shows another `extension` ("page7.???").
std::string pageFile(int64_t entryNumber, std::string_view extension = ".htm");
// "test3.htm", the test page of test 3.
std::string testPageFile(int64_t testNumber);
// "testdata3.htm", the data file of test 3 (or "testdata3.???", as above).
std::string testDataFile(int64_t testNumber, std::string_view extension = ".htm");
// The test a test page's name is of ("test3.htm": 3); nothing for any other
// name (tests count from 1).
std::optional<int64_t> testNumberOf(std::string_view fileName);

// The files an entry of the outline has: a page its page, a test its test
// page and data file, a chapter mark none.
struct EntryFiles {
  std::string page;
  std::string testPage;
  std::string testData;
  // The file the course opens for it: its page or its test page; empty for
  // a chapter mark.
  const std::string& opened() const { return page.empty() ? testPage : page; }
  bool operator==(const EntryFiles&) const = default;
};

// The files of entry `entryNumber` (its test number is its entryCount).
EntryFiles entryFiles(const Session& session, int32_t entryNumber);

}  // namespace course
