// Opening, adding, activating, saving and closing documents, and the
// engine's errors.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "helpers.h"
#include "support/files.h"
#include "word/error.h"

using namespace word;
namespace fs = std::filesystem;

namespace {

class Documents : public wordtest::FolderTest {
 protected:
  std::string file(const std::string& name, std::string_view bytes) {
    std::string path = (dir_ / name).string();
    support::writeFile(path, bytes);
    return path;
  }

  // The error an open of `path` fails with.
  Error openError(Application& app, const std::string& path) {
    return wordtest::thrown([&] { app.documents().open(path); });
  }
};

TEST_F(Documents, OpenFailuresAreEngineErrorsThatNameTheFile) {
  Application app;
  const std::string missing = (dir_ / "missing.doc").string();
  Error e = openError(app, missing);
  EXPECT_EQ(e.number(), kFileNotFound);
  EXPECT_EQ(e.source(), kEngineSource);
  EXPECT_NE(e.description().find("missing.doc"), std::string::npos) << e.description();

  e = openError(app, file("empty.doc", ""));
  EXPECT_EQ(e.number(), kCannotOpen);
  EXPECT_NE(e.description().find("empty.doc"), std::string::npos) << e.description();
  EXPECT_NE(e.description().find("is empty"), std::string::npos) << e.description();

  e = openError(app, file("noise.doc", std::string("\x01\x02\x03\x00\xff\xfe\x00\x10garbage", 16)));
  EXPECT_EQ(e.number(), kCannotOpen);
  EXPECT_NE(e.description().find("noise.doc"), std::string::npos);

  e = openError(app, dir_.string());
  EXPECT_EQ(e.number(), kCannotOpen);

  e = openError(app, "");
  EXPECT_EQ(e.number(), kFileNotFound);
  // Failed opens leave nothing open.
  EXPECT_EQ(app.documents().count(), 0);
  EXPECT_EQ(wordtest::thrown([&] { app.activeDocument(); }).number(), kNoDocument);
}

TEST_F(Documents, OpeningAnOpenDocumentActivatesItAgain) {
  Application app;
  const std::string path = file("course.txt", "%TITLE=Safety\n%H2=Rules\nText\n");
  Document& first = app.documents().open(path);
  EXPECT_EQ(u8(first.content().text()), "%TITLE=Safety\r%H2=Rules\rText\r");
  Document& scratch = app.documents().add();
  EXPECT_EQ(&app.activeDocument(), &scratch);
  // The same file by another spelling of its path.
  Document& again = app.documents().open((dir_ / "." / "course.txt").string());
  EXPECT_EQ(&again, &first);
  EXPECT_EQ(&app.activeDocument(), &first);
  EXPECT_EQ(app.documents().count(), 2);
  // Closing it returns to the document active before it.
  first.close(wdDoNotSaveChanges);
  EXPECT_EQ(&app.activeDocument(), &scratch);
}

TEST_F(Documents, CloseReturnsToThePreviouslyActiveDocument) {
  Application app;
  Document& source = app.documents().open(file("source.txt", "line\n"));
  Document& a = app.documents().add();
  Document& b = app.documents().add();
  EXPECT_EQ(a.fullName(), "Document1");
  EXPECT_EQ(b.fullName(), "Document2");
  EXPECT_EQ(u8(b.content().text()), "\r");  // one empty paragraph
  EXPECT_EQ(app.documents().count(), 3);

  b.close();
  EXPECT_EQ(&app.activeDocument(), &a);
  a.close();
  EXPECT_EQ(&app.activeDocument(), &source);

  // The selection of each document survives the round trip.
  app.selection().setStart(2);
  Document& c = app.documents().add();
  EXPECT_EQ(app.selection().start(), 0);
  c.close();
  EXPECT_EQ(app.selection().start(), 2);

  // Saving on close is not offered, even to a number cast in by hand.
  EXPECT_THROW(source.close(static_cast<SaveChanges>(-1)), Error);
  source.close();
  EXPECT_EQ(app.documents().count(), 0);
  EXPECT_THROW(app.selection().start(), Error);
}

TEST_F(Documents, SaveAsTextHtmlAndBadFormats) {
  Application app;
  Document& doc = app.documents().add();
  app.selection().insertAfter(u"Привет\n\u4e2d");
  const std::string text = (dir_ / "out.txt").string();
  doc.saveAs(text, wdFormatText);
  EXPECT_EQ(support::readFile(text), "\xcf\xf0\xe8\xe2\xe5\xf2\r\n&#20013;\r\n");

  const std::string page = (dir_ / "page1.htm").string();
  doc.saveAs(page, wdFormatHTML);
  EXPECT_NE(support::readFile(page).find("<p>Привет</p>"), std::string::npos);

  for (int32_t format : {0, 1, 3, 7, 9, 100, -1}) {
    SCOPED_TRACE(format);
    Error e = wordtest::thrown(
        [&] { doc.saveAs((dir_ / "bad.htm").string(), static_cast<SaveFormat>(format)); });
    EXPECT_EQ(e.number(), kBadParameter);
    EXPECT_EQ(e.source(), kEngineSource);
    EXPECT_NE(e.description().find(std::to_string(format)), std::string::npos);
  }
  EXPECT_FALSE(fs::exists(dir_ / "bad.htm"));

  for (SaveFormat format : {wdFormatHTML, wdFormatText}) {
    Error e = wordtest::thrown([&] { doc.saveAs((dir_ / "no/such/folder.htm").string(), format); });
    EXPECT_EQ(e.number(), kCannotSave);
    EXPECT_NE(e.description().find("folder.htm"), std::string::npos);
  }
}

TEST_F(Documents, SavingOverAFileReplacesItsWholeContentAndRenamesTheDocument) {
  Application app;
  Document& doc = app.documents().add();
  app.selection().insertAfter(u"short");
  // Saved files are overwritten in place: a longer old file must not leave
  // its tail behind, a shorter one must grow.
  const std::string text = file("out.txt", std::string(10000, 'x'));
  doc.saveAs(text, wdFormatText);
  EXPECT_EQ(support::readFile(text), "short\r\n");
  file("grow.txt", "");
  app.selection().insertAfter(std::u16string(3000, u'y'));
  doc.saveAs((dir_ / "grow.txt").string(), wdFormatText);
  EXPECT_EQ(support::readFile((dir_ / "grow.txt").string()).size(), 3000u + 5u + 2u);

  // The document takes the saved name, with links and ".." resolved.
  fs::create_directory(dir_ / "real");
  fs::create_directory_symlink(dir_ / "real", dir_ / "link");
  doc.saveAs((dir_ / "link" / ".." / "link" / "page.htm").string(), wdFormatHTML);
  EXPECT_EQ(doc.fullName(), (fs::canonical(dir_) / "real" / "page.htm").string());
}

TEST_F(Documents, BookmarksCountNameAndRemove) {
  Application app;
  Builder b;
  b.startBookmark(u"first");
  b.text("a");
  b.endBookmark(u"first");
  b.startBookmark(u"second");
  b.text("b");
  b.endBookmark(u"second");
  Document& doc = wordtest::adopt(app, b.finish());
  Bookmarks marks = doc.bookmarks();
  ASSERT_EQ(marks.count(), 2);
  EXPECT_EQ(u8(marks.name(1)), "first");
  for (int32_t bad : {0, 3, -1})
    EXPECT_EQ(wordtest::thrown([&] { marks.remove(bad); }).number(), kNoSuchMember) << bad;
  while (marks.count() > 0) marks.remove(1);
  EXPECT_EQ(engine::model(doc).main.bookmarks.size(), 0u);
  EXPECT_EQ(u8(doc.content().text()), "ab\r");  // the text stays
}

TEST_F(Documents, FileConvertersOfferTheHtmlFormat) {
  Application app;
  SaveFormat format = wdFormatText;
  for (const FileConverter& c : app.fileConverters())
    if (c.className == "HTML") format = c.saveFormat;
  EXPECT_EQ(format, wdFormatHTML);
}

}  // namespace
