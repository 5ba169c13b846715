// Makes the manual page and the bash completion at build time from the
// program's own table of commands (app/help.cpp), the one place they are
// described:
//   raredozud-docs man VERSION OUT.1
//   raredozud-docs bash TEMPLATE OUT
#include <cstdio>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>

#include "app/help.h"
#include "package/course_settings.h"
#include "support/error.h"
#include "support/files.h"

namespace {

// Text as troff sets it literally: a backslash is `\e`, a minus `\-` (so
// options copy as typed), and a leading dot or quote is not a request.
std::string roff(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '\\')
      out += "\\e";
    else if (c == '-')
      out += "\\-";
    else
      out += c;
  }
  if (!out.empty() && (out[0] == '.' || out[0] == '\'')) out.insert(0, "\\&");
  return out;
}

// What the manual says beyond the commands' own texts.
constexpr std::string_view kDescription =
    "raredozud turns a course author's document (.doc, .docx or plain text), its structure "
    "marked with short marker lines such as %H2=Title, into an e-learning course package: a web "
    "page per page of the course, a quiz per test, the IMS Content Packaging 1.1 manifest, the "
    "course player, and a zip ready to import into a learning management system (LMS). Run "
    "without arguments it opens its window; the commands below work without one.";

constexpr std::pair<std::string_view, std::string_view> kFiles[] = {
    {"lib/raredozud/ of the installation (/usr/lib/raredozud for the Debian package)",
     "the program's folder: the program, its window module, the copy script copysql.sh, the "
     "course player, the schemas, and the course template examples/course-template.docx (and "
     ".doc) to start a course from. bin/raredozud is a link to the program in it."},
    {"NAME/ and NAME.zip beside the document",
     "the package (named after the document) and its zip; the window also writes NAME.lint.txt "
     "there, the warnings about the document."},
    {"log.txt in the current folder",
     "a line for each conversion's start, its document and its "
     "outcome."},
};

constexpr std::string_view kExitStatus =
    "0 when the command did all it was asked to (a conversion: the package is whole); 1 when a "
    "document could not be converted, read or checked, or has warnings (lint, convert --strict); "
    "2 when the command line is wrong. Each command's entry above says more.";

constexpr std::string_view kSeeAlso =
    "The author's guide, with every marker, the quiz syntax and what each warning means: "
    "README.md in share/doc/raredozud/ of the installation (/usr/share/doc/raredozud/README.md "
    "for the Debian package).";

std::string manualPage(const std::string& version) {
  std::string out = ".TH RAREDOZUD 1 \"\" \"raredozud " + version + "\" \"User Commands\"\n";
  out += ".SH NAME\nraredozud \\- " + roff(app::programPurpose()) + "\n.SH SYNOPSIS\n";
  for (const app::CommandHelp& c : app::commands()) {
    out += ".B " + roff(app::synopsis(app::CommandHelp{c.name, "", "", ""})) + "\n";
    if (!c.arguments.empty()) out += roff(c.arguments) + "\n";
    out += ".br\n";
  }
  out += ".SH DESCRIPTION\n" + roff(kDescription) + "\n.SH COMMANDS\n";
  for (const app::CommandHelp& c : app::commands())
    out += ".TP\n.B " + roff(app::synopsis(c)) + "\n" + roff(c.details) + "\n";
  out += ".SH FILES\n";
  for (const auto& [file, what] : kFiles) out += ".TP\n" + roff(file) + "\n" + roff(what) + "\n";
  out += ".SH EXIT STATUS\n" + roff(kExitStatus) + "\n";
  out += ".SH SEE ALSO\n" + roff(kSeeAlso) + "\n";
  return out;
}

// What the shell completes for each placeholder of the table's synopses.
const std::map<std::string_view, std::string_view> kArgumentKinds = {
    {"DOC", "document"},  {"OUT.htm", "page"}, {"FOLDER_OR_ZIP", "package"},
    {"FOLDER", "folder"}, {"FILE", "file"},      {"COMMAND", "command"},
};

// Adds a word to a space-separated list.
void addWord(std::string& list, std::string_view word) {
  if (!list.empty()) list += ' ';
  list += word;
}

// "convert) options='--strict' arguments='document...' ;;" for each command
// that takes arguments; a placeholder of no known kind stops the build.
std::string completionCases() {
  std::string out;
  for (const app::CommandHelp& c : app::commands()) {
    if (c.name.empty() || c.arguments.empty()) continue;
    std::string options, kinds;
    std::string_view rest = c.arguments;
    while (!rest.empty()) {
      const size_t space = rest.find(' ');
      std::string_view word = rest.substr(0, space);
      rest = space == std::string_view::npos ? std::string_view() : rest.substr(space + 1);
      if (word.starts_with('[') && word.ends_with(']')) word = word.substr(1, word.size() - 2);
      const bool repeats = word.ends_with("...");
      if (repeats) word.remove_suffix(3);
      if (word.starts_with("--")) {  // "--pass-mark=N" completes as "--pass-mark="
        const size_t equals = word.find('=');
        if (equals != std::string_view::npos) word = word.substr(0, equals + 1);
        addWord(options, word);
        continue;
      }
      const auto kind = kArgumentKinds.find(word);
      if (kind == kArgumentKinds.end())
        throw std::runtime_error("no completion for " + std::string(word));
      addWord(kinds, kind->second);
      if (repeats) kinds += "...";
    }
    (out += "    ") += c.name;
    out += ") options='" + options + "' arguments='" + kinds + "' ;;\n";
  }
  return out;
}

std::string completionScript(std::string script) {
  std::string names, extensions;
  for (const app::CommandHelp& c : app::commands())
    if (!c.name.empty()) addWord(names, c.name);
  for (std::string_view e : app::documentExtensions())
    addWord(extensions, e);
  const std::pair<std::string, std::string> fills[] = {{"@COMMANDS@", names},
                                                       {"@DOCUMENT_EXTENSIONS@", extensions},
                                                       {"@CASES@\n", completionCases()},
                                                       {"@TARGETS@", package::targetNames(
                                                                         course::kAllTargets, ' ')}};
  for (const auto& [mark, fill] : fills) {
    const size_t at = script.find(mark);
    if (at == std::string::npos) throw std::runtime_error("the template has no " + mark);
    script.replace(at, mark.size(), fill);
  }
  return script;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string what = argc == 4 ? argv[1] : "";
  if (what != "man" && what != "bash") {
    std::fprintf(stderr, "usage: raredozud-docs man VERSION OUT | bash TEMPLATE OUT\n");
    return 2;
  }
  try {
    support::writeFile(argv[3], what == "man" ? manualPage(argv[2])
                                              : completionScript(support::readFile(argv[2])));
    return 0;
  } catch (const support::Error& e) {
    std::fprintf(stderr, "raredozud-docs: %s\n",
                 (e.detail().empty() ? e.description() : e.detail()).c_str());
  } catch (const std::runtime_error& e) {
    std::fprintf(stderr, "raredozud-docs: %s\n", e.what());
  }
  return 1;
}
