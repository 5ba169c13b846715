// `raredozud convert DOC...` as a user runs it: standard output, log.txt in
// the current directory, the package, the exit status.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>

#include "../common/fixtures.h"
#include "../common/manifest_check.h"
#include "../common/program.h"
#include "../common/zip.h"

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
    "%TEST=Check\n%PID=12\n1. Where?\n*a) Here\nb) There\n%H1#\n%H2=Summary\nThank you for taking "
    "this course.\n";

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
  writeBytes(work / "two.txt", "%TEST=Next\n1. Of the second course?\n*a) Yes\nb) No\n");
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
  EXPECT_FALSE(exists(work / "missing"));  // no folder for a document that did not open
}

// A run that fails leaves its document open in the engine; fixed and
// converted again in the same process, the document is read anew.
TEST(ConvertCommand, ADocumentFixedBetweenTwoRunsIsReadAgain) {
  ScratchFolder work;
  writeBytes(work / "c.txt", "%H2=Page\n%PID=not a number\ntext of the first try\n");
  writeBytes(work / "fixed.txt", "%H2=Page\n%PID=7\ntext after the fix\n");
  const ProgramResult r = runProgram(dir(work), {"convert", "c.txt", "c.txt"},
                                     "RAREDOZUD_BETWEEN_RUNS='mv fixed.txt c.txt'");
  EXPECT_EQ(r.exit, 1) << r.err;  // the first run failed
  EXPECT_NE(r.out.find("parse: Error #  13"), std::string::npos) << r.out;
  EXPECT_TRUE(r.out.ends_with("Успех\n")) << r.out;
  EXPECT_NE(readBytes(work / "c/page1.htm").find("text after the fix"), std::string::npos);
}

// Anything but a plain file of a sensible size is refused before it is
// read, with a clear message (a package's folder with what to do), and
// leaves no folder behind; so are the lock files word processors keep
// beside an open document.
TEST(ConvertCommand, SpecialFilesAreRefusedAtOnce) {
  ScratchFolder work;
  // Its user's name, as a byte count and the letters, then again in UTF-16.
  writeBytes(work / "~$urse.docx", std::string("\x03Ann") + std::string(50, ' ') +
                                       std::string("\x03\0A\0n\0n\0", 8) + std::string(102, '\0'));
  writeBytes(work / ".~lock.c.odt#", "Ann,host,ann,10.12.2026 08:00,file:///home/ann;\n");
  ASSERT_EQ(::mkfifo((work / "pipe.doc").c_str(), 0600), 0);
  fs::create_directory(work / "folder.doc");
  // A package folder an earlier run wrote, picked instead of its document.
  fs::create_directory(work / "lesson.v1");
  writeBytes(work / "lesson.v1/imsmanifest.xml", "<manifest/>");
  {
    std::ofstream sparse(work / "huge.doc", std::ios::binary);
    sparse.seekp((std::streamoff{513} << 20) - 1);
    sparse.put('x');
  }
  fs::create_symlink("/dev/zero", work / "zero.doc");
  const std::pair<const char*, const char*> cases[] = {
      {"pipe.doc", "not a plain file"},
      {"folder.doc", "is a folder, not a document"},
      {"lesson.v1", "the folder of a course package (it holds imsmanifest.xml), not a Word "
                    "document: convert the document it was made from, or see what an LMS would "
                    "make of the package with \"raredozud check\""},
      {"huge.doc", "too large (513 MiB): documents up to 512 MiB are read"},
      {"zero.doc", "not a plain file"},
      {"~$urse.docx", "the lock file Word keeps beside a document while it is open"},
      {".~lock.c.odt#", "the lock file a word processor keeps beside a document while it"},
  };
  for (const auto& [name, why] : cases) {
    SCOPED_TRACE(name);
    // A run that waited on the pipe would be ended by the timeout (124),
    // given a minute: room for a loaded machine.
    for (const char* command : {"convert", "text"}) {
      const ProgramResult r = runProgram(dir(work), {command, name}, "timeout 60");
      EXPECT_EQ(r.exit, 1) << r.out << r.err;
      EXPECT_NE((r.out + r.err).find(why), std::string::npos) << r.out << r.err;
    }
    const std::string base = std::string(name).substr(0, std::string(name).find('.'));
    if (!base.empty()) {
      EXPECT_FALSE(fs::exists(work / base));
    }
  }
}

// A document open in a word processor may have changes not yet saved: the
// run warns, naming the lock file, and converts what is saved. Word drops a
// longer name's first letters (letters, not bytes); a lock of another
// document says nothing.
TEST(ConvertCommand, ADocumentOpenInAWordProcessorIsConvertedWithAWarning) {
  struct Case {
    const char *document, *lock;
    bool warns;
  };
  const Case cases[] = {
      {"Course.txt", "~$urse.txt", true},   {"ab.txt", "~$ab.txt", true},
      {"Модуль.txt", "~$дуль.txt", true},   {"c.txt", ".~lock.c.txt#", true},
      {"Course.txt", "~$other.txt", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lock);
    ScratchFolder work;
    writeBytes(work / c.document, "%TITLE=T\n%AUTHOR=Me\n%H2=Only\nThe only page.\n");
    writeBytes(work / c.lock, std::string("\x03Ann") + std::string(50, ' '));
    const ProgramResult r = runProgram(dir(work), {"convert", c.document});
    EXPECT_EQ(r.exit, 0) << r.err;
    EXPECT_TRUE(r.out.ends_with("Успех\n")) << r.out;
    EXPECT_EQ(r.err.find(std::string("is open in a word processor (its lock file ") + c.lock) !=
                  std::string::npos,
              c.warns)
        << r.err;
  }
}

// A pipe at the name of a file the program reads or appends to would hold
// it up until something wrote to it or read it: the log refuses a pipe
// that nothing reads; convert, reading the course.js an earlier run left,
// and check take a pipe for no file; check refuses a pipe or a device given
// as the zip (given a minute each, as above).
TEST(ConvertCommand, APipeAtAFilesNameHoldsNothingUp) {
  ScratchFolder work;
  writeBytes(work / "c.txt", "%TITLE=T\n%AUTHOR=Me\n%H2=Only\nThe only page.\n");
  ASSERT_EQ(::mkfifo((work / "log.txt").c_str(), 0600), 0);
  ProgramResult log = runProgram(dir(work), {"convert", "c.txt"}, "timeout 60");
  EXPECT_EQ(log.exit, 1) << log.out << log.err;
  EXPECT_NE(log.err.find("log.txt: a pipe that nothing reads: the log of the runs goes into the "
                         "current folder " +
                         fs::canonical(dir(work)).string() +
                         ", where it cannot be written; run raredozud from another"),
            std::string::npos)
      << log.err;
  fs::remove(work / "log.txt");
  fs::create_directory(work / "c");
  ASSERT_EQ(::mkfifo((work / "c/course.js").c_str(), 0600), 0);
  ProgramResult r = runProgram(dir(work), {"convert", "c.txt"}, "timeout 60");
  EXPECT_EQ(r.exit, 0) << r.out << r.err;
  EXPECT_TRUE(fs::is_regular_file(work / "c/course.js"));
  fs::remove(work / "c/imsmanifest.xml");
  ASSERT_EQ(::mkfifo((work / "c/imsmanifest.xml").c_str(), 0600), 0);
  r = runProgram(dir(work), {"check", "c"}, "timeout 60");
  EXPECT_EQ(r.exit, 1) << r.out << r.err;
  EXPECT_NE(r.out.find("imsmanifest.xml is missing"), std::string::npos) << r.out;
  ASSERT_EQ(::mkfifo((work / "pipe.zip").c_str(), 0600), 0);
  fs::create_symlink("/dev/zero", work / "zero.zip");
  for (const char* zip : {"pipe.zip", "zero.zip"}) {
    r = runProgram(dir(work), {"check", zip}, "timeout 60");
    EXPECT_EQ(r.exit, 1) << r.out << r.err;
    EXPECT_NE(r.out.find("not a plain file"), std::string::npos) << r.out;
  }
}

// Warnings go to standard error, beside the unchanged status lines; with
// --strict a document with warnings is left alone and the next converts.
TEST(ConvertCommand, WarningsOnStandardErrorAndStrictSkipsTheirDocument) {
  ScratchFolder work;
  writeBytes(work / "warned.txt", std::string("Notes first.\n") + kCourse);
  writeBytes(work / "clean.txt", "%TITLE=T\n%AUTHOR=Me\n%H2=Only\nThe only page of this course.\n");
  Result r = runConvert(dir(work), {"warned.txt"});
  EXPECT_EQ(r.exit, 0) << r.err;
  // After what the run says: lint's lines follow the status lines.
  EXPECT_LT(r.err.find("raredozud: the package: "),
            r.err.find("warned.txt:1: warning: text before the first"))
      << r.err;
  EXPECT_NE(r.err.find("warned.txt:1: warning: text before the first"), std::string::npos);
  EXPECT_NE(r.err.find("raredozud: the package: " + work / "warned/, " + work / "warned.zip, " +
                       work / "warned.scorm.zip, " + work / "warned.scorm2004.zip, " +
                       work / "warned.cmi5.zip\n"),
            std::string::npos)
      << r.err;
  EXPECT_EQ(r.out.find("warning"), std::string::npos);

  fs::remove_all(work / "warned");
  fs::remove(work / "log.txt");
  r = runConvert(dir(work), {"--strict", "warned.txt", "clean.txt"});
  EXPECT_EQ(r.exit, 1);
  EXPECT_FALSE(exists(work / "warned"));
  EXPECT_EQ(r.out.find("warned.txt"), std::string::npos) << r.out;
  EXPECT_NE(r.err.find("warned.txt: not converted (--strict)"), std::string::npos) << r.err;
  EXPECT_TRUE(exists(work / "clean/imsmanifest.xml"));
  EXPECT_EQ(readBytes(work / "log.txt"), "Start\r\n" + work / "clean.txt" + "\r\nУспех\r\n");

  // lint alone: the same lines on standard output, and its exit status.
  r = runProgram(dir(work), {"lint", "warned.txt", "clean.txt"});
  EXPECT_EQ(r.exit, 1);
  EXPECT_TRUE(r.out.starts_with("warned.txt:1: warning: text before the first")) << r.out;
  EXPECT_EQ(runProgram(dir(work), {"lint", "clean.txt"}).exit, 0);
  EXPECT_EQ(runProgram(dir(work), {"lint", "absent.doc"}).exit, 2);
}

// The pass mark goes into the package for the player and, through the copy
// step, into the SCORM packages' mastery scores (scaled for SCORM 2004 and
// cmi5); anything but a number from 0 to 100 is a usage error that converts
// nothing.
TEST(ConvertCommand, ThePassMarkReachesEveryPackageAndBadOnesAreRefused) {
  ScratchFolder work;
  writeBytes(work / "course.txt", kCourse);
  const struct {
    std::vector<std::string> args;
    std::string mark, scaled;
  } table[] = {{{"course.txt"}, "80", "0.8"},
               {{"--pass-mark", "65", "course.txt"}, "65", "0.65"},
               {{"--pass-mark=0", "course.txt"}, "0", "0"},
               {{"--pass-mark", "100", "--", "course.txt"}, "100", "1"}};
  for (const auto& [args, mark, scaled] : table) {
    SCOPED_TRACE(mark);
    Result r = runConvert(dir(work), args);
    ASSERT_EQ(r.exit, 0) << r.err;
    EXPECT_TRUE(std::regex_search(readBytes(work / "course/course.js"),
                                  std::regex("\"passMark\": " + mark + "[,\n]")));
    EXPECT_NE(zipEntry(work / "course.scorm.zip", "imsmanifest.xml")
                  .find("<adlcp:masteryscore>" + mark + "</adlcp:masteryscore>"),
              std::string::npos);
    EXPECT_NE(zipEntry(work / "course.scorm2004.zip", "imsmanifest.xml")
                  .find("<imsss:minNormalizedMeasure>" + scaled + "</imsss:minNormalizedMeasure>"),
              std::string::npos);
    EXPECT_NE(zipEntry(work / "course.cmi5.zip", "cmi5.xml")
                  .find("moveOn=\"CompletedAndPassed\" masteryScore=\"" + scaled + "\""),
              std::string::npos);
  }
  const std::string before = readBytes(work / "course.scorm.zip");
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"--pass-mark", "101", "course.txt"},
                                             {"--pass-mark", "-1", "course.txt"},
                                             {"--pass-mark=8O", "course.txt"},
                                             {"--pass-mark=", "course.txt"},
                                             {"course.txt", "--pass-mark"}}) {
    SCOPED_TRACE(args[0] + " " + args[1]);
    Result r = runConvert(dir(work), args);
    EXPECT_EQ(r.exit, 2);
    EXPECT_NE(r.err.find("from 0 to 100"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
  }
  EXPECT_EQ(readBytes(work / "course.scorm.zip"), before);
}

// The quiz settings travel in course.js beside the pass mark; a bad number
// of attempts converts nothing.
TEST(ConvertCommand, TheQuizSettingsReachThePlayerAndBadOnesAreRefused) {
  ScratchFolder work;
  writeBytes(work / "course.txt", kCourse);
  for (const auto& [args, settings] : std::vector<std::pair<std::vector<std::string>, std::string>>{
           {{"course.txt"}, "false, 0, false"},
           {{"--hide-answers", "--attempts=3", "course.txt"}, "true, 3, false"},
           {{"--shuffle", "--attempts", "99", "course.txt"}, "false, 99, true"},
           {{"--attempts=0", "--shuffle", "--hide-answers", "course.txt"}, "true, 0, true"}}) {
    SCOPED_TRACE(settings);
    Result r = runConvert(dir(work), args);
    ASSERT_EQ(r.exit, 0) << r.err;
    std::smatch m;
    const std::string script = readBytes(work / "course/course.js");
    ASSERT_TRUE(std::regex_search(script, m,
                                  std::regex("\"hideAnswers\": (\\w+),\n  \"attempts\": (\\d+),"
                                             "\n  \"shuffle\": (\\w+),")));
    EXPECT_EQ(m[1].str() + ", " + m[2].str() + ", " + m[3].str(), settings);
  }
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"--attempts", "100", "course.txt"},
                                             {"--attempts=x", "course.txt"},
                                             {"course.txt", "--attempts"},
                                             {"--shuffle=1", "course.txt"}}) {
    SCOPED_TRACE(args[0] + " " + args[1]);
    Result r = runConvert(dir(work), args);
    EXPECT_EQ(r.exit, 2);
    EXPECT_EQ(r.out, "");
  }
}

// --targets chooses the zips: exactly those are written, the choice travels
// in course.js, a zip not chosen stays as an earlier run left it, and a bad
// list is a usage error that converts nothing.
TEST(ConvertCommand, TheTargetsChooseTheZipsAndBadOnesAreRefused) {
  ScratchFolder work;
  writeBytes(work / "course.txt", kCourse);
  const std::vector<std::string> all = {"course.zip", "course.scorm.zip", "course.scorm2004.zip",
                                        "course.cmi5.zip"};
  const struct {
    std::string option, line;
    std::vector<std::string> zips;
  } table[] = {
      {"--targets=ims", "ims", {"course.zip"}},
      {"--targets=cmi5,scorm12", "scorm12 cmi5", {"course.scorm.zip", "course.cmi5.zip"}},
      {"--targets=scorm2004", "scorm2004", {"course.scorm2004.zip"}},
      {"", "ims scorm12 scorm2004 cmi5", all},
  };
  for (const auto& t : table) {
    SCOPED_TRACE(t.option);
    for (const std::string& z : all) std::filesystem::remove(work / z);
    std::vector<std::string> args = {"course.txt"};
    if (!t.option.empty()) args.insert(args.begin(), t.option);
    Result r = runConvert(dir(work), args);
    ASSERT_EQ(r.exit, 0) << r.err;
    for (const std::string& z : all)
      EXPECT_EQ(exists(work / z), std::count(t.zips.begin(), t.zips.end(), z) == 1) << z;
    EXPECT_NE(readBytes(work / "course/course.js").find("\"targets\": \"" + t.line + "\""),
              std::string::npos);
    EXPECT_TRUE(exists(work / "course/imsmanifest.xml"));
  }
  // A zip not chosen is not touched: the same file, not one written anew.
  const auto inode = [&](const std::string& z) {
    struct stat st {};
    return ::stat((work / z).c_str(), &st) == 0 ? st.st_ino : 0;
  };
  const auto before = inode("course.scorm.zip"), cmi5Before = inode("course.cmi5.zip");
  ASSERT_NE(before, 0u);
  ASSERT_EQ(runConvert(dir(work), {"--targets", "scorm2004", "course.txt"}).exit, 0);
  EXPECT_EQ(inode("course.scorm.zip"), before);
  EXPECT_EQ(inode("course.cmi5.zip"), cmi5Before);
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"--targets=", "course.txt"},
                                             {"--targets=scorm", "course.txt"},
                                             {"--targets=ims,ims", "course.txt"},
                                             {"--targets=ims,", "course.txt"},
                                             {"course.txt", "--targets"}}) {
    SCOPED_TRACE(args[0] + " " + args[1]);
    std::filesystem::remove_all(work / "course");
    Result r = runConvert(dir(work), args);
    EXPECT_EQ(r.exit, 2);
    EXPECT_NE(r.err.find("ims, scorm12, scorm2004, cmi5"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_FALSE(exists(work / "course"));
  }
}

// The sample courses, and one without tests, as an LMS gets them: the folder
// and each of the four zips pass the check, each zip told by its standard.
TEST(ConvertCommand, TheSampleCoursesFourZipsPassTheCheck) {
  ScratchFolder work;
  const std::string samples = std::string(RD_TEST_DIR) + "/../examples/";
  std::filesystem::copy_file(samples + "course.txt", work / "sample.txt");
  std::filesystem::copy_file(samples + "course-template.docx", work / "template.docx");
  writeBytes(work / "pages.txt", "%TITLE=T\n%AUTHOR=Me\n%H2=Only\nThe only page of this course.\n");
  const struct {
    std::string suffix, standard;
  } zips[] = {
      {"", ""},
      {".zip", ""},
      {".scorm.zip", "note: SCORM 1.2 package: item 'ITEM1' launches index.htm as a SCO"},
      {".scorm2004.zip", "note: SCORM 2004 package: item 'ITEM1' launches index.htm as a SCO"},
      {".cmi5.zip", "note: cmi5 package: unit urn:raredozud:course:"}};
  for (const std::string name : {"sample", "template", "pages"}) {
    SCOPED_TRACE(name);
    const Result r = runConvert(dir(work), {name == "template" ? "template.docx" : name + ".txt"});
    ASSERT_TRUE(r.out.ends_with("Успех\n")) << r.err;
    for (const auto& z : zips) {
      SCOPED_TRACE(z.suffix);
      const ProgramResult check = runProgram(dir(work), {"check", work / (name + z.suffix)});
      EXPECT_EQ(check.exit, 0) << check.out;
      EXPECT_TRUE(check.out.ends_with("package OK: no fault found\n")) << check.out;
      if (!z.standard.empty()) {
        EXPECT_NE(check.out.find(z.standard), std::string::npos) << check.out;
      }
    }
  }
  // Without tests there is no score to reach: completing the course is all.
  const std::string structure = zipEntry(work / "pages.cmi5.zip", "cmi5.xml");
  EXPECT_NE(structure.find("moveOn=\"Completed\" launchMethod=\"AnyWindow\""), std::string::npos)
      << structure;
  EXPECT_EQ(structure.find("masteryScore"), std::string::npos);
  EXPECT_EQ(zipEntry(work / "pages.scorm2004.zip", "imsmanifest.xml").find("Measure"),
            std::string::npos);
  EXPECT_EQ(zipEntry(work / "pages.scorm.zip", "imsmanifest.xml").find("masteryscore"),
            std::string::npos);
}
