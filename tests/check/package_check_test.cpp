// The copy script, the package zip and the package check: good packages (folder
// and zip) pass, and each way a package can be broken is reported by cause.
#include "package/package_check.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "../common/zip.h"
#include "fixture.h"
#include "package/zip_writer.h"
#include "support/error.h"
#include "support/strings.h"

namespace {
using namespace check_fixture;

TEST_F(PackageTest, CopyScriptCompletesThePackageAndZipsItBeside) {
  fs::path out = converted();
  fs::remove(out / "course.js");  // made by hand without course settings
  EXPECT_EQ(copyScript(out), 0);
  for (const char* f : {"index.htm", "player/player.js", "player/player.css", "player/tester.htm",
                        "imscp_v1p1p3.xsd", "imsmd_v1p2p2.xsd", "ims_xml.xsd", "pvomanifest.htm.js",
                        "testdata1.htm.js", "testdata2.htm.js"})
    EXPECT_TRUE(fs::is_regular_file(out / f)) << f;
  // The scripts carry the file's bytes for a course opened from disk.
  std::string js = read(out / "testdata2.htm.js");
  EXPECT_EQ(js.rfind("window.rdEmbedded = window.rdEmbedded || {};\n"
                     "window.rdEmbedded[\"testdata2.htm\"] = \"",
                     0),
            0u)
      << js;
  // Only the files a page reads get scripts.
  for (const char* f : {"page2.htm.js", "header.htm.js", "test1.htm.js", "imsmanifest.xml.js"})
    EXPECT_FALSE(fs::exists(out / f)) << f;
  EXPECT_EQ(read(out / "index.htm"), read(kProgramDir + "/player/index.htm"));

  // Nothing but the folder and its four zips beside it.
  std::set<std::string> beside;
  for (const auto& e : fs::directory_iterator(parent_)) beside.insert(e.path().filename().string());
  EXPECT_EQ(beside,
            (std::set<std::string>{"курс по SQL", "курс по SQL.zip", "курс по SQL.scorm.zip",
                                   "курс по SQL.scorm2004.zip", "курс по SQL.cmi5.zip"}));
  // A package made without course settings gets the defaults.
  EXPECT_NE(read(out / "course.js").find("\"passMark\": 80,\n  \"hideAnswers\": false,"),
            std::string::npos);

  std::vector<std::string> entries = zipEntries(parent_ / "курс по SQL.zip", out);
  ASSERT_FALSE(entries.empty());
  EXPECT_EQ(entries.front(), "imsmanifest.xml");
  EXPECT_EQ(std::set<std::string>(entries.begin(), entries.end()), filesUnder(out));
}

TEST_F(PackageTest, GoodPackagePassesAsFolderAndAsZipWithOneNote) {
  fs::path out = packaged();
  for (const fs::path& p : {out, fs::path(out.string() + ".zip")}) {
    CheckResult r = checkPackage(p.string(), kSchemas);
    EXPECT_TRUE(r.ok()) << p << "\n" << faults(r);
    std::vector<std::string> n = notes(r);
    ASSERT_EQ(n.size(), 1u) << p;
    EXPECT_NE(n[0].find("not listed by any resource"), std::string::npos) << n[0];
    EXPECT_NE(n[0].find("index.htm"), std::string::npos) << n[0];
    EXPECT_NE(n[0].find("page2_files/image001.png"), std::string::npos) << n[0];
    EXPECT_EQ(n[0].find("imsmanifest.xml"), std::string::npos) << n[0];
    EXPECT_EQ(n[0].find(".xsd"), std::string::npos) << n[0];
  }
}

TEST_F(PackageTest, OnlyListedFilesGiveNoNote) {
  fs::path out = converted();
  for (const char* f :
       {"header.htm", "pvomanifest.htm", "testdata1.htm", "testdata2.htm", "course.js"})
    fs::remove(out / f);
  fs::remove_all(out / "page2_files");
  CheckResult r = checkPackage(out.string(), kSchemas);
  EXPECT_TRUE(r.ok()) << faults(r);
  EXPECT_TRUE(r.findings.empty());
}

TEST_F(PackageTest, CopyScriptRunTwiceAndThroughLinksStaysInside) {
  fs::path out = converted();
  fs::path outside = root_ / "outside";
  fs::create_directories(outside);
  write(outside / "player.js", "keep");
  // A link where the player folder goes must not carry the copy outside.
  fs::create_directory_symlink(outside, out / "player");
  ASSERT_EQ(copyScript(out), 0);
  EXPECT_EQ(read(outside / "player.js"), "keep");
  EXPECT_FALSE(fs::is_symlink(out / "player"));
  ASSERT_EQ(copyScript(out), 0);
  EXPECT_TRUE(checkPackage(out.string() + ".zip", kSchemas).ok());
  EXPECT_EQ(filesUnder(outside), std::set<std::string>{"player.js"});
}

// A manifest naming files through a folder linked elsewhere, or names a NUL
// would cut short, leaves everything outside the folder and its pages as
// they were, and no zip takes a file from outside.
TEST_F(PackageTest, ATamperedFolderKeepsTheCopyStepInsideIt) {
  const char* tampers[] = {"<file href='pics/secret.txt'/>", "<file href='pics/note.htm.js'/>",
                           "<file href='page3.htm%00.htm.js'/>",
                           "<file href='pics/secret.txt%00.htm.js'/>"};
  int n = 0;
  for (const char* tamper : tampers) {
    SCOPED_TRACE(tamper);
    const fs::path outside = root_ / ("outside " + std::to_string(++n));
    fs::create_directories(outside);
    write(outside / "secret.txt", "secret");
    write(outside / "note.htm", "<p>note</p>");
    const fs::path out = converted("tampered " + std::to_string(n));
    const std::string page3 = read(out / "page3.htm");
    fs::create_directory_symlink(outside, out / "pics");
    replaceIn(out / "imsmanifest.xml", "<file href='page3.htm'/>",
              std::string("<file href='page3.htm'/>") + tamper);
    copyScript(out);  // it may refuse the folder; what it must never do follows
    EXPECT_EQ(filesUnder(outside), (std::set<std::string>{"note.htm", "secret.txt"}));
    EXPECT_EQ(read(out / "page3.htm"), page3);
    if (fs::exists(out.string() + ".zip")) {
      for (const std::string& e : zipEntries(out.string() + ".zip"))
        EXPECT_FALSE(e.starts_with("pics/")) << e;
    }
  }
}

TEST_F(PackageTest, CopyScriptRefusesAMissingFolderOrOneWithoutManifestAndChangesNothing) {
  EXPECT_NE(copyScript(parent_ / "no such course"), 0);
  EXPECT_TRUE(fs::is_empty(parent_));
  EXPECT_NE(run("sh " + quote(kProgramDir + "/copysql.sh") + " only-one 2>/dev/null"), 0);
  const fs::path site = parent_ / "site";
  fs::create_directories(site / "player");
  write(site / "index.htm", "mine");
  write(site / "player" / "player.js", "mine too");
  EXPECT_NE(copyScript(site), 0);
  EXPECT_EQ(filesUnder(site), (std::set<std::string>{"index.htm", "player/player.js"}));
  EXPECT_EQ(read(site / "index.htm"), "mine");
}

const std::vector<Breakage>& breakages() {
  static const std::vector<Breakage> list = {
      {"no manifest", [](const fs::path& p) { fs::remove(p / "imsmanifest.xml"); },
       "imsmanifest.xml is missing"},
      {"not well-formed",
       [](const fs::path& p) { replaceIn(p / "imsmanifest.xml", "</manifest>", "</manifes>"); },
       "imsmanifest.xml is not well-formed: line 62"},
      {"raw ampersand in the title",
       [](const fs::path& p) { replaceIn(p / "imsmanifest.xml", "&amp; SQL", "& SQL"); },
       "imsmanifest.xml is not well-formed: line 9"},
      {"entity in the title",
       [](const fs::path& p) {
         replaceIn(p / "imsmanifest.xml", "<manifest ", "<!DOCTYPE m [<!ENTITY e 'x'>]><manifest ");
         replaceIn(p / "imsmanifest.xml", "&amp; SQL", "&e; SQL");
       },
       "imsmanifest.xml declares a document type (<!DOCTYPE>)"},
      {"unknown element",
       [](const fs::path& p) {
         replaceIn(p / "imsmanifest.xml", "<schemaversion>1.1</schemaversion>",
                   "<schemaversion>1.1</schemaversion><version/>");
       },
       "imsmanifest.xml is not valid against the schemas: line 5"},
      {"file element inside an organization",
       [](const fs::path& p) {
         replaceIn(p / "imsmanifest.xml", "<organization identifier='ORG1'>",
                   "<organization identifier='ORG1'><file href='x'/>");
       },
       "not valid against the schemas"},
      {"duplicate identifier",
       [](const fs::path& p) {
         replaceIn(p / "imsmanifest.xml", "identifier='ITEM103'", "identifier='ITEM102'");
       },
       "duplicate identifier 'ITEM102' (lines 18, 21)"},
      {"duplicate resource identifier",
       [](const fs::path& p) {
         replaceIn(p / "imsmanifest.xml", "identifier='RESOURCE3' ", "identifier='RESOURCE2' ");
       },
       "duplicate identifier 'RESOURCE2'"},
      {"unresolved identifierref",
       [](const fs::path& p) {
         replaceIn(p / "imsmanifest.xml", "identifierref='RESOURCE3'",
                   "identifierref='RESOURCE33'");
       },
       "item 'ITEM103' (line 21): identifierref 'RESOURCE33' names no resource"},
      {"unresolved organizations default",
       [](const fs::path& p) {
         replaceIn(p / "imsmanifest.xml", "default='ORG1'", "default='ORG9'");
       },
       "organizations default 'ORG9' (line 14) names no organization"},
      {"missing test page", [](const fs::path& p) { fs::remove(p / "test2.htm"); },
       "resource 'RESOURCE8' (line 55) names test2.htm, which the package lacks"},
      {"missing page named by a file element only",
       [](const fs::path& p) {
         replaceIn(p / "imsmanifest.xml", "<file href='page3.htm'/>",
                   "<file href='page3.htm'/><file href='pics/a%20b.png'/>");
       },
       "names pics/a b.png, which the package lacks"},
      {"file outside the package",
       [](const fs::path& p) {
         replaceIn(p / "imsmanifest.xml", "<file href='page7.htm'/>",
                   "<file href='../page7.htm'/>");
       },
       "names '../page7.htm', which lies outside the package"},
      {"script by the resource's base",
       [](const fs::path& p) {
         replaceIn(p / "imsmanifest.xml", "identifier='RESOURCE3' ",
                   "identifier='RESOURCE3' xml:base='javascript:' ");
       },
       "an address that runs script"},
      {"name a NUL would cut short",
       [](const fs::path& p) {
         replaceIn(p / "imsmanifest.xml", "<file href='page7.htm'/>",
                   "<file href='page7.htm'/><file href='page3.htm%00.js'/>");
       },
       "names 'page3.htm%00.js', a name no file of a package can have"},
      {"script for a file",
       [](const fs::path& p) {
         replaceIn(p / "imsmanifest.xml", "<file href='page7.htm'/>",
                   "<file href='page7.htm'/><file href='data:text/html,x'/>");
       },
       "names 'data:text/html,x', an address that runs script, not content"},
      {"a machine's own file by the resource's base",
       [](const fs::path& p) {
         replaceIn(p / "imsmanifest.xml", "identifier='RESOURCE3' ",
                   "identifier='RESOURCE3' xml:base='file:///etc/' ");
       },
       "names 'page3.htm': a resource is a file of the package or a web address"},
      {"a drive's file",
       [](const fs::path& p) {
         replaceIn(p / "imsmanifest.xml", "<file href='page7.htm'/>", "<file href='C:/page7.htm'/>");
       },
       "names 'C:/page7.htm': a resource is a file of the package or a web address"},
  };
  return list;
}

// A document type's entities are not grown in the checks after it: a
// thousand references to a 100 KB entity in each of two attributes.
TEST_F(PackageTest, ADocumentTypeEndsTheChecksBeforeItsEntitiesGrow) {
  const fs::path out = converted();
  std::string refs;
  for (int i = 0; i < 1000; ++i) refs += "&c;";
  replaceIn(out / "imsmanifest.xml", "<manifest ",
            "<!DOCTYPE m [<!ENTITY a 'aaaaaaaaaa'><!ENTITY b '&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;'>"
            "<!ENTITY c '&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;'>]><manifest ");
  for (const char* ref : {"identifierref='RESOURCE2'", "identifierref='RESOURCE3'"})
    replaceIn(out / "imsmanifest.xml", ref, "identifierref='" + refs + "'");
  const std::string found = faults(checkPackage(out.string(), kSchemas));
  EXPECT_NE(found.find("declares a document type"), std::string::npos);
  EXPECT_LT(found.size(), 1000u) << found.substr(0, 1000);
}

TEST_F(PackageTest, EachBreakageIsReportedByItsCauseInFolderAndZip) {
  int n = 0;
  for (const Breakage& b : breakages()) {
    SCOPED_TRACE(b.name);
    fs::path out = converted("broken " + std::to_string(++n));
    b.apply(out);
    fs::path zip = out.string() + ".zip";
    zipAll(out, zip);
    for (const fs::path& p : {out, zip}) {
      CheckResult r = checkPackage(p.string(), kSchemas);
      EXPECT_FALSE(r.ok()) << p;
      EXPECT_NE(faults(r).find(b.cause), std::string::npos) << p << "\n" << faults(r);
    }
  }
}

// The <file href> values of a manifest, in order.
std::vector<std::string> fileHrefs(const std::string& manifest) {
  std::vector<std::string> out;
  const std::string lead = "<file href=\"";
  for (size_t at = manifest.find(lead); at != std::string::npos; at = manifest.find(lead, at + 1)) {
    const size_t b = at + lead.size();
    out.push_back(manifest.substr(b, manifest.find('"', b) - b));
  }
  return out;
}

TEST_F(PackageTest, TheScormZipLaunchesThePlayerAsOneScoWithEveryFileListed) {
  fs::path out = converted();
  write(out / "course.js", "window.rdCourse = {\n  \"passMark\": 65\n};\n");
  ASSERT_EQ(copyScript(out), 0);
  const fs::path zip = out.string() + ".scorm.zip";
  std::vector<std::string> entries = zipEntries(zip);
  ASSERT_FALSE(entries.empty());
  EXPECT_EQ(entries.front(), "imsmanifest.xml");

  // The IMS package's files, its manifest and schemas swapped for SCORM's;
  // the folder keeps the IMS manifest.
  std::set<std::string> want = filesUnder(out);
  for (const char* f : {"imscp_v1p1p3.xsd", "imsmd_v1p2p2.xsd"}) want.erase(f);
  want.insert({"imscp_rootv1p1p2.xsd", "adlcp_rootv1p2.xsd"});
  EXPECT_EQ(std::set<std::string>(entries.begin(), entries.end()), want);
  EXPECT_EQ(read(out / "imsmanifest.xml"), read(kFixture / "imsmanifest.xml"));
  for (const char* schema : {"imscp_rootv1p1p2.xsd", "adlcp_rootv1p2.xsd"})
    EXPECT_EQ(testing_support::zipEntry(zip, schema), read(kSchemas + "/" + schema)) << schema;

  const std::string manifest = testing_support::zipEntry(zip, "imsmanifest.xml");
  std::set<std::string> content = want;
  for (auto it = content.begin(); it != content.end();)
    it = it->ends_with(".xsd") || *it == "imsmanifest.xml" ? content.erase(it) : std::next(it);
  std::vector<std::string> listed = fileHrefs(manifest);
  EXPECT_EQ(std::set<std::string>(listed.begin(), listed.end()), content);
  EXPECT_EQ(listed.size(), content.size());
  EXPECT_NE(manifest.find("<adlcp:masteryscore>65</adlcp:masteryscore>"), std::string::npos);
  EXPECT_NE(manifest.find("<title>Безопасность &lt;данных&gt; &amp; SQL</title>"),
            std::string::npos)
      << manifest;

  CheckResult r = checkPackage(zip.string(), kSchemas);
  EXPECT_TRUE(r.ok()) << faults(r);
  EXPECT_EQ(notes(r), std::vector<std::string>{
                          "SCORM 1.2 package: item 'ITEM1' launches index.htm as a SCO"});
}

TEST_F(PackageTest, CourseSettingsThatGiveNoPassMarkOrDoNotRunFailTheCopyStep) {
  for (const char* settings : {"window.rdCourse = {\n  \"passMark\": 101\n};\n",
                               "window.rdCourse = {\n  \"passMark\": 60\n};\n{\"page\": \"x\"}\n",
                               "window.rdCourse = {\n  \"passMark\": -5\n};\n",
                               "window.rdCourse = {\n  \"lang\": \"ru\"\n};\n",
                               // a browser ends the comment at the carriage return
                               "// note\rdocument.title = 'ran'\nwindow.rdCourse = {\n  "
                               "\"passMark\": 60\n};\n",
                               ""}) {
    SCOPED_TRACE(settings);
    fs::path out = converted("bad settings");
    write(out / "course.js", settings);
    EXPECT_EQ(copyScript(out), 1);
    EXPECT_FALSE(fs::exists(out.string() + ".zip"));
    EXPECT_FALSE(fs::exists(out.string() + ".scorm.zip"));
    EXPECT_EQ(read(out / "course.js"), settings);
    fs::remove_all(out);
  }
}

// The SCORM package unpacked into a folder, as an LMS would.
fs::path unpackScorm(const fs::path& out, const fs::path& to) {
  fs::copy(out, to, fs::copy_options::recursive);
  const fs::path zip = out.string() + ".scorm.zip";
  for (const char* f : {"imscp_v1p1p3.xsd", "imsmd_v1p2p2.xsd"}) fs::remove(to / f);
  for (const char* f : {"imsmanifest.xml", "imscp_rootv1p1p2.xsd", "adlcp_rootv1p2.xsd"})
    write(to / f, testing_support::zipEntry(zip, f));
  return to;
}

TEST_F(PackageTest, EachBreakageOfAScormPackageIsReportedByItsCause) {
  const fs::path out = packaged();
  const auto manifestEdit = [](const std::string& from, const std::string& to) {
    return [from, to](const fs::path& p) { replaceIn(p / "imsmanifest.xml", from, to); };
  };
  const std::vector<Breakage> list = {
      {"missing page", [](const fs::path& p) { fs::remove(p / "page3.htm"); },
       "resource 'SCO1' (line 28) names page3.htm, which the package lacks"},
      {"missing launch file", manifestEdit("href=\"index.htm\">", "href=\"start.htm\">"),
       "item 'ITEM1' launches resource 'SCO1' (line 21): its launch file start.htm is missing"},
      {"launch file no web page", manifestEdit("href=\"index.htm\">", "href=\"course.js\">"),
       "its launch file course.js is no web page"},
      {"no launch file", manifestEdit(" href=\"index.htm\">", ">"),
       "launches resource 'SCO1' (line 21), which has no href"},
      {"no SCO", manifestEdit(" adlcp:scormtype=\"sco\"", ""), "no resource is a SCO"},
      {"asset only", manifestEdit("adlcp:scormtype=\"sco\"", "adlcp:scormtype=\"asset\""),
       "no resource is a SCO"},
      {"no item launches", manifestEdit(" identifierref=\"SCO1\"", ""),
       "organization 'ORG1' (line 12), the one the LMS opens, launches nothing"},
      {"the default organization empty",
       manifestEdit("<organizations default=\"ORG1\">",
                    "<organizations default=\"ORG0\"><organization identifier=\"ORG0\">"
                    "<title>x</title></organization>"),
       "organization 'ORG0' (line 11), the one the LMS opens, launches nothing"},
      {"invalid manifest",
       manifestEdit("<adlcp:masteryscore>80</adlcp:masteryscore>",
                    "<adlcp:masteryscor>80</adlcp:masteryscor>"),
       "not valid against the schemas: line 16"},
      {"mastery score no score", manifestEdit(">80<", ">high<"),
       "adlcp:masteryscore 'high' is no score from 0 to 100"},
      {"schema missing", [](const fs::path& p) { fs::remove(p / "adlcp_rootv1p2.xsd"); },
       "names the schema adlcp_rootv1p2.xsd (xsi:schemaLocation), which the package lacks"},
  };
  int n = 0;
  for (const Breakage& b : list) {
    SCOPED_TRACE(b.name);
    const fs::path folder = unpackScorm(out, root_ / ("scorm " + std::to_string(++n)));
    ASSERT_TRUE(checkPackage(folder.string(), kSchemas).ok())
        << faults(checkPackage(folder.string(), kSchemas));
    b.apply(folder);
    const fs::path zip = folder.string() + ".zip";
    zipAll(folder, zip);
    for (const fs::path& p : {folder, zip}) {
      CheckResult r = checkPackage(p.string(), kSchemas);
      EXPECT_FALSE(r.ok()) << p;
      EXPECT_NE(faults(r).find(b.cause), std::string::npos) << p << "\n" << faults(r);
      if (std::string(b.name) == "missing launch file") {
        EXPECT_EQ(r.faults(), 1u) << faults(r);  // reported once, as the launch file
      }
    }
  }
}

TEST_F(PackageTest, ManifestBelowTheZipRootIsReported) {
  fs::path out = converted();
  fs::path zip = root_ / "wrapped.zip";
  zipAll(parent_, zip);  // the folder itself inside the zip
  CheckResult r = checkPackage(zip.string(), kSchemas);
  EXPECT_FALSE(r.ok());
  EXPECT_NE(faults(r).find("not at the package root, where an LMS looks for it (found "
                           "курс по SQL/imsmanifest.xml)"),
            std::string::npos)
      << faults(r);
  // The same mistake as a folder.
  EXPECT_NE(faults(checkPackage(parent_.string(), kSchemas)).find("not at the package root"),
            std::string::npos);
}

// Marks a zip's entry as a symbolic link, as a zip made on a Unix system
// records one: its directory entry's host and the mode in its attributes.
void markAsLink(const fs::path& zip, const std::string& entry) {
  std::string bytes = read(zip);
  const std::string header = std::string("PK\x01\x02", 4);
  for (size_t at = bytes.find(header); at != std::string::npos; at = bytes.find(header, at + 4)) {
    const size_t nameLength = static_cast<unsigned char>(bytes[at + 28]) |
                              static_cast<unsigned char>(bytes[at + 29]) << 8;
    if (bytes.compare(at + 46, nameLength, entry) != 0) continue;
    bytes[at + 5] = 3;  // made on Unix
    const uint32_t attributes = uint32_t{0120777} << 16;
    for (int i = 0; i < 4; ++i) bytes[at + 38 + i] = static_cast<char>(attributes >> (8 * i));
    write(zip, bytes);
    return;
  }
  ADD_FAILURE() << entry << " is not in " << zip;
}

TEST_F(PackageTest, ALinkAnywhereInAPackageIsAFault) {
  fs::path out = packaged();
  fs::path zip = out.string() + ".zip";
  markAsLink(zip, "page2.htm");
  EXPECT_NE(
      faults(checkPackage(zip.string(), kSchemas)).find("zip entry 'page2.htm' is a symbolic link"),
      std::string::npos);
  write(root_ / "outside.htm", read(out / "page3.htm"));
  fs::remove(out / "page3.htm");
  fs::create_symlink(root_ / "outside.htm", out / "page3.htm");
  EXPECT_NE(faults(checkPackage(out.string(), kSchemas)).find("page3.htm is a symbolic link"),
            std::string::npos);
}

// Entry names (of page3.htm's length) an unpacker may read otherwise: one
// name twice, a line end (which must not forge a line of the report), an
// escape, a drive; on Windows a device, a trailing dot dropped, a name
// that is another's but for case.
TEST_F(PackageTest, ZipEntryNamesAnUnpackerMayTakeElsewhereAreFaults) {
  const fs::path zip = packaged().string() + ".zip";
  const std::string bytes = read(zip);
  const std::pair<const char*, const char*> cases[] = {
      {"page2.htm", "fault: zip entry 'page2.htm' is in the zip twice"},
      {"p\nfault:x", "fault: zip entry 'p\\x0Afault:x' has a name an LMS cannot unpack safely"},
      {"p\x1b[2J.htm", "zip entry 'p\\x1B[2J.htm' has a name"},
      {"C:pag.htm", "zip entry 'C:pag.htm' has a name"},
      {"Aux .json", "zip entry 'Aux .json' has a name"},
      {"page2.ht.", "zip entry 'page2.ht.' has a name"},
      {"PAGE2.htm", "fault: 'PAGE2.htm' and 'page2.htm' differ only in case"},
  };
  for (const auto& [name, cause] : cases) {
    SCOPED_TRACE(name);
    write(zip, support::replaceAll(bytes, "page3.htm", name));
    const std::string report = formatResult(checkPackage(zip.string(), kSchemas));
    EXPECT_NE(report.find(cause), std::string::npos) << report;
    EXPECT_EQ(report.find("\nfault:x"), std::string::npos);
  }
  // Named otherwise in its own header than in the directory: unpackers
  // reading the entries in order would write page9.htm.
  std::string local = bytes;
  size_t at = local.find("page3.htm");
  while (at != std::string::npos && local.compare(at - 30, 4, "PK\x03\x04") != 0)
    at = local.find("page3.htm", at + 1);
  ASSERT_NE(at, std::string::npos);
  local.replace(at, 9, "page9.htm");
  write(zip, local);
  const std::string report = formatResult(checkPackage(zip.string(), kSchemas));
  EXPECT_NE(report.find("fault: zip entry 'page3.htm' is named otherwise in its own header"),
            std::string::npos)
      << report;
}

TEST_F(PackageTest, UnreadablePackagesAndMissingSchemasAreFaults) {
  write(root_ / "notes.zip", "this is no zip at all");
  EXPECT_NE(faults(checkPackage((root_ / "notes.zip").string(), kSchemas))
                .find("neither a package folder nor a readable zip"),
            std::string::npos);
  const std::string absent = (root_ / "absent.zip").string();
  // Named once, with the system's reason.
  const std::string missing = faults(checkPackage(absent, kSchemas));
  EXPECT_TRUE(missing.starts_with("cannot open " + absent + ": ")) << missing;
  EXPECT_EQ(missing.find(absent, missing.find(absent) + 1), std::string::npos) << missing;
  write(root_ / "empty.zip", "");
  EXPECT_FALSE(checkPackage((root_ / "empty.zip").string(), kSchemas).ok());

  fs::path out = converted();
  CheckResult r = checkPackage(out.string(), (root_ / "no schemas").string());
  EXPECT_FALSE(r.ok());
  EXPECT_NE(faults(r).find("could not be validated"), std::string::npos) << faults(r);
}

TEST_F(PackageTest, ZipWriterRefusesLinksAndKeepsTheOldZipOnFailure) {
  fs::path out = converted();
  fs::path zip = root_ / "z.zip";
  zipAll(out, zip);
  const std::string old = read(zip);
  fs::create_symlink("/etc/hostname", out / "link.txt");
  EXPECT_THROW(package::writeZip(out.string(), {"imsmanifest.xml", "link.txt"}, zip.string()),
               support::Error);
  // Of two files that fail, the first in the zip's order is reported,
  // whichever worker came to it first.
  try {
    package::writeZip(out.string(), {"link.txt", "imsmanifest.xml", "absent.htm"}, zip.string());
    ADD_FAILURE() << "no error";
  } catch (const support::Error& e) {
    EXPECT_NE(e.detail().find("absent.htm is missing"), std::string::npos) << e.detail();
  }
  EXPECT_EQ(read(zip), old);
  // Nothing beside it but the package folder: no temporary is left.
  EXPECT_EQ(std::distance(fs::directory_iterator(root_), fs::directory_iterator()), 2);

  EXPECT_THROW(package::writeZip(out.string(), {"imsmanifest.xml"},
                                 (root_ / "no such dir" / "z.zip").string()),
               support::Error);
  EXPECT_FALSE(fs::exists(root_ / "no such dir"));
}

TEST_F(PackageTest, TwoRunsGiveTheSameEntriesAndPackedBytesAndEveryZipSharesThem) {
  fs::path out = converted();
  // Large files, so that the workers that pack them finish out of order.
  std::string text;
  for (int i = 0; text.size() < (3 << 20); ++i) text += "<p>строка " + std::to_string(i) + "</p>\n";
  write(out / "page2.htm", read(out / "page2.htm") + text);
  write(out / "testdata1.htm", read(out / "testdata1.htm") + text.substr(0, 1 << 20));
  ASSERT_EQ(copyScript(out), 0);
  const std::vector<std::string> zips = {".zip", ".scorm.zip", ".scorm2004.zip", ".cmi5.zip"};
  std::vector<std::vector<StoredEntry>> first;
  for (const std::string& z : zips) first.push_back(storedEntries(out.string() + z));
  ASSERT_EQ(first[0].size(), zipEntries(out.string() + ".zip").size());
  ASSERT_EQ(copyScript(out), 0);
  for (size_t z = 0; z < zips.size(); ++z)
    EXPECT_EQ(storedEntries(out.string() + zips[z]), first[z]) << zips[z];
  // A file of the course is packed once: every zip holds the same bytes.
  std::map<std::string, StoredEntry> inIms;
  for (const StoredEntry& e : first[0]) inIms[e.name] = e;
  const struct {
    size_t zip;
    int shared;                                              // of the IMS zip's entries
  } table[] = {{1, static_cast<int>(first[0].size()) - 3},   // all but manifest and IMS schemas
               {2, static_cast<int>(first[0].size()) - 4},   // nor ims_xml.xsd
               {3, static_cast<int>(first[0].size()) - 4}};  // no manifest, no schema
  for (const auto& t : table) {
    int shared = 0;
    for (const StoredEntry& e : first[t.zip]) {
      if (e.name == "imsmanifest.xml" || !inIms.count(e.name)) continue;
      EXPECT_EQ(e, inIms[e.name]) << e.name;
      ++shared;
    }
    EXPECT_EQ(shared, t.shared) << zips[t.zip];
  }
  EXPECT_EQ(inIms.at("page2.htm").method, 8);
}

TEST_F(PackageTest, AFailureBeforeTheImsZipLeavesBothOldZips) {
  const struct {
    const char* name;
    std::function<void(const fs::path&)> breakIt;
  } cases[] = {
      {"a page is a link",
       [](const fs::path& out) {
         fs::remove(out / "page2.htm");
         fs::create_symlink("/etc/hostname", out / "page2.htm");
       }},
      {"a picture is missing",
       [](const fs::path& out) {
         write(out / "page3.htm", read(out / "page3.htm") + "<img src=\"page3_files/gone.png\">");
       }},
      {"the SCORM zip cannot be written",
       [](const fs::path& out) {
         fs::remove(out.string() + ".scorm.zip");
         fs::create_directories(out.string() + ".scorm.zip");
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path out = packaged(c.name);
    const std::string ims = read(out.string() + ".zip"), scorm = read(out.string() + ".scorm.zip");
    c.breakIt(out);
    EXPECT_EQ(copyScript(out), 1);
    EXPECT_EQ(read(out.string() + ".zip"), ims);
    if (fs::is_regular_file(out.string() + ".scorm.zip")) {
      EXPECT_EQ(read(out.string() + ".scorm.zip"), scorm);
    }
  }
  // Nothing beside the packages but what they are: no temporary is left.
  for (const auto& e : fs::directory_iterator(parent_))
    EXPECT_FALSE(e.path().filename().string().starts_with(".rdtmp")) << e.path();
}

TEST_F(PackageTest, ZipHoldsLargeFilesWholeWhateverTheirSize) {
  // Around the sizes where the zip stops reading files ahead and where the
  // files read ahead fill the room they may take.
  fs::path out = converted();
  std::string big(9 << 20, '\0');
  uint32_t x = 1;
  for (char& c : big) c = static_cast<char>((x = x * 1103515245u + 12345u) >> 24);
  write(out / "big.bin", big);
  write(out / "exact.bin", big.substr(0, 8 << 20));
  fs::create_directories(out / "pics");
  write(out / "pics" / "near.png", big.substr(1, (8 << 20) - 1));
  ASSERT_EQ(fs::file_size(out / "pics" / "near.png"), (8u << 20) - 1);
  fs::path zip = root_ / "big.zip";
  zipAll(out, zip);
  std::vector<std::string> entries = zipEntries(zip, out);  // compares every entry's bytes
  EXPECT_EQ(std::set<std::string>(entries.begin(), entries.end()), filesUnder(out));
}

// Twenty directory entries more, each page2.htm's (64 MiB of blanks) under
// a name the outline lists: a zip of kilobytes more that inflates to over a
// gigabyte. check reads the files up to that bound and says so.
TEST_F(PackageTest, EntriesSharingOneStreamAreReadUpToABound) {
  fs::path out = packaged();
  write(out / "page2.htm", std::string((64 << 20) - 1, ' '));
  std::string preview = read(out / "pvomanifest.htm"), lines;
  for (int i = 10; i < 30; ++i) lines += "ITEM9|x|big" + std::to_string(i) + ".htm|0\r\n";
  preview.insert(preview.find("%MANIFEST_END"), lines);
  write(out / "pvomanifest.htm", preview);
  const fs::path zip = root_ / "shared.zip";
  zipAll(out, zip);
  std::string z = read(zip);
  const auto u16 = [&](size_t at) { return size_t{uint8_t(z[at])} | size_t{uint8_t(z[at + 1])} << 8; };
  const auto u32 = [&](size_t at) { return u16(at) | u16(at + 2) << 16; };
  const auto put32 = [&](size_t at, size_t v) {
    for (int i = 0; i < 4; ++i) z[at + i] = char(v >> (8 * i));
  };
  const size_t end = z.rfind("PK\x05\x06");  // entry counts, the directory's size and place
  size_t record = u32(end + 16);
  const auto length = [&] { return 46 + u16(record + 28) + u16(record + 30) + u16(record + 32); };
  while (record < end && (u16(record + 28) != 9 || z.compare(record + 46, 9, "page2.htm") != 0))
    record += length();
  ASSERT_LT(record, end);
  std::string added, one = z.substr(record, length());
  for (int i = 10; i < 30; ++i) added += one.replace(46, 9, "big" + std::to_string(i) + ".htm");
  z.insert(end, added);
  const size_t moved = end + added.size();
  put32(moved + 8, (u16(moved + 8) + 20) * 0x10001);  // on this disk and in all
  put32(moved + 12, u32(moved + 12) + added.size());
  write(zip, z);
  const fs::path log = root_ / "out.txt";
  run(quote(RD_PROGRAM) + " check " + quote(zip.string()) + " > " + quote(log.string()));
  EXPECT_NE(read(log).find("fault: the zip's files inflate to more than 1024 MiB: those past it "
                           "were not checked\n"),
            std::string::npos);
}

// A page the outline lists twice is checked once, and its dead reference
// links are named up to 20, the rest counted.
TEST_F(PackageTest, DeadReferenceLinksAreNamedOncePerPageAndUpToTwenty) {
  const fs::path out = converted();
  std::string links;
  for (int i = 0; i < 25; ++i)
    links += "<a href=\"#\" onclick=\"return parent.tester.showref('90" + std::to_string(i) +
             "')\">x</a>";
  replaceIn(out / "page2.htm", "</body>", links + "</body>");
  std::string outline = read(out / "pvomanifest.htm");
  const size_t at = outline.rfind('\n', outline.find("|page2.htm|")) + 1;
  outline.insert(at, outline.substr(at, outline.find('\n', at) + 1 - at));
  write(out / "pvomanifest.htm", outline);
  const fs::path log = root_ / "out.txt";
  EXPECT_EQ(run(quote(RD_PROGRAM) + " check " + quote(out.string()) + " > " + quote(log.string())),
            1);
  const std::string found = read(log);
  size_t named = 0;
  for (size_t i = found.find("names no item"); i != std::string::npos;
       i = found.find("names no item", i + 1))
    ++named;
  EXPECT_EQ(named, 20u) << found;
  EXPECT_NE(found.find("): 6 more reference links that name no item of the course\n"),
            std::string::npos)
      << found;
}

TEST_F(PackageTest, CommandLineExitStatus) {
  fs::path out = packaged();
  const std::string prog = quote(RD_PROGRAM);
  fs::path log = root_ / "out.txt";
  // The fixture's page 2 links to PID 999, which no item has (for the
  // player's notice): the command finds that dead end, which the LMS would not.
  EXPECT_EQ(run(prog + " check " + quote(out.string() + ".zip") + " > " + quote(log.string())), 1);
  EXPECT_NE(read(log).find("the reference link \"999\" names no item of the course"),
            std::string::npos)
      << read(log);
  EXPECT_NE(read(log).find("\n1 fault found"), std::string::npos) << read(log);
  fs::remove(out / "page3.htm");
  EXPECT_EQ(run(prog + " check " + quote(out.string()) + " > " + quote(log.string())), 1);
  EXPECT_NE(read(log).find("fault: resource 'RESOURCE3'"), std::string::npos) << read(log);
  EXPECT_NE(read(log).find("2 faults found"), std::string::npos);
  EXPECT_EQ(run(prog + " check 2>/dev/null"), 2);
  EXPECT_EQ(run(prog + " complete 2>/dev/null"), 2);
  EXPECT_EQ(run(prog + " complete " + quote((root_ / "absent").string()) + " 2>/dev/null"), 1);
}

}  // namespace
