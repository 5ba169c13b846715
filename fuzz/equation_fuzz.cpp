// libFuzzer target for equation objects: any bytes, read as an "Equation
// Native" stream, as MTEF alone and as an OLE object's compound file, give
// the linear text of an equation or none, within its length cap.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "word/read/compound.h"
#include "word/read/mtef.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  for (const std::u16string& text :
       {word::read::equationNativeText(bytes), word::read::mtefText(bytes)})
    if (text.size() > word::read::kMaxEquationText) std::abort();
  if (auto stream = word::read::equationNativeStream(bytes))
    (void)word::read::equationNativeText(*stream);
  return 0;
}
