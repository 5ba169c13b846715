#pragma once
// The documents of tests/common/looks.h as Word 2007+ packages.
#include <map>
#include <string>

#include "../common/looks.h"
#include "docx_fixture.h"

namespace looks {

namespace docxwriter {

inline std::string family(word::FontClass c) {
  static const char* const kNames[] = {"auto", "roman", "swiss", "modern", "script", "decorative"};
  return kNames[static_cast<size_t>(c)];
}

inline std::string shd(uint32_t fill, int percent = 0) {
  if (percent)
    return "<w:shd w:val=\"pct" + std::to_string(percent) +
           "\" w:color=\"000000\" w:fill=\"FFFFFF\"/>";
  return "<w:shd w:val=\"clear\" w:color=\"auto\" w:fill=\"" + hex(fill).substr(1) + "\"/>";
}

// A package of `body` with a style sheet of `styles` (w:style elements) over
// defaults in Calibri, and a font table of `fonts` (w:font elements).
inline std::string package(const std::string& body, const std::string& styles,
                           const std::string& fonts) {
  docxtest::Package p;
  p.document = docxtest::documentXml(body);
  p.parts["word/styles.xml"] = docxtest::part(
      "styles",
      "<w:docDefaults><w:rPrDefault><w:rPr><w:rFonts w:ascii=\"Calibri\" w:hAnsi=\"Calibri\"/>"
      "</w:rPr></w:rPrDefault></w:docDefaults><w:style w:type=\"paragraph\" w:default=\"1\" "
      "w:styleId=\"Normal\"><w:name w:val=\"Normal\"/></w:style>" +
          styles);
  p.parts["word/fontTable.xml"] = docxtest::part(
      "fonts", "<w:font w:name=\"Calibri\"><w:family w:val=\"swiss\"/></w:font>" + fonts);
  p.documentRels = docxtest::relationship("rFonts", "fontTable", "fontTable.xml");
  return docxtest::build(p);
}

}  // namespace docxwriter

inline std::string facesDocx() {
  std::string body = docxtest::p(docxtest::r(kDefaultFace.text)), fonts;
  for (const Face& f : kFaces) {
    body += docxtest::p(docxtest::r(
        f.text, "<w:rFonts w:ascii=\"" + std::string(f.font) + "\" w:hAnsi=\"" + f.font + "\"/>"));
    // A font the table does not class is not in it.
    if (f.fontClass != word::FontClass::Unknown)
      fonts += "<w:font w:name=\"" + std::string(f.font) + "\"><w:family w:val=\"" +
               docxwriter::family(f.fontClass) + "\"/></w:font>";
  }
  return docxwriter::package(body, "", fonts);
}

inline std::string spacesDocx() {
  auto pPr = [](const Space& s) {
    std::string spacing = "<w:spacing";
    if (s.before == kAuto)
      spacing += " w:beforeAutospacing=\"1\"";
    else if (s.before)
      spacing += " w:before=\"" + std::to_string(s.before) + "\"";
    if (s.after == kAuto)
      spacing += " w:afterAutospacing=\"1\"";
    else if (s.after)
      spacing += " w:after=\"" + std::to_string(s.after) + "\"";
    static const char* const kRules[] = {"auto", "atLeast", "exact"};
    if (s.line != 240 || s.rule != LineRule::Multiple)
      spacing += " w:line=\"" + std::to_string(s.line) + "\" w:lineRule=\"" +
                 kRules[static_cast<size_t>(s.rule)] + "\"";
    return spacing + "/>" + (s.contextual ? "<w:contextualSpacing/>" : "");
  };
  std::string body;
  std::map<std::string, std::string> styles;
  for (const Space& s : kSpaces) {
    if (*s.style)
      styles.emplace(s.style, "<w:style w:type=\"paragraph\" w:styleId=\"" + std::string(s.style) +
                                  "\"><w:name w:val=\"" + s.style +
                                  "\"/><w:basedOn w:val=\"Normal\"/><w:pPr>" + pPr(s) +
                                  "</w:pPr></w:style>");
    body += docxtest::p(docxtest::r(s.text),
                        *s.style ? "<w:pStyle w:val=\"" + std::string(s.style) + "\"/>" : pPr(s));
  }
  // An indent and a tab stop, which grow with the reader's text size
  // (tests/e2e/looks.js).
  body += docxtest::p(docxtest::r("Indented 36"), "<w:ind w:left=\"720\"/>") +
          docxtest::p(docxtest::r("Tabbed") + "<w:r><w:tab/></w:r>" + docxtest::r("At 108"),
                      "<w:tabs><w:tab w:val=\"left\" w:pos=\"2160\"/></w:tabs>");
  std::string sheet;
  for (const auto& [name, xml] : styles) sheet += xml;
  return docxwriter::package(body, sheet, "");
}

inline std::string shadesDocx() {
  std::string body;
  for (const Shade& s : kShades) {
    std::string rPr = s.whiteText ? "<w:color w:val=\"FFFFFF\"/>" : "";
    if (s.where == Shaded::Run) rPr += docxwriter::shd(s.fill);
    const std::string para = docxtest::r(s.text, rPr);
    if (s.where == Shaded::Cell)
      body += "<w:tbl><w:tr><w:tc><w:tcPr>" + docxwriter::shd(s.fill) + "</w:tcPr>" +
              docxtest::p(para) + "</w:tc></w:tr></w:tbl>";
    else
      body +=
          docxtest::p(para, s.where == Shaded::Paragraph ? docxwriter::shd(s.fill, s.percent) : "");
  }
  return docxwriter::package(body + docxtest::p(docxtest::r("End")), "", "");
}

}  // namespace looks
