#include "course/failure.h"

#include <exception>
#include <new>

#include "support/codepage.h"
#include "support/runtime_error.h"

namespace course {

support::Error currentError() {
  try {
    throw;
  } catch (const support::Error& e) {
    return e;
  } catch (const std::bad_alloc&) {
    return support::Error(support::kOutOfMemory, support::kProgramSource,
                          support::runtimeErrorText(support::kOutOfMemory));
  } catch (const std::exception& e) {
    return support::Error(support::kInternalError, support::kProgramSource,
                          std::string("Internal error: ") + e.what());
  } catch (...) {
    return support::Error(support::kInternalError, support::kProgramSource, "Internal error");
  }
}

std::u16string errorDetail(const support::Error& e) {
  return support::fromUtf8(support::statusNumber(e.number()) + " in " + e.source() + ":" +
                           e.description());
}

}  // namespace course
