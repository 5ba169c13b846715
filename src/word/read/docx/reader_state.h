#pragma once
// What the parts of the Word 2007+ reader share: the reader with the
// package's parts, and the state of the story and paragraph being walked.
// Internal to the reader; the entry point is readDocx in word/read/reader.h.
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <pugixml.hpp>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "word/builder.h"
#include "word/read/docx/chart.h"
#include "word/read/docx/numbering.h"
#include "word/read/docx/shapes.h"
#include "word/read/docx/styles.h"
#include "word/read/docx/xml.h"
#include "word/read/field_kinds.h"
#include "word/read/languages.h"
#include "word/read/look.h"
#include "word/read/package.h"

namespace word::read::docx::detail {

struct Rel {
  std::string target;  // resolved part name, or the URL of an external target
  bool external = false;
  bool headerOrFooter = false;  // a page header's or footer's part
};
using Rels = std::map<std::string, Rel>;

struct XmlPart {
  std::string name;
  std::string bytes;  // parsed in place: must outlive doc
  pugi::xml_document doc;
  Rels rels;
  bool present = false;
};

// One open complex field (fldChar begin ... end).
struct Field {
  std::string code;
  bool separated = false;
  Link link;  // for HYPERLINK fields, once the code is known
  // What a form field shows from its settings (w:ffData): a check box's
  // box, a drop-down's chosen entry.
  std::u16string drawn;
  uint32_t resultAt = 0;  // where its result starts in the story built
};

// The look of a text box's paragraphs: the line and fill of the shape it
// is drawn in, where they have none of their own; and the side of the text
// it stands at where the text wraps around it (a sidebar): they float
// there.
struct TextBoxLook {
  Border line;
  uint32_t fill = kAutoColor;
  BoxPlace place;
};

// State of the story being built (main text or one note).
struct StoryState {
  Builder* builder = nullptr;
  const XmlPart* part = nullptr;
  std::vector<Field> fields;
  std::map<std::string, std::u16string> bookmarkNames;  // w:id -> name
  bool inNote = false;
  pugi::xml_node typedMark;  // a note's own copy of its custom mark, not shown
  int textBoxDepth = 0;
  TextBoxLook box;  // of the text box being read
  FrameRun frames;  // of the main text's paragraphs
  // The alignment of the paragraph the text boxes are anchored in: WordArt
  // set in its line stands where the paragraph aligns it.
  Align anchorAlign = Align::Left;
  // The last paragraph's mark is written only when more content follows:
  // a cell's last paragraph ends with the cell mark instead.
  bool pendingEnd = false;
  // What the table style gives the runs and paragraphs of the cell being
  // read.
  const RunProps* tableRun = nullptr;
  const ParaProps* tablePara = nullptr;
  // The alignment tabs (w:ptab) of the paragraph being read.
  std::vector<pugi::xml_node> alignTabs;
};

inline void flush(StoryState& s) {
  if (!s.pendingEnd) return;
  s.pendingEnd = false;
  s.builder->endParagraph();
}

// State inside one paragraph.
struct InlineState {
  Link link;                              // from an enclosing w:hyperlink or fldSimple
  std::string paraStyle;                  // for run property resolution
  const RunProps* tableRun = nullptr;     // the cell's, from its table's style
  std::vector<pugi::xml_node> textBoxes;  // w:txbxContent anchored here
};

inline std::u16string utf16(std::string_view s) {
  return u16(s);
}

// The shown text of a w:t (body.cpp).
std::u16string cleanText(std::string_view utf8);
// The side of the text an anchored drawing (wp:anchor) `widthPx` wide
// stands at (anchor_side.cpp).
PictureSide anchoredSide(const pugi::xml_node& anchor, int32_t widthPx);
// The one branch of mc:AlternateContent to read (body.cpp).
pugi::xml_node chooseBranch(const pugi::xml_node& ac);
// The link of a HYPERLINK field code, no target for other fields (fields.cpp).
Link fieldLink(std::string_view code);

// An Office Math equation (m:oMath) as MathML and as its linear text.
struct MathText {
  std::u16string mathml;
  std::u16string linear;
};
MathText readMath(const pugi::xml_node& oMath, bool display);

// What the children of one run share: the run's format, made when first
// needed and made again after a field character changes the link.
struct RunContext {
  RunContext(const RunProps& d, const RunProps& e) : direct(d), effective(e) {}
  const RunProps& direct;
  const RunProps& effective;  // with its styles', worked out once a run
  std::optional<CharFormat> cached;
  bool hidden = false;
  RunLanguages languages;     // those its letters are marked with
  bool skipNextText = false;  // a custom note mark's text is the note's label
};

class DocxReader {
 public:
  explicit DocxReader(Package zip) : pkg_(std::move(zip)) {}
  Model read();

 private:
  // docx_reader.cpp: the package and its parts.
  // Reads and parses part `name`: false where it is missing or damaged
  // (what could be read of a side part is kept).
  bool loadPart(XmlPart& part, const std::string& name, bool required);
  // The part a relationship `id` of the story's part names, inside the
  // document: false where there is none or it is damaged.
  bool relatedPart(const StoryState& s, std::string_view id, XmlPart& part);
  Rels loadRels(const std::string& partName);
  std::string findMainPart();

  // body.cpp: paragraphs, runs and what a run holds.
  void blocks(const pugi::xml_node& parent, StoryState& s, int depth);
  // Ends a section of the main text at its properties (w:sectPr).
  void section(const pugi::xml_node& sectPr, StoryState& s);
  void paragraph(const pugi::xml_node& p, StoryState& s, int depth, bool joinNext);
  void alignmentTabs(const ParaProps& props, ParagraphFormat& pf, StoryState& s) const;
  bool hiddenMark(const pugi::xml_node& ppr, const StoryState& s) const;
  bool hiddenWhole(const pugi::xml_node& p, const StoryState& s) const;
  void textBoxLook(const pugi::xml_node& box, StoryState& s) const;
  void placeTextBox(const pugi::xml_node& box, StoryState& s) const;
  void inlines(const pugi::xml_node& parent, StoryState& s, InlineState& in, int depth);
  void run(const pugi::xml_node& r, StoryState& s, InlineState& in, int depth);
  void runContent(const pugi::xml_node& parent, const pugi::xml_node& r, const RunProps& direct,
                  StoryState& s, InlineState& in, int depth);
  void runChild(const pugi::xml_node& k, const pugi::xml_node& r, RunContext& rc, StoryState& s,
                InlineState& in, int depth);
  void symbol(const pugi::xml_node& k, RunContext& rc, StoryState& s, const InlineState& in);
  void unseen(StoryState& s, std::u16string_view text, bool deleted);
  static std::u16string deletedText(const pugi::xml_node& del);
  void ruby(const pugi::xml_node& k, StoryState& s, InlineState& in, int depth);
  void equations(const pugi::xml_node& n, StoryState& s, InlineState& in);
  // The run's properties with its styles' and the document defaults.
  RunProps effective(const RunProps& direct, const InlineState& in) const;
  // The languages of the run's letters (w:lang), numbered.
  RunLanguages languages(const RunProps& eff);
  // Those of a paragraph style's own properties, numbered once a style.
  const RunLanguages& styleLanguages(const RunProps& styleRun);
  const CharFormat& runFormat(RunContext& rc, const StoryState& s, const InlineState& in) const {
    if (!rc.cached) {
      rc.cached = formatOf(rc.effective, s, in);
      rc.cached->language = rc.languages.whole();
    }
    return *rc.cached;
  }
  bool shows(const RunContext& rc, const StoryState& s) const { return !rc.hidden && visible(s); }

  // tables.cpp
  void table(const pugi::xml_node& tbl, StoryState& s, int depth);
  // A table's rows (w:tr) or a row's cells (w:tc), through the wrappers
  // that may hold them, without those deleted with tracked changes.
  void collectRows(const pugi::xml_node& parent, std::vector<pugi::xml_node>& rows, int depth);
  void collectCells(const pugi::xml_node& parent, std::vector<pugi::xml_node>& cells, int depth);
  void collectParts(const pugi::xml_node& parent, const char* part, const char* properties,
                    const char* deleted, std::vector<pugi::xml_node>& out, int depth);

  // fields.cpp: fields, hyperlinks and bookmarks.
  void hyperlink(const pugi::xml_node& n, StoryState& s, InlineState& in, int depth);
  void simpleField(const pugi::xml_node& n, StoryState& s, InlineState& in, int depth);
  static std::u16string fieldChar(const pugi::xml_node& k, StoryState& s, bool shown);
  static void instrText(const pugi::xml_node& k, StoryState& s);
  void bookmarkStart(const pugi::xml_node& n, StoryState& s);
  void bookmarkEnd(const pugi::xml_node& n, StoryState& s);

  // drawings.cpp
  void drawing(const pugi::xml_node& d, const CharFormat& f, StoryState& s, InlineState& in);
  // `scale`: of a group's child units to the drawing's (a group resized
  // keeps its children's sizes in the units it had).
  void graphicContent(const pugi::xml_node& n, int32_t w, int32_t h, const std::u16string& alt,
                      const CharFormat& f, StoryState& s, InlineState& in, int depth,
                      int& pictures, std::pair<double, double> scale = {1, 1});
  void vml(const pugi::xml_node& n, const CharFormat& f, StoryState& s, InlineState& in, int depth);
  void vmlDrawing(const pugi::xml_node& shape, const CharFormat& f, StoryState& s);
  CharFormat linked(const pugi::xml_node& drawing, const CharFormat& f, const StoryState& s) const;
  std::optional<DrawnShapes> diagramPicture(const pugi::xml_node& data,
                                            const pugi::xml_node& extent, StoryState& s,
                                            std::string& said);
  std::optional<DrawnShapes> chartPicture(const pugi::xml_node& data, int32_t w, int32_t h,
                                          StoryState& s, std::string& title);
  void wordArt(const pugi::xml_node& path, StoryState& s);
  void addPicture(std::string_view relId, int32_t w, int32_t h, const std::u16string& alt,
                  const CharFormat& f, StoryState& s, const PictureLook& look = {});
  std::shared_ptr<const std::string> media(const std::string& target);
  std::optional<DrawnShapes> groupOverPictures(const pugi::xml_node& data, int64_t widthEmu,
                                               int64_t heightEmu, StoryState& s);
  std::u16string equationText(const pugi::xml_node& object, const StoryState& s);

  // notes.cpp
  void readSettings(const XmlPart& settings);
  void indexNotes();
  size_t readSections(const pugi::xml_node& root);
  void sectionEnds(const pugi::xml_node& sectPr);
  void sectionNotes(size_t i);
  void noteReference(const pugi::xml_node& k, bool endnote, RunContext& rc, StoryState& s,
                     const InlineState& in);
  void note(const pugi::xml_node& ref, bool endnote, const std::u16string& customLabel,
            const CharFormat& f, StoryState& s);

  bool visible(const StoryState& s) const {
    for (const Field& f : s.fields)
      if (!f.separated) return false;
    return true;
  }
  CharFormat format(const RunProps& direct, const StoryState& s, const InlineState& in) const {
    return formatOf(effective(direct, in), s, in);
  }
  // The format of properties already worked out with their styles'.
  CharFormat formatOf(const RunProps& eff, const StoryState& s, const InlineState& in) const;

  // By the paragraph style's folded run properties, which live as long as
  // the styles: most runs have no properties of their own.
  std::unordered_map<const RunProps*, RunLanguages> styleLanguages_;
  Package pkg_;
  Theme theme_;
  Styles styles_;
  Numbering numbering_;
  LanguageTally languages_;  // the main text's, by character
  LanguageTable languageTable_;  // all text's, as its runs number them
  std::vector<SideLines> borderLines_;  // the model's borderLines
  XmlPart main_, footnotes_, endnotes_;
  std::map<std::string, const pugi::xml_node> footnoteById_, endnoteById_;
  std::map<std::string, std::shared_ptr<const std::string>> media_;
  // Chart parts read, by the story part's name and the relationship's id.
  std::map<std::string, std::optional<Chart>> charts_;
  size_t chartPointsLeft_ = 500'000;                    // some hundred charts' worth
  // Each group drawn with its pictures holds its own copy of their bytes:
  // a few hundred screenshots' worth, not one picture repeated without end.
  size_t groupPictureBytesLeft_ = size_t{64} << 20;
  // The side of the text the drawing being read stands at (its pictures').
  PictureSide side_ = PictureSide::Inline;
  pugi::xml_node lostGroup_;  // the VML group whose shapes were last named lost
  // The VML shape or group whose side was read last, and that side.
  pugi::xml_node sidePlaced_;
  PictureSide sideOfPlaced_ = PictureSide::Inline;
  bool withoutPictures_ = false;  // a group's pictures are drawn with its shapes
  // How notes count, footnotes then endnotes: the document's settings,
  // the section's format over them, and the next number.
  struct NoteNumbering {
    std::string format;
    int64_t start = 1;
    bool eachSection = false;  // the count restarts with each section
  };
  NoteNumbering noteDefaults_[2] = {{"decimal"}, {"lowerRoman"}};
  std::string noteFormat_[2] = {"decimal", "lowerRoman"};
  int64_t noteNumber_[2] = {1, 1};
  std::vector<pugi::xml_node> sections_;  // the main text's sectPr, in order
  size_t section_ = 0;                    // the one being read
  // A table's indent places its side (the newer versions' layout), not
  // its first cell's text one cell margin further in (the older ones').
  bool tablesAtBorder_ = false;
  bool stretchBeforeBreaks_ = true;  // Model::stretchBeforeBreaks
  int32_t textWidth_ = 9360;  // between the page's margins, twips
  uint32_t sectionStart_ = 0;  // where the main text's open section starts
  ElementBudget elements_;
  Builder builder_;
};

}  // namespace word::read::docx::detail
