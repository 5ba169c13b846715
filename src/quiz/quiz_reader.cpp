#include "quiz/quiz_reader.h"

#include <string_view>
#include <utility>
#include <vector>

#include "support/strings.h"

namespace quiz {
namespace {

using std::u16string;
using std::u16string_view;

// White space as the page's script trims it.
bool space(char16_t c) {
  return c == u' ' || (c >= 9 && c <= 13) || c == 0xA0 || c == 0x1680 ||
         (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F ||
         c == 0x3000 || c == 0xFEFF;
}

u16string trim(u16string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && space(s[b])) ++b;
  while (e > b && space(s[e - 1])) --e;
  return u16string(s.substr(b, e - b));
}

// "." in the page's patterns stops at these.
bool endsPattern(u16string_view s) {
  return s.find_first_of(u"\n\r\u2028\u2029") != u16string_view::npos;
}

bool letter(char16_t c) {
  return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= 0x410 && c <= 0x44F) ||
         c == 0x401 || c == 0x451;
}

char16_t lower(char16_t c) {
  if ((c >= u'A' && c <= u'Z') || (c >= 0x410 && c <= 0x42F)) return static_cast<char16_t>(c + 32);
  if (c >= 0x400 && c <= 0x40F) return static_cast<char16_t>(c + 80);
  return c;
}

// The line and paragraph separators that pasted text may carry show as
// blanks on the page, and a line of the quiz cannot hold them.
u16string blankSeparators(u16string line) {
  for (char16_t& c : line)
    if (c == 0x2028 || c == 0x2029) c = u' ';
  return line;
}

struct Line {
  u16string text;
  int number;
};

struct Stop {
  QuizProblem problem;
};

// What the author does about each problem, by the page's words for it.
constexpr std::pair<std::string_view, std::string_view> kRemedies[] = {
    {"the question has no answers",
     "give it lettered answers (\"a) ...\") or a short answer (\"=\" and the answer), or join "
     "it to the question it belongs to"},
    {"no answer is marked correct",
     "put \"*\" before the right answer's letter (\"*b) ...\"), or name it in an \"ANSWER:\" "
     "line"},
    {"\"ANSWER:\" without answers before it", "put the line after the question's answers"},
    {"\"ANSWER:\" names no answer", "name the right answers' letters, as in \"ANSWER: B\""},
    {"\"ANSWER:\" names an answer the question does not have",
     "name the letters of the question's own answers"},
    {"a feedback line (\"@\") that follows no answer",
     "put it right after the answer, or the answers, it is about"},
    {"a second feedback line (\"@\") for the question",
     "give each answer one feedback line and the question one: join the two lines"},
    {"a short answer (\"=\") in a question with lettered answers",
     "give the question lettered answers or \"=\" lines, not both"},
    {"a lettered answer in a short-answer question",
     "give the question lettered answers or \"=\" lines, not both"},
    {"an empty short answer", "write the answer it accepts after \"=\""},
    {"an answer without text", "write the answer's text after its letter"},
    {"the test has no questions", "write the questions after the \"%TEST=\" line"},
};

[[noreturn]] void stop(std::string_view message, int line) {
  for (const auto& [problem, remedy] : kRemedies)
    if (problem == message) throw Stop{{std::string(message), line, std::string(remedy)}};
  throw Stop{{std::string(message), line}};
}

std::vector<Line> section(const u16string& text) {
  std::vector<u16string> lines(1);
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c == u'\r' || c == u'\n' || c == 0x0B) {
      if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
      lines.emplace_back();
    } else {
      lines.back() += c;
    }
  }
  size_t begin = 0;
  while (begin < lines.size() && lines[begin].find(u"%TEST=") == u16string::npos) ++begin;
  if (begin == lines.size()) stop("no \"%TEST=\" line", 0);
  std::vector<Line> body;
  for (size_t j = begin + 1; j < lines.size(); ++j) {
    const size_t end = lines[j].find(u"%TEST_END");
    const u16string line = end == u16string::npos ? lines[j] : lines[j].substr(0, end);
    if (end == u16string::npos || !trim(line).empty())
      body.push_back({blankSeparators(support::decodeReferences(line)), static_cast<int>(j + 1)});
    if (end != u16string::npos) return body;
  }
  stop("no \"%TEST_END\" line after the test", static_cast<int>(begin + 1));
}

struct Answer {
  char16_t letter;
  bool correct;
};

struct Question {
  int first = 0;
  std::vector<Answer> answers;
  size_t accepted = 0;
  bool closed = false;
  bool afterAnswer = false;  // the line before was a lettered answer without feedback
  bool feedback = false;     // the question's own feedback line was read
};

// "a) text", "*b) text", "B. text": the answer, when the line is one.
bool answer(const u16string& t, Answer& a, u16string& text) {
  size_t p = 0;
  bool starred = false;
  if (!t.empty() && t[0] == u'*') {
    size_t q = 1;
    while (q < t.size() && space(t[q])) ++q;
    if (q + 1 < t.size() && letter(t[q]) && (t[q + 1] == u'.' || t[q + 1] == u')')) {
      p = q;
      starred = true;
    }
  }
  if (p + 1 >= t.size() || !letter(t[p]) || (t[p + 1] != u'.' && t[p + 1] != u')')) return false;
  u16string rest = t.substr(p + 2);
  if (endsPattern(rest)) return false;
  // A dot must be followed by a blank, so that "e.g." is no answer.
  if (t[p + 1] == u'.' && !rest.empty() && !space(rest[0]) && rest[0] != u'*') return false;
  rest = trim(rest);
  a = {lower(t[p]), starred};
  if (!rest.empty() && rest[0] == u'*') {
    a.correct = true;
    rest = trim(u16string_view(rest).substr(1));
  }
  text = rest;
  return true;
}

void finish(std::optional<Question>& q, size_t& questions) {
  if (!q) return;
  const Question done = *q;
  q.reset();
  if (done.accepted == 0) {
    if (done.answers.empty()) stop("the question has no answers", done.first);
    bool any = false;
    for (const Answer& a : done.answers) any = any || a.correct;
    if (!any) stop("no answer is marked correct", done.first);
  }
  ++questions;
}

// "ANSWER: b, c": the letters, or false when the line is no answer key.
bool answerKey(const u16string& t, std::vector<u16string>& letters) {
  static constexpr u16string_view kKey = u"answer";
  if (t.size() < kKey.size()) return false;
  for (size_t i = 0; i < kKey.size(); ++i)
    if ((t[i] | 0x20) != kKey[i] || t[i] >= 0x80) return false;
  size_t p = kKey.size();
  while (p < t.size() && space(t[p])) ++p;
  if (p >= t.size() || t[p] != u':') return false;
  ++p;
  while (p < t.size() && space(t[p])) ++p;
  if (endsPattern(u16string_view(t).substr(p))) return false;
  letters.clear();
  u16string word;
  for (size_t i = p; i <= t.size(); ++i) {
    if (i == t.size() || space(t[i]) || t[i] == u',' || t[i] == u';') {
      if (!word.empty()) letters.push_back(word);
      word.clear();
    } else {
      word += lower(t[i]);
    }
  }
  return true;
}

void keyed(Question& q, const std::vector<u16string>& letters, int line) {
  if (q.answers.empty()) stop("\"ANSWER:\" without answers before it", line);
  if (letters.empty()) stop("\"ANSWER:\" names no answer", line);
  for (Answer& a : q.answers) a.correct = false;
  for (const u16string& l : letters) {
    Answer* hit = nullptr;
    for (Answer& a : q.answers)
      if (!hit && l.size() == 1 && a.letter == l[0]) hit = &a;
    if (!hit) stop("\"ANSWER:\" names an answer the question does not have", line);
    hit->correct = true;
  }
  q.closed = true;
}

// "@ text": right after an answer, that answer's feedback; the next one (or
// one after an answer key or a short answer) the question's, which ends it.
void feedbackLine(std::optional<Question>& q, int line) {
  if (!q || (q->answers.empty() && q->accepted == 0))
    stop("a feedback line (\"@\") that follows no answer", line);
  if (q->afterAnswer) {
    q->afterAnswer = false;
    return;
  }
  if (q->feedback) stop("a second feedback line (\"@\") for the question", line);
  q->feedback = true;
  q->closed = true;
}

// One line of a question already open; false when it starts the next one.
bool within(Question& q, const u16string& t, int line) {
  q.afterAnswer = false;
  std::vector<u16string> letters;
  if (answerKey(t, letters)) {
    keyed(q, letters, line);
    return true;
  }
  size_t p = t.empty() || t[0] != u'*' ? 0 : 1;
  while (p < t.size() && space(t[p])) ++p;
  if (p < t.size() && t[p] == u'=' && !endsPattern(u16string_view(t).substr(p + 1))) {
    if (!q.answers.empty())
      stop("a short answer (\"=\") in a question with lettered answers", line);
    if (trim(u16string_view(t).substr(p + 1)).empty()) stop("an empty short answer", line);
    ++q.accepted;
    return true;
  }
  Answer a{};
  u16string text;
  if (answer(t, a, text)) {
    if (q.accepted) stop("a lettered answer in a short-answer question", line);
    if (text.empty()) stop("an answer without text", line);
    q.answers.push_back(a);
    q.afterAnswer = true;
    return true;
  }
  return q.answers.empty() && q.accepted == 0;  // the question's text goes on
}

}  // namespace

std::optional<QuizProblem> firstProblem(const std::u16string& dataText) {
  try {
    std::optional<Question> q;
    size_t questions = 0;
    for (const Line& l : section(dataText)) {
      u16string t = l.text;
      for (char16_t& c : t)
        if (c == 0xA0) c = u' ';
      t = trim(t);
      if (t.empty()) {
        finish(q, questions);
      } else if (t[0] == u'@') {
        feedbackLine(q, l.number);
      } else if (!q || q->closed || !within(*q, t, l.number)) {
        finish(q, questions);
        q = Question{l.number, {}, 0, false, false, false};
      }
    }
    finish(q, questions);
    if (questions == 0) stop("the test has no questions", 0);
    return std::nullopt;
  } catch (const Stop& s) {
    return s.problem;
  }
}

}  // namespace quiz
