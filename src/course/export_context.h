#pragma once
// What the page and test writers need from the run that calls them.
#include <string>

#include "course/frontend.h"
#include "course/session.h"
#include "support/error.h"
#include "word/application.h"

namespace course {

struct ExportContext {
  Session& session;
  word::Application& app;
  StatusSink& status;
  std::string programFolder;        // where sql_test.htm lies, no trailing '/'
  WarningSink* warnings = nullptr;  // where the failures' details go; none drops them
  // Why the output folder could not be made (an errno), or 0: the run goes
  // on without it, and the writes into it then fail for that cause.
  int folderError = 0;
  int32_t failures = 0;  // failure lines the writers have shown
  // The source document's language ("ru-RU"; empty: unknown), for the
  // pages' lang and the player.
  std::string language{};

  // Shows a writer's failure line, `lead` followed by the error's number,
  // source and description; counts it and passes its detail on.
  void reportFailure(const std::u16string& lead, const support::Error& error,
                     const std::string& outputFolder);
  // Whether the output folder could not be made (and is none still).
  bool folderFailed(const std::string& outputFolder) const;
  // The error as the run reports it: a write into an output folder that
  // could not be made fails for the reason the folder could not be made.
  support::Error explain(const support::Error& error, const std::string& outputFolder) const;
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
