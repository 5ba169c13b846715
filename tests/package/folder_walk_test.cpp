// The copy step's walks over a package folder: the files that are no part
// of the course, and the temporaries a killed run left behind.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "../common/fixtures.h"
#include "package/contents.h"
#include "support/files.h"

using namespace testing_support;
namespace fs = std::filesystem;

TEST(FolderWalk, LeftoversAndStaleTemporariesAreFoundInSubfolders) {
  // The check lists leftovers and the converter removes temporaries, each in
  // a walk of its own; the copy step does both in one.
  for (const bool oneWalk : {false, true}) {
    SCOPED_TRACE(oneWalk ? "one walk" : "two walks");
    ScratchFolder dir;
    const std::string dead = ".rdtmp.2147483647.1";  // no process has that number
    const std::string live = ".rdtmp." + std::to_string(::getpid()) + ".1";
    for (const std::string& f : std::vector<std::string>{
             "a.htm", "notes.txt", "page1_files/p.png", "page1_files/old.png", "sub/deeper/x.txt",
             dead, live, "page1_files/" + dead, "sub/deeper/" + dead}) {
      fs::create_directories(fs::path(dir / f).parent_path());
      writeBytes(dir / f, "x");
    }
    fs::create_directory_symlink(dir / "sub", dir / "linked");

    // A link is listed, not entered; temporaries are no leftovers.
    const std::vector<std::string> course = {"a.htm", "page1_files/p.png"};
    EXPECT_EQ(oneWalk ? package::leftoversRemovingStale(dir.path(), course)
                      : package::leftovers(dir.path(), course),
              (std::vector<std::string>{"linked", "notes.txt", "page1_files/old.png",
                                        "sub/deeper/x.txt"}));

    // A running process's temporary stays, and so does one two folders down.
    if (!oneWalk) {
      EXPECT_TRUE(fs::exists(dir / dead));
      support::removeStaleTemporaries(dir.path(), true);
    }
    EXPECT_FALSE(fs::exists(dir / dead));
    EXPECT_FALSE(fs::exists(dir / ("page1_files/" + dead)));
    EXPECT_TRUE(fs::exists(dir / live));
    EXPECT_TRUE(fs::exists(dir / ("sub/deeper/" + dead)));
    EXPECT_TRUE(fs::exists(dir / "notes.txt"));
  }
}
