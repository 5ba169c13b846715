// The player's record of progress: finding the LMS, what goes into
// cmi.suspend_data (never over SCORM 1.2's 4,096 characters), the score and
// status, and what reaches the LMS and when.
'use strict';
const { test } = require('node:test');
const assert = require('node:assert/strict');
const { tracking } = require('./load.js');

const R = tracking();

// A SCORM 1.2 runtime that records every call.
function fakeApi(values = {}) {
  const calls = [];
  const cmi = { ...values };
  return {
    calls, cmi,
    LMSInitialize: () => { calls.push('init'); return 'true'; },
    LMSGetValue: (k) => (k in cmi ? cmi[k] : ''),
    LMSSetValue: (k, v) => { calls.push('set ' + k); cmi[k] = v; return 'true'; },
    LMSCommit: () => { calls.push('commit'); return 'true'; },
    LMSFinish: () => { calls.push('finish'); return 'true'; },
  };
}

const FILES = ['page2.htm', 'test1.htm', 'page4.htm', 'test2.htm'];
const tracker = (api, passMark = 80) => new R.Tracker(new R.LmsStore(api), { files: FILES, passMark });

test('the API is found up the frames, past frames of another origin, then through the opener', () => {
  const api = fakeApi();
  const lms = { API: api };
  lms.parent = lms;
  const foreign = { parent: lms, get API() { throw new Error('SecurityError'); } };
  const under = (parent, depth = 1) => (depth ? under({ parent }, depth - 1) : parent);
  assert.equal(R.findApi(under(foreign, 2)), api);
  const alone = { parent: null };
  alone.top = alone;
  assert.equal(R.findApi(alone), null);
  assert.equal(R.findApi({ parent: null, top: { opener: under(lms, 2) } }), api);
  assert.equal(R.findApi(under(lms, 12)), null, 'no further up than SCORM 1.2 looks');
});

test('suspend data keeps results first and never exceeds 4,096 characters', () => {
  const cases = [
    { name: 'small', tests: 2, questions: 5, answer: 'short' },
    { name: 'long answers', tests: 3, questions: 40, answer: 'ы'.repeat(400) + '"\\' },
    { name: 'many questions', tests: 400, questions: 300, answer: 'x' },
  ];
  for (const c of cases) {
    const s = R.emptyState(30);
    s.seen[3] = true;
    for (let t = 1; t <= c.tests; t++) {
      const right = Array.from({ length: c.questions }, (_, i) => i % 3 === 0);
      s.tests[t] = { total: c.questions, right, rightCount: right.filter(Boolean).length,
        answers: Array.from({ length: c.questions }, () => c.answer) };
    }
    const text = R.encode(s);
    assert.ok(text.length <= 4096, `${c.name}: ${text.length} characters`);
    const back = R.decode(text, 30);
    assert.equal(back.seen[3], true, c.name + ': pages seen');
    const kept = Object.keys(back.tests);
    assert.ok(kept.length > 0, c.name + ': some results kept');
    for (const k of kept) assert.equal(back.tests[k].rightCount, s.tests[k].rightCount, c.name);
    if (c.name === 'small') assert.deepEqual(back.tests, s.tests);
    if (c.name === 'long answers') assert.equal(kept.length, 3, 'answers go before results');
  }
});

test('a record from elsewhere or another version of the course loses only what no longer fits', () => {
  for (const junk of ['', 'not json', '[1]', '{"v":2}', '{"v":1,"n":4,"s":"!!","t":{"x":1,"1":{"q":-1}}}'])
    assert.deepEqual(R.decode(junk, 4), R.emptyState(4), junk);
  const s = R.emptyState(4);
  s.seen = [true, false, true, false];
  s.tests[1] = { total: 2, right: [true, false], rightCount: 1, answers: [0, 'x'] };
  const text = R.encode(s);
  assert.deepEqual(R.decode(text, 5).seen, [false, false, false, false, false], 'pages renumbered');
  assert.equal(R.decode(text, 5).tests[1].rightCount, 1);
  assert.deepEqual(R.decode(text.replace('"c":1', '"c":2'), 4).tests[1].right, null, 'counts disagree');
});

test('score and status over all questions of all tests', () => {
  const rows = [
    // seen, results by test [right, total], totals, pass mark -> raw, status
    [[1, 1], {}, {}, 80, null, 'completed'],
    [[1, 0], {}, {}, 80, null, 'incomplete'],
    [[1, 1], { 1: [3, 3] }, { 1: 3, 2: 5 }, 80, 38, 'incomplete'],
    [[1, 1], { 1: [3, 3], 2: [4, 5] }, { 1: 3, 2: 5 }, 80, 88, 'passed'],
    [[1, 1], { 1: [3, 3], 2: [3, 5] }, { 1: 3, 2: 5 }, 80, 75, 'failed'],
    [[1, 1], { 1: [3, 3], 2: [3, 5] }, { 1: 3, 2: 5 }, 75, 75, 'passed'],
    [[1, 1], { 1: [3, 3] }, { 1: 3, 2: 0 }, 80, 100, 'passed'],   // a test that cannot be read
    [[1, 1], { 1: [3, 3], 2: [1, 4] }, { 1: 3, 2: 5 }, 80, 38, 'incomplete'],  // its questions changed
  ];
  for (const [seen, results, totals, mark, raw, status] of rows) {
    const s = R.emptyState(seen.length);
    s.seen = seen.map(Boolean);
    for (const [k, [right, total]] of Object.entries(results))
      s.tests[k] = { total, right: null, rightCount: right, answers: null };
    const got = R.summary(s, totals, mark);
    assert.deepEqual([got.raw, got.status], [raw, status], JSON.stringify([seen, results, totals, mark]));
  }
});

test('what the LMS is told, committed after each change, and the session kept on leaving', () => {
  const api = fakeApi({ 'cmi.core.lesson_status': 'not attempted', 'cmi.student_data.mastery_score': '50' });
  const t = tracker(api);
  assert.equal(t.passMark, 50, "the LMS's mastery score wins");
  t.showPage(0);
  assert.deepEqual(api.calls, ['init', 'set cmi.core.lesson_location', 'set cmi.suspend_data',
    'set cmi.core.lesson_status', 'commit']);
  assert.equal(api.cmi['cmi.core.lesson_status'], 'incomplete');
  api.calls.length = 0;
  t.showPage(0);
  assert.deepEqual(api.calls, [], 'nothing changed, nothing sent');
  t.setTotal('1', 2);
  t.setTotal('2', 2);
  for (const i of [1, 2, 3]) t.showPage(i);
  t.recordTest('1', [true, true], [1, [0, 2]]);
  assert.equal(api.cmi['cmi.core.score.raw'], '50');
  assert.equal(api.cmi['cmi.core.lesson_status'], 'incomplete');
  t.recordTest('2', [false, false], ['a', 'b']);
  assert.deepEqual([api.cmi['cmi.core.score.raw'], api.cmi['cmi.core.lesson_status']], ['50', 'passed']);
  assert.equal(api.calls.filter((c) => c === 'commit').length, 5, 'three pages, two tests');
  t.finish(3725.4);
  t.finish(10);
  assert.equal(api.cmi['cmi.core.exit'], 'suspend');
  assert.equal(api.cmi['cmi.core.session_time'], '01:02:05');
  assert.deepEqual(api.calls.slice(-1), ['finish']);
  assert.equal(api.calls.filter((c) => c === 'finish').length, 1);

  // The next launch goes on where this one ended.
  const next = tracker(fakeApi(api.cmi));
  assert.equal(next.location, 'test2.htm');
  assert.deepEqual(next.answers('1', 2), [1, [0, 2]]);
  assert.equal(next.answers('1', 3), null, 'answers for other questions are not given back');
  assert.equal(next.summary().status, 'passed');
});

test('without an LMS the record lives in local storage, and storage that fails loses only it', () => {
  const items = {};
  const storage = { getItem: (k) => items[k] ?? null, setItem: (k, v) => { items[k] = v; } };
  const t = new R.Tracker(new R.LocalStore(storage, 'course-a'), { files: FILES, passMark: 80 });
  t.showPage(2);
  const again = new R.Tracker(new R.LocalStore(storage, 'course-a'), { files: FILES, passMark: 80 });
  assert.equal(again.location, 'page4.htm');
  assert.equal(new R.Tracker(new R.LocalStore(storage, 'course-b'), { files: FILES, passMark: 80 }).location, '');
  const broken = { getItem: () => { throw new Error('denied'); }, setItem: () => { throw new Error('full'); } };
  const b = new R.Tracker(new R.LocalStore(broken, 'k'), { files: FILES, passMark: 80 });
  assert.doesNotThrow(() => { b.showPage(1); b.finish(1); });
  const failing = fakeApi();
  failing.LMSInitialize = () => 'false';
  const store = new R.LmsStore(failing);
  assert.equal(store.open, false);
  assert.doesNotThrow(() => store.save({ 'cmi.core.lesson_location': 'x' }));
  assert.deepEqual(failing.calls, []);
});
