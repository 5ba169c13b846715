// Footnotes and endnotes: a reference character in the main text and the
// note's own text after the main story's, found through the note tables.
#include <algorithm>

#include "word/read/doc/reader_state.h"

namespace word::read::doc::detail {

void DocReader::readNotes(size_t refIndex, size_t txtIndex, uint32_t base, bool endnote) {
  Bytes ref = tableSpan(refIndex);
  Bytes txt = tableSpan(txtIndex);
  if (ref.size() < 4 + 6 || txt.size() < 8) return;
  size_t n = (ref.size() - 4) / 6;
  size_t m = txt.size() / 4;  // CPs of the note texts
  for (size_t i = 0; i < n && i + 1 < m; ++i) {
    NoteRef r;
    r.endnote = endnote;
    r.automatic = ref.i16(4 * (n + 1) + 2 * i) != 0;
    uint64_t s = static_cast<uint64_t>(base) + txt.u32(4 * i);
    uint64_t e = static_cast<uint64_t>(base) + txt.u32(4 * (i + 1));
    r.start = static_cast<uint32_t>(std::min<uint64_t>(s, text_.size()));
    r.end = static_cast<uint32_t>(std::min<uint64_t>(e, text_.size()));
    uint32_t cp = ref.u32(4 * i);
    if (cp < ccp_[0]) noteRefs_.emplace(cp, r);
  }
}

uint32_t DocReader::Emitter::nextNoteFrom(uint32_t cp) const {
  if (!main) return UINT32_MAX;
  auto it = r.noteRefs_.lower_bound(cp);
  return it == r.noteRefs_.end() ? UINT32_MAX : it->first;
}

void DocReader::Emitter::emitNote(uint32_t cp, const NoteRef& ref, char16_t c, const CharFormat& f,
                                  int depth) {
  std::u16string label;
  if (ref.automatic) {
    label = ref.endnote ? formatNumber(++endnotes, 2) : formatNumber(++footnotes, 0);
  } else {
    label = std::u16string(1, c);
  }
  Builder nb;
  // Damaged note tables may point many notes at the same long text; the
  // budget keeps the model's size bounded by the document's.
  size_t length = ref.end - ref.start;
  if (depth < 2 && ref.start < ref.end && length <= r.noteBudget_) {
    r.noteBudget_ -= length;
    Emitter e(r, nb);
    // A mark of the author's own starts the note's text as itself (an
    // automatic one as a 2, which shows nothing): pages give the way back
    // to the reference in its place.
    const bool ownMark = !ref.automatic && ref.start < r.text_.size() && r.text_[ref.start] == c;
    e.emit(ref.start + (ownMark ? 1 : 0), ref.end, depth + 1);
  }
  flush();
  b.note(ref.endnote, label, nb.finishStory(), f);
  (void)cp;
}

}  // namespace word::read::doc::detail
