#include <dlfcn.h>
#include <glib.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "app/cli.h"
#include "support/files.h"
#include "word/write/pictures/converter.h"

namespace {

// The container library warns on stderr about every damaged file it is
// given; the readers already turn that damage into a clear error of their
// own, so the library's warnings would only repeat it in its terms.
// Its checks on damaged input report as critical messages: those are
// dropped too. Some of its warnings name no domain (ours never log through
// this channel, and the other libraries name theirs); anything from
// elsewhere goes to the default handler.
void quietContainerWarnings(const gchar* domain, GLogLevelFlags level, const gchar* message,
                            gpointer data) {
  if ((!domain || g_str_has_prefix(domain, "libgsf")) && !(level & G_LOG_LEVEL_ERROR)) return;
  g_log_default_handler(domain, level, message, data);
}

// The same library prints what it finds wrong in a zip's headers
// ("Header is 0x...") as plain text; nothing of ours prints this way, and
// standard output carries the status lines.
void dropLibraryPrints(const gchar*) {}

// The window lives in a module beside the program (see src/app's build
// file): loading it only here keeps the toolkit out of command-line runs.
// `document`, when not empty, is converted in the window at once.
int runWindow(char** argv, const std::string& document) {
  // Without a display the toolkit ends the program with an abort and the
  // advice to reinstall it; a session without a desktop (ssh, a console)
  // is told what it lacks instead.
  auto unset = [](const char* name) {
    const char* value = std::getenv(name);
    return !value || !*value;
  };
  if (unset("DISPLAY") && unset("WAYLAND_DISPLAY") && unset("QT_QPA_PLATFORM")) {
    std::fputs(
        "raredozud: the window cannot be shown (no display: DISPLAY and WAYLAND_DISPLAY are "
        "not set; start it on the desktop); the command line works:\n",
        stderr);
    return app::main(1, argv);  // the usage, on stderr
  }
  const std::string module = support::programFolder() + "/raredozud-window.so";
  void* handle = dlopen(module.c_str(), RTLD_NOW | RTLD_LOCAL);
  using Entry = int (*)(int, char**, const char*);
  Entry entry = handle ? reinterpret_cast<Entry>(dlsym(handle, "raredozud_run_window")) : nullptr;
  if (!entry) {
    const char* why = dlerror();
    std::fprintf(stderr, "raredozud: the window cannot be shown (%s); the command line works:\n",
                 why ? why : "no entry point");
    return app::main(1, argv);  // the usage, on stderr
  }
  // The toolkit sees the program's name alone: the rest is ours.
  return entry(1, argv, document.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  // The page writer converts pictures with the helper beside the program.
  word::write::setPictureProgram(support::programFolder() + "/raredozud-pictures");
  g_log_set_default_handler(quietContainerWarnings, nullptr);
  g_set_print_handler(dropLibraryPrints);
  g_set_printerr_handler(dropLibraryPrints);
  // The commands report their own failures; whatever still escapes them is
  // said plainly instead of ending the program with an abort.
  try {
    if (const app::WindowRequest window = app::windowRequest(argc, argv); window.open)
      return runWindow(argv, window.document);
    return app::main(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "raredozud: internal error: %s\n", e.what());
  } catch (...) {
    std::fprintf(stderr, "raredozud: internal error\n");
  }
  return 2;
}
