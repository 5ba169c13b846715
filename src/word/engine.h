#pragma once
// The engine beneath the automation surface: a document's model and
// selection, the application's open documents, clipboard and pictures.
// Only the facade's own sources, its tests and the benchmarks have this
// header on their include path (an INTERNAL header of the facade's layer,
// cmake/layers.cmake): the converter cannot include it, nor the model it
// brings, so it reaches documents through word/application.h alone.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "word/application.h"
#include "word/model.h"

namespace word {

namespace write {
class PictureConverter;
}

namespace engine {

// The file as it was when a document was read from it: size, time of its
// last change and identity.
struct FileStamp {
  uint64_t device = 0, inode = 0, size = 0;
  int64_t changedSeconds = 0, changedNanoseconds = 0;
  bool operator==(const FileStamp&) const = default;
};
// Reads the stamp of the file at `path` now; none when it cannot be read.
std::optional<FileStamp> stampOf(const std::string& path);

struct DocumentState {
  explicit DocumentState(Model m) : model(std::move(m)) {}
  Model model;
  uint64_t edition = nextEdition();  // Document::edition
  int32_t selStart = 0;
  int32_t selEnd = 0;
  std::optional<FileStamp> fileStamp;  // none: the document was not read from a file
  // The outermost table holding `pos` (index into the main story's tables),
  // or -1, by binary search over an index of the outermost tables. The
  // index is rebuilt after `storyChanged()` or when the story's length or
  // table count changed.
  ptrdiff_t outerTableAt(uint32_t pos);
  // How many table rows of the main story end at or before `pos`, from the
  // same index: asked once per warning, a walk of every row made lint
  // quadratic in a long table.
  size_t rowEndsUpTo(uint32_t pos);
  void storyChanged() {
    outerValid_ = false;
    edition = nextEdition();
  }
  // A number no document of the process had before.
  static uint64_t nextEdition();

 private:
  void refreshIndex();
  std::vector<uint32_t> outer_;    // indexes of the depth-1 tables, in order
  std::vector<uint32_t> rowEnds_;  // every row's end, sorted
  bool outerValid_ = false;
  size_t outerText_ = 0;
  size_t outerTables_ = 0;
};

struct ApplicationState {
  ApplicationState();
  ~ApplicationState();
  std::vector<std::unique_ptr<Document>> docs;
  std::vector<Document*> activation;  // most recently active last
  std::unique_ptr<Model> clipboard;
  std::unique_ptr<write::PictureConverter> pictures;  // made when first asked for
  int32_t documentsAdded = 0;  // names new documents Document1, Document2 ...
};

struct Access {
  static DocumentState& of(Document& doc) { return *doc.state_; }
  static const DocumentState& of(const Document& doc) { return *doc.state_; }
  static ApplicationState& of(Application& app) { return *app.state_; }
};

inline Model& model(Document& doc) {
  return Access::of(doc).model;
}
inline const Model& model(const Document& doc) {
  return Access::of(doc).model;
}
inline std::unique_ptr<Model>& clipboard(Application& app) {
  return Access::of(app).clipboard;
}
// Adds the document to the open ones and activates it.
Document& adopt(Application& app, std::unique_ptr<Document> doc);
Document& adopt(Application& app, std::string fullName, Model model);
void activate(Application& app, Document& doc);
// Closes it unsaved: `doc` is destroyed.
void closeDocument(Application& app, Document& doc);
Document* findOpen(Application& app, const std::string& fullName);
// Pictures made fit for browsers, each distinct picture converted once.
write::PictureConverter& pictures(Application& app);

// The main story's length; a position held inside [0, length].
uint32_t storyLength(const DocumentState& doc);
uint32_t clampPos(int64_t pos, uint32_t length);
// After an edit at `pos` of `delta` characters, the selection's positions
// past the edit move with the text.
void shiftSelection(DocumentState& doc, uint32_t pos, int64_t delta);

}  // namespace engine
}  // namespace word
