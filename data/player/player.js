// Course player: table of contents from pvomanifest.htm (outline.js), the
// content frame, previous/next, the target of the pages' reference links,
// and the learner's progress (tracking.js) kept by an LMS or the browser.
// Plain script, no framework and no network beyond the package's own files.
(function () {
  'use strict';
  var STRINGS = {
    en: {
      skip: 'Skip to the page', contents: 'Contents', previous: 'Previous', next: 'Next',
      header: 'Course title', page: 'Course page',
      loadFailed: 'The table of contents (pvomanifest.htm) could not be read. Open the course from a web server or a learning management system.',
      empty: 'This course has no pages.',
      unknownRef: 'No page with the reference ',
      test: 'Test', answered: ' (answered)', unusable: ' (cannot be taken)'
    },
    ru: {
      skip: 'Перейти к странице', contents: 'Содержание', previous: 'Назад', next: 'Далее',
      header: 'Название курса', page: 'Страница курса',
      loadFailed: 'Не удалось прочитать содержание курса (pvomanifest.htm). Откройте курс через веб-сервер или систему дистанционного обучения.',
      empty: 'В курсе нет страниц.',
      unknownRef: 'Нет страницы со ссылкой ',
      test: 'Тест', answered: ' (пройден)', unusable: ' (пройти нельзя)'
    }
  };
  // The course's language is the page's; the interface speaks it when it
  // can, and says so where it cannot.
  var courseLang = RdCommon.courseLanguage();
  var ui = RdCommon.texts(STRINGS, courseLang);
  var T = ui.T;
  var foreign = ui.lang !== courseLang.split('-')[0].toLowerCase();

  var entries = [];
  var order = [];      // entries that have a file, in outline order
  var current = -1;
  var tocLinks = [];
  var noticeTimer = null;
  var tracker = null;
  var questions = {};  // each test's questions, by the number of its data file
  var startedAt = Date.now();

  var $ = function (id) { return document.getElementById(id); };
  var content = $('content');
  var narrow = window.matchMedia ? window.matchMedia('(max-width: 700px)') : { matches: false };

  document.documentElement.lang = courseLang;
  Array.prototype.forEach.call(document.querySelectorAll('[data-text]'), function (el) {
    el.textContent = T[el.getAttribute('data-text')];
    if (foreign) el.lang = ui.lang;
  });
  Array.prototype.forEach.call(document.querySelectorAll('[data-title]'), function (el) {
    el.title = T[el.getAttribute('data-title')];
  });
  $('toc').setAttribute('aria-label', T.contents);
  // The tab names the course until the header page tells it more.
  var course = window.rdCourse || {};
  if (course.title) document.title = course.author ? course.title + ' \u2014 ' + course.author : course.title;

  function notice(text) {
    var n = $('notice');
    n.textContent = text;
    n.hidden = false;
    clearTimeout(noticeTimer);
    noticeTimer = setTimeout(function () { n.hidden = true; }, 4000);
  }

  function setTocOpen(open) {
    document.body.classList.toggle('toc-closed', !open);
    $('toc-toggle').setAttribute('aria-expanded', open ? 'true' : 'false');
  }

  function testKey(e) {
    return e.kind === 'test' ? RdTracking.Tracker.keyOf(e.data) : '';
  }

  function tocEntry(e) {
    var a = document.createElement('a');
    a.href = '#' + e.file;
    a.textContent = e.title || e.file;
    if (e.kind === 'test') {
      a.title = T.test;
      var done = document.createElement('span');
      done.className = 'done-text';
      done.textContent = T.answered;
      a.appendChild(done);
    }
    var index = order.indexOf(e);
    a.addEventListener('click', function (ev) {
      ev.preventDefault();
      show(index);
      if (narrow.matches) setTocOpen(false);
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

  // A test is marked done in the contents once it has been answered.
  function markAnswered() {
    order.forEach(function (e, i) {
      var key = testKey(e);
      if (key && tocLinks[i]) tocLinks[i].parentNode.classList.toggle('done', tracker.answered(key));
    });
  }

  function mark(index) {
    current = index;
    tocLinks.forEach(function (a, i) {
      if (!a) return;
      if (i === index) a.setAttribute('aria-current', 'page');
      else a.removeAttribute('aria-current');
    });
    $('prev').disabled = index <= 0;
    $('next').disabled = index < 0 || index >= order.length - 1;
    $('where').textContent = index >= 0 ? (index + 1) + ' / ' + order.length : '';
    var title = index >= 0 ? order[index].title || order[index].file : '';
    $('page-title').textContent = title;
    content.title = title || T.page;
    if (index >= 0 && history.replaceState) history.replaceState(null, '', '#' + order[index].file);
    if (tracker) tracker.showPage(index);
  }

  function show(index) {
    if (index < 0 || index >= order.length) return;
    mark(index);
    content.src = order[index].file;
  }

  // Links inside a page may lead to another page of the course: keep the
  // contents and the buttons in step with whatever the frame shows.
  function showing(name) {
    for (var i = 0; i < order.length; i++) {
      if (order[i].file === name) {
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
      return;  // from disk the page says which it is (see pageMessage)
    }
    showing(decodeURIComponent(name));
  });

  $('prev').addEventListener('click', function () { show(current - 1); });
  $('next').addEventListener('click', function () { show(current + 1); });
  $('toc-toggle').addEventListener('click', function () {
    setTocOpen(document.body.classList.contains('toc-closed'));
  });
  // Past the header and the contents, straight into the page.
  $('skip').addEventListener('click', function (ev) {
    ev.preventDefault();
    content.focus();
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

  // The header page is sized to its text: one or two lines of title and
  // author, whichever form it was written in. It may have loaded before
  // this script ran (it stands before the scripts in index.htm).
  function headerLoaded() {
    try {
      var frame = $('header');
      var doc = frame.contentDocument;
      var t = doc.body.textContent.replace(/\s+/g, ' ').trim();
      if (t) document.title = t;
      doc.documentElement.lang = courseLang;
      var range = doc.createRange();
      range.selectNodeContents(doc.body);
      var bottom = Math.ceil(range.getBoundingClientRect().bottom);
      if (bottom > 0) frame.style.height = Math.max(24, Math.min(bottom + 6, 200)) + 'px';
    } catch (e) { /* a header from elsewhere keeps the default size and title */ }
  }
  $('header').addEventListener('load', headerLoaded);
  try {
    var headerDoc = $('header').contentDocument;
    if (headerDoc && headerDoc.readyState === 'complete' && /header\.htm$/.test(headerDoc.URL)) headerLoaded();
  } catch (e) { /* a header it may not read: see above */ }

  // ---- progress ------------------------------------------------------------

  // The LMS's API when the course runs in one, else this browser's storage
  // for this course (all courses opened from disk share one storage, so the
  // key is the course's folder).
  function progressStore() {
    var api = RdTracking.findApi(window);
    if (api) {
      var lms = new RdTracking.LmsStore(api);
      if (lms.open) return lms;
    }
    var storage = null;
    try { storage = window.localStorage; } catch (e) { storage = null; }
    if (!storage) storage = { getItem: function () { return null; }, setItem: function () {} };
    return new RdTracking.LocalStore(storage, 'raredozud:' + location.pathname.replace(/[^\/]*$/, ''));
  }

  function passMark() {
    var m = window.rdCourse && Number(window.rdCourse.passMark);
    return m >= 0 && m <= 100 ? m : 80;
  }

  // Every test's number of questions, for the score over all of them. A
  // test that cannot be shown keeps the course from being completed (the
  // tracker's summary), and its line in the contents says so.
  function countQuestions() {
    order.forEach(function (e, i) {
      var key = testKey(e);
      if (!key) return;
      RdCommon.readText(e.data, 'windows-1251').then(function (text) {
        questions[key] = RdQuiz.load(text).questions;
        tracker.setTotal(key, questions[key].length);
      }).catch(function () {
        tracker.setTotal(key, 0);
        markUnusable(i);
      });
    });
  }

  function markUnusable(index) {
    var a = tocLinks[index];
    if (!a || a.parentNode.classList.contains('unusable')) return;
    a.parentNode.classList.add('unusable');
    var why = document.createElement('span');
    why.className = 'unusable-text';
    why.textContent = T.unusable;
    a.appendChild(why);
  }

  // The pages talk to the player by message, which reaches it wherever they
  // were opened from (a page from disk may not call it). A page says which
  // it is and asks for reference links; a test page says what was answered
  // and gets back what was answered last time.
  function pageMessage(ev) {
    var m = ev.data;
    if (ev.source !== content.contentWindow || !m || typeof m !== 'object') return;
    if (m.rd === 'page') {
      showing(String(m.file));
      ev.source.postMessage({ rd: 'player' }, '*');
    } else if (m.rd === 'showref') {
      window.rdPlayer.showRef(String(m.ref));
    } else if (tracker && (m.rd === 'quiz-ready' || m.rd === 'quiz-result')) {
      testMessage(ev.source, m);
    }
  }

  function testMessage(page, m) {
    var key = RdTracking.Tracker.keyOf(m.data);
    if (!key) return;
    if (m.rd === 'quiz-ready') {
      page.postMessage({ rd: 'quiz-restore', data: m.data, answers: tracker.answers(key, Number(m.count)) }, '*');
    } else if (Array.isArray(m.answers)) {
      var q = questions[key];
      var right = q && q.length === m.answers.length ? RdQuiz.score(q, m.answers).right
        : Array.isArray(m.right) ? m.right.map(Boolean) : [];
      tracker.recordTest(key, right, m.answers);
      markAnswered();
    }
  }

  function leave() {
    if (tracker) tracker.finish((Date.now() - startedAt) / 1000);
  }

  window.addEventListener('message', pageMessage);
  window.addEventListener('pagehide', leave);
  window.addEventListener('beforeunload', leave);

  // Phone-sized: the buttons show icons only (player.css).
  function layout() {
    document.body.classList.toggle('narrow', narrow.matches);
  }
  if (narrow.addEventListener) narrow.addEventListener('change', layout);
  layout();
  if (narrow.matches) setTocOpen(false);
  $('prev').disabled = true;
  $('next').disabled = true;

  RdCommon.readText('pvomanifest.htm', 'windows-1251').then(function (text) {
    entries = RdPreview.parse(text, window.rdCourse && window.rdCourse.files);
    order = entries.filter(function (e) { return e.file !== ''; });
    buildToc();
    if (!order.length) {
      $('toc-message').textContent = T.empty;
      return;
    }
    tracker = new RdTracking.Tracker(progressStore(), {
      files: order.map(function (e) { return e.file; }), passMark: passMark()
    });
    markAnswered();
    countQuestions();
    // A link to a page of the course opens it; else the learner goes on
    // where they left off.
    var wanted = decodeURIComponent(location.hash.slice(1)) || tracker.location;
    var start = 0;
    for (var i = 0; i < order.length; i++) if (order[i].file === wanted) start = i;
    show(start);
  }).catch(function (err) {
    $('toc-message').textContent = T.loadFailed;
    if (window.console) console.error(err);
  });
})();
