#include "package/header.h"

#include "support/codepage.h"
#include "support/lines.h"

namespace package {

std::vector<std::u16string> headerLines(const course::Session& s) {
  std::vector<std::u16string> out = {
      u"<html>",
      u"<head><meta http-equiv='Content-Type' content='text/html; charset=windows-1251'></head>",
      u"<body bgcolor='black' text='white' leftmargin='3' topmargin='1' marginwidth='3' "
      u"marginheight='1'>",
  };
  if (s.courseAuthor.empty()) {
    out.push_back(u"<center><h3>" + s.courseTitle + u"</h3></center>");
  } else {
    out.push_back(u"<center><b>" + s.courseTitle + u" ");
    out.push_back(s.courseAuthor + u"</b></center>");
  }
  out.push_back(u"</body></html>");
  return out;
}

void writeHeader(const course::Session& session, const std::string& outputFolder) {
  support::writeTextFile(outputFolder + "header.htm", headerLines(session), support::kCyrillic);
}

}  // namespace package
