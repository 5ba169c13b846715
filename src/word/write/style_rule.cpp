// A style's rule in the page's style sheet, worked out once a style: a
// course's pages are copies of one document's ranges, each carrying the
// styles its text uses, so the same few styles come back page after page.
// Kept for its measured gain: 15 of large.doc's 25 million instructions of
// style sheets, 2% of its conversion.
#include <vector>

#include "word/write/css.h"

namespace word::write {
namespace {

struct Known {
  Style style;
  ParagraphFormat normal;
  std::u16string rule;
};

// Remembers the rules of a few styles, by all that their rule depends on.
// A page's model numbers its border lines afresh, so a style drawing lines
// past the first two is not kept. Per thread, as pages may be written on
// more than one.
class KnownRules {
 public:
  const std::u16string* find(const Style& s, const ParagraphFormat& normal) const {
    for (const Known& k : known_)
      if (k.style.name == s.name && k.style.paragraph == s.paragraph &&
          k.style.chars == s.chars && k.normal == normal)
        return &k.rule;
    return nullptr;
  }
  const std::u16string& add(const Style& s, const ParagraphFormat& normal, std::u16string rule) {
    // A document of very many styles, or many documents, start afresh
    // rather than searching a long list.
    if (known_.size() >= kMost) known_.clear();
    known_.push_back({s, normal, std::move(rule)});
    return known_.back().rule;
  }

 private:
  static constexpr size_t kMost = 64;
  std::vector<Known> known_;
};

std::u16string ruleOf(const Style& s, const Style& normal, const std::vector<SideLines>& lines) {
  // A line between paragraphs of one box is each paragraph's to draw.
  ParagraphFormat alone = s.paragraph;
  alone.borderSides &= static_cast<uint8_t>(~kBorderBetween);
  return paragraphCss(alone, normal.paragraph, s.chars, false, nullptr, &lines) +
         charCss(s.chars, true, false);
}

}  // namespace

std::u16string styleRule(const Style& s, const Style& normal, const std::vector<SideLines>& lines) {
  if (s.paragraph.thirdLine || normal.paragraph.thirdLine) return ruleOf(s, normal, lines);
  thread_local KnownRules known;
  if (const std::u16string* rule = known.find(s, normal.paragraph)) return *rule;
  return known.add(s, normal.paragraph, ruleOf(s, normal, lines));
}

}  // namespace word::write
