#pragma once
// What the program says about its commands, kept in one table: `--help`,
// each command's own help and usage line, the manual page and the shell's
// completion are all made from it (the last two at build time, by
// tools/raredozud_docs.cpp), so they cannot drift apart.
#include <span>
#include <string>
#include <string_view>

namespace app {

struct CommandHelp {
  std::string_view name;       // as typed: "convert", "--window"; "" for the program alone
  std::string_view arguments;  // "[--strict] DOC...": options in brackets, then placeholders
  std::string_view summary;    // the line in --help
  std::string_view details;    // the command's own --help and its manual page entry
};

std::span<const CommandHelp> commands();
const CommandHelp* findCommand(std::string_view name);

// What the program does, in one sentence (the manual page's name line).
std::string_view programPurpose();

// The extensions of the documents the commands read, for the shell's
// completion (the readers tell formats by their content, not their names).
std::span<const std::string_view> documentExtensions();

// "raredozud convert [--strict] DOC..."
std::string synopsis(const CommandHelp& command);
// "Usage: " and the synopsis, with a line end.
std::string usageLine(const CommandHelp& command);
// `raredozud --help`: every command with its summary.
std::string programHelp();
// `raredozud COMMAND --help`: the usage line and the details.
std::string commandHelp(const CommandHelp& command);

// `text` broken into lines of at most `width` characters (UTF-8 counted as
// characters), each but the first starting with `indent` blanks; the first
// starts at column `first`. Ends with a line end.
std::string wrapText(std::string_view text, size_t width, size_t indent, size_t first);

}  // namespace app
