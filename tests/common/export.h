#pragma once
// An export set up for tests of the course writers: a program folder with a
// template and a copy script, a folder for course documents, the session,
// the engine and recording front ends. course.h adds a whole conversion.
#include <gtest/gtest.h>

#include <memory>

#include "builder.h"
#include "course/export_context.h"
#include "fixtures.h"
#include "frontends.h"
#include "word/application.h"
#include "word/engine.h"

namespace testing_support {

inline const std::string kTemplate = "<frameset><frame src='%FILE='></frameset>\r\n";

class ExportTest : public ::testing::Test {
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
    word::engine::adopt(app, path, b.finish());
    return path;
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

}  // namespace testing_support
