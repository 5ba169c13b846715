// The learner's progress: the page they are on, the pages seen, each test's
// answers and results, the score and the course's status. Kept by an LMS
// through the SCORM 1.2 API when the course runs in one, else in the
// browser's local storage. Free of the DOM so that node can test it.
var RdTracking = (function () {
  'use strict';

  // SCORM 1.2 gives cmi.suspend_data at most this many characters.
  var SUSPEND_LIMIT = 4096;
  var LOCATION_LIMIT = 255;

  // SCORM 1.2's search for the LMS's API object: up the frames the course
  // runs in, then up those of the window that opened it. A frame of another
  // origin on the way is passed over, not a reason to stop.
  function findIn(win) {
    for (var tries = 0; win && tries < 8; tries++) {
      try {
        if (win.API && typeof win.API.LMSInitialize === 'function') return win.API;
      } catch (e) { /* another origin */ }
      var up = null;
      try { up = win.parent; } catch (e) { up = null; }
      if (!up || up === win) break;
      win = up;
    }
    return null;
  }

  function findApi(win) {
    var api = findIn(win);
    if (api) return api;
    var opener = null;
    try { opener = win.top && win.top.opener; } catch (e) { opener = null; }
    return opener ? findIn(opener) : null;
  }

  // ---- the record of progress, as text for cmi.suspend_data -------------

  function packBits(bits) {
    var bytes = '';
    for (var i = 0; i < bits.length; i += 8) {
      var b = 0;
      for (var k = 0; k < 8 && i + k < bits.length; k++) if (bits[i + k]) b |= 1 << k;
      bytes += String.fromCharCode(b);
    }
    return btoa(bytes).replace(/=+$/, '');
  }

  // The n bits packBits wrote, or null when the text is not their packing:
  // the length is checked before anything is unpacked, so a count from a
  // damaged record costs nothing.
  function unpackBits(text, n) {
    var bytes;
    try { bytes = atob(text); } catch (e) { return null; }
    if (bytes.length !== Math.ceil(n / 8)) return null;
    var bits = [];
    for (var i = 0; i < n; i++) bits.push((bytes.charCodeAt(i >> 3) >> (i & 7) & 1) === 1);
    return bits;
  }

  function count(bits) {
    return bits.filter(Boolean).length;
  }

  // A state: { pages: n, seen: [bool by page], tests: { key: { total,
  // right: [bool by question] or null, rightCount, answers: [...] or null } } }.
  function emptyState(pages) {
    var seen = [];
    for (var i = 0; i < pages; i++) seen.push(false);
    return { pages: pages, seen: seen, tests: {} };
  }

  // The shortest form that keeps what matters most: answers go first when
  // space runs short (the results stay), then which question was right (the
  // count stays), then whole tests, last the pages seen. Never longer than
  // `limit`.
  function encode(state, limit) {
    limit = limit || SUSPEND_LIMIT;
    var keys = Object.keys(state.tests).sort(function (a, b) { return Number(a) - Number(b); });
    var tests = {};
    keys.forEach(function (k) {
      var t = state.tests[k];
      var o = { q: t.total, c: t.rightCount };
      if (t.right) o.r = packBits(t.right);
      if (t.answers) o.a = t.answers;
      tests[k] = o;
    });
    var record = { v: 1, n: state.pages, s: packBits(state.seen), t: tests };
    var text = JSON.stringify(record);
    var bySize = keys.slice().sort(function (a, b) {
      return JSON.stringify(tests[b].a || '').length - JSON.stringify(tests[a].a || '').length;
    });
    var steps = [];
    bySize.forEach(function (k) { steps.push(function () { delete tests[k].a; }); });
    keys.forEach(function (k) { steps.push(function () { delete tests[k].r; }); });
    keys.slice().reverse().forEach(function (k) { steps.push(function () { delete tests[k]; }); });
    steps.push(function () { record.s = ''; });
    for (var i = 0; text.length > limit && i < steps.length; i++) {
      steps[i]();
      text = JSON.stringify(record);
    }
    return text.length <= limit ? text : '';
  }

  function isCount(n) {
    return typeof n === 'number' && n >= 0 && n <= Number.MAX_SAFE_INTEGER && n % 1 === 0;
  }

  // An answer as the test page gives it: a short answer's text, the choice
  // of a single-choice question (or null), those of a multiple-choice one.
  function isAnswer(a) {
    return a === null || typeof a === 'string' || isCount(a) || (Array.isArray(a) && a.every(isCount));
  }

  // One test's record, or null when its counts and lengths do not agree.
  function decodeTest(t) {
    if (!t || typeof t !== 'object' || !isCount(t.q) || t.q < 1 || !isCount(t.c) || t.c > t.q) return null;
    var right = typeof t.r === 'string' ? unpackBits(t.r, t.q) : null;
    if (right && count(right) !== t.c) right = null;
    var answers = Array.isArray(t.a) && t.a.length === t.q && t.a.every(isAnswer) ? t.a : null;
    return { total: t.q, right: right, rightCount: t.c, answers: answers };
  }

  // What encode wrote, checked against the course as it is now before any
  // of it is used: a record of another number of pages keeps its tests but
  // not the pages seen, a test the course does not have (`keys`: those it
  // has) or whose counts disagree is dropped, and so is a record longer
  // than encode writes. A test whose number of questions changed is
  // dropped when its data file is read (Tracker.setTotal).
  function decode(text, pages, keys) {
    var state = emptyState(pages);
    if (typeof text !== 'string' || text.length > SUSPEND_LIMIT) return state;
    var record;
    try { record = JSON.parse(text); } catch (e) { return state; }
    if (!record || typeof record !== 'object' || record.v !== 1) return state;
    var seen = record.n === pages && typeof record.s === 'string' ? unpackBits(record.s, pages) : null;
    if (seen) state.seen = seen;
    var tests = record.t && typeof record.t === 'object' && !Array.isArray(record.t) ? record.t : {};
    Object.keys(tests).forEach(function (k) {
      if (!/^\d+$/.test(k) || (keys && keys.indexOf(k) < 0)) return;
      var t = decodeTest(tests[k]);
      if (t) state.tests[k] = t;
    });
    return state;
  }

  // The score and the status: `totals` gives each test's number of
  // questions (by key) as the course has it now; a test without questions
  // (one that cannot be read) asks nothing of the learner.
  function summary(state, totals, passMark) {
    var right = 0;
    var all = 0;
    var answered = 0;
    var tests = 0;
    Object.keys(totals).forEach(function (k) {
      if (!(totals[k] > 0)) return;
      tests++;
      all += totals[k];
      var t = state.tests[k];
      if (t && t.total === totals[k]) {
        answered++;
        right += t.rightCount;
      }
    });
    var seenAll = state.seen.every(Boolean);
    var raw = all ? Math.round(100 * right / all) : null;
    var status = 'incomplete';
    if (seenAll && answered === tests) status = !tests ? 'completed' : raw >= passMark ? 'passed' : 'failed';
    return { right: right, total: all, raw: raw, answered: answered, status: status };
  }

  // ---- where the record is kept -------------------------------------------

  // The LMS, through the SCORM 1.2 API.
  function LmsStore(api) {
    this.api = api;
    this.open = String(api.LMSInitialize('')) === 'true';
    this.finished = false;
  }
  LmsStore.prototype.get = function (name) {
    if (!this.open) return '';
    var v = this.api.LMSGetValue(name);
    return v === null || v === undefined ? '' : String(v);
  };
  LmsStore.prototype.load = function () {
    return { location: this.get('cmi.core.lesson_location'), suspend: this.get('cmi.suspend_data'),
             status: this.get('cmi.core.lesson_status'), mastery: this.get('cmi.student_data.mastery_score') };
  };
  LmsStore.prototype.save = function (values) {
    if (!this.open || this.finished) return;
    var api = this.api;
    Object.keys(values).forEach(function (name) { api.LMSSetValue(name, String(values[name])); });
    api.LMSCommit('');
  };
  LmsStore.prototype.finish = function (values) {
    if (!this.open || this.finished) return;
    this.save(values);
    this.finished = true;
    this.api.LMSFinish('');
  };

  // The browser's local storage, one entry per course. Storage that is
  // switched off or full loses the record, never the course.
  function LocalStore(storage, key) {
    this.storage = storage;
    this.key = key;
    this.record = {};
    try {
      var r = JSON.parse(storage.getItem(key) || '{}');
      if (r && typeof r === 'object') this.record = r;
    } catch (e) { this.record = {}; }
  }
  LocalStore.prototype.load = function () {
    var r = this.record;
    return { location: String(r.location || ''), suspend: String(r.suspend || ''),
             status: String(r.status || ''), mastery: '' };
  };
  LocalStore.prototype.save = function (values) {
    var r = this.record;
    if ('cmi.core.lesson_location' in values) r.location = values['cmi.core.lesson_location'];
    if ('cmi.suspend_data' in values) r.suspend = values['cmi.suspend_data'];
    if ('cmi.core.lesson_status' in values) r.status = values['cmi.core.lesson_status'];
    if ('cmi.core.score.raw' in values) r.score = values['cmi.core.score.raw'];
    try { this.storage.setItem(this.key, JSON.stringify(r)); } catch (e) { /* see above */ }
  };
  LocalStore.prototype.finish = LocalStore.prototype.save;

  // ---- the tracker the player drives ----------------------------------------

  // `course`: { files: [file by page index], passMark }. Tests are keyed by
  // the number of their data file (testdata7.htm: "7").
  function Tracker(store, course) {
    this.store = store;
    this.files = course.files;
    this.passMark = course.passMark;
    this.totals = {};
    var saved = store.load();
    var mastery = Number(saved.mastery);
    if (saved.mastery !== '' && mastery >= 0 && mastery <= 100) this.passMark = mastery;
    var self = this;
    this.files.forEach(function (f) {
      var m = /^test(\d+)\.htm$/i.exec(f);
      if (m) self.totals[m[1]] = null;  // not read yet
    });
    this.state = decode(saved.suspend, this.files.length, Object.keys(this.totals));
    this.location = this.files.indexOf(saved.location) >= 0 ? saved.location : '';
    this.reported = { status: saved.status };
  }

  Tracker.keyOf = function (file) {
    var m = /(\d+)\.htm$/i.exec(String(file));
    return m ? m[1] : '';
  };

  // Tests not read yet count as they were last recorded.
  Tracker.prototype.knownTotals = function () {
    var totals = {};
    var state = this.state;
    var self = this;
    Object.keys(this.totals).forEach(function (k) {
      var t = self.totals[k];
      totals[k] = t !== null ? t : state.tests[k] ? state.tests[k].total : 1;
    });
    return totals;
  };

  Tracker.prototype.summary = function () {
    return summary(this.state, this.knownTotals(), this.passMark);
  };

  // Writes what changed since the last report, and commits it.
  Tracker.prototype.report = function (extra) {
    var values = extra || {};
    var s = this.summary();
    var suspend = encode(this.state, SUSPEND_LIMIT);
    if (suspend !== this.reported.suspend) values['cmi.suspend_data'] = suspend;
    if (s.answered > 0 && s.raw !== this.reported.raw) {
      values['cmi.core.score.min'] = '0';
      values['cmi.core.score.max'] = '100';
      values['cmi.core.score.raw'] = String(s.raw);
    }
    if (s.status !== this.reported.status) values['cmi.core.lesson_status'] = s.status;
    if (!Object.keys(values).length) return s;
    this.reported = { suspend: suspend, raw: s.answered > 0 ? s.raw : this.reported.raw, status: s.status };
    this.store.save(values);
    return s;
  };

  Tracker.prototype.showPage = function (index) {
    if (index < 0 || index >= this.files.length) return;
    var values = {};
    this.state.seen[index] = true;
    if (this.location !== this.files[index]) {
      this.location = this.files[index];
      values['cmi.core.lesson_location'] = this.location.slice(0, LOCATION_LIMIT);
    }
    this.report(values);
  };

  // A test's number of questions, once its data file has been read (0 for
  // one that cannot be shown). A record made for other questions is dropped.
  Tracker.prototype.setTotal = function (key, total) {
    if (!(key in this.totals)) return;
    this.totals[key] = total;
    var t = this.state.tests[key];
    if (t && t.total !== total) delete this.state.tests[key];
    this.report();
  };

  Tracker.prototype.recordTest = function (key, right, answers) {
    if (!(key in this.totals) || !right.length) return;
    this.state.tests[key] = { total: right.length, right: right.slice(), rightCount: count(right),
                              answers: answers ? answers.slice() : null };
    this.report();
  };

  // The answers last given in a test of `total` questions, or null.
  Tracker.prototype.answers = function (key, total) {
    var t = this.state.tests[key];
    return t && t.total === total && t.answers ? t.answers.slice() : null;
  };

  Tracker.prototype.answered = function (key) {
    return !!this.state.tests[key];
  };

  // The learner leaves: the LMS keeps the record for the next launch.
  Tracker.prototype.finish = function (seconds) {
    var s = Math.max(0, Math.round(seconds || 0));
    var pad = function (n) { return (n < 10 ? '0' : '') + n; };
    var time = pad(Math.min(9999, Math.floor(s / 3600))) + ':' + pad(Math.floor(s / 60) % 60) + ':' + pad(s % 60);
    this.store.finish({ 'cmi.core.exit': 'suspend', 'cmi.core.session_time': time });
  };

  return { findApi: findApi, encode: encode, decode: decode, summary: summary, emptyState: emptyState,
           LmsStore: LmsStore, LocalStore: LocalStore, Tracker: Tracker, SUSPEND_LIMIT: SUSPEND_LIMIT };
})();
if (typeof module !== 'undefined' && module.exports) module.exports = RdTracking;
