// The window as a module the program loads when started without arguments.
#include "app/window.h"

extern "C" __attribute__((visibility("default"))) int raredozud_run_window(int argc,
                                                                           char** argv) {
  return app::runWindow(argc, argv);
}
