#include "word/read/doc/officeart.h"

#include <gsf/gsf-input-gzip.h>
#include <gsf/gsf-input-memory.h>

#include <algorithm>
#include <unordered_set>

namespace word::read::doc {
namespace {

struct Header {
  uint16_t ver = 0;
  uint16_t instance = 0;
  uint16_t type = 0;
  uint32_t len = 0;
  size_t body = 0;  // offset of the record's data
  size_t end = 0;   // one past the record, clipped to the buffer
};

bool header(Bytes b, size_t at, Header& h) {
  if (!b.has(at, 8)) return false;
  uint16_t vi = b.u16(at);
  h.ver = vi & 0xF;
  h.instance = vi >> 4;
  h.type = b.u16(at + 2);
  h.len = b.u32(at + 4);
  h.body = at + 8;
  h.end = b.has(h.body, h.len) ? h.body + h.len : b.size();
  return h.type >= 0xF000;
}

constexpr size_t kMaxMetafile = 64u << 20;

// Metafile blips are usually deflated (zlib framing); the gzip reader of the
// container library does the inflating in raw mode.
std::optional<std::string> inflate(std::string_view z, size_t size, size_t& budget) {
  if (z.size() < 2 || size == 0 || size > kMaxMetafile || size > budget) return std::nullopt;
  budget -= size;
  GsfInput* mem = gsf_input_memory_new(reinterpret_cast<const guint8*>(z.data() + 2),
                                       static_cast<gsf_off_t>(z.size() - 2), FALSE);
  if (!mem) return std::nullopt;
  GObject* obj =
      static_cast<GObject*>(g_object_new(GSF_INPUT_GZIP_TYPE, "raw", TRUE, "source", mem,
                                         "uncompressed-size", static_cast<gint64>(size), nullptr));
  g_object_unref(mem);
  if (!obj) return std::nullopt;
  GsfInput* in = GSF_INPUT(obj);
  std::string out(size, '\0');
  bool ok = gsf_input_read(in, size, reinterpret_cast<guint8*>(out.data())) != nullptr;
  g_object_unref(obj);
  if (!ok) return std::nullopt;
  return out;
}

std::optional<Image> image(std::string bytes, std::string format) {
  if (bytes.empty()) return std::nullopt;
  return Image{std::make_shared<const std::string>(std::move(bytes)), std::move(format)};
}

// Stored bytes copied out count against the same budget as inflated ones:
// a thousand picture entries naming one stored picture copied it each time.
bool charge(size_t n, size_t& budget) {
  if (n > budget) return false;
  budget -= n;
  return true;
}

}  // namespace

std::optional<Image> readBlip(Bytes b, size_t at, size_t& budget) {
  Header h;
  if (!header(b, at, h)) return std::nullopt;
  bool twoIds = h.instance & 1;
  size_t uids = twoIds ? 32 : 16;
  auto bitmap = [&](const char* format) -> std::optional<Image> {
    size_t start = h.body + uids + 1;
    if (start > h.end || !charge(h.end - start, budget)) return std::nullopt;
    return image(std::string(b.view().substr(start, h.end - start)), format);
  };
  auto metafile = [&](const char* format) -> std::optional<Image> {
    size_t mh = h.body + uids;
    if (!b.has(mh, 34)) return std::nullopt;
    uint32_t size = b.u32(mh);
    uint32_t saved = b.u32(mh + 28);
    uint8_t compression = b.u8(mh + 32);
    size_t start = mh + 34;
    if (start > h.end) return std::nullopt;
    size_t n = std::min<size_t>(saved, h.end - start);
    std::string_view raw = b.view().substr(start, n);
    if (compression == 0) {
      auto out = inflate(raw, size, budget);
      if (!out) return std::nullopt;
      return image(std::move(*out), format);
    }
    if (!charge(raw.size(), budget)) return std::nullopt;
    return image(std::string(raw), format);
  };
  switch (h.type) {
    case 0xF01A:
      return metafile("emf");
    case 0xF01B:
      return metafile("wmf");
    case 0xF01C:
      return metafile("pict");
    case 0xF01D:
    case 0xF02A:
      return bitmap("jpeg");
    case 0xF01E:
      return bitmap("png");
    case 0xF029:
      return bitmap("tiff");
    case 0xF01F: {
      // A device-independent bitmap becomes a .bmp file by adding the file
      // header in front of it.
      auto dib = bitmap("bmp");
      if (!dib || dib->bytes->size() < 40) return std::nullopt;
      Bytes d(*dib->bytes);
      uint32_t headerSize = d.u32(0);
      uint16_t bits = d.u16(14);
      uint32_t used = d.u32(32);
      uint32_t colors = used ? used : (bits <= 8 ? (1u << bits) : 0);
      if (d.u32(16) == 3 && headerSize == 40) colors = 3;  // bit-field masks
      uint32_t offBits = 14 + headerSize + colors * 4;
      uint32_t total = 14 + static_cast<uint32_t>(dib->bytes->size());
      std::string f = "BM";
      for (uint32_t v : {total, 0u, offBits})
        for (int i = 0; i < 4; ++i) f.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
      f += *dib->bytes;
      return image(std::move(f), "bmp");
    }
    default:
      return std::nullopt;
  }
}

namespace {

// The picture of a store entry: inside the entry, or in the delay stream.
std::optional<Image> fromFbse(Bytes b, const Header& h, Bytes delay, size_t& budget) {
  if (h.type != 0xF007 || !b.has(h.body, 36)) return std::nullopt;
  uint32_t foDelay = b.u32(h.body + 28);
  uint8_t cbName = b.u8(h.body + 33);
  size_t embedded = h.body + 36 + cbName;
  if (embedded + 8 <= h.end) {
    if (auto img = readBlip(b.sub(0, h.end), embedded, budget)) return img;
  }
  if (b.u32(h.body + 24) == 0) return std::nullopt;  // no references: nothing stored
  if (foDelay != 0xFFFFFFFFu && delay.has(foDelay, 8)) return readBlip(delay, foDelay, budget);
  return std::nullopt;
}

// Finds the first picture in the records of [at, end), descending into
// containers; depth and record count are capped against damaged nesting.
// `met`: a picture's record was there, whether or not it could be read.
std::optional<Image> firstImage(Bytes b, size_t at, size_t end, Bytes delay, int depth, int& budget,
                                size_t& bytes, bool& met) {
  while (at + 8 <= end && budget-- > 0) {
    Header h;
    if (!header(b, at, h)) return std::nullopt;
    size_t recEnd = std::min(h.end, end);
    if (h.type == 0xF007) {
      met = true;
      if (auto img = fromFbse(b.sub(0, recEnd), h, delay, bytes)) return img;
    } else if (h.type >= 0xF018 && h.type <= 0xF117) {
      met = true;
      if (auto img = readBlip(b.sub(0, recEnd), at, bytes)) return img;
    } else if (h.ver == 0xF && depth < 16) {
      if (auto img = firstImage(b, h.body, recEnd, delay, depth + 1, budget, bytes, met))
        return img;
    }
    if (recEnd <= at) break;
    at = recEnd;
  }
  return std::nullopt;
}

// A colour property: red, green, blue and a flags byte; a colour taken
// from a scheme or the system keeps the default.
void color(uint32_t op, uint32_t& out) {
  if ((op >> 24) & 0x18) return;
  out = ((op & 0xFF) << 16) | (op & 0xFF00) | ((op >> 16) & 0xFF);
}

// The fill and line properties of a shape drawn by geometry.
void geometryOption(uint16_t id, uint32_t op, Geometry& g) {
  switch (id) {
    case 0x0181: color(op, g.fill); break;
    case 0x0182: g.fillAlpha = std::min<uint32_t>(op, 0x10000); break;
    case 0x01BF: if (op & 0x100000) g.filled = op & 0x10; break;  // used bit, then the value
    case 0x01C0: color(op, g.line); break;
    case 0x01CB: g.lineEmu = static_cast<int32_t>(std::min<uint32_t>(op, 12700 * 100)); break;
    case 0x01D0: g.arrowStart = op != 0; break;
    case 0x01D1: g.arrowEnd = op != 0; break;
    case 0x01FF: if (op & 0x80000) g.lined = op & 0x8; break;
    default: break;
  }
}

// The picture's colours: contrast (16.16, 1 its own), brightness
// (-0x8000 black to 0x8000 white) and the grey and black-and-white flags,
// each beside the bit that says it is set.
void blipOption(uint16_t id, uint32_t op, PictureLook& look) {
  // What the picture cuts off each side: 16.16 fixed shares of the image.
  if (id >= 0x0100 && id <= 0x0103) {
    const int32_t share = static_cast<int32_t>(
        std::clamp<int64_t>(int64_t{static_cast<int32_t>(op)} * 100000 / 0x10000, -100000, 100000));
    int32_t* sides[] = {&look.cropTop, &look.cropBottom, &look.cropLeft, &look.cropRight};
    *sides[id - 0x0100] = share;
  }
  if (id == 0x0108)
    look.contrast = static_cast<int16_t>(std::min<uint64_t>(uint64_t{op} * 1000 / 0x10000, 10000));
  if (id == 0x0109)
    look.brightness = static_cast<int16_t>(
        std::clamp<int64_t>(int64_t{static_cast<int32_t>(op)} * 1000 / 0x8000, -1000, 1000));
  if (id == 0x013F) {
    look.gray = (op & 0x40000) && (op & 0x4);
    look.blackAndWhite = (op & 0x20000) && (op & 0x2);
  }
}

// Reads a shape's property table (OPT): its picture index, description,
// its picture's colours and, given `g`, its fill and line. Complex values
// follow the fixed part in the order of their properties.
void readOptions(Bytes b, const Header& opt, size_t end, uint32_t& pib, std::u16string& alt,
                 PictureLook& look, Geometry* g = nullptr, WordArt* art = nullptr) {
  size_t n = opt.instance;
  size_t complexAt = opt.body + 6 * n;
  // A complex value's text, up to its end or a nul.
  auto text = [&](uint32_t size) {
    std::u16string out;
    const size_t len = complexAt < end ? std::min<size_t>(size, end - complexAt) : 0;
    for (size_t k = 0; k + 1 < len; k += 2) {
      char16_t c = static_cast<char16_t>(b.u16(complexAt + k));
      if (!c) break;
      out.push_back(c);
    }
    return out;
  };
  // A picture's line round it, drawn where the shape says so outright.
  Geometry outline;
  outline.lined = false;
  for (size_t i = 0; i < n && opt.body + 6 * i + 6 <= end; ++i) {
    uint16_t opid = b.u16(opt.body + 6 * i);
    uint32_t op = b.u32(opt.body + 6 * i + 2);
    uint16_t id = opid & 0x3FFF;
    if (opid & 0x8000) {
      if (id == 0x0381) alt = text(op);
      // WordArt's text and font.
      if (id == 0x00C0 && art) art->text = text(op);
      if (id == 0x00C5 && art) art->font = text(op);
      complexAt += op;
      if (complexAt > end) complexAt = end;
    } else if (id == 0x0104) {
      pib = op;
    } else if (id == 0x00C3 && art) {
      // WordArt's size: points in 16.16 fixed point.
      art->halfPoints = static_cast<uint16_t>(std::min<uint32_t>(op >> 15, 3276));
    } else if ((id >= 0x0100 && id <= 0x0103) || id == 0x0108 || id == 0x0109 || id == 0x013F) {
      blipOption(id, op, look);
    } else if (id == 0x0004) {
      // Turned clockwise by degrees in 16.16 fixed point.
      look.rotation = static_cast<int16_t>(static_cast<int32_t>(op) / 0x10000 % 360);
    } else {
      geometryOption(id, op, outline);
      if (g) geometryOption(id, op, *g);
    }
  }
  if (pib && outline.lined) {
    look.outlineEmu = std::clamp(outline.lineEmu, 1, kMaxOutlineEmu);
    look.outlineColor = outline.line;
  }
}

Rect rect(Bytes b, size_t at) {
  return {b.i32(at), b.i32(at + 4), b.i32(at + 8), b.i32(at + 12)};
}

// The shapes of a drawing or group, in order: those with pictures, all of
// them (text boxes among them), and the first one's id, which a group's
// own shape carries.
struct Shapes {
  std::vector<uint32_t> pictured, all;
  std::unordered_set<uint32_t> ids;  // of `all`
  uint32_t firstId = 0;
};

// A shape (0xF004): its id (FSP), picture (pib property of OPT) and
// description; shapes nested in its records go into `found` too.
void collectShape(Bytes b, const Header& h, size_t recEnd, Drawing& d, int depth, int& budget,
                  Shapes& found);

// A group (0xF003) keeps the shapes inside it under its own id.
void collectShapes(Bytes b, size_t at, size_t end, Drawing& d, int depth, int& budget,
                   Shapes& found) {
  while (at + 8 <= end && budget-- > 0) {
    Header h;
    if (!header(b, at, h)) return;
    size_t recEnd = std::min(h.end, end);
    if (h.type == 0xF003 && depth < 16) {
      Shapes group;
      collectShapes(b, h.body, recEnd, d, depth + 1, budget, group);
      if (group.firstId != 0 && !group.pictured.empty())
        d.membersOf[group.firstId] = group.pictured;
      if (group.firstId != 0) d.shapesOf[group.firstId] = group.all;
      for (uint32_t member : group.all)
        if (member != group.firstId) d.parentOf.emplace(member, group.firstId);
      found.pictured.insert(found.pictured.end(), group.pictured.begin(), group.pictured.end());
      found.all.insert(found.all.end(), group.all.begin(), group.all.end());
    } else if (h.type == 0xF004) {
      collectShape(b, h, recEnd, d, depth, budget, found);
    } else if (h.ver == 0xF && depth < 16) {
      collectShapes(b, h.body, recEnd, d, depth + 1, budget, found);
    }
    if (recEnd <= at) break;
    at = recEnd;
  }
}

void collectShape(Bytes b, const Header& h, size_t recEnd, Drawing& d, int depth, int& budget,
                  Shapes& found) {
  uint32_t spid = 0, pib = 0;
  std::u16string alt;
  Geometry g;
  WordArt art;
  bool haveId = false;
  Shapes nested;
  size_t p = h.body;
  for (int guard = 0; p + 8 <= recEnd && guard < 4096; ++guard) {
    Header c;
    if (!header(b, p, c)) break;
    size_t cEnd = std::min(c.end, recEnd);
    if (c.type == 0xF00A && b.has(c.body, 8)) {
      spid = b.u32(c.body);
      haveId = true;
      const uint32_t flags = b.u32(c.body + 4);
      g.type = c.instance;
      g.group = flags & 0x1;
      g.flipH = g.look.flipH = flags & 0x40;
      g.flipV = g.look.flipV = flags & 0x80;
    } else if (c.type == 0xF00B) {
      readOptions(b, c, cEnd, pib, alt, g.look, &g, &art);
    } else if (c.type == 0xF009 && b.has(c.body, 16)) {
      g.space = rect(b, c.body);
    } else if (c.type == 0xF00F && b.has(c.body, 16)) {
      g.anchor = rect(b, c.body);
    } else if (c.ver == 0xF && depth < 16) {
      collectShapes(b, c.body, cEnd, d, depth + 1, budget, nested);
    }
    if (cEnd <= p) break;
    p = cEnd;
  }
  found.pictured.insert(found.pictured.end(), nested.pictured.begin(), nested.pictured.end());
  if (!haveId) return;
  if (found.firstId == 0) found.firstId = spid;
  // A shape is drawn once, however many records give its id.
  if (!found.ids.insert(spid).second) return;
  found.all.push_back(spid);
  if (pib) {
    d.pictureOf[spid] = pib;
    found.pictured.push_back(spid);
  }
  if (!alt.empty()) d.altOf[spid] = alt;
  if (!art.text.empty()) d.wordArtOf[spid] = std::move(art);
  d.geometryOf[spid] = g;
}

}  // namespace

InlinePicture readInlinePicture(Bytes data, uint32_t offset, Bytes delay, size_t& bytes) {
  InlinePicture pic;
  if (!data.has(offset, 0x44)) return pic;
  uint32_t lcb = data.u32(offset);
  uint16_t cbHeader = data.u16(offset + 4);
  if (lcb < 0x44 || cbHeader < 0x44) return pic;
  Bytes p = data.sub(offset, lcb);
  int16_t mm = p.i16(6);
  int64_t dxaGoal = p.i16(28), dyaGoal = p.i16(30);
  int64_t mx = p.u16(32), my = p.u16(34);
  int64_t cropL = p.i16(36), cropT = p.i16(38), cropR = p.i16(40), cropB = p.i16(42);
  if (mx == 0) mx = 1000;
  if (my == 0) my = 1000;
  pic.widthTwips =
      static_cast<int32_t>(std::clamp<int64_t>((dxaGoal - cropL - cropR) * mx / 1000, 0, 1 << 24));
  pic.heightTwips =
      static_cast<int32_t>(std::clamp<int64_t>((dyaGoal - cropT - cropB) * my / 1000, 0, 1 << 24));
  size_t at = cbHeader;
  if (mm == 0x66) at += 1 + p.u8(at);
  // Other mapping modes hold a metafile of older Word versions, not read.
  pic.unread = mm != 0x64 && mm != 0x66;
  if (mm == 0x64 || mm == 0x66) {
    // The shape record before the pictures describes the picture.
    Header sp;
    uint32_t pib = 0;
    if (header(p, at, sp) && sp.type == 0xF004) {
      for (size_t q = sp.body, guard = 0; q + 8 <= sp.end && guard < 256; ++guard) {
        Header c;
        if (!header(p, q, c)) break;
        if (c.type == 0xF00B)
          readOptions(p, c, std::min(c.end, sp.end), pib, pic.alt, pic.look, nullptr, &pic.art);
        if (c.end <= q) break;
        q = c.end;
      }
    }
    // Older files give the crop in the picture's header alone.
    PictureLook& l = pic.look;
    auto share = [](int64_t crop, int64_t goal) {
      return static_cast<int32_t>(std::clamp<int64_t>(crop * 100000 / goal, -100000, 100000));
    };
    if (!l.cropLeft && !l.cropTop && !l.cropRight && !l.cropBottom && dxaGoal > 0 && dyaGoal > 0) {
      l.cropLeft = share(cropL, dxaGoal);
      l.cropRight = share(cropR, dxaGoal);
      l.cropTop = share(cropT, dyaGoal);
      l.cropBottom = share(cropB, dyaGoal);
    }
    int budget = 10000;
    bool met = pib != 0;
    pic.image = firstImage(p, at, p.size(), delay, 0, budget, bytes, met);
    pic.unread = !pic.image && met;
  }
  return pic;
}

std::optional<Image> Drawing::imageOfShape(uint32_t spid) const {
  auto it = pictureOf.find(spid);
  if (it == pictureOf.end() || it->second == 0 || it->second > store.size()) return std::nullopt;
  return store[it->second - 1];
}

Drawing readDrawing(Bytes table, uint32_t fc, uint32_t lcb, Bytes delay, size_t& bytes) {
  Drawing d;
  if (lcb == 0 || !table.has(fc, 8)) return d;
  Bytes b = table.sub(0, static_cast<size_t>(fc) + lcb);
  Header dgg;
  if (!header(b, fc, dgg) || dgg.type != 0xF000) return d;
  int budget = 200000;
  for (size_t p = dgg.body; p + 8 <= dgg.end && budget-- > 0;) {
    Header h;
    if (!header(b, p, h)) break;
    if (h.type == 0xF001) {
      for (size_t q = h.body; q + 8 <= h.end && budget-- > 0;) {
        Header e;
        if (!header(b, q, e)) break;
        d.store.push_back(e.type == 0xF007 ? fromFbse(b.sub(0, e.end), e, delay, bytes)
                                           : std::nullopt);
        if (e.end <= q) break;
        q = e.end;
      }
    }
    if (h.end <= p) break;
    p = h.end;
  }
  // Drawings follow the group container, each behind a one-byte label.
  for (size_t p = dgg.end; p + 9 <= b.size() && budget > 0;) {
    Header h;
    if (!header(b, p + 1, h) || h.type != 0xF002) break;
    Shapes shapes;
    collectShapes(b, h.body, h.end, d, 0, budget, shapes);
    if (h.end <= p) break;
    p = h.end;
  }
  return d;
}

}  // namespace word::read::doc
