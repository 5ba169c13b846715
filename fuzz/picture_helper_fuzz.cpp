// Feeds damaged pictures through the whole picture path of a page save, up
// to and through the helper process: the converter starts this program as
// its helper (with the helper's arguments), which runs the conversion
// libraries. A helper that crashes, loops or floods must end as a stand-in
// on the page, never as a fault here.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "word/builder.h"
#include "word/write/pictures/converter.h"
#include "word/write/writers.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  if (*argc > 1 && std::string_view((*argv)[1]) == word::write::kConvertPictureCommand)
    std::exit(word::write::convertPictureCommand(*argc, *argv));
  word::write::setPictureProgram("/proc/self/exe");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The first byte picks the format the document claims; the rest is the
  // picture.
  if (size < 1) return 0;
  static const char* const formats[] = {"wmf", "emf", "tiff", "pict"};
  word::Picture p;
  p.format = formats[data[0] % 4];
  p.data = std::make_shared<const std::string>(reinterpret_cast<const char*>(data) + 1, size - 1);
  p.widthPx = data[0] & 0x80 ? 0 : 120;
  p.heightPx = data[0] & 0x80 ? 0 : 80;
  p.alt = u"fuzzed";
  word::Builder b;
  b.picture(p);
  b.endParagraph();
  static word::write::PictureConverter converter;
  try {
    (void)word::write::html(b.finish(), "page_files", u"t", &converter);
  } catch (...) {
  }
  return 0;
}
