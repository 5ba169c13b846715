#include <QApplication>
#include <QTimer>
#include <clocale>
#include <memory>

#include "app/window.h"
#include "convert/driver.h"
#include "course/session.h"
#include "word/application.h"

namespace app {

ConversionRun conversionRun() {
  // What carries from one run to the next (course title, test numbers, the
  // last folder) and the document engine live as long as the run function.
  struct State {
    course::Session session;
    word::Application engine;
  };
  auto state = std::make_shared<State>();
  return [state](course::Frontend& frontend) {
    convert::parse(state->session, state->engine, frontend);
  };
}

int runWindow(int argc, char** argv, const std::string& document) {
  QApplication qapp(argc, argv);
  // Qt takes the desktop's locale for the C library too; numbers the
  // readers parse and the drawings they write ("12.5") keep the point,
  // not a desktop's decimal comma.
  std::setlocale(LC_NUMERIC, "C");
  // The desktop matches the window with its menu entry (and icon) by this.
  QGuiApplication::setDesktopFileName(QStringLiteral("raredozud"));
  MainWindow form(conversionRun());
  form.show();
  // Once the window shows, so that the lines appear as they come.
  if (!document.empty())
    QTimer::singleShot(0, &form, [&form, document] { form.convertGiven(document); });
  return qapp.exec();
}

}  // namespace app
