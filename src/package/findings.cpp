#include "package/findings.h"

namespace package {

void Findings::fault(std::string message, std::string_view kind) {
  if (kind.empty()) {
    list_.push_back({Finding::Severity::Fault, std::move(message)});
    return;
  }
  auto it = kinds_.find(kind);
  if (it == kinds_.end()) it = kinds_.emplace(std::string(kind), Kind{}).first;
  Kind& k = it->second;
  if (++k.seen <= kShownOfAKind) {
    list_.push_back({Finding::Severity::Fault, std::move(message)});
  } else if (k.seen == kShownOfAKind + 1) {
    k.rest = list_.size();
    list_.push_back({Finding::Severity::Fault, {}, 1});
  } else {
    ++list_[k.rest].count;
  }
}

void Findings::note(std::string message) {
  list_.push_back({Finding::Severity::Note, std::move(message)});
}

void Findings::add(std::vector<Finding> more) {
  list_.insert(list_.end(), std::make_move_iterator(more.begin()),
               std::make_move_iterator(more.end()));
}

size_t Findings::faults() const {
  return countFaults(list_);
}

std::vector<Finding> Findings::take() {
  for (const auto& [kind, k] : kinds_)
    if (k.seen > kShownOfAKind)
      list_[k.rest].message = "and " + std::to_string(list_[k.rest].count) + " more " + kind;
  kinds_.clear();
  return std::move(list_);
}

}  // namespace package
