// The engine under the converter's load: walk a long document paragraph by
// paragraph as the marker scanner does, and every 100 paragraphs export the
// stretch read so far as a page (copy, new document, paste, drop bookmarks,
// save as HTML, close). Time per paragraph must not grow with the length
// of the document.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "word/application.h"
#include "word/builder.h"
#include "word/engine.h"

namespace {

namespace fs = std::filesystem;
using namespace word;

Model document(int paragraphs) {
  Builder b;
  CharFormat bold;
  bold.bold = true;
  CharFormat link;
  link.hyperlink = u"https://example.org/";
  link.underline = true;
  for (int i = 0; i < paragraphs; ++i) {
    if (i % 50 == 25) {
      b.startTable();
      for (int r = 0; r < 2; ++r) {
        b.startRow();
        for (int c = 0; c < 3; ++c) {
          b.startCell(1440);
          b.text("cell " + std::to_string(r) + "," + std::to_string(c));
        }
        b.endRow();
      }
      b.endTable();
    }
    if (i % 100 == 0) {
      b.text("%H2=Page " + std::to_string(i / 100));
    } else {
      if (i % 10 == 3) b.startBookmark(u"b" + u16(std::to_string(i)));
      b.text("Paragraph " + std::to_string(i) + " of the course text with ");
      b.text("some bold words", bold);
      b.text(" and a ");
      b.text("link", link);
      b.text(" and %A=7 a reference%A# in it.");
      if (i % 10 == 3) b.endBookmark(u"b" + u16(std::to_string(i)));
    }
    b.endParagraph();
  }
  return b.finish();
}

// The scanner's loop with a page export at every marker paragraph.
int64_t convert(Application& app, const std::string& folder) {
  Selection sel = app.selection();
  Document& source = app.activeDocument();
  sel.homeKey(wdStory, wdMove);
  int32_t moved = 1;
  int32_t pendingStart = -1;
  int64_t read = 0;
  int page = 0;
  while (moved > 0) {
    if (sel.type() == wdSelectionIP && sel.end() == source.content().end() - 1) break;
    if (sel.information(wdWithInTable)) {
      sel.selectTable(1);
      sel.moveDown(wdLine, 1, wdMove);
      sel.homeKey(wdLine, wdMove);
      if (sel.information(wdWithInTable)) {
        sel.selectTable(1);
        sel.moveDown(wdParagraph, 1, wdMove);
      }
      continue;
    }
    moved = sel.moveDown(wdParagraph, 1, wdExtend);
    std::u16string line = sel.text();
    ++read;
    if (line.rfind(u"%H2=", 0) == 0) {
      const int32_t markerStart = sel.start(), markerEnd = sel.end();
      if (pendingStart >= 0) {
        sel.setStart(pendingStart);
        sel.setEnd(markerStart);
        sel.range().copy();
        Document& pageDoc = app.documents().add();
        app.selection().range().paste();
        while (pageDoc.bookmarks().count() > 0) pageDoc.bookmarks().remove(1);
        pageDoc.saveAs(folder + "/page" + std::to_string(++page) + ".htm", wdFormatHTML);
        pageDoc.close(wdDoNotSaveChanges);
        sel.setEnd(markerEnd);
      }
      pendingStart = sel.end();
    }
    sel.setStart(sel.end());
  }
  return read;
}

void BM_ScanAndExport(benchmark::State& state) {
  const int paragraphs = static_cast<int>(state.range(0));
  const fs::path folder =
      fs::temp_directory_path() / ("rd_engine_bench_" + std::to_string(::getpid()));
  fs::create_directories(folder);
  Application app;
  engine::adopt(app, "source", document(paragraphs));
  int64_t read = 0;
  for (auto _ : state) read = convert(app, folder.string());
  fs::remove_all(folder);
  if (read != paragraphs) state.SkipWithError("the walk did not read every paragraph");
  state.counters["paragraphs"] = static_cast<double>(read);
  // Seconds per paragraph, shown as time per paragraph.
  state.counters["per_paragraph"] = benchmark::Counter(
      static_cast<double>(paragraphs),
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ScanAndExport)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// The walk alone, without exports.
void BM_ScanOnly(benchmark::State& state) {
  const int paragraphs = static_cast<int>(state.range(0));
  Application app;
  Document& doc = engine::adopt(app, "source", document(paragraphs));
  for (auto _ : state) {
    Selection sel = app.selection();
    sel.homeKey(wdStory, wdMove);
    int32_t moved = 1;
    int64_t read = 0;
    while (moved > 0) {
      if (sel.type() == wdSelectionIP && sel.end() == doc.content().end() - 1) break;
      if (sel.information(wdWithInTable)) {
        sel.selectTable(1);
        sel.moveDown(wdLine, 1, wdMove);
        sel.homeKey(wdLine, wdMove);
        continue;
      }
      moved = sel.moveDown(wdParagraph, 1, wdExtend);
      benchmark::DoNotOptimize(sel.text());
      ++read;
      sel.setStart(sel.end());
    }
    if (read != paragraphs) state.SkipWithError("the walk did not read every paragraph");
  }
  state.counters["per_paragraph"] = benchmark::Counter(
      static_cast<double>(paragraphs),
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ScanOnly)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
