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
  if (warnings && !explained.detail().empty())
    warnings->warn(support::fromUtf8(explained.detail()));
}

support::Error ExportContext::explain(const support::Error& error,
                                      const std::string& outputFolder) const {
  if (folderError == 0 || support::isPlainFolder(outputFolder)) return error;
  return support::fileError(folderError, outputFolder, true);
}

}  // namespace course
