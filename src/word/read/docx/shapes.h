#pragma once
// Shapes a drawing draws by their geometry alone (a DrawingML shape with
// neither a picture nor text): its preset outline, fill and line, in the
// theme's colours, as a picture of the drawing's size.
#include <cstdint>
#include <functional>
#include <optional>
#include <pugixml.hpp>
#include <string>
#include <string_view>

#include "word/read/docx/styles.h"
#include "word/read/shape_svg.h"

namespace word::read::docx {

// A colour as DrawingML gives it in `holder` (an a:solidFill, a style's
// reference, ...): the first colour element there, its modifiers applied;
// `alpha` gets its opacity (16.16 fixed point). None without one.
std::optional<uint32_t> drawingColour(const pugi::xml_node& holder, const Theme& theme,
                                      uint32_t* alpha = nullptr);

// `rgb` with its luminance scaled by `mod` and moved by `off` (fractions of
// the whole), as the theme's lighter and darker tones are made; channels
// cut down to wholes, as the word processor writes such tones beside
// their theme colour (4472C4 darkened by BF: 2F5496).
uint32_t withLuminance(uint32_t rgb, double mod, double off);

// A colour by the name DrawingML's preset colours and VML give it
// ("black", "white", ...), for the names shapes are most often given.
std::optional<uint32_t> namedColour(std::string_view name);

// How a shape (wps:wsp, or a group's a:sp) is drawn; none when its outline
// is not one of those drawn.
std::optional<ShapeGeometry> shapeGeometry(const pugi::xml_node& shape, const Theme& theme);

// The SVG of a drawing's shapes, a single one or a group's, `widthEmu` by
// `heightEmu`, with its size in pixels; none when it holds no shape drawn.
struct DrawnShapes {
  std::string svg;
  int32_t widthPx = 0, heightPx = 0;
};
// `pictures`, where given, writes a group's picture (a pic:pic) as the SVG
// element that shows it in its place there, beneath the shapes after it.
using GroupPicture = std::function<std::string(const pugi::xml_node& pic, const ShapeBox& box)>;
std::optional<DrawnShapes> drawShapes(const pugi::xml_node& graphicData, int64_t widthEmu,
                                      int64_t heightEmu, const Theme& theme,
                                      const GroupPicture* pictures = nullptr);

// The SVG of a diagram's drawing (the shapes and text the word processor
// keeps laid out beside a diagram's data, its dsp:spTree), `widthEmu` by
// `heightEmu`; `text` gets the text of its shapes. None when it draws
// nothing.
std::optional<DrawnShapes> drawDiagram(const pugi::xml_node& tree, int64_t widthEmu,
                                       int64_t heightEmu, const Theme& theme, std::string& text);

}  // namespace word::read::docx
