#include <glib.h>
#include <malloc.h>

#include <dlfcn.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/cli.h"
#include "support/files.h"

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

// The window lives in a module beside the program (see src/app's build
// file): loading it only here keeps the toolkit out of command-line runs.
int runWindow(int argc, char** argv) {
  const std::string module = support::programFolder() + "/raredozud-window.so";
  void* handle = dlopen(module.c_str(), RTLD_NOW | RTLD_LOCAL);
  using Entry = int (*)(int, char**);
  Entry entry = handle ? reinterpret_cast<Entry>(dlsym(handle, "raredozud_run_window")) : nullptr;
  if (!entry) {
    const char* why = dlerror();
    std::fprintf(stderr, "raredozud: the window cannot be shown (%s); the command line works:\n",
                 why ? why : "no entry point");
    return app::main(1, argv);  // the usage, on stderr
  }
  return entry(argc, argv);
}

// Fresh memory costs a fault per 4 KiB page on first touch, and a
// conversion touches tens of MiB of it: a third of reading a large document
// went to those faults. The heap's free top is reserved ahead and marked for
// huge pages, which the kernel then hands out 2 MiB at a time where it can
// (where it cannot or will not, nothing changes).
void reserveHeap() {
  constexpr size_t kReserve = size_t{64} << 20;
  constexpr uintptr_t kHuge = uintptr_t{2} << 20;
  constexpr auto kFailed = static_cast<uintptr_t>(-1);
  mallopt(M_TOP_PAD, static_cast<int>(kReserve));
  const auto before = reinterpret_cast<uintptr_t>(sbrk(0));
  // A block the heap's free top cannot hold makes it grow, by the pad too.
  // (Through a volatile pointer: a block never used may be optimised away.)
  void* volatile block = malloc(size_t{4} << 20);
  free(block);
  const auto top = reinterpret_cast<uintptr_t>(sbrk(0));
  // Only what the heap has just taken is marked; an allocator that does not
  // grow the heap this way leaves it unchanged, and nothing is marked.
  if (before == kFailed || top == kFailed || top <= before) return;
  const uintptr_t from = (before + kHuge - 1) & ~(kHuge - 1);
  if (from < top) madvise(reinterpret_cast<void*>(from), top - from, MADV_HUGEPAGE);
}

}  // namespace

int main(int argc, char** argv) {
  // A conversion makes a document per page and the zip a compressor per
  // file, each taking and giving back a few hundred KiB: keeping that memory
  // mapped saves clearing fresh pages every time.
  mallopt(M_MMAP_THRESHOLD, 8 << 20);
  mallopt(M_TRIM_THRESHOLD, 32 << 20);
  reserveHeap();
  g_log_set_default_handler(quietContainerWarnings, nullptr);
  if (argc == 1) return runWindow(argc, argv);
  return app::main(argc, argv);
}
