// Packages made to flood or mislead the check: faults by the thousand,
// names no unpacker can write.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "../common/fixtures.h"
#include "fixture.h"
#include "support/strings.h"

namespace {
using namespace check_fixture;
using testing_support::occurrences;

// Past 50 faults of a kind, one line counts the rest; the summary counts
// them all.
TEST_F(PackageTest, ManyFaultsOfOneKindAreCountedInOneLine) {
  struct Flood {
    const char* before;   // where the elements go
    const char* element;  // with %d for a number
    const char* each;     // in each fault's line
    const char* rest;
  };
  const Flood floods[] = {
      {"</organization>", "<item identifier='X%d' identifierref='NONE%d'><title>t</title></item>",
       "identifierref 'NONE", "fault: and 150 more items whose identifierref names no resource\n"},
      {"</resources>", "<resource identifier='R%d' type='webcontent' href='gone%d.htm'/>",
       ", which the package lacks",
       "fault: and 150 more resources that name a file the package "
       "lacks\n"},
  };
  const fs::path out = converted();
  const std::string manifest = read(out / "imsmanifest.xml");
  const size_t before = checkPackage(out.string(), kSchemas).faults();
  for (const Flood& f : floods) {
    SCOPED_TRACE(f.element);
    std::string added;
    for (int i = 0; i < 200; ++i) added += support::replaceAll(f.element, "%d", std::to_string(i));
    write(out / "imsmanifest.xml", support::replaceAll(manifest, f.before, added + f.before));
    const CheckResult r = checkPackage(out.string(), kSchemas);
    const std::string report = formatResult(r);
    EXPECT_EQ(occurrences(report, f.each), 50u) << report;
    EXPECT_EQ(occurrences(report, f.rest), 1u) << report;
    EXPECT_EQ(r.faults(), before + 200);
    EXPECT_NE(report.find("\n" + std::to_string(before + 200) + " faults found\n"),
              std::string::npos);
  }
}

// A part of a name over 255 bytes, or a whole name over 259 characters:
// no common file system, or Windows' unpacker, writes it.
TEST_F(PackageTest, ZipEntryNamesTooLongToUnpackAreFaults) {
  const fs::path out = packaged();
  std::vector<std::pair<std::string, std::string>> entries;
  for (const std::string& f : filesUnder(out)) entries.emplace_back(f, read(out / f));
  std::string deep;
  for (int i = 0; i < 13; ++i) deep += std::string(19, 'd') + "/";
  const std::string cyrillic = support::replaceAll(std::string(128, 'x'), "x", "ж");
  struct Case {
    std::string name, faulted;  // the entry, and the one faulted (its folder's)
    const char* why;
  };
  const std::string part = "a part of it is longer than 255 bytes";
  const Case cases[] = {
      {"page2_files/" + std::string(256, 'a'), "page2_files/" + std::string(256, 'a'),
       part.c_str()},
      {std::string(256, 'b') + "/x.htm", std::string(256, 'b'), part.c_str()},
      {"page2_files/" + cyrillic, "page2_files/" + cyrillic, part.c_str()},
      {deep + "x.htm", deep + "x.htm", "it is longer than 259 characters"},
      {"page2_files/" + std::string(240, 'c'), "", nullptr},
      {cyrillic.substr(0, 254) + "/" + cyrillic.substr(0, 254), "", nullptr},
  };
  const fs::path zip = root_ / "long.zip";
  for (const auto& [name, faulted, why] : cases) {
    SCOPED_TRACE(name);
    std::vector<std::pair<std::string, std::string>> with = entries;
    with.emplace_back(name, "x");
    write(zip, testing_support::zipBytes(with));
    const std::string report = formatResult(checkPackage(zip.string(), kSchemas));
    if (why)
      EXPECT_NE(report.find("fault: zip entry '" + faulted +
                            "' has a name an LMS cannot unpack safely: " + why + "\n"),
                std::string::npos)
          << report;
    else
      EXPECT_EQ(report.find("has a name"), std::string::npos) << report;
  }
}

// In a folder, a pipe or a socket is no file of the package, and said so.
TEST_F(PackageTest, AFolderEntryThatIsNoPlainFileIsAFault) {
  const fs::path out = converted();
  ASSERT_EQ(mkfifo((out / "page2_files" / "pipe.htm").c_str(), 0600), 0);
  const int sock = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string socketPath = (out / "s").string();
  ASSERT_LT(socketPath.size(), sizeof address.sun_path);
  socketPath.copy(address.sun_path, socketPath.size());
  ASSERT_EQ(bind(sock, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  close(sock);
  const std::string report = faults(checkPackage(out.string(), kSchemas));
  for (const char* name : {"page2_files/pipe.htm", "s"})
    EXPECT_NE(report.find(std::string(name) + " is no plain file (a pipe, socket or device)"),
              std::string::npos)
        << report;
}

}  // namespace
