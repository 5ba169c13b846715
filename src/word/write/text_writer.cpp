#include <algorithm>
#include <vector>

#include "support/codepage.h"
#include "word/write/writers.h"

namespace word::write {

std::string text(const Model& model, TextEncoding encoding) {
  const Story& s = model.main;
  // Row marks end a line; other cell marks separate cells, except the last
  // cell's, which the row mark right after it already ends.
  std::vector<uint32_t> rowEnds;
  for (const Table& t : s.tables)
    for (const Row& r : t.rows)
      if (r.end > 0) rowEnds.push_back(r.end - 1);
  std::sort(rowEnds.begin(), rowEnds.end());
  auto isRowEnd = [&](uint32_t pos) {
    return std::binary_search(rowEnds.begin(), rowEnds.end(), pos);
  };

  std::u16string out;
  out.reserve(s.text.size() + s.text.size() / 8);
  size_t para = 0;
  uint32_t paraStart = 0;
  bool atParagraphStart = true;
  for (uint32_t i = 0; i < s.text.size(); ++i) {
    while (para < s.paragraphs.size() && s.paragraphs[para].end <= i) {
      paraStart = s.paragraphs[para].end;
      ++para;
      atParagraphStart = true;
    }
    // Text boxes float beside the text: plain text leaves them out.
    if (para < s.paragraphs.size() && s.paragraphs[para].format.textBox) continue;
    if (atParagraphStart) {
      atParagraphStart = false;
      // Readers give labels as displayed. A bullet still in a symbol
      // font's private range has no meaning without that font, so plain
      // text writes the generic bullet for it.
      const ParagraphFormat* pf = para < s.paragraphs.size() ? &s.paragraphs[para].format : nullptr;
      if (pf && !pf->listLabel.empty() && i == paraStart && !isRowEnd(i)) {
        const std::u16string& label = pf->listLabel;
        bool symbolBullet = !pf->listOrdered && label.size() == 1 && label[0] >= 0xF000 &&
                            label[0] <= 0xF0FF;
        out += symbolBullet ? std::u16string(u"\u2022") : label;
        out += u'\t';
      }
    }
    char16_t c = s.text[i];
    switch (c) {
      case kParagraphMark:
      case kLineBreak:
      case kPageBreak:
      case kColumnBreak:
        out += u"\r\n";
        break;
      case kCellMark:
        if (isRowEnd(i))
          out += u"\r\n";
        else if (!(i + 1 < s.text.size() && s.text[i + 1] == kCellMark && isRowEnd(i + 1)))
          out += u'\t';
        break;
      case kPictureMark:
        break;
      case kNoteMark: {
        auto it = std::lower_bound(model.notes.begin(), model.notes.end(), i,
                                   [](const Note& n, uint32_t pos) { return n.pos < pos; });
        if (it != model.notes.end() && it->pos == i) out += it->label;
        break;
      }
      default:
        if (c >= 0x20 || c == kTab) out.push_back(c);
        break;
    }
  }
  return encoding == TextEncoding::Utf8 ? support::toUtf8(out)
                                        : support::toCodePage(out, "WINDOWS-1251");
}

}  // namespace word::write
