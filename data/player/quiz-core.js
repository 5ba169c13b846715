// The quiz as course authors write it in the test section. Free of the DOM
// so that it can be tested on its own.
var RdQuiz = (function () {
  'use strict';

  function QuizError(message, line, lineNumber) {
    this.name = 'QuizError';
    this.message = message;
    this.line = line;          // the text of the line that stopped the parse
    this.lineNumber = lineNumber;  // 1-based, in the data file
  }
  QuizError.prototype = Object.create(Error.prototype);
  QuizError.prototype.constructor = QuizError;

  // The data file holds its text as HTML text ("&lt;" for "<", "&#N;" for
  // what the code page lacks); the common script decodes it. Under node the
  // common script is required beside this one.
  var decode = (typeof RdCommon !== 'undefined' ? RdCommon
    : require('./common.js')).decodeReferences;

  // The lines between "%TEST=" and "%TEST_END", with their line numbers.
  function extractSection(text) {
    var lines = text.split(/\r\n|\r|\n|\u000b/);
    var begin = -1;
    for (var i = 0; i < lines.length; i++) {
      var at = lines[i].indexOf('%TEST=');
      if (at >= 0) { begin = i; break; }
    }
    if (begin < 0) throw new QuizError('no "%TEST=" line', '', 0);
    var title = decode(lines[begin].slice(lines[begin].indexOf('%TEST=') + 6)).trim();
    var body = [];
    for (var j = begin + 1; j < lines.length; j++) {
      // A section that ends the document has no paragraph end of its own, so
      // the end marker may follow its last text on the same line.
      var end = lines[j].indexOf('%TEST_END');
      var text = end >= 0 ? lines[j].slice(0, end) : lines[j];
      // The line and paragraph separators that pasted text may carry show
      // as blanks on the page, and a line of the quiz cannot hold them.
      if (end < 0 || text.trim() !== '')
        body.push({ text: decode(text).replace(/[\u2028\u2029]/g, ' '), number: j + 1 });
      if (end >= 0) return { title: title, lines: body };
    }
    throw new QuizError('no "%TEST_END" line after the test', lines[begin], begin + 1);
  }

  var ANSWER_KEY = /^ANSWER\s*:\s*(.*)$/i;
  var LETTER = /^(\*\s*)?([A-Za-z\u0410-\u044f\u0401\u0451])([.)])(.*)$/;

  // "a) text", "*b) text", "B. text" (Aiken), "c)<TAB>*text" (a Word list
  // label before a starred text). A dot must be followed by a blank so that
  // "e.g." in a question's second line is not an answer.
  function parseAnswer(line) {
    var m = LETTER.exec(line);
    if (!m) return null;
    var rest = m[4];
    if (m[3] === '.' && rest !== '' && !/^[\s*]/.test(rest)) return null;
    rest = rest.trim();
    var correct = !!m[1];
    if (rest.charAt(0) === '*') {
      correct = true;
      rest = rest.slice(1).trim();
    }
    return { letter: m[2].toLowerCase(), text: rest, correct: correct };
  }

  // A number such as "1." or "2)" or a list label (number or bullet with a
  // TAB after it) before a question's text.
  function stripLabel(line) {
    var t = line.replace(/^\d+(\.\d+)*[.)]?\t\s*/, '');
    if (t === line) t = line.replace(/^[^\s\w]\t\s*/, '');
    if (t === line) t = line.replace(/^\d+(\.\d+)*[.)]\s+/, '');
    if (t === line) t = line.replace(/^[\u2022\u00b7\u25aa\u25cf\u25e6\u2013\u2014\uf0b7\uf0a7-]\s+/, '');
    return t.trim();
  }

  // A short answer matches whatever its case and however many blanks stand
  // between its words ("the  heat" is "the heat").
  function shortKey(s) {
    return s.trim().replace(/\s+/g, ' ').toLowerCase();
  }

  // Questions are separated by blank lines; a plain line after a question's
  // answers starts the next question too, so numbered questions typed one
  // after another without blank lines read the same way.
  function parse(lines) {
    var questions = [];
    var cur = null;

    function open(l) {
      cur = { text: stripLabel(l.text.trim()), kind: '', answers: [], accepted: [], feedback: '',
              first: l, keyed: false, closed: false, last: null, hasFeedback: false };
    }
    function finish() {
      if (!cur) return;
      var q = cur;
      cur = null;
      if (q.accepted.length) {
        q.kind = 'short';
      } else if (!q.answers.length) {
        throw new QuizError('the question has no answers', q.first.text, q.first.number);
      } else {
        var n = q.answers.filter(function (a) { return a.correct; }).length;
        if (!n) throw new QuizError('no answer is marked correct', q.first.text, q.first.number);
        q.kind = n > 1 ? 'multiple' : 'single';
      }
      questions.push({ text: q.text, kind: q.kind, answers: q.answers, accepted: q.accepted, feedback: q.feedback });
    }

    // "@ text": the first such line right after an answer is that answer's
    // feedback, shown when the learner picked it; the next one (or one
    // after an answer key or a short answer) is the question's, shown after
    // every check, and ends the question as an answer key does.
    function feedback(l, t) {
      var text = t.slice(1).trim();
      if (!cur || (!cur.answers.length && !cur.accepted.length))
        throw new QuizError('a feedback line ("@") that follows no answer', l.text, l.number);
      if (cur.last) {
        cur.last.feedback = text;
        cur.last = null;
        return;
      }
      if (cur.hasFeedback) throw new QuizError('a second feedback line ("@") for the question', l.text, l.number);
      cur.feedback = text;
      cur.hasFeedback = true;
      cur.closed = true;
    }

    for (var i = 0; i < lines.length; i++) {
      var l = lines[i];
      var t = l.text.replace(/\u00a0/g, ' ').trim();
      if (t === '') { finish(); continue; }
      if (t.charAt(0) === '@') { feedback(l, t); continue; }
      if (!cur || cur.closed) { finish(); open(l); continue; }
      cur.last = null;

      var key = ANSWER_KEY.exec(t);
      if (key) {
        if (!cur.answers.length)
          throw new QuizError('"ANSWER:" without answers before it', l.text, l.number);
        var letters = key[1].toLowerCase().split(/[\s,;]+/).filter(function (s) { return s !== ''; });
        if (!letters.length) throw new QuizError('"ANSWER:" names no answer', l.text, l.number);
        cur.answers.forEach(function (a) { a.correct = false; });
        letters.forEach(function (letter) {
          var hit = cur.answers.filter(function (a) { return a.letter === letter; });
          if (!hit.length) throw new QuizError('"ANSWER:" names an answer the question does not have', l.text, l.number);
          hit[0].correct = true;
        });
        cur.closed = true;
        continue;
      }

      var s = /^\*?\s*=(.*)$/.exec(t);
      if (s) {
        if (cur.answers.length)
          throw new QuizError('a short answer ("=") in a question with lettered answers', l.text, l.number);
        if (s[1].trim() === '') throw new QuizError('an empty short answer', l.text, l.number);
        cur.accepted.push(s[1].trim());
        continue;
      }

      var a = parseAnswer(t);
      if (a) {
        if (cur.accepted.length)
          throw new QuizError('a lettered answer in a short-answer question', l.text, l.number);
        if (a.text === '') throw new QuizError('an answer without text', l.text, l.number);
        a.feedback = '';
        cur.answers.push(a);
        cur.last = a;
        continue;
      }

      if (cur.answers.length || cur.accepted.length) { finish(); open(l); continue; }
      cur.text += '\n' + t;
    }
    finish();
    if (!questions.length) throw new QuizError('the test has no questions', '', 0);
    return questions;
  }

  // One question's response: an answer index (single), an array of indexes
  // (multiple) or the typed text (short). No response is a wrong one.
  function isRight(q, response) {
    if (q.kind === 'short') {
      if (typeof response !== 'string') return false;
      var k = shortKey(response);
      return q.accepted.some(function (x) { return shortKey(x) === k; });
    }
    var chosen = q.kind === 'single' ? (response === null || response === undefined ? [] : [response]) : (response || []);
    if (q.kind === 'single' && chosen.length !== 1) return false;
    var want = [];
    q.answers.forEach(function (a, i) { if (a.correct) want.push(i); });
    if (chosen.length !== want.length) return false;
    return want.every(function (i) { return chosen.indexOf(i) >= 0; });
  }

  function score(questions, responses) {
    var right = questions.map(function (q, i) { return isRight(q, responses[i]); });
    return { right: right, score: right.filter(Boolean).length, total: questions.length };
  }

  // ---- answers in a learner's own order (--shuffle) ------------------------

  // An answer whose text refers to the other answers keeps its place: "all
  // of the above", "none of these", "both", "neither", their Russian forms,
  // or one that names other answers by their letters ("a and b", "а и в").
  var REFERS = new RegExp('\\b(above|below|these|the others?|both|neither)\\b|' +
    '(вышеперечисл|перечисленн|приведенн|приведённ|указанн|ни один из|ничего из|все ответы|все варианты|(^|[^а-яё])(оба|обе|ни то)(?![а-яё]))', 'i');
  var LETTERS = /^[A-Za-z\u0410-\u044f\u0401\u0451]\)?(\s*(,|and|or|&|и|или)\s*[A-Za-z\u0410-\u044f\u0401\u0451]\)?)+$/i;

  function namesLetters(answer) {
    return LETTERS.test(answer.text.replace(/\s+/g, ' ').trim());
  }
  function anchored(answer) {
    return REFERS.test(answer.text) || namesLetters(answer);
  }

  // A small seeded generator (mulberry32) and a string's hash for its seed:
  // the same learner, test and question always give the same order.
  function hash(s) {
    var h = 2166136261;
    for (var i = 0; i < s.length; i++) h = Math.imul(h ^ s.charCodeAt(i), 16777619);
    return h >>> 0;
  }
  function generator(seed) {
    var a = seed >>> 0;
    return function () {
      a = (a + 0x6d2b79f5) >>> 0;
      var t = Math.imul(a ^ (a >>> 15), 1 | a);
      t = (t + Math.imul(t ^ (t >>> 7), 61 | t)) ^ t;
      return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
    };
  }

  // The order in which a question's answers are shown, as indexes of its
  // answers: those that refer to the others where the author put them, the
  // rest shuffled around them by `key` (the learner's seed, the test and
  // the question).
  function order(q, key) {
    var all = q.answers.map(function (a, i) { return i; });
    var free = all.filter(function (i) { return !anchored(q.answers[i]); });
    var random = generator(hash(String(key)));
    for (var i = free.length - 1; i > 0; i--) {
      var j = Math.floor(random() * (i + 1));
      var x = free[i]; free[i] = free[j]; free[j] = x;
    }
    var k = 0;
    return all.map(function (i) { return anchored(q.answers[i]) ? i : free[k++]; });
  }

  // The whole data file: title and questions, or a QuizError.
  function load(text) {
    var section = extractSection(text);
    return { title: section.title, questions: parse(section.lines) };
  }

  return { QuizError: QuizError, extractSection: extractSection, parse: parse, load: load,
           isRight: isRight, score: score, anchored: anchored, namesLetters: namesLetters,
           order: order };
})();
if (typeof module !== 'undefined' && module.exports) module.exports = RdQuiz;
