#pragma once
// The command line: `raredozud` (window), `convert DOC...`, `text FILE`,
// `check FOLDER_OR_ZIP`, --help, --version; the commands are listed in
// app/help.cpp.
#include <string>

namespace app {

int main(int argc, char** argv);

// Whether the arguments ask for the window (none, or `--window [DOC]`), and
// the document to convert in it at once ("" for none). Anything else is for
// app::main, which reports `--window` misused.
struct WindowRequest {
  bool open = false;
  std::string document;
};
WindowRequest windowRequest(int argc, char** argv);

}  // namespace app
