#pragma once
// The numbers runs keep for their languages (CharFormat::language): each
// model numbers its own tags, and a paste renumbers what it brings.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "word/model.h"

namespace word::ops {

// The number a run keeps for the language `tag`, adding the tag to
// `languages`; 0 for none, or once the table is full.
uint8_t languageNumber(std::vector<std::string>& languages, std::string_view tag);

// The numbers of `fragment`'s languages in `model`, adding the missing
// ones; empty where the fragment's are numbered alike.
std::vector<uint8_t> mapLanguages(Model& model, const Model& fragment);

// A fragment's language number as `map` (mapLanguages) renumbers it.
uint8_t mappedLanguage(const std::vector<uint8_t>& map, uint8_t language);

}  // namespace word::ops
