#include "support/workers.h"

#include <sched.h>

#include <algorithm>
#include <atomic>
#include <exception>
#include <system_error>
#include <thread>
#include <vector>

namespace support {

unsigned usableCores() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (::sched_getaffinity(0, sizeof set, &set) == 0) return std::max(1, CPU_COUNT(&set));
  return std::max(1U, std::thread::hardware_concurrency());
}

void forEachOnCores(size_t n, const std::function<void(size_t)>& job) {
  std::vector<std::exception_ptr> failed(n);
  std::atomic<size_t> next{0};
  const auto work = [&] {
    for (size_t i; (i = next++) < n;) {
      try {
        job(i);
      } catch (...) {
        failed[i] = std::current_exception();
      }
    }
  };
  std::vector<std::jthread> helpers;
  const size_t threads = std::min<size_t>(usableCores(), n);
  try {
    for (size_t t = 1; t < threads; ++t) helpers.emplace_back(work);
  } catch (const std::system_error&) {
    // No more threads to be had: those there are do the work.
  }
  work();
  helpers.clear();  // joins them
  for (const std::exception_ptr& e : failed)
    if (e) std::rethrow_exception(e);
}

}  // namespace support
