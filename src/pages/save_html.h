#pragma once
// Exporting one page of the source document as "page" + N + ".htm".
#include <cstdint>
#include <string>

#include "course/export_context.h"

namespace pages {

// The warning for a picture the saved page `page` shows as a stand-in.
std::u16string placeholderWarning(const std::u16string& page, const word::PicturePlaceholder& p);

// The source document must be active; it is active again on return.
// Failures are reported ("saveHTML: Filename ...") and not raised; pictures
// shown as stand-ins are warnings.
void saveHTML(course::ExportContext& run, const std::string& outputFolder, int32_t rangeStart,
              int32_t rangeEnd, int32_t entryNumber);

}  // namespace pages
