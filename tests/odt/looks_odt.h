#pragma once
// The documents of tests/common/looks.h as OpenDocument texts.
#include <map>
#include <string>

#include "../common/looks.h"
#include "odt_fixture.h"

namespace looks {

namespace odtwriter {

inline std::string twips(int32_t t) {
  const std::string hundredths = std::to_string(100 + t % 20 * 5).substr(1);
  return std::to_string(t / 20) + "." + hundredths + "pt";
}

inline std::string p(const std::string& inner, const std::string& style) {
  return "<text:p text:style-name=\"" + style + "\">" + inner + "</text:p>";
}

inline std::string span(const std::string& text, const std::string& style) {
  return "<text:span text:style-name=\"" + style + "\">" + text + "</text:span>";
}

inline std::string style(const std::string& name, const std::string& family,
                         const std::string& props, const std::string& parent = "Standard") {
  return "<style:style style:name=\"" + name + "\" style:family=\"" + family + "\"" +
         (parent.empty() ? "" : " style:parent-style-name=\"" + parent + "\"") + ">" + props +
         "</style:style>";
}

// The default paragraph style "Standard" in Calibri, and `common` styles.
inline std::string standard(const std::string& common = {}) {
  return style("Standard", "paragraph", "<style:text-properties style:font-name=\"Calibri\"/>",
               "") +
         common;
}

inline std::string face(const std::string& font, word::FontClass c) {
  static const char* const kNames[] = {"", "roman", "swiss", "modern", "script", "decorative"};
  const std::string generic = kNames[static_cast<size_t>(c)];
  return "<style:font-face style:name=\"" + font + "\" svg:font-family=\"'" + font + "'\"" +
         (generic.empty() ? "" : " style:font-family-generic=\"" + generic + "\"") + "/>";
}

}  // namespace odtwriter

inline std::string facesOdt() {
  using namespace odtwriter;
  odttest::Parts parts;
  parts.common = standard();
  parts.fonts = face("Calibri", word::FontClass::Swiss);
  parts.body = p(kDefaultFace.text, "Standard");
  int n = 0;
  for (const Face& f : kFaces) {
    const std::string name = std::string("T").append(std::to_string(++n));
    parts.fonts += face(f.font, f.fontClass);
    parts.automatic +=
        style(name, "text",
              "<style:text-properties style:font-name=\"" + std::string(f.font) + "\"/>", "");
    parts.body += p(span(f.text, name), "Standard");
  }
  return odttest::package(parts);
}

inline std::string spacesOdt() {
  using namespace odtwriter;
  auto props = [](const Space& s) {
    std::string a = "<style:paragraph-properties";
    if (s.before) a += " fo:margin-top=\"" + twips(s.before) + "\"";
    if (s.after) a += " fo:margin-bottom=\"" + twips(s.after) + "\"";
    if (s.contextual) a += " style:contextual-spacing=\"true\"";
    if (s.rule == LineRule::Multiple && s.line != 240)
      a += " fo:line-height=\"" + std::to_string(s.line * 100 / 240) + "%\"";
    if (s.rule == LineRule::Exactly) a += " fo:line-height=\"" + twips(s.line) + "\"";
    if (s.rule == LineRule::AtLeast) a += " style:line-height-at-least=\"" + twips(s.line) + "\"";
    return a + "/>";
  };
  odttest::Parts parts;
  std::map<std::string, std::string> common;
  int n = 0;
  for (const Space& s : kSpaces) {
    if (s.autoSpacing) continue;  // the format has none
    if (*s.style) {
      common.emplace(s.style, style(s.style, "paragraph", props(s)));
      parts.body += p(s.text, s.style);
      continue;
    }
    const std::string name = std::string("P").append(std::to_string(++n));
    parts.automatic += style(name, "paragraph", props(s));
    parts.body += p(s.text, name);
  }
  std::string sheet;
  for (const auto& [name, xml] : common) sheet += xml;
  parts.common = standard(sheet);
  return odttest::package(parts);
}

inline std::string shadesOdt() {
  using namespace odtwriter;
  odttest::Parts parts;
  parts.common = standard();
  int n = 0;
  for (const Shade& s : kShades) {
    const std::string id = std::to_string(++n);
    // The format has no patterns: the colour the pattern shows.
    const std::string background = "fo:background-color=\"" + hex(s.behind) + "\"";
    parts.automatic +=
        style("T" + id, "text",
              "<style:text-properties" + std::string(s.whiteText ? " fo:color=\"#ffffff\"" : "") +
                  (s.where == Shaded::Run ? " " + background : "") + "/>",
              "");
    const std::string text = span(s.text, "T" + id);
    if (s.where == Shaded::Cell) {
      parts.automatic +=
          style("C" + id, "table-cell", "<style:table-cell-properties " + background + "/>", "");
      parts.body +=
          "<table:table><table:table-column/><table:table-row><table:table-cell "
          "table:style-name=\"C" +
          id + "\">" + p(text, "Standard") + "</table:table-cell></table:table-row></table:table>";
    } else if (s.where == Shaded::Paragraph) {
      parts.automatic +=
          style("P" + id, "paragraph", "<style:paragraph-properties " + background + "/>");
      parts.body += p(text, "P" + id);
    } else {
      parts.body += p(text, "Standard");
    }
  }
  parts.body += p("End", "Standard");
  return odttest::package(parts);
}

}  // namespace looks
