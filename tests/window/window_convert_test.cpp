// The window with the real converter behind its button; only the file
// dialog is replaced. Documents are plain-text courses copied into the
// test's own folder.
#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QThread>

#include "convert/driver.h"
#include "window_fixture.h"

namespace {

using app::MainWindow;
using windowtest::ScriptedChooser;
using windowtest::WindowTest;

class WindowConvertTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    window_ = std::make_unique<MainWindow>(app::conversionRun());
    // The template and the copy script lie beside the built program.
    window_->setProgramFolder(RD_BINARY_DIR "/app");
    window_->show();
  }
  // Copies the example course into `folder` (made if needed) as `name`.
  std::string course(const QString& folder, const QString& name) {
    QDir().mkpath(folder);
    QString target = QDir(folder).absoluteFilePath(name);
    QFile::remove(target);
    EXPECT_TRUE(QFile::copy(RD_TEST_DIR "/../examples/course.txt", target));
    return QFile::encodeName(target).toStdString();
  }
  std::u16string box() const { return window_->statusBox()->toPlainText().toStdU16String(); }
  void click(ScriptedChooser& chooser) {
    window_->setDocumentChooser(&chooser);
    window_->convertButton()->click();
  }
  // Lets the window run until its copy steps have ended: a minute at most,
  // room for a loaded machine (they take well under a second).
  void waitForCopySteps() {
    const QDeadlineTimer deadline(60000);
    while (window_->copyStepsRunning() > 0 && !deadline.hasExpired()) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
      QThread::msleep(10);
    }
  }

  std::unique_ptr<MainWindow> window_;
};

TEST_F(WindowConvertTest, CancelledDialogChangesNothingButTheLog) {
  ScriptedChooser chooser({std::nullopt});
  bool disabled = false;
  chooser.onChoose = [&] { disabled = !window_->convertButton()->isEnabled(); };
  click(chooser);
  EXPECT_TRUE(disabled);
  EXPECT_TRUE(window_->convertButton()->isEnabled());
  EXPECT_EQ(box(), u"");
  EXPECT_EQ(readLog(), "Start\r\n");
  ASSERT_EQ(chooser.folders.size(), 1u);
  EXPECT_EQ(chooser.folders[0], convert::homeFolder());
  EXPECT_EQ(QDir(tempPath()).entryList(QDir::Dirs | QDir::NoDotAndDotDot), QStringList());
}

TEST_F(WindowConvertTest, ConvertedDocumentLeavesItsLinesAndSuccess) {
  const std::string doc = course(tempPath() + "/Курс", "safety.txt");
  ScriptedChooser chooser({doc});
  click(chooser);
  EXPECT_TRUE(window_->convertButton()->isEnabled());
  const QString path = QString::fromStdString(doc);
  const QString text = window_->statusBox()->toPlainText();
  // The path, the empty line after it, the heading lines as they came, and
  // the success line last; a marker line's paragraph mark adds no line.
  EXPECT_TRUE(text.startsWith(path + "\n\n")) << text.toStdString();
  EXPECT_EQ(text.count("\n\n"), 1) << text.toStdString();
  EXPECT_FALSE(text.contains('\r'));
  const QStringList lines = text.split('\n');
  qsizetype basics = lines.indexOf("%H1=Basics");
  qsizetype rules = lines.indexOf(QRegularExpression("^    page \\d+\\.htm%H2=Rules$"));
  qsizetype check = lines.indexOf("    %TEST=Check");
  qsizetype end = lines.indexOf("%H1#");
  qsizetype summary = lines.indexOf(QRegularExpression("^    page \\d+\\.htm%H2=Summary$"));
  EXPECT_TRUE(0 < basics && basics < rules && rules < check && check < end && end < summary)
      << text.toStdString();
  // After the run's own lines: where the package went, and the warning
  // about the document (its first lines are no page), written beside it.
  const QString folder = tempPath() + "/Курс/safety";
  EXPECT_TRUE(text.endsWith("\nУспех\nPackage: " + folder + "/, " + folder + ".zip, " + folder +
                            ".scorm.zip, " + folder + ".scorm2004.zip, " + folder + ".cmi5.zip\n" +
                            "line 1: text before the first \"%H1=\", \"%H2=\" or \"%TEST=\" "
                            "belongs to no page and is left out of the course; move it into a "
                            "page to show it, or leave it as a note for yourself\n" +
                            "1 warning about the document: see " + path + ".lint.txt\n"))
      << text.toStdString();
  EXPECT_TRUE(QFile(path + ".lint.txt").exists());
  EXPECT_EQ(readLog(), "Start\r\n" + doc + "\r\nУспех\r\n");
  QDir out(tempPath() + "/Курс/safety");
  EXPECT_TRUE(out.exists("page2.htm"));
  EXPECT_TRUE(out.exists("imsmanifest.xml"));
}

TEST_F(WindowConvertTest, SecondRunStartsInTheFirstDocumentsFolderAndKeepsAllLines) {
  const std::string first = course(tempPath() + "/one", "a.txt");
  const std::string second = course(tempPath() + "/two", "b.txt");
  ScriptedChooser chooser({first, second, std::nullopt});
  click(chooser);
  click(chooser);
  click(chooser);
  ASSERT_EQ(chooser.folders.size(), 3u);
  EXPECT_EQ(chooser.folders[1], QFile::encodeName(tempPath()).toStdString() + "/one/");
  EXPECT_EQ(chooser.folders[2], QFile::encodeName(tempPath()).toStdString() + "/two/");
  const QString text = window_->statusBox()->toPlainText();
  EXPECT_EQ(text.count(QStringLiteral("Успех\n")), 2);
  EXPECT_LT(text.indexOf(QString::fromStdString(first)),
            text.indexOf(QString::fromStdString(second)));
  EXPECT_TRUE(text.endsWith(".lint.txt\n"));
  EXPECT_EQ(readLog(),
            "Start\r\n" + first + "\r\nУспех\r\nStart\r\n" + second + "\r\nУспех\r\nStart\r\n");
}

TEST_F(WindowConvertTest, FailedRunReportsAndEnablesTheButton) {
  // A name typed into the dialog that does not exist fails the open.
  const std::string missing = QFile::encodeName(tempPath()).toStdString() + "/gone/missing.doc";
  ScriptedChooser chooser({missing, std::nullopt});
  click(chooser);
  EXPECT_TRUE(window_->convertButton()->isEnabled());
  const QString text = window_->statusBox()->toPlainText();
  EXPECT_TRUE(text.startsWith(QString::fromStdString(missing) + "\n\nparse: Error # "))
      << text.toStdString();
  EXPECT_FALSE(text.contains(QStringLiteral("Успех")));
  EXPECT_EQ(readLog(), "Start\r\n" + missing + "\r\n");
  // The failed run still moved the next dialog to its folder.
  click(chooser);
  ASSERT_EQ(chooser.folders.size(), 2u);
  EXPECT_EQ(chooser.folders[1], QFile::encodeName(tempPath()).toStdString() + "/gone/");
}

// The window keeps one engine: a run that failed left its document open,
// and the fixed document converted again must be read anew.
TEST_F(WindowConvertTest, AFixedDocumentIsReadAgainOnTheNextRun) {
  const QString folder = tempPath() + "/fix";
  QDir().mkpath(folder);
  const std::string doc = QFile::encodeName(folder + "/c.txt").toStdString();
  auto write = [&](const char* text) {
    QFile f(QString::fromStdString(doc));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text);
  };
  write("%H2=Page\n%PID=not a number\ntext of the first try\n");
  ScriptedChooser chooser({doc, doc});
  click(chooser);
  EXPECT_NE(QString::fromStdU16String(box()).indexOf("parse: Error #  13"), -1);
  write("%H2=Page\n%PID=7\nthe text after the fix, somewhat longer\n");
  click(chooser);
  QFile page(folder + "/c/page1.htm");
  ASSERT_TRUE(page.open(QIODevice::ReadOnly));
  EXPECT_TRUE(page.readAll().contains("the text after the fix"));
}

TEST_F(WindowConvertTest, AFailedCopyStepAddsALineNamingItsPackage) {
  // A folder where the zip goes: the copy step cannot put the zip there.
  const std::string doc = course(tempPath() + "/c", "safety.txt");
  ASSERT_TRUE(QDir().mkpath(tempPath() + "/c/safety.zip"));
  ScriptedChooser chooser({doc});
  click(chooser);
  EXPECT_NE(box().find(u"\nУспех\n"), std::u16string::npos);
  // The window goes on; the line comes once the copy step has ended.
  waitForCopySteps();
  QCoreApplication::processEvents(QEventLoop::AllEvents, 300);
  const std::u16string expected = u"copysql.sh: the package " +
                                  QString(tempPath() + "/c/safety/").toStdU16String() +
                                  u" is incomplete: the copy step failed (exit status 1)\n";
  EXPECT_TRUE(box().ends_with(u".lint.txt\n" + expected))
      << QString::fromStdU16String(box()).toStdString();
  EXPECT_EQ(window_->copyStepsRunning(), 0u);
}

// A page that cannot be written: "Успех" as ever, but the lines after it say
// why, and that the package is incomplete and has no new zip.
TEST_F(WindowConvertTest, APageThatCannotBeWrittenIsToldAfterTheRun) {
  const std::string doc = course(tempPath() + "/p", "safety.txt");
  const QString folder = tempPath() + "/p/safety/";
  ASSERT_TRUE(QDir().mkpath(folder + "page2.htm"));
  ScriptedChooser chooser({doc});
  click(chooser);
  const std::u16string after = box().substr(box().find(u"\nУспех\n"));
  EXPECT_TRUE(after.starts_with(u"\nУспех\n" + folder.toStdU16String() +
                                u"page2.htm: Is a directory\n1 page or test could not be written: "
                                u"the package " +
                                folder.toStdU16String() +
                                u" is incomplete, so the copy step was not started (an earlier zip "
                                u"stays as it was)\nline 1: "))
      << QString::fromStdU16String(after).toStdString();
}

// A report that cannot be written beside the document (a folder in its
// place) costs the window none of its lines: the count says why instead.
TEST_F(WindowConvertTest, AReportThatCannotBeWrittenStillShowsItsWarnings) {
  const std::string doc = course(tempPath() + "/r", "safety.txt");
  const QString report = QString::fromStdString(doc) + ".lint.txt";
  ASSERT_TRUE(QDir().mkpath(report));
  ScriptedChooser chooser({doc});
  click(chooser);
  waitForCopySteps();
  EXPECT_TRUE(
      box().ends_with(u"\nline 1: text before the first \"%H1=\", \"%H2=\" or \"%TEST=\" "
                      u"belongs to no page and is left out of the course; move it into a page to "
                      u"show it, or leave it as a note for yourself\n"
                      u"1 warning about the document, whose list could not be written: " +
                      report.toStdU16String() + u": Is a directory\n"))
      << QString::fromStdU16String(box()).toStdString();
}

// A document opened from the desktop (`raredozud --window DOC`): converted
// as soon as it is given, named by its full path, its copy step started as
// for the button; the next run asks the dialog again.
TEST_F(WindowConvertTest, AGivenDocumentIsConvertedOnceThenTheDialogAnswers) {
  course(tempPath() + "/given", "safety.txt");
  ScriptedChooser chooser({std::nullopt});
  window_->setDocumentChooser(&chooser);
  window_->convertGiven("given/safety.txt");  // relative to the current folder
  EXPECT_TRUE(chooser.folders.empty());
  const std::string full = QFile::encodeName(tempPath()).toStdString() + "/given/safety.txt";
  EXPECT_TRUE(box().starts_with(QString::fromStdString(full + "\n\n").toStdU16String()));
  EXPECT_NE(box().find(u"\nУспех\n"), std::u16string::npos);
  waitForCopySteps();
  EXPECT_TRUE(QFile::exists(tempPath() + "/given/safety.zip"));
  EXPECT_TRUE(QFile::exists(tempPath() + "/given/safety/index.htm"));
  window_->convertButton()->click();
  EXPECT_EQ(chooser.folders.size(), 1u);
  EXPECT_EQ(readLog(), "Start\r\n" + full + "\r\nУспех\r\nStart\r\n");
}

}  // namespace

// The errors of a course, after the run's own lines: two documents of one
// window session writing one package, and a test that cannot be shown
// (errors before warnings, ten lines at most, then the count).
TEST_F(WindowConvertTest, ErrorsFollowTheRunsOwnLines) {
  QDir().mkpath(tempPath() + "/c");
  std::string first, second;
  for (const char* name : {"Quiz.txt", "Quiz.v2.txt"}) {
    const QString path = tempPath() + "/c/" + name;
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(
        "%TITLE=T\n%AUTHOR=A\n%H2=Using a ladder\nStand it on firm ground.\n"
        "%TEST=Check\n1. Which?\na) one\nb) two\n%H2=More\n%PID=1\n%PID=2\nText, more text.\n");
    (first.empty() ? first : second) = QFile::encodeName(path).toStdString();
  }
  ScriptedChooser chooser({first, second});
  click(chooser);
  waitForCopySteps();
  click(chooser);
  waitForCopySteps();
  const QString text = window_->statusBox()->toPlainText();
  const QString path = QString::fromStdString(second);
  EXPECT_TRUE(text.endsWith(
      ".cmi5.zip\nerror: \"" + path + "\" and \"" + QString::fromStdString(first) +
      "\" both write the package " + tempPath() +
      "/c/Quiz/: the later replaced the earlier one's course; give one of the documents another "
      "name (the part before the first dot)\n"
      "line 6, test \"Check\": error: its quiz page stops here: no answer is marked correct: "
      "learners cannot take this test; put \"*\" before the right answer's letter (\"*b) "
      "...\"), or name it in an \"ANSWER:\" line\n"
      "line 11, page \"More\": a second \"%PID=\" for the same item: the later number counts; "
      "keep one of the two\n"
      "1 error and 1 warning about the document: see " +
      path + ".lint.txt\n"))
      << text.toStdString();
}
