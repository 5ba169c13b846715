// Feeds damaged pictures to the page writer's own picture code: telling
// the format from the bytes, a metafile's header size and code page,
// making a player's SVG XML-safe, keeping only what a drawing needs and
// fitting it, and the stand-in with an alternative text taken from the
// input. Each must give an answer or
// nothing, never crash or hang.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "word/write/pictures/svg_allow.h"
#include "word/write/pictures/web_picture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view in(reinterpret_cast<const char*>(data), size);
  word::Picture picture;
  picture.data = std::make_shared<const std::string>(in);
  const std::string extension = word::write::pictureExtension(picture);
  const word::write::PixelSize own = word::write::metafileSize(in);
  (void)word::write::pngSize(in);
  const char* codePage = word::write::wmfCodePage(in);
  if (auto svg = word::write::fitSvg(word::write::wmfSvgAsUtf8(in, codePage)))
    (void)word::write::fitSvg(*svg);
  (void)word::write::fitSvg(word::write::xmlSafe(word::write::emfSvgTextKept(in)));
  (void)word::write::allowedSvg(in);
  std::u16string alt;
  for (size_t i = 0; i + 1 < size && alt.size() < 300; i += 2)
    alt.push_back(static_cast<char16_t>(data[i] | data[i + 1] << 8));
  (void)word::write::placeholderSvg({own.width % 2000, own.height % 2000}, alt, extension);
  return 0;
}
