// A range of a document's main story: its text and what stands in it,
// copied to the clipboard and pasted over.
#include <algorithm>
#include <memory>
#include <utility>

#include "word/application.h"
#include "word/engine.h"
#include "word/error.h"
#include "word/story_ops.h"
#include "word/write/pictures/converter.h"

namespace word {

using engine::Access;
using engine::clampPos;
using engine::DocumentState;
using engine::shiftSelection;
using engine::storyLength;

Range::Range(Application& app, Document& doc, int32_t start, int32_t end)
    : app_(&app), doc_(&doc), start_(start), end_(end) {}

std::u16string Range::text() const {
  const DocumentState& d = Access::of(*doc_);
  const uint32_t length = storyLength(d);
  uint32_t a = clampPos(start_, length), b = clampPos(end_, length);
  if (a >= b) return {};
  return d.model.main.text.substr(a, b - a);
}

void Range::copy() const {
  const DocumentState& d = Access::of(*doc_);
  const uint32_t length = storyLength(d);
  uint32_t a = clampPos(start_, length), b = clampPos(end_, length);
  engine::clipboard(*app_) = std::make_unique<Model>(ops::copyRange(d.model, a, b));
}

std::vector<InlineShape> Range::inlineShapes() const {
  const DocumentState& d = Access::of(*doc_);
  const Story& s = d.model.main;
  const uint32_t length = storyLength(d);
  const uint32_t a = clampPos(start_, length), b = clampPos(end_, length);
  std::vector<InlineShape> shapes;
  auto it = std::lower_bound(s.pictures.begin(), s.pictures.end(), a,
                             [](const Picture& p, uint32_t pos) { return p.pos < pos; });
  for (; it != s.pictures.end() && it->pos < b; ++it)
    shapes.push_back({static_cast<int32_t>(it->pos), it->format, it->alt,
                      engine::pictures(*app_).prepare(*it).shown, it->linked});
  return shapes;
}

std::vector<Range::Loss> Range::losses() const {
  const DocumentState& d = Access::of(*doc_);
  const uint32_t length = storyLength(d);
  const uint32_t a = clampPos(start_, length), b = clampPos(end_, length);
  std::vector<Range::Loss> out;
  // Sorted by position: a page's losses are one stretch of the list, not a
  // walk of the whole list for every page.
  const auto first = std::lower_bound(d.model.losses.begin(), d.model.losses.end(), a,
                                      [](const word::Loss& l, uint32_t p) { return l.pos < p; });
  for (auto it = first; it != d.model.losses.end() && it->pos < b; ++it) {
    const word::Loss& l = *it;
    const Loss::Kind kind = l.kind == LossKind::Field        ? Loss::Kind::Field
                            : l.kind == LossKind::Formatting ? Loss::Kind::Formatting
                                                             : Loss::Kind::Drawing;
    out.push_back({static_cast<int32_t>(l.pos), l.what, kind});
  }
  return out;
}

std::vector<Range::NoteText> Range::notes() const {
  const DocumentState& d = Access::of(*doc_);
  const uint32_t length = storyLength(d);
  const uint32_t a = clampPos(start_, length), b = clampPos(end_, length);
  std::vector<NoteText> out;
  const auto first = std::lower_bound(d.model.notes.begin(), d.model.notes.end(), a,
                                      [](const word::Note& n, uint32_t p) { return n.pos < p; });
  for (auto it = first; it != d.model.notes.end() && it->pos < b; ++it)
    out.push_back({static_cast<int32_t>(it->pos), it->body.text});
  return out;
}

Range::Anchors Range::anchors() const {
  const DocumentState& d = Access::of(*doc_);
  const uint32_t length = storyLength(d);
  const uint32_t a = clampPos(start_, length), b = clampPos(end_, length);
  const auto& pictures = d.model.main.pictures;
  const auto& notes = d.model.notes;
  const auto picture = std::lower_bound(pictures.begin(), pictures.end(), a,
                                        [](const Picture& p, uint32_t pos) { return p.pos < pos; });
  const auto note = std::lower_bound(notes.begin(), notes.end(), a,
                                     [](const word::Note& n, uint32_t pos) { return n.pos < pos; });
  return {picture != pictures.end() && picture->pos < b, note != notes.end() && note->pos < b};
}

void Range::paste() {
  const std::unique_ptr<Model>& clip = engine::clipboard(*app_);
  if (!clip) fail(kNothingToPaste, "The clipboard is empty: there is nothing to paste.");
  DocumentState& d = Access::of(*doc_);
  Model& model = d.model;
  uint32_t length = storyLength(d);
  uint32_t a = clampPos(start_, length), b = clampPos(end_, length);
  if (a > b) std::swap(a, b);
  if (a < b) {
    uint32_t before = length;
    ops::erase(model, a, b);
    d.storyChanged();
    length = storyLength(d);
    shiftSelection(d, a, static_cast<int64_t>(length) - before);
  }
  // Nothing goes after the final paragraph mark.
  uint32_t pos = length > 0 ? std::min(a, length - 1) : 0;
  uint32_t n = ops::insert(model, pos, *clip, &pos);
  d.storyChanged();
  if (n > 0) shiftSelection(d, pos, n);
  start_ = static_cast<int32_t>(pos);
  end_ = static_cast<int32_t>(pos + n);
}

}  // namespace word
