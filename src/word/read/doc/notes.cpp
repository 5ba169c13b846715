// Footnotes and endnotes: a reference character in the main text and the
// note's own text after the main story's, found through the note tables.
#include <algorithm>

#include "word/read/doc/reader_state.h"

namespace word::read::doc::detail {
namespace {

// Far more sections than any document has: a damaged section table's
// count does not become the reader's.
constexpr size_t kMaxSections = size_t{1} << 16;
// Number formats go no higher, but for 0xFF (none).
constexpr uint16_t kLastFormat = 0x3F;

}  // namespace

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

// How the document counts its automatic marks, unless a section says
// otherwise: its properties give each kind's start and whether each
// section starts anew (a restart on each page counts on, as pages are not
// known), and the number formats, in full at the end of Word 97's
// properties and in four bits each in those before. Without them,
// footnotes count 1, 2, 3 and endnotes i, ii, iii.
std::array<DocReader::NoteCount, 2> DocReader::documentNoteCounts() const {
  std::array<NoteCount, 2> counts = {NoteCount{0}, NoteCount{2}};
  const Bytes dop = tableSpan(kDop);
  if (dop.size() < 56) return counts;
  const uint16_t foot = dop.u16(2), end = dop.u16(52), formats = dop.u16(54);
  counts[0] = {static_cast<uint8_t>((formats >> 2) & 15), foot >> 2, (foot & 3) == 1};
  counts[1] = {static_cast<uint8_t>((formats >> 6) & 15), end >> 2, (end & 3) == 1};
  if (dop.size() >= 496) {
    // Other programs' properties may hold other things here: a format no
    // numbering has says so, and the marks count as without them.
    const uint16_t foot97 = dop.u16(492), end97 = dop.u16(494);
    auto known = [](uint16_t nfc) { return nfc <= kLastFormat || nfc == 0xFF; };
    if (!known(foot97) || !known(end97)) return {NoteCount{0}, NoteCount{2}};
    counts[0].nfc = static_cast<uint8_t>(foot97);
    counts[1].nfc = static_cast<uint8_t>(end97);
  }
  return counts;
}

// Each section's properties may say otherwise (a format, a start, whether
// the section starts anew).
void DocReader::readNoteCounts() {
  const std::array<NoteCount, 2> document = documentNoteCounts();
  Bytes plc = tableSpan(kPlcfSed);
  const size_t n = plc.size() >= 16 ? (plc.size() - 4) / 16 : 0;
  for (size_t i = 0; i < std::max<size_t>(n, 1) && i < kMaxSections; ++i) {
    std::array<NoteCount, 2> own = document;
    forEachSprm(n ? sectionSprms(plc, n, i) : Bytes(), [&](uint16_t sprm, Bytes op) {
      const int k = sprm == 0x503F || sprm == 0x5040 || sprm == 0x303C ? 0 : 1;
      if (sprm == 0x5040 || sprm == 0x5042) own[k].nfc = static_cast<uint8_t>(op.u16(0));
      if (sprm == 0x503F || sprm == 0x5041) own[k].start = op.u16(0);
      if (sprm == 0x303C || sprm == 0x303E) own[k].eachSection = op.u8(0) == 1;
    });
    noteSections_.emplace_back(n ? plc.u32(4 * i) : 0, own);
  }
  // A damaged table's positions may run backwards.
  std::stable_sort(noteSections_.begin(), noteSections_.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
}

// An automatic note's mark: counted in its section's way, anew where a
// section starts the count again.
std::u16string DocReader::noteLabel(uint32_t cp, bool endnote, NoteCounter& counter) const {
  auto after = std::upper_bound(noteSections_.begin(), noteSections_.end(), cp,
                                [](uint32_t at, const auto& s) { return at < s.first; });
  const size_t section =
      after == noteSections_.begin() ? 0 : static_cast<size_t>(after - noteSections_.begin()) - 1;
  const NoteCount& count = noteSections_[section].second[endnote];
  if (counter.section == SIZE_MAX || (section != counter.section && count.eachSection))
    counter.next = count.start;
  counter.section = section;
  return formatNumber(counter.next < (1 << 30) ? counter.next++ : counter.next, count.nfc);
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
    label = r.noteLabel(cp, ref.endnote, noteCounters[ref.endnote]);
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
}

}  // namespace word::read::doc::detail
