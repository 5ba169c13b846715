#pragma once
// The main window: one button that starts a conversion, one status box.
namespace app {

int runWindow(int argc, char** argv);

}  // namespace app
