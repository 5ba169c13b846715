#pragma once
// Exporting one page of the source document as "page" + N + ".htm".
#include <cstdint>
#include <string>

#include "course/export_context.h"

namespace pages {

// The saved page's head gains what the course player needs: the one
// script line that names the player's page script. The head is the
// writer's own (its language the source document's, which the copy takes
// with its text): the body and its links stay as the rewriting left them.
// Bytes without a head (a page saved as text) stay as they are.
std::string withPlayerHead(std::string page);

// The warning for a picture the saved page `page` shows as a stand-in.
std::u16string placeholderWarning(const std::u16string& page, const word::PicturePlaceholder& p);

// The source document must be active; it is active again on return.
// Failures are reported ("saveHTML: Filename ...") and not raised; pictures
// shown as stand-ins are warnings.
void saveHTML(course::ExportContext& run, const std::string& outputFolder, int32_t rangeStart,
              int32_t rangeEnd, int32_t entryNumber);

}  // namespace pages
