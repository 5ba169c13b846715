// Where a run writes: the chosen path cleaned, the output folder derived.
#include <gtest/gtest.h>

#include "convert/driver.h"

using convert::cleanPath;
using convert::outputPaths;

TEST(OutputFolder, BaseNameStopsAtTheFirstDot) {
  EXPECT_EQ(outputPaths("/courses/Module 1.doc").outputFolder, "/courses/Module 1/");
  EXPECT_EQ(outputPaths("/docs/my.course.doc").outputFolder, "/docs/my/");
  EXPECT_EQ(outputPaths("/docs/my.course.doc").documentFolder, "/docs/");
}

TEST(OutputFolder, NoDotGivesTheLsPrefix) {
  EXPECT_EQ(outputPaths("/docs/readme").outputFolder, "/docs/ls_readme/");
}

TEST(OutputFolder, LeadingDotGivesAnEmptyBaseName) {
  EXPECT_EQ(outputPaths("/docs/.hidden.doc").outputFolder, "/docs//");
}

TEST(OutputFolder, PathWithoutFolder) {
  EXPECT_EQ(outputPaths("course.txt").documentFolder, "");
  EXPECT_EQ(outputPaths("course.txt").outputFolder, "course/");
}

TEST(OutputFolder, DotsInFolderNamesDoNotCount) {
  EXPECT_EQ(outputPaths("/a.b/c").outputFolder, "/a.b/ls_c/");
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
