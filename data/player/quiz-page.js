// The test page: loads its data file, shows the questions, checks the
// answers, and after a check says what was right, shows the author's
// feedback and (unless the course hides them) the correct answers. In the
// player it keeps the learner's attempts and order of answers through it.
(function () {
  'use strict';
  // The test page names its data file; the template itself names none.
  var DATA_FILE = typeof window.RD_DATA_FILE === 'string' ? window.RD_DATA_FILE : '%';

  var STRINGS = {
    en: { loading: 'Loading the test...', check: 'Check', reset: 'Try again', right: 'Right', wrong: 'Wrong',
          score: function (s, t) { return 'Score: ' + s + ' of ' + t; },
          noFile: 'This page is the test template; it has no test data file.',
          loadFailed: 'The test data file could not be read: ',
          parseFailed: 'The test cannot be shown: ', atLine: 'line ', answer: 'Answer',
          correct: 'correct answer', correctShort: 'Correct answer: ', yourPick: 'your answer',
          answerFirst: 'Choose or type an answer first: nothing was checked.',
          unanswered: function (n) {
            return (n === 1 ? '1 question has' : n + ' questions have') +
              ' no answer: a check uses one of your attempts. Check again to check them as they are.';
          },
          attemptsLeft: function (n) { return n === 1 ? '1 attempt left.' : n + ' attempts left.'; },
          locked: function (s, t) { return 'No attempts left. Your best attempt counts: ' + s + ' of ' + t + '.'; } },
    ru: { loading: 'Загрузка теста...', check: 'Проверить', reset: 'Ещё раз', right: 'Верно', wrong: 'Неверно',
          score: function (s, t) { return 'Результат: ' + s + ' из ' + t; },
          noFile: 'Это шаблон теста; у него нет файла с вопросами.',
          loadFailed: 'Не удалось прочитать файл теста: ',
          parseFailed: 'Тест не может быть показан: ', atLine: 'строка ', answer: 'Ответ',
          correct: 'правильный ответ', correctShort: 'Правильный ответ: ', yourPick: 'ваш ответ',
          answerFirst: 'Сначала выберите или введите ответ: проверять нечего.',
          unanswered: function (n) {
            return 'Вопросов без ответа: ' + n + '. Проверка расходует попытку. ' +
              'Нажмите «Проверить» ещё раз, чтобы проверить ответы как есть.';
          },
          attemptsLeft: function (n) { return 'Осталось попыток: ' + n + '.'; },
          locked: function (s, t) { return 'Попыток больше нет. Засчитана лучшая: ' + s + ' из ' + t + '.'; } }
  };
  var courseLang = RdCommon.courseLanguage();
  var ui = RdCommon.texts(STRINGS, courseLang);
  var T = ui.T;
  document.documentElement.lang = courseLang;

  // The course's quiz settings (course.js), the defaults without one.
  var course = window.rdCourse || {};
  var hideAnswers = course.hideAnswers === true;
  var limit = course.attempts > 0 && course.attempts % 1 === 0 ? course.attempts : 0;
  var shuffle = course.shuffle === true;

  var $ = function (id) { return document.getElementById(id); };
  var status = $('quiz-status');
  var form = $('quiz-form');
  var questions = [];
  var used = 0;         // attempts checked so far
  var best = null;      // the best attempt's { score, total }
  var seed = null;      // the learner's order of answers, from the player
  var confirming = false;  // told that questions have no answer: the next check goes through
  // The answers the form shows checked: checking them again unchanged (a
  // double click, Check after a resume) would take an attempt and tell the
  // LMS of the same answers twice.
  var checked = null;
  var inPlayer = window.parent !== window;

  function fail(text, line) {
    status.textContent = text;
    status.className = 'error';
    $('quiz-error-line').textContent = line || '';
    form.hidden = true;
  }

  function el(tag, cls, text) {
    var e = document.createElement(tag);
    if (cls) e.className = cls;
    if (text !== undefined) e.textContent = text;
    return e;
  }

  // Said, not shown: what a mark means to a screen reader.
  function said(text) {
    return el('span', 'for-readers', text);
  }

  // The author's letters stay beside the answers unless they are shown in
  // a shuffled order which no answer refers to by letter.
  function choice(q, ai, name, letters) {
    var a = q.answers[ai];
    var lab = el('label');
    lab.setAttribute('data-answer', String(ai));
    var input = el('input');
    input.type = q.kind === 'single' ? 'radio' : 'checkbox';
    input.name = name;
    input.value = String(ai);
    input.setAttribute('data-letter', a.letter);
    lab.appendChild(input);
    if (letters) lab.appendChild(el('span', 'letter', a.letter + ')'));
    lab.appendChild(el('span', 'text', a.text));
    var mark = el('span', 'mark');
    mark.setAttribute('aria-hidden', 'true');
    lab.appendChild(mark);
    lab.appendChild(said(''));
    return lab;
  }

  function render() {
    var box = $('quiz-questions');
    box.textContent = '';
    questions.forEach(function (q, qi) {
      var fs = el('fieldset', 'question');
      fs.setAttribute('data-kind', q.kind);
      fs.dir = 'auto';  // a question in a right-to-left script reads from the right
      fs.appendChild(el('legend', '', (qi + 1) + '. ' + q.text));
      var name = 'q' + (qi + 1);
      if (q.kind === 'short') {
        var lab = el('label');
        var input = el('input');
        input.type = 'text';
        input.name = name;
        input.autocomplete = 'off';
        input.dir = 'auto';
        input.setAttribute('aria-label', T.answer);
        lab.appendChild(input);
        fs.appendChild(lab);
      } else {
        var shown = shuffle && seed !== null ? RdQuiz.order(q, seed + ':' + DATA_FILE + ':' + qi)
          : q.answers.map(function (a, i) { return i; });
        var letters = !shuffle || seed === null || q.answers.some(RdQuiz.namesLetters);
        shown.forEach(function (ai) { fs.appendChild(choice(q, ai, name, letters)); });
      }
      fs.appendChild(el('p', 'verdict'));
      fs.appendChild(el('div', 'feedback'));
      box.appendChild(fs);
    });
  }

  function responses() {
    return questions.map(function (q, qi) {
      var inputs = form.querySelectorAll('[name="q' + (qi + 1) + '"]');
      if (q.kind === 'short') return inputs[0].value;
      var chosen = [];
      Array.prototype.forEach.call(inputs, function (i) { if (i.checked) chosen.push(Number(i.value)); });
      chosen.sort(function (a, b) { return a - b; });
      return q.kind === 'single' ? (chosen.length ? chosen[0] : null) : chosen;
    });
  }

  function clearMarks() {
    Array.prototype.forEach.call(form.querySelectorAll('.question'), function (fs) {
      fs.classList.remove('right', 'wrong');
      fs.querySelector('.verdict').textContent = '';
      fs.querySelector('.feedback').textContent = '';
      Array.prototype.forEach.call(fs.querySelectorAll('label[data-answer]'), function (lab) {
        lab.classList.remove('correct', 'picked');
        lab.querySelector('.for-readers').textContent = '';
      });
    });
    $('quiz-result').textContent = '';
  }

  // The player keeps the learner's answers and results (and reports them to
  // an LMS); messages reach it wherever the page was opened from.
  function tellPlayer(message) {
    if (inPlayer) window.parent.postMessage(message, '*');
  }

  // With a limit, the correct answers wait until no attempt is left, so
  // that the attempts mean something.
  function answersShown() {
    return !hideAnswers && (!limit || used >= limit);
  }

  function markQuestion(fs, q, answer, right) {
    fs.classList.add(right ? 'right' : 'wrong');
    fs.querySelector('.verdict').textContent = right ? T.right : T.wrong;
    var notes = fs.querySelector('.feedback');
    var chosen = q.kind === 'single' ? [answer] : Array.isArray(answer) ? answer : [];
    Array.prototype.forEach.call(fs.querySelectorAll('label[data-answer]'), function (lab) {
      var a = q.answers[Number(lab.getAttribute('data-answer'))];
      var picked = chosen.indexOf(Number(lab.getAttribute('data-answer'))) >= 0;
      var correct = a.correct && answersShown();
      lab.classList.toggle('picked', picked);
      lab.classList.toggle('correct', correct);
      var words = [picked ? T.yourPick : '', correct ? T.correct : ''].filter(Boolean).join(', ');
      lab.querySelector('.for-readers').textContent = words ? ' (' + words + ')' : '';
      if (picked && a.feedback) notes.appendChild(el('p', '', a.feedback));
    });
    if (q.kind === 'short' && answersShown()) notes.appendChild(el('p', 'correct-short', T.correctShort + q.accepted[0]));
    if (q.feedback) notes.appendChild(el('p', '', q.feedback));
  }

  function showResult(answers) {
    var result = RdQuiz.score(questions, answers);
    clearMarks();
    Array.prototype.forEach.call(form.querySelectorAll('.question'), function (fs, i) {
      markQuestion(fs, questions[i], answers[i], result.right[i]);
    });
    resultLine(result.score, result.total);
    return result;
  }

  // The score of the attempt shown, and the attempts left.
  function resultLine(score, total) {
    var line = T.score(score, total);
    if (limit && used >= limit && best) line = T.locked(best.score, best.total);
    else if (limit) line += '. ' + T.attemptsLeft(limit - used);
    $('quiz-result').textContent = line;
  }

  // No attempt left: the form shows the best attempt and takes no more.
  function lockIfDone() {
    var locked = limit > 0 && used >= limit;
    var focused = form.contains(document.activeElement);
    form.classList.toggle('locked', locked);
    Array.prototype.forEach.call(form.querySelectorAll('input, button'), function (i) { i.disabled = locked; });
    // The check that took the last attempt goes from under the keyboard:
    // the focus goes to the result it gave, not out of the page.
    if (locked && focused) {
      $('quiz-result').tabIndex = -1;
      $('quiz-result').focus();
    }
  }

  function setAnswers(answers) {
    questions.forEach(function (q, qi) {
      var a = answers[qi];
      var inputs = form.querySelectorAll('[name="q' + (qi + 1) + '"]');
      if (q.kind === 'short') {
        inputs[0].value = typeof a === 'string' ? a : '';
        return;
      }
      var chosen = q.kind === 'single' ? [a] : Array.isArray(a) ? a : [];
      Array.prototype.forEach.call(inputs, function (input) {
        input.checked = chosen.indexOf(Number(input.value)) >= 0;
      });
    });
  }

  // What the player kept: the learner's order of answers, the attempts
  // used, the best one's score and its answers (or the last ones), and the
  // answers given since and not checked, shown as they were left.
  function restore(m) {
    var reorder = typeof m.seed === 'string' && seed === null;
    if (reorder) seed = m.seed;
    if (!shownYet) shown();
    else if (reorder && shuffle) render();
    if (m.used >= 0) used = Math.floor(m.used);
    if (m.best && m.best.total === questions.length) best = { score: m.best.score, total: m.best.total };
    if (Array.isArray(m.draft) && m.draft.length === questions.length && !(limit && used >= limit)) {
      setAnswers(m.draft);
    } else if (Array.isArray(m.answers) && m.answers.length === questions.length) {
      setAnswers(m.answers);
      showResult(responses());
      checked = JSON.stringify(responses());
    } else if (best) {
      // Taken, its answers not kept (a record short of space): the score
      // is all there is to show.
      resultLine(best.score, best.total);
    }
    lockIfDone();
  }

  window.addEventListener('message', function (ev) {
    var m = ev.data;
    if (ev.source !== window.parent || !m || m.rd !== 'quiz-restore' || m.data !== DATA_FILE) return;
    restore(m);
  });

  // Said below the buttons, which may be at the window's foot: brought
  // into sight.
  function inSight() {
    if ($('quiz-result').scrollIntoView) $('quiz-result').scrollIntoView({ block: 'nearest' });
  }

  function warn(text) {
    $('quiz-result').textContent = text;
    inSight();
  }

  form.addEventListener('submit', function (ev) {
    ev.preventDefault();
    var answers = responses();
    if ((limit && used >= limit) || JSON.stringify(answers) === checked) return;
    var blank = answers.filter(function (a) { return a === null || a === '' || (Array.isArray(a) && !a.length); });
    // A check with no answer at all is a stray click: it costs no attempt
    // and shows no correct answers.
    if (blank.length === answers.length) {
      clearMarks();
      warn(T.answerFirst);
      return;
    }
    // One with a question left unanswered (Enter in a short answer, say)
    // would take an attempt of a few: it asks first, and the next check
    // with the same answers goes through.
    if (limit && blank.length && !confirming) {
      clearMarks();
      confirming = true;
      warn(T.unanswered(blank.length));
      return;
    }
    confirming = false;
    checked = JSON.stringify(answers);
    used++;
    var result = RdQuiz.score(questions, answers);
    if (!best || result.score >= best.score) best = { score: result.score, total: result.total };
    // The check that takes the last attempt hands the focus to its result
    // (lockIfDone), which is read as it is focused: no longer a live
    // region, it is not said a second time.
    if (limit && used >= limit && form.contains(document.activeElement)) $('quiz-result').removeAttribute('role');
    showResult(answers);
    // The verdicts and feedback it adds above push the check and its score
    // down, out of the window in a long test: they are brought back.
    inSight();
    lockIfDone();
    tellPlayer({ rd: 'quiz-result', data: DATA_FILE, answers: answers, right: result.right });
  });
  // Answers not checked yet go to the player too: a test left half done
  // is found as it was left.
  function draft() {
    tellPlayer({ rd: 'quiz-draft', data: DATA_FILE, answers: responses() });
  }
  // The player asks for them as it goes away or is hidden: a text field
  // tells its change only once it loses the focus, and a reload or a
  // phone switching apps does not take it away.
  window.rdQuizDraft = function () {
    var answers = responses();
    return shownYet && !form.classList.contains('locked') && JSON.stringify(answers) !== checked
      ? { rd: 'quiz-draft', data: DATA_FILE, answers: answers } : null;
  };
  // A page from disk may not be asked: as it goes away it could tell the
  // player nothing that arrives, so what is typed is told as it is typed,
  // for the player to keep only if the page goes away before a change.
  form.addEventListener('input', function () {
    var m = window.rdQuizDraft();
    tellPlayer({ rd: 'quiz-typing', data: DATA_FILE, answers: m ? m.answers : null });
  });
  form.addEventListener('change', function () {
    if (form.classList.contains('locked')) return;
    confirming = false;
    checked = null;
    clearMarks();
    draft();
  });
  $('quiz-reset').addEventListener('click', function () {
    form.reset();
    confirming = false;
    checked = null;
    clearMarks();
    draft();
  });
  $('quiz-check').textContent = T.check;
  $('quiz-reset').textContent = T.reset;
  if (ui.lang !== courseLang.split('-')[0].toLowerCase()) {
    $('quiz-check').lang = ui.lang;
    $('quiz-reset').lang = ui.lang;
  }

  // The form shows once its answers are in their order: at once, or with
  // shuffled answers in the player once it said the learner's order (or
  // after a while without an answer, in the author's order).
  var shownYet = false;
  function shown() {
    if (shownYet) return;
    shownYet = true;
    if (!questions.length) return;
    render();
    status.textContent = '';
    form.hidden = false;
  }

  // Which page this is, as a content page says it: the player may not
  // read a frame's address from disk, and the browser's Back or Forward
  // may bring the test back into it.
  tellPlayer({ rd: 'page', file: decodeURIComponent(location.pathname.split('/').pop()) });

  if (DATA_FILE.charAt(0) === '%') {
    fail(T.noFile);
    return;
  }
  status.textContent = T.loading;
  RdCommon.readText(DATA_FILE, 'windows-1251').then(function (text) {
    var quiz;
    try {
      quiz = RdQuiz.load(text);
    } catch (e) {
      if (!(e instanceof RdQuiz.QuizError)) throw e;
      fail(T.parseFailed + e.message, e.lineNumber ? T.atLine + e.lineNumber + ': ' + e.line : e.line);
      return;
    }
    questions = quiz.questions;
    $('quiz-title').textContent = quiz.title;
    // In the player, whose bar names the page already, the title stays for
    // screen readers only.
    if (inPlayer) $('quiz-title').className = 'for-readers';
    if (quiz.title) document.title = quiz.title;
    if (!shuffle || !inPlayer) shown();
    else setTimeout(shown, 1500);
    tellPlayer({ rd: 'quiz-ready', data: DATA_FILE, count: questions.length });
  }).catch(function (err) {
    fail(T.loadFailed + DATA_FILE + ' (' + err.message + ')');
  });
})();
