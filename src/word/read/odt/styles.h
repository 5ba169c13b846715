#pragma once
// Styles of an OpenDocument text: the common styles (styles.xml), the
// automatic styles of the content, the defaults of each family and the
// font faces, resolved through parent styles to formatting as it shows.
#include <array>
#include <map>
#include <optional>
#include <pugixml.hpp>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "word/builder.h"
#include "word/model.h"
#include "word/read/look.h"
#include "word/read/run_props.h"
#include "word/read/shape_svg.h"

namespace word::read::odt {

// A length ("2.5cm", "1in", "12pt", "0.5mm") in twips; nullopt for
// percentages and anything unreadable.
std::optional<int32_t> twips(std::string_view length);

// A decimal number at the start of `s`; `rest` gets what follows it (a
// unit). Nullopt where none is.
std::optional<double> decimal(std::string_view s, std::string_view* rest);

// A colour ("#rrggbb"); nullopt for "transparent" and anything unreadable.
std::optional<uint32_t> color(std::string_view s);

// A style name as the author sees it: "_20_" and the like stand for the
// character of that hexadecimal code ("Heading_20_1" is "Heading 1").
std::u16string displayName(std::string_view name);

// Font face declarations: a face's name -> its family ("Liberation Serif"),
// and each family's class (style:font-family-generic).
using FontFaces = std::map<std::string, std::u16string, std::less<>>;
void readFontFaces(const pugi::xml_node& decls, FontFaces& faces, FontClasses& classes);

struct TextProps : CommonRunProps {
  std::optional<uint32_t> highlight;
  std::optional<double> points;   // the size
  std::optional<double> percent;  // the size relative to the one beneath
  // Raised (or lowered) at the letters' own size, in percent of it.
  std::optional<double> raisePercent;
  // fo:language with fo:country, as given; "" for none (zxx, none). Those
  // of East Asian and of complex letters (style:language-asian ...).
  std::optional<std::string> language, languageAsian, languageComplex;

  void read(const pugi::xml_node& props, const FontFaces& faces);
  void readUnderline(const pugi::xml_node& props);
  void over(const TextProps& top);  // properties set in `top` win
  void applyTo(CharFormat& f) const;
};

struct ParaProps : CommonParaProps {
  // Space added between lines (style:line-spacing), twips; 0 where a line
  // height of another kind replaces it.
  std::optional<int32_t> leading;
  // The alignment names a side of the page (left, right), not the
  // paragraph's start or end.
  bool alignByPage = false;
  // A drop cap: the first letters set large, so many lines deep.
  std::optional<int32_t> dropLetters, dropLines;
  char16_t decimalPoint = 0;  // what its first decimal stop aligns on
  // The room inside its border and shading (fo:padding), points: top,
  // left, bottom, right.
  std::array<std::optional<uint8_t>, 4> rooms;

  void read(const pugi::xml_node& props);
  void over(const ParaProps& top);
  // The formatting, a leading as the multiple of a single line that shows
  // the same height for text `halfPoints` large.
  void applyTo(ParagraphFormat& f, double halfPoints,
               std::vector<SideLines>* lines = nullptr) const;

 private:
  void readSpacing(const pugi::xml_node& props);
  void readTabs(const pugi::xml_node& stops);
};

// A table's place between the margins: alignment and indent (twips) of its
// start, and its direction.
struct TablePlace {
  Align align = Align::Left;
  int32_t indent = 0;
  bool rightToLeft = false;
};

// A border as fo:border gives it ("0.5pt solid #000000", "none"): width,
// style and colour in any order.
Border border(std::string_view value);

// A cell's borders as its style's fo:border and fo:border-top (-left,
// -bottom, -right) give them; each side optional, so that a style over its
// parent keeps the sides it does not set.
struct CellSides {
  std::array<std::optional<Border>, 4> side;  // top, left, bottom, right
  std::optional<uint32_t> background;         // the cell's shading
  std::array<std::optional<int16_t>, 4> padding;  // twips, top, left, bottom, right
  void read(const pugi::xml_node& props);
  void over(const CellSides& top);
};

// A section's or a page's columns (style:columns): their count (fewer
// than two: one), the room between them and whether a line stands there.
struct Columns {
  int32_t count = 0, gap = 0;
  bool line = false;
};
Columns columnsOf(const pugi::xml_node& columns);

class Styles {
 public:
  // What a graphic style gives a shape drawn by its geometry, each where
  // it says.
  struct ShapePaint {
    std::optional<bool> filled, lined, arrowStart, arrowEnd;
    std::optional<uint32_t> fill, line, fillAlpha;
    std::optional<int32_t> lineEmu;
  };
  struct Def {
    std::string name;
    std::string family;  // paragraph, text, table-column, ...
    std::string parent;
    std::u16string displayName;
    std::optional<std::string> listStyle;  // "" switches a list style off
    std::optional<int32_t> outlineLevel;   // 1..10
    ParaProps para;
    TextProps text;
    int32_t columnWidth = 0;  // twips, for table columns
    int32_t columnShare = 0;  // a column's width relative to the others'
    bool columnOptimal = false;  // the column fitted to its text
    Columns columns;             // a section's
    int32_t tableWidth = 0;   // twips, for tables
    int32_t tableShare = 0;   // per cent of the room, for tables (style:rel-width)
    int32_t rowHeight = 0;    // twips, for table rows: the least (or exact) height
    CellSides cell;           // table cells' borders
    std::optional<VAlign> valign;                        // table cells' content
    std::optional<TextFlow> flow;                        // table cells' lines
    std::optional<TablePlace> placement;                 // a table's
    std::optional<PictureLook> look;                     // a frame's picture's colours
    // A frame's picture's crop (fo:clip): top, right, bottom, left, twips
    // of the image at its own size.
    std::optional<std::array<int32_t, 4>> clip;
    std::string wrap, across;  // a frame's style:wrap and style:horizontal-pos
    std::optional<bool> textAtFoot;  // its text at its foot (draw:textarea-vertical-align)
    ShapePaint paint;          // a shape's fill and line
    std::optional<Border> frameLine;  // fo:border of a frame, "none" too
    int32_t index = -1;       // in the model's styles, once added
    bool automatic = false;
  };

  // Reads the style:style and style:default-style children of office:styles
  // (common) or office:automatic-styles (automatic).
  void load(const pugi::xml_node& styles, bool automatic, const FontFaces& faces);
  // graphic_styles.cpp: a graphic style's properties into `d`.
  static void readGraphic(const pugi::xml_node& graphic, Def& d);
  // Adds the common paragraph and text styles to the model, bases first;
  // the default paragraph style becomes "Normal" at index 0.
  void addToModel(Builder& builder);
  // What decimal tab stops align numbers on, where a style says (0: none).
  char16_t decimalPoint() const { return decimalPoint_; }

  // A style as the content names it: automatic first, then common.
  const Def* find(std::string_view family, std::string_view name) const;
  // The colours a graphic style (or the nearest style it is based on)
  // gives a frame's picture.
  PictureLook pictureLook(std::string_view name) const;
  std::optional<std::array<int32_t, 4>> pictureClip(std::string_view name) const;
  // The side of the text a frame of a graphic style stands at, the text
  // wrapping around it; `x`: where its middle lies from the margin,
  // `width` its width (twips); `picture`: a picture, not a drawn shape.
  PictureSide frameSide(std::string_view name, int64_t x, int64_t width, bool picture) const;
  // Sets on `g` the fill and line a graphic style (or those it is based
  // on, or the family default) gives a shape.
  void paintShape(std::string_view name, ShapeGeometry& g) const;
  // The line round a frame of a graphic style, the nearest style that
  // states one giving it (none: LineStyle::None).
  Border frameLine(std::string_view name) const;
  // Whether a frame of a graphic style sets its text at its foot.
  bool textAtFoot(std::string_view name) const;
  // The model index of a paragraph style: that of its nearest common style.
  int32_t indexOf(const std::string& paraStyle) const;
  // Paragraph formatting and the text properties a paragraph style gives
  // its text, its parents and the family default resolved.
  const ParaProps& paraOf(const std::string& paraStyle) const;
  // The paragraph formatting a paragraph style gives, as it shows.
  void applyParagraph(const std::string& paraStyle, ParagraphFormat& f,
                      std::vector<SideLines>* lines = nullptr) const;
  const TextProps& textOfParagraph(const std::string& paraStyle) const;
  // A text style's own properties over its parents'.
  const TextProps& textOfSpan(const std::string& textStyle) const;
  // The list style a paragraph style attaches (nullopt: none named).
  std::optional<std::string> listStyleOf(const std::string& paraStyle) const;
  std::optional<int32_t> outlineLevelOf(const std::string& paraStyle) const;
  int32_t columnWidth(const std::string& columnStyle) const;
  int32_t columnShare(const std::string& columnStyle) const;
  bool columnOptimal(const std::string& columnStyle) const;
  Columns sectionColumns(const std::string& sectionStyle) const;
  // A table's width: its own, else its share (all of it where it gives
  // none) of `room`, the width of a frame it stands alone in (0: none).
  int32_t tableWidth(const std::string& tableStyle, int32_t room = 0) const;
  int32_t rowHeight(const std::string& rowStyle) const;
  // What a cell style gives its cells, over its parents' and the family
  // default, folded once: borders (no line where none gives one),
  // shading (kAutoColor: none) and the room inside (as Cell::padding).
  struct CellLook {
    CellBorders borders;
    uint32_t shading = kAutoColor;
    std::array<int16_t, 4> padding{-1, -1, -1, -1};
  };
  CellLook cellLook(const std::string& cellStyle) const;
  // A cell style's vertical alignment, and a table style's place between
  // the margins and direction.
  VAlign cellAlignment(const std::string& cellStyle) const;
  TextFlow cellFlow(const std::string& cellStyle) const;
  TablePlace tablePlacement(const std::string& tableStyle) const;

 private:
  using Key = std::pair<std::string, std::string>;  // family, name
  // Keys in their usual order, found by a pair of views as well: a lookup
  // copies neither name.
  struct KeyLess {
    using is_transparent = void;
    template <class A, class B>
    bool operator()(const A& a, const B& b) const {
      using Views = std::pair<std::string_view, std::string_view>;
      return Views(a.first, a.second) < Views(b.first, b.second);
    }
  };
  // The same keys hashed, for the chains every paragraph and span asks for.
  struct KeyHash {
    using is_transparent = void;
    template <class K>
    size_t operator()(const K& k) const {
      const size_t family = std::hash<std::string_view>{}(k.first);
      return family ^
             (std::hash<std::string_view>{}(k.second) + 0x9e3779b9 + (family << 6) + (family >> 2));
    }
  };
  struct KeyEqual {
    using is_transparent = void;
    template <class A, class B>
    bool operator()(const A& a, const B& b) const {
      return std::string_view(a.first) == std::string_view(b.first) &&
             std::string_view(a.second) == std::string_view(b.second);
    }
  };
  // A style of a longer name is none, and one is looked up without copying
  // its name: spans nested two hundred deep, each naming a megabyte, were
  // looked up again for every piece of their text.
  static constexpr size_t kMaxName = 256;
  const std::vector<const Def*>& chain(std::string_view family, std::string_view name) const;
  // The properties `part` of the style over its parents' (and over its
  // family's default, when `withDefault`); kept in `cache`.
  template <class Props>
  Props folded(std::string_view family, std::string_view name, Props Def::*part,
               bool withDefault) const;
  template <class Props>
  const Props& cached(std::unordered_map<std::string, Props>& cache, std::string_view family,
                      const std::string& name, Props Def::*part, bool withDefault) const;
  int32_t add(Def& def, Builder& builder);

  std::map<Key, Def, KeyLess> common_, automatic_;
  std::map<std::string, Def, std::less<>> defaults_;  // by family
  int64_t defaultTabStop_ = kDefaultTabStop;          // twips
  char16_t decimalPoint_ = 0;                         // the first decimal stop's
  mutable std::unordered_map<Key, std::vector<const Def*>, KeyHash, KeyEqual> chains_;
  mutable std::unordered_map<std::string, ParaProps> paraCache_;
  mutable std::unordered_map<std::string, TextProps> paraTextCache_, spanCache_;
};

}  // namespace word::read::odt
