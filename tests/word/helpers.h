#pragma once
// Shared pieces of the engine tests: documents made with the builder, a
// scratch folder per test, and the converter's own way of walking a document.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "../common/builder.h"
#include "../common/fixtures.h"
#include "word/application.h"
#include "word/builder.h"
#include "word/engine.h"

namespace wordtest {

using testing_support::thrown;

// A test with a fresh folder of its own, removed afterwards.
class FolderTest : public ::testing::Test {
 protected:
  testing_support::ScratchFolder scratch_;
  const std::filesystem::path dir_{scratch_.path()};
};

inline word::Document& adopt(word::Application& app, word::Model model,
                             std::string name = "Source") {
  return word::engine::adopt(app, std::move(name), std::move(model));
}

// The converter tests' builder shorthands: a paragraph, a one-row table of
// plain cells.
inline void para(word::Builder& b, const std::string& text) {
  testing_support::paragraph(b, text);
}
inline void table(word::Builder& b, const std::vector<std::string>& cells) {
  testing_support::tableRow(b, cells);
}

// The marker scanner's walk: paragraph by paragraph, skipping tables. Returns
// the texts read. A guard turns a walk that stops moving into a failure
// instead of a hang.
inline std::vector<std::string> scan(word::Application& app, bool* finished = nullptr) {
  word::Selection sel = app.selection();
  word::Document& doc = app.activeDocument();
  std::vector<std::string> read;
  sel.homeKey(word::wdStory, word::wdMove);
  int32_t moved = 1;
  int steps = 0;
  const int limit = 4 * static_cast<int>(doc.content().end()) + 16;
  while (moved > 0 && ++steps < limit) {
    if (sel.type() == word::wdSelectionIP && sel.end() == doc.content().end() - 1) break;
    if (sel.information(word::wdWithInTable)) {
      sel.selectTable(1);
      sel.moveDown(word::wdLine, 1, word::wdMove);
      sel.homeKey(word::wdLine, word::wdMove);
      if (sel.information(word::wdWithInTable)) {
        sel.selectTable(1);
        sel.moveDown(word::wdParagraph, 1, word::wdMove);
      }
      continue;
    }
    moved = sel.moveDown(word::wdParagraph, 1, word::wdExtend);
    read.push_back(word::u8(sel.text()));
    sel.setStart(sel.end());
  }
  if (finished) *finished = steps < limit;
  return read;
}

}  // namespace wordtest
