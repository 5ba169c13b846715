#include "app/cli.h"

#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "app/check_cli.h"
#include "app/convert_cli.h"
#include "word/error.h"
#include "word/read/reader.h"
#include "word/write/writers.h"

namespace app {
namespace {

// From the build, which takes it from the project's one version number.
constexpr const char* kVersion = RAREDOZUD_VERSION;

void usage(std::FILE* to) {
  std::fprintf(
      to,
      "Usage: raredozud                 open the window\n"
      "       raredozud convert DOC...  convert course documents\n"
      "       raredozud text FILE       print a document's text as the converter reads it\n"
      "       raredozud check PACKAGE   report what an LMS would reject in a package folder or "
      "zip\n"
      "       raredozud complete FOLDER the copy step after a conversion: add the course\n"
      "                                 player to a package folder, write FOLDER.zip\n"
      "       raredozud --help | --version\n"
      "A document is a Word document (.doc, .docx), an OpenDocument text (.odt, .fodt)\n"
      "or plain text, told by its content rather than its name.\n");
}

int text(const char* path) {
  try {
    word::Model model = word::read::load(path);
    std::string out = word::write::text(model, word::write::TextEncoding::Utf8);
    std::fwrite(out.data(), 1, out.size(), stdout);
    return 0;
  } catch (const word::Error& e) {
    std::fprintf(stderr, "raredozud: %s: %s\n", path, e.description().c_str());
    return 1;
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    usage(stderr);
    return 2;
  }
  std::string cmd = argv[1];
  if (cmd == "--help" || cmd == "-h") {
    usage(stdout);
    return 0;
  }
  if (cmd == "--version") {
    std::printf("raredozud %s\n", kVersion);
    return 0;
  }
  if (cmd == "text" && argc == 3) return text(argv[2]);
  if (cmd == "convert") return convertCommand(std::vector<std::string>(argv + 2, argv + argc));
  if (cmd == "check") return checkCommand(argc - 2, argv + 2);
  if (cmd == "complete") return completeCommand(argc - 2, argv + 2);
  usage(stderr);
  return 2;
}

}  // namespace app
