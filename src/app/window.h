#pragma once
// The main window: one button that starts a conversion, one status box.
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>

#include "app/sinks.h"
#include "course/frontend.h"

class QLabel;
class QPainter;
class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace app {

// One conversion run, given the window's front-end pieces. The real one
// drives the converter with a session that lives as long as the window.
using ConversionRun = std::function<void(course::Frontend&)>;

// The converter's run with its own session and document engine.
ConversionRun conversionRun();

// The toolkit's open-file dialog as the document chooser.
class FileDialogChooser : public course::DocumentChooser {
 public:
  explicit FileDialogChooser(QWidget* owner) : owner_(owner) {}
  std::optional<std::string> chooseDocument(const std::string& initialFolder) override;

 private:
  QWidget* owner_;
};

class MainWindow : public QWidget {
  Q_OBJECT

 public:
  explicit MainWindow(ConversionRun run, QWidget* parent = nullptr);
  ~MainWindow() override;

  // Replaces the file dialog (tests); nullptr brings the dialog back. The
  // chooser must outlive its use.
  void setDocumentChooser(course::DocumentChooser* chooser);

  // Where the run finds the test template and the copy script (tests);
  // the program's own folder by default.
  void setProgramFolder(std::string folder) { programFolder_ = std::move(folder); }

  QPushButton* convertButton() const { return btnDone_; }
  QPlainTextEdit* statusBox() const { return text1_; }
  QLabel* logo() const { return image1_; }
  bool converting() const { return converting_; }
  // Copy steps started and not yet ended; warnings of all runs so far.
  size_t copyStepsRunning() const { return copySteps_.running(); }
  int warnings() const { return warnings_.count; }

  // Converts `document` as if it had been picked in the dialog (a document
  // opened from the desktop); the dialog answers the runs after it.
  void convertGiven(const std::string& document);

  // Adds one line at the end of the status box and shows it at once.
  void showStatus(const std::u16string& message);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void convertDocument();  // btnDone's click
  // Shows a line for each copy step that has ended in failure.
  void watchCopySteps();

  ConversionRun run_;
  QLabel* image1_;
  QPushButton* btnDone_;
  QPlainTextEdit* text1_;
  FileDialogChooser dialogChooser_;
  course::DocumentChooser* chooser_;
  std::string programFolder_;
  // The copy steps run on while the window goes on; the window collects
  // them as they end, and a window that closes leaves them running.
  ShellStarter copySteps_{false};
  QTimer* copyWatch_;
  class CountedWarnings : public course::WarningSink {
   public:
    void warn(const std::u16string& message) override {
      ++count;
      notes.push_back(message);
    }
    void error(const std::u16string& message) override {
      ++count;
      errors.push_back(message);
    }
    void packageWritten(const std::string& folder, const std::vector<std::string>& zips) override {
      package = folder;
      for (const std::string& z : zips) package += ", " + z;
    }
    int count = 0;
    std::string package;                 // the last run's, until the window shows it
    std::vector<std::u16string> errors;  // likewise
    // What the run says beside its status lines: why a file could not be
    // written, that the package is incomplete or was another document's.
    std::vector<std::u16string> notes;
  } warnings_;
  // The lines a run leaves after its own: what it said beside them, where
  // the package went, and the warnings about the document.
  void reportAfterRun(const std::optional<std::string>& document);
  bool converting_ = false;
  bool closeRequested_ = false;
};

// A status message as the box shows it, its line end included: every line
// end in it becomes '\n'.
QString boxLine(std::u16string_view message);

// The logo: the product's name over its emblem, drawn at its own size
// (kLogoWidth x kLogoHeight) by `paintLogo`, which the icon files are made
// with too (tools/raredozud_icons.cpp).
constexpr int kLogoWidth = 283;
constexpr int kLogoHeight = 212;
void paintLogo(QPainter& p);
QPixmap drawLogo();

// The program's window; `document`, unless empty, is converted in it once
// it shows.
int runWindow(int argc, char** argv, const std::string& document);

}  // namespace app
