// Fields of an OpenDocument text that show or hide text by a condition or
// by their settings: what the word processor hides stays out, what it
// shows comes in.
#include <gtest/gtest.h>

#include "odt_fixture.h"

namespace {

std::string p(const std::string& inner) {
  return "<text:p>" + inner + "</text:p>";
}

TEST(OdtFields, HiddenConditionalAndInvisibleFieldsShowWhatTheWordProcessorShows) {
  const std::pair<std::string, std::string> cases[] = {
      // Hidden text as the word processor saves it: its string, no content.
      {p("a <text:hidden-text text:condition=\"ooow:x==1\" text:string-value=\"shown\" "
         "text:is-hidden=\"false\"/> b"),
       "a shown b\r\n"},
      {p("a <text:hidden-text text:condition=\"ooow:x==1\" text:string-value=\"no\" "
         "text:is-hidden=\"true\"/> b"),
       "a b\r\n"},
      // No saved result: a constant condition decides; another hides.
      {p("a <text:hidden-text text:condition=\"ooow:FALSE\" text:string-value=\"shown\"/>"),
       "a shown\r\n"},
      {p("a <text:hidden-text text:condition=\"ooow:x\" text:string-value=\"no\"/>"), "a \r\n"},
      {p("a <text:conditional-text text:condition=\"ooow:x\" text:string-value-if-true=\"no\" "
         "text:string-value-if-false=\"shown\" text:current-value=\"false\"/>"),
       "a shown\r\n"},
      {p("a <text:conditional-text text:condition=\"ooow:x\" text:string-value-if-true=\"no\" "
         "text:current-value=\"true\">shown</text:conditional-text>"),
       "a shown\r\n"},
      // Fields set not to show their values.
      {p("a <text:variable-set text:name=\"v\" text:display=\"none\">1</text:variable-set>"
         "<text:user-field-get text:name=\"u\" text:display=\"none\">2</text:user-field-get>"
         "<text:variable-get text:name=\"v\">shown</text:variable-get>"),
       "a shown\r\n"},
      // A hidden paragraph, its field inside a span or hiding it by its
      // constant condition.
      {p("no<text:span><text:hidden-paragraph text:is-hidden=\"true\"/></text:span>") +
           p("no<text:hidden-paragraph text:condition=\"ooow:TRUE\"/>") +
           p("shown<text:hidden-paragraph text:condition=\"ooow:x\"/>"),
       "shown\r\n"},
      {"<text:section text:display=\"condition\" text:condition=\"ooow:TRUE\">" + p("no") +
           "</text:section>" + p("b"),
       "b\r\n"},
  };
  for (const auto& [body, expected] : cases)
    EXPECT_EQ(odttest::text(odttest::read({body, "", ""})), expected) << body;
}

}  // namespace
