#include "word/error.h"

namespace word {

void fail(int32_t number, const std::string& description) {
  throw Error(number, kEngineSource, description);
}

}  // namespace word
