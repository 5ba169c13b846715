#include "course/file_names.h"

#include <algorithm>

namespace course {
namespace {

constexpr std::string_view kPageStem = "page";
constexpr std::string_view kTestPageStem = "test";
constexpr std::string_view kTestDataStem = "testdata";
constexpr std::string_view kExtension = ".htm";

std::string name(std::string_view stem, int64_t number, std::string_view extension) {
  return std::string(stem) + std::to_string(number) + std::string(extension);
}

}  // namespace

std::string pageFile(int64_t entryNumber, std::string_view extension) {
  return name(kPageStem, entryNumber, extension);
}

std::string testPageFile(int64_t testNumber) {
  return name(kTestPageStem, testNumber, kExtension);
}

std::string testDataFile(int64_t testNumber, std::string_view extension) {
  return name(kTestDataStem, testNumber, extension);
}

std::optional<int64_t> testNumberOf(std::string_view fileName) {
  if (!fileName.starts_with(kTestPageStem) || !fileName.ends_with(kExtension)) return std::nullopt;
  const std::string_view digits = fileName.substr(
      kTestPageStem.size(), fileName.size() - kTestPageStem.size() - kExtension.size());
  if (digits.empty() || digits.size() > 9 ||
      !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return std::nullopt;
  const int64_t number = std::stoll(std::string(digits));
  if (number == 0) return std::nullopt;  // tests count from 1
  return number;
}

EntryFiles entryFiles(const Session& session, int32_t entryNumber) {
  const int32_t kind = session.entryKind(entryNumber);
  if (writesPage(kind)) return {pageFile(entryNumber), {}, {}};
  if (writesTest(kind)) {
    const int32_t test = session.entryCount(entryNumber);
    return {{}, testPageFile(test), testDataFile(test)};
  }
  return {};
}

}  // namespace course
