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

// A link as a document gives it: where it leads (a URL, "#name" for a
// place in the document) and its tip, shown while the mouse rests on it.
struct Link {
  std::u16string target;
  std::u16string title;
};

// A link's tip from the document's UTF-8 text, cut to the longest kept.
std::u16string linkTitle(std::string_view utf8);

// A HYPERLINK field's link from its code ("HYPERLINK "url" \l "mark" \o
// "tip""): no target for another field, or for a target not safe on a page.
Link hyperlinkField(std::u16string_view code);

// A check box form field holds no result: the word processor draws its box
// from the field's settings, crossed when it is checked.
std::u16string checkBoxShown(bool checked);

}  // namespace word::read
