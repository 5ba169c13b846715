#pragma once
// Formulas kept as MathML: an OpenDocument formula object, inside an
// OpenDocument file or embedded in a Word 97 one (its "package_stream"
// holds the object's own package). Read here into the linear text
// the other readers write for an equation ("a^n+b^n=c^n", "(a+b)/2",
// "√x"), and into MathML a page can hold.
#include <pugixml.hpp>
#include <string>
#include <string_view>

namespace word::read {

// The linear text of a <math> element; empty where it would be longer
// than kMaxEquationText.
std::u16string mathmlText(const pugi::xml_node& math);

// The <math> element of a formula object's content (the root of its
// content.xml: bare, or in a document's body); none for other content.
pugi::xml_node formulaMath(const pugi::xml_node& root);

// The linear text of a formula object's content.xml; empty for other
// content.
std::u16string formulaContentText(std::string_view xml);

// A <math> element as markup a page can hold: the elements and
// attributes of MathML that browsers lay out, text escaped, brackets of
// the older <mfenced> written out, only a formula's first form kept (not
// its source text). Empty for a formula nested or sized past any real one.
std::u16string mathmlMarkup(const pugi::xml_node& math);

// The same, from a formula object's package (a zip); empty for any other
// bytes or a damaged package.
std::u16string formulaPackageText(std::string_view zip);

}  // namespace word::read
