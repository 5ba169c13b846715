#include "package/scorm2004.h"

#include <cstdio>

#include "course/file_names.h"
#include "package/manifest_xml.h"
#include "support/files.h"
#include "support/strings.h"

namespace package {

std::string scaledMark(int passMark) {
  if (passMark >= 100) return "1";
  char digits[8];
  std::snprintf(digits, sizeof digits, "0.%02d", passMark < 0 ? 0 : passMark);
  std::string s = digits;
  while (s.back() == '0') s.pop_back();
  if (s.back() == '.') s.pop_back();
  return s;
}

bool hasTests(const std::vector<std::string>& courseFiles) {
  for (const std::string& f : courseFiles)
    if (course::testNumberOf(f)) return true;
  return false;
}

std::string scorm2004Manifest(const Scorm2004Course& c) {
  const std::string title = support::escapeXml(scormTitle(c.title));
  const std::string cp = kCpNs;
  std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<manifest identifier=\"" +
                    support::escapeXml(c.identifier) + "\" version=\"1.0\"\n  xmlns=\"" + cp +
                    "\"\n  xmlns:adlcp=\"" + kAdlcp2004Ns + "\"\n  xmlns:adlseq=\"" + kAdlseqNs +
                    "\"\n  xmlns:adlnav=\"" + kAdlnavNs + "\"\n  xmlns:imsss=\"" + kImsssNs +
                    "\"\n  xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"\n"
                    "  xsi:schemaLocation=\"" +
                    cp + " imscp_v1p1.xsd " + kAdlcp2004Ns + " adlcp_v1p3.xsd " + kAdlseqNs +
                    " adlseq_v1p3.xsd " + kAdlnavNs + " adlnav_v1p3.xsd " + kImsssNs +
                    " imsss_v1p0.xsd\">\n"
                    "  <metadata>\n    <schema>ADL SCORM</schema>\n    <schemaversion>" +
                    kScorm2004Version +
                    "</schemaversion>\n  </metadata>\n"
                    "  <organizations default=\"ORG1\">\n"
                    "    <organization identifier=\"ORG1\">\n      <title>" +
                    title +
                    "</title>\n"
                    "      <item identifier=\"ITEM1\" identifierref=\"SCO1\" isvisible=\"true\">\n"
                    "        <title>" +
                    title + "</title>\n        <imsss:sequencing>\n          <imsss:objectives>\n";
  // Passing is the score reaching the pass mark; completion is the
  // player's own to report.
  if (c.passMark)
    out +=
        "            <imsss:primaryObjective objectiveID=\"PRIMARYOBJ\" "
        "satisfiedByMeasure=\"true\">\n              <imsss:minNormalizedMeasure>" +
        scaledMark(*c.passMark) +
        "</imsss:minNormalizedMeasure>\n            </imsss:primaryObjective>\n";
  else
    out += "            <imsss:primaryObjective objectiveID=\"PRIMARYOBJ\"/>\n";
  out +=
      "          </imsss:objectives>\n        </imsss:sequencing>\n      </item>\n"
      // Flow lets the LMS start the one SCO without a menu.
      "      <imsss:sequencing>\n        <imsss:controlMode choice=\"true\" flow=\"true\"/>\n"
      "      </imsss:sequencing>\n    </organization>\n  </organizations>\n";
  return out + scoResources(c.launch, c.files, "adlcp:scormType");
}

ScormZip scorm2004Zip(const std::string& schemaFolder, const LmsCourse& lms,
                      std::optional<int> passMark) {
  Scorm2004Course course;
  course.identifier = "RAREDOZUD-" + lms.digest;
  course.title = lms.title;
  course.passMark = passMark;
  course.files = lms.files;
  ScormZip zip;
  zip.files = lms.files;
  for (const char* schema : kScorm2004SchemaFiles)
    zip.made.push_back(
        {schema, support::readFile(schemaFolder + "/" + kScorm2004SchemaFolder + "/" + schema)});
  zip.made.push_back({"imsmanifest.xml", scorm2004Manifest(course)});
  return zip;
}

}  // namespace package
