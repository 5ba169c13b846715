#pragma once
// The findings of a package's checks, each kind of fault told up to a
// bound: past it, one line says how many more there are, so that a
// manifest of 200,000 faulty elements is a page of report, not a million
// lines.
#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "package/package_check.h"

namespace package {

class Findings {
 public:
  static constexpr size_t kShownOfAKind = 50;

  // A fault of the kind `kind` (in the plural, as the line that counts the
  // rest says it: "items whose identifierref names no resource"); one
  // without a kind is told however many there are (each is found once).
  void fault(std::string message, std::string_view kind = {});
  void note(std::string message);
  // Another check's findings, told as they are.
  void add(std::vector<Finding> more);
  size_t faults() const;
  // The findings in their order, each count of a kind's rest where its
  // first unshown fault would be.
  std::vector<Finding> take();

 private:
  struct Kind {
    size_t seen = 0;
    size_t rest = 0;  // the index of the line that counts the rest
  };
  std::vector<Finding> list_;
  std::map<std::string, Kind, std::less<>> kinds_;
};

}  // namespace package
