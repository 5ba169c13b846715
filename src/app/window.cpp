#include "app/window.h"

#include <QApplication>
#include <QWidget>

namespace app {

// Placeholder until the window is built: shows the captioned form only.
int runWindow(int argc, char** argv) {
  QApplication qapp(argc, argv);
  QWidget form;
  form.setWindowTitle(QStringLiteral("Raredozud 1.3.1  (4.4.2009)"));
  form.resize(659, 506);
  form.show();
  return qapp.exec();
}

}  // namespace app
