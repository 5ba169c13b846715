#pragma once
// The drawing layer of Word 97-2003 files: picture records (blips), the
// shape store of floating shapes, and the picture header of inline pictures.
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "word/read/doc/bytes.h"

namespace word::read::doc {

struct Image {
  std::shared_ptr<const std::string> bytes;
  std::string format;  // "png", "jpeg", "bmp", "tiff", "emf", "wmf", "pict"
};

// Inflating metafiles draws on `budget` (bytes), which bounds the memory a
// document's pictures may take however small their compressed form.
// A blip record starting at `at`; nothing when it is not one or is damaged.
std::optional<Image> readBlip(Bytes b, size_t at, size_t& budget);

// An inline picture: the picture header at `offset` of the Data stream and
// the shape and image records that follow it.
struct InlinePicture {
  std::optional<Image> image;
  int32_t widthTwips = 0;
  int32_t heightTwips = 0;
  std::u16string alt;  // the shape's description
};
InlinePicture readInlinePicture(Bytes data, uint32_t offset, Bytes delay, size_t& budget);

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
  std::optional<Image> imageOfShape(uint32_t spid) const;
};
Drawing readDrawing(Bytes table, uint32_t fc, uint32_t lcb, Bytes delay, size_t& budget);

}  // namespace word::read::doc
