// The copy step's reading of a manifest: the title and the files it zips,
// in the encodings and namespace spellings a manifest may use.
#include "package/manifest_names.h"

#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <string>

namespace {

const std::string kCp = "http://www.imsglobal.org/xsd/imscp_v1p1";
const std::string kCp112 = "http://www.imsproject.org/xsd/imscp_rootv1p1p2";

std::string manifest(const std::string& encoding, const std::string& title) {
  return "<?xml version='1.0' encoding='" + encoding + "'?>\n<manifest xmlns='" + kCp +
         "'><metadata><lom><general><title><langstring>" + title +
         "</langstring></title></general></lom></metadata><resources><resource "
         "href='page1.htm'/></resources></manifest>";
}

// ASCII text as UTF-16LE with its byte order mark.
std::string utf16(const std::string& ascii) {
  std::string out = "\xFF\xFE";
  for (char c : ascii) out += std::string{c, '\0'};
  return out;
}

}  // namespace

TEST(ManifestNames, TitleDecodedFromTheDeclaredEncoding) {
  const struct {
    std::string bytes, title;
  } cases[] = {
      // The converter's code page, a character it lacks written as a reference.
      {manifest("windows-1251", "\xCA\xF3\xF0\xF1 &lt;1&gt; &#252;"), "Курс <1> ü"},
      {manifest("KOI8-R", " \xEB\xD5\xD2\xD3 "), "Курс"},  // through iconv
      {manifest("UTF-8", "Курс<![CDATA[ <2>]]>"), "Курс <2>"},
      {utf16(manifest("UTF-16", "T")), "T"},
      // A langstring that says nothing is passed over; blanks between its
      // elements count.
      {"<manifest xmlns='" + kCp +
           "'><metadata><a><langstring/></a><b><langstring>x <c>y</c> <c>z</c></langstring></b>"
           "</metadata></manifest>",
       "x y z"},
  };
  for (const auto& c : cases) {
    const std::optional<package::ManifestNames> names = package::manifestNames(c.bytes);
    ASSERT_TRUE(names) << c.bytes;
    EXPECT_EQ(names->title, c.title) << c.bytes;
  }
}

TEST(ManifestNames, FilesOfThePackagingNamespacesOnlyWithTheirBases) {
  const std::string bytes =
      "<cp:manifest xmlns:cp='" + kCp112 + "' xmlns:o='urn:other'><cp:resources xml:base='a/'>" +
      "<cp:resource href='p%31.htm?x#y' xml:base='b/'><cp:file href='../c.png'/>"
      "<o:file href='other.htm'/><file href='unbound.htm'/></cp:resource>"
      "<resource xmlns='" +
      kCp +
      "' href='d.htm'/><cp:resource href='../../out.htm'/>"
      "<cp:resource o:href='f.htm'/>"
      "<cp:resource xmlns:cp='urn:other' href='rebound.htm'/></cp:resources></cp:manifest>";
  const std::optional<package::ManifestNames> names = package::manifestNames(bytes);
  ASSERT_TRUE(names);
  EXPECT_EQ(names->files, (std::set<std::string>{"a/b/p1.htm", "a/c.png", "a/d.htm"}));
  EXPECT_EQ(names->title, "");
}

TEST(ManifestNames, NoXmlNoNames) {
  for (const std::string& bytes :
       {std::string("<manifest><a></manifest>"), std::string("<!-- no root -->"), std::string(""),
        manifest("no-such-encoding", "x")})
    EXPECT_FALSE(package::manifestNames(bytes)) << bytes;
}
