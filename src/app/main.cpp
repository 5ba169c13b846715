#include "app/cli.h"
#ifdef RAREDOZUD_GUI
#include "app/window.h"
#endif

int main(int argc, char** argv) {
#ifdef RAREDOZUD_GUI
  if (argc == 1) return app::runWindow(argc, argv);
#endif
  return app::main(argc, argv);
}
