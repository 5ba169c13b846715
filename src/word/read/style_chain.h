#pragma once
// Styles based on other styles, as the XML readers keep them: the chain
// from a style to its furthest base, and the order in which styles enter
// the model (each after its base, so that it can name it). A damaged file
// may make the bases a cycle; both stop there.
#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "word/builder.h"

namespace word::read {

// The style first, its furthest base last. `next(def)` is def's base, or
// nullptr.
template <typename Def, typename Next>
std::vector<const Def*> baseChain(const Def* first, const Next& next) {
  std::vector<const Def*> out;
  for (const Def* d = first; d && out.size() < 64; d = next(*d)) {
    if (std::find(out.begin(), out.end(), d) != out.end()) break;
    out.push_back(d);
  }
  return out;
}

// Adds `def` to the model after its base, once; returns its index. `def`
// has an `index` (-1 until added); `base(def)` is its base or nullptr;
// `make(def)` is its model style without the base's index.
template <typename Def, typename Base, typename Make>
int32_t addBasesFirst(Def& def, const Base& base, const Make& make, Builder& builder,
                      int depth = 0) {
  if (def.index >= 0) return def.index;
  if (def.index == -2 || depth > 64) return -1;  // a cycle of bases
  int32_t baseIndex = -1;
  if (Def* b = base(def)) {
    def.index = -2;  // marks the chain being walked
    baseIndex = addBasesFirst(*b, base, make, builder, depth + 1);
    def.index = -1;
  }
  Style s = make(def);
  s.basedOn = baseIndex;
  def.index = builder.addStyle(std::move(s));
  return def.index;
}

}  // namespace word::read
