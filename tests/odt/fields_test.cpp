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

// Conditions over the document's user fields and variables decide where
// they can be told, whatever result was saved; the saved result decides
// the rest.
TEST(OdtFields, ConditionsOverUserFieldsAndVariablesDecide) {
  const std::string decls =
      "<text:user-field-decls><text:user-field-decl office:value-type=\"float\" "
      "office:value=\"2\" text:name=\"level\"/><text:user-field-decl office:value-type=\"string\" "
      "office:string-value=\"teacher\" text:name=\"role\"/></text:user-field-decls>";
  auto hidden = [](const std::string& condition, bool saved) {
    return p("a<text:hidden-text text:condition=\"ooow:" + condition +
             "\" text:string-value=\"+\" text:is-hidden=\"" + (saved ? "true" : "false") + "\"/>");
  };
  const std::pair<std::string, std::string> cases[] = {
      {hidden("level == 2", false), "a\r\n"},
      {hidden("level &gt; 2 or role != &quot;teacher&quot;", true), "a+\r\n"},
      {hidden("not(level &lt; 3) AND role EQ &quot;teacher&quot;", true), "a+\r\n"},
      {hidden("level - 1 &gt;= 1 &amp;&amp; !FALSE", false), "a\r\n"},
      // Not told: a name not set, strings in order, a single "=".
      {hidden("other == 1", true) + hidden("role &lt; &quot;z&quot;", false) +
           hidden("level = 2", true),
       "a\r\na+\r\na\r\n"},
      // A variable counts from where it is set.
      {hidden("v == 5", false) +
           p("<text:variable-set text:name=\"v\" office:value-type=\"float\" office:value=\"5\" "
             "text:display=\"none\">5</text:variable-set>") +
           hidden("v == 5", false),
       "a+\r\n\r\na\r\n"},
      {p("no<text:hidden-paragraph text:condition=\"ooow:level EQ 2\" text:is-hidden=\"false\"/>") +
           "<text:section text:display=\"condition\" "
           "text:condition=\"ooow:role==&quot;teacher&quot;\">" +
           p("no") + "</text:section>" +
           p("a<text:conditional-text text:condition=\"ooow:level == 2\" "
             "text:string-value-if-true=\"+\" text:string-value-if-false=\"-\" "
             "text:current-value=\"false\">-</text:conditional-text>"),
       "a+\r\n"},
  };
  for (const auto& [body, expected] : cases)
    EXPECT_EQ(odttest::text(odttest::read({decls + body, "", ""})), expected) << body;
}

// A field kept as marks shows its result once: not its code (up to its
// separator, nested fields and all), nor its settings.
TEST(OdtFields, FieldsKeptAsMarksShowTheirResultAlone) {
  auto start = [](const std::string& type) {
    return "<field:fieldmark-start text:name=\"f\" field:type=\"vnd.oasis.opendocument.field." +
           type +
           "\"><field:param field:name=\"vnd.oasis.opendocument.field.code\" "
           "field:value=\" REF x \"/></field:fieldmark-start>";
  };
  const std::string sep = "<field:fieldmark-separator/>", end = "<field:fieldmark-end/>";
  const std::pair<std::string, std::string> cases[] = {
      {p("a " + start("UNHANDLED") + " REF x \\h " + sep + "Chapter 2" + end + " b"),
       "a Chapter 2 b\r\n"},
      {p(start("UNHANDLED") + "<text:span>IF </text:span>" + start("UNHANDLED") + "REF x" + sep +
         "1" + end + " = 1 \"yes\" \"no\"" + sep + "<text:span>yes</text:span>" + end),
       "yes\r\n"},
      // Saved without a separator: all it holds is its result.
      {p(start("FORMTEXT") + "typed" + end + "."), "typed.\r\n"},
      {p(start("FORMCHECKBOX") + "x" + sep + "y" + end), "xy\r\n"},
  };
  for (const auto& [body, expected] : cases)
    EXPECT_EQ(odttest::text(odttest::read({body, "", ""})), expected) << body;
}

}  // namespace
