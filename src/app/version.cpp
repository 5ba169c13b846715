#include "app/version.h"

#include <gsf/gsf-utils.h>
#include <libxml/parser.h>
#include <libxml/xmlversion.h>
#include <unicode/uversion.h>
#include <zlib.h>

#include <cstdlib>
#include <pugixml.hpp>

namespace app {
namespace {

// From the build, which takes them from the project's one version number
// and from the toolkit it found.
constexpr const char* kVersion = RAREDOZUD_VERSION;
#ifdef RAREDOZUD_QT_VERSION
constexpr const char* kQtVersion = RAREDOZUD_QT_VERSION;
#else
constexpr const char* kQtVersion = nullptr;
#endif

std::string dotted(int major, int minor, int patch, bool patchIfZero = true) {
  std::string s = std::to_string(major) + "." + std::to_string(minor);
  if (patch != 0 || patchIfZero) (s += '.') += std::to_string(patch);
  return s;
}

// The library's own number, such as 20914 for 2.9.14.
std::string libxml2Version() {
  const int v = std::atoi(xmlParserVersion);
  return dotted(v / 10000, v / 100 % 100, v % 100);
}

std::string icuVersion() {
  UVersionInfo info;
  u_getVersion(info);
  char text[U_MAX_VERSION_STRING_LENGTH];
  u_versionToString(info, text);
  return text;
}

// pugixml tells its version only to the compiler: 1130 for 1.13, 190 for 1.9.
std::string pugixmlVersion() {
  constexpr int v = PUGIXML_VERSION;
  return v < 1000 ? dotted(v / 100, v % 100 / 10, 0, false)
                  : dotted(v / 1000, v % 1000 / 10, v % 10, false);
}

}  // namespace

std::string versionText() {
  std::string out = std::string("raredozud ") + kVersion + "\n";
  out +=
      "libgsf " + dotted(libgsf_major_version, libgsf_minor_version, libgsf_micro_version) + "\n";
  out += "pugixml " + pugixmlVersion() + " (built with; it does not tell at run time)\n";
  out += "libxml2 " + libxml2Version() + "\n";
  out += "ICU " + icuVersion() + "\n";
  out += std::string("zlib ") + zlibVersion() + "\n";
  if (kQtVersion) out += std::string("Qt ") + kQtVersion + " (the window; built with)\n";
  return out;
}

}  // namespace app
