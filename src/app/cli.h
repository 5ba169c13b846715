#pragma once
// The command line: `raredozud` (window), `convert DOC...`, `text FILE`,
// `check FOLDER_OR_ZIP`, --help, --version.
namespace app {

int main(int argc, char** argv);

}  // namespace app
