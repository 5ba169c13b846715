// Title escaping: once when a heading is read, once more for XML content.
#include <gtest/gtest.h>

#include "package/escape.h"

using package::escapeText;
using package::xmlContent;

TEST(EscapeText, ApostrophesBecomeBackquotesAndKeepTheLength) {
  EXPECT_EQ(escapeText(u"Tom's 'notes'"), u"Tom`s `notes`");
}

TEST(EscapeText, AngleBracketsBecomeEntitiesInPlace) {
  EXPECT_EQ(escapeText(u"a<b>c"), u"a&lt;b&gt;c");
  EXPECT_EQ(escapeText(u"'<'"), u"`&lt;`");
  EXPECT_EQ(escapeText(u"<<>>"), u"&lt;&lt;&gt;&gt;");
}

TEST(EscapeText, AmpersandsQuotesAndBreaksPassUnchanged) {
  EXPECT_EQ(escapeText(u"R&D \"x\" &lt;\r"), u"R&D \"x\" &lt;\r");
  EXPECT_EQ(escapeText(u""), u"");
  EXPECT_EQ(escapeText(u"Глава 1"), u"Глава 1");
}

TEST(XmlContent, BareAmpersandsAreEscapedReferencesKept) {
  EXPECT_EQ(xmlContent(u"R&D"), u"R&amp;D");
  EXPECT_EQ(xmlContent(u"&lt;tag&gt; &amp; &quot; &apos;"), u"&lt;tag&gt; &amp; &quot; &apos;");
  EXPECT_EQ(xmlContent(u"&#1071; &#x42F;"), u"&#1071; &#x42F;");
  EXPECT_EQ(xmlContent(u"&"), u"&amp;");
  EXPECT_EQ(xmlContent(u"&&lt;"), u"&amp;&lt;");
}

TEST(XmlContent, ReferencesThatXmlRejectsAreEscaped) {
  // Undeclared entities, references to forbidden characters, bad forms.
  EXPECT_EQ(xmlContent(u"&nbsp;"), u"&amp;nbsp;");
  EXPECT_EQ(xmlContent(u"&#0;"), u"&amp;#0;");
  EXPECT_EQ(xmlContent(u"&#x1F;"), u"&amp;#x1F;");
  EXPECT_EQ(xmlContent(u"&#X41;"), u"&amp;#X41;");
  EXPECT_EQ(xmlContent(u"&#;"), u"&amp;#;");
  EXPECT_EQ(xmlContent(u"&#65"), u"&amp;#65");
  EXPECT_EQ(xmlContent(u"&#99999999999;"), u"&amp;#99999999999;");
  EXPECT_EQ(xmlContent(u"&lt"), u"&amp;lt");
}

TEST(XmlContent, RawAngleBracketsBecomeEntities) {
  EXPECT_EQ(xmlContent(u"<b>Safety</b>"), u"&lt;b&gt;Safety&lt;/b&gt;");
}

TEST(XmlContent, ForbiddenCharactersAreDroppedAllowedOnesKept) {
  std::u16string raw = u"a";
  raw += char16_t(1);
  raw += char16_t(7);
  raw += u'\t';
  raw += char16_t(11);
  raw += u'\n';
  raw += char16_t(12);
  raw += u'\r';
  raw += char16_t(0xFFFE);
  raw += char16_t(0xD800);  // lone high surrogate
  raw += u'b';
  raw += char16_t(0xDC00);  // lone low surrogate
  EXPECT_EQ(xmlContent(raw), u"a\t\n\rb");
  EXPECT_EQ(xmlContent(u"\U0001F600"), u"\U0001F600");  // a pair stays
}
