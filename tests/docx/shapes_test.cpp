// Shapes with neither a picture nor text: drawn by their outline, fill and
// line as a small picture, in the theme's colours.
#include "word/read/docx/shapes.h"

#include <gtest/gtest.h>

#include "docx_fixture.h"
#include "support/strings.h"

namespace {

using docxtest::p;
using docxtest::r;

// A drawing of ten pixels square.
std::string drawing(const std::string& graphic) {
  return "<w:r><w:drawing><wp:inline><wp:extent cx=\"95250\" "
         "cy=\"95250\"/><a:graphic><a:graphicData>" +
         graphic + "</a:graphicData></a:graphic></wp:inline></w:drawing></w:r>";
}

std::string shape(const std::string& props, const std::string& style = "") {
  return "<wps:wsp><wps:spPr>" + props + "</wps:spPr>" + style + "</wps:wsp>";
}

TEST(DocxShapes, ShapesAreDrawnByTheirOutlineFillAndLine) {
  const std::string box =
      "<a:prstGeom prst=\"rect\"/><a:solidFill><a:srgbClr val=\"FFFFFF\"/></a:solidFill>"
      "<a:ln w=\"9525\"><a:solidFill><a:srgbClr val=\"000000\"/></a:solidFill></a:ln>";
  const std::string member =
      "<a:xfrm><a:off x=\"500\" y=\"0\"/><a:ext cx=\"500\" cy=\"1000\"/>"
      "</a:xfrm><a:prstGeom prst=\"ellipse\"/><a:noFill/>";
  const struct {
    const char* what;
    std::string graphic;
    std::vector<std::string> marks;  // what the picture holds; none: a loss
  } cases[] = {
      {"a white box lined in black",
       shape(box),
       {"width=\"10\" height=\"10\"", "<rect x=\"0.5\" y=\"0.5\" width=\"9\" height=\"9\"",
        "fill=\"#ffffff\" stroke=\"#000000\""}},
      {"a line with an arrowhead, as thick as its line",
       shape("<a:prstGeom prst=\"line\"/><a:ln w=\"25400\"><a:tailEnd type=\"triangle\"/></a:ln>",
             "<wps:style><wps:lnRef idx=\"1\"><a:prstClr val=\"red\"/></wps:lnRef></wps:style>"),
       {"<line x1=\"0\" y1=\"0\" x2=\"10\" y2=\"10\" stroke=\"#ff0000\"", "<polygon"}},
      {"a group's members where the group's space puts them",
       "<wpg:wgp><wpg:grpSpPr><a:xfrm><a:chOff x=\"0\" y=\"0\"/><a:chExt cx=\"1000\" cy=\"1000\"/>"
       "</a:xfrm></wpg:grpSpPr>" +
           shape(member) +
           "<wpg:grpSp><wpg:grpSpPr><a:xfrm><a:off x=\"0\" y=\"0\"/><a:ext "
           "cx=\"500\" cy=\"500\"/><a:chOff x=\"0\" y=\"0\"/><a:chExt cx=\"2\" "
           "cy=\"2\"/></a:xfrm></wpg:grpSpPr>" +
           shape("<a:xfrm><a:off x=\"1\" y=\"1\"/><a:ext cx=\"1\" cy=\"1\"/></a:xfrm>" + box) +
           "</wpg:grpSp></wpg:wgp>",
       {"<ellipse cx=\"7.5\" cy=\"5\" rx=\"2.5\" ry=\"5\" fill=\"none\" stroke=\"none\"",
        "<rect x=\"3\" y=\"3\" width=\"1.5\" height=\"1.5\""}},
      {"a canvas's shapes, in English metric units from its corner",
       "<wpc:wpc>" +
           shape("<a:xfrm><a:off x=\"47625\" y=\"0\"/><a:ext cx=\"47625\" cy=\"95250\"/>"
                 "</a:xfrm>" +
                 box) +
           "</wpc:wpc>",
       {"<rect x=\"5.5\" y=\"0.5\" width=\"4\" height=\"9\""}},
      {"an outline of its own", shape("<a:custGeom/>"), {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const word::Model m = docxtest::read(p(r("a") + drawing(c.graphic) + r("b")));
    ASSERT_EQ(m.main.pictures.size(), c.marks.empty() ? 0u : 1u);
    ASSERT_EQ(m.losses.size(), c.marks.empty() ? 1u : 0u);
    if (c.marks.empty()) continue;
    const std::string& svg = *m.main.pictures[0].data;
    EXPECT_EQ(m.main.pictures[0].format, "svg");
    for (const std::string& mark : c.marks)
      EXPECT_NE(svg.find(mark), std::string::npos) << mark << "\n" << svg;
  }
}

// A frame of a width set against a side floats there, at most half the
// column, the room it keeps from the text at most a tenth, as far below
// the text as the document sets it; one with no side or no width stays in
// the flow, at least as tall as it keeps. A drop cap that hangs in the margin
// takes the page's rule for it.
TEST(DocxShapes, FramesFloatAgainstTheirSide) {
  const struct {
    std::string frame;
    const char* css;  // nullptr: in the flow
  } cases[] = {
      {"w:w=\"2880\" w:xAlign=\"right\" w:wrap=\"around\" w:hAnchor=\"margin\"",
       "float:right;clear:right;margin-left:min(0.75rem,10%);width:12rem;max-width:50%;"},
      {"w:w=\"2160\" w:xAlign=\"left\" w:hAnchor=\"text\"", "float:left;clear:left;"},
      {"w:w=\"2880\" w:xAlign=\"left\" w:hSpace=\"720\" w:vSpace=\"240\"",
       "margin-right:min(3rem,10%);width:12rem;max-width:50%;box-sizing:border-box;"
       "margin-top:min(1rem,10%);margin-bottom:min(1rem,10%);"},
      {"w:w=\"2880\" w:xAlign=\"left\" w:hSpace=\"0\"", "margin-right:0;width:12rem;"},
      // At least as tall as the document keeps it, or exactly.
      {"w:w=\"2880\" w:xAlign=\"left\" w:h=\"2880\" w:hRule=\"atLeast\"",
       "box-sizing:border-box;min-height:12rem;\""},
      {"w:w=\"2880\" w:xAlign=\"left\" w:h=\"1440\" w:hRule=\"exact\"", "min-height:6rem;"},
      {"w:w=\"2880\" w:xAlign=\"right\" w:vAnchor=\"text\" w:y=\"1440\" w:vSpace=\"240\"",
       "<div class=\"side-drop\" style=\"float:right;width:0;height:6rem\"></div><div "
       "class=\"side-box\" style=\"float:right;"
       "clear:right;margin-left:min(0.75rem,10%);width:12rem;max-width:50%;box-sizing:border-"
       "box;margin-bottom:min(1rem,10%);\">"},
      {"w:xAlign=\"right\"", nullptr},
      {"w:w=\"2880\" w:xAlign=\"center\"", nullptr},
      {"w:dropCap=\"margin\" w:lines=\"3\"",
       "<span class=\"margin-cap\" style=\"text-indent:0;\">"},
  };
  for (const auto& c : cases) {
    const word::Model m =
        docxtest::read(p(r("framed"), "<w:framePr " + c.frame + "/>") + p(r("beside")));
    const std::string page = word::write::html(m, "p_files", u"t").text;
    if (c.css)
      EXPECT_NE(page.find(c.css), std::string::npos) << c.frame << "\n" << page;
    else
      EXPECT_EQ(page.find("float:"), std::string::npos) << c.frame << "\n" << page;
  }
}

// Neighbours framed alike are one frame in the document, one below the
// other: one box floats, holding both; a frame of its own beside it
// floats apart, and the text after it, their lines around each.
TEST(DocxShapes, ParagraphsFramedAlikeShareOneBox) {
  const std::string line = "<w:pBdr><w:top w:val=\"single\" w:sz=\"4\"/><w:left w:val=\"single\" "
                           "w:sz=\"4\"/><w:bottom w:val=\"single\" w:sz=\"4\"/><w:right "
                           "w:val=\"single\" w:sz=\"4\"/></w:pBdr>";
  const std::string right =
      "<w:framePr w:w=\"2880\" w:xAlign=\"right\" w:vSpace=\"240\"/>" + line;
  const word::Model m = docxtest::read(
      p(r("first"), right) + p(r("second"), right) +
      p(r("apart"), "<w:framePr w:w=\"2880\" w:xAlign=\"left\"/>" + line) + p(r("text"), line));
  const std::string page = word::write::html(m, "p_files", u"t").text;
  const size_t box = page.find("<div class=\"side-box\" style=\"float:right");
  ASSERT_NE(box, std::string::npos) << page;
  EXPECT_LT(page.find("second"), page.find("</div>", box)) << page;
  EXPECT_EQ(page.find("float:right", page.find('>', box)), std::string::npos) << page;
  EXPECT_NE(page.find("<div class=\"side-box\" style=\"float:left"), std::string::npos) << page;
  EXPECT_GT(page.find(">text</p>"), page.rfind("</div>")) << page;
  for (const char* boxed : {">apart</p>", ">text</p>"})
    EXPECT_EQ(page.compare(page.rfind("<p", page.find(boxed)), 17, "<p style=\"border:"), 0)
        << boxed << "\n" << page;
  // Framed alike but set at heights of their own (the second higher on the
  // page, so that neither drops): two frames, each in its own lines.
  auto at = [&](const char* y) {
    return "<w:framePr w:w=\"2880\" w:xAlign=\"right\" w:vAnchor=\"page\" w:y=\"" +
           std::string(y) + "\"/>" + line;
  };
  const std::string two = word::write::html(docxtest::read(p(r("low"), at("2880")) +
                                                           p(r("high"), at("1440"))),
                                            "p_files", u"t")
                              .text;
  const size_t second =
      two.find("<div class=\"side-box\" style=\"float:right", two.find(">low</p>"));
  ASSERT_NE(second, std::string::npos) << two;
  EXPECT_EQ(two.compare(two.find("<p", second), 17, "<p style=\"border:"), 0) << two;
}

// VML's shapes are drawn as well. A shape in front of the text stands in
// the line where it is anchored: one larger than a letter or two is not
// drawn there, nor a group's member shape, sized in the group's units.
TEST(DocxShapes, OnlyShapesThatFitTheLineStandInIt) {
  const std::string anchored =
      "<w:r><w:drawing><wp:anchor><wp:extent cx=\"952500\" cy=\"95250\"/><wp:wrapNone/>"
      "<a:graphic><a:graphicData>" +
      shape("<a:prstGeom prst=\"rect\"/>",
            "<wps:style><wps:lnRef idx=\"1\"><a:prstClr val=\"black\"/></wps:lnRef></wps:style>") +
      "</a:graphicData></a:graphic></wp:anchor></w:drawing></w:r>";
  auto pict = [](const std::string& vml) { return "<w:r><w:pict>" + vml + "</w:pict></w:r>"; };
  const struct {
    const char* what;
    std::string run;
    const char* mark;  // what the picture holds; none: a loss
  } cases[] = {
      {"a red VML box without a line",
       pict("<v:rect style=\"width:7.5pt;height:7.5pt\" fillcolor=\"#f00 [3213]\" "
            "stroked=\"f\"/>"),
       "<rect x=\"0\" y=\"0\" width=\"10\" height=\"10\" fill=\"#ff0000\" stroke=\"none\""},
      {"a VML shape of a preset type, flipped",
       pict("<v:shape type=\"#_x0000_t5\" style=\"width:7.5pt;height:7.5pt;flip:y\"/>"),
       "<polygon points=\"5,9.5 9.5,0.5 0.5,0.5\""},
      {"a small VML circle in front of the text",
       pict("<v:oval style=\"position:absolute;width:7.5pt;height:7.5pt\"/>"), "<ellipse"},
      {"a long VML line in front of the text",
       pict("<v:line style=\"position:absolute\" from=\"0,0\" to=\"300pt,0\"/>"), nullptr},
      {"a VML group's member", pict("<v:group><v:rect style=\"width:100;height:100\"/></v:group>"),
       nullptr},
      {"a long box in front of the text", anchored, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const word::Model m = docxtest::read(p(r("a") + c.run + r("b")));
    ASSERT_EQ(m.main.pictures.size(), c.mark ? 1u : 0u);
    EXPECT_EQ(m.losses.size(), c.mark ? 0u : 1u);
    if (!c.mark) continue;
    const std::string& svg = *m.main.pictures[0].data;
    EXPECT_NE(svg.find(c.mark), std::string::npos) << svg;
  }
  // A picture in a VML group takes the group's scale (150 by 75 points over
  // 4,000 by 2,000 units) and stands where the group does; the group's
  // other shapes are named lost, once.
  const word::Model g = docxtest::read(
      p(r("a") +
        pict("<v:group style=\"width:150pt;height:75pt\" coordsize=\"4000,2000\"><v:shape "
             "style=\"position:absolute;width:4000;height:2000\"><v:imagedata r:id=\"rP\"/>"
             "</v:shape><v:line from=\"0,0\" to=\"2000,1000\"/><v:rect "
             "style=\"width:100;height:100\"/></v:group>")),
      {{"word/media/p.png", "png"}}, docxtest::relationship("rP", "image", "media/p.png"));
  ASSERT_EQ(g.main.pictures.size(), 1u);
  EXPECT_EQ(std::pair(g.main.pictures[0].widthPx, g.main.pictures[0].heightPx),
            std::pair(200, 100));
  EXPECT_EQ(g.main.pictures[0].side, word::PictureSide::Inline);
  EXPECT_EQ(g.losses.size(), 1u);
}

// A picture turned or mirrored (DrawingML's 60,000ths of a degree, VML's
// degrees or 65,536ths of one) shows so on the page, taking the room of
// its turned shape; one with a line round it (1.5 points) shows it.
TEST(DocxShapes, TurnedMirroredAndOutlinedPictures) {
  const std::string picture =
      "<w:r><w:drawing><wp:inline><wp:extent cx=\"95250\" cy=\"47625\"/><a:graphic>"
      "<a:graphicData><pic:pic><pic:blipFill><a:blip r:embed=\"rP\"/></pic:blipFill><pic:spPr>"
      "<a:xfrm rot=\"5400000\" flipH=\"1\"/></pic:spPr></pic:pic></a:graphicData></a:graphic>"
      "</wp:inline></w:drawing></w:r>";
  auto vml = [](const std::string& style) {
    return "<w:r><w:pict><v:shape style=\"width:10pt;height:10pt;" + style +
           "\"><v:imagedata r:id=\"rP\"/></v:shape></w:pict></w:r>";
  };
  const struct {
    const char* what;
    std::string run;
    int16_t rotation;
    bool flipH, flipV;
    const char* css;
    const char* box;  // the room it takes (10 by 5 pixels; 13 by 13)
  } cases[] = {
      {"a quarter turn, mirrored across", picture, 90, true, false,
       "width:200%;margin-left:-50%;margin-top:50%;transform:rotate(90deg) scale(-1,1);",
       "<span style=\"display:inline-block;width:5px;max-width:100%;aspect-ratio:5/10;\">"},
      {"VML turned back, mirrored down", vml("rotation:-45;flip:y"), -45, false, true,
       "transform:rotate(-45deg) scale(1,-1);", "width:18px;max-width:100%;aspect-ratio:18/18;"},
      {"VML in 65,536ths of a degree", vml("rotation:2949120fd"), 45, false, false,
       "transform:rotate(45deg);", "width:18px;max-width:100%;aspect-ratio:18/18;"},
      {"outlined",
       support::replaceAll(picture, "<a:xfrm rot=\"5400000\" flipH=\"1\"/>",
                           "<a:ln w=\"19050\"><a:solidFill><a:srgbClr val=\"404040\"/>"
                           "</a:solidFill></a:ln>"),
       0, false, false, "outline:2px solid #404040;outline-offset:-1px;", "<img"},
      {"outlined in VML",
       support::replaceAll(vml(""), "<v:shape ",
                           "<v:shape stroked=\"t\" strokecolor=\"#404040\" "
                           "strokeweight=\"1.5pt\" "),
       0, false, false, "outline:2px solid #404040;outline-offset:-1px;", "<img"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const word::Model m = docxtest::read(p(c.run), {{"word/media/p.png", "png"}},
                                         docxtest::relationship("rP", "image", "media/p.png"));
    ASSERT_EQ(m.main.pictures.size(), 1u);
    const word::PictureLook& look = m.main.pictures[0].look;
    EXPECT_EQ(look.rotation, c.rotation);
    EXPECT_EQ(look.flipH, c.flipH);
    EXPECT_EQ(look.flipV, c.flipV);
    const std::string page = word::write::html(m, "p_files", u"t").text;
    EXPECT_NE(page.find(c.css), std::string::npos) << page;
    EXPECT_NE(page.find(c.box), std::string::npos) << page;
  }
}

// A picture in a group takes its size in the group's child units, which a
// group resized scales: halved by the drawing, halved again by a group in
// it. A PNG with a shape drawn over it in the group shows with the shape,
// in one picture; one of a kind that cannot is shown alone, the shape told
// as lost.
TEST(DocxShapes, PicturesInAResizedGroupTakeItsScale) {
  auto group = [](const char* tag, const char* ext, const char* chExt, const std::string& in) {
    return std::string("<") + tag + "><wpg:grpSpPr><a:xfrm><a:ext " + ext + "/><a:chExt " + chExt +
           "/></a:xfrm></wpg:grpSpPr>" + in + "</" + tag + ">";
  };
  const std::string pic =
      "<pic:pic><pic:blipFill><a:blip r:embed=\"rP\"/></pic:blipFill><pic:spPr><a:xfrm><a:ext "
      "cx=\"1905000\" cy=\"952500\"/></a:xfrm></pic:spPr></pic:pic>";
  const char* half = "cx=\"952500\" cy=\"476250\"";
  const char* whole = "cx=\"1905000\" cy=\"952500\"";
  const std::string run =
      "<w:r><w:drawing><wp:inline><wp:extent " + std::string(half) +
      "/><a:graphic><a:graphicData>" +
      group("wpg:wgp", half, whole, pic + group("wpg:grpSp", half, whole, pic)) +
      "</a:graphicData></a:graphic></wp:inline></w:drawing></w:r>";
  const word::Model m = docxtest::read(p(run), {{"word/media/p.png", "png"}},
                                       docxtest::relationship("rP", "image", "media/p.png"));
  ASSERT_EQ(m.main.pictures.size(), 2u);
  EXPECT_EQ(m.main.pictures[0].widthPx, 100);
  EXPECT_EQ(m.main.pictures[0].heightPx, 50);
  EXPECT_EQ(m.main.pictures[1].widthPx, 50);
  EXPECT_EQ(m.main.pictures[1].heightPx, 25);
  EXPECT_TRUE(m.losses.empty());
  const std::string frame =
      "<wps:wsp><wps:spPr><a:xfrm><a:off x=\"0\" y=\"0\"/><a:ext " + std::string(half) +
      "/></a:xfrm><a:prstGeom prst=\"rect\"/><a:ln><a:solidFill><a:srgbClr val=\"FF0000\"/>"
      "</a:solidFill></a:ln></wps:spPr><wps:bodyPr/></wps:wsp>";
  const word::Model framed = docxtest::read(
      p(support::replaceAll(run, "</wpg:wgp>", frame + "</wpg:wgp>")),
      {{"word/media/p.png", "png"}}, docxtest::relationship("rP", "image", "media/p.png"));
  ASSERT_EQ(framed.losses.size(), 1u);
  EXPECT_NE(framed.losses[0].what.find("over a picture"), std::string::npos);
  const word::Model drawn =
      docxtest::read(p(support::replaceAll(run, "</wpg:wgp>", frame + "</wpg:wgp>")),
                     {{"word/media/p.png", std::string("\x89PNG\r\n\x1a\n", 8)}},
                     docxtest::relationship("rP", "image", "media/p.png"));
  ASSERT_EQ(drawn.main.pictures.size(), 1u);
  EXPECT_TRUE(drawn.losses.empty());
  const std::string& svg = *drawn.main.pictures[0].data;
  // The pictures beneath, in their places (the inner group's at its half
  // scale), the frame over them.
  EXPECT_NE(svg.find("<image x=\"0\" y=\"0\" width=\"100\" height=\"50\""), std::string::npos)
      << svg;
  EXPECT_NE(svg.find("width=\"50\" height=\"25\" preserveAspectRatio=\"none\" "
                     "href=\"data:image/png;base64,iVBORw0KGgo=\""),
            std::string::npos)
      << svg;
  EXPECT_GT(svg.find("stroke=\"#ff0000\""), svg.rfind("<image"));
}

// Each group drawn with its pictures holds a copy of their bytes: a small
// document repeating a group of one large picture took gigabytes. Past
// 64 MiB of copies, a group's pictures show alone, its shapes told as lost.
TEST(DocxShapes, GroupsDrawnWithTheirPicturesCopyABoundedAmount) {
  const std::string group =
      "<w:r><w:drawing><wp:inline><wp:extent cx=\"95250\" cy=\"95250\"/><a:graphic>"
      "<a:graphicData><wpg:wgp><wpg:grpSpPr><a:xfrm><a:ext cx=\"95250\" cy=\"95250\"/><a:chExt "
      "cx=\"95250\" cy=\"95250\"/></a:xfrm></wpg:grpSpPr><pic:pic><pic:blipFill><a:blip "
      "r:embed=\"rP\"/></pic:blipFill></pic:pic><wps:wsp><wps:spPr><a:prstGeom prst=\"rect\"/>"
      "<a:ln><a:solidFill><a:srgbClr val=\"FF0000\"/></a:solidFill></a:ln></wps:spPr></wps:wsp>"
      "</wpg:wgp></a:graphicData></a:graphic></wp:inline></w:drawing></w:r>";
  const std::string png = std::string("\x89PNG\r\n\x1a\n", 8) + std::string(33 << 20, '\0');
  const word::Model m = docxtest::read(p(group) + p(group), {{"word/media/p.png", png}},
                                       docxtest::relationship("rP", "image", "media/p.png"));
  ASSERT_EQ(m.main.pictures.size(), 2u);
  EXPECT_EQ(m.main.pictures[0].format, "svg");
  EXPECT_EQ(m.main.pictures[1].format, "png");
  ASSERT_EQ(m.losses.size(), 1u);
  EXPECT_NE(m.losses[0].what.find("over a picture"), std::string::npos);
}

// A picture behind or in front of the text stands beside the text where
// its middle lies, or on a line of its own when wider than half the line
// (a drawn shape there keeps to its line, above).
TEST(DocxShapes, PicturesOverTheTextStandBesideIt) {
  auto anchored = [](const std::string& cx, const std::string& offset) {
    return "<w:r><w:drawing><wp:anchor behindDoc=\"1\"><wp:extent cx=\"" + cx +
           "\" cy=\"95250\"/><wp:positionH relativeFrom=\"column\"><wp:posOffset>" + offset +
           "</wp:posOffset></wp:positionH><wp:wrapNone/><a:graphic><a:graphicData><pic:pic>"
           "<pic:blipFill><a:blip r:embed=\"rP\"/></pic:blipFill></pic:pic></a:graphicData>"
           "</a:graphic></wp:anchor></w:drawing></w:r>";
  };
  const struct {
    const char* what;
    std::string run;
    word::PictureSide side;
  } cases[] = {
      {"behind the text at its left", anchored("952500", "0"), word::PictureSide::Start},
      {"in front of the text at its right", anchored("952500", "4000000"), word::PictureSide::End},
      {"as wide as the text", anchored("5943600", "0"), word::PictureSide::OwnLineCentre},
      {"VML placed at the right",
       "<w:r><w:pict><v:shape style=\"position:absolute;margin-left:300pt;width:75pt;"
       "height:75pt\"><v:imagedata r:id=\"rP\"/></v:shape></w:pict></w:r>",
       word::PictureSide::End},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const word::Model m = docxtest::read(p(r("a") + c.run + r("b")), {{"word/media/p.png", "png"}},
                                         docxtest::relationship("rP", "image", "media/p.png"));
    ASSERT_EQ(m.main.pictures.size(), 1u);
    EXPECT_EQ(m.main.pictures[0].side, c.side);
  }
}

// WordArt's text shows after its paragraph, as a text box's, in its font
// and size, aligned as that paragraph where it stands in its line; plain
// text leaves it out, as it does a text box's.
TEST(DocxShapes, WordArtsTextShowsAsATextBoxs) {
  const word::Model m = docxtest::read(
      p(r("anchor") +
            "<w:r><w:pict><v:shape><v:textpath style=\"font-family:&quot;Arial "
            "Black&quot;;font-size:20pt\" string=\"My Text\"/></v:shape></w:pict></w:r>"
            "<w:r><w:pict><v:shape style=\"position:absolute\"><v:textpath "
            "string=\"Placed\"/></v:shape></w:pict></w:r>",
        "<w:jc w:val=\"center\"/>"));
  ASSERT_EQ(m.main.paragraphs.size(), 3u);
  EXPECT_EQ(docxtest::paragraphText(m, 1), "My Text");
  EXPECT_TRUE(m.main.paragraphs[1].format.textBox);
  EXPECT_EQ(m.main.paragraphs[1].format.align, word::Align::Center);
  EXPECT_EQ(m.main.paragraphs[2].format.align, word::Align::Left);
  const word::CharFormat& f = docxtest::formatAt(m, m.main.paragraphs[0].end);
  EXPECT_EQ(f.font, u"Arial Black");
  EXPECT_EQ(f.halfPoints, 40);
  EXPECT_TRUE(m.losses.empty());
  EXPECT_EQ(docxtest::text(m).find("My Text"), std::string::npos);
}

// The text boxes of a group the text wraps around at its left (a
// résumé's sidebar) stand there in one box of the group's width and at
// least its height, the first opening it, their text in its flow even
// where a box anchors its text at its foot; a box of its own that does
// holds its text at the foot of its height.
TEST(DocxShapes, AGroupsTextBoxesFloatInOneBoxOfItsSize) {
  auto boxed = [](const char* text, const char* anchor) {
    return "<wps:wsp><wps:spPr/><wps:txbx><w:txbxContent>" + p(r(text)) +
           "</w:txbxContent></wps:txbx><wps:bodyPr anchor=\"" + anchor + "\"/></wps:wsp>";
  };
  auto read = [](const std::string& drawn) {
    return docxtest::read(
        p(r("anchor") +
          "<w:r><w:drawing><wp:anchor><wp:extent cx=\"1905000\" cy=\"1828800\"/><wp:wrapSquare "
          "wrapText=\"bothSides\"/><a:graphic><a:graphicData>" +
          drawn + "</a:graphicData></a:graphic></wp:anchor></w:drawing></w:r>") +
        p(r("beside")));
  };
  const word::Model m =
      read("<wpg:wgp>" + boxed("name", "t") + boxed("address", "b") + "</wpg:wgp>");
  ASSERT_EQ(m.main.paragraphs.size(), 4u);
  for (size_t k : {1, 2}) {
    const word::ParagraphFormat& f = m.main.paragraphs[k].format;
    EXPECT_EQ(f.frame, word::FrameSide::Left) << k;
    EXPECT_EQ(f.frameHeight, 36) << k;  // two inches, in fours of points
    EXPECT_EQ(f.frameOpens, k == 1) << k;
    EXPECT_FALSE(f.frameBottom) << k;
  }
  const std::string page = word::write::html(m, "p_files", u"t").text;
  const size_t float_ = page.find("float:left");
  ASSERT_NE(float_, std::string::npos) << page;
  EXPECT_EQ(page.find("float:left", float_ + 1), std::string::npos) << page;
  EXPECT_NE(page.find("min-height:12rem;", float_), std::string::npos) << page;

  const word::Model own = read(boxed("address", "b"));
  ASSERT_EQ(own.main.paragraphs.size(), 3u);
  EXPECT_TRUE(own.main.paragraphs[1].format.frameBottom);
  const std::string ownPage = word::write::html(own, "p_files", u"t").text;
  EXPECT_NE(ownPage.find("justify-content:flex-end;\"><div><p"), std::string::npos) << ownPage;
  EXPECT_NE(ownPage.find("address</p>\r\n</div></div>"), std::string::npos) << ownPage;
}

// A diagram shows as the word processor laid it out (the drawing part its
// data part names): its shapes, and their text in them, which says what
// it shows where the author gives no alternative text.
TEST(DocxShapes, ADiagramIsDrawnAsLaidOutWithItsText) {
  auto document = [](const std::string& extension, const std::string& descr) {
    const std::string box =
        "<dsp:spPr><a:xfrm><a:off x=\"0\" y=\"0\"/><a:ext cx=\"952500\" cy=\"476250\"/></a:xfrm>"
        "<a:prstGeom prst=\"roundRect\"/><a:solidFill><a:srgbClr val=\"4472C4\"/></a:solidFill>"
        "</dsp:spPr><dsp:style><a:fontRef idx=\"minor\"><a:srgbClr val=\"FFFFFF\"/></a:fontRef>"
        "</dsp:style>";
    auto text = [](const char* t) {
      return std::string("<dsp:txBody><a:p><a:r><a:rPr sz=\"1500\"/><a:t>") + t +
             "</a:t></a:r></a:p></dsp:txBody>";
    };
    const std::string ns =
        "xmlns:dsp=\"http://schemas.microsoft.com/office/drawing/2008/diagram\" "
        "xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\"";
    return docxtest::read(
        p("<w:r><w:drawing><wp:inline><wp:extent cx=\"1905000\" cy=\"952500\"/><wp:docPr "
          "id=\"1\" name=\"Diagram\" descr=\"" +
          descr +
          "\"/><a:graphic><a:graphicData "
          "uri=\"http://schemas.openxmlformats.org/drawingml/2006/diagram\"><dgm:relIds "
          "xmlns:dgm=\"http://schemas.openxmlformats.org/drawingml/2006/diagram\" r:dm=\"rData\"/>"
          "</a:graphicData></a:graphic></wp:inline></w:drawing></w:r>"),
        {{"word/diagrams/data1.xml",
          "<dgm:dataModel xmlns:dgm=\"http://schemas.openxmlformats.org/drawingml/2006/diagram\" " +
              ns + "><dgm:extLst><a:ext>" + extension + "</a:ext></dgm:extLst></dgm:dataModel>"},
         {"word/diagrams/drawing1.xml", "<dsp:drawing " + ns + "><dsp:spTree><dsp:sp>" + box +
                                            text("Read &amp; learn") + "</dsp:sp><dsp:sp>" + box +
                                            text("Pass") + "</dsp:sp></dsp:spTree></dsp:drawing>"}},
        docxtest::relationship("rData", "diagramData", "diagrams/data1.xml") +
            docxtest::relationship("rDrawing", "diagramDrawing", "diagrams/drawing1.xml"));
  };
  const std::string named = "<dsp:dataModelExt relId=\"rDrawing\"/>";
  const word::Model m = document(named, "");
  ASSERT_EQ(m.main.pictures.size(), 1u);
  EXPECT_TRUE(m.losses.empty());
  const word::Picture& pic = m.main.pictures[0];
  EXPECT_EQ(pic.widthPx, 200);
  EXPECT_EQ(pic.alt, u"Read & learn, Pass");
  for (const char* mark : {"<rect x=\"0\" y=\"0\" width=\"100\" height=\"50\" rx=",
                           "fill=\"#ffffff\" text-anchor=\"middle\">Read &amp;</text>",
                           ">learn</text>", ">Pass</text>", "font-size=\"20\""})
    EXPECT_NE(pic.data->find(mark), std::string::npos) << mark << "\n" << *pic.data;
  EXPECT_EQ(document(named, "Two steps").main.pictures[0].alt, u"Two steps");
  // A data part that names no drawing: the diagram is lost.
  const word::Model lost = document("", "");
  EXPECT_TRUE(lost.main.pictures.empty());
  ASSERT_EQ(lost.losses.size(), 1u);
  EXPECT_EQ(lost.losses[0].what, "a diagram");
}

// A drawing's link (set on it, or an online video's player) is its
// picture's, unless its run has one; an unsafe one is none.
TEST(DocxShapes, ADrawingsOwnLinkIsItsPictures) {
  const std::string box = shape("<a:prstGeom prst=\"rect\"/>");
  auto linked = [&](const std::string& docPr, const std::string& extLst = "") {
    return "<w:r><w:drawing><wp:inline><wp:extent cx=\"95250\" cy=\"95250\"/><wp:docPr id=\"1\" "
           "name=\"x\">" +
           docPr + "</wp:docPr><a:graphic><a:graphicData>" + box + extLst +
           "</a:graphicData></a:graphic></wp:inline></w:drawing></w:r>";
  };
  const std::string video =
      "<a:extLst><a:ext><wp15:webVideoPr xmlns:wp15=\"http://schemas.microsoft.com/office/word/"
      "2012/wordprocessingDrawing\" embeddedHtml=\"&lt;iframe src=&quot;https://video.example/"
      "embed/1&quot; frameborder=&quot;0&quot;&gt;\"/></a:ext></a:extLst>";
  const std::string rels =
      docxtest::relationship("rWeb", "hyperlink", "https://example.org/", true) +
      docxtest::relationship("rBad", "hyperlink", "javascript:alert(1)", true);
  const struct {
    std::string body;
    const char16_t* link;
  } cases[] = {
      {p(linked("<a:hlinkClick r:id=\"rWeb\"/>")), u"https://example.org/"},
      {p(linked("", video)), u"https://video.example/embed/1"},
      {p(linked("<a:hlinkClick r:id=\"rBad\"/>")), u""},
      {p("<w:hyperlink r:id=\"rWeb\">" + linked("", video) + "</w:hyperlink>"),
       u"https://example.org/"},
  };
  for (const auto& c : cases) {
    const word::Model m = docxtest::read(c.body, {}, rels);
    ASSERT_EQ(m.main.pictures.size(), 1u);
    EXPECT_EQ(docxtest::formatAt(m, m.main.pictures[0].pos).hyperlink, c.link) << c.body;
  }
}

// A theme's colours by slot and alias, darker, lighter, and in luminance.
TEST(DocxShapes, ColoursComeFromTheThemeWithTheirModifiers) {
  word::read::docx::Theme theme;
  theme.colours = {{"accent1", 0x4472C4}, {"dk1", 0x000000}, {"lt1", 0xFFFFFF}};
  const std::pair<const char*, std::optional<uint32_t>> cases[] = {
      {"<a:schemeClr val=\"accent1\"><a:shade val=\"50000\"/></a:schemeClr>", 0x223962},
      {"<a:schemeClr val=\"tx1\"><a:tint val=\"50000\"/></a:schemeClr>", 0x808080},
      {"<a:schemeClr val=\"bg1\"><a:lumMod val=\"75000\"/></a:schemeClr>", 0xBFBFBF},
      {"<a:schemeClr val=\"accent1\"><a:lumMod val=\"60000\"/><a:lumOff val=\"40000\"/>"
       "</a:schemeClr>",
       0x8FAADC},
      {"<a:sysClr val=\"windowText\" lastClr=\"112233\"/>", 0x112233},
      {"<a:schemeClr val=\"accent6\"/>", std::nullopt},
  };
  for (const auto& [xml, want] : cases) {
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string(("<a:solidFill>" + std::string(xml) + "</a:solidFill>").c_str()));
    EXPECT_EQ(word::read::docx::drawingColour(doc.first_child(), theme), want) << xml;
  }
}

}  // namespace
