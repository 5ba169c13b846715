#pragma once
// Exporting one page of the source document as "page" + N + ".htm".
#include <cstdint>
#include <string>

#include "course/export_context.h"

namespace pages {

// The source document must be active; it is active again on return.
// Failures are reported ("saveHTML: Filename ...") and not raised.
void saveHTML(course::ExportContext& run, const std::string& outputFolder, int32_t rangeStart,
              int32_t rangeEnd, int32_t entryNumber);

}  // namespace pages
