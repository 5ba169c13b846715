// The quiz problems the converter reports are the ones the quiz page stops
// at, in its words: the page's own reader (data/player/quiz-core.js) runs
// under node on the same data, and the two must agree on every case.
#include "quiz/quiz_reader.h"

#include <gtest/gtest.h>

#include <random>

#include "../common/fixtures.h"

using namespace testing_support;

namespace {

// "message<TAB>line" per data text, from the page's reader, or "ok<TAB>0".
std::vector<std::string> pageVerdicts(const std::vector<std::string>& texts) {
  ScratchFolder work;
  std::string joined;
  for (const std::string& t : texts) joined += t + std::string(1, '\0');
  writeBytes(work / "in", joined.substr(0, joined.size() - 1));
  writeBytes(work / "run.js",
             "const fs = require('fs'); const Q = require(process.argv[2]);\n"
             "for (const t of fs.readFileSync(process.argv[3], 'utf8').split('\\0')) {\n"
             "  try { Q.load(t); console.log('ok\\t0'); }\n"
             "  catch (e) { console.log(e instanceof Q.QuizError ? e.message + '\\t' + "
             "e.lineNumber : 'other'); }\n"
             "}\n");
  const std::string cmd = "node " + work / "run.js" +
                          " '" RD_TEST_DIR "/../data/player/quiz-core.js' " + work / "in" + " > " +
                          work / "out";
  EXPECT_EQ(std::system(cmd.c_str()), 0) << "node runs the page's quiz reader";
  std::vector<std::string> lines;
  std::istringstream out(readBytes(work / "out"));
  for (std::string l; std::getline(out, l);) lines.push_back(l);
  return lines;
}

std::string verdict(const std::string& text) {
  const auto p = quiz::firstProblem(utf16(text));
  return p ? p->message + "\t" + std::to_string(p->lineNumber) : "ok\t0";
}

std::string dataFile(const std::vector<std::string>& body, bool begin = true, bool end = true) {
  std::string s = "<html><body><pre>\r\n";
  if (begin) s += "%TEST=Check\r\n";
  for (const std::string& l : body) s += l + "\r\n";
  if (end) s += "%TEST_END\r\n";
  return s + "</pre></body></html>\r\n";
}

}  // namespace

TEST(QuizReader, StopsWhereAndAsTheQuizPageStops) {
  std::vector<std::string> texts = {
      dataFile({"Q1?", "a) one", "*b) two"}),
      dataFile({"Q1?", "a) one", "b) two"}),
      dataFile({"Q1?", "*a) one", "", "Just text"}),
      dataFile({"Q1?", "ANSWER: A"}),
      dataFile({"Q1?", "A. one", "B. two", "ANSWER: D"}),
      dataFile({"Q1?", "A. one", "B. two", "answer :  b ; a"}),
      dataFile({"Q1?", "*a) one", "=one"}),
      dataFile({"Q1?", "=one", "*a) one"}),
      dataFile({"Q1?", "*a)"}),
      dataFile({"Q1?", "= "}),
      dataFile({"e.g. this?", "a.b) x", "*c)\t*y"}),
      dataFile({"Вопрос?", "а) да", "*Б) нет", "ANSWER: б"}),
      dataFile({"x &#8804; 1?", "*a) &#8364;5"}),
      dataFile({}),
      dataFile({"Q?", "*a) y"}, false),
      dataFile({"Q?", "*a) y"}, true, false),
      std::string("%TEST=Last\r\nQ?\r\n*a) yes\r\nb) no%TEST_END\r\n"),
  };
  // And lines drawn at random from the pieces quizzes are made of.
  const std::vector<std::string> pieces = {
      "Q?", "a) x", "*b) y", "B. z", "c.d", "ANSWER: b", "answer: a, c", "ANSWER:", "=one",
      "*= two", "= ", "", "*a)", "c)\t*x", "text", "\xC2\xA0", "2) Next?", "&#1040;) &#1076;",
      "\xD0\x81) yo", "*\t d. w",
      // References decode once: "&#97;)" is an answer, "&amp;#97;)" text.
      "&#97;) &lt;b&gt;", "*&#x62;) x", "&amp;#97;) y", "&#61;one", "&amp;#61;x", "&lt;p&gt;"};
  std::mt19937 random(15);
  for (int n = 0; n < 3000; ++n) {
    std::vector<std::string> body;
    for (int k = std::uniform_int_distribution<int>(0, 9)(random); k > 0; --k)
      body.push_back(pieces[std::uniform_int_distribution<size_t>(0, pieces.size() - 1)(random)]);
    texts.push_back(dataFile(body));
  }
  const std::vector<std::string> page = pageVerdicts(texts);
  ASSERT_EQ(page.size(), texts.size());
  int stopped = 0;
  for (size_t i = 0; i < texts.size(); ++i) {
    EXPECT_EQ(verdict(texts[i]), page[i]) << texts[i];
    stopped += page[i] != "ok\t0";
  }
  EXPECT_GT(stopped, 100);  // the cases reach the reader's problems, not only its successes
}
