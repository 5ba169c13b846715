#pragma once
// The language of a document's text: what its characters are marked with
// (Word's language settings), and what the script of its letters suggests.
#include <cstdint>
#include <map>
#include <string>

namespace word::read {

// A Windows language identifier as a language tag (0x0419 -> "ru-RU"); ""
// for none, "no proofing" (0x0400) or one ICU does not know.
std::string languageTag(uint16_t lcid);

// A language tag as a document spells it ("ru-RU", "en_us"), in its
// canonical form; "" for none ("x-none", "und") or one that is no tag.
std::string canonicalTag(const std::string& tag);

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
