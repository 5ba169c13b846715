// Course player: the course's title and author (course.js), the table of
// contents from pvomanifest.htm (outline.js) with the pages seen and the
// tests passed, the content frame, previous/next, the results page, the
// target of the pages' reference links, and the learner's progress
// (tracking.js) kept by an LMS or the browser. Plain script, no framework
// and no network beyond the package's own files.
(function () {
  'use strict';
  var STRINGS = {
    en: {
      skip: 'Skip to the page', contents: 'Contents', previous: 'Previous', next: 'Next', exit: 'Exit',
      page: 'Course page', course: 'Course', progress: 'Progress', results: 'Results',
      loadFailed: 'The table of contents (pvomanifest.htm) could not be read. Open the course from a web server or a learning management system.',
      empty: 'This course has no pages.',
      unknownRef: 'No page with the reference ',
      notRecorded: 'The learning management system is not recording your progress: close the course and open it from there again.',
      openElsewhere: 'This course is open in another tab or window, which records your progress: go on there. Nothing done here is recorded.',
      test: 'Test', answered: ' (answered)', seen: ' (seen)', passed: 'passed', notPassed: 'not passed yet',
      progressText: function (n) { return n + '% of the course done'; },
      welcome: 'Welcome back',
      whereYouWere: function (t) { return 'You were at \u201c' + t + '\u201d.'; },
      continueWhere: 'Continue where you left off', startOver: 'Go to the first page',
      courseChanged: 'The course has changed since your last visit: the pages you had seen are no longer marked, and your place is not kept. Your test results are kept.',
      courseStatus: function (s) { return 'Course status: ' + s; },
      statusWord: { passed: 'passed', failed: 'not passed', completed: 'completed', incomplete: 'not finished yet' },
      overall: function (r, t, p) { return 'All tests together: ' + r + ' of ' + t + ' answers right (' + p + '%).'; },
      passMark: function (m) { return 'Pass mark: ' + m + '% of all answers right.'; },
      noTests: 'This course has no tests.',
      colTest: 'Test', colScore: 'Score', colState: 'State', colGo: 'Go to',
      score: function (r, t, p) { return r + ' of ' + t + ' (' + p + '%)'; },
      notTaken: 'not taken yet', cannotTake: 'cannot be taken',
      retake: function (t) { return 'Go to \u201c' + t + '\u201d'; },
      noAttemptsLeft: 'no attempts left',
      unseen: function (n) { return (n === 1 ? '1 page not seen yet:' : n + ' pages not seen yet, the first:'); }
    },
    ru: {
      skip: 'Перейти к странице', contents: 'Содержание', previous: 'Назад', next: 'Далее', exit: 'Выйти',
      page: 'Страница курса', course: 'Курс', progress: 'Прогресс', results: 'Результаты',
      loadFailed: 'Не удалось прочитать содержание курса (pvomanifest.htm). Откройте курс через веб-сервер или систему дистанционного обучения.',
      empty: 'В курсе нет страниц.',
      unknownRef: 'Нет страницы со ссылкой ',
      notRecorded: 'Система обучения не сохраняет ваш прогресс: закройте курс и откройте его из неё заново.',
      openElsewhere: 'Курс открыт в другой вкладке или окне, и прогресс сохраняется там: продолжайте в ней. Здесь ничего не сохраняется.',
      test: 'Тест', answered: ' (пройден)', seen: ' (просмотрено)', passed: 'сдан', notPassed: 'ещё не сдан',
      progressText: function (n) { return 'Курс пройден на ' + n + '%'; },
      welcome: 'С возвращением',
      whereYouWere: function (t) { return 'Вы остановились на странице \u00ab' + t + '\u00bb.'; },
      continueWhere: 'Продолжить с того же места', startOver: 'Перейти к первой странице',
      courseChanged: 'Курс изменился с вашего прошлого посещения: отметки о просмотренных страницах и место, где вы остановились, не сохранились. Результаты тестов сохранены.',
      courseStatus: function (s) { return 'Состояние курса: ' + s; },
      statusWord: { passed: 'сдан', failed: 'не сдан', completed: 'пройден', incomplete: 'ещё не завершён' },
      overall: function (r, t, p) { return 'Все тесты вместе: верных ответов ' + r + ' из ' + t + ' (' + p + '%).'; },
      passMark: function (m) { return 'Проходной балл: ' + m + '% верных ответов.'; },
      noTests: 'В курсе нет тестов.',
      colTest: 'Тест', colScore: 'Результат', colState: 'Состояние', colGo: 'Перейти',
      score: function (r, t, p) { return r + ' из ' + t + ' (' + p + '%)'; },
      notTaken: 'ещё не выполнен', cannotTake: 'не может быть выполнен',
      retake: function (t) { return 'Перейти к \u00ab' + t + '\u00bb'; },
      noAttemptsLeft: 'попыток больше нет',
      unseen: function (n) { return n === 1 ? 'Одна страница ещё не просмотрена:' : 'Ещё не просмотрено страниц: ' + n + ', первая из них:'; }
    }
  };
  // The course's language is the page's; the interface speaks it when it
  // can, and says so where it cannot.
  var courseLang = RdCommon.courseLanguage();
  var ui = RdCommon.texts(STRINGS, courseLang);
  var T = ui.T;
  var foreign = ui.lang !== courseLang.split('-')[0].toLowerCase();
  var course = window.rdCourse || {};

  var entries = [];
  var order = [];      // entries that have a file, in outline order
  var tests = [];      // the test entries, in outline order
  var current = -1;    // the entry shown; order.length: the results page
  var tocLinks = [];
  var noticeTimer = null;
  var tracker = null;
  var questions = {};  // each test's questions, by the number of its data file
  var shownAt = {};    // when each test was shown, for the time to answer it
  var typed = null;    // the draft a test page from disk told as it was typed
  var startedAt = Date.now();

  var $ = function (id) { return document.getElementById(id); };
  var content = $('content');
  var panel = $('panel');
  var narrow = window.matchMedia ? window.matchMedia('(max-width: 43.75em)') : { matches: false };

  document.documentElement.lang = courseLang;
  Array.prototype.forEach.call(document.querySelectorAll('[data-text]'), function (el) {
    el.textContent = T[el.getAttribute('data-text')];
    if (foreign) el.lang = ui.lang;
  });
  $('toc').setAttribute('aria-label', T.contents);
  // Named apart from the main part of the page it shows.
  $('page').setAttribute('aria-label', T.page);

  // The notice is a live region there from the start, empty between
  // notices: one shown and filled at once is not said by screen readers,
  // and the same words again while shown are not said twice.
  function notice(text, ms) {
    var n = $('notice');
    if (n.textContent !== text) n.textContent = text;
    clearTimeout(noticeTimer);
    noticeTimer = setTimeout(function () { n.textContent = ''; }, ms || 4000);
  }

  // ---- the header ------------------------------------------------------------

  // Title and author on lines of their own, from course.js; a package of
  // an older version has them only in header.htm, read as text.
  function header(title, author) {
    $('course-title').textContent = title || T.course;
    $('course-title').title = title;
    $('course-author').textContent = author;
    document.title = title || author || T.course;
  }
  if (typeof course.title === 'string' || typeof course.author === 'string') {
    header(String(course.title || ''), String(course.author || ''));
  } else {
    header('', '');
    RdCommon.readText('header.htm', 'windows-1251').then(function (html) {
      var doc = new DOMParser().parseFromString(html, 'text/html');
      header(doc.body ? doc.body.textContent.replace(/\s+/g, ' ').trim() : '', '');
    }).catch(function () { /* the title stays "Course" */ });
  }

  // ---- the contents ----------------------------------------------------------

  // On a phone the contents is a drawer over the page; elsewhere a column
  // that can be hidden.
  function setTocOpen(open, focus) {
    document.body.classList.toggle('toc-closed', !open);
    $('toc-toggle').setAttribute('aria-expanded', open ? 'true' : 'false');
    $('backdrop').hidden = !(open && narrow.matches);
    // The drawer over the page holds the keyboard: what lies behind it
    // cannot be reached until it closes.
    var behind = open && narrow.matches;
    ['top', 'prev', 'next', 'page'].forEach(function (id) {
      var e = $(id);
      if (e) e.inert = behind;
    });
    if (open) keepInSight($('toc').querySelector('[aria-current]'));
    if (!focus) return;
    if (open) {
      var here = $('toc').querySelector('[aria-current]') || $('toc').querySelector('a');
      if (here) here.focus();
    } else {
      $('toc-toggle').focus();
    }
  }

  function testKey(e) {
    return e.kind === 'test' ? RdTracking.Tracker.keyOf(e.data) : '';
  }

  function tocEntry(e) {
    var a = document.createElement('a');
    a.href = '#' + e.file;
    a.textContent = e.title || e.file;
    if (e.kind === 'test') a.title = T.test;
    // What the tick before it shows, said (a test's state, a page seen).
    var state = document.createElement('span');
    state.className = 'state-text';
    a.appendChild(state);
    var index = order.indexOf(e);
    a.addEventListener('click', function (ev) {
      ev.preventDefault();
      if (narrow.matches) setTocOpen(false);
      show(index);
    });
    tocLinks[index] = a;
    return a;
  }

  function buildToc() {
    var list = $('toc-list');
    list.textContent = '';
    tocLinks = [];
    entries.forEach(function (e) {
      var li = document.createElement('li');
      li.className = e.kind + (e.inChapter ? ' in-chapter' : '');
      li.setAttribute('data-item', e.item);
      li.dir = 'auto';  // a title in a right-to-left script reads from the right
      if (e.kind === 'chapter') {
        var span = document.createElement('span');
        span.className = 'chapter-title';
        span.textContent = e.title;
        li.appendChild(span);
      } else {
        li.appendChild(tocEntry(e));
      }
      list.appendChild(li);
    });
  }

  // Each page seen and each test answered or passed is marked in the
  // contents, by a symbol and in the link's name; the bar shows how far.
  function markProgress() {
    if (!tracker) return;
    order.forEach(function (e, i) {
      var a = tocLinks[i];
      if (!a) return;
      var li = a.parentNode;
      var key = testKey(e);
      var r = key ? tracker.testResult(key) : null;
      var seen = !key && tracker.seen(i);
      // A test its quiz page cannot show: the course cannot be completed
      // (the tracker's summary), and its line says the test cannot be taken.
      var unusable = !!key && tracker.totals[key] === 0;
      li.classList.toggle('unusable', unusable);
      li.classList.toggle('seen', seen);
      li.classList.toggle('done', !!key && tracker.answered(key));
      li.classList.toggle('passed', !!(r && r.passed));
      // Not passed, and no attempt left to pass it with: not "yet", as the
      // results say.
      var locked = !!(r && !r.passed && attemptLimit && r.attempts >= attemptLimit);
      a.querySelector('.state-text').textContent = unusable ? ' (' + T.cannotTake + ')' : seen ? T.seen
        : r ? ' (' + (r.passed ? T.passed : locked ? T.statusWord.failed : T.notPassed) + ')'
        : key && tracker.answered(key) ? T.answered : '';
    });
    RdPanels.progress(tracker, T);
  }

  // ---- what is shown -------------------------------------------------------

  // The contents keep the page shown in sight: a course opened at a late
  // page, or moved on past the contents' edge, shows where the learner is.
  function keepInSight(a) {
    if (!a || document.body.classList.contains('toc-closed')) return;
    var toc = $('toc'), box = toc.getBoundingClientRect(), at = a.getBoundingClientRect();
    if (at.top < box.top) toc.scrollTop -= box.top - at.top;
    else if (at.bottom > box.bottom) toc.scrollTop += at.bottom - box.bottom;
  }

  function mark(index) {
    current = index;
    var results = index === order.length;
    tocLinks.forEach(function (a, i) {
      if (i === index) a.setAttribute('aria-current', 'page');
      else a.removeAttribute('aria-current');
    });
    if (results) $('results-link').setAttribute('aria-current', 'page');
    else $('results-link').removeAttribute('aria-current');
    keepInSight(results ? $('results-link') : tocLinks[index]);
    $('prev').disabled = index <= 0;
    $('next').disabled = index < 0 || index >= order.length;
    $('where').textContent = index >= 0 && !results ? (index + 1) + ' / ' + order.length : '';
    var title = results ? T.results : index >= 0 ? order[index].title || order[index].file : '';
    // Said as it changes: the same title set again would be said again.
    if ($('page-title').textContent !== title) $('page-title').textContent = title;
    $('page-title').title = title;
    content.title = title || T.page;
    var hash = results ? 'results' : index >= 0 ? order[index].file : '';
    if (hash && history.replaceState) history.replaceState(null, '', '#' + hash);
    if (tracker && !results) tracker.showPage(index);
    markProgress();
    keepFocus();
  }

  function focusPage() {
    (content.hidden ? panel : content).focus();
  }

  // A control that goes from under the keyboard (Previous at the first
  // page, a link of the results or the welcome page, the drawer closing on
  // the page chosen) hands the focus on rather than dropping it: to Next
  // where Previous went out, else to the page.
  function keepFocus() {
    var at = document.activeElement;
    if (!at || at === document.body || !(at.disabled || !at.getClientRects().length)) return;
    if (at === $('prev') && !$('next').disabled) $('next').focus();
    else focusPage();
  }

  // The player's own page (results, welcome) in place of the frame. The
  // frame empties later: until then what the page in it says or loads is
  // not the browser's Back from the panel (see showing).
  var emptying = false;
  function showPanel(on) {
    panel.hidden = !on;
    content.hidden = on;
    emptying = on && content.hasAttribute('src');
    if (on) content.removeAttribute('src');
  }

  function show(index) {
    if (index === order.length) {
      showResults();
      return;
    }
    if (index < 0 || index >= order.length) return;
    showPanel(false);
    // The page first: tracking waits on the LMS, which may fail.
    content.src = order[index].file;
    mark(index);
  }

  function showResults() {
    if (!tracker) return;
    showPanel(true);
    mark(order.length);
    RdPanels.results(panel, tracker, tests, order, T, attemptLimit, function (e) { show(order.indexOf(e)); });
    panel.focus();
  }

  // Links inside a page may lead to another page of the course: keep the
  // contents and the buttons in step with whatever the frame shows.
  function showing(name) {
    for (var i = 0; i < order.length; i++) {
      if (order[i].file === name) {
        // The browser's Back from the results brings a page back into
        // the frame: it shows, not the results.
        if (!panel.hidden && i !== current) showPanel(false);
        if (i !== current) mark(i);
        return;
      }
    }
  }

  content.addEventListener('load', function () {
    var name;
    try {
      name = content.contentWindow.location.pathname.split('/').pop();
    } catch (e) {
      // From disk the page says which it is (see pageMessage), before it
      // has loaded; the frame's first load after emptying began is its
      // emptying (or a page that was loading), whatever comes after, the
      // browser's Back.
      emptying = false;
      return;
    }
    if (emptying) emptying = content.contentWindow.location.href !== 'about:blank';
    else if (name) showing(decodeURIComponent(name));
  });

  $('prev').addEventListener('click', function () { show(current - 1); });
  $('next').addEventListener('click', function () { show(current + 1); });
  $('results-link').addEventListener('click', function (ev) {
    ev.preventDefault();
    if (narrow.matches) setTocOpen(false);
    showResults();
  });
  $('toc-toggle').addEventListener('click', function () {
    setTocOpen(document.body.classList.contains('toc-closed'), narrow.matches);
  });
  $('backdrop').addEventListener('click', function () { setTocOpen(false, true); });
  document.addEventListener('keydown', function (ev) {
    if (ev.key === 'Escape' && narrow.matches && !document.body.classList.contains('toc-closed')) setTocOpen(false, true);
  });
  // Past the header and the contents, straight into the page: the drawer
  // over it, which keeps the keyboard from it, closes first.
  $('skip').addEventListener('click', function (ev) {
    ev.preventDefault();
    if (narrow.matches && !document.body.classList.contains('toc-closed')) setTocOpen(false);
    focusPage();
  });

  window.rdPlayer = {
    showRef: function (ref) {
      var e = RdPreview.findRef(entries, ref);
      if (!e) {
        notice(T.unknownRef + String(ref));
        return false;
      }
      show(order.indexOf(e));
      return false;
    },
    entries: function () { return entries.slice(); }
  };

  // ---- progress ------------------------------------------------------------

  // Where the progress is kept: the LRS when a cmi5 LMS launched the
  // course (its parameters are in the URL), else the LMS's SCORM runtime
  // (2004, else 1.2) when the course runs in one, else this browser's
  // storage for this course (all courses opened from disk share one
  // storage, so the key is the course's folder). A launch the LRS refuses
  // keeps the progress in the browser, says so on the console and tells
  // the learner.
  function localStore() {
    var storage = null;
    try { storage = window.localStorage; } catch (e) { storage = null; }
    if (!storage) storage = { getItem: function () { return null; }, setItem: function () {} };
    return new RdScorm.LocalStore(storage, 'raredozud:' + location.pathname.replace(/[^\/]*$/, ''));
  }

  function progressStore() {
    if (RdCmi5.launched(location.search)) {
      return RdCmi5.open('player/', courseLang).catch(function (e) {
        if (window.console) console.error('cmi5 launch failed: ' + (e && e.message ? e.message : e));
        notice(e && e.elsewhere ? T.openElsewhere : T.notRecorded, 20000);
        return localStore();
      });
    }
    var lms = RdScorm.connect(window);
    // A launch with some of cmi5's parameters, not all, was meant to be
    // recorded too.
    var lacking = RdCmi5.missing(location.search);
    if (lacking.length && window.console) console.error('cmi5 launch without ' + lacking.join(', '));
    // An LMS that is there but will not start a session (the course was
    // reloaded after its session ended, say) keeps nothing: the learner
    // is told, and the browser keeps the progress meanwhile.
    if (!lms && (lacking.length || RdScorm.findApi(window, RdScorm.SCORM2004) || RdScorm.findApi(window))) {
      notice(T.notRecorded, 20000);
    }
    return Promise.resolve(lms || localStore());
  }

  function passMark() {
    var m = Number(course.passMark);
    return m >= 0 && m <= 100 ? m : 80;
  }

  // A test is checked at most this often (0: no limit).
  var attemptLimit = course.attempts > 0 && course.attempts % 1 === 0 ? course.attempts : 0;

  // Every test's number of questions, for the score over all of them; a
  // test that cannot be read (0) keeps the course from completing.
  function countQuestions() {
    tests.forEach(function (e) {
      var key = testKey(e);
      if (!key) return;
      RdCommon.readText(e.data, 'windows-1251').then(function (text) {
        questions[key] = RdQuiz.load(text).questions;
        tracker.setTotal(key, questions[key].length);
      }).catch(function () { tracker.setTotal(key, 0); }).then(markProgress);
    });
  }

  // The pages talk to the player by message, which reaches it wherever they
  // were opened from (a page from disk may not call it). A page says which
  // it is and asks for reference links; a test page says what was answered
  // (checked, or not yet: a draft) and gets back what was kept: the
  // answers, the draft, the learner's order of answers, the attempts used
  // and the best one's score.
  function pageMessage(ev) {
    var m = ev.data;
    if (ev.source !== content.contentWindow || !m || typeof m !== 'object') return;
    if (m.rd === 'page') {
      if (emptying) return;
      showing(String(m.file));
      ev.source.postMessage({ rd: 'player' }, '*');
    } else if (m.rd === 'showref') {
      window.rdPlayer.showRef(String(m.ref));
    } else if (m.rd === 'quiz-typing') {
      typed = Array.isArray(m.answers) ? { rd: 'quiz-draft', data: m.data, answers: m.answers } : null;
    } else if (tracker && (m.rd === 'quiz-ready' || m.rd === 'quiz-result' || m.rd === 'quiz-draft')) {
      typed = null;
      testMessage(ev.source, m);
    }
  }

  function testMessage(page, m) {
    var key = RdTracking.Tracker.keyOf(m.data);
    if (!key) return;
    var r = tracker.testResult(key);
    if (m.rd === 'quiz-ready') {
      shownAt[key] = Date.now();
      page.postMessage({ rd: 'quiz-restore', data: m.data, answers: tracker.answers(key, Number(m.count)),
                         draft: tracker.draft(key, Number(m.count)),
                         seed: tracker.seed(), used: r && r.total === Number(m.count) ? r.attempts : 0,
                         best: r ? { score: r.right, total: r.total } : null }, '*');
      return;
    }
    if (!Array.isArray(m.answers) || (attemptLimit && r && r.attempts >= attemptLimit)) return;
    if (m.rd === 'quiz-draft') {
      tracker.keepDraft(key, m.answers);
      return;
    }
    var q = questions[key];
    var known = q && q.length === m.answers.length;
    var right = known ? RdQuiz.score(q, m.answers).right : Array.isArray(m.right) ? m.right.map(Boolean) : [];
    tracker.recordTest(key, right, m.answers, known ? q : null, (Date.now() - (shownAt[key] || Date.now())) / 1000);
    shownAt[key] = Date.now();
    markProgress();
  }

  function seconds() {
    return (Date.now() - startedAt) / 1000;
  }

  // The answers of the test shown that it has not told yet (typed in a
  // field that still has the focus), kept as its draft. A page from disk
  // may not be asked: what it told as it was typed stands in.
  function lastDraft() {
    var m = null;
    try {
      m = content.contentWindow.rdQuizDraft ? content.contentWindow.rdQuizDraft() : null;
    } catch (e) {
      var shown = order[current];
      m = typed && shown && testKey(shown) === RdTracking.Tracker.keyOf(typed.data) ? typed : null;
    }
    typed = null;
    if (m) testMessage(content.contentWindow, m);
  }

  function leave() {
    if (!tracker) return;
    lastDraft();
    tracker.finish(seconds());
  }

  window.addEventListener('message', pageMessage);
  window.addEventListener('pagehide', leave);
  window.addEventListener('beforeunload', leave);
  // A phone hides the page and may never unload it: save then.
  document.addEventListener('visibilitychange', function () {
    if (document.visibilityState !== 'hidden' || !tracker) return;
    lastDraft();
    tracker.suspend(seconds());
  });

  // Phone-sized: the buttons show icons only and the contents is a drawer
  // (player.css).
  function layout() {
    document.body.classList.toggle('narrow', narrow.matches);
    setTocOpen(!narrow.matches);
  }
  if (narrow.addEventListener) narrow.addEventListener('change', layout);
  layout();
  $('prev').disabled = true;
  $('next').disabled = true;

  // A return to a place other than the start asks first: on from there, or
  // from the beginning.
  function welcome(bookmark) {
    showPanel(true);
    current = -1;
    $('page-title').textContent = T.welcome;
    $('where').textContent = '';
    $('next').disabled = true;
    var go = RdPanels.welcome(panel, tracker, bookmark >= 0 ? order[bookmark] : null, T,
                              function () { show(bookmark); }, function () { show(0); });
    markProgress();
    go.focus();
  }

  // The page the address names, shown: false when it names none. An
  // address mangled by hand (a stray "%") names none rather than stopping
  // the course.
  function showAddressed() {
    var wanted;
    try {
      wanted = decodeURIComponent(location.hash.slice(1));
    } catch (e) {
      return false;
    }
    var at = wanted === 'results' ? order.length : -1;
    for (var i = 0; i < order.length; i++) if (order[i].file === wanted) at = i;
    if (at < 0) return false;
    if (at !== current) show(at);
    return true;
  }

  // An address changed by hand while the course is open goes there, as the
  // same address typed into a new tab would.
  window.addEventListener('hashchange', function () {
    if (tracker) showAddressed();
  });

  // An LMS that gave an address to return to (a cmi5 launch) gets its
  // learner back there once the session's end is recorded; a slow LRS is
  // waited for a few seconds at most.
  function exitTo(url) {
    var b = $('exit');
    b.hidden = false;
    b.addEventListener('click', function () {
      b.disabled = true;
      var late = new Promise(function (r) { setTimeout(r, 5000); });
      Promise.race([tracker.finish(seconds()), late]).then(function () { location.assign(url); });
    });
  }

  function start(store) {
    // In a frame of the LMS's page, its own page would open inside it:
    // the LMS around the course has its own way out.
    if (store.returnURL && window.top === window) exitTo(store.returnURL);
    // The LMS stopped keeping what it is told (a commit refused, the
    // LRS no longer taking the session's token).
    store.warn = function () { notice(T.notRecorded, 20000); };
    // A cmi5 launch that could not read the state keeps nothing of this
    // session (the state stays as it was): the learner, starting afresh,
    // is told.
    if (store.unread && store.normal) store.warn();
    tracker = new RdTracking.Tracker(store, {
      files: order.map(function (e) { return e.file; }), passMark: passMark()
    });
    countQuestions();
    // A link to a page of the course opens it; a return asks where to go on.
    if (showAddressed()) return;
    var bookmark = -1;
    for (var k = 0; k < order.length; k++) if (order[k].file === tracker.location) bookmark = k;
    if (bookmark > 0 || tracker.changed) welcome(bookmark);
    else show(0);
  }

  // Contents that could not be read, or hold no page, say so in them,
  // opened in any window (a phone's drawer would hide it); said in the frame
  // after they show, for a live region shown and filled at once is not said.
  function tocFailed(text) {
    $('toc-results').hidden = true;
    setTocOpen(true);
    requestAnimationFrame(function () {
      requestAnimationFrame(function () { $('toc-message').textContent = text; });
    });
  }

  RdCommon.readText('pvomanifest.htm', 'windows-1251').then(function (text) {
    entries = RdPreview.parse(text, course.files);
    order = entries.filter(function (e) { return e.file !== ''; });
    tests = order.filter(function (e) { return e.kind === 'test'; });
    buildToc();
    if (!order.length) {
      tocFailed(T.empty);
      return;
    }
    return progressStore().then(start);
  }).catch(function (err) {
    tocFailed(T.loadFailed);
    if (window.console) console.error(err);
  });
})();
