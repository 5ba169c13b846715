// What the author is told: each common mistake gives its warning, in its
// words, at its paragraph; a clean course gives none; and reading for the
// warnings changes nothing of the package a conversion writes.
#include "convert/lint.h"

#include <gtest/gtest.h>

#include "../common/course.h"
#include "../docx/docx_fixture.h"

using namespace testing_support;

namespace {

const std::string kHead = "%TITLE=T\n%AUTHOR=A\n";
constexpr const char* kMarkers = "(markers: %TITLE= %AUTHOR= %PID= %H1= %H1# %H2= %TEST=)";
constexpr const char* kOneBefore =
    " (one character, such as a bullet or a tab, may stand before \"%H1=\", \"%H2=\" or "
    "\"%TEST=\" typed in upper case)";

struct Mistake {
  const char* name;
  std::vector<std::string> lines;  // after a title and an author
  std::vector<std::string> warnings;
};

const std::vector<Mistake>& mistakes() {
  static const std::vector<Mistake> list = {
      {"a mistyped heading marker, then a PID: one mistake, one warning",
       {"%H2=One", "%PID=1", "Text of page one.", "%H3=Page two", "%PID=2", "Text of page two."},
       {std::string("c.txt:6: warning: page \"One\": the line looks meant to start with ") +
        "\"%H2=\", but as typed it is no marker, so the \"%PID=\" line after it numbers page "
        "\"One\" instead, whose text up to that line, this one included, is left out of the "
        "course: correct the marker to \"%H2=\" " +
        kMarkers + " (\"%H3=Page two\")"}},
      {"a blank inside a marker",
       {"%H2=One", "Text of page one.", "% H2=Page two", "Text of page two, more."},
       {std::string("c.txt:5: warning: page \"One\": the line looks meant to start with ") +
        "\"%H2=\", but as typed it is no marker, so it is course text: correct the marker to "
        "\"%H2=\" " +
        kMarkers + " (\"% H2=Page two\")"}},
      {"markers with Cyrillic letters that look Latin, or typed in the Russian layout",
       {"%H2=One", "Text of page one, %\u0410=1 a link%\u0410#.", "%\u041d2=Two", "Text two.",
        "%\u0415\u0443\u044b\u0415=Three", "Text three."},
       {"c.txt:4: warning: page \"One\": \"%\u0410=\" is no link marker, as its \"\u0410\" is "
        "a Cyrillic letter: the page shows it as text; type it as \"%A=\", in Latin letters "
        "(\"Text of page one, %\u0410=1\")",
        std::string("c.txt:5: warning: page \"One\": the line looks meant to start with ") +
            "\"%H2=\", but as typed it is no marker (its \"\u041d\" is a Cyrillic letter), so "
            "it is course text: correct the marker to \"%H2=\" " +
            kMarkers + " (\"%\u041d2=Two\")",
        std::string("c.txt:7: warning: page \"One\": the line looks meant to start with ") +
            "\"%TEST=\", but as typed it is no marker (typed in the Russian keyboard layout), so "
            "it is course text: correct the marker to \"%TEST=\" " +
            kMarkers + " (\"%\u0415\u0443\u044b\u0415=Three\")"}},
      {"markers with Greek letters that look Latin, as text set in the Symbol font reads",
       {"%H2=One", "Text of page one, %\u0391=1 a link%\u0391#.", "%\u03972=Two", "Text two."},
       {"c.txt:4: warning: page \"One\": \"%\u0391=\" is no link marker, as its \"\u0391\" is "
        "a Greek letter, as a Latin one set in the Symbol font reads: the page shows it as text; "
        "type it as \"%A=\", in Latin letters (\"Text of page one, %\u0391=1\")",
        std::string("c.txt:5: warning: page \"One\": the line looks meant to start with ") +
            "\"%H2=\", but as typed it is no marker (its \"\u0397\" is a Greek letter, as a "
            "Latin one set in the Symbol font reads), so it is course text: correct the marker "
            "to \"%H2=\" " +
            kMarkers + " (\"%\u03972=Two\")"}},
      {"a marker with a character the word processor does not show",
       {"%H2=One", "Text of page one.", "%H\u00AD2=Two", "Text of page two."},
       {std::string("c.txt:5: warning: page \"One\": the line looks meant to start with ") +
        "\"%H2=\", but as typed it is no marker (a character the word processor does not show "
        "stands in it, such as a soft hyphen or a zero-width space from pasted text), so it is "
        "course text: correct the marker to \"%H2=\" " +
        kMarkers + " (\"%H\u00AD2=Two\")"}},
      {"a marker typed in full-width characters, as an East Asian input method types it",
       {"%H2=One", "Text of page one.", "\uFF05\uFF28" "2=Two", "Text of page two."},
       {std::string("c.txt:5: warning: page \"One\": the line looks meant to start with ") +
        "\"%H2=\", but as typed it is no marker (typed in full-width characters, such as "
        "\"\uFF05\" for \"%\", as an East Asian input method types them), so it is course "
        "text: correct the marker to \"%H2=\" " +
        kMarkers + " (\"\uFF05\uFF28" "2=Two\")"}},
      {"markers typed with another sign drawn like \"%\"",
       {"%H2=One", "%PID=1", "\uFE6AH2=Two", "See \u066AA=1 a link%A#."},
       {std::string("c.txt:5: warning: page \"One\": the line looks meant to start with ") +
        "\"%H2=\", but as typed it is no marker (its \"\uFE6A\" is another sign drawn like "
        "\"%\": type the keyboard's \"%\"), so it is course text: correct the marker to "
        "\"%H2=\" " + kMarkers + " (\"\uFE6AH2=Two\")",
        "c.txt:6: warning: page \"One\": \"\u066AA=\" is no link marker, as its \"\u066A\" is "
        "another sign drawn like \"%\": the page shows it as text; type it as \"%A=\", with "
        "the keyboard's \"%\" (\"See \u066AA=1 a link%A#.\")"}},
      {"link markers typed in full-width characters: no links, and no mistyped lines",
       {"%H2=One", "%PID=1", "See \uFF05A=1 a link%A#.", "%\uFF21\uFF1D1 starts a line%A#.",
        "%A\uFF031 ends%A#."},
       {"c.txt:5: warning: page \"One\": \"\uFF05A=\" is no link marker, as it is typed in "
        "full-width characters: the page shows it as text; type it as \"%A=\", in half-width "
        "characters (\"See \uFF05A=1 a link%A#.\")",
        "c.txt:6: warning: page \"One\": \"%\uFF21\uFF1D\" is no link marker, as it is typed "
        "in full-width characters: the page shows it as text; type it as \"%A=\", in "
        "half-width characters (\"%\uFF21\uFF1D1 starts a line%A#.\")",
        "c.txt:7: warning: page \"One\": \"%A\uFF03\" is no link marker, as it is typed in "
        "full-width characters: the page shows it as text; type it as \"%A#\", in half-width "
        "characters (\"%A\uFF031 ends%A#.\")"}},
      {"link markers with a blank inside, or no number, or one in full-width digits; a "
       "percentage is none",
       {"%H2=One", "%PID=1", "See % A=1 one%A#.", "See %A =1 two%A#.", "See %A= 1 three%A#.",
        "See %A=\uFF11 four%A#.", "Up 5% A=1, or 5\u00A0% A=1."},
       {"c.txt:5: warning: page \"One\": \"% A=\" is no link marker, as a blank, or a "
        "character the word processor does not show, stands inside it: the page shows it as "
        "text; type it as \"%A=\", with nothing inside it (\"See % A=1 one%A#.\")",
        "c.txt:6: warning: page \"One\": \"%A =\" is no link marker, as a blank, or a "
        "character the word processor does not show, stands inside it: the page shows it as "
        "text; type it as \"%A=\", with nothing inside it (\"See %A =1 two%A#.\")",
        "c.txt:7: error: page \"One\": no number follows \"%A=\" (a blank there ends the "
        "link's reference): the link leads learners nowhere; write the number right after "
        "\"%A=\" (\"See %A= 1 three%A#.\")",
        "c.txt:8: error: page \"One\": \"%A=\uFF11\" links to PID \"\uFF11\", typed in "
        "full-width digits, which no item has: the link leads learners nowhere; write "
        "\"%A=1\", in half-width digits (\"See %A=\uFF11 four%A#.\")"}},
      {"PIDs in full-width digits, in quotes, with a line separator",
       {"%H2=One", "%PID=\uFF11\uFF12", "Text of page one.", "%H2=Two", "%PID=\u201C2\u201D",
        "Text of page two.", "%H2=Three", "%PID=3\u2028", "Text of page three."},
       {"c.txt:4: error: page \"One\": \"%PID=\" without a number: the conversion stops here "
        "(error 13); its digits are typed in full width: write \"%PID=12\", in half-width "
        "digits (\"%PID=\uFF11\uFF12\")",
        "c.txt:7: error: page \"Two\": \"%PID=\" without a number: the conversion stops here "
        "(error 13); the signs beside \"2\" are no digits: write \"%PID=2\", the number alone "
        "(\"%PID=\u201C2\u201D\")",
        "c.txt:10: error: page \"Three\": \"%PID=\" without a number: the conversion stops "
        "here (error 13); an invisible character (such as a zero-width space or a line "
        "separator from pasted text) stands in or beside "
        "\"3\": write \"%PID=3\", the number alone (\"%PID=3\u2028\")"}},
      {"a marker's word with another sign where \"=\" goes, or none",
       {"%H2=One", "Text of page one.", "%H2:Two", "%pid 2", "%H2Three"},
       {std::string("c.txt:5: warning: page \"One\": the line looks meant to start with ") +
            "\"%H2=\", but as typed it is no marker (\":\" stands where its \"=\" goes), so it "
            "is course text: correct the marker to \"%H2=\" " +
            kMarkers + " (\"%H2:Two\")",
        std::string("c.txt:6: warning: page \"One\": the line looks meant to start with ") +
            "\"%PID=\", but as typed it is no marker (a blank stands where its \"=\" goes), so "
            "it is course text: correct the marker to \"%PID=\" " +
            kMarkers + " (\"%pid 2\")",
        std::string("c.txt:7: warning: page \"One\": the line looks meant to start with ") +
            "\"%H2=\", but as typed it is no marker (its \"=\" is missing), so it is course "
            "text: correct the marker to \"%H2=\" " +
            kMarkers + " (\"%H2Three\")"}},
      {"a mistyped marker where no page shows it",
       {"%H1 =Basics", "%H2=One", "Text of page one."},
       {"c.txt:3: warning: the line looks meant to start with \"%H1=\", but as typed it is no "
        "marker, so it is text that no page shows: correct the marker to \"%H1=\" " +
            std::string(kMarkers) + " (\"%H1 =Basics\")",
        "c.txt:3: warning: text before the first \"%H1=\", \"%H2=\" or \"%TEST=\" belongs to "
        "no page and is left out of the course; move it into a page to show it, or leave it as a "
        "note for yourself (\"%H1 =Basics\")"}},
      {"markers that do not start their paragraph, then a PID",
       {"%H2=One", "Text of page one.", "\t%h2=Two", "%PID=2", "Text of page two.",
        "1. %TEST=Quiz", "Text of page two, more."},
       {"c.txt:5: warning: page \"One\": \"%H2=\" is not at the start of its paragraph: the "
        "line is no marker, so the \"%PID=\" line after it numbers page \"One\" instead, whose "
        "text up to that line, this one included, is left out of the course; start the "
        "paragraph with the marker" +
            std::string(kOneBefore) + " (\"%h2=Two\")",
        "c.txt:8: warning: page \"One\": \"%TEST=\" is not at the start of its paragraph: the "
        "line is no marker, so it is course text; start the paragraph with the marker" +
            std::string(kOneBefore) + " (\"1. %TEST=Quiz\")"}},
      {"markers typed in full width, in Cyrillic or in the Russian layout, not at the start of "
       "their paragraph",
       {"%H2=One", "Text of page one.", "\t\uFF05H2=Two", "1. %\u041d2=Three", "More text.",
        "\u2022 %\u04202=Four", "\u200B\u200B%H2=Five"},
       {"c.txt:5: warning: page \"One\": \"%H2=\" (typed in full-width characters, which make "
        "it no marker anywhere: type it in half-width ones) is not at the start of its "
        "paragraph: the line is no marker, so it is course text; start the paragraph with the "
        "marker" +
            std::string(kOneBefore) + " (\"\uFF05H2=Two\")",
        "c.txt:6: warning: page \"One\": \"%H2=\" (its \"\u041d\" is a Cyrillic letter, which "
        "makes it no marker anywhere: type it in Latin letters) is not at the start of its "
        "paragraph: the line is no marker, so it is course text; start the paragraph with the "
        "marker" +
            std::string(kOneBefore) + " (\"1. %\u041d2=Three\")",
        "c.txt:8: warning: page \"One\": \"%H2=\" (typed in the Russian keyboard layout, which "
        "makes it no marker anywhere: type it in the Latin layout) is not at the start of its "
        "paragraph: the line is no marker, so it is course text; start the paragraph with the "
        "marker" +
            std::string(kOneBefore) + " (\"\u2022 %\u04202=Four\")",
        "c.txt:9: warning: page \"One\": \"%H2=\" is not at the start of its paragraph: "
        "characters the word processor does not show (such as zero-width spaces from pasted "
        "text) stand before it: the line is no marker, so it is course text; delete the "
        "paragraph's start up to the marker, and type the marker again (\"\u200B\u200B%H2=Five\")"}},
      {"a line that starts with % and looks like no marker",
       {"%H2=One", "Text of page one.", "%%Note to self"},
       {std::string("c.txt:5: warning: page \"One\": the line starts with \"%\" but is no ") +
        "marker, so it is course text " + kMarkers + " (\"%%Note to self\")"}},
      {"a long title, quoted cut",
       {"%H2=" + std::string(200, 'T'), "Text of page one.", "%%" + std::string(200, 'N')},
       {"c.txt:5: warning: page \"" + std::string(120, 'T') +
        "\u2026\": the line starts with \"%\" but is no marker, so it is course text " + kMarkers +
        " (\"%%" + std::string(118, 'N') + "\u2026\")"}},
      {"a short last page",
       {"%H2=One", "Text of page one.", "%H2=End", "Good luck!"},
       {"c.txt:5: warning: page \"End\": the last page has ten characters or fewer: it is left "
        "out of the course; write a little more on it (\"%H2=End\")"}},
      {"PIDs repeated in one item and across items",
       {"%H2=One", "%PID=1", "%PID=2", "Text of page one.", "%H2=Two", "%PID=2",
        "Text of page two."},
       {"c.txt:5: warning: page \"One\": a second \"%PID=\" for the same item: the later number "
        "counts; keep one of the two (\"%PID=2\")",
        "c.txt:8: warning: page \"Two\": PID 2 is given to two items: the manifest names this "
        "one ITEM2_2; give every item its own number (\"%PID=2\")"}},
      {"links to a PID nobody has, and unclosed",
       {"%H1=Part", "%PID=1", "%H2=One", "See %A=99 the end%A# and %A=1 here%A# and %A=5 there.",
        "%H1#"},
       {"c.txt:6: warning: page \"One\": \"%A=\" without \"%A#\" in the same paragraph: the "
        "page shows the marker as text; close the link with \"%A#\" in the same paragraph (\"See %A=99 the end%A# and\")",
        "c.txt:6: error: page \"One\": \"%A=99\" links to PID \"99\", which no item has: the "
        "link leads learners nowhere; correct the number, or give the item it means "
        "\"%PID=99\" (\"See %A=99 the end%A# and\")"}},
      {"links in marker lines that a page keeps as text",
       {"%H2=One", "%PID=1", "Text of page one here.", "%AUTHOR=Ann %A=77 x%A#", "%H1# %A=79 z%A#"},
       {"c.txt:6: warning: page \"One\": a second \"%AUTHOR=\" line: the later one counts; keep "
        "one of the two (\"%AUTHOR=Ann %A=77 x%A#\")",
        "c.txt:6: error: page \"One\": \"%A=77\" links to PID \"77\", which no item has: the "
        "link leads learners nowhere; correct the number, or give the item it means "
        "\"%PID=77\" (\"%AUTHOR=Ann %A=77 x%A#\")",
        "c.txt:7: warning: page \"One\": \"%H1#\" without an open chapter: the line is ignored "
        "and stays text of the page above; remove it, or add the \"%H1=\" it closes (\"%H1# %A=79 z%A#\")",
        "c.txt:7: error: page \"One\": \"%A=79\" links to PID \"79\", which no item has: the "
        "link leads learners nowhere; correct the number, or give the item it means "
        "\"%PID=79\" (\"%H1# %A=79 z%A#\")"}},
      {"a link's number with signs, or an invisible character, beside it",
       {"%H2=One", "%PID=1", "See %A=\u201C1\u201D one%A#.", "See %A=1\u200B two%A#."},
       {"c.txt:5: error: page \"One\": \"%A=\u201C1\u201D\" links to PID \"\u201C1\u201D\": the "
        "signs beside \"1\" are part of the link's reference, so the link leads learners "
        "nowhere; write \"%A=1\", the number alone, then a blank and the link's text (\"See "
        "%A=\u201C1\u201D one%A#.\")",
        "c.txt:6: error: page \"One\": \"%A=1\u200B\" links to PID \"1\u200B\": an invisible "
        "character (such as a zero-width space or a line separator from pasted text) stands "
        "beside \"1\" in the link's reference: the page writes it there, so the link leads learners nowhere; write \"%A=1\", the number "
        "alone, then a blank and the link's text (\"See %A=1\u200B two%A#.\")"}},
      {"a link to the page it stands on",
       {"%H2=One", "%PID=1", "See %A=1 this page%A# again.", "%H2=Two", "%PID=2",
        "Text of page two."},
       {"c.txt:5: warning: page \"One\": \"%A=1\" links to PID \"1\", the page it stands on: "
        "the link opens the page the learner is reading; link to another item, or leave the "
        "link out (\"See %A=1 this page%A# again.\")"}},
      {"a tab in a link's reference, which the page keeps",
       {"%H2=One", "%PID=1", "See %A=\t1 here%A# now."},
       {"c.txt:5: error: page \"One\": a line break or tab stands beside \"1\" in the link's "
        "reference: the page writes it there, so the link leads learners nowhere; write "
        "\"%A=1\" and a blank before the link's text (\"See %A= 1 here%A# now.\")"}},
      {"a no-break space after the link's number",
       {"%H2=One", "%PID=1", "See %A=1\u00A0here%A# now."},
       {"c.txt:5: error: page \"One\": a no-break space stands after \"1\" in the link's "
        "reference: the page writes it there, so the link leads learners nowhere; write "
        "\"%A=1\", a plain blank, then the link's text (\"See %A=1 here%A# now.\")"}},
      {"a no-break space before the link's number",
       {"%H2=One", "%PID=1", "See %A=\u00A01 here%A# now."},
       {"c.txt:5: error: page \"One\": a no-break space stands right after \"%A=\": the page "
        "writes it into the link's reference, so the link leads learners nowhere; write the "
        "number right after \"%A=\" (\"See %A= 1 here%A# now.\")"}},
      {"a link inside a link's text, read as the page reads it",
       {"%H1=Part", "%PID=1", "%H2=One", "See %A=1 a %A=99 b%A# c%A#.", "%H1#"},
       {"c.txt:6: error: page \"One\": \"%A=99\" links to PID \"99\", which no item has: the "
        "link leads learners nowhere; correct the number, or give the item it means "
        "\"%PID=99\" (\"See %A=1 a %A=99 b%A#\")"}},
      {"two pages of one title in one chapter; one in each of two chapters",
       {"%H1=A", "%H2=Intro", "Text of intro a.", "%H2=Intro", "Text of intro b.", "%H1#",
        "%H1=B", "%H2=Intro", "Text of the intro of B.", "%H1#"},
       {"c.txt:6: warning: page \"Intro\": a second page or test titled \"Intro\" in one "
        "chapter: the contents show the two alike, and learners cannot tell them apart; give "
        "each its own title (\"%H2=Intro\")"}},
      {"a chapter never closed before the next",
       {"%H1=One", "%H2=A", "Text of page a.", "%H1=Two", "%H2=B", "Text of page b.", "%H1#"},
       {"c.txt:6: warning: chapter \"Two\": \"%H1=\" while the chapter \"One\" is still open: "
        "this chapter nests inside it; close that one with \"%H1#\" (\"%H1=Two\")"}},
      {"text of a chapter mark, which no page shows",
       {"%H1=One", "About this chapter.", "More about it.", "%H2=A", "Text of page a.", "%H1#",
        "Between the chapters.", "%H2=B", "Text of page b."},
       {"c.txt:4: warning: chapter \"One\": text after \"%H1=\" before the chapter's first page "
        "belongs to no page and is left out of the course; give it a page of its own with "
        "\"%H2=\" (\"About this chapter.\")",
        "c.txt:9: warning: after the chapter \"One\": text after \"%H1#\" before the next "
        "heading belongs to no page and is left out of the course; give it a page of its own "
        "with \"%H2=\" (\"Between the chapters.\")"}},
      {"a quiz without a right answer, a mistyped marker in it",
       {"%TEST=Quiz", "1. Which?", "a) one", "b) two", "%H3=Note", "", "%H2=After",
        "Text after the quiz."},
       {"c.txt:4: error: test \"Quiz\": its quiz page stops here: no answer is marked correct: "
        "learners cannot take this test; put \"*\" before the right answer's letter (\"*b) "
        "...\"), or name it in an \"ANSWER:\" line (\"1. Which?\")",
        "c.txt:7: warning: test \"Quiz\": the line looks meant to start with \"%H2=\", but as "
        "typed it is no marker, so it is a line of the test: correct the marker to \"%H2=\" " +
            std::string(kMarkers) + " (\"%H3=Note\")"}},
      {"dropped text, empty title, stray chapter end, second title, bad PID",
       {"Intro text.", "%H2=", "Text of an untitled page.", "%H1#", "%TITLE=U", "%H2=Last",
        "%PID=abc", "more text here"},
       {"c.txt:3: warning: text before the first \"%H1=\", \"%H2=\" or \"%TEST=\" belongs to no "
        "page and is left out of the course; move it into a page to show it, or leave it as a "
        "note for yourself (\"Intro text.\")",
        "c.txt:4: warning: a page without a title: an empty title after \"%H2=\": the contents "
        "show no title for it (the player, its file's name); give it a title (\"%H2=\")",
        "c.txt:6: warning: a page without a title: \"%H1#\" without an open chapter: the line is "
        "ignored and stays text of the page above; remove it, or add the \"%H1=\" it closes (\"%H1#\")",
        "c.txt:7: warning: a page without a title: a second \"%TITLE=\" line: the later one "
        "counts; keep one of the two (\"%TITLE=U\")",
        "c.txt:9: error: page \"Last\": \"%PID=\" without a number: the conversion stops here "
        "(error 13); give a whole number (\"%PID=abc\")"}},
      {"a chapter without a title, its text left out",
       {"%H1=", "About it.", "%H1#", "After it.", "%H2=One", "Text of page one."},
       {"c.txt:3: warning: a chapter without a title: an empty title after \"%H1=\": the "
        "contents show an empty line; give the chapter a title (\"%H1=\")",
        "c.txt:4: warning: a chapter without a title: text after \"%H1=\" before the chapter's "
        "first page belongs to no page and is left out of the course; give it a page of its own "
        "with \"%H2=\" (\"About it.\")",
        "c.txt:6: warning: after a chapter without a title: text after \"%H1#\" before the "
        "next heading belongs to no page and is left out of the course; give it a page of its "
        "own with \"%H2=\" (\"After it.\")"}},
      {"a table of contents made of the marker lines: told once, its pages not as empty",
       {"%H2=Intro\t1", "%H2=Rules\t2", "%H2=Intro", "Text of the intro.", "%H2=Rules",
        "Text of the rules page."},
       {"c.txt:3: warning: page \"Intro 1\": \"%H2=\" and its title end in a tab and a page "
        "number, as a line of a table of contents does: each line of a table of contents made "
        "of the marker lines is read as a marker and opens a page with nothing on it; delete the "
        "table of contents (the player shows the course's contents) (\"%H2=Intro 1\")"}},
      {"an empty page",
       {"%H2=Empty", "%H2=Full", "Text of the full page."},
       {"c.txt:3: warning: page \"Empty\": the page has no content; write its text, or remove its heading (\"%H2=Empty\")"}},
      {"a course whose one page is too short",
       {"%H2=Only", "Short."},
       {"c.txt:1: error: the course has no page and no test: learners get an empty course; its "
        "one page has ten characters or fewer, and is left out as the last page: write more on "
        "it (\"%TITLE=T\")",
        "c.txt:3: warning: page \"Only\": the last page has ten characters or fewer: it is left "
        "out of the course; write a little more on it (\"%H2=Only\")"}},
      {"a course whose one test is too short",
       {"%TEST=Quiz", "1. Q?"},
       {"c.txt:1: error: the course has no page and no test: learners get an empty course; its "
        "one test has ten characters or fewer, and is left out as the last test: write more on "
        "it (\"%TITLE=T\")",
        "c.txt:3: warning: test \"Quiz\": the last test has ten characters or fewer: it is left "
        "out of the course; write a little more on it (\"%TEST=Quiz\")"}},
      {"no page and no test",
       {"%H1=Only a chapter", "%H1#"},
       {"c.txt:1: error: the course has no page and no test: learners get an empty course; start "
        "each page with \"%H2=\" and each test with \"%TEST=\" (\"%TITLE=T\")"}},
  };
  return list;
}

class Lint : public CourseTest {
 protected:
  std::vector<std::string> lines(const std::string& path, const std::string& shown) {
    std::vector<std::string> out;
    for (const convert::LintWarning& w : convert::lint(app, path))
      out.push_back(convert::lintLine(shown, w));
    return out;
  }
  // The package a conversion of `path` writes in a fresh engine, without lint.
  std::map<std::string, std::string> packageAlone(const std::string& path,
                                                  const std::string& folder) {
    std::filesystem::remove_all(folder);
    course::Session fresh;
    word::Application engine;
    ListChooser chosen({path});
    course::Frontend frontend{chosen, status, log, warnings, starter, programFolder()};
    convert::parse(fresh, engine, frontend);
    return files(folder);
  }
  static std::map<std::string, std::string> files(const std::string& folder) {
    std::map<std::string, std::string> out;
    for (const auto& e : std::filesystem::recursive_directory_iterator(folder))
      if (e.is_regular_file()) out[e.path().string()] = readBytes(e.path().string());
    return out;
  }
};

}  // namespace

TEST_F(Lint, EachMistakeIsNamedAtItsParagraphAndThePackageStaysAsItWas) {
  int n = 0;
  for (const Mistake& m : mistakes()) {
    SCOPED_TRACE(m.name);
    std::vector<std::string> all = {"%TITLE=T", "%AUTHOR=A"};
    all.insert(all.end(), m.lines.begin(), m.lines.end());
    const std::string name = "c" + std::to_string(++n);
    const std::string path = course(name + ".txt", all);
    EXPECT_EQ(lines(path, "c.txt"), m.warnings);
    run(path);  // after the lint, in the same engine, as the command line does
    if (!std::filesystem::exists(out(name))) continue;
    const auto linted = files(out(name));
    EXPECT_EQ(packageAlone(path, out(name)), linted);
  }
}

TEST_F(Lint, TheBuiltDocumentsMistakesAndACleanCourse) {
  // A marker after a line break, a picture browsers do not show (none is
  // converted here: the test sets no picture helper).
  word::Builder b;
  paragraph(b, "%TITLE=T");
  paragraph(b, "%AUTHOR=A");
  paragraph(b, "%H2=One");
  b.text("Text of page one.\v%H2=Two\v\uFF05H2=Three");
  b.endParagraph();
  word::Picture emf;
  emf.format = "emf";
  emf.data = std::make_shared<const std::string>("\x01\0\0\0", 4);  // damaged: stays unshown
  emf.alt = u"A chart";
  b.picture(emf);
  b.endParagraph();
  paragraph(b, "%H2=Three");
  // What a reader could not carry: once a kind a page, each with its remedy.
  for (const char* chart : {"a chart", "a chart"}) b.loss(chart);
  b.loss("a drop-down list (a form field)", word::LossKind::Field);
  b.loss("an old list's numbers", word::LossKind::Formatting);
  paragraph(b, "Text of page three.");
  const std::string lost = "b.doc:7: warning: page \"Three\": the page loses ";
  EXPECT_EQ(
      lines(builtCourse("b.doc", b), "b.doc"),
      (std::vector<std::string>{
          "b.doc:4: warning: page \"One\": a line break (Shift+Enter) stands before \"%H2=\": "
          "the marker is read as text; end the line before it with Enter (\"Text of page one. "
          "%H2=Two\")",
          "b.doc:4: warning: page \"One\": a line break (Shift+Enter) stands before \"%H2=\" "
          "(typed in full-width characters, which make it no marker anywhere: type it in "
          "half-width ones): the marker is read as text; end the line before it with Enter "
          "(\"Text of page one. %H2=Two\")",
          // A picture alone: the words before it, not the next page's marker.
          "b.doc:5: warning: page \"One\": a picture in emf format, which browsers do not show: "
          "insert it as PNG or JPEG (\"of page one. %H2=Two \uFF05H2=Three\")",
          lost + "a chart, which the converter reads but cannot show: put a picture of it in its "
                 "place (PNG or JPEG) (\"Text of page three.\")",
          lost + "a drop-down list (a form field), which the document holds without the text it "
                 "shows: type that text in its place (\"Text of page three.\")",
          lost + "an old list's numbers, which the converter does not read in this format "
                 "version: save the document as .docx and convert that (\"Text of page "
                 "three.\")"}));

  const std::string clean = course(
      "clean.txt", {"%TITLE=Clean", "%AUTHOR=Me", "%H1=Part", "%PID=1", "%H2=Page", "%PID=2",
                    "See %A=3 the quiz%A#.", "%TEST=Quiz", "%PID=3", "1. Which?", "*a) this",
                    "b) that", "%H1#", "%H2=End", "%PID=4", "Thank you for taking this course."});
  EXPECT_EQ(lines(clean, "clean.txt"), std::vector<std::string>{});
}

// What a marker line holds goes with the line: a note's reference or a
// picture there is told; a line the page keeps as text keeps them.
TEST_F(Lint, NotesAndPicturesInMarkerLinesAreToldLeftOut) {
  word::Builder b;
  const auto line = [&b](const char* text, bool note, const char* after = "") {
    b.text(text);
    word::Builder n;
    paragraph(n, "A note.");
    word::Picture png;
    png.format = "png";
    png.data = std::make_shared<const std::string>("png");
    png.alt = u"logo";
    note ? b.note(false, u"1", n.finishStory()) : b.picture(png);
    b.text(after);
    b.endParagraph();
  };
  paragraph(b, "%TITLE=T");
  paragraph(b, "%AUTHOR=A");
  line("%H2=One", true);
  paragraph(b, "Text of page one.");
  line("%H1#", true);  // closes no chapter: the page keeps it, and its note
  line("%H2=Two", false);
  line("%PID=2", false);
  paragraph(b, "Text of page two.");
  line("%H", true, "2=Three");  // the note's reference splits the marker
  paragraph(b, "Text of page three.");
  const std::string left = " in a marker line is left out of the course with the line: put ";
  EXPECT_EQ(lines(builtCourse("m.doc", b), "m.doc"),
            (std::vector<std::string>{
                "m.doc:3: warning: page \"One\": a footnote or endnote" + left +
                    "its reference in the page's text (\"%H2=One\")",
                "m.doc:5: warning: page \"One\": \"%H1#\" without an open chapter: the line is "
                "ignored and stays text of the page above; remove it, or add the \"%H1=\" it closes (\"%H1#\")",
                "m.doc:6: warning: page \"Two\": a picture" + left +
                    "it in the page's text (\"%H2=Two\")",
                "m.doc:7: error: page \"Two\": \"%PID=\" without a number: the conversion "
                "stops here (error 13); a note or picture in the line is no digit: move it out "
                "of the line (\"%PID=2\")",
                "m.doc:9: warning: page \"Two\": the line looks meant to start with \"%H2=\", but "
                "as typed it is no marker (a note's reference, a picture or a line break stands "
                "in it), so it is course text: correct the marker to \"%H2=\" " +
                    std::string(kMarkers) + " (\"%H 2=Three\")"}));
}

// Paragraphs are counted through tables: every paragraph of a cell counts,
// the marks that end rows do not.
TEST_F(Lint, ParagraphsAreCountedThroughTablesInADocx) {
  using docxtest::p;
  using docxtest::r;
  auto cell = [](const std::string& body) { return "<w:tc>" + body + "</w:tc>"; };
  const std::string body = p(r("%TITLE=T")) + p(r("%AUTHOR=A")) + p(r("%H2=Tables")) +
                           "<w:tbl><w:tr>" + cell(p(r("a1")) + p(r("a2"))) +
                           cell(p(r("%H2=In a cell"))) + "</w:tr>" + "<w:tr>" + cell(p(r("%\u04201=b"))) +
                           cell(p(r("\uFF05H2=c"))) + "</w:tr></w:tbl>" +
                           p(r("%H3=After the table"));
  const std::string path = docs / "t.docx";
  writeBytes(path, docxtest::build({docxtest::documentXml(body), {}, {}}));
  EXPECT_EQ(lines(path, "t.docx"),
            (std::vector<std::string>{
                "t.docx:6: warning: page \"Tables\": \"%H2=\" in a table is not read: markers "
                "work only outside tables; move the marker out of the table (\"%H2=In a cell\")",
                "t.docx:7: warning: page \"Tables\": \"%H1=\" (typed in the Russian keyboard layout, "
                "which makes it no marker anywhere: type it in the Latin layout) in a table is not "
                "read: markers work only outside tables; move the marker out of the table (\"%\u04201=b\")",
                "t.docx:8: warning: page \"Tables\": \"%H2=\" (typed in full-width characters, "
                "which make it no marker anywhere: type it in half-width ones) in a table is not "
                "read: markers work only outside tables; move the marker out of the table (\"\uFF05H2=c\")",
                std::string("t.docx:9: warning: page \"Tables\": the line looks meant to start ") +
                    "with \"%H2=\", but as typed it is no marker, so it is course text: correct "
                    "the marker to \"%H2=\" " +
                    kMarkers + " (\"%H3=After the table\")"}));
}

// A page rewrites the links in its table cells and in the notes its text
// refers to, so their dead ends are found there too; a note's markers are
// never read.
TEST_F(Lint, LinksInCellsAndNotesAreChecked) {
  using docxtest::p;
  using docxtest::r;
  const std::string notes = docxtest::part(
      "footnotes", "<w:footnote w:id=\"1\">" + p(r("See %A=97 the note%A#.")) +
                       p(r("%H2=In a note")) + p(r("%PID=2")) + "</w:footnote>");
  const std::string body = p(r("%TITLE=T")) + p(r("%AUTHOR=A")) + p(r("%H1=Part")) +
                           p(r("%PID=1")) + p(r("%H2=One")) +
                           "<w:tbl><w:tr><w:tc>" + p(r("a %A=1 good%A#.")) +
                           p(r("See %A=99 the cell%A#.")) + "</w:tc></w:tr></w:tbl>" +
                           p(r("A note.") + "<w:r><w:footnoteReference w:id=\"1\"/></w:r>") +
                           p(r("%H1#"));
  const std::string path = docs / "n.docx";
  writeBytes(path,
             docxtest::build({docxtest::documentXml(body), {{"word/footnotes.xml", notes}}, {}}));
  const auto dead = [](const std::string& n) {
    return "\", which no item has: the link leads learners nowhere; correct the number, or give "
           "the item it means \"%PID=" + n + "\" (\"";
  };
  EXPECT_EQ(lines(path, "n.docx"),
            (std::vector<std::string>{"n.docx:7: error: page \"One\": \"%A=99\" links to PID \"99" +
                                          dead("99") + "See %A=99 the cell%A#.\")",
                                      "n.docx:8: warning: page \"One\": \"%H2=\" in a footnote or "
                                      "endnote is not read: markers work only in the document's "
                                      "own text; the page shows the line in its note (\"A "
                                      "note.\")",
                                      "n.docx:8: error: page \"One\": \"%A=97\" links to PID \"97" +
                                          dead("97") + "A note.\")"}));
}

// The scan reads the main text alone: a marker in a page header is told,
// once however many sections repeat it, and one typed in full width too; a
// header the document relates but lacks is none, a damaged one is read as
// far as it goes.
TEST_F(Lint, AMarkerInAPageHeaderIsTold) {
  using docxtest::p;
  using docxtest::r;
  const std::string body =
      p(r("%TITLE=T")) + p(r("%AUTHOR=A")) + p(r("%H2=One")) + p(r("Text of page one."));
  const std::string header = docxtest::part("hdr", p(r("%H2=Intro")));
  const std::string damaged = docxtest::part("hdr", p(r("\uFF05H2=Outro")) + "<w:p><w:r>");
  std::string rels;
  for (const char* n : {"1", "2", "3", "4"})
    rels +=
        docxtest::relationship("rH" + std::string(n), "header", "header" + std::string(n) + ".xml");
  const std::string path = docs / "h.docx";
  writeBytes(path, docxtest::build({docxtest::documentXml(body),
                                    {{"word/header1.xml", header},
                                     {"word/header2.xml", header},
                                     {"word/header3.xml", damaged}},
                                    rels}));
  const std::string notRead =
      ") is not read: markers work only in the document's own text, and no page shows the "
      "header or footer; type the marker in a paragraph of the text (\"%TITLE=T\")";
  EXPECT_EQ(lines(path, "h.docx"),
            (std::vector<std::string>{
                "h.docx:1: warning: \"%H2=\" in a page header or footer (\"%H2=Intro\"" + notRead,
                "h.docx:1: warning: \"%H2=\" (typed in full-width characters, which make it no "
                "marker anywhere: type it in half-width ones) in a page header or footer "
                "(\"\uFF05H2=Outro\"" +
                    notRead}));
}

TEST_F(Lint, TheCourseTemplateConvertsWithoutAWarning) {
  for (const char* name : {"course-template.docx", "course-template.doc"}) {
    SCOPED_TRACE(name);
    const std::string path = docs / name;
    std::filesystem::copy(std::string(RD_TEST_DIR) + "/../examples/" + name, path);
    EXPECT_EQ(lines(path, name), std::vector<std::string>{});
    status.lines.clear();
    EXPECT_EQ(run(path), convert::RunOutcome::Succeeded);
    EXPECT_EQ(status.lines.back(), "Успех");
    EXPECT_TRUE(exists(out("course-template") + "page3_files/image001.png"));
  }
}

// The word processor's walk reads the main text alone: a marker in a text
// box is text where the box is, and told; one in a frame, which is the
// main text's, is read in its place. Headings set in a heading style
// instead of a marker are told once.
TEST_F(Lint, MarkersInTextBoxesAndHeadingsInHeadingStyles) {
  word::Builder b;
  const auto styled = [&b](const char* text, word::ParagraphFormat f) {
    b.paragraph(f);
    paragraph(b, text);
  };
  word::ParagraphFormat box, frame;
  box.textBox = true;
  frame.textBox = frame.inFrame = true;
  paragraph(b, "%TITLE=T");
  paragraph(b, "%AUTHOR=A");
  paragraph(b, "%H2=One");
  paragraph(b, "Text of page one.");
  styled("%H2=Boxed", box);
  paragraph(b, "More text of page one.");
  styled("%H2=Framed", frame);
  paragraph(b, "Text of the framed page.");
  const convert::LintResult boxed = convert::lintDocument(app, builtCourse("x.doc", b));
  ASSERT_EQ(boxed.entries.size(), 2u);
  EXPECT_EQ(boxed.entries[0].title, u"One");
  EXPECT_EQ(boxed.entries[1].title, u"Framed");
  ASSERT_EQ(boxed.warnings.size(), 1u);
  EXPECT_EQ(convert::lintLine("x.doc", boxed.warnings[0]),
            "x.doc:5: warning: page \"One\": \"%H2=\" in a text box or shape is not read: "
            "markers work only in the document's own text, so the line stays text where the "
            "box is; type the marker in a paragraph of the text itself (\"%H2=Boxed\")");

  // Paragraphs after "%TITLE=" and "%AUTHOR=", "#N" set in Heading N.
  // Headings read as meant for pages where the one page opens with them at
  // its marker's level or above; a page with text before its subheadings,
  // or its subheadings below its own heading, is quiet.
  const std::vector<std::string> told{
      "s.doc:4: warning: the headings \"Safety\", \"Ladders\" and 2 more are set in a "
      "heading style (\"Heading 1\"), which starts no page: the course has one page for "
      "the whole document; begin each page's heading with \"%H2=\" (a chapter's with "
      "\"%H1=\", a test's with \"%TEST=\"), the style may stay (\"Safety\")"};
  const struct {
    const char* name;
    std::vector<const char*> lines;
    std::vector<std::string> expected;
  } cases[] = {
      {"s.doc",
       {"%H2=Course", "#1Safety", "Text.", "#1Ladders", "Text.", "#1Scaffolds", "Text.", "#1Roofs",
        "Text."},
       told},
      {"t.doc",
       {"%H2=Course", "Safety rules for work at height.", "#1Ladders", "Text.", "#1Scaffolds",
        "Text."},
       {}},
      {"u.doc", {"#1%H2=Course", "#2Ladders", "Text.", "#2Scaffolds", "Text."}, {}},
      {"v.doc", {"#1Safety", "%H2=Course", "Intro.", "#1Ladders", "Text.", "#1Roofs", "Text."},
       {"v.doc:3: warning: text before the first \"%H1=\", \"%H2=\" or \"%TEST=\" belongs to "
        "no page and is left out of the course; move it into a page to show it, or leave it as a "
        "note for yourself (\"Safety\")"}},
  };
  for (const auto& c : cases) {
    word::Builder s;
    std::vector<word::ParagraphFormat> levels(3);
    for (int32_t level = 1; level < 3; ++level) {
      word::Style h;
      h.name = level == 1 ? u"heading 1" : u"heading 2";
      levels[level].style = s.addStyle(h);
      levels[level].outlineLevel = static_cast<uint8_t>(level - 1);
    }
    for (const char* line : {"%TITLE=T", "%AUTHOR=A"}) paragraph(s, line);
    for (std::string_view line : c.lines) {
      s.paragraph(line[0] == '#' ? levels.at(line[1] - '0') : word::ParagraphFormat{});
      paragraph(s, std::string(line.substr(line[0] == '#' ? 2 : 0)));
    }
    EXPECT_EQ(lines(builtCourse(c.name, s), c.name), c.expected) << c.name;
  }
}
