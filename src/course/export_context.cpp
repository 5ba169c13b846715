#include "course/export_context.h"

#include "course/failure.h"
#include "support/codepage.h"
#include "support/files.h"

namespace course {

void ExportContext::reportFailure(const std::u16string& lead, const support::Error& error,
                                  const std::string& outputFolder) {
  const support::Error explained = explain(error, outputFolder);
  ++failures;
  status.showStatus(lead + errorDetail(explained));
  // The folder's own failure was told once, when it could not be made.
  if (warnings && !explained.detail().empty() && !folderFailed(outputFolder))
    warnings->warn(support::fromUtf8(explained.detail()));
}

bool ExportContext::folderFailed(const std::string& outputFolder) const {
  return folderError != 0 && !support::isPlainFolder(outputFolder);
}

support::Error ExportContext::explain(const support::Error& error,
                                      const std::string& outputFolder) const {
  if (!folderFailed(outputFolder)) return error;
  return support::fileError(folderError, outputFolder, true);
}

}  // namespace course
