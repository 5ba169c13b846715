#pragma once
// What the parts of the OpenDocument reader share: the reader with its
// parts, styles and lists, and the state of the story, list and paragraph
// being walked. Internal to the reader; the entry point is readOdt in
// word/read/reader.h.
#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <pugixml.hpp>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "word/builder.h"
#include "word/read/field_kinds.h"
#include "word/read/languages.h"
#include "word/read/look.h"
#include "word/read/odt/conditions.h"
#include "word/read/odt/lists.h"
#include "word/read/odt/styles.h"
#include "word/read/package.h"
#include "word/read/xml.h"

namespace word::read::odt::detail {

// Spaces from text:s, and elements copied by repeated rows and cells, over
// the document. Each is a few bytes of XML for a lot of model: a crafted
// file could ask for billions. Real documents stay far below.
constexpr size_t kMaxRepeatedSpaces = 1 << 24;
constexpr size_t kMaxRepeatedCells = 1 << 20;

struct XmlPart {
  std::string bytes;  // parsed in place: must outlive doc
  pugi::xml_document doc;
  // Whether a field kept as marks has a separator here, told from the
  // bytes before they are parsed: most texts have none, and finding the
  // fields' codes takes a walk of the whole tree.
  bool fieldSeparators = false;
};

// One open text:list.
struct ListFrame {
  Lists::Counter* counter = nullptr;
  std::string style;  // the list style in effect
  int level = 0;      // 0-based
};

// The item whose first paragraph takes the label.
struct ListItem {
  ListFrame list;
  std::optional<int64_t> restart;  // text:start-value
  bool header = false;             // text:list-header: no labels
  bool labelled = false;
};

// State of the story being built (main text or one note).
struct StoryState {
  Builder* builder = nullptr;
  bool inNote = false;
  int textBoxDepth = 0;
  Border boxLine;          // the line round the frame whose text is being read
  BoxPlace place;          // where that frame or shape stands, its text floating there
  int32_t frameWidth = 0;  // twips: the frame a table about to be read stands alone in
  // The last paragraph's mark is written only when more content follows:
  // a cell's last paragraph ends with the cell mark instead.
  bool pendingEnd = false;
  std::vector<ListFrame> lists;  // open lists, outermost first
  std::vector<std::u16string> openBookmarks;
  // The fields kept as marks that are open, innermost last: true while in
  // one's code (before its separator); and how many are so.
  std::vector<bool> fields;
  size_t inFieldCode = 0;
};

// Frames and shapes, which may hold pictures or text (drawings.cpp).
bool isDrawing(std::string_view name);

inline void flush(StoryState& s) {
  if (!s.pendingEnd) return;
  s.pendingEnd = false;
  s.builder->endParagraph();
}

// State inside one paragraph.
struct InlineState {
  std::string paraStyle;
  std::vector<std::string> spans;  // text styles of the enclosing spans, outermost first
  Link link;
  std::optional<CharFormat> format;  // of the current spans and link, made when first needed
  bool hidden = false;
  RunLanguages languages;   // those the spans mark its letters with
  bool hiddenText = false;  // text left out as hidden
  bool space = true;  // white space here collapses: the paragraph's start, or after a blank
  std::vector<pugi::xml_node> textBoxes;  // text of frames and shapes anchored here
};

class OdtReader {
 public:
  // `zip`: the container already opened from `bytes`, if it was.
  OdtReader(std::string_view bytes, std::optional<Package> zip)
      : bytes_(bytes), pkg_(std::move(zip)) {}
  Model read();

 private:
  // odt_reader.cpp: the container and its parts.
  void openPackage();
  void openFlat();
  void loadPart(XmlPart& part, const std::string& name, bool required);
  void readSettings(std::string_view settings);
  void checkMediaType(std::string_view type) const;
  pugi::xml_node officeText(const pugi::xml_node& root) const;
  // The page's columns (page_), for the text from pageFrom_ up to a
  // section in columns of its own or the end.
  Columns pageColumns(const pugi::xml_node& styles) const;
  void pageColumnsUpTo(uint32_t end);
  Columns page_;
  uint32_t pageFrom_ = 0;

  // body.cpp: block content and paragraphs.
  void blocks(const pugi::xml_node& parent, StoryState& s, int depth);
  void block(const pugi::xml_node& n, StoryState& s, int depth);
  void list(const pugi::xml_node& l, StoryState& s, int depth);
  void listItem(const pugi::xml_node& item, StoryState& s, ListItem& li, int depth);
  void paragraph(const pugi::xml_node& p, StoryState& s, int depth, ListItem* item);
  void listLabel(const pugi::xml_node& p, ParagraphFormat& pf, const std::string& styleName,
                 ListItem* item);
  void floating(const pugi::xml_node& n, StoryState& s, int depth);
  void afterParagraph(StoryState& s, InlineState& in, int depth);

  // inline.cpp: what a paragraph holds.
  void inlines(const pugi::xml_node& parent, StoryState& s, InlineState& in, int depth);
  void inlineElement(const pugi::xml_node& n, StoryState& s, InlineState& in, int depth);
  void text(std::string_view utf8, StoryState& s, InlineState& in);
  void put(std::u16string_view text, StoryState& s, InlineState& in);
  void spaces(const pugi::xml_node& n, StoryState& s, InlineState& in);
  void styled(const pugi::xml_node& n, std::string_view style, const Link& link, StoryState& s,
              InlineState& in, int depth);
  void conditional(const pugi::xml_node& n, StoryState& s, InlineState& in, int depth);
  void bookmark(const pugi::xml_node& n, StoryState& s);
  void findFieldCodes(const pugi::xml_node& root);
  void fieldmarkEdge(const pugi::xml_node& n, StoryState& s);
  void note(const pugi::xml_node& n, StoryState& s, InlineState& in);
  void unseen(std::u16string_view text, StoryState& s, bool deleted);
  void readDeletions(const pugi::xml_node& trackedChanges);
  const CharFormat& format(InlineState& in);
  // The look of text with these properties, without its link.
  struct Look {
    CharFormat format;
    bool hidden = false;
    RunLanguages languages;
  };
  Look lookOf(const TextProps& t);
  // The link of a text:a or draw:a: its target and its tip.
  Link linkOf(const pugi::xml_node& a) const;

  // tables.cpp
  void table(const pugi::xml_node& t, StoryState& s, int depth);
  // Each column's width, twips (0: not given), and its share of the
  // table's width (`shares`, 0: none); `optimal` set where one is fitted
  // to its text.
  std::vector<int32_t> columnWidths(const pugi::xml_node& t, int depth,
                                    std::vector<int32_t>& shares, bool& optimal) const;
  std::vector<int32_t> tableColumns(const pugi::xml_node& t, int depth, bool& fixed,
                                    int32_t room) const;
  void collectRows(const pugi::xml_node& parent, std::vector<pugi::xml_node>& rows, int depth);
  void cell(const pugi::xml_node& c, StoryState& s, int depth);

  // drawings.cpp: frames, pictures and shapes with text.
  void drawing(const pugi::xml_node& n, StoryState& s, InlineState& in, int depth);
  void frame(const pugi::xml_node& f, StoryState& s, InlineState& in);
  BoxPlace boxPlace(const pugi::xml_node& box) const;
  // Places an image's bytes; false for none. `anyFormat`: bytes in a format
  // the model does not carry are placed too (the page shows a stand-in).
  struct Shown {  // a frame's display size, alternative text and colours
    int32_t width = 0, height = 0;
    std::u16string alt;
    PictureLook look;
    PictureSide side = PictureSide::Inline;
  };
  bool picture(std::shared_ptr<const std::string> data, const Shown& shown, StoryState& s,
               InlineState& in, bool anyFormat);
  bool drawnShape(const pugi::xml_node& n, StoryState& s, InlineState& in);
  bool chartPicture(const pugi::xml_node& content, const Shown& shown, StoryState& s,
                    InlineState& in);
  void place(Picture pic, StoryState& s, InlineState& in);
  std::shared_ptr<const std::string> imageBytes(const pugi::xml_node& image);
  pugi::xml_node objectContent(const pugi::xml_node& frame, pugi::xml_document& content);
  bool formula(const pugi::xml_node& math, StoryState& s, InlineState& in);

  std::string_view bytes_;
  std::optional<Package> pkg_;  // the zip form; the flat XML form has none
  // Values of charts drawn left to read: each drawing of a chart is a
  // picture of its own, which a crafted document could repeat.
  size_t chartPointsLeft_ = 500000;
  XmlPart content_, styles_;
  // Tab stops measured from the paragraph's indent (the format's own way)
  // rather than from the margin (documents made from a word processor
  // that measures them so, which the settings say).
  bool tabsFromIndent_ = true;
  bool stretchBeforeBreaks_ = true;  // Model::stretchBeforeBreaks
  ElementBudget elements_;
  FontFaces faces_;
  Styles styleDefs_;
  Lists lists_;
  Lists::Counter* outlineCounter_ = nullptr;
  std::map<std::string, Lists::Counter*> listsById_;    // xml:id of a list
  std::map<std::string, Lists::Counter*> lastOfStyle_;  // the last list of each style
  std::map<std::string, std::shared_ptr<const std::string>> media_;
  std::set<std::string> objectsRead_;  // objects' names, lower case
  size_t repeatedSpaces_ = 0, repeatedCells_ = 0;
  Variables variables_;  // as set so far in the walk
  // The text of the tracked deletions that hold a percent sign, by id.
  std::map<std::string, std::u16string, std::less<>> deletions_;
  // The starts of fields kept as marks whose code (up to a separator)
  // comes before their result.
  std::set<pugi::xml_node> fieldCodes_;
  Builder builder_;
  LanguageTally languages_;      // the main text's, by character
  LanguageTable languageTable_;  // all text's, as its runs number them
  // The look of each paragraph style's own text (outside spans), by its
  // folded properties (kept as long as the reader): worked out once a
  // style, not once a paragraph (large.odt 868 to 850 million instructions).
  std::unordered_map<const TextProps*, Look> paragraphLooks_;
  std::vector<SideLines> borderLines_;  // the model's borderLines
};

}  // namespace word::read::odt::detail
