// Course player: table of contents from pvomanifest.htm, the content frame,
// previous/next, the target of the pages' reference links, and the
// learner's progress (tracking.js) kept by an LMS or the browser.
// Plain script, no framework and no network beyond the package's own files.
'use strict';

// Reading the outline preview. Kept free of the DOM so node can test it.
var RdPreview = (function () {
  var NAMED = { lt: '<', gt: '>', amp: '&', quot: '"', apos: "'" };

  // Titles are stored escaped (&lt; &gt;) and characters outside the code
  // page arrive as numeric references; everything else is literal text.
  function decodeEntities(s) {
    return s.replace(/&(#[xX][0-9a-fA-F]+|#[0-9]+|lt|gt|amp|quot|apos);/g, function (m, e) {
      if (e.charAt(0) !== '#') return NAMED[e];
      var code = e.charAt(1) === 'x' || e.charAt(1) === 'X' ? parseInt(e.slice(2), 16) : parseInt(e.slice(1), 10);
      if (!(code > 0 && code <= 0x10ffff) || (code >= 0xd800 && code <= 0xdfff)) return m;
      return String.fromCodePoint(code);
    });
  }

  // Only bare file names of this folder are opened: the preview is data,
  // not a place to smuggle in other addresses.
  function safeFile(f) {
    return /^[A-Za-z0-9_.-]+$/.test(f) && f.charAt(0) !== '.' ? f : '';
  }

  // One line per entry, "ITEM<pid>|title|file|flag", then "%MANIFEST_END".
  // A title may hold "|", so the fields are taken from both ends.
  function parse(text) {
    var lines = text.split(/\r\n|\r|\n/);
    var raw = [];
    for (var i = 0; i < lines.length; i++) {
      var line = lines[i];
      if (line.indexOf('%MANIFEST_END') === 0) break;
      if (line.indexOf('ITEM') !== 0) continue;
      var first = line.indexOf('|');
      var last = line.lastIndexOf('|');
      if (first < 0) continue;
      var beforeLast = line.lastIndexOf('|', last - 1);
      if (beforeLast <= first) continue;
      raw.push({
        item: line.slice(0, first),
        title: decodeEntities(line.slice(first + 1, beforeLast)),
        file: line.slice(beforeLast + 1, last),
        inChapter: line.slice(last + 1).trim() === '-1'
      });
    }
    var entries = [];
    for (var j = 0; j < raw.length; j++) {
      var r = raw[j];
      var kind;
      var file = safeFile(r.file);
      if (r.file !== '' && file === '') continue;
      if (/^test/i.test(file)) kind = 'test';
      else if (file !== '') kind = 'page';
      else if (j === 0 && r.title === '' && !(raw.length > 1 && raw[1].inChapter)) {
        // Content before the first heading (an early item number) has a page
        // of its own, page1.htm, although the preview names no file for it.
        kind = 'page';
        file = 'page1.htm';
      } else kind = 'chapter';
      entries.push({ item: r.item, title: r.title, file: file, kind: kind, inChapter: r.inChapter });
    }
    return entries;
  }

  // The entry a reference names: "ITEM" + ref; a chapter stands for its
  // first page or test.
  function findRef(entries, ref) {
    var id = 'ITEM' + String(ref).trim();
    for (var i = 0; i < entries.length; i++) {
      if (entries[i].item !== id) continue;
      if (entries[i].file) return entries[i];
      for (var k = i + 1; k < entries.length && entries[k].kind !== 'chapter'; k++) {
        if (entries[k].file) return entries[k];
      }
      return null;
    }
    return null;
  }

  return { parse: parse, decodeEntities: decodeEntities, findRef: findRef };
})();

if (typeof module !== 'undefined' && module.exports) module.exports = RdPreview;

if (typeof document !== 'undefined') (function () {
  var STRINGS = {
    en: {
      contents: 'Contents', previous: 'Previous', next: 'Next',
      loadFailed: 'The table of contents (pvomanifest.htm) could not be read. Open the course from a web server or a learning management system.',
      empty: 'This course has no pages.',
      unknownRef: 'No page with the reference ',
      test: 'Test'
    },
    ru: {
      contents: 'Содержание', previous: 'Назад', next: 'Далее',
      loadFailed: 'Не удалось прочитать содержание курса (pvomanifest.htm). Откройте курс через веб-сервер или систему дистанционного обучения.',
      empty: 'В курсе нет страниц.',
      unknownRef: 'Нет страницы со ссылкой ',
      test: 'Тест'
    }
  };
  var lang = (navigator.language || 'en').slice(0, 2).toLowerCase();
  var T = STRINGS[lang] || STRINGS.en;

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

  Array.prototype.forEach.call(document.querySelectorAll('[data-text]'), function (el) {
    el.textContent = T[el.getAttribute('data-text')];
  });
  document.documentElement.lang = lang === 'ru' ? 'ru' : 'en';

  function loadScript(src) {
    return new Promise(function (resolve) {
      var s = document.createElement('script');
      s.src = src;
      s.onload = s.onerror = function () { resolve(); };
      document.body.appendChild(s);
    });
  }

  // Opened from a folder on disk, the browser refuses to read files; the
  // copy script leaves the same bytes in a script beside each file.
  function embedded(name, encoding) {
    var e = window.rdEmbedded && window.rdEmbedded[name];
    if (typeof e !== 'string' || !window.TextDecoder) return null;
    var bin = atob(e);
    var bytes = new Uint8Array(bin.length);
    for (var i = 0; i < bin.length; i++) bytes[i] = bin.charCodeAt(i);
    return new TextDecoder(encoding).decode(bytes);
  }

  function readText(url, encoding) {
    var fallback = function (err) {
      var text = embedded(url, encoding);
      if (text !== null) return text;
      return loadScript(url + '.js').then(function () {
        var late = embedded(url, encoding);
        if (late === null) throw err;
        return late;
      });
    };
    if (location.protocol === 'file:') {
      var local = embedded(url, encoding);
      if (local !== null) return Promise.resolve(local);
      return fallback(new Error(url + ' cannot be read from disk'));
    }
    if (window.fetch && window.TextDecoder) {
      return fetch(url).then(function (r) {
        if (!r.ok) throw new Error(url + ': HTTP ' + r.status);
        return r.arrayBuffer();
      }).then(function (buf) { return new TextDecoder(encoding).decode(buf); }).catch(fallback);
    }
    return new Promise(function (resolve, reject) {
      var x = new XMLHttpRequest();
      x.open('GET', url);
      x.overrideMimeType('text/plain; charset=' + encoding);
      x.onload = function () { (x.status === 200 || x.status === 0) ? resolve(x.responseText) : reject(new Error(url)); };
      x.onerror = function () { reject(new Error(url)); };
      x.send();
    }).catch(fallback);
  }

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
        var a = document.createElement('a');
        a.href = '#' + e.file;
        a.textContent = e.title || e.file;
        if (e.kind === 'test') a.title = T.test;
        var index = order.indexOf(e);
        a.addEventListener('click', function (ev) {
          ev.preventDefault();
          show(index);
          if (narrow.matches) setTocOpen(false);
        });
        tocLinks[index] = a;
        li.appendChild(a);
      }
      list.appendChild(li);
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
  content.addEventListener('load', function () {
    var name;
    try {
      name = content.contentWindow.location.pathname.split('/').pop();
    } catch (e) {
      return;
    }
    for (var i = 0; i < order.length; i++) {
      if (order[i].file === decodeURIComponent(name)) {
        if (i !== current) mark(i);
        return;
      }
    }
  });

  $('prev').addEventListener('click', function () { show(current - 1); });
  $('next').addEventListener('click', function () { show(current + 1); });
  $('toc-toggle').addEventListener('click', function () {
    setTocOpen(document.body.classList.contains('toc-closed'));
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
  // author, whichever form it was written in.
  $('header').addEventListener('load', function () {
    try {
      var frame = $('header');
      var doc = frame.contentDocument;
      var t = doc.body.textContent.replace(/\s+/g, ' ').trim();
      if (t) document.title = t;
      var range = doc.createRange();
      range.selectNodeContents(doc.body);
      var bottom = Math.ceil(range.getBoundingClientRect().bottom);
      if (bottom > 0) frame.style.height = Math.max(24, Math.min(bottom + 6, 200)) + 'px';
    } catch (e) { /* a header from elsewhere keeps the default size and title */ }
  });

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

  // Every test's number of questions, for the score over all of them; a
  // test that cannot be read asks nothing.
  function countQuestions() {
    order.forEach(function (e) {
      if (e.kind !== 'test') return;
      var key = RdTracking.Tracker.keyOf(e.file);
      readText(e.file.replace(/^test/i, 'testdata'), 'windows-1251').then(function (text) {
        questions[key] = RdQuiz.load(text).questions;
        tracker.setTotal(key, questions[key].length);
      }).catch(function () { tracker.setTotal(key, 0); });
    });
  }

  // The test pages tell the player what was answered, and get back what was
  // answered last time. Messages, since a page opened from disk may not
  // reach the player otherwise.
  function testMessage(ev) {
    var m = ev.data;
    if (!tracker || ev.source !== content.contentWindow || !m || typeof m !== 'object') return;
    var key = RdTracking.Tracker.keyOf(m.data);
    if (!key) return;
    if (m.rd === 'quiz-ready') {
      ev.source.postMessage({ rd: 'quiz-restore', data: m.data, answers: tracker.answers(key, Number(m.count)) }, '*');
    } else if (m.rd === 'quiz-result' && Array.isArray(m.answers)) {
      var q = questions[key];
      var right = q && q.length === m.answers.length ? RdQuiz.score(q, m.answers).right
        : Array.isArray(m.right) ? m.right.map(Boolean) : [];
      tracker.recordTest(key, right, m.answers);
    }
  }

  function leave() {
    if (tracker) tracker.finish((Date.now() - startedAt) / 1000);
  }

  window.addEventListener('message', testMessage);
  window.addEventListener('pagehide', leave);
  window.addEventListener('beforeunload', leave);

  if (narrow.matches) setTocOpen(false);
  $('prev').disabled = true;
  $('next').disabled = true;

  readText('pvomanifest.htm', 'windows-1251').then(function (text) {
    entries = RdPreview.parse(text);
    order = entries.filter(function (e) { return e.file !== ''; });
    buildToc();
    if (!order.length) {
      $('toc-message').textContent = T.empty;
      return;
    }
    tracker = new RdTracking.Tracker(progressStore(), {
      files: order.map(function (e) { return e.file; }), passMark: passMark()
    });
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
