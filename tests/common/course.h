#pragma once
// A conversion set up for tests: a program folder with a template and a
// copy script, a folder for course documents, the session, the engine and
// recording front ends.
#include <gtest/gtest.h>

#include <memory>

#include "../common/fixtures.h"
#include "convert/driver.h"
#include "course/export_context.h"
#include "word/application.h"
#include "word/builder.h"

namespace testing_support {

inline const std::string kTemplate = "<frameset><frame src='%FILE='></frameset>\r\n";

class CourseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    writeBytes(program / "sql_test.htm", kTemplate);
    writeBytes(program / "copysql.sh", "exit 0\n");
  }

  std::string programFolder() const { return program.path().substr(0, program.path().size() - 1); }

  // A plain-text course: one paragraph per line.
  std::string course(const std::string& name, const std::vector<std::string>& paragraphs) {
    std::string text;
    for (const auto& p : paragraphs) text += p + "\n";
    writeBytes(docs / name, text);
    return docs / name;
  }

  // A course built with the builder, opened in the engine under a path in
  // the documents folder (the run's open then finds it already open).
  std::string builtCourse(const std::string& name, word::Builder& b) {
    const std::string path = docs / name;
    writeBytes(path, "built in memory");
    app.adopt(std::make_unique<word::Document>(app, path, b.finish()));
    return path;
  }

  convert::RunOutcome run(const std::string& path) {
    chooser.answers.push_back(path);
    course::Frontend frontend{chooser, status, log, warnings, starter, programFolder()};
    return convert::parse(session, app, frontend);
  }

  course::ExportContext context() { return {session, app, status, programFolder()}; }

  // The output folder of a course in the documents folder.
  std::string out(const std::string& baseName) const { return docs / (baseName + "/"); }

  ScratchFolder docs, program;
  course::Session session;
  word::Application app;
  RecordingStatus status;
  RecordingLog log;
  ListChooser chooser;
  RecordingWarnings warnings;
  RecordingStarter starter;
};

inline void paragraph(word::Builder& b, const std::string& text) {
  b.text(text);
  b.endParagraph();
}

inline void tableRow(word::Builder& b, const std::vector<std::string>& cells) {
  b.startTable();
  b.startRow();
  for (const std::string& c : cells) {
    b.startCell();
    b.text(c);
  }
  b.endRow();
  b.endTable();
}

}  // namespace testing_support
