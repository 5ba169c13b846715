// Shapes with neither a picture nor text: drawn by their outline, fill and
// line as a small picture, their graphic styles giving the fill and line.
// Frames and shapes holding text the text wraps around: a sidebar.
#include <gtest/gtest.h>

#include "odt_fixture.h"

namespace {

std::string graphic(const char* name, const std::string& props) {
  return std::string("<style:style style:name=\"") + name +
         "\" style:family=\"graphic\"><style:graphic-properties " + props + "/></style:style>";
}

TEST(OdtShapes, ShapesAreDrawnByTheirOutlineAndTheirStylesFillAndLine) {
  odttest::Parts parts;
  parts.common =
      "<style:default-style style:family=\"graphic\"><style:graphic-properties "
      "draw:fill-color=\"#00ff00\"/></style:default-style>" +
      graphic("Red", "draw:fill=\"solid\" draw:fill-color=\"#ff0000\" draw:stroke=\"none\"") +
      graphic("Arrow",
              "svg:stroke-color=\"#0000ff\" svg:stroke-width=\"0.02in\" "
              "draw:marker-end=\"Arrow\"") +
      graphic("Beside", "style:wrap=\"parallel\"");
  const std::string inLine =
      "text:anchor-type=\"as-char\" svg:width=\"0.1in\" svg:height=\"0.1in\"";
  const struct {
    const char* what;
    std::string shape;
    const char* mark;  // what the picture holds; none: a loss
    word::PictureSide side = word::PictureSide::Inline;
  } cases[] = {
      {"a red box without a line", "<draw:rect draw:style-name=\"Red\" " + inLine + "/>",
       "<rect x=\"0\" y=\"0\" width=\"9\" height=\"9\" fill=\"#ff0000\" stroke=\"none\""},
      {"a blue line with an arrowhead",
       "<draw:line draw:style-name=\"Arrow\" text:anchor-type=\"as-char\" svg:x1=\"0in\" "
       "svg:y1=\"0in\" svg:x2=\"0.2in\" svg:y2=\"0in\"/>",
       "stroke=\"#0000ff\" stroke-width=\"1.93\"/><polygon"},
      {"a preset custom shape in the default style's fill",
       "<draw:custom-shape " + inLine +
           "><draw:enhanced-geometry draw:type=\"diamond\"/>"
           "</draw:custom-shape>",
       "<polygon points=\"4.5,0.5 8.5,4.5 4.5,8.5 0.5,4.5\" fill=\"#00ff00\""},
      {"a large box the text flows beside",
       "<draw:rect draw:style-name=\"Beside\" svg:width=\"2in\" svg:height=\"1in\"/>", "<rect",
       word::PictureSide::Start},
      {"a custom shape of its own outline",
       "<draw:custom-shape " + inLine +
           "><draw:enhanced-geometry draw:type=\"non-primitive\"/>"
           "</draw:custom-shape>",
       nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    parts.body = "<text:p>a" + c.shape + "b</text:p>";
    const word::Model m = word::read::readOdt(odttest::package(parts));
    ASSERT_EQ(m.main.pictures.size(), c.mark ? 1u : 0u);
    EXPECT_EQ(m.losses.size(), c.mark ? 0u : 1u);
    if (!c.mark) continue;
    const std::string& svg = *m.main.pictures[0].data;
    EXPECT_NE(svg.find(c.mark), std::string::npos) << svg;
    EXPECT_EQ(m.main.pictures[0].side, c.side);
  }
}

// A frame's or a shape's text the text wraps around at one side floats
// there, as wide as it and at least as tall (in fours of points; a text
// box's fo:min-height where the frame gives none, its text at its foot where
// its style sets it there), as one box; a shape in
// a group where the group's style sets it. Text above and below stays in
// the flow.
TEST(OdtShapes, TextTheTextWrapsAroundFloatsAtItsSide) {
  odttest::Parts parts;
  parts.common = graphic("Left", "style:wrap=\"parallel\" style:horizontal-pos=\"left\"") +
                 graphic("TextAtLeft", "style:wrap=\"left\"") +
                 graphic("Page", "style:wrap=\"parallel\" style:horizontal-pos=\"from-left\"") +
                 graphic("Own", "style:wrap=\"none\"") +
                 graphic("Foot", "style:wrap=\"parallel\" style:horizontal-pos=\"left\" "
                                 "draw:textarea-vertical-align=\"bottom\"");
  const std::string text = "<text:p>boxed</text:p><text:p>more</text:p>";
  const struct {
    std::string shape;
    word::FrameSide side;
    uint16_t width;
    uint8_t height;
    bool foot = false;  // its text at its foot
  } cases[] = {
      {"<draw:frame draw:style-name=\"Left\" svg:width=\"2in\" svg:height=\"1in\">"
       "<draw:text-box>" + text + "</draw:text-box></draw:frame>",
       word::FrameSide::Left, 2880, 18},
      {"<draw:frame draw:style-name=\"TextAtLeft\" svg:width=\"1in\"><draw:text-box "
       "fo:min-height=\"0.5in\">" + text + "</draw:text-box></draw:frame>",
       word::FrameSide::Right, 1440, 9},
      {"<draw:g draw:style-name=\"Page\"><draw:custom-shape svg:width=\"1in\" "
       "svg:height=\"2in\">" + text + "</draw:custom-shape></draw:g>",
       word::FrameSide::Left, 1440, 36},
      {"<draw:frame draw:style-name=\"Own\" svg:width=\"2in\"><draw:text-box>" + text +
           "</draw:text-box></draw:frame>",
       word::FrameSide::None, 0, 0},
      {"<draw:frame draw:style-name=\"Foot\" svg:width=\"1in\" svg:height=\"1in\">"
       "<draw:text-box>" + text + "</draw:text-box></draw:frame>",
       word::FrameSide::Left, 1440, 18, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.shape);
    parts.body = "<text:p>a" + c.shape + "b</text:p><text:p>after</text:p>";
    const word::Model m = word::read::readOdt(odttest::package(parts));
    ASSERT_EQ(m.main.paragraphs.size(), 4u);
    for (size_t k : {1, 2}) {
      const word::ParagraphFormat& f = m.main.paragraphs[k].format;
      EXPECT_TRUE(f.textBox);
      EXPECT_EQ(f.frame, c.side);
      EXPECT_EQ(f.frameWidth, c.width);
      EXPECT_EQ(f.frameHeight, c.height);
      EXPECT_EQ(f.frameOpens, k == 1 && c.width);
      EXPECT_EQ(f.frameBottom, c.foot);
    }
  }
}

}  // namespace
