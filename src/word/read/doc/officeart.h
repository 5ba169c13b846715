#pragma once
// The drawing layer of Word 97-2003 files: picture records (blips), the
// shape store of floating shapes, and the picture header of inline pictures.
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "word/model.h"
#include "word/read/doc/bytes.h"
#include "word/read/shape_svg.h"

namespace word::read::doc {

struct Image {
  std::shared_ptr<const std::string> bytes;
  std::string format;  // "png", "jpeg", "bmp", "tiff", "emf", "wmf", "pict", "svg"
  int32_t widthPx = 0, heightPx = 0;  // a drawn shape's size; 0: the image's own
};

// Inflating metafiles draws on `budget` (bytes), which bounds the memory a
// document's pictures may take however small their compressed form.
// A blip record starting at `at`; nothing when it is not one or is damaged.
std::optional<Image> readBlip(Bytes b, size_t at, size_t& budget);

// WordArt: text a shape draws in its own font and size, not a picture.
struct WordArt {
  std::u16string text, font;
  uint16_t halfPoints = 0;  // 0: the paragraph's size
};

// An inline picture: the picture header at `offset` of the Data stream and
// the shape and image records that follow it.
struct InlinePicture {
  std::optional<Image> image;
  int32_t widthTwips = 0;
  int32_t heightTwips = 0;
  std::u16string alt;  // the shape's description
  PictureLook look;
  WordArt art;  // text the shape draws, where it has no image
  // No image, though there is one to show: damaged, or of a kind not read
  // (without it, the shape is drawn by its geometry alone).
  bool unread = false;
};
InlinePicture readInlinePicture(Bytes data, uint32_t offset, Bytes delay, size_t& budget);

// A rectangle in a drawing's or group's own coordinates.
struct Rect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
};

// What a shape with no picture is drawn by: its preset type, fill and line,
// and its place among a group's shapes.
struct Geometry : ShapeGeometry {
  bool group = false;
  std::optional<Rect> anchor;  // inside a group: its place in the group's space
  std::optional<Rect> space;   // a group's own coordinate space
  PictureLook look;            // its picture's colours
};

// The floating shapes of the document: the picture store and, per shape
// id, the store index of the shape's picture.
struct Drawing {
  std::vector<std::optional<Image>> store;   // pib 1 is store[0]
  std::map<uint32_t, uint32_t> pictureOf;    // shape id -> pib
  std::map<uint32_t, std::u16string> altOf;  // shape id -> description
  // A group's shape id -> the shapes with pictures inside it, in order.
  std::map<uint32_t, std::vector<uint32_t>> membersOf;
  // A group's shape id -> every shape inside it, in order (text boxes too).
  std::map<uint32_t, std::vector<uint32_t>> shapesOf;
  std::map<uint32_t, Geometry> geometryOf;  // every shape with an id
  std::map<uint32_t, uint32_t> parentOf;    // shape id -> its group's shape id
  std::map<uint32_t, WordArt> wordArtOf;    // shape id -> the text it draws
  std::optional<Image> imageOfShape(uint32_t spid) const;
  // A shape (or a group's shapes) drawn by geometry alone as an SVG picture
  // of the given size; nothing when none of them is a shape it can draw.
  std::optional<Image> drawnShape(uint32_t spid, int32_t widthTwips, int32_t heightTwips) const;
};
Drawing readDrawing(Bytes table, uint32_t fc, uint32_t lcb, Bytes delay, size_t& budget);

}  // namespace word::read::doc
