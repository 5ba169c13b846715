// `raredozud convert DOC...` as a user runs it: standard output, log.txt in
// the current directory, the package, the exit status.
#include <gtest/gtest.h>

#include "../common/fixtures.h"
#include "../common/manifest_check.h"
#include "../common/program.h"

using namespace testing_support;

namespace {

using Result = ProgramResult;

Result runConvert(const std::string& folder, const std::vector<std::string>& args) {
  std::vector<std::string> all = {"convert"};
  all.insert(all.end(), args.begin(), args.end());
  return runProgram(folder, all);
}

std::string dir(const ScratchFolder& f) {
  return f.path().substr(0, f.path().size() - 1);
}

const char* kCourse =
    "%TITLE=Safety\n%H1=Basics\n%PID=10\n%H2=Rules\n%PID=11\nKeep the floor dry.\n"
    "%TEST=Check\n%PID=12\n1. Where?\n%H1#\n%H2=Summary\nThank you for taking this course.\n";

}  // namespace

TEST(ConvertCommand, WithoutDocumentsItIsAUsageError) {
  ScratchFolder work;
  Result r = runConvert(dir(work), {});
  EXPECT_EQ(r.exit, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("Usage"), std::string::npos);
  EXPECT_EQ(runConvert(dir(work), {"--frobnicate", "x.doc"}).exit, 2);
  EXPECT_FALSE(exists(work / "log.txt"));
}

TEST(ConvertCommand, HelpNamesTheFormatsAndAnOpenDocumentTextIsRead) {
  ScratchFolder work;
  Result help = runProgram(dir(work), {"--help"});
  EXPECT_EQ(help.exit, 0);
  for (const char* format : {".doc,", ".docx", ".odt", ".fodt"})
    EXPECT_NE(help.out.find(format), std::string::npos) << format;
  Result text =
      runProgram(dir(work), {"text", std::string(RD_TEST_DIR) + "/corpus/courses/small.odt"});
  EXPECT_EQ(text.exit, 0) << text.err;
  EXPECT_NE(text.out.find("\r\n%PID=102\r\n"), std::string::npos);
}

TEST(ConvertCommand, ConvertsACourseAndReportsOnStandardOutput) {
  ScratchFolder work;
  writeBytes(work / "course.txt", kCourse);
  Result r = runConvert(dir(work), {"course.txt"});
  EXPECT_EQ(r.exit, 0) << r.err;
  const std::string path = work / "course.txt";
  EXPECT_EQ(r.out, path +
                       "\r\n\n"
                       "%H1=Basics\r\n"
                       "    page 1.htm%H2=Rules\r\n"
                       "    %TEST=Check\r\n"
                       "%H1#\r\n"
                       "    page 4.htm%H2=Summary\r\n"
                       "Успех\n");
  EXPECT_EQ(readBytes(work / "log.txt"), "Start\r\n" + path + "\r\nУспех\r\n");
  // The converter's files; the copy script adds the course player's.
  for (const char* name : {"header.htm", "imsmanifest.xml", "page2.htm", "page5.htm",
                           "pvomanifest.htm", "test1.htm", "testdata1.htm"})
    EXPECT_TRUE(exists(work / "course/" + name)) << name;
  EXPECT_FALSE(exists(work / "course/page0.htm"));
  EXPECT_EQ(manifestProblems(work / "course/imsmanifest.xml"), "");
  // The bundled template names the data file.
  EXPECT_NE(readBytes(work / "course/test1.htm").find("testdata1.htm"), std::string::npos);
}

TEST(ConvertCommand, SeveralDocumentsShareOneSession) {
  ScratchFolder work;
  writeBytes(work / "one.txt", kCourse);
  writeBytes(work / "two.txt", "%TEST=Next\nquestion of the second course\n");
  writeBytes(work / "log.txt", "an older line\r\n");
  Result r = runConvert(dir(work), {"one.txt", "two.txt"});
  EXPECT_EQ(r.exit, 0) << r.err;
  EXPECT_TRUE(exists(work / "two/testdata2.htm"));
  EXPECT_NE(readBytes(work / "two/header.htm").find("Safety"), std::string::npos);
  EXPECT_EQ(readBytes(work / "log.txt"), "an older line\r\nStart\r\n" + work / "one.txt" +
                                             "\r\nУспех\r\nStart\r\n" + work / "two.txt" +
                                             "\r\nУспех\r\n");
}

TEST(ConvertCommand, AFailedRunGivesExitStatus1AndTheOthersStillRun) {
  ScratchFolder work;
  writeBytes(work / "good.txt", kCourse);
  Result r = runConvert(dir(work), {"missing.doc", "good.txt"});
  EXPECT_EQ(r.exit, 1);
  EXPECT_NE(r.out.find("parse: Error #  5174 in Raredozud.Word:"), std::string::npos) << r.out;
  EXPECT_TRUE(r.out.ends_with("Успех\n"));
  EXPECT_TRUE(exists(work / "good/imsmanifest.xml"));
}
