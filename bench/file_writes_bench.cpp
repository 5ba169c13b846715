// What writing a package's pages costs by the way they are written: the
// program's own (a temporary renamed over its target), an unnamed file
// linked in at its name (O_TMPFILE), and a plain create (the floor, as a
// copy writes). Each run writes PAGES files of a page's size into a fresh
// folder per way, the ways taking turns; nothing is deleted before the end,
// since a file system slows down creating files just after deleting others.
//   file_writes_bench [FOLDER] [RUNS] [PAGES]   (defaults: $RDBENCH_TMP or
//   /tmp, 21 runs, 850 pages) prints each way's median in milliseconds.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "support/files.h"

namespace {
namespace fs = std::filesystem;

const std::string kPage(6500, 'x');  // a page of the large sample course

void plainCreate(const std::string& path) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0 || ::write(fd, kPage.data(), kPage.size()) != ssize_t(kPage.size())) std::abort();
  ::close(fd);
}

void linkedIn(const std::string& path) {
  const std::string dir = fs::path(path).parent_path();
  int fd = ::open(dir.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
  if (fd < 0 || ::write(fd, kPage.data(), kPage.size()) != ssize_t(kPage.size())) std::abort();
  const std::string self = "/proc/self/fd/" + std::to_string(fd);
  if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) != 0)
    std::abort();
  ::close(fd);
}

void programs(const std::string& path) {
  support::writeFile(path, kPage);
}

}  // namespace

int main(int argc, char** argv) {
  const char* tmp = std::getenv("RDBENCH_TMP");
  const fs::path base = fs::path(argc > 1 ? argv[1]
                                 : tmp    ? tmp
                                          : "/tmp") /
                        ("rdwrites." + std::to_string(::getpid()));
  const int runs = argc > 2 ? std::atoi(argv[2]) : 21;
  const int pages = argc > 3 ? std::atoi(argv[3]) : 850;
  const std::vector<std::pair<const char*, std::function<void(const std::string&)>>> ways = {
      {"temporary renamed (the program's)", programs},
      {"unnamed file linked in", linkedIn},
      {"plain create (floor)", plainCreate}};
  std::vector<std::vector<double>> ms(ways.size());
  for (int r = 0; r < runs; ++r) {
    for (size_t k = 0; k < ways.size(); ++k) {
      const size_t w = (k + size_t(r)) % ways.size();  // each way takes every turn
      const fs::path dir = base / (std::to_string(r) + "-" + std::to_string(w));
      fs::create_directories(dir);
      const auto t0 = std::chrono::steady_clock::now();
      for (int i = 0; i < pages; ++i) ways[w].second((dir / ("page" + std::to_string(i) + ".htm")));
      ms[w].push_back(
          std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
    }
  }
  fs::remove_all(base);
  std::printf("%d files of %zu bytes, median of %d runs\n", pages, kPage.size(), runs);
  for (size_t w = 0; w < ways.size(); ++w) {
    std::sort(ms[w].begin(), ms[w].end());
    std::printf("%-36s %8.1f ms\n", ways[w].first, ms[w][ms[w].size() / 2]);
  }
}
