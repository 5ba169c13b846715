#pragma once
// The automation facade: the operations the converter uses on documents,
// in the word processor's own terms. The converter reaches documents only
// through these classes. The model and the engine's own state sit behind
// word/engine.h, which only the facade's sources, its tests and the
// benchmarks can include: the model's header is not even on the
// converter's include path. A failing call throws support::Error, with the
// engine's numbers (word/error.h) or the program's run-time ones.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "support/error.h"
#include "support/picture_placeholder.h"

namespace word {

// Units and arguments, with the word processor's numbers. Scoped, so that
// a unit where a movement belongs, or a bare number, does not compile; the
// names stand in the namespace, as the word processor's constants do.
enum class Unit : int32_t { wdParagraph = 4, wdLine = 5, wdStory = 6 };
enum class Movement : int32_t { wdMove = 0, wdExtend = 1 };
enum class SelectionType : int32_t { wdSelectionIP = 1, wdSelectionNormal = 2 };
enum class Information : int32_t { wdWithInTable = 12 };
enum class SaveFormat : int32_t { wdFormatText = 2, wdFormatHTML = 8 };
enum class SaveChanges : int32_t { wdDoNotSaveChanges = 0 };
enum class StoryType : int32_t { wdMainTextStory = 1, wdTextFrameStory = 5 };
// A paragraph's outline level that is no heading's.
inline constexpr int32_t wdOutlineLevelBodyText = 10;
using enum Unit;
using enum Movement;
using enum SelectionType;
using enum Information;
using enum SaveFormat;
using enum SaveChanges;
using enum StoryType;

class Application;
class Document;
struct Model;
namespace engine {
// word/engine.h
struct Access;
struct DocumentState;
struct ApplicationState;
}  // namespace engine

// An inline picture as the word processor's InlineShapes show it.
struct InlineShape {
  int32_t position = 0;  // of its mark in the main story
  std::string format;    // "png", "jpeg", "wmf", ...
  std::u16string alternativeText;
  // A browser shows it as the page writer writes it: in its own format, or
  // converted (the first ask converts it, once for the application).
  bool showable = false;
  bool linked = false;  // to a file outside the document, which is not read
};

using support::PicturePlaceholder;

// What a save could not do faithfully.
struct SaveResult {
  std::vector<PicturePlaceholder> placeholders;
};

// Positions [start, end) of a document's main story.
struct StorySpan {
  int32_t start = 0;
  int32_t end = 0;
};

// A span of a document's main story.
class Range {
 public:
  Range(Application& app, Document& doc, int32_t start, int32_t end);
  int32_t start() const { return start_; }
  int32_t end() const { return end_; }
  std::u16string text() const;
  // Copies the range with its formatting, tables, pictures, bookmarks,
  // notes and links to the application's clipboard.
  void copy() const;
  // Replaces the range by the clipboard's content.
  void paste();
  // The pictures standing in the range, in order.
  std::vector<InlineShape> inlineShapes() const;
  // What the reader met in the range but cannot show, in order; for a
  // document as it was opened.
  struct Loss {
    enum class Kind { Drawing, Field, Formatting };
    int32_t position = 0;
    std::string what;  // "a chart"
    Kind kind = Kind::Drawing;
  };
  std::vector<Loss> losses() const;
  // The footnotes and endnotes referenced in the range, in order: where
  // each reference stands and the note's text, as text() gives a range's.
  struct NoteText {
    int32_t position = 0;
    std::u16string text;
  };
  std::vector<NoteText> notes() const;
  // Whether a picture, or a note's reference, stands in the range: found
  // without preparing the pictures or copying the notes.
  struct Anchors {
    bool picture = false;
    bool note = false;
  };
  Anchors anchors() const;

 private:
  Application* app_;
  Document* doc_;
  int32_t start_;
  int32_t end_;
};

class Bookmarks {
 public:
  explicit Bookmarks(Document& doc) : doc_(&doc) {}
  int32_t count() const;
  // Deletes bookmark `index` (1-based); a missing index is error kNoSuchMember.
  void remove(int32_t index);
  std::u16string name(int32_t index) const;

 private:
  Document* doc_;
};

// Takes the bytes a save is about to write and gives the bytes to write.
using SaveFilter = std::function<std::string(std::string)>;

class Document {
 public:
  // Made by the engine (Documents, word/engine.h).
  Document(Application& app, std::string fullName, Model model);
  ~Document();
  Document(const Document&) = delete;
  Document& operator=(const Document&) = delete;

  const std::string& fullName() const;
  Range content();  // the whole main story
  Bookmarks bookmarks() { return Bookmarks(*this); }
  // format 8 (HTML) or 2 (text); any other is error kBadParameter. The
  // saved bytes pass through `filter`, when given, just before they are
  // written: a caller that rewrites what it saves does so without reading
  // the file back.
  // Pictures browsers lack are converted; the result names those that show
  // as stand-ins.
  // In the text format, the main story's positions [start, end) of
  // `asHtml` are text for an HTML page: their "&", "<" and ">" are written
  // as entities before the code-page step (the test data file's section).
  SaveResult saveAs(const std::string& fileName, SaveFormat format, const SaveFilter& filter = {},
                    StorySpan asHtml = {});
  // What saveAs would write in the text format (2), without a file: for a
  // look at a document's text as it would be saved.
  std::string textExport(StorySpan asHtml = {});
  // The paragraph holding `position`: its number, counting the paragraph
  // marks of the main story from 1 (paragraphs in table cells included, the
  // marks ending table rows not), and its span.
  struct ParagraphSpan {
    int32_t number = 0;
    int32_t start = 0;
    int32_t end = 0;
  };
  ParagraphSpan paragraph(int32_t position);
  // Closes unsaved (saveChanges must be 0) and activates the document that
  // was active before this one.
  void close(SaveChanges saveChanges = wdDoNotSaveChanges);
  // The language of the document's text as a language tag ("ru-RU", "en"):
  // the one most of it is marked with, unless that does not fit the script
  // most of its letters are in, then the one that script suggests; "" when
  // neither tells.
  std::string language() const;
  // The start of each paragraph of the page headers and footers, as the
  // word processor shows them: no page shows them, and the scan does not
  // read them.
  const std::vector<std::u16string>& headerFooterLines() const;
  // The main text's paragraphs, outside tables and text boxes, that hold
  // text the word processor does not show (hidden, or deleted as a tracked
  // change) and a percent sign: each as it reads with that text shown, a CR
  // where a hidden or deleted paragraph mark joined two.
  struct UnseenLine {
    int32_t position = 0;  // the paragraph's start
    std::u16string text;
    bool hidden = false, deleted = false;
  };
  std::vector<UnseenLine> unseenLines() const;
  // Changes whenever the text changes (and differs between any two
  // documents): what was read of one edition holds for it alone.
  uint64_t edition() const;

 private:
  friend struct engine::Access;
  Application* app_;
  // After a save the name is made absolute at once and resolved (links,
  // "..") when first asked for: a page export saves and closes a document
  // without ever asking, and resolving costs a look-up per path component.
  mutable std::string fullName_;
  mutable bool resolved_ = true;
  std::unique_ptr<engine::DocumentState> state_;
};

class Selection {
 public:
  explicit Selection(Application& app) : app_(&app) {}
  int32_t start() const;
  int32_t end() const;
  // Setting the start past the end moves the end too, and the reverse;
  // positions are clamped to the story, and an insertion point at the very
  // end moves before the final paragraph mark.
  void setStart(int32_t pos);
  void setEnd(int32_t pos);
  std::u16string text() const;
  SelectionType type() const;
  bool information(Information what) const;  // wdWithInTable: the start is in a table
  // The story the selection's start is in: a text box's or shape's text
  // (wdTextFrameStory) stands after the paragraph anchoring it, but is no
  // part of the main text; a frame's paragraphs are.
  StoryType storyType() const;
  // The paragraph at the selection's start: its outline level (1 to 9 for
  // a heading, wdOutlineLevelBodyText for body text) and its style's name
  // ("heading 1", "Заголовок 1").
  int32_t outlineLevel() const;
  std::u16string styleName() const;
  // Tables(index).Select: selects the index-th outermost table that the
  // selection touches; none is error kNoSuchMember.
  void selectTable(int32_t index);
  // MoveDown by paragraph or line; returns the number of units moved.
  int32_t moveDown(Unit unit, int32_t count, Movement extend);
  int32_t homeKey(Unit unit, Movement extend);
  int32_t endKey(Unit unit, Movement extend);
  // Inserts at the selection's end; LF and CR end a paragraph there. The
  // selection is extended over the inserted text.
  void insertAfter(std::u16string_view text);
  Range range();

 private:
  Document& doc() const;
  Application* app_;
};

class Documents {
 public:
  explicit Documents(Application& app) : app_(&app) {}
  // Reads the file (format from its content) and activates it; a document
  // that is already open is activated again. Unreadable, missing, empty,
  // encrypted or unknown content is an Error with a clear description.
  Document& open(const std::string& fileName);
  Document& add();  // one empty paragraph, active
  int32_t count() const;

 private:
  Application* app_;
};

struct FileConverter {
  std::string className;
  SaveFormat saveFormat = wdFormatHTML;
};

class Application {
 public:
  Application();
  ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  Documents documents() { return Documents(*this); }
  Document& activeDocument();  // none open: error kNoDocument
  Selection selection() { return Selection(*this); }
  std::vector<FileConverter>& fileConverters() { return converters_; }
  bool visible = false;

 private:
  friend struct engine::Access;
  std::vector<FileConverter> converters_;
  std::unique_ptr<engine::ApplicationState> state_;
};

}  // namespace word
