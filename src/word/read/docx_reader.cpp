#include "word/error.h"
#include "word/read/reader.h"

namespace word::read {

// Placeholder until the Word 2007+ reader lands.
Model readDocx(std::string_view) { fail(kCannotOpen, "Word 2007+ documents (.docx) are not supported yet"); }

}  // namespace word::read
