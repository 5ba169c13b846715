#pragma once
// One conversion run: choose the document, scan it, cut it into outline
// entries and export them, write the package files, start the copy script.
#include <string>

#include "convert/entries.h"
#include "convert/paths.h"
#include "course/frontend.h"
#include "course/session.h"
#include "word/application.h"

namespace convert {

enum class RunOutcome {
  Cancelled,   // the chooser returned nothing
  NoDocument,  // no document open after opening it
  Failed,      // the error path ended the run ("parse: Error # ...")
  Succeeded,   // "Успех" was reported
  Incomplete,  // "Успех" was reported, but a page or test could not be
               // written, or the copy step failed
};

// Runs one conversion. Every outcome is reported through the front end's
// log, status and warnings; nothing is thrown.
// A walk recorded of the document as it is when the run opens it is told
// again instead of walking the document anew.
RunOutcome parse(course::Session& session, word::Application& app, course::Frontend& frontend,
                 const RecordedWalk* walk = nullptr);

}  // namespace convert
