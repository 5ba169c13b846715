// The manifest and its preview: line for line as the outline gives them,
// and every manifest well-formed and valid against the IMS schemas.
#include "package/manifest.h"

#include <gtest/gtest.h>

#include "../common/fixtures.h"
#include "../common/manifest_check.h"

using namespace testing_support;
using course::Session;

namespace {

struct Entry {
  int kind, pid;
  std::u16string title;
  int count = 0;
};

// A session in language mode 1 whose outline holds the entries, from 1 on.
Session outline(const std::vector<Entry>& entries) {
  Session s;
  s.languageMode = 1;
  for (int i = 1; i <= static_cast<int>(entries.size()); ++i) {
    const Entry& e = entries[static_cast<size_t>(i - 1)];
    s.entryKind(i) = e.kind;
    s.entryPid(i) = e.pid;
    s.entryTitle(i) = e.title;
    s.entryCount(i) = e.count;
  }
  return s;
}

// The outline of five entries: chapter, page, test, chapter end, page.
Session exampleOutline() {
  Session s = outline({{3, 10, u"Intro"},
                       {1, 11, u"Setup"},
                       {2, 12, u"Check", 1},
                       {4, 0, u""},
                       {1, 0, u"Summary"}});
  s.courseTitle = u"Safety\r";
  return s;
}

std::string golden(const std::string& name) {
  return readBytes(std::string(RD_TEST_DIR) + "/package/golden/" + name);
}

// Writes the manifest and preview into a scratch folder, checks the
// manifest against the schemas, and returns both files' lines.
struct Written {
  std::string manifest, preview;
  std::vector<std::string> manifestLines() const { return crlfLines(manifest); }
  std::vector<std::string> previewLines() const { return crlfLines(preview); }
};

Written write(const Session& s, int32_t total) {
  ScratchFolder dir;
  package::writeManifest(s, dir.path(), total);
  Written w{readBytes(dir / "imsmanifest.xml"), readBytes(dir / "pvomanifest.htm")};
  EXPECT_EQ(manifestProblems(dir / "imsmanifest.xml"), "");
  EXPECT_TRUE(w.manifest.ends_with("</manifest>\r\n"));
  EXPECT_TRUE(w.preview.ends_with("</pre></body></html>\r\n"));
  return w;
}

// Lines 16 .. the one before "</resources>".
std::vector<std::string> body(const Written& w) {
  auto lines = w.manifestLines();
  return std::vector<std::string>(lines.begin() + 15, lines.end() - 2);
}

}  // namespace

TEST(Manifest, OutlineExampleMatchesGoldenFiles) {
  Written w = write(exampleOutline(), 5);
  EXPECT_EQ(w.manifest, golden("outline_imsmanifest.xml"));
  EXPECT_EQ(w.preview, golden("outline_pvomanifest.htm"));
}

TEST(Manifest, EmptyOutlineHasHeadAndTailOnly) {
  Session s = exampleOutline();  // rows beyond the count are never read
  Written w = write(s, 0);
  auto lines = w.manifestLines();
  ASSERT_EQ(lines.size(), 20u);
  EXPECT_EQ(lines[14], "<organization identifier='ORG1'>");
  EXPECT_EQ(std::vector<std::string>(lines.begin() + 15, lines.end()),
            (std::vector<std::string>{"</organization>", "</organizations>", "<resources>",
                                      "</resources>", "</manifest>"}));
  EXPECT_EQ(w.previewLines(), (std::vector<std::string>{
                                  "<html><head><meta http-equiv='Content-Type' content='text/html; "
                                  "charset=Windows-1251'></head><body><pre>",
                                  "%MANIFEST_END", "</pre></body></html>"}));
}

TEST(Manifest, PagesOnlyGiveAFlatListWithoutGaps) {
  Session s = outline({{1, 1, u"A"}, {1, 2, u"B"}, {1, 3, u"C"}});
  Written w = write(s, 3);
  auto b = body(w);
  EXPECT_EQ(b[0],
            "<item identifier='ITEM1' identifierref='RESOURCE1' isvisible='1' parameters=''>");
  EXPECT_EQ(b[6],
            "<item identifier='ITEM3' identifierref='RESOURCE3' isvisible='1' parameters=''>");
  EXPECT_EQ(b[12], "<resource identifier='RESOURCE1' type='webcontent' href = 'page1.htm'>");
  EXPECT_EQ(b[15], "<resource identifier='RESOURCE2' type='webcontent' href = 'page2.htm'>");
  EXPECT_EQ(b[18], "<resource identifier='RESOURCE3' type='webcontent' href = 'page3.htm'>");
  EXPECT_EQ(w.previewLines()[3], "ITEM3|C|page3.htm|0");
}

TEST(Manifest, UntitledFirstEntryFromAnEarlyPid) {
  Session s = outline({{0, 5, u""}});
  Written w = write(s, 1);
  auto b = body(w);
  EXPECT_EQ(b[0],
            "<item identifier='ITEM5' identifierref='RESOURCE1' isvisible='1' parameters=''>");
  EXPECT_EQ(b[1], "<title></title>");
  EXPECT_EQ(b[6], "<resource identifier='RESOURCE1' type='webcontent' href = 'page1.htm'>");
  EXPECT_EQ(b[7], "<file href='page1.htm'/>");
  EXPECT_EQ(w.previewLines()[1], "ITEM5|||0");
}

TEST(Manifest, PidsFormNumbersAsTheyAre) {
  Session s = outline({{1, 25, u"a"}, {1, -3, u"b"}, {1, 0, u"c"}});
  auto b = body(write(s, 3));
  EXPECT_EQ(b[0],
            "<item identifier='ITEM25' identifierref='RESOURCE1' isvisible='1' parameters=''>");
  EXPECT_EQ(b[3],
            "<item identifier='ITEM-3' identifierref='RESOURCE2' isvisible='1' parameters=''>");
  EXPECT_EQ(b[6],
            "<item identifier='ITEM0' identifierref='RESOURCE3' isvisible='1' parameters=''>");
}

TEST(Manifest, TestResourceIsNamedByItsTestNumber) {
  Session s = outline({{1, 1, u"p1"}, {1, 2, u"p2"}, {1, 3, u"p3"}, {2, 4, u"Quiz", 2}});
  Written w = write(s, 4);
  auto b = body(w);
  EXPECT_EQ(b[9],
            "<item identifier='ITEM4' identifierref='RESOURCE4' isvisible='1' parameters=''>");
  EXPECT_EQ(b[24], "<resource identifier='RESOURCE4' type='webcontent' href = 'test2.htm'>");
  EXPECT_EQ(b[25], "<file href='test2.htm'/>");
  EXPECT_EQ(w.previewLines()[4], "ITEM4|Quiz|test2.htm|0");
}

TEST(Manifest, LanguageModeChoosesEncodingAndLanguage) {
  Session s = exampleOutline();
  s.courseTitle = u"Курс\r";
  Written ru = write(s, 5);
  EXPECT_EQ(ru.manifestLines()[0], "<?xml version='1.0' encoding='windows-1251'?>");
  EXPECT_EQ(ru.manifestLines()[8],
            "<imsmd:langstring xml:lang='ru'>\xCA\xF3\xF0\xF1\r</imsmd:langstring>");

  s.languageMode = 2;
  s.courseTitle = u"Caf\u00e9\r";
  Written en = write(s, 5);
  EXPECT_EQ(en.manifestLines()[0], "<?xml version='1.0' encoding='windows-1252'?>");
  EXPECT_EQ(en.manifestLines()[8], "<imsmd:langstring xml:lang='en'>Caf\xE9\r</imsmd:langstring>");
}

// Titles in the manifest: characters the code page lacks become
// references, XML's own characters are escaped (references already there
// kept), control characters dropped but a line or page break, which leaves a
// blank between its words. The preview is HTML for people: titles go there
// as they stand.
TEST(Manifest, TitlesAreMadeSafeForTheCodePageAndXml) {
  struct Case {
    std::u16string course, page;
    std::string langstring, title, preview;
  };
  const Case cases[] = {
      {u"Check \u2713 \u4e2d", u"Step \u2192 next", "Check &#10003; &#20013;", "Step &#8594; next",
       "ITEM11|Step &#8594; next|page2.htm|-1"},
      {u"<Safety> & R&amp;D\r", u"Q&A &lt;1&gt;", "&lt;Safety&gt; &amp; R&amp;D\r",
       "Q&amp;A &lt;1&gt;", "ITEM11|Q&A &lt;1&gt;|page2.htm|-1"},
      {u"Safe\u000bty\u0007\r", u"Se\u0001tup\u000c", "Safe ty\r", "Setup ", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    Session s = exampleOutline();
    s.courseTitle = c.course;
    s.entryTitle(2) = c.page;
    Written w = write(s, 5);
    EXPECT_EQ(w.manifestLines()[8],
              "<imsmd:langstring xml:lang='ru'>" + c.langstring + "</imsmd:langstring>");
    EXPECT_EQ(body(w)[3], "<title>" + c.title + "</title>");
    if (!c.preview.empty()) {
      EXPECT_EQ(w.previewLines()[2], c.preview);
    }
  }
}

TEST(Manifest, RepeatedIdentifiersGetTheEntryNumber) {
  Session s = outline({{3, 0, u"Chapter"},
                       {1, 0, u"One"},
                       {2, 7, u"Test", 1},
                       {4, 0, u""},
                       {1, 7, u"Two"},
                       {1, 0, u"Three"}});
  Written w = write(s, 6);
  auto b = body(w);
  EXPECT_EQ(b[0], "<item identifier='ITEM0'  isvisible='1' parameters=''>");
  EXPECT_EQ(b[2],
            "<item identifier='ITEM0_2' identifierref='RESOURCE2' isvisible='1' parameters=''>");
  EXPECT_EQ(b[5],
            "<item identifier='ITEM7' identifierref='RESOURCE3' isvisible='1' parameters=''>");
  EXPECT_EQ(b[8], "</item>");
  EXPECT_EQ(b[9],
            "<item identifier='ITEM7_5' identifierref='RESOURCE5' isvisible='1' parameters=''>");
  EXPECT_EQ(b[12],
            "<item identifier='ITEM0_6' identifierref='RESOURCE6' isvisible='1' parameters=''>");
  // The preview keeps the plain numbers.
  EXPECT_EQ(w.previewLines()[5], "ITEM0|Three|page6.htm|0");
}

TEST(Manifest, OpenChaptersAreClosedBeforeTheOrganizationEnds) {
  Session s = outline({{3, 1, u"Outer"}, {1, 2, u"Page"}, {3, 3, u"Inner"}, {2, 4, u"Test", 9}});
  Written w = write(s, 4);
  auto b = body(w);
  ASSERT_GE(b.size(), 11u);
  EXPECT_EQ(b[6], "<title>Inner</title>");
  EXPECT_EQ(b[7],
            "<item identifier='ITEM4' identifierref='RESOURCE4' isvisible='1' parameters=''>");
  EXPECT_EQ(b[9], "</item>");
  EXPECT_EQ(b[10], "</item>");
  EXPECT_EQ(b[11], "</item>");
  EXPECT_EQ(b[12], "</organization>");
  // Preview: one flag, not a depth.
  EXPECT_EQ(w.previewLines(),
            (std::vector<std::string>{
                w.previewLines()[0], "ITEM1|Outer||0", "ITEM2|Page|page2.htm|-1", "ITEM3|Inner||0",
                "ITEM4|Test|test9.htm|-1", "%MANIFEST_END", "</pre></body></html>"}));
}

TEST(Manifest, AChapterEndWithoutAChapterWritesNoEndTag) {
  Session s = outline({{1, 1, u"Page"}, {4, 0, u""}, {1, 2, u"After"}});
  auto b = body(write(s, 3));
  EXPECT_EQ(b[3],
            "<item identifier='ITEM2' identifierref='RESOURCE3' isvisible='1' parameters=''>");
}

TEST(Manifest, NestedChaptersNestItems) {
  Session s = outline({{3, 1, u"A"},
                       {3, 2, u"B"},
                       {1, 3, u"p"},
                       {4, 0, u""},
                       {1, 5, u"q"},
                       {4, 0, u""},
                       {1, 7, u"r"}});
  Written w = write(s, 7);
  auto b = body(w);
  EXPECT_EQ(b[7], "</item>");
  EXPECT_EQ(b[8],
            "<item identifier='ITEM5' identifierref='RESOURCE5' isvisible='1' parameters=''>");
  EXPECT_EQ(b[11], "</item>");
  EXPECT_EQ(b[12],
            "<item identifier='ITEM7' identifierref='RESOURCE7' isvisible='1' parameters=''>");
  // The first chapter end clears the preview's flag.
  auto p = w.previewLines();
  EXPECT_EQ(std::vector<std::string>(p.begin() + 1, p.begin() + 6),
            (std::vector<std::string>{"ITEM1|A||0", "ITEM2|B||0", "ITEM3|p|page3.htm|-1",
                                      "ITEM5|q|page5.htm|0", "ITEM7|r|page7.htm|0"}));
}

TEST(Manifest, SecondWriteReplacesTheFirst) {
  ScratchFolder dir;
  Session s = exampleOutline();
  package::writeManifest(s, dir.path(), 5);
  package::writeManifest(s, dir.path(), 1);
  EXPECT_EQ(crlfLines(readBytes(dir / "imsmanifest.xml")).size(), 23u);
  EXPECT_EQ(crlfLines(readBytes(dir / "pvomanifest.htm")).size(), 4u);
}

TEST(Manifest, MissingFolderAndOverlongOutlineAreErrors) {
  Session s = exampleOutline();
  EXPECT_EQ(thrown([&] { package::writeManifest(s, "/nonexistent-folder/x/", 5); }).number(), 76);
  support::Error e = thrown([&] { package::manifestLines(s, 1001); });
  EXPECT_EQ(e.number(), 9);
  EXPECT_EQ(e.description(), "Subscript out of range");
}

// The schema check itself must catch what the escaping and the identifier
// rule prevent, or the checks above would prove nothing.
TEST(ManifestCheck, RejectsBareAmpersandsRepeatedIdentifiersAndOpenItems) {
  ScratchFolder dir;
  Written valid = write(exampleOutline(), 5);
  auto spoil = [&](const std::string& from, const std::string& to) {
    std::string bytes = valid.manifest;
    size_t at = bytes.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    bytes.replace(at, from.size(), to);
    writeBytes(dir / "imsmanifest.xml", bytes);
    return manifestProblems(dir / "imsmanifest.xml");
  };
  EXPECT_NE(spoil("<title>Setup</title>", "<title>R&D</title>"), "");
  EXPECT_NE(spoil("ITEM12", "ITEM11"), "");
  EXPECT_NE(spoil("</item>\r\n</item>\r\n", "</item>\r\n"), "");
  EXPECT_NE(spoil("isvisible='1'", "isvisible='yes'"), "");
  EXPECT_EQ(spoil("Summary", "Summary"), "");
}
