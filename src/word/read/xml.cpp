#include "word/read/xml.h"

#include "word/error.h"

namespace word::read {

void ElementBudget::charge(std::string_view bytes, const std::string& name) {
  size_t n = 0;
  const char* end = bytes.data() + bytes.size();
  for (const char* p = bytes.data();
       (p = static_cast<const char*>(std::memchr(p, '<', static_cast<size_t>(end - p)))); ++p)
    ++n;
  used_ += n;
  if (used_ > kMaxElements)
    fail(kCannotOpen, "the document holds more than " + std::to_string(kMaxElements / 1'000'000) +
                          " million XML elements (in " + name +
                          "): the file is damaged or a zip bomb");
}

}  // namespace word::read
