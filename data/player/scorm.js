// Where the learner's progress is kept when the course runs in an LMS
// that speaks SCORM (the 2004 runtime, API_1484_11, or the 1.2 one, API),
// or in no LMS at all (the browser's local storage). The tracker's
// reports are the same for all; each runtime has a small mapping of them
// to its own data model. Free of the DOM so that node can test it.
var RdScorm = (function () {
  'use strict';

  // ---- the mappings ------------------------------------------------------------

  var CHOICES = 'abcdefghijklmnopqrstuvwxyz0123456789';

  // The answers of a choice, one letter or digit each, or '' when one has
  // none (past 36 answers).
  function choiceList(indexes, delimiter) {
    if (!indexes.length || indexes.some(function (i) { return !(i >= 0 && i < CHOICES.length); })) return '';
    return indexes.map(function (i) { return CHOICES.charAt(i); }).join(delimiter);
  }

  // One line of at most `n` characters.
  function line(s, n) {
    return String(s).replace(/[\u0000-\u001f\u007f]+/g, ' ').trim().slice(0, n);
  }

  function pad(n, width) {
    var s = String(n);
    while (s.length < (width || 2)) s = '0' + s;
    return s;
  }

  // SCORM 1.2's CMITimespan: HH:MM:SS (hours in two to four digits), to
  // 9999 hours.
  function timespan(seconds) {
    var s = Math.max(0, Math.round(seconds || 0));
    return pad(Math.min(9999, Math.floor(s / 3600))) + ':' + pad(Math.floor(s / 60) % 60) + ':' + pad(s % 60);
  }

  // SCORM 2004's timeinterval: an ISO 8601 duration to a hundredth of a
  // second (PT1H2M5.4S).
  function duration(seconds) {
    var cs = Math.max(0, Math.round((seconds || 0) * 100));
    var h = Math.floor(cs / 360000);
    var m = Math.floor(cs / 6000) % 60;
    return 'PT' + (h ? h + 'H' : '') + (m ? m + 'M' : '') + (cs % 6000) / 100 + 'S';
  }

  // SCORM 2004's time: UTC to a hundredth of a second.
  function timestamp(date) {
    return date.toISOString().slice(0, 22) + 'Z';
  }

  // A learner's text as one of SCORM 2004's localized strings: one line of
  // at most 250 characters that neither holds the list delimiter "[,]" nor
  // starts with what reads as a language tag.
  function langString(s) {
    return line(String(s).replace(/\[,\]/g, ', '), 250).replace(/^\{/, '(');
  }

  function counted(v) {
    return /^\d{1,6}$/.test(v) ? Number(v) : 0;
  }

  var SCORM12 = {
    api: 'API',
    calls: { init: 'LMSInitialize', get: 'LMSGetValue', set: 'LMSSetValue', commit: 'LMSCommit', finish: 'LMSFinish' },
    limit: 4096,  // cmi.suspend_data
    // What the LMS holds of how far the learner got, by rank, and the
    // score that goes with it (see LmsStore.prototype.hold).
    held: { 'cmi.core.lesson_status': { ranks: { incomplete: 1, failed: 2, completed: 3, passed: 3 },
                                        score: 'cmi.core.score.' } },
    load: function (get) {
      var mastery = get('cmi.student_data.mastery_score');
      return { location: get('cmi.core.lesson_location'), suspend: get('cmi.suspend_data'),
               mastery: mastery !== '' && isFinite(Number(mastery)) ? Number(mastery) : null,
               learner: get('cmi.core.student_id'), mode: get('cmi.core.lesson_mode'),
               interactions: counted(get('cmi.interactions._count')),
               objectives: counted(get('cmi.objectives._count')),
               known: { 'cmi.core.lesson_status': get('cmi.core.lesson_status') } };
    },
    interaction: function (v, x) {
      var at = 'cmi.interactions.' + x.index + '.';
      var patterns = x.kind === 'fill-in' ? x.accepted.slice(0, 10).map(function (a) { return line(a, 255); })
        : [choiceList(x.correct, ',')];
      var response = x.kind === 'fill-in' ? line(x.text, 255) : choiceList(x.chosen, ',');
      v[at + 'id'] = x.id;
      v[at + 'objectives.0.id'] = x.test;
      v[at + 'time'] = pad(x.when.getHours()) + ':' + pad(x.when.getMinutes()) + ':' + pad(x.when.getSeconds());
      v[at + 'type'] = x.kind;
      patterns.forEach(function (p, k) { if (p) v[at + 'correct_responses.' + k + '.pattern'] = p; });
      v[at + 'weighting'] = '1';
      if (response) v[at + 'student_response'] = response;
      v[at + 'result'] = x.right ? 'correct' : 'wrong';
      v[at + 'latency'] = timespan(x.seconds);
    },
    objective: function (v, o) {
      var at = 'cmi.objectives.' + o.index + '.';
      v[at + 'id'] = o.id;
      if (o.raw !== null) {
        v[at + 'score.min'] = '0';
        v[at + 'score.max'] = '100';
        v[at + 'score.raw'] = String(o.raw);
      }
      v[at + 'status'] = o.status;
    },
    values: function (r) {
      var v = {};
      if ('location' in r) v['cmi.core.lesson_location'] = r.location.slice(0, 255);
      (r.interactions || []).forEach(function (x) { SCORM12.interaction(v, x); });
      if ('suspend' in r) v['cmi.suspend_data'] = r.suspend;
      // An LMS may judge the status by the raw score against the mastery
      // score when the session ends: it is given only with a status that
      // judges the course, so that a learner midway is neither failed nor
      // passed for the tests taken so far.
      if (r.score && r.status && (r.status.word === 'passed' || r.status.word === 'failed')) {
        v['cmi.core.score.min'] = '0';
        v['cmi.core.score.max'] = '100';
        v['cmi.core.score.raw'] = String(r.score.raw);
      }
      if (r.status) v['cmi.core.lesson_status'] = r.status.word;
      (r.objectives || []).forEach(function (o) { SCORM12.objective(v, o); });
      // Always "suspend": a SCORM 1.2 LMS keeps the record for the next
      // launch only then.
      if (r.leaving) {
        v['cmi.core.exit'] = 'suspend';
        v['cmi.core.session_time'] = timespan(r.leaving.seconds);
      }
      return v;
    }
  };

  var SCORM2004 = {
    api: 'API_1484_11',
    calls: { init: 'Initialize', get: 'GetValue', set: 'SetValue', commit: 'Commit', finish: 'Terminate' },
    limit: 64000,  // cmi.suspend_data
    held: { 'cmi.completion_status': { ranks: { incomplete: 1, completed: 2 }, score: null },
            'cmi.success_status': { ranks: { failed: 1, passed: 2 }, score: 'cmi.score.' } },
    load: function (get) {
      // A new attempt starts afresh whatever the LMS hands over. The pass
      // mark keeps the seven decimals of the scaled score the LMS judges.
      var fresh = get('cmi.entry') === 'ab-initio';
      var passing = get('cmi.scaled_passing_score');
      var scaled = Number(passing);
      return { location: fresh ? '' : get('cmi.location'), suspend: fresh ? '' : get('cmi.suspend_data'),
               mastery: passing !== '' && scaled >= 0 && scaled <= 1 ? Math.round(scaled * 1e7) / 1e5 : null,
               learner: get('cmi.learner_id'), mode: get('cmi.mode'),
               interactions: counted(get('cmi.interactions._count')),
               objectives: counted(get('cmi.objectives._count')),
               known: { 'cmi.completion_status': get('cmi.completion_status'),
                        'cmi.success_status': get('cmi.success_status') } };
    },
    // The type goes before the responses, whose form depends on it.
    interaction: function (v, x) {
      var at = 'cmi.interactions.' + x.index + '.';
      var patterns = x.kind === 'fill-in' ? x.accepted.slice(0, 10).map(langString)
        : [choiceList(x.correct, '[,]')];
      var response = x.kind === 'fill-in' ? langString(x.text) : choiceList(x.chosen, '[,]');
      v[at + 'id'] = x.id;
      v[at + 'type'] = x.kind;
      v[at + 'objectives.0.id'] = x.test;
      if (langString(x.question)) v[at + 'description'] = langString(x.question);
      v[at + 'timestamp'] = timestamp(x.when);
      v[at + 'weighting'] = '1';
      patterns.forEach(function (p, k) { if (p) v[at + 'correct_responses.' + k + '.pattern'] = p; });
      if (response) v[at + 'learner_response'] = response;
      v[at + 'result'] = x.right ? 'correct' : 'incorrect';
      v[at + 'latency'] = duration(x.seconds);
    },
    objective: function (v, o) {
      var at = 'cmi.objectives.' + o.index + '.';
      v[at + 'id'] = o.id;
      if (o.raw !== null) {
        v[at + 'score.scaled'] = String(o.scaled);
        v[at + 'score.raw'] = String(o.raw);
        v[at + 'score.min'] = '0';
        v[at + 'score.max'] = '100';
      }
      v[at + 'success_status'] = o.status === 'not attempted' ? 'unknown' : o.status;
      v[at + 'completion_status'] = o.status === 'not attempted' ? 'not attempted' : 'completed';
    },
    // A comma is a character like any other in a fill-in's answer, but a
    // runtime may read a bare one as the parts' delimiter in a value
    // without "[,]" and refuse the parts it makes (" b" of "a, b"). Such a
    // runtime takes the comma escaped and reads it back as the learner's,
    // so a response or pattern refused with a comma is set again so.
    again: function (name, value) {
      if (!/\.(learner_response|correct_responses\.\d+\.pattern)$/.test(name)) return null;
      return value.indexOf(',') >= 0 && value.indexOf('[,]') < 0 ? value.replace(/,/g, '\\,') : null;
    },
    values: function (r) {
      var v = {};
      if ('location' in r) v['cmi.location'] = r.location.slice(0, 1000);
      (r.interactions || []).forEach(function (x) { SCORM2004.interaction(v, x); });
      if ('suspend' in r) v['cmi.suspend_data'] = r.suspend;
      // The LMS judges success by the scaled score against its passing
      // score: it is given only once every test is taken, so a test not
      // taken yet (or one that cannot be shown) keeps success unknown.
      if (r.score && r.status && r.status.success !== 'unknown') v['cmi.score.scaled'] = String(r.score.scaled);
      if (r.score) {
        v['cmi.score.raw'] = String(r.score.raw);
        v['cmi.score.min'] = '0';
        v['cmi.score.max'] = '100';
      }
      if (r.status) {
        v['cmi.completion_status'] = r.status.completion;
        v['cmi.success_status'] = r.status.success;
      }
      (r.objectives || []).forEach(function (o) { SCORM2004.objective(v, o); });
      if (r.leaving) {
        v['cmi.exit'] = r.leaving.exit;
        v['cmi.session_time'] = duration(r.leaving.seconds);
      }
      return v;
    }
  };

  // ---- the LMS ------------------------------------------------------------------

  // The search for the LMS's API object: up the frames the course runs in,
  // then up those of the window that opened it. A frame of another origin
  // on the way is passed over, not a reason to stop.
  function findIn(win, runtime) {
    for (var tries = 0; win && tries < 8; tries++) {
      try {
        var api = win[runtime.api];
        if (api && typeof api[runtime.calls.init] === 'function') return api;
      } catch (e) { /* another origin */ }
      var up = null;
      try { up = win.parent; } catch (e) { up = null; }
      if (!up || up === win) break;
      win = up;
    }
    return null;
  }

  function findApi(win, runtime) {
    runtime = runtime || SCORM12;
    var api = findIn(win, runtime);
    if (api) return api;
    var opener = null;
    try { opener = win.top && win.top.opener; } catch (e) { opener = null; }
    return opener ? findIn(opener, runtime) : null;
  }

  // The LMS, through its runtime's API. Only what differs from what the
  // LMS holds is set, and a change is committed at once. A call that throws
  // (an LMS's script may) counts as refused; a value refused is not sent
  // again, and a record of progress refused is made shorter for the next
  // report (LMSs that keep less than their runtime promises).
  function LmsStore(api, runtime) {
    this.api = api;
    this.runtime = runtime || SCORM12;
    this.calls = this.runtime.calls;
    this.limit = this.runtime.limit;
    this.open = String(this.call('init', '')) === 'true';
    this.finished = false;
    this.sent = {};
    this.refused = {};
    this.held = {};
    this.uncommitted = false;
    this.told = false;  // of values refused, once a session
    this.warn = null;  // tells the learner that the LMS keeps nothing
  }
  var SHORTER_RECORDS = [4096, 1000];
  // What the learner's progress is kept by: one of these refused (the
  // record at its shortest) means the LMS keeps none, and the learner is
  // told. Interactions and objectives an LMS may not keep at all.
  var PROGRESS = /^cmi\.(suspend_data|core\.lesson_status|completion_status|success_status)$/;
  // The most objectives whose ids are read at launch.
  var OBJECTIVES_READ = 1000;

  LmsStore.prototype.call = function (what) {
    try {
      var v = this.api[this.calls[what]].apply(this.api, Array.prototype.slice.call(arguments, 1));
      return v === null || v === undefined ? '' : String(v);
    } catch (e) {
      return what === 'get' ? '' : 'false';
    }
  };
  LmsStore.prototype.get = function (name) {
    return this.open ? this.call('get', name) : '';
  };
  LmsStore.prototype.load = function () {
    var saved = this.runtime.load(this.get.bind(this));
    this.sent = saved.known;
    // Browsed or reviewed, the learner's work does not count: the LMS is
    // told nothing of it (it may refuse it, or take it as the attempt's).
    this.normal = saved.mode === '' || saved.mode === 'normal';
    for (var name in this.runtime.held) this.held[name] = saved.known[name];
    saved.objectiveIds = [];
    for (var i = 0; i < Math.min(saved.objectives, OBJECTIVES_READ); i++)
      saved.objectiveIds.push(this.get('cmi.objectives.' + i + '.id'));
    return saved;
  };
  // A status the LMS holds is never lowered within the attempt, nor the
  // score beside it: a record of progress lost or refused, or a course
  // converted again since, must not take back what the learner reached.
  LmsStore.prototype.hold = function (values) {
    var held = this.runtime.held;
    for (var name in held) {
      var ranks = held[name].ranks;
      if (!(name in values) || !(this.held[name] in ranks)) continue;
      if ((ranks[values[name]] || 0) >= ranks[this.held[name]]) {
        this.held[name] = values[name];
        continue;
      }
      delete values[name];
      for (var n in values) if (held[name].score && n.indexOf(held[name].score) === 0) delete values[n];
    }
  };
  LmsStore.prototype.save = function (report) {
    if (!this.open || this.finished || this.normal === false) return;
    var values = this.runtime.values(report);
    this.hold(values);
    var self = this;
    var stored = 0;
    var lost = false;
    Object.keys(values).forEach(function (name) {
      var value = String(values[name]);
      if (self.sent[name] === value || self.refused[name] === value) return;
      // Only a plain "false" is a refusal: some LMSs answer nothing.
      var other = self.runtime.again ? self.runtime.again(name, value) : null;
      if (self.call('set', name, value) !== 'false' || (other && self.call('set', name, other) !== 'false')) {
        self.sent[name] = value;
        stored++;
        return;
      }
      self.refused[name] = value;
      var shorter = SHORTER_RECORDS.filter(function (l) { return l < self.limit; });
      if (name === 'cmi.suspend_data' && shorter.length) self.limit = shorter[0];
      else if (PROGRESS.test(name)) lost = true;
    });
    if (lost && !this.told && this.warn) {
      this.told = true;
      this.warn();
    }
    // A commit refused (the LMS could not keep the values) is tried again
    // with the next report, changed or not, and the learner is told.
    if (!stored && !this.uncommitted) return;
    var was = this.uncommitted;
    this.uncommitted = this.call('commit', '') === 'false';
    if (this.uncommitted && !was && this.warn) this.warn();
  };
  LmsStore.prototype.finish = function (leaving) {
    if (!this.open || this.finished) return;
    this.save({ leaving: leaving });
    this.finished = true;
    this.call('finish', '');
  };

  // The LMS's runtime that answers, SCORM 2004 before 1.2, or null.
  function connect(win) {
    var runtimes = [SCORM2004, SCORM12];
    for (var i = 0; i < runtimes.length; i++) {
      var api = findApi(win, runtimes[i]);
      if (!api) continue;
      var store = new LmsStore(api, runtimes[i]);
      if (store.open) return store;
    }
    return null;
  }

  // ---- no LMS ---------------------------------------------------------------------

  // The browser's local storage, one entry per course, kept in SCORM 1.2's
  // terms. Storage that is switched off or full loses the record, never
  // the course.
  function LocalStore(storage, key) {
    this.storage = storage;
    this.key = key;
    this.limit = SCORM12.limit;
    this.record = {};
    this.text = null;  // the entry as last read or written here
    this.stored();
  }
  // The record of progress another tab of the course wrote since this one
  // last read or wrote the entry (the entry taken up as it is now), or null.
  LocalStore.prototype.stored = function () {
    var text = null;
    try { text = this.storage.getItem(this.key); } catch (e) { return null; }
    if (text === this.text) return null;
    this.text = text;
    try {
      var r = JSON.parse(text || '{}');
      if (!r || typeof r !== 'object') return null;
      this.record = r;
      return String(r.suspend || '');
    } catch (e) { return null; }
  };
  // The questions answered, as an LMS journals them, up to this many (the
  // oldest go first), and each test's objective.
  var LOCAL_INTERACTIONS = 500;

  LocalStore.prototype.load = function () {
    var r = this.record;
    if (!Array.isArray(r.interactions)) r.interactions = [];
    if (!Array.isArray(r.objectives)) r.objectives = [];
    return { location: String(r.location || ''), suspend: String(r.suspend || ''), mastery: null, learner: '',
             interactions: r.interactions.length, objectives: r.objectives.length,
             objectiveIds: r.objectives.map(function (o) { return o && typeof o === 'object' ? String(o.id) : ''; }) };
  };
  LocalStore.prototype.save = function (report) {
    var values = SCORM12.values(report);
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
    try {
      this.text = JSON.stringify(r);
      this.storage.setItem(this.key, this.text);
    } catch (e) { /* see above */ }
  };
  LocalStore.prototype.finish = function (leaving) {
    this.save({ leaving: leaving });
  };

  return { SCORM12: SCORM12, SCORM2004: SCORM2004, findApi: findApi, connect: connect,
           LmsStore: LmsStore, LocalStore: LocalStore };
})();
if (typeof module !== 'undefined' && module.exports) module.exports = RdScorm;
