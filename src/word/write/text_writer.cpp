#include <algorithm>
#include <functional>
#include <vector>

#include "support/codepage.h"
#include "word/write/writers.h"

namespace word::write {

namespace {

// `s` at the end of `out`, as HTML text when `html`.
void put(std::u16string& out, std::u16string_view s, bool html) {
  for (char16_t c : s) {
    if (html && c == u'&')
      out += u"&amp;";
    else if (html && c == u'<')
      out += u"&lt;";
    else if (html && c == u'>')
      out += u"&gt;";
    else
      out += c;
  }
}

// What follows a list item's label, as the document gives it.
void follow(std::u16string& out, LabelFollow f) {
  if (f != LabelFollow::Nothing) out += f == LabelFollow::Tab ? u'\t' : u' ';
}

// The export's text, encoded and handed on in pieces: a large document's
// text is never held twice more.
class Pieces {
 public:
  Pieces(TextEncoding encoding, const std::function<void(std::string_view)>& sink)
      : encoding_(encoding), sink_(sink) {}
  std::u16string out;
  void flush(bool last) {
    if (!last && out.size() < kPiece) return;
    // A pair of surrogates stays together.
    const size_t keep =
        !last && !out.empty() && out.back() >= 0xD800 && out.back() < 0xDC00 ? 1 : 0;
    const std::u16string_view piece(out.data(), out.size() - keep);
    const std::string bytes = encoding_ == TextEncoding::Utf8
                                  ? support::toUtf8(piece)
                                  : support::toCodePage(piece, "WINDOWS-1251");
    if (!bytes.empty()) sink_(bytes);
    out.erase(0, out.size() - keep);
  }

 private:
  static constexpr size_t kPiece = size_t{1} << 16;
  TextEncoding encoding_;
  const std::function<void(std::string_view)>& sink_;
};

}  // namespace

std::string text(const Model& model, TextEncoding encoding, HtmlSpan asHtml) {
  std::string all;
  text(
      model, encoding, [&](std::string_view piece) { all.append(piece); }, asHtml);
  return all;
}

void text(const Model& model, TextEncoding encoding,
          const std::function<void(std::string_view)>& sink, HtmlSpan asHtml) {
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

  Pieces pieces(encoding, sink);
  std::u16string& out = pieces.out;
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
    const bool html = i >= asHtml.start && i < asHtml.end;
    if (atParagraphStart) {
      atParagraphStart = false;
      // Plain text has no fonts: a bullet, whatever its glyph, is written
      // as a plain bullet that changes with the level (disc, circle, square).
      const ParagraphFormat* pf = para < s.paragraphs.size() ? &s.paragraphs[para].format : nullptr;
      if (pf && !pf->listLabel.empty() && i == paraStart && !isRowEnd(i) && pf->listId >= 0 &&
          !pf->listOrdered) {
        static const char16_t bullets[] = {u'\u2022', u'\u25E6', u'\u25AA'};
        out += bullets[pf->listLevel % 3];
        follow(out, pf->labelFollow);
      } else if (pf && !pf->listLabel.empty() && i == paraStart && !isRowEnd(i)) {
        put(out, pf->listLabel, html);
        follow(out, pf->labelFollow);
      }
    }
    pieces.flush(false);
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
        if (it != model.notes.end() && it->pos == i) put(out, it->label, html);
        break;
      }
      default:
        if (html && (c == u'&' || c == u'<' || c == u'>'))
          put(out, std::u16string_view(&c, 1), true);
        else if (c >= 0x20 || c == kTab)
          out.push_back(c);
        break;
    }
  }
  pieces.flush(true);
}

}  // namespace word::write
