#include "app/check_cli.h"

#include <cstdio>
#include <string>

#include "app/help.h"
#include "convert/course_check.h"
#include "package/complete.h"
#include "package/package_check.h"
#include "support/error.h"
#include "support/files.h"
#include "word/read/reader.h"

namespace app {
namespace {

// A word processor's document named where a package belongs: a .docx is a
// zip too, and would be checked as a package without a manifest. A zip
// that cannot be opened is taken for a damaged .docx, so a .zip is none.
bool courseDocument(const std::string& path) {
  if (!support::isFile(path)) return false;
  std::string bytes;
  try {
    bytes = support::readFile(path);
  } catch (const support::Error&) {
    return false;  // the check says why it cannot be read
  }
  using word::read::Format;
  const Format format = word::read::detect(bytes);
  if (format == Format::Docx) return !path.ends_with(".zip");
  return format == Format::Doc || format == Format::Odt || format == Format::Encrypted;
}

}  // namespace

int checkCommand(int argc, char** argv) {
  if (argc != 1) {
    std::fputs(usageLine(*findCommand("check")).c_str(), stderr);
    return 2;
  }
  if (courseDocument(argv[0])) {
    std::fprintf(stderr,
                 "raredozud: %s is a course document, not a package: convert it first "
                 "(raredozud convert), then check the package folder or a zip it writes\n",
                 argv[0]);
    return 1;
  }
  // The schemas are the installation's own copies beside the program.
  const std::string program = support::programFolder();
  package::CheckResult result =
      package::checkPackage(argv[0], program + "/schemas", program + "/player",
                            convert::courseFaults);
  std::string text = package::formatResult(result);
  std::fwrite(text.data(), 1, text.size(), stdout);
  return result.ok() ? 0 : 1;
}

int completeCommand(int argc, char** argv) {
  if (argc != 1) {
    std::fputs(usageLine(*findCommand("complete")).c_str(), stderr);
    return 2;
  }
  try {
    const package::Completed done =
        package::completePackage(support::programFolder(), argv[0], [&] {
          std::fprintf(stderr,
                       "raredozud: another run is writing the package %s: waiting for it to end\n",
                       argv[0]);
        });
    if (!done.leftOut.empty())
      std::fprintf(stderr,
                   "raredozud: %zu %s in %s %s no part of the course, left out of %s "
                   "(raredozud check lists %s)\n",
                   done.leftOut.size(), done.leftOut.size() == 1 ? "file" : "files", argv[0],
                   done.leftOut.size() == 1 ? "is" : "are",
                   // Every zip leaves them out: naming one would hint the others hold them.
                   done.zips.size() == 1 ? done.zips.front().c_str() : "the zips",
                   done.leftOut.size() == 1 ? "it" : "them");
    return 0;
  } catch (const support::Error& e) {
    std::fprintf(stderr, "raredozud: copy step failed: %s\n",
                 (e.detail().empty() ? e.description() : e.detail()).c_str());
    return 1;
  }
}

}  // namespace app
