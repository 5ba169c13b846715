#pragma once
// The reader tests of the documents of looks.h: a model read from any of
// their formats holds what the tables say.
#include <gtest/gtest.h>

#include <string>

#include "looks.h"
#include "word/builder.h"
#include "word/model.h"

namespace looks {

// The paragraph whose text (without its mark) is `text`, and where it starts.
inline const word::Paragraph* paragraphOf(const word::Story& s, const std::string& text,
                                          uint32_t* start) {
  uint32_t from = 0;
  for (const word::Paragraph& p : s.paragraphs) {
    std::u16string shown = s.text.substr(from, p.end - from);
    while (!shown.empty() && (shown.back() == u'\r' || shown.back() == u'\x07')) shown.pop_back();
    if (word::u8(shown) == text) {
      *start = from;
      return &p;
    }
    from = p.end;
  }
  ADD_FAILURE() << "no paragraph \"" << text << "\"";
  return nullptr;
}

inline const word::CharFormat& formatAt(const word::Story& s, uint32_t pos) {
  size_t k = 0;
  while (k + 1 < s.runs.size() && s.runs[k + 1].start <= pos) ++k;
  return s.runs[k].format;
}

inline void checkFaces(const word::Model& m) {
  std::vector<Face> faces(std::begin(kFaces), std::end(kFaces));
  faces.push_back(kDefaultFace);
  for (const Face& f : faces) {
    uint32_t start = 0;
    if (!paragraphOf(m.main, f.text, &start)) continue;
    const word::CharFormat& c = formatAt(m.main, start);
    EXPECT_EQ(word::u8(c.font), f.font) << f.text;
    EXPECT_EQ(c.fontClass, f.fontClass) << f.text;
  }
}

// `withAuto`: the format has automatic spacing.
inline void checkSpaces(const word::Model& m, bool withAuto) {
  for (const Space& s : kSpaces) {
    uint32_t start = 0;
    if (s.autoSpacing && !withAuto) continue;
    const word::Paragraph* p = paragraphOf(m.main, s.text, &start);
    if (!p) continue;
    const word::ParagraphFormat& f = p->format;
    EXPECT_EQ(f.spaceBefore, s.before) << s.text;
    EXPECT_EQ(f.spaceAfter, s.after) << s.text;
    EXPECT_EQ(f.contextualSpacing, s.contextual) << s.text;
    EXPECT_EQ(f.lineRule, s.rule) << s.text;
    EXPECT_EQ(f.lineSpacing, s.line) << s.text;
    ASSERT_LT(static_cast<size_t>(f.style), m.styles.size());
    EXPECT_EQ(word::u8(m.styles[f.style].name), *s.style ? s.style : "Normal") << s.text;
  }
}

inline void checkShades(const word::Model& m) {
  for (const Shade& s : kShades) {
    uint32_t start = 0;
    const word::Paragraph* p = paragraphOf(m.main, s.text, &start);
    if (!p) continue;
    const word::CharFormat& c = formatAt(m.main, start);
    EXPECT_EQ(c.color, s.whiteText ? 0xFFFFFFu : word::kAutoColor) << s.text;
    EXPECT_EQ(p->format.shading, s.where == Shaded::Paragraph ? s.behind : word::kAutoColor)
        << s.text;
    EXPECT_EQ(c.highlight, s.where == Shaded::Run ? s.behind : word::kAutoColor) << s.text;
    if (s.where != Shaded::Cell) continue;
    ASSERT_EQ(m.main.tables.size(), 1u);
    EXPECT_EQ(m.main.tables[0].rows.at(0).cells.at(0).shading, s.behind) << s.text;
  }
}

}  // namespace looks
