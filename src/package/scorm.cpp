#include "package/scorm.h"

#include <glib.h>
#include <unicode/brkiter.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <memory>

#include "package/contents.h"
#include "package/zip_writer.h"
#include "support/files.h"
#include "support/strings.h"

namespace package {
namespace fs = std::filesystem;

std::string href(const std::string& path) {
  static const char* hex = "0123456789ABCDEF";
  std::string out;
  for (char c : path) {
    const auto u = static_cast<unsigned char>(c);
    if (std::isalnum(u) || c == '/' || c == '.' || c == '_' || c == '-' || c == '~') {
      out += c;
    } else {
      out += '%';
      out += hex[u >> 4];
      out += hex[u & 15];
    }
  }
  return out;
}

std::string scormTitle(const std::string& utf8) {
  const icu::UnicodeString text = icu::UnicodeString::fromUTF8(utf8);
  if (text.countChar32() <= kScormTitleLength) return utf8;
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<icu::BreakIterator> characters(
      icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
  int32_t cut = text.moveIndex32(0, kScormTitleLength - 1);
  if (U_SUCCESS(status) && characters) {
    characters->setText(text);
    if (!characters->isBoundary(cut)) cut = std::max(0, characters->preceding(cut));
  }
  icu::UnicodeString shortened = text.tempSubString(0, cut);
  while (shortened.length() > 0 && u_isspace(shortened.char32At(shortened.length() - 1)))
    shortened.truncate(shortened.moveIndex32(shortened.length(), -1));
  shortened.append(static_cast<UChar32>(0x2026));
  std::string out;
  return shortened.toUTF8String(out);
}

std::string scormManifest(const ScormCourse& c) {
  const std::string title = support::escapeXml(scormTitle(c.title));
  std::string out =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<manifest identifier=\"" +
      support::escapeXml(c.identifier) +
      "\" version=\"1.0\"\n"
      "  xmlns=\"" +
      std::string(kCp112Ns) +
      "\"\n"
      "  xmlns:adlcp=\"" +
      kAdlcpNs +
      "\"\n"
      "  xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"\n"
      "  xsi:schemaLocation=\"" +
      kCp112Ns + " imscp_rootv1p1p2.xsd " + kAdlcpNs +
      " adlcp_rootv1p2.xsd\">\n"
      "  <metadata>\n"
      "    <schema>ADL SCORM</schema>\n"
      "    <schemaversion>1.2</schemaversion>\n"
      "  </metadata>\n"
      "  <organizations default=\"ORG1\">\n"
      "    <organization identifier=\"ORG1\">\n"
      "      <title>" +
      title +
      "</title>\n"
      "      <item identifier=\"ITEM1\" identifierref=\"SCO1\" isvisible=\"true\">\n"
      "        <title>" +
      title +
      "</title>\n";
  if (c.masteryScore)
    out += "        <adlcp:masteryscore>" + std::to_string(*c.masteryScore) + "</adlcp:masteryscore>\n";
  out +=
      "      </item>\n"
      "    </organization>\n"
      "  </organizations>\n";
  return out + scoResources(c.launch, c.files, "adlcp:scormtype");
}

std::string scoResources(const std::string& launch, const std::vector<std::string>& files,
                         const char* typeAttribute) {
  std::string out = "  <resources>\n    <resource identifier=\"SCO1\" type=\"webcontent\" ";
  ((out += typeAttribute) += "=\"sco\" href=\"") += href(launch);
  out += "\">\n";
  for (const std::string& f : files) ((out += "      <file href=\"") += href(f)) += "\"/>\n";
  return out + "    </resource>\n  </resources>\n</manifest>\n";
}

LmsCourse lmsCourse(const std::string& folder, const std::vector<std::string>& courseFiles,
                    const std::string& title) {
  LmsCourse c;
  const std::string leaf = fs::path(folder).filename().string();
  c.title = title;
  if (c.title.empty()) c.title = leaf;
  // The same course converted again keeps its identifier, so that an LMS
  // takes the new zip as a new version of it.
  std::unique_ptr<gchar, decltype(&g_free)> digest(
      g_compute_checksum_for_string(G_CHECKSUM_SHA1, (c.title + "\n" + leaf).c_str(), -1), &g_free);
  c.digest = std::string(digest.get()).substr(0, 16);
  for (const std::string& f : courseFiles)
    if (f != "imsmanifest.xml" && !f.ends_with(".xsd")) c.files.push_back(f);
  return c;
}

ScormZip scormZip(const std::string& schemaFolder, const LmsCourse& lms,
                  const std::vector<std::string>& courseFiles, std::optional<int> masteryScore) {
  ScormCourse course;
  course.title = lms.title;
  course.masteryScore = masteryScore;
  course.identifier = "RAREDOZUD-" + lms.digest;
  course.files = lms.files;

  ScormZip zip;
  for (const char* schema : kScormSchemaFiles)
    zip.made.push_back({schema, support::readFile(schemaFolder + "/" + schema)});
  for (const std::string& f : courseFiles) {
    const bool imsOnly = f == "imsmanifest.xml" ||
                         (f != "ims_xml.xsd" && std::find(kSchemaFiles.begin(), kSchemaFiles.end(),
                                                          f) != kSchemaFiles.end());
    if (!imsOnly) zip.files.push_back(f);
  }
  zip.made.push_back({"imsmanifest.xml", scormManifest(course)});
  return zip;
}

}  // namespace package
