#include <QApplication>
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

int runWindow(int argc, char** argv) {
  QApplication qapp(argc, argv);
  MainWindow form(conversionRun());
  form.show();
  return qapp.exec();
}

}  // namespace app
