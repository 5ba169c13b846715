#include "app/check_cli.h"

#include <cstdio>
#include <string>

#include "package/embed.h"
#include "package/package_check.h"
#include "package/zip_writer.h"
#include "support/error.h"
#include "support/files.h"

namespace app {

int checkCommand(int argc, char** argv) {
  if (argc != 1) {
    std::fprintf(stderr, "Usage: raredozud check FOLDER_OR_ZIP\n");
    return 2;
  }
  // The schemas are the installation's own copies beside the program.
  package::CheckResult result =
      package::checkPackage(argv[0], support::programFolder() + "/schemas");
  std::string text = package::formatResult(result);
  std::fwrite(text.data(), 1, text.size(), stdout);
  return result.ok() ? 0 : 1;
}

int zipCommand(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "Usage: raredozud zip FOLDER ZIP\n");
    return 2;
  }
  try {
    package::writeZip(argv[0], argv[1]);
    return 0;
  } catch (const support::Error& e) {
    std::fprintf(stderr, "raredozud: %s\n", e.description().c_str());
    return 1;
  }
}

}  // namespace app

namespace app {

int embedCommand(int argc, char** argv) {
  if (argc < 1) {
    std::fprintf(stderr, "Usage: raredozud embed FILE...\n");
    return 2;
  }
  int status = 0;
  for (int i = 0; i < argc; ++i) {
    try {
      package::writeEmbeddedScript(argv[i]);
    } catch (const support::Error& e) {
      std::fprintf(stderr, "raredozud: %s\n", e.description().c_str());
      status = 1;  // the other files still get their scripts
    }
  }
  return status;
}

}  // namespace app
