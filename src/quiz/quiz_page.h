#pragma once
// The test page: the template sql_test.htm from the program folder with
// every "%FILE=" replaced by the test's data file name.
#include <cstdint>
#include <string>

#include "course/session.h"

namespace quiz {

// The template's lines (CR or CR LF end a line; a lone LF stays in it) with
// the placeholder replaced, each followed by CR LF. Bytes pass unchanged.
std::string fillTemplate(std::string_view templateBytes, int32_t testNumber);

// Writes outputFolder + "test" + N + ".htm", N = entryCount(entryNumber).
// Errors (53 for a missing template, 9 for a bad entry number, file errors)
// go to the caller.
void saveTestPage(const course::Session& session, const std::string& programFolder,
                  const std::string& outputFolder, int32_t entryNumber);

}  // namespace quiz
