#pragma once
// A conversion set up for tests: the export's folders, session, engine and
// front ends (export.h), and a whole run of the converter.
#include "convert/driver.h"
#include "export.h"

namespace testing_support {

class CourseTest : public ExportTest {
 protected:
  convert::RunOutcome run(const std::string& path) {
    chooser.answers.push_back(path);
    course::Frontend frontend{chooser, status, log, warnings, starter, programFolder()};
    return convert::parse(session, app, frontend);
  }
};

}  // namespace testing_support
