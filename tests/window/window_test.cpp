// The main window under the offscreen platform: the button's click, the
// status box, the file dialog and the front-end pieces the window hands to
// a run. Runs here are test doubles; window_convert_test.cpp drives the
// real converter.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <chrono>
#include <cstdlib>
#include <stdexcept>
#include <thread>

#include "support/error.h"
#include "window_fixture.h"

namespace {

using app::MainWindow;
using windowtest::WindowTest;

// The layout is fixed in twips (1440 to the inch) and drawn at the
// screen's dpi, whatever it is.
TEST_F(WindowTest, FormLayoutInTwipsAtTheScreensDpi) {
  MainWindow w([](course::Frontend&) {});
  const int dpi = w.logicalDpiY();
  auto px = [dpi](int twips) { return static_cast<int>(std::lround(twips * dpi / 1440.0)); };
  auto rect = [&](int left, int top, int width, int height) {
    return QRect(px(left), px(top), px(width), px(height));
  };
  EXPECT_EQ(w.objectName(), "Form1");
  EXPECT_EQ(w.windowTitle(), "Raredozud 1.3.1  (4.4.2009)");
  EXPECT_EQ(w.size(), QSize(px(9885), px(7590)));
  EXPECT_EQ(w.logo()->geometry(), rect(360, 240, 4485, 1545));
  EXPECT_EQ(w.convertButton()->geometry(), rect(5880, 720, 2535, 492));
  EXPECT_EQ(w.statusBox()->geometry(), rect(360, 2040, 9135, 5175));
  EXPECT_EQ(w.convertButton()->text(), "Convert from Word");
  EXPECT_TRUE(w.convertButton()->isEnabled());
  EXPECT_TRUE(w.statusBox()->isReadOnly());
  EXPECT_TRUE(w.statusBox()->toPlainText().isEmpty());
  // The logo fits its box without distortion.
  const QPixmap logo = w.logo()->pixmap();
  ASSERT_FALSE(logo.isNull());
  EXPECT_LE(logo.width(), px(4485));
  EXPECT_EQ(logo.height(), px(1545));
  EXPECT_EQ(app::drawLogo().size(), QSize(283, 212));
}

TEST_F(WindowTest, ButtonIsDisabledDuringTheRunAndEnabledAfterIt) {
  MainWindow* wp = nullptr;
  int runs = 0;
  MainWindow w([&](course::Frontend& f) {
    ++runs;
    EXPECT_FALSE(wp->convertButton()->isEnabled());
    EXPECT_TRUE(wp->converting());
    f.status.showStatus(u"line");
    EXPECT_FALSE(wp->convertButton()->isEnabled()) << "showing a line must not enable the button";
  });
  wp = &w;
  w.show();
  w.convertButton()->click();
  EXPECT_EQ(runs, 1);
  EXPECT_TRUE(w.convertButton()->isEnabled());
  EXPECT_FALSE(w.converting());
  w.convertButton()->click();
  EXPECT_EQ(runs, 2);
  EXPECT_TRUE(w.convertButton()->isEnabled());
}

TEST_F(WindowTest, ButtonIsEnabledAgainWhenTheRunFails) {
  MainWindow* wp = nullptr;
  int thrown = 0;
  MainWindow w([&](course::Frontend&) {
    EXPECT_FALSE(wp->convertButton()->isEnabled());
    ++thrown;
    if (thrown == 1) throw support::Error(75, "Raredozud", "Path/File access error");
    if (thrown == 2) throw std::runtime_error("unexpected");
    throw 42;
  });
  wp = &w;
  w.show();
  for (int i = 0; i < 3; ++i) {
    w.convertButton()->click();
    EXPECT_TRUE(w.convertButton()->isEnabled()) << "after failure " << i + 1;
  }
  EXPECT_EQ(thrown, 3);
  // What escaped the run is shown, not swallowed silently.
  QString box = w.statusBox()->toPlainText();
  EXPECT_TRUE(box.contains("Path/File access error")) << box.toStdString();
  EXPECT_TRUE(box.contains("unexpected")) << box.toStdString();
}

TEST_F(WindowTest, StatusLinesAndLineEnds) {
  MainWindow w([](course::Frontend& f) {
    f.status.showStatus(u"/home/u/course.doc\r\n");  // the path line: an empty line follows
    f.status.showStatus(u"%H1=Basics\r");            // a marker line keeps its paragraph mark
    f.status.showStatus(u"two\r\nlines");
    f.status.showStatus(u"cr\ronly");
    f.status.showStatus(u"lf\nonly");
    f.status.showStatus(u"");
    f.status.showStatus(u"soft\r\r\nbreak");
    f.status.showStatus(u"Успех");
  });
  w.show();
  w.convertButton()->click();
  EXPECT_EQ(
      w.statusBox()->toPlainText().toStdU16String(),
      u"/home/u/course.doc\n\n%H1=Basics\ntwo\nlines\ncr\nonly\nlf\nonly\n\nsoft\nbreak\nУспех\n");
  EXPECT_EQ(w.statusBox()->document()->blockCount(), 14);
}

TEST_F(WindowTest, SeveralRunsKeepAllLinesAndTheBoxShowsTheLast) {
  int run = 0;
  MainWindow w([&](course::Frontend& f) {
    ++run;
    for (int i = 0; i < 40; ++i)
      f.status.showStatus(u"run " + QString::number(run).toStdU16String() + u" line " +
                          QString::number(i).toStdU16String());
  });
  w.show();
  w.convertButton()->click();
  QScrollBar* bar = w.statusBox()->verticalScrollBar();
  EXPECT_GT(bar->maximum(), 0) << "40 lines overflow the box";
  EXPECT_EQ(bar->value(), bar->maximum());
  bar->setValue(0);  // the user scrolled up between runs
  w.convertButton()->click();
  EXPECT_EQ(bar->value(), bar->maximum());
  QStringList lines = w.statusBox()->toPlainText().split('\n');
  ASSERT_EQ(lines.size(), 81);  // 80 lines, each ended
  EXPECT_EQ(lines[0], "run 1 line 0");
  EXPECT_EQ(lines[40], "run 2 line 0");
  EXPECT_EQ(lines[79], "run 2 line 39");
  EXPECT_EQ(lines[80], "");
}

TEST_F(WindowTest, ClosingDuringARunWaitsForItsEnd) {
  MainWindow* wp = nullptr;
  bool finished = false;
  MainWindow w([&](course::Frontend& f) {
    wp->close();
    f.status.showStatus(u"still running");
    EXPECT_TRUE(wp->isVisible());
    finished = true;
  });
  wp = &w;
  w.show();
  w.convertButton()->click();
  EXPECT_TRUE(finished);
  EXPECT_FALSE(w.isVisible());
}

TEST_F(WindowTest, ChooserCanBeReplacedAndRestored) {
  windowtest::ScriptedChooser chooser({"/tmp/a.doc"});
  std::optional<std::string> got;
  MainWindow w([&](course::Frontend& f) { got = f.chooser.chooseDocument("/srv/courses/"); });
  w.setDocumentChooser(&chooser);
  w.convertButton()->click();
  ASSERT_EQ(chooser.folders.size(), 1u);
  EXPECT_EQ(chooser.folders[0], "/srv/courses/");
  EXPECT_EQ(got, std::optional<std::string>("/tmp/a.doc"));

  // Without a replacement the window's file dialog answers again.
  w.setDocumentChooser(nullptr);
  QTimer::singleShot(0, [&] {
    if (auto* dlg = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) dlg->reject();
  });
  w.convertButton()->click();
  EXPECT_EQ(chooser.folders.size(), 1u);
  EXPECT_EQ(got, std::nullopt);
}

// The toolkit's dialog as the window configures it.
TEST_F(WindowTest, FileDialogChooser) {
  QDir here(QDir::currentPath());
  ASSERT_TRUE(here.mkpath("Курсы"));
  QString folder = here.filePath("Курсы");
  QFile doc(folder + "/Модуль 1.doc");
  ASSERT_TRUE(doc.open(QIODevice::WriteOnly));
  doc.close();

  QWidget owner;
  app::FileDialogChooser chooser(&owner);
  QString title, directory;
  QStringList filters, shown;
  QTimer::singleShot(0, [&] {
    auto* dlg = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (!dlg) return;
    title = dlg->windowTitle();
    filters = dlg->nameFilters();
    if (auto* types = dlg->findChild<QComboBox*>("fileTypeCombo"))
      for (int i = 0; i < types->count(); ++i) shown << types->itemText(i);
    directory = dlg->directory().absolutePath();
    dlg->selectFile(folder + "/Модуль 1.doc");
    static_cast<QDialog*>(dlg)->accept();  // public there, protected in QFileDialog
  });
  std::optional<std::string> chosen =
      chooser.chooseDocument(QFile::encodeName(folder).toStdString() + "/");
  EXPECT_EQ(title, "Select a document for conversion");
  ASSERT_GE(filters.size(), 3);
  // The first filter reads as it always has, and lets .docx and .odt
  // documents show.
  ASSERT_GE(shown.size(), 3);
  EXPECT_EQ(shown[0], "Doc Files (*.doc)");
  EXPECT_TRUE(filters[0].endsWith("(*.doc *.docx *.odt *.fodt)")) << filters[0].toStdString();
  EXPECT_TRUE(shown[1].contains("*.docx") && shown[1].contains("*.odt")) << shown[1].toStdString();
  EXPECT_EQ(shown.last(), "All Files (*)");
  EXPECT_EQ(directory, QDir(folder).absolutePath());
  ASSERT_TRUE(chosen.has_value());
  EXPECT_EQ(*chosen,
            QFile::encodeName(QDir(folder).absoluteFilePath("Модуль 1.doc")).toStdString());

  // Cancelled; an empty folder starts at home.
  QTimer::singleShot(0, [&] {
    auto* dlg = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (!dlg) return;
    directory = dlg->directory().absolutePath();
    dlg->reject();
  });
  EXPECT_EQ(chooser.chooseDocument(""), std::nullopt);
  EXPECT_EQ(directory, QDir::home().absolutePath());
}

TEST_F(WindowTest, LogAppendsLinesToLogTxtInTheCurrentDirectory) {
  MainWindow w([](course::Frontend& f) {
    f.log.writeLog(u"Start");
    f.log.writeLog(u"/курсы/a.doc");
  });
  w.convertButton()->click();
  w.convertButton()->click();
  EXPECT_EQ(readLog(), "Start\r\n/курсы/a.doc\r\nStart\r\n/курсы/a.doc\r\n");
}

TEST_F(WindowTest, LogFailureReachesTheRun) {
  ASSERT_TRUE(QDir().mkdir("log.txt"));  // a folder where the file should be
  bool threw = false;
  MainWindow w([&](course::Frontend& f) {
    try {
      f.log.writeLog(u"Start");
    } catch (const support::Error&) {
      threw = true;
    }
  });
  w.convertButton()->click();
  EXPECT_TRUE(threw);
}

TEST_F(WindowTest, CopyScriptRunsOnWhileTheWindowGoesOnAndAfterItCloses) {
  QDir here(QDir::currentPath());
  // The script waits for a go-ahead, so start() returning proves it did not wait.
  QFile script(here.filePath("copy script.sh"));
  ASSERT_TRUE(script.open(QIODevice::WriteOnly));
  script.write(
      "while [ ! -e go ]; do sleep 0.05; done\nprintf '%s|' \"$@\" > out.tmp\nmv out.tmp out\n");
  script.close();  // no execute bit on purpose

  std::string scriptPath = QFile::encodeName(script.fileName()).toStdString();
  std::string programFolder;
  {
    MainWindow w([&](course::Frontend& f) {
      programFolder = f.programFolder;
      EXPECT_EQ(f.starter.start(scriptPath, {"/opt/rd", "/home/u/my course/"}), std::nullopt);
    });
    w.convertButton()->click();
    EXPECT_EQ(w.copyStepsRunning(), 1u);
    EXPECT_TRUE(w.close());
  }
  EXPECT_FALSE(programFolder.empty());
  EXPECT_NE(programFolder.back(), '/');
  // The window went on, and closed, without waiting; the script runs on.
  EXPECT_FALSE(here.exists("out")) << "the script ran before the window went on";
  QFile go(here.filePath("go"));
  ASSERT_TRUE(go.open(QIODevice::WriteOnly));
  go.close();
  QFile out(here.filePath("out"));
  // A minute, for a loaded machine; it takes well under a second.
  for (int i = 0; i < 1200 && !out.exists(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  ASSERT_TRUE(out.open(QIODevice::ReadOnly)) << "the script never ran";
  EXPECT_EQ(out.readAll(), "/opt/rd|/home/u/my course/|");
}

TEST_F(WindowTest, MissingCopyScriptIsError53) {
  int number = 0;
  MainWindow w([&](course::Frontend& f) {
    try {
      f.starter.start(QDir::current().filePath("copysql.sh").toStdString(), {"a", "b"});
    } catch (const support::Error& e) {
      number = e.number();
    }
  });
  w.convertButton()->click();
  EXPECT_EQ(number, 53);
}

}  // namespace

namespace {

// The program loads the window from its module only when started without
// arguments; a run that is still going after three seconds has shown it (a
// window that cannot be shown ends the program at once, with a message).
TEST(WindowModule, TheProgramWithoutArgumentsOpensTheWindow) {
  const std::string err = ::testing::TempDir() + "window_module.err";
  const std::string cmd = std::string("QT_QPA_PLATFORM=offscreen timeout 3 '") + RD_PROGRAM +
                          "' > /dev/null 2> '" + err + "'";
  int status = std::system(cmd.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 124) << "the program ended by itself";
  QFile f(QString::fromStdString(err));
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_FALSE(f.readAll().contains("cannot be shown"));
}

// Without a display (a session over ssh) the program says what it lacks and
// shows the command line, where the toolkit would abort.
TEST(WindowModule, WithoutADisplayTheProgramSaysSo) {
  const std::string err = ::testing::TempDir() + "window_no_display.err";
  const std::string cmd =
      std::string("env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM timeout 60 '") +
      RD_PROGRAM + "' > /dev/null 2> '" + err + "'";
  int status = std::system(cmd.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 2);
  QFile f(QString::fromStdString(err));
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const QByteArray said = f.readAll();
  EXPECT_TRUE(said.contains("the window cannot be shown (no display")) << said.toStdString();
  EXPECT_TRUE(said.contains("raredozud convert [--strict]")) << said.toStdString();
}

}  // namespace
