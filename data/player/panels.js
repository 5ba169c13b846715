// What the player itself shows beside the course's pages: the progress bar,
// the results page and the "welcome back" page, drawn from the tracker.
// The texts come from the player (player.js), in the course's language.
var RdPanels = (function () {
  'use strict';

  function el(tag, cls, text) {
    var e = document.createElement(tag);
    if (cls) e.className = cls;
    if (text !== undefined) e.textContent = text;
    return e;
  }

  // The bar's value: the share of pages seen and tests passed.
  function progress(tracker, T) {
    var value = tracker ? tracker.progress() : 0;
    var bar = document.getElementById('progress');
    bar.setAttribute('aria-valuenow', String(value));
    bar.setAttribute('aria-valuetext', T.progressText(value));
    document.getElementById('progress-fill').style.width = value + '%';
    document.getElementById('progress-value').textContent = value + '%';
  }

  function link(e, go) {
    var a = el('a', '', e.title || e.file);
    a.href = '#' + e.file;
    a.addEventListener('click', function (ev) {
      ev.preventDefault();
      go(e);
    });
    return a;
  }

  // One row of the results table: the test, its score (or why none), its
  // state, and a way back to a test not yet passed that can still be
  // taken (`limit` attempts each, 0 for no limit).
  function resultRow(e, r, total, T, limit, go) {
    var tr = el('tr');
    var name = el('th', '', e.title || e.file);
    name.scope = 'row';
    tr.appendChild(name);
    var score = total === 0 ? T.cannotTake : r ? T.score(r.right, r.total, r.raw) : T.notTaken;
    tr.appendChild(el('td', '', score));
    // Not passed, and no attempt left to pass it with: not "yet".
    var locked = !!(r && !r.passed && limit && r.attempts >= limit);
    var state = el('td');
    state.appendChild(el('span', r && r.passed ? 'state passed' : 'state',
                         r ? (r.passed ? T.passed : locked ? T.statusWord.failed : T.notPassed) : '\u2014'));
    tr.appendChild(state);
    var to = el('td');
    if (locked && total !== 0) {
      to.textContent = T.noAttemptsLeft;
    } else if (!(r && r.passed) && total !== 0) {
      var a = link(e, go);
      a.textContent = T.retake(e.title || e.file);
      to.appendChild(a);
    }
    tr.appendChild(to);
    return tr;
  }

  // The pages not seen yet keep the course from completing, whatever its
  // tests say: how many, and a link to the first of them.
  function unseen(panel, tracker, pages, T, go) {
    var left = pages.filter(function (e, i) { return e.kind !== 'test' && !tracker.seen(i); });
    if (!left.length) return;
    var p = el('p', 'unseen', T.unseen(left.length) + ' ');
    p.appendChild(link(left[0], go));
    panel.appendChild(p);
  }

  // The results page: each test's score and the pass mark, the course's
  // status (and the pages it still lacks), and links back to the tests not
  // yet passed. `pages`: every page and test, in the tracker's order.
  function results(panel, tracker, tests, pages, T, limit, go) {
    panel.textContent = '';
    var s = tracker.summary();
    var totals = tracker.knownTotals();
    panel.appendChild(el('p', 'status status-' + s.status, T.courseStatus(T.statusWord[s.status] || s.status)));
    unseen(panel, tracker, pages, T, go);
    if (s.raw !== null && s.answered) panel.appendChild(el('p', '', T.overall(s.right, s.total, s.raw)));
    // A course without tests has no mark to reach.
    if (!tests.length) {
      panel.appendChild(el('p', '', T.noTests));
      return;
    }
    panel.appendChild(el('p', '', T.passMark(tracker.passMark)));
    var table = el('table', 'results');
    table.appendChild(el('caption', 'for-readers', T.results));
    var head = el('tr');
    [T.colTest, T.colScore, T.colState, T.colGo].forEach(function (h) {
      var th = el('th', '', h);
      th.scope = 'col';
      head.appendChild(th);
    });
    var thead = el('thead');
    thead.appendChild(head);
    table.appendChild(thead);
    var body = el('tbody');
    tests.forEach(function (e) {
      var key = RdTracking.Tracker.keyOf(e.data);
      body.appendChild(resultRow(e, tracker.testResult(key), totals[key], T, limit, go));
    });
    table.appendChild(body);
    panel.appendChild(table);
  }

  // A learner who comes back chooses: on at the bookmark, or from the start;
  // told first when the course changed since (without a bookmark, only the
  // start is left). Gives the button to focus.
  function welcome(panel, tracker, bookmark, T, onward, restart) {
    panel.textContent = '';
    if (tracker.changed) panel.appendChild(el('p', 'changed', T.courseChanged));
    if (bookmark) panel.appendChild(el('p', '', T.whereYouWere(bookmark.title || bookmark.file)));
    panel.appendChild(el('p', '', T.progressText(tracker.progress())));
    var buttons = el('p', 'buttons');
    var go = el('button', 'primary', T.continueWhere);
    go.type = 'button';
    go.id = 'continue';
    go.addEventListener('click', onward);
    var first = el('button', bookmark ? '' : 'primary', T.startOver);
    first.type = 'button';
    first.id = 'start-over';
    first.addEventListener('click', restart);
    if (bookmark) buttons.appendChild(go);
    buttons.appendChild(first);
    panel.appendChild(buttons);
    return bookmark ? go : first;
  }

  return { progress: progress, results: results, welcome: welcome };
})();
