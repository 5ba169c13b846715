// The walk over a story: paragraphs in text order, each opening the table
// structure it sits in, then its characters run by run, with the special
// characters (fields, pictures, notes, anchors) handed to their parts.
#include <algorithm>
#include <utility>

#include "word/read/doc/reader_state.h"

namespace word::read::doc::detail {
void DocReader::Emitter::emit(uint32_t a, uint32_t end, int depth) {
  findUnclosedFields(a, end);
  std::vector<Para> paras = r.paragraphs(a, end);
  for (size_t i = 0; i < paras.size(); ++i) emitParagraph(paras, i, depth);
  bookmarksAt(end);
  flush();
  closeTablesTo(0);
}

void DocReader::Emitter::emitParagraph(const std::vector<Para>& paras, size_t i, int depth) {
  const Para& p = paras[i];
  openStructure(paras, i);
  // In a cell merged into the one before, empty paragraphs vanish and
  // content starts a new paragraph of the joined cell.
  Level* joined = !flat && !levels.empty() && levels.back().joinNext &&
                          static_cast<size_t>(p.depth) == levels.size()
                      ? &levels.back()
                      : nullptr;
  const bool empty = (p.mark ? p.end - 1 : p.end) <= p.start;
  if (joined && !empty) {
    b.endParagraph();
    joined->joinNext = false;
  }
  const bool skipped = joined && empty;
  // The paragraph joins the next one: its mark is the surviving one, with
  // its formatting and list number. A hidden item still counts its number,
  // as the word processor counts it (a list skips numbers so); a deleted
  // one is gone, its number too.
  const Join join = joinsNext(paras, i);
  const bool joins = join != Join::None;
  std::optional<ListLabel> label;
  if (join != Join::Deleted && p.pap.ilfo > 0 && !(p.rowEnd && !flat))
    label = r.lists_.next(p.pap.ilfo, p.pap.ilvl);
  if (joins) label.reset();
  if (label && !label->ordered && label->text.size() == 1)
    label->text = r.bullet(label->text[0], label->font, p.pap.ilvl);
  if (label && p.mark) r.markLook(label->look, p.pap.istd, p.end - 1);
  ParagraphFormat pf = r.paragraphFormat(p.pap, label, &r.borderLines_);
  pf.textBox = flat;
  box.apply(pf);
  frames.place(pf, p.pap.frameHeight());
  if (main && !flat) r.columnsAt(pf, p.end - 1);
  if (!skipped) b.paragraph(pf);
  if (main && p.pap.word6Numbered)
    lose("the numbers and bullets of a Word 6.0/95 list", LossKind::Formatting);
  if (!(p.rowEnd && !flat))
    emitText(p, depth);
  else
    bookmarksAt(p.start);
  flush();
  if (joins) {
    if (main && !flat) b.unseen(u"\r", join == Join::Deleted);
    return;
  }
  // An empty paragraph is as tall as its mark's letters, not the text's
  // before it.
  if (empty && p.mark) b.paragraphMark(r.charFormat(r.runChp(p.pap.istd, p.end - 1)));
  closeParagraph(paras, p, skipped);
  emitTextBoxes(depth);
}

// A paragraph mark deleted with tracked changes on is gone once they are
// accepted, and a hidden one does not show: the paragraph runs on into the
// next one of the same cell or level. Cell and row ends keep the table's
// shape.
DocReader::Emitter::Join DocReader::Emitter::joinsNext(const std::vector<Para>& paras,
                                                       size_t i) const {
  const Para& p = paras[i];
  if (p.mark != 13 || p.cellEnd || p.rowEnd || i + 1 >= paras.size()) return Join::None;
  const Para& next = paras[i + 1];
  if (next.depth != p.depth || next.rowEnd) return Join::None;
  const Chp mark = r.runChp(p.pap.istd, p.end - 1);
  return mark.deleted ? Join::Deleted : mark.vanish ? Join::Hidden : Join::None;
}

// A paragraph ends a row, a cell or just itself.
void DocReader::Emitter::closeParagraph(const std::vector<Para>& paras, const Para& p,
                                        bool skipped) {
  if (!flat && p.rowEnd && !levels.empty()) {
    b.endRow();
    levels.back().rowOpen = false;
    levels.back().cellOpen = false;
    levels.back().joinNext = false;
  } else if (!flat && p.cellEnd && !levels.empty()) {
    Level& lv = levels.back();
    if (static_cast<size_t>(p.depth) == levels.size() && nextCellMerged(paras, p, lv.cell)) {
      lv.joinNext = true;  // the cell stays open for the merged one
    } else {
      b.endCell();
      lv.cellOpen = false;
      lv.joinNext = false;
    }
    ++lv.cell;
  } else if (!skipped) {
    b.endParagraph();
  }
}

// Text boxes anchored in the paragraph follow it, their tables flattened,
// and WordArt's text in its font and size.
void DocReader::Emitter::emitTextBoxes(int depth) {
  for (const WordArt* art : std::exchange(pendingArt, {})) {
    ParagraphFormat pf;
    pf.textBox = true;
    b.paragraph(pf);
    CharFormat f;
    f.font = art->font;
    f.halfPoints = art->halfPoints;
    std::u16string text = art->text;
    for (char16_t& c : text)
      if (c < u' ') c = c == u'\n' || c == u'\r' ? kLineBreak : u' ';
    b.text(text, f);
    b.endParagraph();
  }
  if (!pendingBoxes.empty() && depth < 2) {
    auto boxes = std::move(pendingBoxes);
    pendingBoxes.clear();
    for (const Box& box : boxes) {
      Emitter tb(r, b);
      tb.flat = true;
      tb.box = box.place;
      tb.emit(box.start, box.end, depth + 1);
    }
  }
}

void DocReader::Emitter::emitText(const Para& p, int depth) {
  uint32_t contentEnd = p.mark ? p.end - 1 : p.end;
  r.forEachCharRun(p.start, contentEnd, [&](uint32_t a, uint32_t e, Bytes grpprl, Bytes prm) {
    emitRun(p, a, e, grpprl, prm, depth);
  });
}

void DocReader::Emitter::emitRun(const Para& p, uint32_t a, uint32_t e, Bytes grpprl, Bytes prm,
                                 int depth) {
  const Chp chp = r.runChp(p.pap.istd, grpprl, prm);
  CharFormat f = r.charFormat(chp);
  languages = r.runLanguages(chp);
  f.language = languages.whole();
  if (main) r.languages_.add(std::u16string_view(r.text_).substr(a, e - a), languages);
  CharFormat linked = f;
  linkOn(linked);
  uint32_t nextBookmark = nextBookmarkFrom(a);
  uint32_t nextNote = nextNoteFrom(a);
  // Text deleted with tracked changes on is gone once they are accepted,
  // and hidden text does not show; their field marks still open and close
  // fields, and their field codes still count.
  const bool gone = chp.deleted || chp.vanish;
  const bool plainRun = !chp.special && !chp.hasSymbol && !gone && !r.symbolFont(chp.font);
  bool inCode = inFieldCode();
  for (uint32_t cp = a; cp < e; ++cp) {
    if (cp >= nextBookmark) {
      bookmarksAt(cp);
      nextBookmark = nextBookmarkFrom(cp + 1);
    }
    if (nextNote < cp) nextNote = nextNoteFrom(cp);
    // Ordinary text up to the next bookmark, note or control character
    // goes into the buffer in one piece.
    if (plainRun && !inCode) {
      const uint32_t stop = std::min({e, nextBookmark, nextNote});
      uint32_t k = cp;
      while (k < stop && r.text_[k] >= 0x20) ++k;
      if (k > cp) {
        put(std::u16string_view(r.text_).substr(cp, k - cp), linked);
        cp = k - 1;
        continue;
      }
    }
    char16_t c = r.text_[cp];
    if (c == 19 || c == 20 || c == 21) {
      if (c == 20) objectMark(chp);
      if (c == 21) fieldEnds(gone, linked);
      if (fieldMark(c, cp)) {
        linkOn(linked);
        inCode = inFieldCode();
      }
      continue;
    }
    if (gone && !inCode) {
      if (main && !flat && (c >= 0x20 || c == u'\t')) {
        flush();  // where it stands
        b.unseen({&c, 1}, chp.deleted);
      }
      continue;
    }
    emitChar(c, cp, chp, linked, depth);
  }
}

void DocReader::Emitter::emitChar(char16_t c, uint32_t cp, const Chp& chp, const CharFormat& f,
                                  int depth) {
  if (c == 1 && inFieldCode()) objectMark(chp);
  if (hiddenInFieldCode(c)) return;
  if (main) {
    auto nr = r.noteRefs_.find(cp);
    if (nr != r.noteRefs_.end()) {
      emitNote(cp, nr->second, c, f, depth);
      return;
    }
  }
  if ((chp.special || c < 0x20) && emitControl(c, cp, chp, f)) return;
  if (chp.hasSymbol) {
    put(r.shownSymbol(chp.symbolChar, chp.symbolFont), f);
    return;
  }
  put(r.shownSymbol(c, chp.font), f);
}

// Special and control characters; false for a character that shows as
// itself.
bool DocReader::Emitter::emitControl(char16_t c, uint32_t cp, const Chp& chp, const CharFormat& f) {
  switch (c) {
    case 1:
      emitPicture(chp, f);
      return true;
    case 8:
      if (chp.special) emitShape(cp, f);
      return true;
    case 2:  // a note's own mark in its text: pages give the way back to its reference there
      return true;
    case 9:
    case 11:
    case 12:
    case 14:
      put(c, f);
      return true;
    case 30:
      put(0x2011, f);
      return true;
    case 31:
      put(0x00AD, f);
      return true;
    default:
      return c < 0x20;
  }
}

}  // namespace word::read::doc::detail
