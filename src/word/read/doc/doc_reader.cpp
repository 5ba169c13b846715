// Word 97-2003 binary documents. The text lives in the WordDocument stream
// as pieces (the piece table says where each run of characters is and
// whether it is 8-bit or UTF-16); formatting is found by file position in
// the formatting pages, and everything else through tables in the table
// stream that the file information block (FIB) points to.
#include <algorithm>
#include <string>
#include <vector>

#include "support/codepage.h"
#include "word/error.h"
#include "word/read/doc/reader_state.h"
#include "word/read/header_footer.h"
#include "word/read/reader.h"

namespace word::read {
namespace doc::detail {
namespace {

// The header story (the headers and footers of every section, one after
// another), a paragraph at a time, as the word processor shows it: a
// field's result without its code, no control character.
void addHeaderStory(Model& model, std::u16string_view story) {
  std::u16string line;
  std::vector<bool> inCode;  // for each open field: before its separator
  size_t codes = 0;          // how many of them are
  for (char16_t c : story) {
    if (c == 0x13) {
      inCode.push_back(true);
      ++codes;
    } else if (c == 0x14 && !inCode.empty() && inCode.back()) {
      inCode.back() = false;
      --codes;
    } else if (c == 0x15 && !inCode.empty()) {
      codes -= inCode.back();
      inCode.pop_back();
    } else if (c == 13 || c == 7) {
      addHeaderFooterLine(model, line);
      line.clear();
    } else if (codes == 0 && (c >= 0x20 || c == u'\t' || c == u'\v') &&
               line.size() < Model::kHeaderFooterChars) {
      line += c;
    }
  }
  addHeaderFooterLine(model, line);
}

}  // namespace

void DocReader::readFib() {
  if (word_.size() < 0x22 + 2) fail(kCannotOpen, "the document is damaged (its header is missing)");
  uint16_t ident = word_.u16(0);
  uint16_t nFib = word_.u16(2);
  uint16_t flags = word_.u16(0x0A);
  if (ident != 0xA5EC && ident != 0xA5DC)
    fail(kCannotOpen, "the document is damaged (not a Word document header)");
  if (flags & 0x0100) fail(kPasswordProtected, kPasswordProtectedText);
  if (ident == 0xA5DC || nFib < 0xC0) {
    if (nFib < 101) {
      fail(kCannotOpen,
           "the document was saved by a Word version older than 6.0; open it in the word processor "
           "and save it "
           "as Word 97-2003 (.doc) or .docx");
    }
    // Word 6.0/95: the tables share the document stream, the counts and
    // offsets sit at fixed places, and the offsets after the piece table's
    // are laid out differently (we use none of them).
    word6_ = true;
    table_ = word_;
    data_ = word_;
    for (size_t i = 0; i < 8; ++i) ccp_[i] = word_.u32(0x34 + 4 * i);
    fcLcbAt_ = 0x58;
    fcLcbCount_ = kClx + 1;
    return;
  }
  const std::string& t = (flags & 0x0200) ? streams_.table1 : streams_.table0;
  table_ = Bytes(t);
  data_ = Bytes(streams_.data);

  size_t at = 0x20;
  size_t csw = word_.u16(at);
  at += 2 + 2 * csw;
  size_t cslw = word_.u16(at);
  size_t lw = at + 2;
  at = lw + 4 * cslw;
  for (size_t i = 0; i < 8; ++i) ccp_[i] = (3 + i < cslw) ? word_.u32(lw + 4 * (3 + i)) : 0;
  fcLcbCount_ = word_.u16(at);
  fcLcbAt_ = at + 2;
  if (!word_.has(fcLcbAt_, 8 * fcLcbCount_))
    fcLcbCount_ = (word_.size() - std::min(word_.size(), fcLcbAt_)) / 8;
}

// Word 6.0/95 text is 8-bit in the code page of the fonts it uses; the
// first font made for a national character set names it.
void DocReader::word6CodePage() {
  const char* codepage = "WINDOWS-1252";
  Bytes ffn = tableSpan(kSttbfFfn);
  for (size_t at = 2, guard = 0; at < ffn.size() && guard < 4096; ++guard) {
    uint8_t chs = ffn.u8(at + 4);
    const char* cp = nullptr;
    switch (chs) {
      case 238:
        cp = "WINDOWS-1250";
        break;
      case 204:
        cp = "WINDOWS-1251";
        break;
      case 161:
        cp = "WINDOWS-1253";
        break;
      case 162:
        cp = "WINDOWS-1254";
        break;
      case 177:
        cp = "WINDOWS-1255";
        break;
      case 178:
        cp = "WINDOWS-1256";
        break;
      case 186:
        cp = "WINDOWS-1257";
        break;
      default:
        break;
    }
    if (cp) {
      codepage = cp;
      break;
    }
    at += 1 + static_cast<size_t>(ffn.u8(at));
  }
  for (int c = 0; c < 256; ++c) {
    std::u16string u = c < 0x80
                           ? std::u16string(1, static_cast<char16_t>(c))
                           : support::fromCodePage(std::string(1, static_cast<char>(c)), codepage);
    byteMap_[c] = u.size() == 1 ? u[0] : static_cast<char16_t>(0xFFFD);
  }
}

Model DocReader::read() {
  if (file_.substr(0, 2) == std::string_view("\xDB\xA5", 2)) {
    fail(kCannotOpen,
         "the document was saved by a Word version older than 6.0; open it in the word processor "
         "and save it "
         "as Word 97-2003 (.doc) or .docx");
  }
  if (file_.substr(0, 8) != std::string_view("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8))
    fail(kCannotOpen, "the document is damaged (not a Word 97-2003 compound file)");
  streams_ = openStreams(file_);
  if (!streams_.hasWordDocument) {
    if (streams_.encryptedPackage) fail(kPasswordProtected, kPasswordProtectedText);
    fail(kCannotOpen, "the file is not a Word document (no document stream)");
  }
  word_ = Bytes(streams_.word);
  readFib();
  if (word6_) {
    auto [ffc, flcb] = fcLcb(kSttbfFfn);
    fonts_ = readFonts(table_, ffc, flcb, true);
    word6CodePage();
  }
  readPieces();
  readText();
  chpx_ = readFkps(kPlcfBteChpx, false);
  papx_ = readFkps(kPlcfBtePapx, true);
  {
    auto [fc, lcb] = fcLcb(kStshf);
    styles_.read(table_, fc, lcb, word6_);
    auto [ffc, flcb] = fcLcb(kSttbfFfn);
    fonts_ = readFonts(table_, ffc, flcb, word6_);
    auto [lfc, llcb] = fcLcb(kPlfLst);
    auto [ofc, olcb] = fcLcb(kPlfLfo);
    lists_.read(table_, lfc, llcb, ofc, olcb);
  }
  uint32_t mainEnd = std::min<uint32_t>(ccp_[0], static_cast<uint32_t>(text_.size()));
  ccp_[0] = mainEnd;
  readNotes(kPlcffndRef, kPlcffndTxt, mainEnd, false);
  readNotes(kPlcfendRef, kPlcfendTxt, ccp_[0] + ccp_[1] + ccp_[2] + ccp_[3] + ccp_[4], true);
  readShapes();
  readBookmarks();
  readSections(mainEnd);
  readNoteCounts();

  noteBudget_ = text_.size() + 1024;
  Builder b;
  // Each paragraph of the main story ends in a paragraph or cell mark; its
  // runs are at most those of the character formatting pages, and hold a
  // character each at least.
  b.reserve(mainEnd,
            1 + static_cast<size_t>(std::count_if(text_.begin(), text_.begin() + mainEnd,
                                                  [](char16_t c) { return c == 13 || c == 7; })),
            1 + std::min<size_t>(chpx_.size(), mainEnd));
  addStyles(b);
  // The document's properties give its default tab stops (dxaTab).
  const auto [dopAt, dopSize] = fcLcb(kDop);
  if (dopSize >= 12) b.defaultTabStop(table_.u16(dopAt + 10));
  Emitter e(*this, b);
  e.main = true;
  e.emit(0, mainEnd, 0);
  Model model = b.finish();
  alignColumns(model.main, e.edges);
  for (Note& n : model.notes) alignColumns(n.body, {});
  model.language = languages_.most(languageTable_.tags());
  model.languages = languageTable_.take();
  model.borderLines = std::move(borderLines_);
  // Whether a justified line ending in a line break is stretched
  // (fExpShRtn, set in the word processor's own documents; clear in older
  // ones, which leave such lines ragged), in Word 97's copy of the older
  // compatibility options where it keeps one.
  const uint32_t options = dopSize >= 88 ? 84 : 8;
  model.stretchBeforeBreaks = dopSize < options + 2 || (table_.u16(dopAt + options) & 0x2000);
  // The header story follows the main text's and the footnotes'.
  const size_t headers = std::min<size_t>(text_.size(), size_t{ccp_[0]} + ccp_[1]);
  addHeaderStory(model, std::u16string_view(text_).substr(headers, ccp_[2]));
  return model;
}

}  // namespace doc::detail

Model readDoc(std::string_view bytes) {
  doc::detail::DocReader reader(bytes);
  return reader.read();
}

}  // namespace word::read
