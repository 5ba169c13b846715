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
  const bool scripts = argc > 0 && std::string(argv[0]) == "--scripts";
  if (scripts) {
    --argc;
    ++argv;
  }
  if (argc != 2) {
    std::fprintf(stderr, "Usage: raredozud zip [--scripts] FOLDER ZIP\n");
    return 2;
  }
  try {
    if (scripts) package::writePackageScripts(argv[0]);
    package::writeZip(argv[0], argv[1]);
    return 0;
  } catch (const support::Error& e) {
    std::fprintf(stderr, "raredozud: %s\n", e.description().c_str());
    return 1;
  }
}

}  // namespace app
