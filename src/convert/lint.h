#pragma once
// Telling the author, before learners see it, where the marker rules will
// do something other than what the document seems to ask: the document is
// read as a conversion reads it, and nothing is written.
#include <cstdint>
#include <string>
#include <vector>

#include "convert/entries.h"
#include "word/application.h"

namespace convert {

struct LintWarning {
  int32_t position = 0;   // where in the main text
  int32_t paragraph = 0;  // counted from 1, paragraphs in table cells included
  std::u16string message;
  std::u16string firstWords;  // the paragraph's first five words, to search for
};

// What lint found: the warnings in document order, and the entries a
// conversion records.
struct LintResult {
  std::vector<LintWarning> warnings;
  std::vector<ClosedEntry> entries;
};

// Reads the document at `path` as a conversion would: what will go wrong,
// and what it makes of the document. The document is left open and active,
// as a conversion that follows opens it. Throws word::Error when it cannot
// be opened.
LintResult lintDocument(word::Application& app, const std::string& path);

// The warnings of lintDocument.
std::vector<LintWarning> lint(word::Application& app, const std::string& path);

// One warning as compilers write theirs, so that editors can follow it:
// PATH:PARAGRAPH: warning: MESSAGE ("FIRST WORDS")
std::string lintLine(const std::string& path, const LintWarning& warning);

}  // namespace convert
