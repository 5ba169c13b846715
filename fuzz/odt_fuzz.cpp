// libFuzzer target for the OpenDocument reader (packages and flat XML):
// any input must give a model or a word::Error.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "word/error.h"
#include "word/read/reader.h"
#include "word/write/writers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    word::Model m =
        word::read::readOdt(std::string_view(reinterpret_cast<const char*>(data), size));
    // Rendering walks every table of the model: broken invariants show here.
    (void)word::write::text(m, word::write::TextEncoding::Utf8);
    // The page's own reading of the model: pictures' crops, turns and lines.
    (void)word::write::html(m, "p_files", u"p");
  } catch (const word::Error&) {
  }
  return 0;
}
