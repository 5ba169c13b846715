#pragma once
// Readers' corpus tests: comparing a reader's plain text with a reference
// export, and reading the damaged files a corpus keeps.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/files.h"
#include "word/builder.h"
#include "word/error.h"

namespace testing_support {

// A text as the comparison sees it: white space runs (no-break space, BOM
// and line/paragraph separators included) become one blank, none kept at
// either end; a form's check boxes, which the exports leave out (the word
// processor draws them), are left out.
inline std::string comparableText(const std::string& utf8) {
  std::u16string out;
  bool space = false;
  for (char16_t c : word::u16(utf8)) {
    if (c == 0x2610 || c == 0x2612) continue;
    bool ws = c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\f' || c == u'\v' ||
              c == 0xA0 || c == 0xFEFF || c == 0x2028 || c == 0x2029;
    if (ws) {
      space = !out.empty();
      continue;
    }
    if (space) out += u' ';
    space = false;
    out += c;
  }
  return word::u8(out);
}

// Reads every file in `folder`'s damaged/ and crashes/ with `read`: each
// must give a model that ends in a paragraph mark or fail with a
// word::Error that says why. Returns how many files there were.
template <typename Read>
size_t readDamagedFiles(const std::string& folder, const Read& read) {
  size_t files = 0;
  for (const char* sub : {"damaged", "crashes"}) {
    std::filesystem::path dir = std::filesystem::path(folder) / sub;
    if (!std::filesystem::exists(dir)) continue;
    for (const auto& e : std::filesystem::directory_iterator(dir)) {
      if (!e.is_regular_file() || e.path().filename().string()[0] == '.') continue;
      ++files;
      try {
        word::Model m = read(support::readFile(e.path().string()));
        EXPECT_FALSE(m.main.text.empty()) << e.path();
        EXPECT_EQ(m.main.text.back(), word::kParagraphMark) << e.path();
      } catch (const word::Error& err) {
        EXPECT_FALSE(err.description().empty()) << e.path();
      }
    }
  }
  return files;
}

}  // namespace testing_support
