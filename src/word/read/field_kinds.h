#pragma once
// What the readers share about fields: a field saved without a result
// (no separator) shows only what the word processor draws from its code,
// which a page of results alone loses.
#include <optional>
#include <string>
#include <string_view>

namespace word::read {

// What the page loses for a field saved without a result, by its code
// ("EQ \f(1,2)", "FORMCHECKBOX"): the fields the word processor draws from
// their code alone. Any other field without a result shows nothing there
// either (an index entry, a variable, an add-in's marker): none.
std::optional<std::string> resultlessFieldLoss(std::string_view code);

// A field's type: the first word of its code, in capitals.
std::string fieldType(std::string_view code);

// A check box form field holds no result: the word processor draws its box
// from the field's settings, crossed when it is checked.
std::u16string checkBoxShown(bool checked);

}  // namespace word::read
