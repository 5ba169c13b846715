// The readers alone: the large sample course read from memory into a
// model, from each format it is kept in. A whole conversion of each,
// package and zip included, is timed by compare_converters.sh.
#include <benchmark/benchmark.h>

#include <string>

#include "support/files.h"
#include "word/read/reader.h"

namespace {

void BM_Read(benchmark::State& state, const char* name) {
  const std::string bytes =
      support::readFile(std::string(RD_SOURCE_DIR) + "/tests/corpus/courses/" + name);
  size_t paragraphs = 0;
  for (auto _ : state) {
    word::Model m = word::read::loadBytes(bytes);
    paragraphs = m.main.paragraphs.size();
    benchmark::DoNotOptimize(paragraphs);
  }
  state.counters["paragraphs"] = static_cast<double>(paragraphs);
}
BENCHMARK_CAPTURE(BM_Read, doc, "large.doc")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Read, docx, "large.docx")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Read, odt, "large.odt")->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
