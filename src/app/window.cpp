#include "app/window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextCursor>
#include <QTimer>
#include <cmath>
#include <filesystem>

#include "app/lint_report.h"
#include "app/sinks.h"
#include "convert/paths.h"
#include "course/failure.h"
#include "support/codepage.h"
#include "support/files.h"
#include "support/strings.h"

namespace app {
namespace {

// Positions and sizes in twips, 15 to a pixel at 96 dpi.
struct TwipRect {
  int left, top, width, height;
};
constexpr int kClientWidth = 9885;
constexpr int kClientHeight = 7590;
constexpr TwipRect kImage1{360, 240, 4485, 1545};
constexpr TwipRect kBtnDone{5880, 720, 2535, 492};
constexpr TwipRect kText1{360, 2040, 9135, 5175};

int toPixels(int twips, double scale) {
  return static_cast<int>(std::lround(twips / 15.0 * scale));
}

QRect toPixels(const TwipRect& r, double scale) {
  return QRect(toPixels(r.left, scale), toPixels(r.top, scale), toPixels(r.width, scale),
               toPixels(r.height, scale));
}

// Status lines into the window's box.
class WindowStatus : public course::StatusSink {
 public:
  explicit WindowStatus(MainWindow& window) : window_(window) {}
  void showStatus(const std::u16string& message) override { window_.showStatus(message); }

 private:
  MainWindow& window_;
};

// Remembers the document the run chose, for the lines after the run.
class RememberingChooser : public course::DocumentChooser {
 public:
  explicit RememberingChooser(course::DocumentChooser& inner) : inner_(inner) {}
  std::optional<std::string> chooseDocument(const std::string& initialFolder) override {
    chosen = inner_.chooseDocument(initialFolder);
    return chosen;
  }
  std::optional<std::string> chosen;

 private:
  course::DocumentChooser& inner_;
};

// The document given on the command line, once; then the dialog.
class GivenDocument : public course::DocumentChooser {
 public:
  GivenDocument(std::string document, course::DocumentChooser& after)
      : document_(std::move(document)), after_(after) {}
  std::optional<std::string> chooseDocument(const std::string& initialFolder) override {
    if (given_) return after_.chooseDocument(initialFolder);
    given_ = true;
    // As the dialog gives it: a full path, which the status box shows.
    std::error_code ec;
    const std::filesystem::path full = std::filesystem::absolute(document_, ec);
    return ec ? document_ : full.string();
  }

 private:
  std::string document_;
  course::DocumentChooser& after_;
  bool given_ = false;
};

}  // namespace

QString boxLine(std::u16string_view message) {
  // The message and the box's own line end, read as a text box reads them:
  // CR LF is a line break, and so is CR CR LF (so a paragraph mark at the
  // end of a marker line adds no empty line); a lone CR or LF is one too.
  std::u16string text(message);
  text += u"\r\n";
  QString line;
  line.reserve(static_cast<qsizetype>(text.size()));
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    if (c == u'\r') {
      if (text.compare(i, 3, u"\r\r\n") == 0) {
        i += 2;
      } else if (text.compare(i, 2, u"\r\n") == 0) {
        i += 1;
      }
      line += QLatin1Char('\n');
    } else {
      line += QChar(c);
    }
  }
  return line;
}

std::optional<std::string> FileDialogChooser::chooseDocument(const std::string& initialFolder) {
  QString folder =
      initialFolder.empty() ? QDir::homePath() : QFile::decodeName(initialFolder.c_str());
  // The first filter reads "Doc Files (*.doc)" and shows .docx documents
  // too, so that a folder of them does not look empty: the toolkit's own
  // dialog shows a filter's name without the patterns after it.
  QString path = QFileDialog::getOpenFileName(
      owner_, QStringLiteral("Select a document for conversion"), folder,
      QStringLiteral("Doc Files (*.doc) (*.doc *.docx *.odt *.fodt);;"
                     "Word Documents (*.doc *.docx *.odt *.fodt) (*.doc *.docx *.odt *.fodt);;"
                     "All Files (*) (*)"),
      nullptr, QFileDialog::HideNameFilterDetails | QFileDialog::DontUseNativeDialog);
  if (path.isEmpty()) return std::nullopt;
  return QFile::encodeName(path).toStdString();
}

MainWindow::MainWindow(ConversionRun run, QWidget* parent)
    : QWidget(parent),
      run_(std::move(run)),
      image1_(new QLabel(this)),
      btnDone_(new QPushButton(QStringLiteral("Convert from Word"), this)),
      text1_(new QPlainTextEdit(this)),
      dialogChooser_(this),
      chooser_(&dialogChooser_),
      programFolder_(support::programFolder()),
      copyWatch_(new QTimer(this)) {
  setObjectName(QStringLiteral("Form1"));
  image1_->setObjectName(QStringLiteral("Image1"));
  btnDone_->setObjectName(QStringLiteral("btnDone"));
  text1_->setObjectName(QStringLiteral("Text1"));
  setWindowTitle(QStringLiteral("Raredozud 1.3.1  (4.4.2009)"));

  // The layout is fixed in twips; scale it for the screen's dpi.
  double scale = logicalDpiY() / 96.0;
  setFixedSize(toPixels(kClientWidth, scale), toPixels(kClientHeight, scale));
  image1_->setGeometry(toPixels(kImage1, scale));
  btnDone_->setGeometry(toPixels(kBtnDone, scale));
  text1_->setGeometry(toPixels(kText1, scale));

  image1_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  image1_->setPixmap(
      drawLogo().scaled(image1_->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));

  text1_->setReadOnly(true);
  text1_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  text1_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

  connect(btnDone_, &QPushButton::clicked, this, &MainWindow::convertDocument);
  copyWatch_->setInterval(200);
  connect(copyWatch_, &QTimer::timeout, this, &MainWindow::watchCopySteps);
}

// The window shows this many of a document's errors and warnings; the
// report beside the document has them all.
constexpr size_t kShownWarnings = 10;

void MainWindow::reportAfterRun(const std::optional<std::string>& document) {
  for (const std::u16string& note : warnings_.notes) showStatus(note);
  if (!warnings_.package.empty()) showStatus(u"Package: " + support::fromUtf8(warnings_.package));
  for (const std::u16string& e : warnings_.errors) showStatus(u"error: " + e);
  // A path the run refused names no document to report on.
  if (!document || !convert::controlCharacterProblem(*document).empty()) return;
  const LintReport report = writeLintReport(convert::cleanPath(*document));
  // Errors first: a learner hits them; then the warnings, ten lines at most.
  std::vector<const convert::LintWarning*> shown;
  for (const bool errors : {true, false})
    for (const convert::LintWarning& w : report.found)
      if (w.error() == errors && shown.size() < kShownWarnings) shown.push_back(&w);
  for (const convert::LintWarning* w : shown) showStatus(convert::lintWindowLine(*w));
  if (report.warnings == 0) return;
  const size_t warnings = report.warnings - report.errors;
  std::u16string count;
  if (report.errors > 0)
    count = support::number(static_cast<int64_t>(report.errors)) +
            (report.errors == 1 ? u" error" : u" errors") + (warnings > 0 ? u" and " : u"");
  if (warnings > 0)
    count += support::number(static_cast<int64_t>(warnings)) +
             (warnings == 1 ? u" warning" : u" warnings");
  if (!report.unwritten.empty())
    showStatus(count + u" about the document, whose list could not be written: " +
               support::fromUtf8(report.unwritten));
  else
    showStatus(count + u" about the document: see " + support::fromUtf8(report.path));
}

void MainWindow::watchCopySteps() {
  for (const ShellStarter::Ended& step : copySteps_.collect()) {
    if (step.status == 0) continue;
    // Another run's lines may stand above it by now: the line names its package.
    const std::string folder = step.arguments.size() > 1 ? step.arguments[1] + "/" : "";
    showStatus(u"copysql.sh: the package " + support::fromUtf8(folder) +
               u" is incomplete: the copy step failed (exit status " +
               support::fromUtf8(std::to_string(step.status)) + u")");
  }
  if (copySteps_.running() == 0) copyWatch_->stop();
}

MainWindow::~MainWindow() = default;

void MainWindow::setDocumentChooser(course::DocumentChooser* chooser) {
  chooser_ = chooser ? chooser : &dialogChooser_;
}

void MainWindow::showStatus(const std::u16string& message) {
  QString line = boxLine(message);
  QTextCursor end(text1_->document());
  end.movePosition(QTextCursor::End);
  end.insertText(line);
  text1_->setTextCursor(end);
  text1_->ensureCursorVisible();
  text1_->verticalScrollBar()->setValue(text1_->verticalScrollBar()->maximum());

  // Paint the new line now; the user's input waits until the run is over.
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void MainWindow::convertGiven(const std::string& document) {
  GivenDocument given(document, *chooser_);
  course::DocumentChooser* before = chooser_;
  chooser_ = &given;
  convertDocument();
  chooser_ = before;
}

void MainWindow::convertDocument() {
  if (converting_) return;
  converting_ = true;
  btnDone_->setEnabled(false);

  WindowStatus status(*this);
  LogFile log;  // "log.txt" in the current directory
  RememberingChooser chooser(*chooser_);
  course::Frontend frontend{chooser, status, log, warnings_, copySteps_, programFolder_};
  warnings_.package.clear();
  warnings_.errors.clear();
  warnings_.notes.clear();
  try {
    run_(frontend);
    reportAfterRun(chooser.chosen);
  } catch (...) {
    // The driver reports its own failures; one that still escapes it is
    // shown in the same form and must not leave the button disabled.
    try {
      showStatus(u"btnDone: Error # " + course::errorDetail(course::currentError()));
    } catch (...) {
      // Nowhere left to report it; the window stays usable.
    }
  }

  // Clicks and keys that arrived during the run were held back; let them
  // reach a disabled button, so that none starts another run.
  QCoreApplication::processEvents();
  if (copySteps_.running() > 0) copyWatch_->start();
  converting_ = false;
  btnDone_->setEnabled(true);
  if (closeRequested_) close();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // A run is never cut short: the window closes once it is over.
  if (converting_) {
    closeRequested_ = true;
    event->ignore();
    return;
  }
  event->accept();
}

}  // namespace app
