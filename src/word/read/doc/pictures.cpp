// Pictures: inline ones are a picture character (1) whose properties point
// into the Data stream; floating shapes are an anchor character (8) whose
// shape id leads to the drawing's picture store or to a text box.
#include <algorithm>

#include "word/read/doc/reader_state.h"

namespace word::read::doc::detail {
namespace {

constexpr unsigned kWrapNone = 3;  // a shape's wrapping: behind or in front of the text

// The side of the text a shape the text wraps around stands at (FSPA at
// `d`): the side its wrapping leaves free of text, else where its middle
// lies from the margin; with text above and below it, on a line of its
// own; with none (in front of or behind the text), beside the text too.
PictureSide shapeSide(Bytes spa, size_t d) {
  const uint16_t flags = spa.u16(d + 20);
  const unsigned wrap = flags >> 5 & 0xF, sides = flags >> 9 & 0xF;
  constexpr unsigned kAround = 0, kAboveAndBelow = 1, kSquare = 2, kTight = 4, kThrough = 5,
                     kLeftOnly = 1, kRightOnly = 2;
  const bool ownLine = wrap == kAboveAndBelow;
  const int64_t left = spa.i32(d + 4), right = spa.i32(d + 12);
  if (wrap == kWrapNone) return overTextSide("", (left + right) / 2, right - left);
  if (wrap != kAround && wrap != kSquare && wrap != kTight && wrap != kThrough && !ownLine)
    return PictureSide::Inline;
  if (!ownLine && sides == kLeftOnly) return PictureSide::End;
  if (!ownLine && sides == kRightOnly) return PictureSide::Start;
  return placedSide(ownLine, "", (left + right) / 2);
}

}  // namespace

void DocReader::readShapes() {
  auto [fc, lcb] = fcLcb(kDggInfo);
  drawing_ = readDrawing(table_, fc, lcb, word_, inflateBudget_);
  Bytes spa = tableSpan(kPlcSpaMom);
  if (spa.size() >= 4 + 26) {
    size_t n = (spa.size() - 4) / 30;
    for (size_t i = 0; i < n; ++i) {
      size_t d = 4 * (n + 1) + 26 * i;
      Shape s;
      s.lid = spa.i32(d);
      // Twips; a damaged rectangle must not overflow.
      s.width = static_cast<int32_t>(
          std::clamp<int64_t>(int64_t{spa.i32(d + 12)} - spa.i32(d + 4), 0, 1 << 24));
      s.height = static_cast<int32_t>(
          std::clamp<int64_t>(int64_t{spa.i32(d + 16)} - spa.i32(d + 8), 0, 1 << 24));
      s.side = shapeSide(spa, d);
      s.overText = (spa.u16(d + 20) >> 5 & 0xF) == kWrapNone;
      shapes_.emplace(spa.u32(4 * i), s);
    }
  }
  Bytes tx = tableSpan(kPlcftxbxTxt);
  if (tx.size() >= 4 + 22) {
    size_t n = (tx.size() - 4) / 26;
    uint64_t base = 0;
    for (int k = 0; k < 6; ++k) base += ccp_[k];
    for (size_t i = 0; i + 1 < n + 1 && i < n; ++i) {
      int32_t lid = tx.i32(4 * (n + 1) + 22 * i + 14);
      uint64_t s = base + tx.u32(4 * i), e = base + tx.u32(4 * (i + 1));
      if (s < e && e <= text_.size() && lid != 0)
        textBoxes_.emplace(lid, std::make_pair(uint32_t(s), uint32_t(e)));
    }
  }
}

void DocReader::Emitter::emitPicture(const Chp& chp, const CharFormat& f) {
  if (!chp.hasPicLocation) return;
  // Pictures shown more than once share their bytes.
  auto cached = r.inlinePictures_.find(chp.picLocation);
  if (cached == r.inlinePictures_.end())
    cached = r.inlinePictures_
                 .emplace(chp.picLocation,
                          readInlinePicture(r.data_, chp.picLocation, r.word_, r.inflateBudget_))
                 .first;
  const InlinePicture& pic = cached->second;
  if (!pic.image && !pic.art.text.empty()) {
    // WordArt in the line: its text, in its font and size.
    CharFormat art = f;
    if (!pic.art.font.empty()) art.font = pic.art.font;
    if (pic.art.halfPoints) art.halfPoints = pic.art.halfPoints;
    std::u16string text = pic.art.text;
    for (char16_t& c : text)
      if (c < u' ') c = u' ';
    return put(text, art);
  }
  if (!pic.image) {
    // An object in a field's result is told of at the field's end.
    const bool inResult =
        std::any_of(fields.begin(), fields.end(), [](const Field& fd) { return !fd.inCode; });
    if (inResult) return;
    if (pic.unread && r.word6_)
      return lose("a picture of a Word 6.0/95 document", LossKind::Formatting);
    lose(chp.ole2     ? "an embedded object without a picture"
         : pic.unread ? "a picture it cannot read"
                      : "a shape drawn only by its geometry",
         LossKind::Drawing);
    return;
  }
  Picture p;
  p.data = pic.image->bytes;
  p.format = pic.image->format;
  p.widthPx = pic.widthTwips / 15;
  p.heightPx = pic.heightTwips / 15;
  p.alt = pic.alt.empty() ? equationText(chp) : pic.alt;
  p.look = pic.look;
  flush();
  b.picture(std::move(p), f);
}

// The tallest drawing that stands in a line of text (pixels).
constexpr int32_t kLineHeightPx = 32;

void DocReader::Emitter::emitShape(uint32_t cp, const CharFormat& f) {
  auto it = r.shapes_.find(cp);
  if (it == r.shapes_.end()) {
    // Drawing objects of Word 6.0/95 keep their own tables, which are not
    // read.
    if (r.word6_) lose("a drawing object of a Word 6.0/95 document", LossKind::Formatting);
    return;
  }
  const uint32_t at = built();
  bool boxed = false;
  const Shape& s = it->second;
  const uint32_t id = static_cast<uint32_t>(s.lid);
  // A group shows every picture in it, each at its own size.
  auto group = r.drawing_.membersOf.find(id);
  const std::vector<uint32_t> one = {id};
  const std::vector<uint32_t>& ids = group != r.drawing_.membersOf.end() ? group->second : one;
  for (uint32_t member : ids) {
    auto img = r.drawing_.imageOfShape(member);
    if (!img) continue;
    Picture p;
    p.data = img->bytes;
    p.format = img->format;
    if (ids.size() == 1) {
      p.widthPx = std::max(0, s.width / 15);
      p.heightPx = std::max(0, s.height / 15);
    }
    auto alt = r.drawing_.altOf.find(member);
    if (alt != r.drawing_.altOf.end()) p.alt = alt->second;
    if (auto g = r.drawing_.geometryOf.find(member); g != r.drawing_.geometryOf.end())
      p.look = g->second.look;
    p.side = s.side;
    flush();
    b.picture(std::move(p), f);
  }
  // Shapes with no picture are drawn by their geometry, the whole group in
  // one picture of the anchor's size. In front of the text it stands in the
  // line where it is anchored (beside the text it would lose its place
  // over it): a rule across the page (a letterhead's) shows there much as
  // in the document, but a taller drawing (a frame around the page, the
  // lines between a diagram's boxes) would push the text apart and show
  // nothing of what it meant.
  auto drawn = r.drawing_.drawnShape(id, s.width, s.height);
  const PictureSide drawnSide = s.overText ? PictureSide::Inline : s.side;
  const bool dropped = drawn && drawnSide == PictureSide::Inline && drawn->heightPx > kLineHeightPx;
  if (drawn && !dropped) {
    Picture p;
    p.data = drawn->bytes;
    p.format = drawn->format;
    p.widthPx = drawn->widthPx;
    p.heightPx = drawn->heightPx;
    p.side = drawnSide;
    flush();
    b.picture(std::move(p), f);
  }
  // A text box shows once, however many anchors name it; a group's show
  // in the group's order.
  auto members = r.drawing_.shapesOf.find(id);
  const std::vector<uint32_t>& shapes =
      members != r.drawing_.shapesOf.end() ? members->second : one;
  for (uint32_t member : shapes) {
    const int32_t box = static_cast<int32_t>(member);
    boxed = boxed || r.boxesShown_.count(box);
    // WordArt's text shows as a text box's does, once.
    if (auto art = r.drawing_.wordArtOf.find(member);
        art != r.drawing_.wordArtOf.end() && r.boxesShown_.insert(box).second) {
      pendingArt.push_back(&art->second);
      boxed = true;
    }
    auto tb = r.textBoxes_.find(box);
    if (tb == r.textBoxes_.end()) continue;
    // A text box the text wraps around at one side stands there, a
    // sidebar beside the text, as in a .docx.
    const bool placed = shapes.size() == 1 && !s.overText;
    pendingBoxes.push_back({tb->second.first, tb->second.second,
                            placed ? boxPlace(s.side, s.width, s.height, kFrameAside) : BoxPlace{}});
    r.textBoxes_.erase(tb);
    r.boxesShown_.insert(box);
    boxed = true;
  }
  // Neither a picture nor text: only the shape's outline and fill, which
  // the page cannot draw.
  if (dropped || (!boxed && built() == at))
    lose("a shape drawn only by its geometry", LossKind::Drawing);
}

}  // namespace word::read::doc::detail
