// Courses that fail their learners, and courses that only may not be what
// the author meant, through every front end of the command line: lint
// names each at its paragraph and page, convert writes the package all the
// same and exits 1 on an error only, and check finds the errors in the
// finished package (its folder and both zips).
#include <gtest/gtest.h>

#include "../common/fixtures.h"
#include "../common/program.h"

using namespace testing_support;

namespace {

struct Document {
  std::string name;
  std::vector<std::string> lines;
};

struct Case {
  const char* what;
  std::vector<Document> documents;  // converted in one command
  std::vector<std::string> lint;    // of the first document, as `lint` prints it
  int convertExit;
  std::string runError;  // what convert says beyond lint, on standard error
  std::string fault;     // what check says of the package (folder and zips); empty: OK
};

const std::string kTitle = "%TITLE=Ladders";
const std::string kAuthor = "%AUTHOR=Ann";

const std::vector<Case>& cases() {
  static const std::vector<Case> list = {
      {"a test whose quiz page cannot be shown",
       {{"Quiz.txt",
         {kTitle, kAuthor, "%H2=Using a ladder", "Stand it on firm ground.", "%TEST=Check & <mend>",
          "1. Which?", "a) one", "b) two"}}},
       {"Quiz.txt:6: error: test \"Check & <mend>\": its quiz page stops here: no answer is "
        "marked correct: learners cannot take this test; put \"*\" before the right answer's "
        "letter (\"*b) ...\"), or name it in an \"ANSWER:\" line (\"1. Which?\")"},
       1,
       "",
       // Titles as typed, not as the outline preview stores them.
       "the test \"Check & <mend>\" (test1.htm) cannot be shown: its quiz page stops at "
       "testdata1.htm line"},
      {"a document with no marker at all",
       {{"Letter.txt", {"Dear reader,", "here is the plan for the week."}}},
       {"Letter.txt:1: warning: text before the first \"%H1=\", \"%H2=\" or \"%TEST=\" belongs "
        "to no page and is left out of the course; move it into a page to show it, or leave it "
        "as a note for yourself (\"Dear reader,\")",
        "Letter.txt:1: error: the course has no page and no test: learners get an empty "
        "course; start each page with \"%H2=\" and each test with \"%TEST=\" (\"Dear reader,\")",
        "Letter.txt:1: warning: no \"%TITLE=\" line: the course has no title; give it one in a "
        "\"%TITLE=\" line (\"Dear reader,\")",
        "Letter.txt:1: warning: no \"%AUTHOR=\" line: the course header names no author; name "
        "the author in an \"%AUTHOR=\" line (\"Dear reader,\")"},
       1,
       "",
       "the course has no page and no test: learners get an empty course"},
      {"reference links to a PID no item has, to one written otherwise, and to PID 0",
       // The player looks an item up by the reference as written, in an
       // outline that writes 0 for each item without a PID.
       {{"Links.txt",
         {kTitle, kAuthor, "%H2=Using a ladder", "%PID=1", "See %A=99 the end%A# for more.",
          "Or %A=01 this page%A#.", "%H2=Notes", "Notes without a number.", "%H2=Zero", "%PID=0",
          "Back to %A=0 zero%A#."}}},
       {"Links.txt:5: error: page \"Using a ladder\": \"%A=99\" links to PID \"99\", which no "
        "item has: the link leads learners nowhere; correct the number, or give the item it "
        "means \"%PID=99\" (\"See %A=99 the end%A# for\")",
        "Links.txt:6: error: page \"Using a ladder\": \"%A=01\" links to PID \"01\": the player "
        "looks for the item as written, but the outline writes its PID \"1\": the link leads "
        "learners nowhere; write \"%A=1\" (\"Or %A=01 this page%A#.\")",
        "Links.txt:11: error: page \"Zero\": \"%A=0\" links to PID \"0\", but the outline writes 0 "
        "for every item without a \"%PID=\" line: the link opens \"Notes\", the first of them; "
        "give the item another PID (\"Back to %A=0 zero%A#.\")"},
       1,
       "",
       "page1.htm (page \"Using a ladder\"): the reference link \"99\" names no item of the "
       "course: it leads learners nowhere"},
      {"reference links to a chapter no page follows and to a chapter's end",
       // The player finds neither: a chapter's end has no line in the
       // outline, and a chapter leads to the page or test right after it.
       {{"Ends.txt",
         {kTitle, kAuthor, "%H1=Safety", "%PID=5", "%H1=Ladders", "%H2=Using a ladder",
          "See %A=5 safety%A# first.", "Then %A=6 the end%A#.", "%H1#", "%PID=6"}}},
       {"Ends.txt:5: warning: chapter \"Ladders\": \"%H1=\" while the chapter \"Safety\" is "
        "still open: this chapter nests inside it; close that one with \"%H1#\" (\"%H1=Ladders\")",
        "Ends.txt:7: error: page \"Using a ladder\": \"%A=5\" links to PID \"5\", the chapter "
        "\"Safety\", which no page or test follows: the link leads learners nowhere; put a page "
        "or test right after its \"%H1=\", or link to the page itself (\"See %A=5 safety%A# "
        "first.\")",
        "Ends.txt:8: error: page \"Using a ladder\": \"%A=6\" links to PID \"6\", which no "
        "item has: the link leads learners nowhere; correct the number, or give the item it "
        "means \"%PID=6\" (\"Then %A=6 the end%A#.\")"},
       1,
       "",
       "page3.htm (page \"Using a ladder\"): the reference link \"5\" names no item of the "
       "course: it leads learners nowhere"},
      {"a reference link to the untitled page of a PID before the first heading",
       // The outline preview lists that page without its file: the player
       // opens it from course.js, and so must check.
       {{"Early.txt",
         {kTitle, kAuthor, "%PID=7", "Read this first.", "%H1=Safety", "%H2=Using a ladder",
          "See %A=7 the notes%A# first.", "%H1#"}}},
       {},
       0,
       "",
       ""},
      {"chapter text no page shows, and a mistyped marker told once",
       {{"Chapter.txt",
         {kTitle, kAuthor, "%H1=Safety", "This chapter is about safety.", "%H2=One",
          "Text of page one.", "%H2 =Two", "%PID=2", "Text of page two.", "%H1#"}}},
       {"Chapter.txt:4: warning: chapter \"Safety\": text after \"%H1=\" before the chapter's "
        "first page belongs to no page and is left out of the course; give it a page of its own "
        "with \"%H2=\" (\"This chapter is about safety.\")",
        "Chapter.txt:7: warning: page \"One\": the line looks meant to start with \"%H2=\", but "
        "as typed it is no marker, so the \"%PID=\" line after it numbers page \"One\" "
        "instead, whose text up to that line, this one included, is left out of the course: "
        "correct the marker to \"%H2=\" (markers: %TITLE= %AUTHOR= %PID= %H1= %H1# %H2= "
        "%TEST=) (\"%H2 =Two\")"},
       0,
       "",
       ""},
      {"two documents of one command writing one package",
       {{"Safety.txt", {kTitle, kAuthor, "%H2=One", "Text of the first course."}},
        {"Safety.v2.txt", {kTitle, kAuthor, "%H2=One", "Text of the second course."}}},
       {},
       1,
       "raredozud: error: \"DIR/Safety.v2.txt\" and \"DIR/Safety.txt\" both write the package "
       "DIR/Safety/: the later replaced the earlier one's course; give one of the documents "
       "another name (the part before the first dot)\n",
       ""},
  };
  return list;
}

std::string join(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& l : lines) out += l + "\n";
  return out;
}

std::string base(const std::string& name) {
  return name.substr(0, name.find('.'));
}

}  // namespace

TEST(CourseErrors, EveryFrontEndOfTheCommandLineSaysIt) {
  for (const Case& c : cases()) {
    SCOPED_TRACE(c.what);
    ScratchFolder work;
    const std::string dir = work.path().substr(0, work.path().size() - 1);
    std::vector<std::string> names;
    for (const Document& d : c.documents) {
      writeBytes(work / d.name, join(d.lines));
      names.push_back(d.name);
    }
    const ProgramResult lint = runProgram(dir, {"lint", names.front()});
    EXPECT_EQ(lint.out, join(c.lint));
    EXPECT_EQ(lint.exit, c.lint.empty() ? 0 : 1);

    std::vector<std::string> convert = {"convert"};
    convert.insert(convert.end(), names.begin(), names.end());
    const ProgramResult run = runProgram(dir, convert);
    EXPECT_EQ(run.exit, c.convertExit) << run.err;
    // The prescribed lines end as always; what is wrong follows on
    // standard error, each line of lint's.
    EXPECT_TRUE(run.out.ends_with("Успех\n")) << run.out;
    for (const std::string& line : c.lint) EXPECT_NE(run.err.find(line), std::string::npos) << line;
    std::string runError = c.runError;
    for (size_t at = runError.find("DIR"); at != std::string::npos; at = runError.find("DIR"))
      runError.replace(at, 3, dir);
    EXPECT_NE(run.err.find(runError), std::string::npos) << run.err;

    const std::string package = work / base(names.front());
    for (const std::string& target : {package, package + ".zip", package + ".scorm.zip",
                                      package + ".scorm2004.zip", package + ".cmi5.zip"}) {
      SCOPED_TRACE(target);
      const ProgramResult check = runProgram(dir, {"check", target});
      EXPECT_EQ(check.exit, c.fault.empty() ? 0 : 1) << check.out;
      if (!c.fault.empty()) {
        EXPECT_NE(check.out.find("fault: " + c.fault), std::string::npos) << check.out;
      }
    }
  }
}

// --strict refuses a document with an error as it does one with warnings.
TEST(CourseErrors, StrictRefusesACourseWithAnError) {
  ScratchFolder work;
  const std::string dir = work.path().substr(0, work.path().size() - 1);
  writeBytes(work / "Quiz.txt", join(cases().front().documents.front().lines));
  const ProgramResult run = runProgram(dir, {"convert", "--strict", "Quiz.txt"});
  EXPECT_EQ(run.exit, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_NE(run.err.find("Quiz.txt:6: error: "), std::string::npos) << run.err;
  EXPECT_FALSE(exists(work / "Quiz"));
}

// A document where the command belongs, and an unknown command.
TEST(CourseErrors, AWordThatIsNoCommandSaysWhatItIs) {
  ScratchFolder work;
  const std::string dir = work.path().substr(0, work.path().size() - 1);
  const struct {
    std::string word, said;
  } table[] = {
      {"Safety.docx",
       "raredozud: 'Safety.docx' is a document, not a command; to convert it:\n"
       "    raredozud convert Safety.docx\n"},
      {"My course.doc", "    raredozud convert 'My course.doc'\n"},
      {"frobnicate", "raredozud: 'frobnicate' is no command or option of raredozud\nUsage"},
  };
  for (const auto& t : table) {
    SCOPED_TRACE(t.word);
    const ProgramResult r = runProgram(dir, {t.word});
    EXPECT_EQ(r.exit, 2);
    EXPECT_NE(r.err.find(t.said), std::string::npos) << r.err;
  }
}

// A real document's charts are drawn on their pages; without alternative
// text lint and convert name each on its own page, and the course works.
TEST(CourseErrors, AChartIsDrawnAndItsMissingAlternativeTextNamed) {
  ScratchFolder work;
  const std::string dir = work.path().substr(0, work.path().size() - 1);
  writeBytes(work / "charts.docx",
             readBytes(std::string(RD_TEST_DIR) + "/corpus/courses/charts.docx"));
  const std::string lost =
      ": a picture without alternative text: those who cannot see it learn nothing of it; "
      "describe it in the picture's alternative text (Alt Text) (\"quarter, as the chart "
      "shows:\")";
  const std::vector<std::string> lint = {"charts.docx:5: warning: page \"Sales\"" + lost,
                                         "charts.docx:8: warning: page \"Costs\"" + lost};
  const ProgramResult linted = runProgram(dir, {"lint", "charts.docx"});
  EXPECT_EQ(linted.out, join(lint));
  EXPECT_EQ(linted.exit, 1);
  const ProgramResult run = runProgram(dir, {"convert", "charts.docx"});
  EXPECT_EQ(run.exit, 0) << run.err;
  for (const std::string& line : lint) EXPECT_NE(run.err.find(line), std::string::npos) << line;
  EXPECT_EQ(runProgram(dir, {"check", work / "charts.scorm.zip"}).exit, 0);
  size_t charts = 0;
  for (const auto& e : std::filesystem::recursive_directory_iterator(work / "charts"))
    charts += e.path().extension() == ".svg" &&
              readBytes(e.path().string()).find("Category 4") != std::string::npos;
  EXPECT_EQ(charts, 2u);
}

// course.js as the browser runs it: a stray line keeps the whole script from
// running (the player then opens what the outline preview names, and takes
// the test's data from its number), and a file it gives must be one the
// player opens and the package holds.
TEST(CourseErrors, CheckReadsCourseScriptAsTheBrowserRunsIt) {
  ScratchFolder work;
  const std::string dir = work.path().substr(0, work.path().size() - 1);
  writeBytes(work / "Q.txt", join({kTitle, kAuthor, "%H2=Using a ladder", "Stand it well.",
                                   "%TEST=Check", "1. Which?", "*a) one", "b) two"}));
  ASSERT_EQ(runProgram(dir, {"convert", "Q.txt"}).exit, 0);
  const std::string script = readBytes(work / "Q/course.js"),
                    data = readBytes(work / "Q/testdata1.htm");
  const auto edit = [&](const std::string& from, const std::string& to) {
    std::string s = script;
    const size_t at = s.find(from);
    return at == std::string::npos ? "" : s.replace(at, from.size(), to);
  };
  const struct {
    const char* what;
    std::string script;
    std::vector<std::string> faults;
  } table[] = {
      {"a line after the settings, and the test's data cut short",
       script + "    {\"page\": \"page9.htm\"}\n",
       {"course.js is damaged: \"window.rdCourse = \" is not followed by a JSON object and \";\" "
        "alone: the player runs the course without its pass mark and options",
        "the test \"Check\" (test1.htm) cannot be shown: its quiz page stops at testdata1.htm"}},
      {"a page the package lacks",
       edit("\"page1.htm\"", "\"page9.htm\""),
       {"course.js gives the line \"Using a ladder\" (page9.htm) a file the package lacks"}},
      {"a test the player passes over",
       edit("\"test1.htm\"", "\"||test1.htm\""),
       {"course.js gives the line \"Check\" (||test1.htm) a file name the player does not open"}},
  };
  for (const auto& t : table) {
    SCOPED_TRACE(t.what);
    ASSERT_FALSE(t.script.empty());
    writeBytes(work / "Q/course.js", t.script);
    writeBytes(work / "Q/testdata1.htm", data.substr(0, data.find("%TEST_END")));
    const ProgramResult check = runProgram(dir, {"check", "Q"});
    EXPECT_EQ(check.exit, 1);
    for (const std::string& f : t.faults)
      EXPECT_NE(check.out.find("fault: " + f), std::string::npos) << check.out;
  }
}
