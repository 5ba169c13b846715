// A batch on every core: several processes converting different documents
// from one folder at once, as `xargs -P` or GNU parallel start them. Each
// log line stays whole and each package stays its document's own.
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>
#include <vector>

#include "../common/fixtures.h"
#include "../common/program.h"
#include "../common/zip.h"
#include "package/package_check.h"

using namespace testing_support;

namespace {

const std::string kCourses = std::string(RD_TEST_DIR) + "/corpus/courses/";
const std::string kSchemas = RD_BINARY_DIR "/app/schemas";

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  for (size_t start = 0, end; start < text.size(); start = end + 2) {
    end = text.find("\r\n", start);
    if (end == std::string::npos) end = text.size();
    out.push_back(text.substr(start, end - start));
  }
  return out;
}

TEST(Batch, FourProcessesAtOnceKeepLogLinesWholeAndPackagesApart) {
  ScratchFolder work;
  // Long names make long log lines, which a torn write would split.
  const std::string stem(180, 'x');
  const std::vector<std::pair<std::string, std::string>> documents = {
      {"small.docx", "a" + stem + ".docx"},
      {"small.doc", "b" + stem + ".doc"},
      {"small.odt", "c" + stem + ".odt"},
      {"english.docx", "d" + stem + ".docx"}};
  for (const auto& [from, to] : documents) fs::copy(kCourses + from, work / to);
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    fs::remove(work / "log.txt");
    std::vector<int> exits(documents.size(), -1);
    std::vector<std::thread> runs;
    for (size_t i = 0; i < documents.size(); ++i)
      runs.emplace_back([&, i] {
        const std::string doc = documents[i].second;
        const int status = std::system(("cd " + shellQuote(work.path()) + " && " +
                                        shellQuote(RD_PROGRAM) + " convert " + shellQuote(doc) +
                                        " > /dev/null 2> " + shellQuote(doc + ".err"))
                                           .c_str());
        exits[i] = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      });
    for (std::thread& t : runs) t.join();

    std::vector<std::string> want;
    for (size_t i = 0; i < documents.size(); ++i) {
      const std::string& doc = documents[i].second;
      EXPECT_EQ(exits[i], 0) << readBytes(work / doc + ".err");
      want.insert(want.end(), {"Start", work / doc, "Успех"});  // the log names it in full
    }
    std::vector<std::string> logged = lines(readBytes(work / "log.txt"));
    std::sort(want.begin(), want.end());
    std::sort(logged.begin(), logged.end());
    EXPECT_EQ(logged, want);

    for (const auto& [from, doc] : documents) {
      const std::string folder = work / doc.substr(0, doc.find('.'));
      // Every entry of each zip is the bytes of its own package's file.
      const std::vector<std::string> entries = zipEntries(folder + ".zip", folder);
      EXPECT_GT(entries.size(), 10u) << doc;
      EXPECT_NE(zipEntry(folder + ".zip", "course.js").find("\"document\": \"" + doc + "\""),
                std::string::npos)
          << doc;
      EXPECT_TRUE(package::checkPackage(folder + ".zip", kSchemas).ok()) << doc;
      EXPECT_TRUE(package::checkPackage(folder + ".scorm.zip", kSchemas).ok()) << doc;
    }
  }
}

}  // namespace
