#pragma once
// The automation facade: the operations the converter uses on documents,
// in the word processor's own terms. The converter reaches documents only
// through these classes, never through the model.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "word/error.h"
#include "word/model.h"

namespace word {

// Units and arguments, with the word processor's numbers.
enum Unit : int32_t { wdParagraph = 4, wdLine = 5, wdStory = 6 };
enum Movement : int32_t { wdMove = 0, wdExtend = 1 };
enum SelectionType : int32_t { wdSelectionIP = 1, wdSelectionNormal = 2 };
enum Information : int32_t { wdWithInTable = 12 };
enum SaveFormat : int32_t { wdFormatText = 2, wdFormatHTML = 8 };
enum SaveChanges : int32_t { wdDoNotSaveChanges = 0 };

class Application;
class Document;
namespace write {
class PictureConverter;
}

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

// A picture a save shows as a stand-in (a box with its alternative text),
// since browsers lack its format and it could not be converted.
struct PicturePlaceholder {
  int32_t position = 0;  // of its mark in the saved document's main story
  std::string format;    // "pict", "wmf", ...
  std::string reason;    // in a few words: "no converter for this format"
  bool linked = false;   // to a file outside the document, which is not read
};

// What a save could not do faithfully.
struct SaveResult {
  std::vector<PicturePlaceholder> placeholders;
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
  Document(Application& app, std::string fullName, Model model);
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
  SaveResult saveAs(const std::string& fileName, int32_t format, const SaveFilter& filter = {});
  // What saveAs would write in the text format (2), without a file: for a
  // look at a document's text as it would be saved.
  std::string textExport();
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
  void close(int32_t saveChanges = wdDoNotSaveChanges);
  // The language of the document's text as a language tag ("ru-RU", "en"):
  // the one most of it is marked with, unless that does not fit the script
  // most of its letters are in, then the one that script suggests; "" when
  // neither tells.
  std::string language() const;

  // The file as it was when the document was read from it: size, time of
  // its last change and identity. A document made otherwise has none.
  struct FileStamp {
    uint64_t device = 0, inode = 0, size = 0;
    int64_t changedSeconds = 0, changedNanoseconds = 0;
    bool operator==(const FileStamp&) const = default;
  };
  // Reads the stamp of the file at `path` now; none when it cannot be read.
  static std::optional<FileStamp> stampOf(const std::string& path);
  std::optional<FileStamp> fileStamp;

  // Engine internals, for the facade and the writers.
  Model& model() { return model_; }
  const Model& model() const { return model_; }
  int32_t selStart = 0;
  int32_t selEnd = 0;
  // The outermost table holding `pos` (index into the main story's tables),
  // or -1, by binary search over an index of the outermost tables. The
  // index is rebuilt after `storyChanged()` or when the story's length or
  // table count changed.
  ptrdiff_t outerTableAt(uint32_t pos);
  void storyChanged() { outerValid_ = false; }

 private:
  Application* app_;
  // After a save the name is made absolute at once and resolved (links,
  // "..") when first asked for: a page export saves and closes a document
  // without ever asking, and resolving costs a look-up per path component.
  mutable std::string fullName_;
  mutable bool resolved_ = true;
  Model model_;
  std::vector<uint32_t> outer_;  // indexes of the depth-1 tables, in order
  bool outerValid_ = false;
  size_t outerText_ = 0;
  size_t outerTables_ = 0;
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
  int32_t type() const;                  // wdSelectionIP or wdSelectionNormal
  bool information(int32_t what) const;  // wdWithInTable: the start is in a table
  // Tables(index).Select: selects the index-th outermost table that the
  // selection touches; none is error kNoSuchMember.
  void selectTable(int32_t index);
  // MoveDown by paragraph or line; returns the number of units moved.
  int32_t moveDown(int32_t unit, int32_t count, int32_t extend);
  int32_t homeKey(int32_t unit, int32_t extend);
  int32_t endKey(int32_t unit, int32_t extend);
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
  int32_t saveFormat = 0;
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

  // Engine internals.
  Document& adopt(std::unique_ptr<Document> doc);  // adds and activates
  void activate(Document& doc);
  void closeDocument(Document& doc);
  Document* findOpen(const std::string& fullName);
  int32_t openCount() const { return static_cast<int32_t>(docs_.size()); }
  std::unique_ptr<Model>& clipboard() { return clipboard_; }
  int32_t nextDocumentNumber() { return ++documentsAdded_; }
  // Pictures made fit for browsers, each distinct picture converted once.
  write::PictureConverter& pictures();

 private:
  std::vector<std::unique_ptr<Document>> docs_;
  std::vector<Document*> activation_;  // most recently active last
  std::vector<FileConverter> converters_;
  std::unique_ptr<Model> clipboard_;
  std::unique_ptr<write::PictureConverter> pictures_;
  int32_t documentsAdded_ = 0;  // names new documents Document1, Document2 ...
};

}  // namespace word
