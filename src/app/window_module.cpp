// The window as a module the program loads when started without arguments.
#include "app/window.h"

// `document` is converted at once unless it is empty.
extern "C" __attribute__((visibility("default"))) int raredozud_run_window(int argc, char** argv,
                                                                           const char* document) {
  return app::runWindow(argc, argv, document ? document : "");
}
