// Feeds arbitrary bytes to the Word 97-2003 reader: it must either build a
// model or throw word::Error, never crash, hang or exhaust memory.
#include <glib.h>

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "word/error.h"
#include "word/read/reader.h"

namespace {
void quiet(const gchar*, GLogLevelFlags, const gchar*, gpointer) {}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool once = [] {
    // The container library reports damage it recovers from on stderr.
    g_log_set_default_handler(quiet, nullptr);
    return true;
  }();
  (void)once;
  try {
    word::Model m =
        word::read::readDoc(std::string_view(reinterpret_cast<const char*>(data), size));
    (void)m;
  } catch (const word::Error&) {
  }
  return 0;
}
