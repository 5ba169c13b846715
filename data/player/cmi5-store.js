// Where the learner's progress goes when an LMS launched the course as a
// cmi5 assignable unit: the launch parameters are in the player's URL,
// and the protocol (the token from the fetch URL, LMS.LaunchData, the
// defined statements with their context) is done by the cmi5 client
// library bundled as player/cmi5.js, loaded only then. The learner's
// place and record are kept in the LRS's state API under a state id of
// the player's own; the tracker's reports become statements.
//
// A reload of the launch in the same tab (or a return to it with Back or
// Forward) goes on with the same session: the token and the session's
// start are kept in the tab's sessionStorage, as the fetch URL hands the
// token out once. A page cannot tell its reload from its closing, so
// each unload ends the session with "terminated" (most unloads are the
// learner leaving); the LMS refuses statements after it, so a page
// reloaded after that keeps the learner's progress in the state only, and
// the outcomes it reaches go out as statements at the registration's next
// launch.
var RdCmi5 = (function () {
  'use strict';

  var PARAMS = ['endpoint', 'fetch', 'actor', 'registration', 'activityId'];
  var STATE_ID = 'raredozud.progress';
  var INTERACTION = 'http://adlnet.gov/expapi/activities/cmi.interaction';
  var INITIALIZED = 'http://adlnet.gov/expapi/verbs/initialized';
  var CHOICES = 'abcdefghijklmnopqrstuvwxyz0123456789';

  // Launched by a cmi5 LMS: every launch parameter is in the URL.
  function launched(search) {
    var p = new URLSearchParams(search || '');
    return PARAMS.every(function (k) { return !!p.get(k); });
  }

  // The launch parameters missing from a URL that has some of them (a
  // cmi5 launch gone wrong), else none.
  function missing(search) {
    var p = new URLSearchParams(search || '');
    var lacking = PARAMS.filter(function (k) { return !p.get(k); });
    return lacking.length < PARAMS.length ? lacking : [];
  }

  // Where the LMS sends the learner on leaving: a web address only (one
  // of script, from a launch not to be trusted, would run in the course).
  function returnTo(v) {
    var u;
    try { u = typeof v === 'string' && v ? new URL(v, location.href) : null; } catch (e) { u = null; }
    return u && (u.protocol === 'https:' || u.protocol === 'http:') ? u.href : null;
  }

  function loadScript(src) {
    return new Promise(function (resolve, reject) {
      var s = document.createElement('script');
      s.src = src;
      s.onload = resolve;
      s.onerror = function () { reject(new Error(src + ' could not be loaded')); };
      document.head.appendChild(s);
    });
  }

  // The learner's id for the order of answers: the actor's account or
  // mailbox.
  function learnerOf(actor) {
    if (!actor || typeof actor !== 'object') return '';
    if (actor.account) return String(actor.account.homePage) + '|' + String(actor.account.name);
    return String(actor.mbox || actor.mbox_sha1sum || actor.openid || '');
  }

  // This launch as this tab keeps it across a reload: { token, initialized
  // (when the session began), ended (its "terminated" went out) }. Only
  // in sessionStorage: it stays with the tab and goes when the tab closes.
  function TabLaunch(p) {
    try { this.storage = window.sessionStorage || null; } catch (e) { this.storage = null; }
    this.key = 'raredozud.cmi5:' + p.registration + ' ' + p.fetch;
    this.kept = null;
  }

  // What the page before this one kept, when this page is its reload or
  // the learner came back to it with Back or Forward (the fetch URL would
  // refuse a second token then too).
  TabLaunch.prototype.reloaded = function () {
    var nav = window.performance && performance.getEntriesByType ? performance.getEntriesByType('navigation')[0] : null;
    if (!this.storage || !nav || (nav.type !== 'reload' && nav.type !== 'back_forward')) return null;
    try {
      var s = JSON.parse(this.storage.getItem(this.key));
      this.kept = s && typeof s.token === 'string' && s.token && !isNaN(Date.parse(s.initialized)) ? s : null;
    } catch (e) { this.kept = null; }
    return this.kept;
  };

  // A duplicated tab copies this one's sessionStorage and history, so it
  // too would go on with the session as a reload does: two pages of one
  // session, their statements mixed, each ending it. The page that has the
  // launch holds a lock of the browser's, named by it, for as long as it
  // is shown; a page that finds it held elsewhere keeps nothing of the
  // launch. A reload may ask before the page it replaces has let go, so a
  // lock held is asked after again a little later. Locks exist only on
  // https and the local host; elsewhere the page that has the launch
  // keeps a database of the browser's open, named by it, and a page that
  // would go on asks for a newer version of it: the browser holds that
  // back ("blocked") while a connection of another page is open. The
  // browser keeps the connection of a page it has frozen (a tab long in
  // the background), which runs no script to answer a message, and drops
  // it with a page closed or crashed.
  var LET_GO_WAIT = 500;
  var LET_GO_TRIES = 4;

  function later(ms) {
    return new Promise(function (r) { setTimeout(r, ms); });
  }

  // Whether a page holds the database named `key` open. The upgrade asked
  // for is never made: the version stays 1, which the holder opens. It is
  // held back while a holder is there, and goes through once a page
  // reloaded in its place has let go; one held back longer finds it held.
  function openedElsewhere(key) {
    return new Promise(function (resolve) {
      var ask = indexedDB.open(key, 2);
      ask.onupgradeneeded = function () { ask.transaction.abort(); resolve(false); };
      ask.onsuccess = function () { ask.result.close(); resolve(false); };
      ask.onerror = function (e) { if (e.preventDefault) e.preventDefault(); resolve(false); };
      setTimeout(function () { resolve(true); }, LET_GO_WAIT * LET_GO_TRIES);
    });
  }

  function hasDatabases() {
    try { return typeof indexedDB === 'object' && !!indexedDB; } catch (e) { return false; }
  }

  TabLaunch.prototype.heldElsewhere = function () {
    var locks = navigator.locks;
    var key = this.key;
    if (!locks) return hasDatabases() ? openedElsewhere(key).catch(function () { return false; }) : Promise.resolve(false);
    var ask = function (tries) {
      return locks.query().then(function (state) {
        var h = state.held.some(function (l) { return l.name === key; });
        return h && tries ? later(LET_GO_WAIT).then(function () { return ask(tries - 1); }) : h;
      });
    };
    return ask(LET_GO_TRIES).catch(function () { return false; });
  };

  // The database held open while the page is shown. A page leaving (for
  // good, or into the browser's cache for Back) closes and deletes it, else
  // every launch would leave one behind; shown again, it holds it again.
  function holdDatabase(tab) {
    try {
      var open = indexedDB.open(tab.key, 1);
      // Kept open, whoever asks for a newer version: that one is held back.
      open.onsuccess = function () {
        tab.database = open.result;
        tab.database.onversionchange = function () {};
      };
      open.onerror = function (e) { if (e.preventDefault) e.preventDefault(); };
    } catch (e) { /* no database: a duplicate is not told apart */ }
  }

  TabLaunch.prototype.hold = function () {
    var self = this;
    if (!navigator.locks) {
      if (!hasDatabases()) return;
      holdDatabase(this);
      window.addEventListener('pagehide', function () {
        if (!self.database) return;
        self.database.close();
        self.database = null;
        indexedDB.deleteDatabase(self.key);
      });
      window.addEventListener('pageshow', function (e) { if (e.persisted) holdDatabase(self); });
      return;
    }
    navigator.locks.request(this.key, { ifAvailable: true }, function (lock) {
      return lock ? new Promise(function () {}) : null;
    }).catch(function () { /* no lock: a duplicate is not told apart */ });
  };

  TabLaunch.prototype.keep = function (s) {
    this.kept = s;
    try {
      if (this.storage) this.storage.setItem(this.key, JSON.stringify(s));
    } catch (e) { /* a full or barred storage: a reload cannot go on with the session */ }
  };

  // `lib`: the library's client, initialized; `doc`: the state kept for
  // this registration ({ location, suspend, completed, passed, failed:
  // whether the last outcome sent was "failed" }, or null: unread); `lang`:
  // the course's language, for the questions' texts; `tab`: the launch as
  // this tab keeps it (a TabLaunch, or none).
  function Cmi5Store(lib, doc, lang, tab) {
    this.lib = lib;
    this.tab = tab || null;
    // The session's "terminated" went out before a reload: no statement more.
    this.ended = !!(tab && tab.kept && tab.kept.ended);
    this.lang = lang || 'und';
    this.limit = RdTracking.RECORD_LIMIT;
    // The state could not be read: writing this session's record over it,
    // or sending outcomes without knowing those sent, would undo the
    // learner's past.
    this.unread = !doc;
    doc = doc || {};
    this.doc = { location: String(doc.location || ''), suspend: String(doc.suspend || ''),
                 completed: doc.completed === true, passed: doc.passed === true, failed: doc.failed === true };
    var data = lib.getLaunchData() || {};
    this.normal = data.launchMode === 'Normal';
    this.returnURL = returnTo(data.returnURL);
    var mastery = Number(data.masteryScore);
    // The pass mark keeps the seven decimals of the scaled score it is
    // judged against (0.7954545: 35 of 44 passes here as in the LMS).
    this.mastery = data.masteryScore !== undefined && mastery >= 0 && mastery <= 1 ? Math.round(mastery * 1e7) / 1e5 : null;
    this.failed = false;  // in this session
    this.going = {};  // outcome statements on their way: { passed: true, ... }
    this.finished = false;
    this.waiting = [];  // requests not made yet, in order
    this.busy = false;  // one is on its way
    this.unsaved = false;  // the last state write was refused
    this.warn = null;  // tells the learner that nothing is kept (see trouble)
    this.warned = false;
    this.batch = null;  // statements a flush gathers
    this.made = {};  // each outcome's statement, once made
    this.unsent = [];  // answers' statements the LRS refused
    this.making = null;
    through(this, lib);
  }

  function failed(e) {
    if (window.console) console.error('cmi5: ' + (e && e.message ? e.message : e));
  }

  // Each request waits for the answer to the one before, so that the LRS
  // gets the statements in the order they were made. Once the learner
  // leaves, nothing may wait for an answer: a page gone runs no more
  // script, and what waited behind a slow answer ("terminated" among it)
  // would never go out. So from then on what waits goes out at once
  // (flush).
  Cmi5Store.prototype.send = function (what) {
    this.waiting.push(what);
    if (this.finished) this.flush();
    else this.next();
  };

  function attempt(what) {
    try { return Promise.resolve(what()); } catch (e) { return Promise.reject(e); }
  }

  Cmi5Store.prototype.next = function () {
    var self = this;
    if (this.busy || !this.waiting.length) return;
    this.busy = true;
    attempt(this.waiting.shift()).catch(function (e) { self.trouble(e); }).then(function () {
      self.busy = false;
      if (self.finished) self.flush();
      else self.next();
    });
  };

  // What waits, sent at once: its statements in one request, in their
  // order and "terminated" last (sent apart, a later statement may reach
  // the LRS first, and one after "terminated" is refused); its state
  // writes beside it.
  Cmi5Store.prototype.flush = function () {
    var self = this;
    var batch = this.batch = [];
    try {
      while (this.waiting.length) attempt(this.waiting.shift()).catch(function (e) { self.trouble(e); });
    } finally {
      this.batch = null;
    }
    if (!batch.length) return;
    this.lib.xapi.sendStatements({ statements: batch.map(function (b) { return b.statement; }) }).then(function (r) {
      batch.forEach(function (b) { b.resolve(r); });
    }, function (e) {
      batch.forEach(function (b) { b.reject(e); });
    });
  };

  // Every statement the library makes goes through here: noted as the
  // outcome being made (`making`), gathered while a flush gathers them.
  function through(store, lib) {
    var send = lib.sendXapiStatement.bind(lib);
    lib.sendXapiStatement = function (statement) {
      if (store.making) store.made[store.making] = statement;
      if (!store.batch) return send(statement);
      return new Promise(function (resolve, reject) {
        store.batch.push({ statement: statement, resolve: resolve, reject: reject });
      });
    };
  }

  // A request refused or failed. One refused for want of the right to make
  // it (the LRS no longer takes the session's token) means that nothing
  // of this session will be kept: the learner is told (`warn`, set by the
  // player), once.
  Cmi5Store.prototype.trouble = function (e) {
    failed(e);
    var status = e && e.response ? e.response.status : 0;
    if (status === 401 || status === 403) this.lost();
  };

  Cmi5Store.prototype.lost = function () {
    if (!this.warn || this.warned) return;
    this.warned = true;
    this.warn();
  };

  Cmi5Store.prototype.state = function () {
    var p = this.lib.getLaunchParameters();
    return { agent: p.actor, activityId: p.activityId, registration: p.registration, stateId: STATE_ID };
  };

  Cmi5Store.prototype.load = function () {
    return { location: this.doc.location, suspend: this.doc.suspend, mastery: this.mastery,
             learner: learnerOf(this.lib.getLaunchParameters().actor), interactions: 0, objectives: 0 };
  };

  Cmi5Store.prototype.putState = function () {
    var self = this;
    // Outside the Normal launch mode (Browse, Review) the learner's work
    // does not count: kept, it would earn outcomes at the next launch. A
    // state not read is not written over.
    if (this.unread || !this.normal) return;
    var doc = JSON.stringify(this.doc);
    this.send(function () {
      var args = self.state();
      args.state = JSON.parse(doc);
      // One refused is written again with the next report, or as the
      // learner leaves: else the progress since the last one kept is lost.
      // Refused twice running, it is not a moment's outage: the learner is
      // told, once.
      return self.lib.xapi.setState(args).then(function () { self.unsaved = false; }, function (e) {
        if (self.unsaved) self.lost();
        self.unsaved = true;
        throw e;
      });
    });
  };

  function langMap(lang, text) {
    var m = {};
    m[lang] = text;
    return m;
  }

  // An "answered" statement for each question checked, with the
  // interaction's definition and the learner's response in xAPI's forms.
  Cmi5Store.prototype.answered = function (x) {
    if (this.ended) return;
    var lib = this.lib;
    var lang = this.lang;
    var letters = function (list) { return list.map(function (i) { return CHOICES.charAt(i); }).join('[,]'); };
    var def = { type: INTERACTION, interactionType: x.kind };
    if (x.question) def.description = langMap(lang, x.question.slice(0, 1000));
    var response;
    if (x.kind === 'fill-in') {
      response = x.text.replace(/\[,\]/g, ', ');
      def.correctResponsesPattern = x.accepted.map(function (a) { return a.replace(/\[,\]/g, ', '); });
    } else {
      response = x.chosen.filter(function (i) { return i < CHOICES.length; }).length === x.chosen.length ? letters(x.chosen) : '';
      def.correctResponsesPattern = [letters(x.correct.filter(function (i) { return i < CHOICES.length; }))];
      def.choices = x.options.slice(0, CHOICES.length).map(function (t, i) {
        return { id: CHOICES.charAt(i), description: langMap(lang, t.slice(0, 1000) || CHOICES.charAt(i)) };
      });
    }
    var end = x.when;
    var start = new Date(end.getTime() - Math.max(0, x.seconds) * 1000);
    var self = this;
    this.send(function () {
      self.making = 'answered';
      try {
        var sent = lib.interaction(x.test, x.id.replace(/^test\d+/, ''), response, def, x.right, { start: start, end: end });
      } finally {
        self.making = null;
      }
      return self.answerSent(sent, self.made.answered);
    });
  };

  // An answer the LRS refused goes again with the next report, or as the
  // learner leaves: the same statement, of the same id, so that an LRS that
  // took it with its answer lost holds it once (409: it holds it).
  Cmi5Store.prototype.answerSent = function (sent, statement) {
    var self = this;
    return sent.catch(function (e) {
      if (e && e.response && e.response.status === 409) return;
      if (statement) self.unsent.push(statement);
      throw e;
    });
  };

  Cmi5Store.prototype.answersAgain = function () {
    var self = this;
    this.unsent.splice(0).forEach(function (statement) {
      self.send(function () { return self.answerSent(self.lib.sendXapiStatement(statement), statement); });
    });
  };

  // The defined statements, under their rules: in the Normal launch mode
  // only; completed and passed once a registration, failed once a session
  // and never after passed; each with the score over all tests. An outcome
  // already sent is not sent again when a later session starts with it.
  // The state notes an outcome only once the LRS took its statement: one
  // refused goes out again at the next report, or at the next launch.
  Cmi5Store.prototype.outcome = function (status, score) {
    var lib = this.lib;
    var doc = this.doc;
    var going = this.going;
    if (!this.normal || this.ended || this.unread) return;
    var result = score ? { scaled: score.scaled, raw: score.raw, min: 0, max: 100 } : undefined;
    if (status.success === 'passed' && !doc.passed && !going.passed) {
      this.sendOutcome('passed', function () { return lib.pass(result); });
    } else if (status.success === 'failed' && !doc.passed && !going.passed && !doc.failed && !this.failed && !going.failed) {
      this.sendOutcome('failed', function () { return lib.fail(result); });
    }
    if (status.completion === 'completed' && !doc.completed && !going.completed) {
      this.sendOutcome('completed', function () { return lib.complete(); });
    }
  };

  // `verb`: "passed", "failed" or "completed"; `request` sends its statement.
  // The statement is made once: sent again (refused, or taken with its
  // answer lost), it keeps its id, so that an LRS that holds it does not
  // record the outcome twice.
  Cmi5Store.prototype.sendOutcome = function (verb, request) {
    var self = this;
    var made = this.made[verb];
    this.going[verb] = true;
    this.send(function () {
      self.making = made ? null : verb;
      var sent;
      try {
        sent = made ? self.lib.sendXapiStatement(made) : request();
      } finally {
        self.making = null;
      }
      // 409: the LRS holds a statement of this id, which is ours.
      return sent.catch(function (e) {
        self.going[verb] = false;
        if (!(e && e.response && e.response.status === 409)) throw e;
      }).then(function () {
        self.going[verb] = false;
        self.doc[verb] = true;
        if (verb === 'passed') self.doc.failed = false;
        if (verb === 'failed') self.failed = true;
        self.putState();
      });
    });
  };

  // After "terminated" (a page the browser kept and showed again, a
  // reload) only the state is written.
  Cmi5Store.prototype.save = function (report) {
    var self = this;
    if (!this.ended) this.answersAgain();
    (report.interactions || []).forEach(function (x) { self.answered(x); });
    var kept = this.doc.location + '\n' + this.doc.suspend;
    if ('location' in report) this.doc.location = report.location;
    if ('suspend' in report) this.doc.suspend = report.suspend;
    if (this.doc.location + '\n' + this.doc.suspend !== kept || this.unsaved) this.putState();
    if (report.status) this.outcome(report.status, report.score);
  };

  // The learner leaves: "terminated", the session's last statement, once;
  // the tab notes it for a reload. The page may be going away, so the
  // library's requests go out as fetches the browser finishes on its own
  // (keepalive) from now on. Settles once the LRS has answered it.
  Cmi5Store.prototype.finish = function () {
    if (this.finished) return Promise.resolve();
    this.finished = true;
    keepAlive(this.lib.xapi.getAxios());
    if (this.unsaved) this.putState();
    if (this.ended) {
      this.flush();
      return Promise.resolve();
    }
    this.answersAgain();
    this.ended = true;
    if (this.tab && this.tab.kept) {
      this.tab.kept.ended = true;
      this.tab.keep(this.tab.kept);
    }
    var self = this;
    return new Promise(function (answered) {
      self.send(function () { return attempt(function () { return self.lib.terminate(); }).finally(answered); });
    });
  };

  // The library's HTTP client sends through `fetch` with keepalive: a
  // request made while the page unloads still reaches the LRS.
  function keepAlive(http) {
    http.defaults.adapter = function (config) {
      var headers = config.headers && config.headers.toJSON ? config.headers.toJSON() : config.headers;
      return fetch(config.url, { method: String(config.method || 'get').toUpperCase(), headers: headers,
                                 body: config.data, keepalive: true, signal: config.signal }).then(function (res) {
        return res.text().then(function (data) {
          var response = { data: data, status: res.status, statusText: res.statusText, headers: {}, config: config, request: null };
          if (res.ok) return response;
          // Refused, as the library's own client says: the outcome is not noted as sent.
          var e = new Error('the LRS answered ' + res.status);
          e.response = response;
          throw e;
        });
      });
    };
  }

  // A request the LRS failed, made again a second later (an outage may be
  // that short); one that cannot go better (`final`) is not.
  function twice(request) {
    return request().catch(function (e) {
      if (e && e.final) throw e;
      failed(e);
      return later(1000).then(request);
    });
  }

  // The token is fetched once: the fetch URL refuses a second time, so a
  // launch made again after a failure (LMS.LaunchData or "initialized"
  // refused) goes on with the token it got. An answer without one (the
  // URL used before) is final.
  // One the fetch URL has not answered yet (the launch timed out) is
  // waited for again, not asked a second time.
  function fetchOnce(lib) {
    var fetchToken = lib.getAuthTokenFromLMS.bind(lib);
    var asked = null;
    lib.getAuthTokenFromLMS = function (url) {
      asked = asked || fetchToken(url).then(function (t) {
        if (typeof t === 'string' && t) return t;
        var e = new Error('the fetch URL gave no token: it was used before');
        e.final = true;
        throw e;
      }, function (e) {
        asked = null;
        throw e;
      });
      return asked;
    };
  }

  // A request the LMS or LRS never answers would hold the launch, or every
  // request behind it, for ever: past this it counts as failed and is made
  // again as failed ones are.
  var ANSWER_WAIT = 30000;

  function inTime(promise) {
    return new Promise(function (resolve, reject) {
      var timer = setTimeout(function () { reject(new Error('no answer in ' + ANSWER_WAIT / 1000 + ' seconds')); }, ANSWER_WAIT);
      promise.then(resolve, reject).finally(function () { clearTimeout(timer); });
    });
  }

  // The library's HTTP client gives up a request unanswered in time.
  function timeLimit(http) {
    http.interceptors.request.use(function (config) {
      var stop = new AbortController();
      config.rdTimer = setTimeout(function () { stop.abort(); }, ANSWER_WAIT);
      config.signal = stop.signal;
      return config;
    });
    http.interceptors.response.use(function (r) {
      clearTimeout(r.config.rdTimer);
      return r;
    }, function (e) {
      if (e && e.config) clearTimeout(e.config.rdTimer);
      throw e;
    });
  }

  // "initialized" is made once a session: a launch made again after its
  // request failed sends the same statement, of the same id, so that an
  // LRS that took it and whose answer was lost does not record two.
  // A launch given up for want of an answer may still go on, so the
  // library keeps sending that one statement for "initialized".
  function initializeOnce(lib, session) {
    var send = lib.sendXapiStatement.bind(lib);
    var made = null;
    lib.sendXapiStatement = function (statement) {
      if (!statement || !statement.verb || statement.verb.id !== INITIALIZED) return send(statement);
      made = made || statement;
      return send(made).catch(function (e) {
        // 409: the LRS holds a statement of this id, which is ours.
        if (!(e && e.response && e.response.status === 409)) throw e;
      });
    };
    return twice(function () { return inTime(lib.initialize(session)); });
  }

  // The state kept for this registration: {} when there is none (404), or
  // null when the LRS could not give it (asked twice, a second apart).
  function readState(lib) {
    var p = lib.getLaunchParameters();
    var args = { agent: p.actor, activityId: p.activityId, registration: p.registration, stateId: STATE_ID };
    var read = function () {
      return lib.xapi.getState(args).then(function (r) { return r.data && typeof r.data === 'object' ? r.data : {}; },
        function (e) {
          if (e && e.response && e.response.status === 404) return {};
          throw e;
        });
    };
    return twice(read).catch(function (e) {
      failed(e);
      if (window.console) {
        console.error('cmi5: the progress kept in the LRS could not be read: the course starts afresh, ' +
                      'and this session neither writes over that progress nor sends an outcome');
      }
      return null;
    });
  }

  // Loads the library, reads the launch (the token, LMS.LaunchData, which
  // also says "initialized"; on a reload in this tab, the token and start
  // kept, without a second "initialized") and the state kept for this
  // registration.
  function open(base, lang) {
    return loadScript(base + 'cmi5.js').then(function () {
      var lib = new window.RdCmi5Lib.Cmi5();
      var tab = new TabLaunch(lib.getLaunchParameters());
      var kept = tab.reloaded();
      var session = kept ? { authToken: kept.token, initializedDate: new Date(kept.initialized) } : undefined;
      fetchOnce(lib);
      return (kept ? tab.heldElsewhere() : Promise.resolve(false)).then(function (elsewhere) {
        if (!elsewhere) return initializeOnce(lib, session);
        var e = new Error('the session of this launch goes on in another tab');
        e.elsewhere = true;
        throw e;
      }).then(function () {
        tab.hold();
        timeLimit(lib.xapi.getAxios());
        if (!kept) tab.keep({ token: lib.getAuthToken(), initialized: lib.getInitializedDate().toISOString(), ended: false });
        else if (kept.ended && window.console) {
          console.info('cmi5: the session ended before this page was shown again; the progress goes to the state, ' +
                       'the outcome at the next launch');
        }
        return readState(lib);
      }).then(function (doc) {
        var store = new Cmi5Store(lib, doc, lang, tab);
        if (!store.normal && window.console) {
          console.info('cmi5: launched to ' + (lib.getLaunchData() || {}).launchMode + ': the progress made is not kept');
        }
        return store;
      });
    });
  }

  return { launched: launched, missing: missing, open: open, Cmi5Store: Cmi5Store, STATE_ID: STATE_ID };
})();
if (typeof module !== 'undefined' && module.exports) module.exports = RdCmi5;
