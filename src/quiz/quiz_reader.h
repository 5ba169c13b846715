#pragma once
// The quiz page's reading of a test data file, for telling the author before
// a learner sees it: the same rules as the page's own quiz reader
// (data/player/quiz-core.js), and the same words for the first problem it
// stops at. A test keeps both in step.
#include <optional>
#include <string>

namespace quiz {

struct QuizProblem {
  std::string message;  // the quiz page's words: "no answer is marked correct"
  int lineNumber = 0;   // 1-based in the data file; 0: the test as a whole
  std::string remedy{};  // what the author does about it: "mark the right answer ..."
};

// The first problem the quiz page would stop at in `dataText` (the test data
// file's text, decoded), or none when the quiz reads.
std::optional<QuizProblem> firstProblem(const std::u16string& dataText);

}  // namespace quiz
