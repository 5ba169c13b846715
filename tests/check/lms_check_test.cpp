// The SCORM 2004 and cmi5 zips: what each holds, that the check passes them
// and tells each standard by its manifest, and that each way an LMS would
// reject one is reported by its cause, in the folder and the zip alike.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "../common/zip.h"
#include "fixture.h"
#include "package/scorm2004.h"

namespace {
using namespace check_fixture;
using testing_support::zipEntry;

// A zip unpacked into a folder, as an LMS would.
fs::path unpack(const fs::path& zip, const fs::path& to) {
  for (const std::string& name : zipEntries(zip)) {
    fs::create_directories((to / name).parent_path());
    write(to / name, zipEntry(zip, name));
  }
  return to;
}

TEST_F(PackageTest, TheScorm2004AndCmi5ZipsLaunchThePlayerWithThePassMarkScaled) {
  const fs::path out = converted();
  write(out / "course.js", "window.rdCourse = {\n  \"passMark\": 65,\n  \"lang\": \"ru\"\n};\n");
  ASSERT_EQ(copyScript(out), 0);
  std::set<std::string> course = filesUnder(out);  // the player's files, less manifest and schemas
  for (auto it = course.begin(); it != course.end();)
    it = it->ends_with(".xsd") || *it == "imsmanifest.xml" ? course.erase(it) : std::next(it);

  const fs::path scorm = out.string() + ".scorm2004.zip";
  std::vector<std::string> entries = zipEntries(scorm);
  std::set<std::string> want = course;
  want.insert("imsmanifest.xml");
  for (const char* schema : package::kScorm2004SchemaFiles) {
    want.insert(schema);
    EXPECT_EQ(zipEntry(scorm, schema), read(kSchemas + "/scorm2004/" + schema)) << schema;
  }
  EXPECT_EQ(std::set<std::string>(entries.begin(), entries.end()), want);
  const std::string manifest = zipEntry(scorm, "imsmanifest.xml");
  for (const char* part : {"<schemaversion>2004 4th Edition</schemaversion>",
                           "satisfiedByMeasure=\"true\">\n              "
                           "<imsss:minNormalizedMeasure>0.65</imsss:minNormalizedMeasure>",
                           "adlcp:scormType=\"sco\" href=\"index.htm\""})
    EXPECT_NE(manifest.find(part), std::string::npos) << part << "\n" << manifest;

  const fs::path cmi5 = out.string() + ".cmi5.zip";
  entries = zipEntries(cmi5);
  want = course;
  want.insert("cmi5.xml");
  EXPECT_EQ(entries.front(), "cmi5.xml");
  EXPECT_EQ(std::set<std::string>(entries.begin(), entries.end()), want);
  const std::string structure = zipEntry(cmi5, "cmi5.xml");
  for (const char* part :
       {"<courseStructure xmlns=\"https://w3id.org/xapi/profiles/cmi5/v1/CourseStructure.xsd\">",
        "moveOn=\"CompletedAndPassed\" masteryScore=\"0.65\" launchMethod=\"AnyWindow\"",
        "<title><langstring lang=\"ru\">Безопасность &lt;данных&gt; &amp; SQL</langstring></title>",
        "<url>index.htm</url>"})
    EXPECT_NE(structure.find(part), std::string::npos) << part << "\n" << structure;

  for (const auto& [zip, note] : {std::pair{scorm, std::string("SCORM 2004 package: item 'ITEM1' "
                                                               "launches index.htm as a SCO")},
                                  std::pair{cmi5, std::string("cmi5 package: unit urn:raredozud:"
                                                              "course:")}}) {
    CheckResult r = checkPackage(zip.string(), kSchemas);
    EXPECT_TRUE(r.ok()) << faults(r);
    ASSERT_FALSE(notes(r).empty());
    EXPECT_TRUE(notes(r).front().starts_with(note)) << notes(r).front();
  }
}

TEST_F(PackageTest, EachBreakageOfAScorm2004OrCmi5PackageIsReportedByItsCause) {
  const fs::path out = packaged();
  const auto edit = [](const char* file, const std::string& from, const std::string& to) {
    return [file, from, to](const fs::path& p) { replaceIn(p / file, from, to); };
  };
  const auto gone = [](const char* file) {
    return [file](const fs::path& p) { fs::remove(p / file); };
  };
  const char* manifest = "imsmanifest.xml";
  const std::string kUtf8 = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
  const std::string kLatin1 = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>";
  const struct {
    const char* zip;
    Breakage b;
  } table[] = {
      {".scorm2004.zip",
       {"no launchable unit", edit(manifest, " adlcp:scormType=\"sco\"", ""),
        "no resource is a SCO (adlcp:scormType=\"sco\")"}},
      {".scorm2004.zip",
       {"mastery out of range", edit(manifest, ">0.8<", ">1.5<"),
        "imsss:minNormalizedMeasure '1.5' is no scaled score from -1 to 1"}},
      {".scorm2004.zip",
       {"launch file missing", gone("index.htm"), "its launch file index.htm is missing"}},
      {".scorm2004.zip",
       {"invalid manifest", edit(manifest, "controlMode choice=", "controlMode choices="),
        "not valid against the schemas"}},
      {".scorm2004.zip",
       {"schema missing", gone("adlseq_v1p3.xsd"), "names the schema adlseq_v1p3.xsd"}},
      {".cmi5.zip",
       {"no launchable unit",
        [](const fs::path& p) {
          replaceIn(p / "cmi5.xml", "<au ", "<unit ");
          replaceIn(p / "cmi5.xml", "</au>", "</unit>");
        },
        "cmi5.xml has no assignable unit (au): an LMS has nothing to launch"}},
      {".cmi5.zip",
       {"mastery out of range", edit("cmi5.xml", "masteryScore=\"0.8\"", "masteryScore=\"80\""),
        "masteryScore '80' is no score from 0 to 1"}},
      {".cmi5.zip",
       {"launch file missing", gone("index.htm"), "its launch file index.htm is missing"}},
      {".cmi5.zip",
       {"unknown moveOn", edit("cmi5.xml", "\"CompletedAndPassed\"", "\"Finished\""),
        "moveOn 'Finished' is none of cmi5's criteria"}},
      {".cmi5.zip",
       {"id no IRI", edit("cmi5.xml", "<course id=\"urn:", "<course id=\"urn "),
        "the course (line 3) has the id 'urn raredozud:course:"}},
      {".cmi5.zip",
       {"script for a url", edit("cmi5.xml", "<url>index.htm", "<url> Java\tScript:alert(1)"),
        "Script:alert(1): an address that runs script"}},
      {".cmi5.zip",
       {"document type",
        edit("cmi5.xml", "<courseStructure ", "<!DOCTYPE c [<!ENTITY e 'x'>]><courseStructure "),
        "cmi5.xml declares a document type (<!DOCTYPE>)"}},
      {".cmi5.zip",
       {"units past counting (a zip of kilobytes, whose findings took gigabytes)",
        [](const fs::path& p) {
          std::string units;
          for (int i = 0; i < 200000; ++i) units += "<au/>";
          replaceIn(p / "cmi5.xml", "</courseStructure>", units + "</courseStructure>");
        },
        "cmi5.xml holds more than 200000 elements: no course has as many"}},
      {".cmi5.zip", {"no structure", gone("cmi5.xml"), "imsmanifest.xml is missing"}},
      {".cmi5.zip",
       {"a file of the learner's machine", edit("cmi5.xml", "<url>index.htm", "<url>file:///x"),
        "launches file:///x: an LMS launches a unit from the package or a web address"}},
      {".scorm2004.zip",
       {"a pass mark an asset cannot meet",
        edit(manifest, "adlcp:scormType=\"sco\"", "adlcp:scormType=\"asset\""),
        "an asset, with a pass mark: an asset reports no score"}},
      {".scorm2004.zip",
       {"mark and declaration disagree", edit(manifest, kUtf8, "\xEF\xBB\xBF" + kLatin1),
        "imsmanifest.xml begins with a UTF-8 byte order mark but declares the encoding ISO"}},
      {".cmi5.zip",
       {"mark and declaration disagree", edit("cmi5.xml", kUtf8, "\xEF\xBB\xBF" + kLatin1),
        "cmi5.xml begins with a UTF-8 byte order mark but declares the encoding ISO-8859-1"}},
  };
  int n = 0;
  for (const auto& [zip, b] : table) {
    SCOPED_TRACE(std::string(zip) + ": " + b.name);
    const fs::path folder = unpack(out.string() + zip, root_ / ("lms " + std::to_string(++n)));
    // As the command checks a folder: its schemas are the package's too.
    const CheckResult unpacked = checkPackage(folder.string(), kSchemas, kProgramDir + "/player");
    ASSERT_TRUE(unpacked.ok()) << faults(unpacked);
    b.apply(folder);
    const fs::path broken = folder.string() + ".zip";
    zipAll(folder, broken);
    for (const fs::path& p : {folder, broken}) {
      CheckResult r = checkPackage(p.string(), kSchemas);
      EXPECT_FALSE(r.ok()) << p;
      EXPECT_NE(faults(r).find(b.cause), std::string::npos) << p << "\n" << faults(r);
    }
  }
}

}  // namespace
