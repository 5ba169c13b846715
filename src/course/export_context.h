#pragma once
// What the page and test writers need from the run that calls them.
#include <string>

#include "course/frontend.h"
#include "course/session.h"
#include "word/application.h"

namespace course {

struct ExportContext {
  Session& session;
  word::Application& app;
  StatusSink& status;
  std::string programFolder;  // where sql_test.htm lies, no trailing '/'
};

// A document added for one export. Closing it in order is the export's last
// step; if the export fails before that, the destructor closes it, so that
// the source document is active again for the rest of the run.
class TemporaryDocument {
 public:
  explicit TemporaryDocument(word::Application& app) : app_(app), doc_(&app.documents().add()) {}
  TemporaryDocument(const TemporaryDocument&) = delete;
  TemporaryDocument& operator=(const TemporaryDocument&) = delete;
  ~TemporaryDocument() {
    if (!doc_) return;
    try {
      if (&app_.activeDocument() == doc_) doc_->close(word::wdDoNotSaveChanges);
    } catch (...) {
      // The export already reports its own failure.
    }
  }
  // Closes the active document (the added one) unsaved.
  void close() {
    app_.activeDocument().close(word::wdDoNotSaveChanges);
    doc_ = nullptr;
  }

 private:
  word::Application& app_;
  word::Document* doc_;
};

}  // namespace course
