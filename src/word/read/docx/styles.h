#pragma once
// Styles of a Word 2007+ document: property sets as they appear in the
// XML (each property optional), and their resolution through document
// defaults, the basedOn chain and direct formatting.
#include <array>
#include <map>
#include <optional>
#include <pugixml.hpp>
#include <string>
#include <unordered_map>
#include <vector>

#include "word/builder.h"
#include "word/model.h"
#include "word/read/look.h"
#include "word/read/run_props.h"

namespace word::read::docx {

// The font table (fontTable.xml): each font's class (w:family) by name.
FontClasses readFontTable(const pugi::xml_node& root);

// Fonts of the theme ("minorHAnsi" -> "Calibri").
struct Theme {
  std::u16string majorLatin, minorLatin, majorEastAsia, minorEastAsia;
  // The colour scheme by its slots' names ("dk1", "accent1", ...): 0xRRGGBB.
  std::map<std::string, uint32_t, std::less<>> colours;
  void load(const pugi::xml_node& root);
  // A slot's colour by its name or one of the names the text and the
  // drawings give it ("tx1", "text1", "dark1" for "dk1" ...).
  std::optional<uint32_t> colour(std::string_view slot) const;
  // The theme colour an element (w:color, w:shd) names in its w:themeColor
  // (`fill`: w:themeFill), darkened by its w:themeShade or lightened by its
  // w:themeTint (w:themeFillShade, w:themeFillTint), hex bytes; none where
  // it names none.
  std::optional<uint32_t> colourOf(const pugi::xml_node& n, bool fill = false) const;
};

struct RunProps : CommonRunProps {
  std::optional<uint32_t> highlight, shading;
  std::optional<uint16_t> halfPoints;
  std::optional<std::string> lang;  // w:lang's w:val, as given
  std::optional<std::string> langEastAsia;  // its w:eastAsia: of East Asian letters
  std::optional<std::string> langBidi;      // its w:bidi: of complex letters and runs
  std::optional<bool> eastAsianHint;        // w:rFonts w:hint="eastAsia"
  std::string styleId;              // rStyle
  // A run marked right to left or complex (w:rtl, w:cs) shows in its
  // complex-script bold, italic, size and font (w:bCs, w:iCs, w:szCs,
  // w:rFonts w:cs), as the word processor shows Arabic and Hebrew.
  std::optional<bool> complex, boldCs, italicCs;
  std::optional<uint16_t> halfPointsCs;
  std::optional<std::u16string> fontCs;

  void read(const pugi::xml_node& rPr, const Theme& theme);
  void readUnderline(const pugi::xml_node& u);
  void over(const RunProps& top);  // properties set in `top` win
  // A character style over the paragraph's look: its on/off properties
  // (bold, italic, caps, strike, hidden ...) set on turn the value beneath
  // over, set off leave it; the others win as with over().
  void toggleOver(const RunProps& style);
  void applyTo(CharFormat& f) const;
};

struct ParaProps : CommonParaProps {
  std::optional<int32_t> outlineLevel;
  std::optional<std::string> numId;
  std::optional<int32_t> numLevel;
  std::string styleId;  // pStyle

  void read(const pugi::xml_node& pPr, const Theme& theme);
  void over(const ParaProps& top);
  void applyTo(ParagraphFormat& f, std::vector<SideLines>* lines = nullptr) const;

 private:
  void readSpacing(const pugi::xml_node& spacing);
  void readTabs(const pugi::xml_node& tabs);
};

// Borders as w:tblBorders and w:tcBorders give them, each edge optional so
// that a layer over another keeps the edges it does not set. Inside edges
// are those between the cells of the part the layer is for.
struct EdgeBorders {
  enum Edge : size_t { Top, Left, Bottom, Right, InsideH, InsideV, kEdges };
  std::array<std::optional<Border>, kEdges> edge;
  void read(const pugi::xml_node& borders);  // the edges it gives, over those set
  void over(const EdgeBorders& top);
};

// One border element (w:top, w:insideH ...): "nil" and "none" are no line.
Border readBorder(const pugi::xml_node& b);

// w:ind: the start (left) and end (right) indents and the first line's,
// which a hanging indent gives drawn back.
ListIndents readIndents(const pugi::xml_node& ind);

// Which of a cell's edges are the outer edges of a part of its table (the
// whole table, a row, a band of rows or columns, a column, a corner cell);
// its other edges lie inside that part.
struct Region {
  bool top = true, left = true, bottom = true, right = true;
};
// Sets the edges of `cell` that `layer` gives, as the cell lies in it.
void applyBorders(CellBorders& cell, const EdgeBorders& layer, const Region& at);

// What a table style gives a part of its tables: the whole table, or one
// of its conditions (firstRow, lastCol, band1Horz, nwCell ...).
struct TablePart {
  RunProps run;
  ParaProps para;                       // pPr: the spacing of its paragraphs
  std::optional<uint32_t> cellShading;  // tcPr/shd fill
  std::optional<VAlign> valign;         // tcPr/vAlign
  EdgeBorders borders;                  // tblPr/tblBorders, tcPr/tcBorders over them
  void over(const TablePart& top);
};

// A shading element (w:shd) as the colour it shows, kAutoColor for none.
uint32_t shading(const pugi::xml_node& shd, const Theme& theme);
// A cell's background (tcPr/shd), when it has one.
std::optional<uint32_t> cellFill(const pugi::xml_node& tcPr, const Theme& theme);
// A cell's vertical alignment (tcPr/vAlign), when it has one.
std::optional<VAlign> cellAlignment(const pugi::xml_node& tcPr);
// How the cell's lines run (w:textDirection).
TextFlow cellFlow(const pugi::xml_node& tcPr);

// A table's or a cell's room inside its cells' sides (w:tblCellMar,
// w:tcMar), twips: top, start, bottom, end, each where given.
struct CellMargins {
  std::array<std::optional<int16_t>, 4> sides;
  void read(const pugi::xml_node& margins);
  void over(const CellMargins& top);
  std::array<int16_t, 4> shown() const;  // -1 where not given
};

// A table's or a row's room between cells (w:tblCellSpacing), twips.
std::optional<int32_t> tableSpacing(const pugi::xml_node& spacing);

// A table's place between the margins (tblPr/jc, tblPr/tblInd in twips),
// its direction, the room in and between its cells, and its width.
struct TablePlacement {
  std::optional<Align> align;
  std::optional<int32_t> indent;
  std::optional<bool> rightToLeft;  // bidiVisual
  CellMargins margins;
  std::optional<int32_t> cellSpacing;  // tblCellSpacing, twips
  // tblW: twips, or fiftieths of a percent of the line.
  std::optional<int32_t> width, widthShare;
  std::optional<bool> fixed;  // tblLayout: the columns' widths kept
  void read(const pugi::xml_node& tblPr);
  void over(const TablePlacement& top);
};

// A table style with its bases resolved.
struct TableStyle {
  TablePart whole;
  TablePlacement placement;
  std::map<std::string, TablePart> conditions;  // by w:tblStylePr's w:type
  int rowBand = 1, colBand = 1;
};

class Styles {
 public:
  struct Def {
    std::string id;
    std::u16string name;
    std::string type;  // paragraph, character, table, numbering
    std::string basedOn;
    ParaProps para;
    RunProps run;
    TableStyle table;    // table styles only, own properties
    int32_t index = -1;  // in the model's styles, once added
  };

  // Reads styles.xml (root may be empty) and adds the paragraph and
  // character styles to the builder, bases first.
  void load(const pugi::xml_node& root, const Theme& theme, Builder& builder);

  // The effective properties of a style, its chain and the document
  // defaults resolved (paragraph styles) or its chain alone (character).
  // (Kept for the reader's life: it asks for every paragraph and run.)
  const ParaProps& paraOf(const std::string& styleId) const;
  const RunProps& runOfParagraphStyle(const std::string& styleId) const;
  RunProps runOfCharacterStyle(const std::string& styleId) const;
  // A paragraph style's own run properties, without the document defaults.
  RunProps runOfParagraphStyleAlone(const std::string& styleId) const;
  // A paragraph style's own properties, without the document defaults.
  ParaProps paraOfStyleAlone(const std::string& styleId) const;
  const ParaProps& defaultPara() const { return defaultPara_props_; }
  TableStyle tableStyle(const std::string& styleId) const;
  int32_t indexOf(const std::string& styleId) const;  // model index; the default style when unknown
  const std::string& defaultParagraphStyle() const { return defaultPara_; }
  const std::string& defaultTableStyle() const { return defaultTable_; }
  const RunProps& defaultRun() const { return defaultRun_; }
  // Whether any style (or the defaults) hides text.
  bool hidesText() const { return hidesText_; }
  // numbering style id -> its numId (for list definitions that link to styles)
  std::map<std::string, std::string> numberingStyles() const;

 private:
  std::vector<const Def*> chain(const std::string& styleId, const char* type) const;
  bool keeps(const std::string& styleId) const;  // whether the caches keep its folds
  int32_t add(Def& def, Builder& builder);

  std::map<std::string, Def> defs_;
  std::string defaultPara_;
  std::string defaultChar_;
  std::string defaultTable_;
  RunProps defaultRun_;
  ParaProps defaultPara_props_;
  bool hidesText_ = false;
  mutable std::unordered_map<std::string, ParaProps> paraCache_;  // paraOf's, by id
  mutable std::map<std::string, ParaProps> paraAloneCache_;
  mutable std::map<std::string, TableStyle> tableCache_;
  mutable std::map<std::string, RunProps> runCache_;
  mutable std::unordered_map<std::string, RunProps> paraRunCache_;  // runOfParagraphStyle's, by id
  // indexOf's answers, asked for every paragraph: hashed rather than found
  // through the ordered defs_.
  std::unordered_map<std::string, int32_t> indexes_;
};

}  // namespace word::read::docx
