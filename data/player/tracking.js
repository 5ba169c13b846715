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

  // A state: { pages: n, seen: [bool by page], seed: the learner's order
  // of answers ('' until there is one), tests: { key: { total, right: [bool
  // by question] or null, rightCount, answers: [...] or null, attempts } } }.
  // A test's record is its best attempt (the latest of equal ones) and the
  // number of attempts.
  function emptyState(pages) {
    var seen = [];
    for (var i = 0; i < pages; i++) seen.push(false);
    return { pages: pages, seen: seen, seed: '', tests: {} };
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
      var o = { q: t.total, c: t.rightCount, n: t.attempts };
      if (t.right) o.r = packBits(t.right);
      if (t.answers) o.a = t.answers;
      tests[k] = o;
    });
    var record = { v: 1, n: state.pages, s: packBits(state.seen), z: state.seed, t: tests };
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
    // A record of an older player counted no attempts: one was made.
    var attempts = isCount(t.n) && t.n >= 1 ? t.n : 1;
    return { total: t.q, right: right, rightCount: t.c, answers: answers, attempts: attempts };
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
    if (typeof record.z === 'string' && /^[0-9a-z]{1,16}$/.test(record.z)) state.seed = record.z;
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
    var counted = function (v) { return /^\d{1,6}$/.test(v) ? Number(v) : 0; };
    return { location: this.get('cmi.core.lesson_location'), suspend: this.get('cmi.suspend_data'),
             status: this.get('cmi.core.lesson_status'), mastery: this.get('cmi.student_data.mastery_score'),
             student: this.get('cmi.core.student_id'),
             interactions: counted(this.get('cmi.interactions._count')),
             objectives: counted(this.get('cmi.objectives._count')) };
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
  // The questions answered, as an LMS journals them, up to this many (the
  // oldest go first), and each test's objective.
  var LOCAL_INTERACTIONS = 500;

  LocalStore.prototype.load = function () {
    var r = this.record;
    if (!Array.isArray(r.interactions)) r.interactions = [];
    if (!Array.isArray(r.objectives)) r.objectives = [];
    return { location: String(r.location || ''), suspend: String(r.suspend || ''),
             status: String(r.status || ''), mastery: '', student: '',
             interactions: r.interactions.length, objectives: r.objectives.length };
  };
  LocalStore.prototype.save = function (values) {
    var r = this.record;
    if ('cmi.core.lesson_location' in values) r.location = values['cmi.core.lesson_location'];
    if ('cmi.suspend_data' in values) r.suspend = values['cmi.suspend_data'];
    if ('cmi.core.lesson_status' in values) r.status = values['cmi.core.lesson_status'];
    if ('cmi.core.score.raw' in values) r.score = values['cmi.core.score.raw'];
    if (!Array.isArray(r.interactions)) r.interactions = [];
    if (!Array.isArray(r.objectives)) r.objectives = [];
    // "cmi.interactions.3.correct_responses.0.pattern": record 3's
    // "correct_responses.0.pattern"; a number past the list's end is a new
    // record (the oldest interactions may have gone).
    var made = {};
    Object.keys(values).forEach(function (name) {
      var m = /^cmi\.(interactions|objectives)\.(\d+)\.(.+)$/.exec(name);
      if (!m) return;
      var list = r[m[1]];
      var i = Number(m[2]);
      var item = made[m[1] + i] || (i < list.length ? list[i] : null);
      if (!item || typeof item !== 'object') {
        item = made[m[1] + i] = {};
        list.push(item);
      }
      item[m[3]] = values[name];
    });
    if (r.interactions.length > LOCAL_INTERACTIONS) r.interactions.splice(0, r.interactions.length - LOCAL_INTERACTIONS);
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
    this.returning = saved.suspend !== '' || this.location !== '';
    // The learner's order of answers: from the LMS's learner id, so that it
    // is theirs on any machine, else drawn once and kept in the record.
    if (!this.state.seed) {
      this.state.seed = saved.student ? (hash(saved.student) >>> 0).toString(36)
        : Math.floor(Math.random() * 2176782336).toString(36);
    }
    this.interactions = saved.interactions || 0;
    // Each test is objective number i (its place among the tests); those
    // the LMS lacks are written with the first report.
    this.objectives = {};
    this.objectiveCount = saved.objectives || 0;
    this.testKeys = Object.keys(this.totals).sort(function (a, b) {
      return self.files.indexOf('test' + a + '.htm') - self.files.indexOf('test' + b + '.htm');
    });
  }

  function hash(s) {
    var h = 2166136261;
    for (var i = 0; i < s.length; i++) h = Math.imul(h ^ s.charCodeAt(i), 16777619);
    return h;
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
    this.objectiveValues(values);
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

  // One checked attempt of a test: `right` and `answers` by question, the
  // test's `questions` (RdQuiz) for the LMS's record of each, `seconds`
  // from showing the test to the check. The best attempt stays the test's
  // record; the attempts are counted.
  Tracker.prototype.recordTest = function (key, right, answers, questions, seconds) {
    if (!(key in this.totals) || !right.length) return;
    var prev = this.state.tests[key];
    var same = prev && prev.total === right.length;
    var attempts = (same ? prev.attempts : 0) + 1;
    if (same && prev.rightCount > count(right)) {
      prev.attempts = attempts;
    } else {
      this.state.tests[key] = { total: right.length, right: right.slice(), rightCount: count(right),
                                answers: answers ? answers.slice() : null, attempts: attempts };
    }
    var values = questions && questions.length === right.length && answers && answers.length === right.length
      ? this.interactionValues(key, questions, answers, right, seconds) : {};
    this.report(values);
  };

  // A test's result: { right, total, raw (per cent), passed (its own share
  // at the pass mark or above), attempts }, or null before it is answered.
  Tracker.prototype.testResult = function (key) {
    var t = this.state.tests[key];
    var total = this.knownTotals()[key];
    if (!t || !total || t.total !== total) return null;
    var raw = Math.round(100 * t.rightCount / t.total);
    return { right: t.rightCount, total: t.total, raw: raw, passed: raw >= this.passMark, attempts: t.attempts };
  };

  // How much of the course is done, in per cent: each page seen and each
  // test passed counts one.
  Tracker.prototype.progress = function () {
    var self = this;
    var done = 0;
    this.files.forEach(function (f, i) {
      var m = /^test(\d+)\.htm$/i.exec(f);
      var r = m ? self.testResult(m[1]) : null;
      if (m ? r && r.passed : self.state.seen[i]) done++;
    });
    return this.files.length ? Math.round(100 * done / this.files.length) : 0;
  };

  Tracker.prototype.seen = function (index) {
    return !!this.state.seen[index];
  };

  Tracker.prototype.seed = function () {
    return this.state.seed;
  };

  // ---- what the LMS records of each question and test ----------------------

  var CHOICES = 'abcdefghijklmnopqrstuvwxyz0123456789';

  // SCORM 1.2 names the answers of a choice by one letter or digit each.
  function choiceList(indexes) {
    if (!indexes.length || indexes.some(function (i) { return !(i >= 0 && i < CHOICES.length); })) return '';
    return indexes.map(function (i) { return CHOICES.charAt(i); }).join(',');
  }

  // A text for a CMIString255 element: one line, at most 255 characters.
  function text255(s) {
    return String(s).replace(/[\u0000-\u001f\u007f]+/g, ' ').trim().slice(0, 255);
  }

  function pad(n, width) {
    var s = String(n);
    while (s.length < (width || 2)) s = '0' + s;
    return s;
  }

  // CMITimespan: HH:MM:SS (hours in two to four digits), to 9999 hours.
  function timespan(seconds) {
    var s = Math.max(0, Math.round(seconds || 0));
    return pad(Math.min(9999, Math.floor(s / 3600))) + ':' + pad(Math.floor(s / 60) % 60) + ':' + pad(s % 60);
  }

  // cmi.interactions.n.*: every question of a checked attempt, a record each,
  // as the LMS journals them.
  Tracker.prototype.interactionValues = function (key, questions, answers, right, seconds) {
    var values = {};
    var now = new Date();
    var time = pad(now.getHours()) + ':' + pad(now.getMinutes()) + ':' + pad(now.getSeconds());
    var self = this;
    questions.forEach(function (q, i) {
      var at = 'cmi.interactions.' + self.interactions++ + '.';
      var a = answers[i];
      var response;
      var patterns;
      if (q.kind === 'short') {
        response = typeof a === 'string' ? text255(a) : '';
        patterns = q.accepted.slice(0, 10).map(text255);
      } else {
        var chosen = q.kind === 'single' ? (isCount(a) ? [a] : []) : Array.isArray(a) ? a : [];
        response = choiceList(chosen);
        var want = [];
        q.answers.forEach(function (x, k) { if (x.correct) want.push(k); });
        patterns = [choiceList(want)];
      }
      values[at + 'id'] = 'test' + key + 'q' + (i + 1);
      values[at + 'objectives.0.id'] = 'test' + key;
      values[at + 'time'] = time;
      values[at + 'type'] = q.kind === 'short' ? 'fill-in' : 'choice';
      patterns.forEach(function (p, k) { if (p) values[at + 'correct_responses.' + k + '.pattern'] = p; });
      values[at + 'weighting'] = '1';
      if (response) values[at + 'student_response'] = response;
      values[at + 'result'] = right[i] ? 'correct' : 'wrong';
      values[at + 'latency'] = timespan(seconds);
    });
    return values;
  };

  // cmi.objectives.n.*: each test's score and status, test i as objective
  // i, written when they change. Objectives are numbered without gaps, so a
  // test answered before the ones ahead of it writes those as "not
  // attempted"; nothing is written before the first answer.
  Tracker.prototype.objectiveValues = function (values) {
    var self = this;
    var last = -1;
    this.testKeys.forEach(function (key, i) { if (self.testResult(key)) last = i; });
    this.testKeys.slice(0, last + 1).forEach(function (key, i) {
      var r = self.testResult(key);
      var status = r ? (r.passed ? 'passed' : 'failed') : 'not attempted';
      var said = status + ' ' + (r ? r.raw : '');
      if (self.objectives[key] === said || i > self.objectiveCount) return;
      var at = 'cmi.objectives.' + i + '.';
      values[at + 'id'] = 'test' + key;
      if (r) {
        values[at + 'score.min'] = '0';
        values[at + 'score.max'] = '100';
        values[at + 'score.raw'] = String(r.raw);
      }
      values[at + 'status'] = status;
      self.objectives[key] = said;
      if (i === self.objectiveCount) self.objectiveCount++;
    });
  };

  // The answers of the test's record (its best attempt), or null.
  Tracker.prototype.answers = function (key, total) {
    var t = this.state.tests[key];
    return t && t.total === total && t.answers ? t.answers.slice() : null;
  };

  Tracker.prototype.answered = function (key) {
    return !!this.state.tests[key];
  };

  // The learner leaves: the LMS keeps the record for the next launch.
  Tracker.prototype.finish = function (seconds) {
    this.store.finish({ 'cmi.core.exit': 'suspend', 'cmi.core.session_time': timespan(seconds) });
  };

  // The page is hidden (a phone switched apps, a tab went to the back): all
  // is committed as if the learner left, and the session goes on.
  Tracker.prototype.suspend = function (seconds) {
    this.store.save({ 'cmi.core.exit': 'suspend', 'cmi.core.session_time': timespan(seconds) });
  };

  return { findApi: findApi, encode: encode, decode: decode, summary: summary, emptyState: emptyState,
           LmsStore: LmsStore, LocalStore: LocalStore, Tracker: Tracker, SUSPEND_LIMIT: SUSPEND_LIMIT };
})();
if (typeof module !== 'undefined' && module.exports) module.exports = RdTracking;
