// Rewriting one paragraph that holds many reference links: the time per link
// stays flat from 10k to 1M links.
#include <benchmark/benchmark.h>

#include "pages/replace_body.h"

namespace {

class Quiet : public course::StatusSink {
 public:
  void showStatus(const std::u16string&) override {}
};

void RewriteLinks(benchmark::State& state) {
  std::string line = "<p>";
  for (int64_t i = 0; i < state.range(0); ++i)
    line += "see %A=" + std::to_string(i % 1000) + " item " + std::to_string(i) + "%A#, ";
  line += "</p>";
  Quiet quiet;
  for (auto _ : state) benchmark::DoNotOptimize(pages::rewriteLine(line, quiet));
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(RewriteLinks)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
