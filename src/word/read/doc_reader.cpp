#include "word/error.h"
#include "word/read/reader.h"

namespace word::read {

// Placeholder until the Word 97-2003 reader lands.
Model readDoc(std::string_view) { fail(kCannotOpen, "Word 97-2003 documents (.doc) are not supported yet"); }

}  // namespace word::read
