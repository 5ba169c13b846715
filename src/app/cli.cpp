#include "app/cli.h"

#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "app/check_cli.h"
#include "app/convert_cli.h"
#include "app/document_cli.h"
#include "app/help.h"
#include "app/version.h"
#include "word/error.h"
#include "word/read/reader.h"
#include "word/write/writers.h"

namespace app {
namespace {

int text(const char* path) {
  try {
    const word::Model model = word::read::load(path);
    word::write::text(model, word::write::TextEncoding::Utf8, [](std::string_view piece) {
      std::fwrite(piece.data(), 1, piece.size(), stdout);
    });
    if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return 0;
    std::fprintf(stderr, "raredozud: %s: the text could not be written out\n", path);
    return 1;
  } catch (const word::Error& e) {
    std::fprintf(stderr, "raredozud: %s: %s\n", path, e.description().c_str());
    return 1;
  }
}

// `COMMAND --help` (or -h) before any "--".
bool asksForHelp(int argc, char** argv) {
  for (int i = 2; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--") return false;
    if (a == "--help" || a == "-h") return true;
  }
  return false;
}

// The first argument before any "--" that reads as an option: the
// commands that take none refuse it, as convert and lint refuse one they do
// not know, rather than read it as a file ("text --version").
const char* unknownOption(int argc, char** argv) {
  for (int i = 2; i < argc && std::strcmp(argv[i], "--") != 0; ++i)
    if (argv[i][0] == '-' && argv[i][1] != '\0') return argv[i];
  return nullptr;
}

int usageError(const CommandHelp* command) {
  const std::string text = command ? usageLine(*command) : programHelp();
  std::fputs(text.c_str(), stderr);
  return 2;
}

// A document where the command belongs is most likely meant to be
// converted: say so, with the command that does it.
int notACommand(const std::string& word) {
  const std::string::size_type dot = word.rfind('.');
  const bool document = !word.empty() && word[0] != '-' && dot != std::string::npos &&
                        dot + 1 < word.size() && word.find('/', dot) == std::string::npos;
  if (document) {
    // As the shell needs it typed.
    std::string typed = word;
    if (word.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789._/-"
                               "+,:@") != std::string::npos) {
      typed.assign(1, '\'');
      for (char c : word) {
        if (c == '\'')
          typed.append("'\\''");
        else
          typed.push_back(c);
      }
      typed.push_back('\'');
    }
    std::fprintf(stderr,
                 "raredozud: '%s' is a document, not a command; to convert it:\n"
                 "    raredozud convert %s\n",
                 word.c_str(), typed.c_str());
    return 2;
  }
  if (!word.empty())
    std::fprintf(stderr, "raredozud: '%s' is no command or option of raredozud\n", word.c_str());
  return usageError(nullptr);
}

}  // namespace

WindowRequest windowRequest(int argc, char** argv) {
  if (argc == 1) return {true, ""};
  // "--" ends the options, as for the commands: a document's name after it
  // may start with "-".
  const bool ended = argc == 4 && std::strcmp(argv[2], "--") == 0;
  if (std::strcmp(argv[1], "--window") != 0 || (argc > 3 && !ended)) return {};
  // An option after it (--help, a mistyped one) is the command line's to answer.
  if (argc == 3 && argv[2][0] == '-') return {};
  return {true, ended ? argv[3] : argc == 3 ? argv[2] : ""};
}

int main(int argc, char** argv) {
  if (argc < 2) return usageError(nullptr);
  const std::string cmd = argv[1];
  // An argument these do not take is refused, not passed over: "--help
  // COMMAND" gives the command's help, as "COMMAND --help" does.
  if (cmd == "--help" || cmd == "-h") {
    const CommandHelp* about = argc == 3 ? findCommand(argv[2]) : nullptr;
    if (argc > 2 && (!about || about->name.empty())) return usageError(findCommand("--help"));
    std::fputs((about ? commandHelp(*about) : programHelp()).c_str(), stdout);
    return 0;
  }
  if (cmd == "--version") {
    if (argc > 2) return usageError(findCommand(cmd));
    std::fputs(versionText().c_str(), stdout);
    return 0;
  }
  const CommandHelp* command = cmd.empty() ? nullptr : findCommand(cmd);
  if (!command) return notACommand(cmd);
  if (asksForHelp(argc, argv)) {
    std::fputs(commandHelp(*command).c_str(), stdout);
    return 0;
  }
  if (cmd == "convert") return convertCommand(std::vector<std::string>(argv + 2, argv + argc));
  if (cmd == "lint") return lintCommand(std::vector<std::string>(argv + 2, argv + argc));
  if (const char* option = cmd[0] == '-' ? nullptr : unknownOption(argc, argv)) {
    std::fprintf(stderr, "raredozud %s: unknown option %s\n", cmd.c_str(), option);
    return 2;
  }
  // The others take no option: a "--" before their files ends the options
  // all the same, as convert and lint read it.
  const int skip = argc > 2 && std::strcmp(argv[2], "--") == 0 ? 3 : 2;
  const int count = argc - skip;
  char** operands = argv + skip;
  if (cmd == "text" && count == 1) return text(operands[0]);
  if (cmd == "html") return htmlCommand(count, operands);
  if (cmd == "dump") return dumpCommand(count, operands);
  if (cmd == "check") return checkCommand(count, operands);
  if (cmd == "complete") return completeCommand(count, operands);
  // text with other than one file, --window with more than one document or
  // an option, --help and --version with arguments.
  return usageError(command);
}

}  // namespace app
