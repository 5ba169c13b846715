#include "app/help.h"

#include <array>

namespace app {
namespace {

constexpr size_t kWidth = 79;
constexpr size_t kSummaryColumn = 33;

constexpr std::array kCommands{
    CommandHelp{"", "", "open the window",
                "Opens the window: press Convert from Word and pick the course document. The "
                "status box shows each line as it comes, then where the package went and, when "
                "there are any, the document's first errors and warnings and how many there are "
                "(all listed in NAME.lint.txt beside it). The copy step (player and zip) runs on "
                "without the window waiting."},
    CommandHelp{"--window", "[DOC]", "open the window and convert DOC in it",
                "Opens the window and converts DOC there at once, as if it had been picked with "
                "Convert from Word; the copy step starts as it does for the button. The desktop's "
                "\"Open with\" runs this. Without DOC, the same as raredozud alone."},
    CommandHelp{"convert",
                "[--strict] [--pass-mark=N] [--attempts=N] [--hide-answers] [--shuffle] "
                "[--targets=LIST] DOC...",
                "convert course documents (warnings and errors on standard error; --strict: a "
                "document with warnings is not converted; --pass-mark: the per cent of all "
                "questions to answer right to pass, 80 by default; --attempts, --hide-answers, "
                "--shuffle: how the tests run; --targets: which LMS packages to zip)",
                "Converts each document in turn; status lines on standard output, the log in "
                "log.txt here, warnings and errors about the documents on standard error after "
                "the status lines (an error: a learner will hit a dead end). The package is "
                "the folder named after the document, beside it, and its zips beside that. With "
                "--strict a document with warnings or errors is not converted. --pass-mark=N (0 "
                "to 100, default 80) is the share of all questions a learner must answer right "
                "to pass, which the SCORM package reports to the LMS. --attempts=N (1 to 99; 0, "
                "the default, for no limit) is how often a test can be checked before it locks "
                "with its best score. --hide-answers: after a check the tests say what was "
                "right and wrong but do not show the correct answers. --shuffle: each learner "
                "sees each question's answers in an order of their own (answers such as \"all "
                "of the above\" keep their place). --targets=LIST: the zips to write beside the "
                "package folder, a comma list of ims (NAME.zip, IMS content package), scorm12 "
                "(NAME.scorm.zip, SCORM 1.2), scorm2004 (NAME.scorm2004.zip, SCORM 2004 4th "
                "Edition) and cmi5 (NAME.cmi5.zip); all four by default. A zip not chosen is not "
                "written, and one an earlier run wrote stays as it was. Exit status 0 when every "
                "conversion succeeded and wrote a course without an error."},
    CommandHelp{"lint", "DOC...", "what will go wrong with a course document, and where",
                "Reads each document as a conversion would and prints, one a line, what will go "
                "wrong: PATH:PARAGRAPH: warning: PAGE: MESSAGE (\"FIRST WORDS\"), \"error:\" "
                "where a learner will hit a dead end. Writes nothing. Exit status 0: nothing to "
                "report; 1: warnings or errors; 2: a document cannot be read."},
    CommandHelp{"text", "FILE", "print a document's text as the converter reads it",
                "Prints the document's text in UTF-8 on standard output, a paragraph a line, as "
                "the converter reads it."},
    CommandHelp{"html", "DOC OUT.htm",
                "the whole document as one page, as the converter writes pages (pictures in "
                "OUT_files/)",
                "Writes the whole document as one page, the way the converter writes a course "
                "page without the rewriting for the course player, its pictures in the folder "
                "OUT_files/ beside it. The page shows the whole document, markers included, not "
                "the course: of a course document, standard error names the text that no page "
                "of the course shows, as lint does. The page's folder must exist; a page that "
                "would replace the document is refused."},
    CommandHelp{"dump", "DOC",
                "print the document's model (paragraphs, runs, tables, pictures, notes) for "
                "developers",
                "Prints the document's model as the readers fill it: paragraphs, runs, tables, "
                "pictures and notes, for developers and bug reports."},
    CommandHelp{"check", "FOLDER_OR_ZIP",
                "report what an LMS would reject in a package folder or zip, and what leaves "
                "learners at a dead end",
                "Checks a package folder or its zip as an LMS would: the manifest against the "
                "schemas in the program's folder, the files it names, the course player; tells "
                "SCORM 1.2, SCORM 2004 and cmi5 packages (cmi5.xml) apart and checks each by its "
                "own rules; lists the files that are no part of the course; and the course "
                "itself: every test's quiz, every reference link, at least one item. Exit status "
                "0 when nothing would be rejected and the course works."},
    CommandHelp{"complete", "FOLDER",
                "the copy step after a conversion: add the course player to a package folder, "
                "write its zips (FOLDER.zip, .scorm.zip, .scorm2004.zip, .cmi5.zip)",
                "The copy step a conversion starts through copysql.sh: copies the course player "
                "and the schemas into the package folder and writes beside it, with the course's "
                "own files, the zips its course.js names: FOLDER.zip (IMS content package), "
                "FOLDER.scorm.zip (SCORM 1.2), FOLDER.scorm2004.zip (SCORM 2004 4th Edition) and "
                "FOLDER.cmi5.zip (cmi5); all four when it names none. Exit status 0 when the "
                "package is whole."},
    CommandHelp{"--help", "[COMMAND]",
                "this text (-h the same); --help COMMAND or COMMAND --help tells more about one "
                "command",
                "Prints the commands with a line on each; --help COMMAND and COMMAND --help print "
                "the command's usage and what it does. -h is the same as --help, alone, before "
                "a command and after it. Any other argument is refused (exit status 2)."},
    CommandHelp{"--version", "", "the version and the libraries it runs with",
                "Prints the version and the versions of the libraries it runs with. It takes no "
                "argument: one given is refused (exit status 2)."},
};

constexpr std::array<std::string_view, 4> kDocumentExtensions{"doc", "docx", "odt", "txt"};

// Characters, not bytes: a UTF-8 continuation byte starts none.
size_t columns(std::string_view s) {
  size_t n = 0;
  for (char c : s) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return n;
}

}  // namespace

std::span<const CommandHelp> commands() {
  return kCommands;
}

const CommandHelp* findCommand(std::string_view name) {
  for (const CommandHelp& c : kCommands)
    if (c.name == name) return &c;
  return nullptr;
}

std::string_view programPurpose() {
  return "turn a marked-up Word document into an e-learning course package";
}

std::span<const std::string_view> documentExtensions() {
  return kDocumentExtensions;
}

std::string synopsis(const CommandHelp& command) {
  std::string s = "raredozud";
  for (std::string_view part : {command.name, command.arguments})
    if (!part.empty()) (s += ' ') += part;
  return s;
}

std::string usageLine(const CommandHelp& command) {
  return "Usage: " + synopsis(command) + "\n";
}

std::string wrapText(std::string_view text, size_t width, size_t indent, size_t first) {
  std::string out;
  size_t column = first;
  bool lineEmpty = true;
  while (!text.empty()) {
    const size_t space = text.find(' ');
    const std::string_view word = text.substr(0, space);
    text = space == std::string_view::npos ? std::string_view() : text.substr(space + 1);
    if (word.empty()) continue;
    if (!lineEmpty && column + 1 + columns(word) > width) {
      out += '\n';
      out.append(indent, ' ');
      column = indent;
      lineEmpty = true;
    }
    if (!lineEmpty) {
      out += ' ';
      ++column;
    }
    out += word;
    column += columns(word);
    lineEmpty = false;
  }
  return out + '\n';
}

std::string programHelp() {
  std::string out;
  for (const CommandHelp& c : kCommands) {
    // A synopsis wider than the line goes on under itself, indented.
    const std::string lead = out.empty() ? "Usage: " : "       ";
    std::string left = lead + wrapText(synopsis(c), kWidth, lead.size() + 4, lead.size());
    left.pop_back();
    const size_t last = columns(std::string_view(left).substr(left.rfind('\n') + 1));
    // Two blanks at least between synopsis and summary, or the summary goes
    // on the next line, in the same column.
    if (last + 2 > kSummaryColumn)
      left += "\n" + std::string(kSummaryColumn, ' ');
    else
      left.append(kSummaryColumn - last, ' ');
    out += left + wrapText(c.summary, kWidth, kSummaryColumn, kSummaryColumn);
  }
  return out + wrapText(
                   "A document is a Word document (.doc, .docx), an OpenDocument text (.odt, "
                   ".fodt) or plain text, told by its content rather than its name. After "
                   "\"--\" every argument is a file, even one that starts with \"-\"; before it, an "
                   "argument that starts with \"-\" is an option, and one the command does not "
                   "take is refused.",
                   kWidth, 0, 0);
}

std::string commandHelp(const CommandHelp& command) {
  return usageLine(command) + wrapText(command.details, kWidth, 0, 0) + "-h, --help: this text.\n";
}

}  // namespace app
