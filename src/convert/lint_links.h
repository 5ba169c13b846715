#pragma once
// Lint's checks of the course's outline as the player reads it: PIDs given
// to two items, and every reference link ("%A=N") against where the player
// would lead it.
#include <cstdint>
#include <string>
#include <vector>

#include "convert/entries.h"
#include "convert/lint.h"

namespace convert {

// A link's reference as the page writes it, and where it stands.
struct LinkReference {
  std::u16string target;
  int32_t at;
};

// Adds to `found` what is wrong with the entries' PIDs and with `links`.
void checkOutlineLinks(const std::vector<ClosedEntry>& entries,
                       const std::vector<LinkReference>& links, std::vector<LintWarning>& found);

}  // namespace convert
