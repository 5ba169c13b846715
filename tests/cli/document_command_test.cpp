// `raredozud html DOC OUT.htm` and `raredozud dump DOC` as a user runs them:
// the page and its pictures for each format, the model dump, and every
// refusal with its exit status, losing nothing.
#include <gtest/gtest.h>

#include "../common/fixtures.h"
#include "../common/program.h"
#include "../common/zip.h"
#include "word/read/reader.h"
#include "word/write/writers.h"

using namespace testing_support;

namespace {

const std::string kCorpus = std::string(RD_TEST_DIR) + "/corpus/";

std::string dir(const ScratchFolder& f) {
  return f.path().substr(0, f.path().size() - 1);
}

TEST(HtmlCommand, WritesEachFormatAsOnePageWithItsPicturesBeside) {
  ScratchFolder work;
  writeBytes(work / "notes.txt", "First line\nsecond <line>\n");
  const std::string gif = kCorpus + "docx/WithGIF.docx";
  // A course document's page shows the whole document; standard error
  // names the text that no page of the course shows.
  writeBytes(work / "course.txt",
             "%TITLE=T\n%H1=Basics\nAbout safety.\n%H2=One\nText of page one.\n");
  writeBytes(work / "late.txt", "%TITLE=T\n%H2=One\nLost text.\n%PID=1\nText of page one.\n");
  struct Case {
    std::string document, page, expected, err;
  } cases[] = {
      {work / "notes.txt", "notes.htm", "<p>second &lt;line&gt;</p>", ""},
      {kCorpus + "doc/table-merges.doc", "merges.htm", "<table>", ""},
      {gif, "gif.htm", "<img src=\"gif_files/image001.gif\" width=\"176\" height=\"176\"", ""},
      {"course.txt", "course.htm", "<p>About safety.</p>",
       "course.txt:3: warning: chapter \"Basics\": text after \"%H1=\" before the chapter's "
       "first page belongs to no page and is left out of the course; give it a page of its own "
       "with \"%H2=\" (\"About safety.\")\n"},
      {"late.txt", "late.htm", "<p>Lost text.</p>",
       "late.txt:4: warning: page \"One\": \"%PID=\" after text: the text between the heading "
       "above and this line is left out (a mistyped heading marker above?); put \"%PID=\" right "
       "after its heading (\"%PID=1\")\n"},
  };
  for (const Case& c : cases) {
    ProgramResult r = runProgram(dir(work), {"html", c.document, c.page});
    EXPECT_EQ(r.exit, 0) << c.document << ": " << r.err;
    EXPECT_EQ(r.err, c.err);
    EXPECT_NE(readBytes(work / c.page).find(c.expected), std::string::npos) << c.document;
  }
  EXPECT_NE(readBytes(work / "notes.htm").find("<title>First line</title>"), std::string::npos);
  const word::Model m = word::read::load(gif);
  ASSERT_EQ(m.main.pictures.size(), 1u);
  EXPECT_EQ(readBytes(work / "gif_files/image001.gif"), *m.main.pictures[0].data);
  EXPECT_EQ(listFiles(work / "gif_files").size(), 1u);
}

TEST(HtmlCommand, RefusalsSayWhyOnStandardErrorAndLoseNothing) {
  ScratchFolder work;
  writeBytes(work / "doc.txt", "text\n");
  writeBytes(work / "old.htm", "an older page");
  struct Case {
    std::vector<std::string> args;
    int exit;
    std::string says;
  } cases[] = {
      {{"html"}, 2, "Usage: raredozud html DOC OUT.htm"},
      {{"html", "doc.txt"}, 2, "Usage"},
      {{"html", "doc.txt", "a.htm", "b.htm"}, 2, "Usage"},
      {{"html", "missing.doc", "old.htm"}, 1, "\"missing.doc\" could not be found"},
      {{"html", kCorpus + "doc/PasswordProtected.doc", "old.htm"},
       1,
       "password-protected: save it without its password in the word processor, and convert "
       "that"},
      {{"html", "doc.txt", "no/such/folder.htm"}, 1, "the folder no/such does not exist"},
      {{"html", "doc.txt", "./doc.txt"}, 1, "would replace the document itself"},
      {{"dump"}, 2, "Usage: raredozud dump DOC"},
      {{"dump", "missing.doc"}, 1, "missing.doc"},
      // "--" ends the options here as for convert: what follows is a file
      {{"dump", "--", "-missing.doc"}, 1, "-missing.doc"},
      {{"html", "--", "missing.doc", "old.htm"}, 1, "\"missing.doc\" could not be found"},
      // A document named where check takes a package: told to convert it first.
      {{"check", kCorpus + "courses/small.docx"},
       1,
       "small.docx is a course document, not a package"},
      {{"check", kCorpus + "courses/small.odt"},
       1,
       "small.odt is a course document, not a package"},
  };
  for (const Case& c : cases) {
    ProgramResult r = runProgram(dir(work), c.args);
    EXPECT_EQ(r.exit, c.exit) << c.args.size() << " " << c.args.back();
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
  }
  // A container damaged where the document's main part starts: the
  // reader's own error alone, none of the container library's messages.
  writeBytes(work / "cut.docx", withBrokenLocalHeader(zipBytes({{"[Content_Types].xml", "<Types/>"},
                                                                {"word/document.xml", "x"}}),
                                                      "word/document.xml"));
  const ProgramResult damaged = runProgram(dir(work), {"html", "cut.docx", "old.htm"});
  EXPECT_EQ(damaged.exit, 1);
  EXPECT_EQ(damaged.out, "");
  EXPECT_EQ(damaged.err,
            "raredozud: The document \"cut.docx\" cannot be opened: the document's "
            "word/document.xml is damaged and cannot be unpacked\n");
  EXPECT_EQ(readBytes(work / "doc.txt"), "text\n");
  EXPECT_EQ(readBytes(work / "old.htm"), "an older page");
  EXPECT_EQ(listFiles(work.path()), (std::vector<std::string>{"cut.docx", "doc.txt", "old.htm"}));
}

TEST(DumpCommand, PrintsTheModelAndHelpListsBothCommands) {
  ScratchFolder work;
  const std::string doc = kCorpus + "doc/footnote.doc";
  ProgramResult r = runProgram(dir(work), {"dump", doc});
  EXPECT_EQ(r.exit, 0) << r.err;
  EXPECT_EQ(r.out, word::write::dump(word::read::load(doc)));
  const std::string help = runProgram(dir(work), {"--help"}).out;
  EXPECT_NE(help.find("raredozud html DOC OUT.htm"), std::string::npos) << help;
  EXPECT_NE(help.find("raredozud dump DOC"), std::string::npos) << help;
}

}  // namespace
