// Pictures made fit for browsers through the real helper (the program's
// hidden command): each kind to its web format or to a stand-in, each
// distinct picture converted once, and a helper that fails in any way
// ends as a stand-in with its reason.
#include "word/write/pictures/converter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "../common/fixtures.h"
#include "pictures.h"
#include "support/files.h"
#include "word/write/pictures/svg_metafile.h"

using namespace testing_support;
using word::write::PictureConverter;
using word::write::WebPicture;

namespace {

class Converter : public ::testing::Test {
 protected:
  void SetUp() override { word::write::setPictureProgram(kHelper); }
  void TearDown() override { word::write::setPictureProgram(""); }

  // A helper script in place of the program; `body` runs before (or
  // instead of) handing over to it.
  void helperScript(const std::string& body) {
    const std::string path = scratch / "helper.sh";
    writeBytes(path, "#!/bin/sh\n" + body + "\n");
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    word::write::setPictureProgram(path);
  }

  ScratchFolder scratch;
};

TEST_F(Converter, EachKindBecomesAWebFormatOrAStandIn) {
  struct Case {
    const char* name;
    word::Picture picture;
    bool shown;
    const char* extension;
    const char* startsWith;  // of the bytes, or of the problem when not shown
    word::write::PixelSize size;
  };
  const std::string emf = *corpusPicture("emf").data;
  const auto png = [](uint32_t width, uint32_t height, size_t more) {
    std::string s("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR", 16);
    for (uint32_t v : {width, height})
      for (int i = 3; i >= 0; --i) s += static_cast<char>(v >> (8 * i));
    return s + "\x01" + std::string(4 + more, '\0');
  };
  const Case cases[] = {
      {"a WMF", corpusPicture("wmf"), true, "svg", "<?xml", {}},
      {"an EMF", corpusPicture("emf"), true, "svg", "<?xml", {}},
      {"a WMF made here", picture("wmf", rectangleWmf()), true, "svg", "<?xml", {67, 33}},
      {"a TIFF", picture("tiff", smallTiff()), true, "png", "\x89PNG", {4, 2}},
      {"a PNG as it is", picture("png", "\x89PNG not read"), true, "png", "\x89PNG not", {}},
      {"a PNG of 10,000 by 1,000 pixels in 1,400 bytes", picture("png", png(10000, 1000, 1400)),
       true, "png", "\x89PNG", {}},
      {"a PNG of 100,000 by 100,000 pixels in 30 bytes", picture("png", png(100000, 100000, 0)),
       false, "png", "the picture is damaged", {}},
      {"a PICT", picture("pict", std::string(600, 'p')), false, "pict", "no converter", {}},
      {"an EMF cut short",
       picture("emf", emf.substr(0, 200)),
       false,
       "emf",
       "the picture is "
       "damaged",
       {}},
      {"a TIFF of no pixels",
       picture("tiff", smallTiff().substr(0, 40)),
       false,
       "tif",
       "the "
       "picture is damaged",
       {}},
      {"no bytes", picture("wmf", ""), false, "wmf", "the document holds no data", {}},
  };
  PictureConverter converter;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const WebPicture web = converter.prepare(c.picture);
    EXPECT_EQ(web.shown, c.shown);
    EXPECT_EQ(web.extension, c.extension);
    const std::string& text = c.shown ? *web.bytes : web.problem;
    EXPECT_EQ(text.substr(0, std::string_view(c.startsWith).size()), c.startsWith) << text;
    if (c.size.width) {
      EXPECT_EQ(web.size.width, c.size.width);
      EXPECT_EQ(web.size.height, c.size.height);
    }
    if (c.shown && web.extension == "svg") {
      // Scaled into the page's box by a browser: its namespace, a viewBox
      // and the drawing stretched to the box.
      EXPECT_NE(web.bytes->find("xmlns=\"http://www.w3.org/2000/svg\""), std::string::npos);
      EXPECT_NE(web.bytes->find("viewBox="), std::string::npos);
      EXPECT_NE(web.bytes->find("preserveAspectRatio=\"none\""), std::string::npos);
    }
  }
}

// What the metafile libraries lose: the place of each character of a text
// with advances (one text element with a list of x positions), a
// bitmap's size (drawn once, at its place), an open line's want of fill.
TEST_F(Converter, CharactersAndBitmapsStayWhereTheMetafilePutsThem) {
  PictureConverter converter;
  struct Case {
    const char* name;
    word::Picture picture;
    const char* found;  // in the SVG
  };
  const Case cases[] = {
      {"EMF text at its advances, scaled as its font", picture("emf", advancedTextEmf()),
       "text-anchor=\"start\" x=\"50 75 100 115 130 155 165\""},
      {"WMF text at its advances, in one element", picture("wmf", advancedTextWmf()),
       ">by this</text>"},
      {"a WMF bitmap", picture("wmf", bitmapWmf()), "<image "},
      {"a WMF's open line, not filled",
       picture("wmf", wmf(words({10, 0, 0x0325, 3, 100, 100, 500, 400, 900, 100}))),
       "fill=\"none\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const WebPicture web = converter.prepare(c.picture);
    ASSERT_TRUE(web.shown) << web.problem;
    EXPECT_NE(web.bytes->find(c.found), std::string::npos) << *web.bytes;
    EXPECT_EQ(web.bytes->find("transform=\"matrix"), std::string::npos) << *web.bytes;
  }
  // The bitmap takes 800 x 400 of the frame's 1000 x 500 units (the frame's
  // line widens the drawing a little).
  const std::string svg = *converter.prepare(picture("wmf", bitmapWmf())).bytes;
  auto number = [&](const std::string& name, size_t from) {
    const size_t at = svg.find(name + "=\"", from);
    return at == std::string::npos ? 0.0 : std::stod(svg.substr(at + name.size() + 2));
  };
  const size_t image = svg.find("<image ");
  EXPECT_NEAR(number("width", image) / number("width", 0), 0.8, 0.06);
  EXPECT_NEAR(number("height", image) / number("height", 0), 0.8, 0.06);
  EXPECT_NEAR(number("x", image) / number("width", 0), 0.1, 0.06);
}

// An EMF's SVG shows its frame, the picture's box, in the device units of
// its bounds: text drawn in a tenth of a wide frame keeps its proportions.
// A header without a device, or an SVG not of the bounds' size, is left.
TEST(EmfFrame, TheSvgShowsTheFrameInTheBoundsUnits) {
  const struct {
    std::initializer_list<uint32_t> header;  // bounds, frame, device px, device mm
    const char* svgSize;
    const char* viewBox;
  } cases[] = {
      {{0, 1, 1106, 343, 0, 0, 16500, 1459, 4760, 6814, 202, 288},
       "width=\"1106\" height=\"342\"",
       "viewBox=\"0 -1 3888.12 345.2\""},
      {{10, 10, 110, 60, 0, 0, 3200, 1600, 1024, 768, 320, 240},
       "width=\"100\" height=\"50\"",
       "viewBox=\"-10 -10 102.4 51.2\""},
      {{10, 10, 110, 60, 0, 0, 3200, 1600, 0, 0, 320, 240}, "width=\"100\" height=\"50\"", nullptr},
      {{0, 0, 100, 50, 0, 0, 3200, 1600, 1024, 768, 320, 240},
       "width=\"400\" height=\"50\"",
       nullptr},
  };
  for (const auto& c : cases) {
    const std::vector<uint32_t> h(c.header);
    const std::string header =
        emfRecord(1, longs({h[0], h[1], h[2], h[3], h[4], h[5], h[6], h[7], 0x464D4520, 0x10000,
                            0,    0,    0,    0,    0,    0,    h[8], h[9], h[10],      h[11]}));
    const std::string svg = std::string("<svg xmlns=\"http://www.w3.org/2000/svg\" ") + c.svgSize +
                            "><rect width=\"1\" height=\"1\"/></svg>";
    const std::string framed = word::write::framedEmfSvg(svg, header);
    if (c.viewBox)
      EXPECT_NE(framed.find(c.viewBox), std::string::npos) << framed;
    else
      EXPECT_EQ(framed.find("viewBox"), std::string::npos) << framed;
  }
}

// A drawing whose window origin moves it into the picture's bounds lies
// inside them, whichever mapping sets the origin: the default one, which
// the library leaves unmapped, or one it maps itself.
TEST_F(Converter, AnEmfDrawingLiesInItsBoundsWhereverItsOriginIs) {
  PictureConverter converter;
  const std::string origin = emfRecord(10, longs({200, 100}));
  const std::string box = emfRecord(43, longs({200, 100, 300, 150}));  // a rectangle
  const std::string mapped = emfRecord(17, longs({8})) + origin + emfRecord(9, longs({100, 50})) +
                             emfRecord(11, longs({100, 50}));
  for (const std::string& records : {origin + box, mapped + box}) {
    const std::string svg = *converter.prepare(picture("emf", emf({records}))).bytes;
    // Where the rectangle's corner lands: its x and y and every translation.
    double x = 0, y = 0;
    for (size_t at = svg.find("translate("); at != std::string::npos;
         at = svg.find("translate(", at + 1)) {
      std::istringstream numbers(svg.substr(at + 10, 40));
      double dx = 0, dy = 0;
      char comma = 0;
      numbers >> dx;
      if (numbers.peek() == ',') numbers >> comma;
      numbers >> dy;
      x += dx;
      y += dy;
    }
    const size_t rect = svg.find("<rect ");
    ASSERT_NE(rect, std::string::npos) << svg;
    x += std::stod(svg.substr(svg.find("x=\"", rect) + 3));
    y += std::stod(svg.substr(svg.find("y=\"", rect) + 3));
    EXPECT_NEAR(x, 0, 0.5) << svg;
    EXPECT_NEAR(y, 0, 0.5) << svg;
  }
}

TEST_F(Converter, EachDistinctPictureIsConvertedOnce) {
  const std::string count = scratch / "count";
  helperScript("echo run >> '" + count + "'\nexec '" + kHelper + "' \"$@\"");
  PictureConverter converter;
  const word::Picture a = picture("wmf", rectangleWmf());
  const word::Picture sameBytes = picture("wmf", rectangleWmf());
  const word::Picture other = corpusPicture("wmf");
  for (const word::Picture* p : {&a, &a, &sameBytes, &other, &sameBytes})
    EXPECT_TRUE(converter.prepare(*p).shown);
  EXPECT_EQ(readBytes(count), "run\nrun\n");
  // Another converter (another run) converts again.
  PictureConverter next;
  EXPECT_TRUE(next.prepare(a).shown);
  EXPECT_EQ(readBytes(count), "run\nrun\nrun\n");
}

TEST_F(Converter, AHelperThatFailsGivesAStandInWithItsReason) {
  const struct {
    const char* script;
    const char* problem;
  } helpers[] = {
      {"kill -SEGV $$", "its conversion failed (the picture may be damaged)"},
      {"cat >/dev/null; printf 'svg\\nno picture'", "the converter gave no picture for it"},
      {"cat >/dev/null; printf 'png\\n<svg>'", "the converter gave no picture for it"},
      {"exit 3", "the picture is damaged or of a kind the converter does not read"},
  };
  for (const auto& h : helpers) {
    SCOPED_TRACE(h.script);
    helperScript(h.script);
    PictureConverter converter;
    const WebPicture web = converter.prepare(picture("wmf", rectangleWmf()));
    EXPECT_FALSE(web.shown);
    EXPECT_EQ(web.problem, h.problem);
  }
  word::write::setPictureProgram(scratch / "no such helper");
  PictureConverter missing;
  EXPECT_EQ(missing.prepare(picture("emf", "\x01")).problem,
            "the picture converter could not be started");
  word::write::setPictureProgram("");
  PictureConverter none;
  EXPECT_EQ(none.prepare(picture("wmf", rectangleWmf())).problem,
            "the picture converter is not available");
}

// A document's pictures share a budget of pixels decoded and of the
// helper's time: past it, pictures are stand-ins saying why, without the
// helper run; the next document starts again, and a picture declaring more
// than one picture may have is refused before it is decoded.
TEST_F(Converter, ADocumentsPicturesStayWithinItsBudget) {
  const std::string count = scratch / "count";
  helperScript("echo run >> '" + count + "'\nexec '" + kHelper + "' \"$@\"");
  // Budget: 2.5 megapixels, 2 a picture; pictures of 1 megapixel.
  PictureConverter pixels({60'000, 2'500'000, 2'000'000});
  std::vector<word::Picture> megapixel;
  for (char tag : {'a', 'b', 'c'})
    megapixel.push_back(picture("tiff", whiteTiff(scratch / "t.tif", 1000, 1000, tag)));
  const std::string past = "with it the document's pictures would pass the 2.5 megapixels";
  const struct {
    const word::Picture picture;
    const char* problem;
  } steps[] = {
      {megapixel[0], ""},
      {picture("tiff", whiteTiff(scratch / "t.tif", 1500, 1500)),
       "it has more than the 2 megapixels the picture converter decodes for one picture"},
      {megapixel[1], ""},
      {megapixel[2], past.c_str()},  // 0.5 megapixels left: refused before it is decoded
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.problem);
    const WebPicture web = pixels.prepare(step.picture);
    EXPECT_EQ(web.shown, !*step.problem);
    EXPECT_EQ(web.problem.substr(0, std::string_view(step.problem).size()), step.problem);
  }
  EXPECT_EQ(readBytes(count), "run\nrun\nrun\nrun\n");
  pixels.newDocument();
  EXPECT_TRUE(pixels.prepare(megapixel[2]).shown) << "what the budget refused is asked again";

  // Time: each run of this helper takes 1 s, of 3 s in all.
  writeBytes(count, "");
  helperScript("echo run >> '" + count + "'\nsleep 1\nexec '" + kHelper + "' \"$@\"");
  PictureConverter time({3'000, 200'000'000, 50'000'000});
  std::vector<std::string> problems;
  for (uint32_t i = 1; i <= 5; ++i)
    problems.push_back(time.prepare(picture("wmf", textWmf(std::string(i, 'x')))).problem);
  EXPECT_EQ(problems[0], "") << "the first picture is converted";
  const auto over = std::find_if(problems.begin(), problems.end(),
                                 [](const std::string& p) { return !p.empty(); });
  ASSERT_NE(over, problems.end());
  for (auto p = over; p != problems.end(); ++p)
    EXPECT_EQ(*p,
              "the document's pictures used up the 3 s the picture converter has for one document");
  EXPECT_LT(readBytes(count).size(), 5 * 4) << "past the budget the helper is not run";
}

}  // namespace
