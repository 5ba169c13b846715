// The quiz problems the converter reports are the ones the quiz page stops
// at, in its words: both readers give the verdict of every case of the
// grammar's table (quiz_cases.txt, which the page's node tests read too),
// and the page's own reader (data/player/quiz-core.js) runs under node on
// random data, where the two must agree.
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

std::string dataFile(const std::vector<std::string>& body) {
  std::string s = "<html><body><pre>\r\n%TEST=Check\r\n";
  for (const std::string& l : body) s += l + "\r\n";
  return s + "%TEST_END\r\n</pre></body></html>\r\n";
}

struct QuizCase {
  std::string name;
  std::string data;     // the test data file's text
  std::string verdict;  // "ok ..." or "problem LINE MESSAGE"
};

// The grammar's table: "## NAME" (or "## raw NAME"), lines, "=> VERDICT".
std::vector<QuizCase> quizCases() {
  std::vector<QuizCase> cases;
  std::vector<std::string> lines;
  bool raw = false;
  std::istringstream in(readBytes(RD_TEST_DIR "/quiz/quiz_cases.txt"));
  for (std::string line; std::getline(in, line);) {
    if (line.starts_with("## ")) {
      raw = line.starts_with("## raw ");
      cases.push_back({line.substr(raw ? 7 : 3), {}, {}});
      lines.clear();
    } else if (line.starts_with("=> ")) {
      std::string data;
      for (const std::string& l : lines) data += l + "\r\n";
      cases.back().data = raw ? data : dataFile(lines);
      cases.back().verdict = line.substr(3);
    } else if (!cases.empty() && cases.back().verdict.empty()) {
      lines.push_back(line);
    }
  }
  return cases;
}

}  // namespace

TEST(QuizReader, GivesTheVerdictOfEveryCaseOfTheGrammar) {
  const std::vector<QuizCase> cases = quizCases();
  ASSERT_GT(cases.size(), 20u);
  for (const QuizCase& c : cases) {
    const auto p = quiz::firstProblem(utf16(c.data));
    EXPECT_EQ(p ? "problem " + std::to_string(p->lineNumber) + " " + p->message : "ok",
              c.verdict.starts_with("ok") ? "ok" : c.verdict)
        << c.name;
  }
}

TEST(QuizReader, StopsWhereAndAsTheQuizPageStops) {
  std::vector<std::string> texts;
  for (const QuizCase& c : quizCases()) texts.push_back(c.data);
  // And lines drawn at random from the pieces quizzes are made of.
  const std::vector<std::string> pieces = {
      "Q?", "a) x", "*b) y", "B. z", "c.d", "ANSWER: b", "answer: a, c", "ANSWER:", "=one",
      "*= two", "= ", "", "*a)", "c)\t*x", "text", "\xC2\xA0", "2) Next?", "&#1040;) &#1076;",
      "\xD0\x81) yo", "*\t d. w",
      // References decode once: "&#97;)" is an answer, "&amp;#97;)" text.
      "&#97;) &lt;b&gt;", "*&#x62;) x", "&amp;#97;) y", "&#61;one", "&amp;#61;x", "&lt;p&gt;",
      // Feedback lines, and "@" as the data file may spell it.
      "@ why", "@", "&#64; why"};
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
