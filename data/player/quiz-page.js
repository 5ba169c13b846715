// The test page: loads its data file, shows the questions, checks the answers.
(function () {
  'use strict';
  // The test page names its data file; the template itself names none.
  var DATA_FILE = typeof window.RD_DATA_FILE === 'string' ? window.RD_DATA_FILE : '%';

  var STRINGS = {
    en: { loading: 'Loading the test...', check: 'Check', reset: 'Try again', right: 'Right', wrong: 'Wrong',
          score: function (s, t) { return 'Score: ' + s + ' of ' + t; },
          noFile: 'This page is the test template; it has no test data file.',
          loadFailed: 'The test data file could not be read: ',
          parseFailed: 'The test cannot be shown: ', atLine: 'line ', answer: 'Answer' },
    ru: { loading: 'Загрузка теста...', check: 'Проверить', reset: 'Ещё раз', right: 'Верно', wrong: 'Неверно',
          score: function (s, t) { return 'Результат: ' + s + ' из ' + t; },
          noFile: 'Это шаблон теста; у него нет файла с вопросами.',
          loadFailed: 'Не удалось прочитать файл теста: ',
          parseFailed: 'Тест не может быть показан: ', atLine: 'строка ', answer: 'Ответ' }
  };
  var courseLang = RdCommon.courseLanguage();
  var ui = RdCommon.texts(STRINGS, courseLang);
  var T = ui.T;
  document.documentElement.lang = courseLang;

  var $ = function (id) { return document.getElementById(id); };
  var status = $('quiz-status');
  var form = $('quiz-form');
  var questions = [];

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

  function render() {
    var box = $('quiz-questions');
    box.textContent = '';
    questions.forEach(function (q, qi) {
      var fs = el('fieldset', 'question');
      fs.setAttribute('data-kind', q.kind);
      fs.appendChild(el('legend', '', (qi + 1) + '. ' + q.text));
      var name = 'q' + (qi + 1);
      if (q.kind === 'short') {
        var lab = el('label');
        var input = el('input');
        input.type = 'text';
        input.name = name;
        input.autocomplete = 'off';
        input.setAttribute('aria-label', T.answer);
        lab.appendChild(input);
        fs.appendChild(lab);
      } else {
        q.answers.forEach(function (a, ai) {
          var lab = el('label');
          var input = el('input');
          input.type = q.kind === 'single' ? 'radio' : 'checkbox';
          input.name = name;
          input.value = String(ai);
          input.setAttribute('data-letter', a.letter);
          lab.appendChild(input);
          lab.appendChild(el('span', 'letter', a.letter + ')'));
          lab.appendChild(el('span', 'text', a.text));
          fs.appendChild(lab);
        });
      }
      fs.appendChild(el('p', 'verdict'));
      box.appendChild(fs);
    });
  }

  function responses() {
    return questions.map(function (q, qi) {
      var inputs = form.querySelectorAll('[name="q' + (qi + 1) + '"]');
      if (q.kind === 'short') return inputs[0].value;
      var chosen = [];
      Array.prototype.forEach.call(inputs, function (i) { if (i.checked) chosen.push(Number(i.value)); });
      return q.kind === 'single' ? (chosen.length ? chosen[0] : null) : chosen;
    });
  }

  function clearMarks() {
    Array.prototype.forEach.call(form.querySelectorAll('.question'), function (fs) {
      fs.classList.remove('right', 'wrong');
      fs.querySelector('.verdict').textContent = '';
    });
    $('quiz-result').textContent = '';
  }

  // The player keeps the learner's answers and results (and reports them to
  // an LMS); messages reach it wherever the page was opened from.
  function tellPlayer(message) {
    if (window.parent !== window) window.parent.postMessage(message, '*');
  }

  function showResult(answers) {
    var result = RdQuiz.score(questions, answers);
    Array.prototype.forEach.call(form.querySelectorAll('.question'), function (fs, i) {
      fs.classList.remove('right', 'wrong');
      fs.classList.add(result.right[i] ? 'right' : 'wrong');
      fs.querySelector('.verdict').textContent = result.right[i] ? T.right : T.wrong;
    });
    $('quiz-result').textContent = T.score(result.score, result.total);
    return result;
  }

  // The answers given last time, as responses() gave them, back in the form.
  function restore(answers) {
    if (!Array.isArray(answers) || answers.length !== questions.length) return;
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
    showResult(responses());
  }

  window.addEventListener('message', function (ev) {
    var m = ev.data;
    if (ev.source !== window.parent || !m || m.rd !== 'quiz-restore' || m.data !== DATA_FILE) return;
    restore(m.answers);
  });

  form.addEventListener('submit', function (ev) {
    ev.preventDefault();
    var answers = responses();
    var result = showResult(answers);
    tellPlayer({ rd: 'quiz-result', data: DATA_FILE, answers: answers, right: result.right });
  });
  form.addEventListener('change', clearMarks);
  $('quiz-reset').addEventListener('click', function () { form.reset(); clearMarks(); });
  $('quiz-check').textContent = T.check;
  $('quiz-reset').textContent = T.reset;
  if (ui.lang !== courseLang.split('-')[0].toLowerCase()) {
    $('quiz-check').lang = ui.lang;
    $('quiz-reset').lang = ui.lang;
  }

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
    if (window.parent !== window) $('quiz-title').className = 'for-readers';
    if (quiz.title) document.title = quiz.title;
    status.textContent = '';
    render();
    form.hidden = false;
    tellPlayer({ rd: 'quiz-ready', data: DATA_FILE, count: questions.length });
  }).catch(function (err) {
    fail(T.loadFailed + DATA_FILE + ' (' + err.message + ')');
  });
})();
