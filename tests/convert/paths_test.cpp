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

// Such a path is refused: dropping the character would name another file.
TEST(ControlCharacters, APathHoldingOneIsRefusedAndShownEscaped) {
  struct Case {
    std::string path;
    const char* shown;  // as the refusal shows the path; "" when it is taken
  };
  const Case cases[] = {
      {"/a/new\nline.txt", "/a/new\\nline.txt"},
      {"/a/b.txt\r", "/a/b.txt\\r"},
      {"/a/\tb.txt", "/a/\\tb.txt"},
      {"/a/b\x01\x7f.txt", "/a/b\\x01\\x7f.txt"},
      {"/a/b\xc2\x85.txt", "/a/b\\x85.txt"},  // NEL, a C1 control in UTF-8
      {std::string("/a/b.doc\0\n", 10), ""},  // cut at the NUL, as the path is
      {"  /a/Модуль 1.doc  ", ""},
      {"/a/b\xc2\xa0.txt", ""},  // a no-break space is no control
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    const std::string why = convert::controlCharacterProblem(c.path);
    if (*c.shown == '\0') {
      EXPECT_EQ(why, "");
    } else {
      EXPECT_NE(why.find(std::string("path \"") + c.shown + "\" holds a control character"),
                std::string::npos)
          << why;
    }
  }
}

TEST(HomeFolder, EndsInASlash) {
  const std::string home = convert::homeFolder();
  ASSERT_FALSE(home.empty());
  EXPECT_EQ(home.back(), '/');
}
