// The quiz reader of the test template: syntax, grading, and the line that a
// broken quiz reports. Run with `node --test tests/js`.
'use strict';
const { test } = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const { quiz, corpus } = require('./load.js');

const Q = quiz();
const section = (body, title = 'Check') =>
  "<html><head><meta http-equiv='Content-Type' content='text/html; charset=Windows-1251'></head><body><pre>\r\n" +
  '%TEST=' + title + '\r\n' + body.join('\r\n') + '\r\n%TEST_END\r\n</pre></body></html>\r\n';
const load = (body, title) => Q.load(section(body, title));
const correctLetters = (q) => q.answers.filter((a) => a.correct).map((a) => a.letter).join('');
const failure = (body) => {
  try {
    load(body);
  } catch (e) {
    assert.ok(e instanceof Q.QuizError, 'a QuizError, not ' + e);
    return e;
  }
  assert.fail('the quiz was accepted');
};

test('numbered questions without blank lines, as in the sample courses', () => {
  const data = new TextDecoder('windows-1251').decode(fs.readFileSync(corpus('course_package', 'testdata1.htm')));
  const quizData = Q.load(data);
  assert.equal(quizData.title, 'Тест 1.1');
  assert.deepEqual(quizData.questions.map((q) => q.text), ['Вопрос 1 о SQL?', 'Вопрос 2 о SQL?', 'Вопрос 3 о SQL?']);
  for (const q of quizData.questions) {
    assert.equal(q.kind, 'single');
    assert.deepEqual(q.answers.map((a) => a.text), ['SELECT', 'INSERT', 'DELETE']);
    assert.equal(correctLetters(q), 'b');
  }
});

test('blank lines separate questions; labels and list labels are dropped', () => {
  const { questions } = load([
    '1.\tFirst?', 'a)\tone', 'b)\t*two', '',
    '2) Second,', 'on two lines?', 'a. yes', '*b. no', '',
    '\u2022\tThird?', '*а) да', 'б) нет',
  ]);
  assert.deepEqual(questions.map((q) => q.text), ['First?', 'Second,\non two lines?', 'Third?']);
  assert.deepEqual(questions.map(correctLetters), ['b', 'b', 'а']);
  assert.deepEqual(questions[0].answers.map((a) => a.text), ['one', 'two']);
});

test('references are decoded once, in one pass, in the title too; tags stay text', () => {
  const { title, questions } = load(['x &#8804; 1?', '*a) &#8364;5', 'b) &#x2264;'], 'T &lt;1&gt;');
  assert.equal(title, 'T <1>');
  assert.equal(questions[0].text, 'x \u2264 1?');
  assert.deepEqual(questions[0].answers.map((a) => a.text), ['\u20ac5', '\u2264']);
  // [as the data file holds it, as the learner reads it]
  const cases = [
    ['&lt;table&gt; starts a table', '<table> starts a table'],
    ['&amp;lt;b&amp;gt; is how a page writes &lt;b&gt;', '&lt;b&gt; is how a page writes <b>'],
    ['&amp;#8364; or &#8364;', '&#8364; or \u20ac'],
    ['&quot;q&quot; &apos;a&apos; &nbsp; &copy; & &#0; &#xD800; &#1114112;', '"q" \'a\' &nbsp; &copy; & &#0; &#xD800; &#1114112;'],
    ['&lt;script&gt;alert(1)&lt;/script&gt;', '<script>alert(1)</script>'],
  ];
  for (const [held, read] of cases) {
    const q = load([held + '?', '*a) ' + held], held).questions[0];
    assert.equal(q.text, read + '?');
    assert.equal(q.answers[0].text, read);
    assert.equal(load(['Q?', '*a) x'], held).title, read);
  }
});

// The grammar's cases, shared with the converter's quiz reader.
function quizCases() {
  const cases = [];
  for (const line of fs.readFileSync(path.join(__dirname, '..', 'quiz', 'quiz_cases.txt'), 'utf8').split('\n')) {
    if (line.startsWith('## ')) {
      const raw = line.startsWith('## raw ');
      cases.push({ name: line.slice(raw ? 7 : 3), raw, lines: [] });
    } else if (line.startsWith('=> ')) {
      cases[cases.length - 1].verdict = line.slice(3);
    } else if (cases.length && cases[cases.length - 1].verdict === undefined) {
      cases[cases.length - 1].lines.push(line);
    }
  }
  return cases;
}

test('every case of the grammar gives its verdict, a problem naming the line that stopped it', () => {
  const cases = quizCases();
  assert.ok(cases.length > 20);
  for (const c of cases) {
    const data = c.raw ? c.lines.map((l) => l + '\r\n').join('') : section(c.lines);
    let verdict;
    try {
      const { questions } = Q.load(data);
      verdict = 'ok ' + questions.map((q) => (q.kind === 'short' ? '=' : correctLetters(q))).join(' ');
      for (const q of questions) {
        const letters = correctLetters(q).length;
        assert.equal(q.kind, q.kind === 'short' ? 'short' : letters > 1 ? 'multiple' : 'single', c.name);
      }
    } catch (e) {
      assert.ok(e instanceof Q.QuizError, c.name + ': a QuizError, not ' + e);
      verdict = 'problem ' + e.lineNumber + ' ' + e.message;
      if (e.lineNumber > 0) assert.equal(e.line, data.split('\r\n')[e.lineNumber - 1], c.name);
    }
    assert.equal(verdict, c.verdict, c.name);
  }
});

test('grading: exact choice, exact set, short answers without case or extra blanks', () => {
  const { questions: [single, multiple, short, phrase] } = load(
    ['S?', 'a) x', '*b) y', '', 'M?', '*a) x', 'b) y', '*c) z', '', 'T?', '=Москва', '', 'P?',
      '=the heat']);
  assert.equal(Q.isRight(phrase, ' The   heat\t'), true);
  assert.equal(Q.isRight(phrase, 'theheat'), false);
  assert.equal(Q.isRight(single, 1), true);
  assert.equal(Q.isRight(single, 0), false);
  assert.equal(Q.isRight(single, null), false);
  assert.equal(Q.isRight(multiple, [2, 0]), true);
  assert.equal(Q.isRight(multiple, [0]), false);
  assert.equal(Q.isRight(multiple, [0, 1, 2]), false);
  assert.equal(Q.isRight(multiple, []), false);
  assert.equal(Q.isRight(short, '  москва '), true);
  assert.equal(Q.isRight(short, 'Мос ква'), false);
  assert.equal(Q.isRight(short, undefined), false);
  const all = Q.score([single, multiple, short], [1, [0, 2], 'МОСКВА']);
  assert.deepEqual(all, { right: [true, true, true], score: 3, total: 3 });
  assert.equal(Q.score([single, multiple, short], [0, [1], '']).score, 0);
});

test('feedback lines: each answer\'s and the question\'s, decoded, with none where none is written', () => {
  // [lines, [question feedback, [answer feedback...]] by question]
  const cases = [
    [['Q?', 'a) x', '@ not x', '*b) y', '@ y &lt;it&gt; is', '@ &#8364; why'],
      [['\u20ac why', ['not x', 'y <it> is']]]],
    [['Q?', '*a) x', 'b) y', '@', '@ about Q'], [['about Q', ['', '']]]],
    [['Q?', 'A. x', 'B. y', 'ANSWER: A', '@ A', 'T?', '=t', '@ t it is'], [['A', ['', '']], ['t it is', []]]],
    [['Q?', '*a) x', '', 'R?', '*a) y', '@ y'], [['', ['']], ['', ['y']]]],
  ];
  for (const [lines, want] of cases) {
    const got = load(lines).questions.map((q) => [q.feedback, q.answers.map((a) => a.feedback)]);
    assert.deepEqual(got, want, lines.join(' / '));
  }
});
