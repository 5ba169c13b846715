#pragma once
// Exporting one outline entry of the source document: a page becomes
// "page" + N + ".htm", a test goes to the test writer, chapter marks write
// nothing.
#include <cstdint>
#include <string>

#include "convert/run_context.h"

namespace pages {

// The source document must be active; it is active again on return.
// Failures are reported ("saveHTML: Filename ...") and not raised.
void saveHTML(convert::RunContext& run, const std::string& outputFolder, int32_t rangeStart,
              int32_t rangeEnd, int32_t entryNumber);

}  // namespace pages
