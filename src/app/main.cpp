#include <glib.h>
#include <malloc.h>

#include "app/cli.h"
#ifdef RAREDOZUD_GUI
#include "app/window.h"
#endif

namespace {

// The container library warns on stderr about every damaged file it is
// given; the readers already turn that damage into a clear error of their
// own, so the library's warnings would only repeat it in its terms.
// Its checks on damaged input report as critical messages: those are
// dropped too; anything from elsewhere goes to the default handler.
void quietContainerWarnings(const gchar* domain, GLogLevelFlags level, const gchar* message,
                            gpointer data) {
  if (domain && g_str_has_prefix(domain, "libgsf") && !(level & G_LOG_LEVEL_ERROR)) return;
  g_log_default_handler(domain, level, message, data);
}

}  // namespace

int main(int argc, char** argv) {
  // A conversion makes a document per page and the zip a compressor per
  // file, each taking and giving back a few hundred KiB: keeping that memory
  // mapped saves clearing fresh pages every time.
  mallopt(M_MMAP_THRESHOLD, 8 << 20);
  mallopt(M_TRIM_THRESHOLD, 32 << 20);
  g_log_set_default_handler(quietContainerWarnings, nullptr);
#ifdef RAREDOZUD_GUI
  if (argc == 1) return app::runWindow(argc, argv);
#endif
  return app::main(argc, argv);
}
