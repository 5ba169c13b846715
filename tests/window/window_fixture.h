#pragma once
// Shared by the window tests: one QApplication for the program, a fresh
// current directory per test (the log goes there), and a chooser that
// answers from a script instead of showing the dialog.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/window.h"

namespace windowtest {

class WindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!QApplication::instance()) {
      static int argc = 1;
      static char name[] = "window_tests";
      static char* argv[] = {name, nullptr};
      qputenv("QT_QPA_PLATFORM", "offscreen");
      new QApplication(argc, argv);  // lives until the program ends
    }
  }
  void SetUp() override {
    ASSERT_TRUE(temp_.isValid());
    previous_ = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(temp_.path()));
  }
  void TearDown() override { QDir::setCurrent(previous_); }

  // The bytes of log.txt in the current directory ("" when there is none).
  static std::string readLog() {
    QFile log(QStringLiteral("log.txt"));
    if (!log.open(QIODevice::ReadOnly)) return {};
    return log.readAll().toStdString();
  }
  QString tempPath() const { return temp_.path(); }

 private:
  QTemporaryDir temp_;
  QString previous_;
};

// Answers each call with the next scripted path (nothing = cancelled) and
// records the folder each call started in. `onChoose` runs inside the call,
// while the window is converting.
class ScriptedChooser : public course::DocumentChooser {
 public:
  explicit ScriptedChooser(std::deque<std::optional<std::string>> answers)
      : answers_(std::move(answers)) {}
  std::optional<std::string> chooseDocument(const std::string& initialFolder) override {
    folders.push_back(initialFolder);
    if (onChoose) onChoose();
    if (answers_.empty()) return std::nullopt;
    auto answer = answers_.front();
    answers_.pop_front();
    return answer;
  }
  std::vector<std::string> folders;
  std::function<void()> onChoose;

 private:
  std::deque<std::optional<std::string>> answers_;
};

}  // namespace windowtest
