#include <QApplication>

#include "app/window.h"
#include "support/runtime_error.h"

namespace app {

// Interim: the converter's driver is not on this branch yet.
ConversionRun conversionRun() {
  return [](convert::Frontend&) { support::raise(51); };
}

int runWindow(int argc, char** argv) {
  QApplication qapp(argc, argv);
  MainWindow form(conversionRun());
  form.show();
  return qapp.exec();
}

}  // namespace app
