#pragma once
// The language of a document's text: what its characters are marked with
// (Word's language settings), and what the script of its letters suggests.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

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
  std::vector<std::string> take() { return std::move(tags_); }

 private:
  std::vector<std::string> tags_;
  std::map<std::string, uint8_t, std::less<>> bySpelling_;
  std::map<uint16_t, uint8_t> byLcid_;
};

// Counts the main text's characters by the language they are marked with.
class LanguageTally {
 public:
  void add(const std::string& tag, uint64_t characters);
  void addLcid(uint16_t lcid, uint64_t characters);
  // The language most characters are marked with, canonical; "" when none
  // is marked.
  std::string most() const;

 private:
  std::map<std::string, uint64_t> byTag_;
  std::map<uint16_t, uint64_t> byLcid_;
};

// The course's language: `marked` (the language most of `text` is marked
// with) unless its script is not the one most letters of `text` are
// written in (Russian text left marked "en-US" by a template), then the
// language that script suggests ("ru" for Cyrillic, by ICU's likely
// subtags); "" when neither says anything.
std::string textLanguage(const std::string& marked, const std::u16string& text);

}  // namespace word::read
