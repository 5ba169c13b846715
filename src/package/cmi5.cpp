#include "package/cmi5.h"

#include "package/scorm2004.h"
#include "support/strings.h"

namespace package {

namespace {

std::string langstring(const std::string& lang, const std::string& text) {
  return "<langstring lang=\"" + lang + "\">" + support::escapeXml(text) + "</langstring>";
}

}  // namespace

std::string cmi5CourseId(const std::string& digest) {
  return "urn:raredozud:course:" + digest;
}

std::string cmi5AuId(const std::string& digest) {
  return cmi5CourseId(digest) + ":au:1";
}

std::string cmi5Structure(const Cmi5Course& c) {
  const std::string lang = c.language.empty() ? "und" : c.language;
  const std::string title = langstring(lang, c.title);
  std::string au = "  <au id=\"" + support::escapeXml(c.auId) + "\" moveOn=\"";
  // A course without tests has no score to pass: completing it is enough.
  if (c.passMark)
    au += "CompletedAndPassed\" masteryScore=\"" + scaledMark(*c.passMark) + "\"";
  else
    au += "Completed\"";
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<courseStructure xmlns=\"" +
         std::string(kCmi5Ns) + "\">\n  <course id=\"" + support::escapeXml(c.courseId) +
         "\">\n    <title>" + title + "</title>\n    <description>" + title +
         "</description>\n  </course>\n" + au + " launchMethod=\"AnyWindow\">\n    <title>" +
         title + "</title>\n    <description>" + title + "</description>\n    <url>" +
         support::escapeXml(href(c.launch)) + "</url>\n  </au>\n</courseStructure>\n";
}

ScormZip cmi5Zip(const LmsCourse& lms, std::optional<int> passMark, const std::string& language) {
  Cmi5Course course;
  course.courseId = cmi5CourseId(lms.digest);
  course.auId = cmi5AuId(lms.digest);
  course.title = lms.title;
  course.language = language;
  course.passMark = passMark;
  ScormZip zip;
  zip.files = lms.files;
  zip.made.push_back({kCmi5File, cmi5Structure(course)});
  return zip;
}

}  // namespace package
