#pragma once
// Telling the author, before learners see it, where the marker rules will
// do something other than what the document seems to ask: the document is
// read as a conversion reads it, and nothing is written.
#include <cstdint>
#include <string>
#include <vector>

#include "convert/entries.h"
#include "course/frontend.h"
#include "word/application.h"

namespace convert {

// A warning or an error (course::Severity) about the document.
struct LintWarning {
  int32_t position = 0;   // where in the main text
  int32_t paragraph = 0;  // counted from 1, paragraphs in table cells included
  std::u16string message;
  // The paragraph's first five words, to search for; for a paragraph with
  // no word (a picture alone), the words around it.
  std::u16string firstWords;
  course::Severity severity = course::Severity::Warning;
  // The page, test or chapter it is in, as the author knows it
  // ("page \"Using a ladder\""); empty before the first of them.
  std::u16string where{};
  bool wholeCourse = false;  // about the course as a whole, not one page
  bool leftOut = false;      // about text that no page of the course shows
  bool error() const { return severity == course::Severity::Error; }
};

// What lint found: the warnings in document order, and the entries a
// conversion records, with the walk that found them for the conversion.
struct LintResult {
  std::vector<LintWarning> warnings;
  std::vector<ClosedEntry> entries;
  RecordedWalk walk;
};

// Reads the document at `path` as a conversion would: what will go wrong,
// and what it makes of the document. The document is left open and active,
// as a conversion that follows opens it. Throws word::Error when it cannot
// be opened.
LintResult lintDocument(word::Application& app, const std::string& path);

// The warnings of lintDocument.
std::vector<LintWarning> lint(word::Application& app, const std::string& path);

// One warning as compilers write theirs, so that editors can follow it:
// PATH:PARAGRAPH: warning: WHERE: MESSAGE ("FIRST WORDS"), "error:" for an
// error, no "WHERE: " outside any page.
std::string lintLine(const std::string& path, const LintWarning& warning);

// One warning as the window shows it: line PARAGRAPH, WHERE: MESSAGE, with
// "error: " before an error's message.
std::u16string lintWindowLine(const LintWarning& warning);

// How many of `warnings` are errors.
size_t errorCount(const std::vector<LintWarning>& warnings);

}  // namespace convert
