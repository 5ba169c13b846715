#include "quiz/quiz_page.h"

#include "course/file_names.h"
#include "support/files.h"
#include "support/lines.h"
#include "support/strings.h"

namespace quiz {

std::string fillTemplate(std::string_view templateBytes, int32_t testNumber) {
  const std::string dataFile = course::testDataFile(testNumber);
  std::string out;
  for (std::string_view line : support::splitLines(templateBytes, false)) {
    out += support::replaceAll(line, "%FILE=", dataFile);
    out += "\r\n";
  }
  return out;
}

void saveTestPage(const course::Session& session, const std::string& programFolder,
                  const std::string& outputFolder, int32_t entryNumber) {
  const std::string templateBytes = support::readFile(programFolder + "/sql_test.htm");
  const int32_t n = session.entryCount(entryNumber);
  support::writeFile(outputFolder + course::testPageFile(n), fillTemplate(templateBytes, n));
}

}  // namespace quiz
