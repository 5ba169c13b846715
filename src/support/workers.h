#pragma once
// Work spread over the cores of the machine.
#include <cstddef>
#include <functional>

namespace support {

// The cores this process may run on (its CPU affinity), at least 1.
unsigned usableCores();

// Runs job(i) for every i below `n` on a pool of threads, one per usable
// core (the calling thread among them), and returns once all are done.
// Which thread runs which job depends on timing, so a job writes only its
// own result. When jobs throw, the exception of the lowest i is thrown
// again; the other jobs run all the same.
void forEachOnCores(size_t n, const std::function<void(size_t)>& job);

}  // namespace support
