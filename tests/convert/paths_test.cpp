// Where a run writes: the chosen path cleaned, the output folder derived.
#include <gtest/gtest.h>

#include "convert/driver.h"

using convert::cleanPath;
using convert::outputPaths;

// The base name stops at the first dot of the file name (dots in folder
// names do not count); a name without a dot gets the "ls_" prefix.
TEST(OutputFolder, DerivedFromTheFileNameUpToItsFirstDot) {
  struct Case {
    std::string path, documentFolder, outputFolder;
  };
  const Case cases[] = {
      {"/courses/Module 1.doc", "/courses/", "/courses/Module 1/"},
      {"/docs/my.course.doc", "/docs/", "/docs/my/"},
      {"/docs/readme", "/docs/", "/docs/ls_readme/"},
      {"/docs/.hidden.doc", "/docs/", "/docs//"},  // an empty base name
      {"course.txt", "", "course/"},
      {"/a.b/c", "/a.b/", "/a.b/ls_c/"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(outputPaths(c.path).documentFolder, c.documentFolder);
    EXPECT_EQ(outputPaths(c.path).outputFolder, c.outputFolder);
  }
}

TEST(CleanPath, BlanksNulAndLineBreaksAreRemoved) {
  EXPECT_EQ(cleanPath("  /a/b.doc  "), "/a/b.doc");
  EXPECT_EQ(cleanPath(std::string("/a/b.doc\0junk", 13)), "/a/b.doc");
  EXPECT_EQ(cleanPath("/a/\r\nb\n.doc\r"), "/a/b.doc");
}

TEST(HomeFolder, EndsInASlash) {
  const std::string home = convert::homeFolder();
  ASSERT_FALSE(home.empty());
  EXPECT_EQ(home.back(), '/');
}
