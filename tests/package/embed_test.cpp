// Scripts that carry a file's bytes for a course opened from disk.
#include <glib.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "../common/fixtures.h"
#include "package/embed.h"
#include "support/error.h"

using namespace testing_support;
namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

// The base64 text between the script's last pair of quotes, decoded.
std::string carried(const std::string& script) {
  size_t end = script.rfind('"');
  size_t start = script.rfind('"', end - 1) + 1;
  std::string b64 = script.substr(start, end - start);
  gsize n = 0;
  guchar* raw = g_base64_decode(b64.c_str(), &n);
  std::string bytes(reinterpret_cast<char*>(raw), n);
  g_free(raw);
  return bytes;
}

}  // namespace

TEST(Embed, ScriptCarriesTheExactBytesUnderTheLeafName) {
  ScratchFolder dir;
  // Code-page text, CR LF and a NUL: the script must not reinterpret any.
  std::string bytes = "\xcf\xf0\xe8\xe2\xe5\xf2\r\nline\0two\r\n"s;
  bytes += std::string(5000, 'x');
  writeBytes(dir / "testdata3.htm", bytes);
  package::writeEmbeddedScript(dir / "testdata3.htm");
  std::string js = readBytes(dir / "testdata3.htm.js");
  EXPECT_TRUE(js.starts_with("window.rdEmbedded = window.rdEmbedded || {};\n"
                             "window.rdEmbedded[\"testdata3.htm\"] = \""))
      << js.substr(0, 120);
  EXPECT_TRUE(js.ends_with("\";\n"));
  EXPECT_EQ(carried(js), bytes);
}

TEST(Embed, LinksAreReplacedNotFollowedAndMissingFilesFail) {
  ScratchFolder dir;
  ScratchFolder outside;
  writeBytes(outside / "victim", "keep");
  writeBytes(dir / "pvomanifest.htm", "<html>");
  fs::create_symlink(outside / "victim", dir / "pvomanifest.htm.js");
  package::writeEmbeddedScript(dir / "pvomanifest.htm");
  EXPECT_EQ(readBytes(outside / "victim"), "keep");
  EXPECT_FALSE(fs::is_symlink(dir / "pvomanifest.htm.js"));
  EXPECT_EQ(carried(readBytes(dir / "pvomanifest.htm.js")), "<html>");
  // Nor through a second name of a file outside.
  writeBytes(dir / "testdata2.htm", "data");
  fs::create_hard_link(outside / "victim", dir / "testdata2.htm.js");
  package::writeEmbeddedScript(dir / "testdata2.htm");
  EXPECT_EQ(readBytes(outside / "victim"), "keep");
  EXPECT_EQ(carried(readBytes(dir / "testdata2.htm.js")), "data");

  // A link as the source would carry a file from outside into the package.
  fs::create_symlink(outside / "victim", dir / "testdata1.htm");
  EXPECT_THROW(package::writeEmbeddedScript(dir / "testdata1.htm"), support::Error);
  EXPECT_THROW(package::writeEmbeddedScript(dir / "nothing.htm"), support::Error);
  EXPECT_FALSE(fs::exists(dir / "testdata1.htm.js"));
  EXPECT_FALSE(fs::exists(dir / "nothing.htm.js"));
}
