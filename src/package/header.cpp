#include "package/header.h"

#include "package/escape.h"
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
  // Title and author are the author's text, not markup: the page shows
  // them as the manifest's title does, and nothing in them runs beside the
  // player (and the LMS it talks to).
  const std::u16string title = markupEscaped(s.courseTitle);
  if (s.courseAuthor.empty()) {
    out.push_back(u"<center><h3>" + title + u"</h3></center>");
  } else {
    out.push_back(u"<center><b>" + title + u" ");
    out.push_back(markupEscaped(s.courseAuthor) + u"</b></center>");
  }
  out.push_back(u"</body></html>");
  return out;
}

void writeHeader(const course::Session& session, const std::string& outputFolder) {
  support::writeTextFile(outputFolder + "header.htm", headerLines(session), support::kCyrillic);
}

}  // namespace package
