// What the program says about itself: --help and each command's help and
// usage line from the one table, --version against the libraries the build
// found, and which arguments open the window.
#include <gtest/gtest.h>

#include <regex>

#include "../common/fixtures.h"
#include "../common/program.h"
#include "app/cli.h"
#include "app/help.h"

using namespace testing_support;

namespace {

std::string dir(const ScratchFolder& f) {
  return f.path().substr(0, f.path().size() - 1);
}

TEST(Help, EveryCommandAnswersHelpAndMisuseFromTheTable) {
  ScratchFolder work;
  const std::string help = runProgram(dir(work), {"--help"}).out;
  // A long synopsis goes on, indented, on the next line.
  const std::string joined = std::regex_replace(help, std::regex("\n {11}"), " ");
  // -h answers as --help does, and each help says so.
  const std::regex shortHelp("(^|[^-])-h\\b");
  EXPECT_TRUE(std::regex_search(help, shortHelp)) << help;
  EXPECT_EQ(runProgram(dir(work), {"-h"}).out, help);
  for (const app::CommandHelp& c : app::commands()) {
    EXPECT_NE(joined.find(app::synopsis(c)), std::string::npos) << c.name;
    if (c.name.empty() || c.name == "--help" || c.name == "--version") continue;
    const std::string name(c.name);
    ProgramResult r = runProgram(dir(work), {name, "--help"});
    EXPECT_EQ(r.exit, 0) << name;
    EXPECT_EQ(r.out, app::commandHelp(c));
    EXPECT_TRUE(r.out.starts_with("Usage: " + app::synopsis(c) + "\n")) << r.out;
    EXPECT_TRUE(std::regex_search(r.out, shortHelp)) << r.out;
    EXPECT_EQ(runProgram(dir(work), {name, "-h"}).out, r.out) << name;
    EXPECT_EQ(runProgram(dir(work), {"--help", name}).out, r.out) << name;
    if (name[0] == '-') continue;
    // An option a command does not take is refused, not read as a file.
    r = runProgram(dir(work), {name, "--version", "x"});
    EXPECT_EQ(r.exit, 2) << name;
    EXPECT_EQ(r.err, "raredozud " + name + ": unknown option --version\n");
  }
  // Misuse says the command's usage on standard error and writes nothing;
  // --version and --help take no argument but a command's name after --help.
  const std::vector<std::string> misuses[] = {{"text"},
                                              {"check", "a", "b"},
                                              {"complete"},
                                              {"--window", "a.doc", "b.doc"},
                                              {"--window", "--strict"},
                                              {"lint"},
                                              {"convert", "--strict"},
                                              {"--version", "x"},
                                              {"--help", "x"}};
  for (const auto& args : misuses) {
    ProgramResult r = runProgram(dir(work), args);
    EXPECT_EQ(r.exit, 2) << args[0];
    EXPECT_EQ(r.err, app::usageLine(*app::findCommand(args[0])));
  }
  EXPECT_EQ(listFiles(work.path()), std::vector<std::string>{});
}

TEST(Help, TextWrapsAtTheWidthCountingCharactersNotBytes) {
  EXPECT_EQ(app::wrapText("aaa bbb  ccc", 7, 2, 0), "aaa bbb\n  ccc\n");
  EXPECT_EQ(app::wrapText("ааа ббб ввв", 7, 0, 0), "ааа ббб\nввв\n");
  // A word longer than the line stands alone on it.
  EXPECT_EQ(app::wrapText("x averyverylongword y", 6, 1, 3), "x\n averyverylongword\n y\n");
  // Every line of --help (plain ASCII) fits 79 columns.
  const std::string help = app::programHelp();
  for (size_t start = 0, end; (end = help.find('\n', start)) != std::string::npos; start = end + 1)
    EXPECT_LE(end - start, 79u) << help.substr(start, end - start);
}

TEST(Version, NamesTheProjectVersionAndTheLibrariesFound) {
  ScratchFolder work;
  ProgramResult r = runProgram(dir(work), {"--version"});
  EXPECT_EQ(r.exit, 0);
  EXPECT_TRUE(r.out.starts_with("raredozud " RD_PROJECT_VERSION "\n")) << r.out;
  // The versions pkg-config gave the build are those the program runs with.
  const std::string lines[] = {"libgsf " RD_GSF_VERSION "\n", "pugixml " RD_PUGIXML_VERSION " ",
                               "libxml2 " RD_LIBXML2_VERSION "\n", "ICU " RD_ICU_VERSION "\n",
                               "zlib " RD_ZLIB_VERSION "\n"};
  for (const std::string& line : lines)
    EXPECT_NE(r.out.find("\n" + line), std::string::npos) << r.out;
}

TEST(WindowRequest, NoArgumentsOrWindowWithOneDocumentOpenIt) {
  struct Case {
    std::vector<std::string> args;
    bool open;
    std::string document;
  } cases[] = {
      {{}, true, ""},
      {{"--window"}, true, ""},
      {{"--window", "/home/me/Курс.docx"}, true, "/home/me/Курс.docx"},
      {{"--window", "--help"}, false, ""},
      {{"--window", "--", "-a.doc"}, true, "-a.doc"},
      {{"--window", "a.doc", "b.doc"}, false, ""},
      {{"a.doc"}, false, ""},
      {{"convert", "a.doc"}, false, ""},
  };
  for (Case& c : cases) {
    std::vector<char*> argv{const_cast<char*>("raredozud")};
    for (std::string& a : c.args) argv.push_back(a.data());
    const app::WindowRequest r = app::windowRequest(static_cast<int>(argv.size()), argv.data());
    EXPECT_EQ(r.open, c.open) << c.args.size();
    EXPECT_EQ(r.document, c.document);
  }
}

}  // namespace
