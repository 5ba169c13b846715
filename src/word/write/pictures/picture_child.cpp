// The helper process of converter.h: raredozud-pictures run with
// --convert-picture FORMAT. It reads one picture on standard input and
// writes the converted file; the parent limits its time and memory, so a
// library that crashes or loops on a damaged picture costs only this
// process.
#include <emf2svg.h>
#include <libwmf/api.h>
#include <libwmf/ipa.h>
#include <libwmf/svg.h>
#include <png.h>
#include <tiffio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "word/write/pictures/converter.h"
#include "word/write/pictures/svg_allow.h"
#include "word/write/pictures/svg_metafile.h"
#include "word/write/pictures/web_picture.h"

namespace word::write {
namespace {

// No picture in a document is near this; a larger input is refused.
constexpr size_t kInputLimit = size_t{256} << 20;

std::optional<std::string> readInput() {
  std::string in;
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(0, buffer, sizeof buffer);
    if (n == 0) return in;
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 || in.size() + static_cast<size_t>(n) > kInputLimit) return std::nullopt;
    in.append(buffer, static_cast<size_t>(n));
  }
}

bool writeAll(std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(1, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

// The libraries' SVG, made a file a browser loads: parsed leniently and
// written again with only what a drawing needs (svg_allow.h), so that
// whatever slipped through unescaped can neither make it fail nor run,
// then fitted to the page's box.
std::optional<std::string> browserSvg(const std::string& svg) {
  const std::optional<std::string> allowed = allowedSvg(svg);
  return allowed ? fitSvg(*allowed) : std::nullopt;
}

std::optional<std::string> emfToSvg(std::string& emf) {
  generatorOptions options{};
  char noNamespace[] = "";
  options.nameSpace = noNamespace;
  options.emfplus = true;  // drawings saved with EMF+ records come out whole
  options.svgDelimiter = true;
  char* out = nullptr;
  size_t length = 0;
  const std::vector<EmfText> texts = emfTexts(emf);
  const int ok = emf2svg(emf.data(), emf.size(), &out, &length, &options);
  std::optional<std::string> svg;
  if (ok && out) {
    std::string drawn = placeEmfText(xmlSafe(emfSvgTextKept(std::string_view(out, length))), texts);
    if (const auto shift = emfOriginShift(emf)) drawn = shiftedSvg(drawn, *shift);
    svg = browserSvg(framedEmfSvg(drawn, emf));
  }
  std::free(out);
  return svg;
}

// The SVG device writes a text's string as the metafile holds it, markup
// and all: escaped on its way there, it stays text. "&", "<" and ">" are
// the same single bytes in every code page a metafile's text is in. (Not
// quotes: the device drops a text that grows past about 128 bytes.)
void (*svgDrawText)(wmfAPI*, wmfDrawText_t*) = nullptr;

void drawEscapedText(wmfAPI* api, wmfDrawText_t* text) {
  std::string escaped;
  if (text->str) xmlEscape(escaped, text->str, /*quotes=*/false);
  wmfDrawText_t copy = *text;
  copy.str = escaped.data();
  svgDrawText(api, &copy);
}

void escapeText(wmfAPI* api) {
  auto* device = static_cast<wmfFunctionReference*>(api->function_reference);
  svgDrawText = device->draw_text;
  device->draw_text = drawEscapedText;
}

// Plays the metafile to the library's SVG device, bitmaps inlined as PNG.
std::optional<std::string> wmfToSvg(std::string& wmf) {
  wmfAPI* api = nullptr;
  wmfAPI_Options options{};
  options.function = wmf_svg_function;
  const unsigned long flags =
      WMF_OPT_FUNCTION | WMF_OPT_IGNORE_NONFATAL | WMF_OPT_NO_ERROR | WMF_OPT_NO_DEBUG;
  if (wmf_api_create(&api, flags, &options) != wmf_E_None) {
    if (api) wmf_api_destroy(api);
    return std::nullopt;
  }
  escapeText(api);
  std::optional<std::string> svg;
  wmfD_Rect bbox{};
  unsigned int width = 0, height = 0;
  if (wmf_mem_open(api, reinterpret_cast<unsigned char*>(wmf.data()),
                   static_cast<long>(wmf.size())) == wmf_E_None &&
      wmf_scan(api, 0, &bbox) == wmf_E_None &&
      wmf_display_size(api, &width, &height, 96, 96) == wmf_E_None && width > 0 && height > 0 &&
      width <= 100000 && height <= 100000) {
    wmf_svg_t* device = WMF_SVG_GetData(api);
    device->out = wmf_stream_create(api, nullptr);
    device->bbox = bbox;
    device->width = width;
    device->height = height;
    device->flags |= WMF_SVG_INLINE_IMAGES;
    const bool played = device->out && wmf_play(api, 0, &bbox) == wmf_E_None;
    char* out = nullptr;
    unsigned long length = 0;
    if (device->out) wmf_stream_destroy(api, device->out, &out, &length);
    // The player writes text in the metafile's code page.
    if (played && out)
      svg = browserSvg(repairWmfSvg(wmfSvgAsUtf8(std::string_view(out, length), wmfCodePage(wmf))));
  }
  wmf_api_destroy(api);
  return svg;
}

// libtiff reads the picture from memory through these.
struct Memory {
  std::string_view bytes;
  toff_t at = 0;
};

tmsize_t readMemory(thandle_t h, void* to, tmsize_t n) {
  Memory& m = *static_cast<Memory*>(h);
  if (n < 0 || m.at >= m.bytes.size()) return 0;
  const size_t count = std::min<size_t>(static_cast<size_t>(n), m.bytes.size() - m.at);
  std::memcpy(to, m.bytes.data() + m.at, count);
  m.at += count;
  return static_cast<tmsize_t>(count);
}

tmsize_t refuseWrite(thandle_t, void*, tmsize_t) {
  return -1;
}

toff_t seekMemory(thandle_t h, toff_t offset, int whence) {
  Memory& m = *static_cast<Memory*>(h);
  const toff_t base = whence == SEEK_CUR ? m.at : whence == SEEK_END ? m.bytes.size() : 0;
  if (offset > UINT64_MAX - base) return static_cast<toff_t>(-1);
  m.at = base + offset;
  return m.at;
}

int closeMemory(thandle_t) {
  return 0;
}

toff_t memorySize(thandle_t h) {
  return static_cast<Memory*>(h)->bytes.size();
}

// The first page of the TIFF as RGBA, then as PNG; a picture declaring
// more than `pixelCap` pixels is refused before anything is decoded.
std::optional<std::string> tiffToPng(const std::string& tiff, uint64_t pixelCap,
                                     uint64_t& tooLarge) {
  TIFFSetErrorHandler(nullptr);
  TIFFSetWarningHandler(nullptr);
  Memory memory{tiff, 0};
  TIFF* t = TIFFClientOpen("picture", "rm", &memory, readMemory, refuseWrite, seekMemory,
                           closeMemory, memorySize, nullptr, nullptr);
  if (!t) return std::nullopt;
  uint32_t w = 0, h = 0;
  std::optional<std::string> png;
  const bool sized =
      TIFFGetField(t, TIFFTAG_IMAGEWIDTH, &w) && TIFFGetField(t, TIFFTAG_IMAGELENGTH, &h) && w && h;
  if (sized && uint64_t{w} * h > pixelCap) tooLarge = uint64_t{w} * h;
  if (sized && !tooLarge) {
    std::string rgba(size_t{w} * h * 4, '\0');
    if (TIFFReadRGBAImageOriented(t, w, h, reinterpret_cast<uint32_t*>(rgba.data()),
                                  ORIENTATION_TOPLEFT, 0)) {
      png_image image{};
      image.version = PNG_IMAGE_VERSION;
      image.width = w;
      image.height = h;
      image.format = PNG_FORMAT_RGBA;  // libtiff's ABGR words are R, G, B, A bytes here
      png_alloc_size_t size = 0;
      if (png_image_write_to_memory(&image, nullptr, &size, 0, rgba.data(), 0, nullptr)) {
        std::string out(size, '\0');
        if (png_image_write_to_memory(&image, out.data(), &size, 0, rgba.data(), 0, nullptr)) {
          out.resize(size);
          png = std::move(out);
        }
      }
      png_image_free(&image);
    }
  }
  TIFFClose(t);
  return png;
}

}  // namespace

int convertPictureCommand(int argc, char** argv) {
  if (argc < 3 || argc > 4 || std::string_view(argv[1]) != kConvertPictureCommand) return 1;
  const std::string format = argv[2];
  uint64_t pixelCap = kPicturePixels;
  if (argc == 4) {
    const std::string_view cap = argv[3];
    auto [end, ec] = std::from_chars(cap.data(), cap.data() + cap.size(), pixelCap);
    if (ec != std::errc() || end != cap.data() + cap.size()) return 1;
    pixelCap = std::min(pixelCap, kPicturePixels);
  }
  std::optional<std::string> in = readInput();
  if (!in) return 1;
  std::optional<std::string> out;
  std::string kind = "svg\n";
  if (format == "emf") {
    out = emfToSvg(*in);
  } else if (format == "wmf") {
    out = wmfToSvg(*in);
  } else if (format == "tif") {
    uint64_t tooLarge = 0;
    out = tiffToPng(*in, pixelCap, tooLarge);
    if (tooLarge) return writeAll("pixels " + std::to_string(tooLarge) + "\n") ? kTooManyPixels : 1;
    kind = "png\n";
  }
  if (!out || out->empty()) return 1;
  return writeAll(kind) && writeAll(*out) ? 0 : 1;
}

}  // namespace word::write
