// Whatever a metafile holds, the SVG written is a drawing and nothing else:
// hostile metafiles made here go through the real helper, and every SVG
// must pass this test's own reading of the allow-list (no element a drawing
// does not need, no event attribute, no reference outside the file, no
// javascript: link), with the metafile's text shown as text. With
// RD_SVG_OUT set, the SVGs are also written there, for the browser test
// that opens each on its own (tests/e2e/svg_alone.js).
#include "word/write/pictures/svg_allow.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <pugixml.hpp>
#include <set>

#include "../common/fixtures.h"
#include "pictures.h"
#include "word/write/pictures/converter.h"

using namespace testing_support;

namespace {

// What a drawing of a metafile needs.
const std::set<std::string> kDrawing = {
    "svg",  "g",     "defs",   "clipPath", "mask",           "pattern",       "use",
    "path", "rect",  "circle", "ellipse",  "line",           "polyline",      "polygon",
    "text", "tspan", "image",  "stop",     "linearGradient", "radialGradient"};

bool localUrls(std::string v) {
  for (char& c : v) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (size_t at = v.find("url("); at != std::string::npos; at = v.find("url(", at + 1)) {
    const size_t next = v.find_first_not_of(" '\"", at + 4);
    if (next == std::string::npos || v[next] != '#') return false;
  }
  return true;
}

void checkElement(const pugi::xml_node& e, std::vector<std::string>& found) {
  const std::string name = e.name();
  if (!kDrawing.count(name)) found.push_back("element " + name);
  for (const pugi::xml_attribute& a : e.attributes()) {
    const std::string an = a.name(), v = a.value();
    if (an.rfind("on", 0) == 0) found.push_back("event " + an);
    if (an.find(':') != std::string::npos && an.rfind("xmlns", 0) != 0 && an != "xlink:href" &&
        an != "xml:space")
      found.push_back("foreign attribute " + an);
    if (an.rfind("xmlns", 0) == 0 && v != "http://www.w3.org/2000/svg" &&
        v != "http://www.w3.org/1999/xlink")
      found.push_back("namespace " + v);
    if (an == "href" || an == "xlink:href") {
      const bool ok = (name == "image" && (v.rfind("data:image/png;", 0) == 0 ||
                                           v.rfind("data:image/jpeg;", 0) == 0)) ||
                      (name == "use" && v.rfind('#', 0) == 0);
      if (!ok) found.push_back("href " + v.substr(0, 40));
    }
    if (!localUrls(v)) found.push_back("url in " + an + "=" + v);
    if (v.find("javascript:") != std::string::npos) found.push_back("javascript: in " + an);
  }
  for (const pugi::xml_node& c : e.children()) {
    if (c.type() == pugi::node_element) checkElement(c, found);
    if (c.type() == pugi::node_pi || c.type() == pugi::node_comment)
      found.push_back("instruction or comment");
  }
}

// What in the SVG is not a drawing: nothing, for every SVG written.
std::vector<std::string> notADrawing(const std::string& svg) {
  pugi::xml_document doc;
  const auto parsed = doc.load_string(svg.c_str(), pugi::parse_default | pugi::parse_doctype |
                                                       pugi::parse_pi | pugi::parse_comments);
  if (!parsed) return {std::string("not well-formed: ") + parsed.description()};
  std::vector<std::string> found;
  for (const pugi::xml_node& n : doc.children()) {
    if (n.type() == pugi::node_doctype) found.push_back("a DOCTYPE");
    if (n.type() == pugi::node_pi || n.type() == pugi::node_comment)
      found.push_back("instruction or comment beside the root");
  }
  checkElement(doc.document_element(), found);
  return found;
}

std::string allText(const std::string& svg) {
  pugi::xml_document doc;
  doc.load_string(svg.c_str());
  std::string text;
  for (const pugi::xpath_node& t : doc.select_nodes("//text"))
    for (const pugi::xml_node& c : t.node().children()) text += c.value();
  return text;
}

class MetafilePayloads : public ::testing::Test {
 protected:
  void SetUp() override { word::write::setPictureProgram(kHelper); }
  void TearDown() override { word::write::setPictureProgram(""); }
};

TEST_F(MetafilePayloads, EverySvgIsADrawingAndTheTextStaysText) {
  const std::string ran = "window.ran=1";
  struct Payload {
    const char* name;
    word::Picture picture;
    std::string shownAsText;  // empty: the text breaks out, as the library writes it
  };
  const Payload payloads[] = {
      {"wmf-cyrillic", picture("wmf", textWmf("A&B<C \xC0\xC1", "Arial", 204)),
       "A&B<C \u0410\u0411"},
      {"wmf-script", picture("wmf", textWmf("</text><script>" + ran + "</script>")),
       "</text><script>" + ran + "</script>"},
      {"wmf-onload", picture("wmf", textWmf("</text><svg onload=\"" + ran + "\"/>")),
       "</text><svg onload=\"" + ran + "\"/>"},
      {"wmf-foreign",
       picture("wmf", textWmf("</text><foreignObject><iframe "
                              "src=\"http://ran.invalid/\"/></foreignObject>")),
       "<foreignObject>"},
      {"wmf-link",
       picture("wmf", textWmf("</text><a href=\"javascript:" + ran +
                              "\"><rect width=\"99\" "
                              "height=\"99\"/></a>")),
       "javascript:"},
      {"wmf-image", picture("wmf", textWmf("</text><image href=\"http://ran.invalid/\"/>")),
       "</text><image"},
      {"emf-cdata", picture("emf", textEmf(u"]]><script>window.ran=1</script>")),
       "]]><script>window.ran=1</script>"},
      {"emf-script", picture("emf", textEmf(u"]]></text><script>window.ran=1</script><text>")), ""},
      {"emf-image",
       picture("emf", textEmf(u"]]></text><image href=\"http://ran.invalid/i.png\" "
                              u"width=\"9\" height=\"9\"/><text>")),
       ""},
      {"emf-stylesheet",
       picture("emf", textEmf(u"]]></text><style>@import url(http://ran.invalid/);</style>"
                              u"<?xml-stylesheet href=\"http://ran.invalid/x\"?><text>")),
       ""},
      {"emf-foreign",
       picture("emf", textEmf(u"]]></text><foreignObject><img xmlns=\"http://www.w3.org/1999/"
                              u"xhtml\" src=\"http://ran.invalid/\"/></foreignObject><text>")),
       ""},
      {"emf-font-onload", picture("emf", textEmf(u"x", u"x\"/><svg onload=\"window.ran=1")), ""},
      {"emf-font-style", picture("emf", textEmf(u"x", u"x\" style=\"fill:url(//ran.invalid)")), ""},
  };
  const char* out = std::getenv("RD_SVG_OUT");
  word::write::PictureConverter converter;
  for (const Payload& p : payloads) {
    SCOPED_TRACE(p.name);
    const word::write::WebPicture web = converter.prepare(p.picture);
    ASSERT_TRUE(web.shown) << web.problem;
    ASSERT_EQ(web.extension, "svg");
    EXPECT_EQ(notADrawing(*web.bytes), std::vector<std::string>{}) << *web.bytes;
    if (!p.shownAsText.empty()) {
      EXPECT_NE(allText(*web.bytes).find(p.shownAsText), std::string::npos) << *web.bytes;
    }
    if (out) writeBytes(std::string(out) + "/" + p.name + ".svg", *web.bytes);
  }
}

// What a picture needs is kept, and the rest goes: libraries' SVG as it
// might come, with what must stay and what must not.
TEST(AllowedSvg, KeepsWhatADrawingNeedsAndNothingElse) {
  struct Case {
    const char* svg;
    std::vector<const char*> kept;
    std::vector<const char*> gone;
  };
  const Case cases[] = {
      {"<svg><text x=\"1 2 3\" y=\"4 5 6\" dx=\"1 1\" textLength=\"30\" "
       "lengthAdjust=\"spacingAndGlyphs\" style=\"font-family:'Times New Roman'; "
       "white-space:pre\">abc</text></svg>",
       {"x=\"1 2 3\" y=\"4 5 6\" dx=\"1 1\" textLength=\"30\" lengthAdjust=\"spacingAndGlyphs\"",
        "font-family:'Times New Roman'; white-space:pre", ">abc</text>"},
       {}},
      {"<svg xmlns:xlink=\"http://www.w3.org/1999/xlink\"><image xlink:href=\"data:image/png;"
       "base64,AA\"/><image href=\" data:image/jpg;base64,BB\"/><image xlink:href=\"data:image/"
       "svg+xml;base64,CC\"/><image href=\"http://x/y.png\"/><image href=\"javascript:1\"/></svg>",
       {"xlink:href=\"data:image/png;base64,AA\"", "href=\"data:image/jpeg;base64,BB\""},
       {"svg+xml", "http://x", "javascript"}},
      // The WMF player's images, their prefix undeclared.
      {"<svg><image xlink:href=\"data:image/png;base64,AA\"/><image xlink:href=\"http://x\"/>"
       "</svg>",
       {"<image xlink:href=\"data:image/png;base64,AA\"/>"},
       {"http://x"}},
      {"<svg><defs><pattern id=\"p\"><use href=\"#i\"/><use href=\"o.svg#i\"/></pattern></defs>"
       "<rect fill=\"url(#p)\" clip-path=\"url( '#c')\" stroke=\"url(http://x/#s)\" "
       "style=\"fill:url(#p); stroke:URL(//x/s); color:rgb(1,2,3); "
       "font-family:u\\72l(x)\"/></svg>",
       {"<use href=\"#i\"/>", "fill=\"url(#p)\"", "clip-path=\"url( '#c')\"",
        "style=\"fill:url(#p); color:rgb(1,2,3)\""},
       {"o.svg", "http://", "//x", "u\\72l"}},
      {"<!DOCTYPE svg [<!ENTITY e \"boom\">]><?xml-stylesheet href=\"http://x/s.css\"?>"
       "<svg xmlns:s=\"http://sodipodi\" s:absref=\"/etc\" xml:base=\"http://x/\" "
       "onload=\"f()\"><!-- c --><g onclick=\"f()\" transform=\"scale(2)\"><text>&e;ok</text>"
       "<script>f()</script><foreignObject><p/></foreignObject><a href=\"javascript:f()\">"
       "<text>link</text></a><style>*{}</style><set attributeName=\"href\" to=\"x\"/>"
       "<animate/></g></svg>",
       {"<g transform=\"scale(2)\"><text>ok</text></g>"},
       {"DOCTYPE", "ENTITY", "boom", "stylesheet", "sodipodi", "absref", "base", "onload",
        "onclick", "<!--", "script", "foreign", "link", "style", "set", "animate"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.svg);
    const std::optional<std::string> svg = word::write::allowedSvg(c.svg);
    ASSERT_TRUE(svg);
    for (const char* k : c.kept) EXPECT_NE(svg->find(k), std::string::npos) << k << "\n" << *svg;
    for (const char* g : c.gone) EXPECT_EQ(svg->find(g), std::string::npos) << g << "\n" << *svg;
  }
  for (const char* notSvg : {"<html><svg/></html>", "",
                             "<svg xmlns=\"http://www.w3.org/1999/"
                             "xhtml\"/>"})
    EXPECT_FALSE(word::write::allowedSvg(notSvg)) << notSvg;
}

}  // namespace
