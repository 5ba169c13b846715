// The learner's progress: the page they are on, the pages seen, each test's
// answers and results, the score and the course's status. Kept by an LMS
// through the SCORM 1.2 API when the course runs in one, else in the
// browser's local storage. Free of the DOM so that node can test it.
var RdTracking = (function () {
  'use strict';

  // The longest record of progress any store keeps (the SCORM 2004 runtime's
  // cmi.suspend_data); each store says how long its own may be.
  var RECORD_LIMIT = 64000;

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
  // by question] or null, rightCount, answers: [...] or null, attempts } },
  // drafts: { key: [answer by question] } }. A test's record is its best
  // attempt (the latest of equal ones) and the number of attempts; its
  // draft, the answers given since and not checked yet.
  function emptyState(pages) {
    var seen = [];
    for (var i = 0; i < pages; i++) seen.push(false);
    return { pages: pages, seen: seen, seed: '', tests: {}, drafts: {} };
  }

  // The shortest form that keeps what matters most: drafts go first when
  // space runs short, then answers (the results stay), then which question
  // was right (the count stays), then whole tests, last the pages seen.
  // Never longer than `limit`.
  function encode(state, limit) {
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
    if (state.drafts && Object.keys(state.drafts).length) record.d = state.drafts;
    var text = JSON.stringify(record);
    var bySize = keys.slice().sort(function (a, b) {
      return JSON.stringify(tests[b].a || '').length - JSON.stringify(tests[a].a || '').length;
    });
    var steps = [function () { delete record.d; }];
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
  function decode(text, pages, keys, limit) {
    var state = emptyState(pages);
    if (typeof text !== 'string' || text.length > (limit || RECORD_LIMIT)) return state;
    var record;
    try { record = JSON.parse(text); } catch (e) { return state; }
    if (!record || typeof record !== 'object' || record.v !== 1) return state;
    var seen = record.n === pages && typeof record.s === 'string' ? unpackBits(record.s, pages) : null;
    if (seen) state.seen = seen;
    if (record.n !== pages) state.changed = true;  // the course was converted again since
    if (typeof record.z === 'string' && /^[0-9a-z]{1,16}$/.test(record.z)) state.seed = record.z;
    var tests = record.t && typeof record.t === 'object' && !Array.isArray(record.t) ? record.t : {};
    Object.keys(tests).forEach(function (k) {
      if (!/^\d+$/.test(k) || (keys && keys.indexOf(k) < 0)) return;
      var t = decodeTest(tests[k]);
      if (t) state.tests[k] = t;
    });
    var drafts = record.d && typeof record.d === 'object' && !Array.isArray(record.d) ? record.d : {};
    Object.keys(drafts).forEach(function (k) {
      var d = drafts[k];
      if (/^\d+$/.test(k) && (!keys || keys.indexOf(k) >= 0) && Array.isArray(d) && d.every(isAnswer)) state.drafts[k] = d;
    });
    return state;
  }

  // The decimals of a pass mark (an LMS's may have some: 79.5), up to six.
  function decimals(mark) {
    var k = 0;
    while (k < 6 && Math.abs(mark * Math.pow(10, k) - Math.round(mark * Math.pow(10, k))) > 1e-6) k++;
    return k;
  }

  // `right` of `total` answers against the pass mark (per cent): the per
  // cent shown and reported (raw) and the share (scaled, to the seven
  // decimals SCORM 2004 keeps) cut down, never rounded up, and passed by
  // the exact share, so that 35 of 44 (79.54%) is neither shown as 80% nor
  // passed at a mark of 80. The per cent keeps as many decimals as the pass
  // mark: at an LMS's mark of 79.5 it is 79.5 (not 79), so that an LMS
  // judging it against that mark judges as the player does.
  function share(right, total, passMark) {
    var p = Math.pow(10, decimals(passMark));
    return { raw: Math.floor(100 * p * right / total) / p, scaled: Math.floor(1e7 * right / total) / 1e7,
             passed: 100 * right >= passMark * total - 1e-9 };
  }

  // The score and the status: `totals` gives each test's number of
  // questions (by key) as the course has it now. A test without questions
  // is one that cannot be shown: no learner can finish the course, so it
  // stays incomplete, never completed or passed, and its success unknown.
  // completion: every page seen and every test taken; success: every test
  // taken, the score against the pass mark ('unknown' before, and for a
  // course without tests); status: both in one word, as SCORM 1.2 has it.
  function summary(state, totals, passMark) {
    var right = 0;
    var all = 0;
    var answered = 0;
    var tests = 0;
    var unusable = false;
    Object.keys(totals).forEach(function (k) {
      if (totals[k] === 0) unusable = true;
      if (!(totals[k] > 0)) return;
      tests++;
      all += totals[k];
      var t = state.tests[k];
      if (t && t.total === totals[k]) {
        answered++;
        right += t.rightCount;
      }
    });
    var score = all ? share(right, all, passMark) : null;
    var taken = answered === tests && !unusable;
    var completion = taken && state.seen.every(Boolean) ? 'completed' : 'incomplete';
    var success = taken && tests ? (score.passed ? 'passed' : 'failed') : 'unknown';
    var status = completion === 'incomplete' ? completion : tests ? success : 'completed';
    return { right: right, total: all, raw: score ? score.raw : null, scaled: score ? score.scaled : null,
             answered: answered, status: status, completion: completion, success: success };
  }

  // ---- the tracker the player drives ----------------------------------------

  // `store`: where the record is kept. `load()` gives { location, suspend,
  // mastery (the pass mark the LMS sets, per cent, or null), learner (the
  // LMS's learner id, or ''), interactions and objectives (how many the
  // LMS holds) }; `save(report)` and `finish(leaving)` take what the tracker
  // says (Tracker.report); `limit` is the longest record it keeps.
  // `course`: { files: [file by page index], passMark }. Tests are keyed by
  // the number of their data file (testdata7.htm: "7").
  function Tracker(store, course) {
    this.store = store;
    this.files = course.files;
    this.passMark = course.passMark;
    this.totals = {};
    var saved = store.load();
    if (typeof saved.mastery === 'number' && saved.mastery >= 0 && saved.mastery <= 100) this.passMark = saved.mastery;
    var self = this;
    this.files.forEach(function (f) {
      var m = /^test(\d+)\.htm$/i.exec(f);
      if (m) self.totals[m[1]] = null;  // not read yet
    });
    this.state = decode(saved.suspend, this.files.length, Object.keys(this.totals), store.limit);
    // Pages counted anew are named anew: the place's name may now be
    // another page's, so it goes with the pages seen.
    this.location = !this.state.changed && this.files.indexOf(saved.location) >= 0 ? saved.location : '';
    this.returning = saved.suspend !== '' || this.location !== '';
    // A learner who left a place in a course converted again since (its
    // pages counted anew, or the place no page of it) is told that the
    // pages seen and the place are not kept. A record without a place, as
    // a damaged one, starts afresh without a word.
    this.changed = !!saved.location && (this.location === '' || !!this.state.changed);
    // The learner's order of answers: from the LMS's learner id, so that it
    // is theirs on any machine, else drawn once and kept in the record.
    if (!this.state.seed) {
      this.state.seed = saved.learner ? (hash(saved.learner) >>> 0).toString(36)
        : Math.floor(Math.random() * 2176782336).toString(36);
    }
    this.interactions = saved.interactions || 0;
    this.objectives = {};
    this.objectiveCount = saved.objectives || 0;
    this.testKeys = Object.keys(this.totals).sort(function (a, b) {
      return self.files.indexOf('test' + a + '.htm') - self.files.indexOf('test' + b + '.htm');
    });
    // Each test's objective: the one of its id the LMS holds (a session
    // before wrote it), else the next after those it holds, in the tests'
    // order. The LMS may hold others, as a primary objective of its own.
    var ids = saved.objectiveIds || [];
    var next = this.objectiveCount;
    this.places = {};
    this.testKeys.forEach(function (key) {
      var at = ids.indexOf('test' + key);
      self.places[key] = at >= 0 ? at : next++;
    });
    this.testKeys.sort(function (a, b) { return self.places[a] - self.places[b]; });
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

  // Tells the store how things stand: a report holds the record (suspend),
  // the summary's status, completion and success, the score once a test
  // is answered (raw per cent, and scaled 0..1), the objectives that
  // changed, and what `report` already holds (the place, the questions
  // just checked). The store sends on only what changed.
  Tracker.prototype.report = function (report) {
    report = report || {};
    var other = this.store.stored ? this.store.stored() : null;
    if (other !== null) this.merge(other);
    var s = this.summary();
    report.suspend = encode(this.state, this.store.limit);
    if (s.answered > 0) report.score = { raw: s.raw, scaled: s.scaled };
    report.status = { word: s.status, completion: s.completion, success: s.success };
    var objectives = this.objectiveReport();
    if (objectives.length) report.objectives = objectives;
    var limit = this.store.limit;
    this.store.save(report);
    // A record the store refused as too long goes again, shorter.
    if (this.store.limit < limit) this.store.save({ suspend: encode(this.state, this.store.limit) });
    return s;
  };

  // Takes in a record another tab of the course kept meanwhile: the pages
  // seen there, and each test's better attempt with the larger count of
  // attempts, so that neither tab's work undoes the other's.
  Tracker.prototype.merge = function (text) {
    var other = decode(text, this.files.length, Object.keys(this.totals), this.store.limit);
    var state = this.state;
    var totals = this.totals;
    other.seen.forEach(function (seen, i) { if (seen) state.seen[i] = true; });
    Object.keys(other.tests).forEach(function (k) {
      var theirs = other.tests[k];
      var mine = state.tests[k];
      if (totals[k] !== null && totals[k] !== theirs.total) return;
      if (mine && mine.total === theirs.total) {
        theirs.attempts = mine.attempts = Math.max(mine.attempts, theirs.attempts);
        if (mine.rightCount >= theirs.rightCount) return;
      }
      state.tests[k] = theirs;
    });
  };

  Tracker.prototype.showPage = function (index) {
    if (index < 0 || index >= this.files.length) return;
    var report = {};
    this.state.seen[index] = true;
    if (this.location !== this.files[index]) report.location = this.location = this.files[index];
    this.report(report);
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
    delete this.state.drafts[key];
    var prev = this.state.tests[key];
    var same = prev && prev.total === right.length;
    var attempts = (same ? prev.attempts : 0) + 1;
    if (same && prev.rightCount > count(right)) {
      prev.attempts = attempts;
    } else {
      this.state.tests[key] = { total: right.length, right: right.slice(), rightCount: count(right),
                                answers: answers ? answers.slice() : null, attempts: attempts };
    }
    var report = {};
    if (questions && questions.length === right.length && answers && answers.length === right.length)
      report.interactions = this.interactionReport(key, questions, answers, right, seconds);
    this.report(report);
  };

  // A test's result: { right, total, raw (per cent), scaled, passed (its
  // own share at the pass mark or above), attempts }, or null before it is
  // answered.
  Tracker.prototype.testResult = function (key) {
    var t = this.state.tests[key];
    var total = this.knownTotals()[key];
    if (!t || !total || t.total !== total) return null;
    var score = share(t.rightCount, t.total, this.passMark);
    return { right: t.rightCount, total: t.total, raw: score.raw, scaled: score.scaled, passed: score.passed,
             attempts: t.attempts };
  };

  // How much of the course is done, in per cent: each page seen and each
  // test passed counts one; a course completed and passed (its tests
  // together at the pass mark) is done. Cut down: 199 of 200 is not 100.
  Tracker.prototype.progress = function () {
    var self = this;
    var s = this.summary();
    if (s.completion === 'completed' && s.success !== 'failed') return 100;
    var done = 0;
    this.files.forEach(function (f, i) {
      var m = /^test(\d+)\.htm$/i.exec(f);
      var r = m ? self.testResult(m[1]) : null;
      if (m ? r && r.passed : self.state.seen[i]) done++;
    });
    return this.files.length ? Math.floor(100 * done / this.files.length) : 0;
  };

  Tracker.prototype.seen = function (index) {
    return !!this.state.seen[index];
  };

  Tracker.prototype.seed = function () {
    return this.state.seed;
  };

  // ---- what the LMS records of each question and test ----------------------

  // Every question of a checked attempt, a record each, numbered on from
  // those the LMS holds: { index, id (test7q3), test (test7), question
  // (its text), when, kind (choice or fill-in), chosen (the answers picked,
  // by place), correct (those to pick) and options (the answers' texts), or
  // text (typed) and accepted (the answers that count), right, seconds }.
  Tracker.prototype.interactionReport = function (key, questions, answers, right, seconds) {
    var when = new Date();
    var self = this;
    return questions.map(function (q, i) {
      var a = answers[i];
      var r = { index: self.interactions++, id: 'test' + key + 'q' + (i + 1), test: 'test' + key,
                question: String(q.text || ''), when: when,
                kind: q.kind === 'short' ? 'fill-in' : 'choice', right: !!right[i], seconds: seconds || 0 };
      if (q.kind === 'short') {
        r.text = typeof a === 'string' ? a : '';
        r.accepted = q.accepted.slice();
      } else {
        r.chosen = q.kind === 'single' ? (isCount(a) ? [a] : []) : Array.isArray(a) ? a.filter(isCount) : [];
        r.correct = [];
        r.options = q.answers.map(function (x) { return String(x.text || ''); });
        q.answers.forEach(function (x, k) { if (x.correct) r.correct.push(k); });
      }
      return r;
    });
  };

  // Each test's score and status, at its objective (Tracker.places), when
  // they change: { index, id (test7), raw (per cent, or null), scaled, status
  // (passed, failed or 'not attempted') }. Objectives are numbered without
  // gaps, so a test answered before the ones ahead of it reports those as
  // not attempted; nothing is reported before the first answer.
  Tracker.prototype.objectiveReport = function () {
    var self = this;
    var last = -1;
    var out = [];
    this.testKeys.forEach(function (key, i) { if (self.testResult(key)) last = i; });
    this.testKeys.slice(0, last + 1).forEach(function (key) {
      var at = self.places[key];
      var r = self.testResult(key);
      var status = r ? (r.passed ? 'passed' : 'failed') : 'not attempted';
      var said = status + ' ' + (r ? r.scaled : '');
      if (self.objectives[key] === said || at > self.objectiveCount) return;
      out.push({ index: at, id: 'test' + key, raw: r ? r.raw : null, scaled: r ? r.scaled : null, status: status });
      self.objectives[key] = said;
      if (at === self.objectiveCount) self.objectiveCount++;
    });
    return out;
  };

  // The answers of the test's record (its best attempt), or null.
  Tracker.prototype.answers = function (key, total) {
    var t = this.state.tests[key];
    return t && t.total === total && t.answers ? t.answers.slice() : null;
  };

  // A test left half done: the answers given and not checked, kept until
  // the test is checked (none at all: no draft).
  Tracker.prototype.keepDraft = function (key, answers) {
    if (!(key in this.totals) || !Array.isArray(answers) || !answers.every(isAnswer)) return;
    var blank = answers.every(function (a) { return a === null || a === '' || (Array.isArray(a) && !a.length); });
    if (blank) delete this.state.drafts[key];
    else this.state.drafts[key] = answers.slice();
    this.report();
  };

  // The draft of a test of `total` questions, or null.
  Tracker.prototype.draft = function (key, total) {
    var d = this.state.drafts[key];
    return d && d.length === total ? d.slice() : null;
  };

  Tracker.prototype.answered = function (key) {
    return !!this.state.tests[key];
  };

  // The learner leaves: the store keeps the record for the next launch.
  // Done (completed and not failed): the attempt is over; else it is
  // suspended, to go on with.
  Tracker.prototype.leaving = function (seconds) {
    var s = this.summary();
    return { exit: s.completion === 'completed' && s.success !== 'failed' ? 'normal' : 'suspend', seconds: seconds };
  };

  // Settles when the store has done what leaving asks (a cmi5 LRS has
  // answered "terminated").
  Tracker.prototype.finish = function (seconds) {
    return Promise.resolve(this.store.finish(this.leaving(seconds)));
  };

  // The page is hidden (a phone switched apps, a tab went to the back): all
  // is committed as if the learner left, and the session goes on.
  Tracker.prototype.suspend = function (seconds) {
    this.store.save({ leaving: this.leaving(seconds) });
  };

  return { encode: encode, decode: decode, summary: summary, emptyState: emptyState, Tracker: Tracker,
           RECORD_LIMIT: RECORD_LIMIT };
})();
if (typeof module !== 'undefined' && module.exports) module.exports = RdTracking;
