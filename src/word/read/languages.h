#pragma once
// The language of a document's text: what its characters are marked with
// (Word's language settings), and what the script of its letters suggests.
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "word/builder.h"

namespace word::read {

// A Windows language identifier as a language tag (0x0419 -> "ru-RU"); ""
// for none, "no proofing" (0x0400) or one ICU does not know.
std::string languageTag(uint16_t lcid);

// A language tag as a document spells it ("ru-RU", "en_us"), in its
// canonical form; "" for none ("x-none", "und", "zxx": no language) or
// one that is no tag.
std::string canonicalTag(const std::string& tag);

// The languages a document's runs are marked with, numbered as its runs
// keep them (CharFormat::language, Model::languages). Each spelling is
// made canonical once.
class LanguageTable {
 public:
  uint8_t number(const std::string& tag);  // as the document spells it
  uint8_t numberOfLcid(uint16_t lcid);
  const std::vector<std::string>& tags() const { return tags_; }
  std::vector<std::string> take() { return std::move(tags_); }

 private:
  std::vector<std::string> tags_;
  std::unordered_map<std::string, uint8_t> bySpelling_;  // asked for every run
  std::map<uint16_t, uint8_t> byLcid_;
};

// The languages a run marks its letters with, by their kind, numbered as
// runs keep them (LanguageTable): the word processor gives a run one for
// its Chinese, Japanese and Korean letters, one for those of complex
// scripts (Arabic, Hebrew, Thai, the scripts of India) and one for all
// others.
struct RunLanguages {
  uint8_t other = 0, eastAsian = 0, complex = 0;
  // Marked right to left or complex: all its letters are complex.
  bool allComplex = false;
  // Marked East Asian (w:hint): the characters East Asian fonts share
  // with others (curly quotes, Greek and Cyrillic letters, circled
  // numbers) are East Asian too, and show in its East Asian font.
  bool eastAsianHint = false;
  // The language of the run as a whole (of its tabs, breaks and marks).
  uint8_t whole() const { return allComplex ? complex : other; }
  bool operator==(const RunLanguages&) const = default;
};

// Counts the main text's characters by the language they are marked with.
class LanguageTally {
 public:
  void add(uint8_t language, uint64_t characters);
  // The characters of `text`, each kind of letters by their language.
  void add(std::u16string_view text, const RunLanguages& languages);
  // The language most characters are marked with, of `tags` (those of
  // LanguageTable); "" when none is marked.
  std::string most(const std::vector<std::string>& tags) const;

 private:
  std::vector<uint64_t> byNumber_;
};

// Puts `text` into `b` in the format `f`, each stretch in the language its
// letters take (blanks, digits and punctuation go with the letters before
// them, at the start with those after), and counts its characters in
// `tally` where given.
void putText(Builder& b, std::u16string_view text, const CharFormat& f,
             const RunLanguages& languages, LanguageTally* tally);

// The course's language: `marked` (the language most of `text` is marked
// with) unless its script is not the one most letters of `text` are
// written in (Russian text left marked "en-US" by a template), then the
// language that script suggests ("ru" for Cyrillic, by ICU's likely
// subtags); "" when neither says anything.
std::string textLanguage(const std::string& marked, const std::u16string& text);

}  // namespace word::read
