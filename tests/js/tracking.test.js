// The player's record of progress: finding the LMS, what goes into
// cmi.suspend_data (never over SCORM 1.2's 4,096 characters), the score and
// status, and what reaches the LMS and when.
'use strict';
const { test } = require('node:test');
const assert = require('node:assert/strict');
const { tracking, scorm } = require('./load.js');

const R = tracking();
const S = scorm();

// A SCORM runtime (1.2 by default) that records every call.
function fakeApi(values = {}, runtime = S.SCORM12) {
  const calls = [];
  const cmi = { ...values };
  const c = runtime.calls;
  return {
    calls, cmi,
    [c.init]: () => { calls.push('init'); return 'true'; },
    [c.get]: (k) => (k in cmi ? cmi[k] : ''),
    [c.set]: (k, v) => { calls.push('set ' + k); cmi[k] = v; return 'true'; },
    [c.commit]: () => { calls.push('commit'); return 'true'; },
    [c.finish]: () => { calls.push('finish'); return 'true'; },
  };
}

const FILES = ['page2.htm', 'test1.htm', 'page4.htm', 'test2.htm'];
const tracker = (api, passMark = 80) => new R.Tracker(new S.LmsStore(api), { files: FILES, passMark });

test('the API is found up the frames, past frames of another origin, then through the opener', () => {
  const api = fakeApi();
  const lms = { API: api };
  lms.parent = lms;
  const foreign = { parent: lms, get API() { throw new Error('SecurityError'); } };
  const under = (parent, depth = 1) => (depth ? under({ parent }, depth - 1) : parent);
  assert.equal(S.findApi(under(foreign, 2)), api);
  const alone = { parent: null };
  alone.top = alone;
  assert.equal(S.findApi(alone), null);
  assert.equal(S.findApi({ parent: null, top: { opener: under(lms, 2) } }), api);
  assert.equal(S.findApi(under(lms, 12)), null, 'no further up than SCORM 1.2 looks');
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
        answers: Array.from({ length: c.questions }, () => c.answer), attempts: 1 + (t % 99) };
    }
    const text = R.encode(s, 4096);
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
  s.tests[1] = { total: 2, right: [true, false], rightCount: 1, answers: [0, 'x'], attempts: 1 };
  const text = R.encode(s, 4096);
  assert.deepEqual(R.decode(text, 5).seen, [false, false, false, false, false], 'pages renumbered');
  assert.equal(R.decode(text, 5).tests[1].rightCount, 1);
  assert.deepEqual([R.decode(text, 5).changed, R.decode(text, 4).changed], [true, undefined]);
  assert.deepEqual(R.decode(text.replace('"c":1', '"c":2'), 4).tests[1].right, null, 'counts disagree');
});

test('score and status over all questions of all tests', () => {
  const rows = [
    // seen, results by test [right, total], totals, pass mark -> raw, status
    [[1, 1], {}, {}, 80, null, 'completed'],
    [[1, 0], {}, {}, 80, null, 'incomplete'],
    [[1, 1], { 1: [3, 3] }, { 1: 3, 2: 5 }, 80, 37, 'incomplete'],
    [[1, 1], { 1: [3, 3], 2: [4, 5] }, { 1: 3, 2: 5 }, 80, 87, 'passed'],
    [[1, 1], { 1: [3, 3], 2: [3, 5] }, { 1: 3, 2: 5 }, 80, 75, 'failed'],
    [[1, 1], { 1: [3, 3], 2: [3, 5] }, { 1: 3, 2: 5 }, 75, 75, 'passed'],
    [[1, 1], { 1: [3, 3] }, { 1: 3, 2: 0 }, 80, 100, 'incomplete'],   // a test that cannot be read: never complete
    [[1, 1], { 1: [3, 3], 2: [1, 4] }, { 1: 3, 2: 5 }, 80, 37, 'incomplete'],  // its questions changed
    // a per cent just short of the mark is not rounded up to it; a mark of
    // the LMS's with decimals is reached by the exact share, and the per
    // cent keeps its decimals, so that the LMS judges it alike
    [[1, 1], { 1: [35, 44] }, { 1: 44 }, 80, 79, 'failed'],
    [[1, 1], { 1: [159, 200] }, { 1: 200 }, 79.5, 79.5, 'passed'],
    [[1, 1], { 1: [34, 44] }, { 1: 44 }, 77.28, 77.27, 'failed'],
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
  // No score midway: the LMS would judge the course by it at the mastery score.
  assert.deepEqual([api.cmi['cmi.core.score.raw'], api.cmi['cmi.core.lesson_status']], [undefined, 'incomplete']);
  assert.notEqual(t.progress(), 100);
  t.recordTest('2', [false, false], ['a', 'b']);
  assert.deepEqual([api.cmi['cmi.core.score.raw'], api.cmi['cmi.core.lesson_status']], ['50', 'passed']);
  assert.equal(t.progress(), 100, 'passed as a whole: done, though test 2 is below the mark');
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

test('the progress is cut down, never rounded up to done', () => {
  const files = Array.from({ length: 200 }, (_, i) => `page${i + 1}.htm`);
  const t = new R.Tracker(new S.LmsStore(fakeApi()), { files, passMark: 80 });
  for (let i = 0; i < 199; i++) t.showPage(i);
  assert.equal(t.progress(), 99);
  t.showPage(199);
  assert.equal(t.progress(), 100);
});

// SCORM 1.2's vocabularies and formats for what the player writes of
// questions and tests (RTE 3.4.2.7 and 3.4.2.6).
const VALID = [
  [/^cmi\.interactions\.\d+\.id$/, /^[A-Za-z0-9]{1,255}$/],
  [/^cmi\.interactions\.\d+\.objectives\.0\.id$/, /^[A-Za-z0-9]{1,255}$/],
  [/^cmi\.interactions\.\d+\.type$/, /^(choice|fill-in)$/],
  [/^cmi\.interactions\.\d+\.(student_response|correct_responses\.\d+\.pattern)$/, /^[^\n]{0,255}$/],
  [/^cmi\.interactions\.\d+\.result$/, /^(correct|wrong)$/],
  [/^cmi\.interactions\.\d+\.weighting$/, /^1$/],
  [/^cmi\.interactions\.\d+\.time$/, /^([01]\d|2[0-3]):[0-5]\d:[0-5]\d$/],
  [/^cmi\.interactions\.\d+\.latency$/, /^\d{2,4}:[0-5]\d:[0-5]\d$/],
  [/^cmi\.objectives\.\d+\.id$/, /^test\d+$/],
  [/^cmi\.objectives\.\d+\.score\.(raw|min|max)$/, /^(100|\d{1,2})$/],
  [/^cmi\.objectives\.\d+\.status$/, /^(passed|failed|not attempted)$/],
  [/^cmi\.(core\.|suspend_data)/, /[\s\S]*/],
];

test('each checked question becomes an interaction and each test an objective, in SCORM 1.2\'s terms', () => {
  const api = fakeApi({ 'cmi.core.student_id': 'learner-7' });
  const set = [];
  const setValue = api.LMSSetValue;
  api.LMSSetValue = (k, v) => { set.push([k, v]); return setValue(k, v); };
  const t = tracker(api);
  const Q = require('./load.js').quiz();
  const quiz = (lines) => Q.load('%TEST=x\r\n' + lines.join('\r\n') + '\r\n%TEST_END\r\n').questions;
  const first = quiz(['S?', 'a) x', '*b) y', '', 'M?', '*a) x', 'b) y', '*c) z', '', 'T?', '=Москва', '=Moscow']);
  const second = quiz(['S?', '*a) x', 'b) y']);
  t.setTotal('1', 3);
  t.setTotal('2', 1);
  // [test, answers, questions] -> result by question, the record after it
  const rows = [
    ['2', [1], second, ['wrong'], 0],  // the first test, not yet answered, goes before it
    ['1', [1, [0], 'no\nidea' + 'x'.repeat(300)], first, ['correct', 'wrong', 'wrong'], 1],
    ['1', [0, [0, 2], ' москва '], first, ['wrong', 'correct', 'correct'], 2],
    ['1', [null, [], ''], first, ['wrong', 'wrong', 'wrong'], 2],  // worse: the best stays
    ['2', [0], second, ['correct'], 1],
  ];
  assert.equal(api.cmi['cmi.objectives.0.id'], undefined, 'no objective before an answer');
  let n = 0;
  for (const [key, answers, questions, results, rightCount] of rows) {
    const right = results.map((r) => r === 'correct');
    t.recordTest(key, right, answers, questions, 75.3);
    results.forEach((r, i) => {
      assert.equal(api.cmi[`cmi.interactions.${n}.result`], r);
      assert.equal(api.cmi[`cmi.interactions.${n}.id`], `test${key}q${i + 1}`);
      n++;
    });
    assert.equal(t.testResult(key).right, rightCount);
  }
  for (const [k, v] of set) {
    const rule = VALID.find(([name]) => name.test(k));
    assert.ok(rule, 'an element the player may set: ' + k);
    assert.match(v, rule[1], k);
  }
  assert.equal(api.cmi['cmi.interactions.1.student_response'], 'b');
  assert.equal(api.cmi['cmi.interactions.5.student_response'], 'a,c');
  assert.equal(api.cmi['cmi.interactions.5.correct_responses.0.pattern'], 'a,c');
  assert.equal(api.cmi['cmi.interactions.6.correct_responses.1.pattern'], 'Moscow');
  assert.equal(api.cmi['cmi.interactions.3.student_response'].length, 255);
  assert.equal(api.cmi['cmi.interactions.7.student_response'], undefined, 'nothing picked, nothing said');
  assert.equal(api.cmi['cmi.interactions.1.latency'], '00:01:15');
  assert.deepEqual(['id', 'score.raw', 'status'].map((f) => api.cmi['cmi.objectives.0.' + f]), ['test1', '66', 'failed']);
  assert.deepEqual(['id', 'score.raw', 'status'].map((f) => api.cmi['cmi.objectives.1.' + f]), ['test2', '100', 'passed']);
  assert.equal(t.testResult('1').attempts, 3);
  assert.equal(t.testResult('2').attempts, 2);
  // The next launch knows the attempts, the learner's order and where to
  // go on numbering the interactions.
  const next = tracker(fakeApi({ ...api.cmi, 'cmi.interactions._count': String(n) }));
  assert.equal(next.testResult('1').attempts, 3);
  assert.equal(next.seed(), t.seed());
  assert.equal(tracker(fakeApi({ 'cmi.core.student_id': 'learner-7' })).seed(), t.seed(), 'the learner\'s own');
  next.recordTest('2', [false], [1], second, 1);
  assert.equal(next.testResult('2').attempts, 3);
});

// SCORM 2004's vocabularies and formats for all the player sets.
const VALID_2004 = [
  [/^cmi\.interactions\.\d+\.(id|objectives\.0\.id)$/, /^test\d+(q\d+)?$/],
  [/^cmi\.interactions\.\d+\.type$/, /^(choice|fill-in)$/],
  [/^cmi\.interactions\.\d+\.description$/, /^(?!\{)[^\n]{1,250}$/],
  [/^cmi\.interactions\.\d+\.(learner_response|correct_responses\.\d+\.pattern)$/,
    /^([a-z0-9](\[,\][a-z0-9])*|(?!\{)[^\n]{0,250})$/],
  [/^cmi\.interactions\.\d+\.result$/, /^(correct|incorrect)$/],
  [/^cmi\.interactions\.\d+\.weighting$/, /^1$/],
  [/^cmi\.interactions\.\d+\.timestamp$/, /^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d\dZ$/],
  [/^cmi\.(interactions\.\d+\.latency|session_time)$/, /^PT(\d+H)?(\d+M)?\d+(\.\d{1,2})?S$/],
  [/^cmi\.objectives\.\d+\.id$/, /^test\d+$/],
  [/^cmi\.(objectives\.\d+\.)?score\.scaled$/, /^(1|0(\.\d+)?)$/],
  [/^cmi\.(objectives\.\d+\.)?score\.(raw|min|max)$/, /^(100|\d{1,2})$/],
  [/^cmi\.(objectives\.\d+\.)?success_status$/, /^(passed|failed|unknown)$/],
  [/^cmi\.(objectives\.\d+\.)?completion_status$/, /^(completed|incomplete|not attempted)$/],
  [/^cmi\.exit$/, /^(suspend|normal)$/],
  [/^cmi\.location$/, /^[^\n]{1,1000}$/],
  [/^cmi\.suspend_data$/, /^[\s\S]{0,64000}$/],
];

test('SCORM 2004: a scaled passing score of seven decimals is judged as the LMS judges it', () => {
  const api = fakeApi({ 'cmi.scaled_passing_score': '0.7954545' }, S.SCORM2004);
  const t = new R.Tracker(new S.LmsStore(api, S.SCORM2004), { files: ['test1.htm'], passMark: 80 });
  t.setTotal('1', 44);
  t.showPage(0);
  t.recordTest('1', Array.from({ length: 44 }, (_, i) => i < 35), null);
  assert.deepEqual([api.cmi['cmi.score.scaled'], api.cmi['cmi.success_status']], ['0.7954545', 'passed']);
});

test('cmi5: a mastery score of seven decimals is judged as the LMS judges it', () => {
  globalThis.RdTracking = R;  // as the player's page loads it first
  const C = require('./load.js').cmi5Store();
  const lib = { getLaunchData: () => ({ launchMode: 'Normal', masteryScore: 0.7954545 }),
                getLaunchParameters: () => ({ actor: null }), sendXapiStatement() {} };
  const store = new C.Cmi5Store(lib, null);
  const t = new R.Tracker({ limit: store.limit, load: () => store.load(), save() {}, finish() {} },
                          { files: ['test1.htm'], passMark: 80 });
  t.setTotal('1', 44);
  t.recordTest('1', Array.from({ length: 44 }, (_, i) => i < 35), null);
  assert.deepEqual([t.testResult('1').scaled, t.testResult('1').passed], [0.7954545, true]);
});

test('SCORM 2004: completion and success apart, scaled score, 2004 forms, exit and resume', () => {
  const R4 = S.SCORM2004;
  const api = fakeApi({ 'cmi.completion_status': 'unknown', 'cmi.success_status': 'unknown',
    'cmi.scaled_passing_score': '0.7', 'cmi.entry': 'ab-initio', 'cmi.location': 'test2.htm' }, R4);
  const set = [];
  const setValue = api.SetValue;
  api.SetValue = (k, v) => { set.push([k, v]); return setValue(k, v); };
  const store = S.connect({ API: fakeApi(), API_1484_11: api });
  assert.equal(store.runtime, R4, 'the 2004 runtime before the 1.2 one');
  const t = new R.Tracker(store, { files: FILES, passMark: 80 });
  assert.equal(t.passMark, 70, "the LMS's scaled passing score wins");
  assert.equal(t.location, '', 'a new attempt starts afresh');
  const Q = require('./load.js').quiz();
  const quiz = (lines) => Q.load('%TEST=x\r\n' + lines.join('\r\n') + '\r\n%TEST_END\r\n').questions;
  const first = quiz(['M?', '*a) x', 'b) y', '*c) z', '', 'T?', '={lang=x} a [,] b', '=Moscow']);
  const second = quiz(['S?', '*a) x', 'b) y']);
  t.setTotal('1', 2);
  t.setTotal('2', 1);
  t.showPage(0);
  // [what happens] -> completion, success, scaled score (given once every
  // test is taken: the LMS judges success by it), exit on leaving
  const rows = [
    [() => t.recordTest('1', [true, true], [[0, 2], '{lang=x} A [,] B'], first, 75.3), 'incomplete', 'unknown', undefined, 'suspend'],
    [() => t.recordTest('2', [false], [1], second, 3725.4), 'incomplete', 'failed', '0.6666666', 'suspend'],
    [() => [1, 2, 3].forEach((i) => t.showPage(i)), 'completed', 'failed', '0.6666666', 'suspend'],
    [() => t.recordTest('2', [true], [0], second, 1), 'completed', 'passed', '1', 'normal'],
  ];
  for (const [act, completion, success, scaled, exit] of rows) {
    act();
    assert.deepEqual([api.cmi['cmi.completion_status'], api.cmi['cmi.success_status'], api.cmi['cmi.score.scaled'],
      t.leaving(1).exit], [completion, success, scaled, exit], act.toString());
  }
  for (const [k, v] of set) {
    const rule = VALID_2004.find(([name]) => name.test(k));
    assert.ok(rule, 'an element the player may set: ' + k);
    assert.match(v, rule[1], k);
  }
  assert.equal(api.cmi['cmi.interactions.0.learner_response'], 'a[,]c');
  assert.equal(api.cmi['cmi.interactions.0.correct_responses.0.pattern'], 'a[,]c');
  assert.equal(api.cmi['cmi.interactions.1.learner_response'], '(lang=x} A ,  B');
  assert.equal(api.cmi['cmi.interactions.1.correct_responses.1.pattern'], 'Moscow');
  assert.deepEqual(['result', 'latency'].map((f) => api.cmi['cmi.interactions.2.' + f]), ['incorrect', 'PT1H2M5.4S']);
  assert.deepEqual(['success_status', 'completion_status', 'score.scaled'].map((f) => api.cmi['cmi.objectives.1.' + f]),
    ['passed', 'completed', '1']);
  assert.equal(set.filter(([k]) => k === 'cmi.success_status').length, 2, 'sent when it changes only');
  t.finish(61);
  assert.deepEqual([api.cmi['cmi.exit'], api.cmi['cmi.session_time'], api.calls.at(-1)], ['normal', 'PT1M1S', 'finish']);

  // A suspended attempt goes on from its place and record, up to 64,000
  // characters of it (SCORM 1.2 keeps 4,096).
  const next = new R.Tracker(new S.LmsStore(fakeApi({ ...api.cmi, 'cmi.entry': 'resume' }, R4), R4),
    { files: FILES, passMark: 80 });
  assert.deepEqual([next.location, next.answers('1', 2), next.summary().success], ['test2.htm', [[0, 2], '{lang=x} A [,] B'], 'passed']);
  const big = R.emptyState(4);
  big.tests[1] = { total: 300, right: Array(300).fill(true), rightCount: 300, answers: Array(300).fill('ы'.repeat(150)), attempts: 1 };
  for (const [limit, kept] of [[R4.limit, true], [S.SCORM12.limit, false]]) {
    const text = R.encode(big, limit);
    assert.ok(text.length <= limit && text.length > 0, String(limit));
    assert.equal(!!R.decode(text, 4, ['1'], limit).tests[1].answers, kept, String(limit));
  }
});

// LMSs that hold more than the record says, refuse values or throw.
test('an LMS keeps what the learner reached, its own objectives and a record it can hold', () => {
  // Passed in an earlier session whose record is lost: the status and its
  // score stay; a better status goes through.
  const held = fakeApi({ 'cmi.core.lesson_status': 'passed', 'cmi.core.score.raw': '90' });
  const t = tracker(held);
  t.showPage(0);
  t.setTotal('1', 2);
  t.recordTest('1', [false, false], [0, 0]);
  assert.deepEqual([held.cmi['cmi.core.lesson_status'], held.cmi['cmi.core.score.raw']], ['passed', '90']);
  const failed = fakeApi({ 'cmi.core.lesson_status': 'failed' });
  tracker(failed).showPage(0);
  assert.equal(failed.cmi['cmi.core.lesson_status'], 'failed', 'not back to incomplete');
  const browsed = fakeApi({ 'cmi.core.lesson_mode': 'browse' });
  const b = tracker(browsed);
  b.showPage(0);
  b.finish(5);
  assert.deepEqual(browsed.calls, ['init', 'finish'], 'browsing tells the LMS nothing');

  // A 2004 LMS holding a primary objective of its own, and one keeping only
  // 4,000 characters of record: tests go after its objective, the record
  // again shorter, a refused value is not sent again.
  const R4 = S.SCORM2004;
  const api = fakeApi({ 'cmi.objectives._count': '1', 'cmi.objectives.0.id': 'PRIMARYOBJ' }, R4);
  const setValue = api.SetValue;
  const tries = [];
  api.SetValue = (k, v) => {
    if (k === 'cmi.suspend_data') tries.push(v.length);
    return k === 'cmi.suspend_data' && v.length > 4000 ? 'false' : setValue(k, v);
  };
  const store = new S.LmsStore(api, R4);
  const t4 = new R.Tracker(store, { files: FILES, passMark: 80 });
  t4.setTotal('1', 40);
  t4.setTotal('2', 1);
  t4.recordTest('2', [true], [0]);
  t4.recordTest('1', Array(40).fill(true), Array(40).fill('ы'.repeat(150)));
  assert.deepEqual([0, 1, 2].map((i) => api.cmi['cmi.objectives.' + i + '.id']), ['PRIMARYOBJ', 'test1', 'test2']);
  assert.equal(api.cmi['cmi.objectives.1.success_status'], 'passed');
  assert.ok(api.cmi['cmi.suspend_data'].length <= 4000 && tries.some((n) => n > 4000), String(tries));
  assert.equal(R.decode(api.cmi['cmi.suspend_data'], 4, ['1', '2']).tests[1].rightCount, 40);
  t4.showPage(0);
  assert.equal(tries.filter((n) => n > 4000).length, 1, 'a refused record is not sent again: ' + tries);
  const next = new R.Tracker(new S.LmsStore(fakeApi({ ...api.cmi, 'cmi.objectives._count': '3' }, R4), R4),
    { files: FILES, passMark: 80 });
  assert.deepEqual([next.places[1], next.places[2]], [1, 2], 'a resumed session finds its objectives');

  // A commit refused goes again with the next report, changed or not; the
  // learner is told once.
  const late = fakeApi();
  const commits = [];
  late.LMSCommit = () => String(commits.push(1) > 1);
  const lateStore = new S.LmsStore(late);
  const told = [];
  lateStore.warn = () => told.push(1);
  const lt = new R.Tracker(lateStore, { files: FILES, passMark: 80 });
  for (const n of [1, 2, 2]) {
    lt.showPage(0);
    assert.deepEqual([commits.length, told.length], [n, 1]);
  }

  // An LMS refusing what the progress is kept by (the record at its
  // shortest, the status) keeps none: the learner is told once. Refused
  // interactions (an LMS may keep none) are not the progress.
  for (const [refused, tells] of [[/./, 1], [/suspend/, 1], [/status/, 1], [/interactions/, 0]]) {
    const api = fakeApi();
    const set = api.LMSSetValue;
    api.LMSSetValue = (k, v) => (refused.test(k) ? 'false' : set(k, v));
    const store = new S.LmsStore(api);
    const heard = [];
    store.warn = () => heard.push(1);
    const rt = new R.Tracker(store, { files: FILES, passMark: 80 });
    rt.setTotal('1', 1);
    for (const i of [0, 2]) rt.showPage(i);
    rt.recordTest('1', [true], [0]);
    assert.equal(heard.length, tells, String(refused));
  }

  // An API whose calls throw: the course goes on, without it.
  const throwing = fakeApi();
  throwing.LMSSetValue = () => { throw new Error('LMS script error'); };
  assert.doesNotThrow(() => tracker(throwing).showPage(0));
  throwing.LMSInitialize = () => { throw new Error('LMS script error'); };
  assert.equal(S.connect({ API: throwing }), null);
});

test('a test left half done keeps its answers until it is checked; they go first when space runs short', () => {
  const api = fakeApi();
  const t = tracker(api);
  t.setTotal('1', 2);
  const next = () => tracker(fakeApi(api.cmi));
  // [what the learner does] -> the draft the next launch gives back for 2 questions
  const rows = [
    [() => t.keepDraft('1', [1, null]), [1, null]],
    [() => t.keepDraft('1', [null, '']), null],
    [() => t.keepDraft('1', [0, 'x']), [0, 'x']],
    [() => t.recordTest('1', [true, false], [0, 'x']), null],
  ];
  for (const [act, draft] of rows) {
    act();
    assert.deepEqual(next().draft('1', 2), draft, act.toString());
  }
  t.keepDraft('1', [1, 'y']);
  assert.equal(next().draft('1', 3), null, 'made for other questions');
  const s = R.emptyState(4);
  s.tests[1] = { total: 2, right: [true, false], rightCount: 1, answers: [0, 'x'], attempts: 1 };
  s.drafts = { 1: ['y'.repeat(4000), null] };
  const back = R.decode(R.encode(s, 4096), 4, ['1']);
  assert.deepEqual([back.drafts, back.tests[1].answers], [{}, [0, 'x']]);
  const hostile = '{"v":1,"n":4,"s":"","t":{},"d":{"1":[{}],"2":[1],"x":[1],"3":"ab"}}';
  assert.deepEqual(R.decode(hostile, 4, ['1', '3']).drafts, {});
});

test('without an LMS the record lives in local storage, and storage that fails loses only it', () => {
  const items = {};
  const storage = { getItem: (k) => items[k] ?? null, setItem: (k, v) => { items[k] = v; } };
  const t = new R.Tracker(new S.LocalStore(storage, 'course-a'), { files: FILES, passMark: 80 });
  t.showPage(2);
  t.setTotal('1', 1);
  const single = [{ kind: 'single', answers: [{ correct: true }, { correct: false }], accepted: [] }];
  t.recordTest('1', [false], [1], single, 3);
  const again = new R.Tracker(new S.LocalStore(storage, 'course-a'), { files: FILES, passMark: 80 });
  assert.equal(again.location, 'page4.htm');
  assert.equal(again.changed, false);
  // Converted again with a page of another name where the learner was.
  const renamed = new R.Tracker(new S.LocalStore(storage, 'course-a'),
    { files: ['page2.htm', 'test1.htm', 'page5.htm', 'test2.htm'], passMark: 80 });
  assert.deepEqual([renamed.location, renamed.changed], ['', true]);
  // Or with a page more, its pages named anew: the place's name may be another page's.
  const grown = new R.Tracker(new S.LocalStore(storage, 'course-a'), { files: [...FILES, 'page9.htm'], passMark: 80 });
  assert.deepEqual([grown.location, grown.changed], ['', true]);
  assert.equal(again.seed(), t.seed());
  const kept = JSON.parse(items['course-a']);
  assert.deepEqual([kept.interactions.length, kept.interactions[0].student_response, kept.interactions[0].result],
    [1, 'b', 'wrong'], 'the interactions, as an LMS would keep them');
  assert.deepEqual(kept.objectives.map((o) => o.id + ' ' + o.status), ['test1 failed']);
  // Two tabs of the course: what one passes, the other keeps.
  again.setTotal('1', 1);
  t.recordTest('1', [true], [0], single, 1);
  again.showPage(3);
  const both = new R.Tracker(new S.LocalStore(storage, 'course-a'), { files: FILES, passMark: 80 });
  assert.deepEqual([both.testResult('1').raw, both.testResult('1').attempts, both.seen(2), both.seen(3)],
    [100, 2, true, true]);
  assert.equal(new R.Tracker(new S.LocalStore(storage, 'course-b'), { files: FILES, passMark: 80 }).location, '');
  const broken = { getItem: () => { throw new Error('denied'); }, setItem: () => { throw new Error('full'); } };
  const b = new R.Tracker(new S.LocalStore(broken, 'k'), { files: FILES, passMark: 80 });
  assert.doesNotThrow(() => { b.showPage(1); b.finish(1); });
  const failing = fakeApi();
  failing.LMSInitialize = () => 'false';
  const store = new S.LmsStore(failing);
  assert.equal(store.open, false);
  assert.doesNotThrow(() => store.save({ 'cmi.core.lesson_location': 'x' }));
  assert.deepEqual(failing.calls, []);
});

// ---- hostile records ----------------------------------------------------------

// A small seeded generator, so that a failure can be run again.
function generator(seed) {
  let a = seed >>> 0;
  const next = () => {
    a = (a + 0x6D2B79F5) >>> 0;
    let t = Math.imul(a ^ (a >>> 15), 1 | a);
    t = (t + Math.imul(t ^ (t >>> 7), 61 | t)) ^ t;
    return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
  };
  const int = (n) => Math.floor(next() * n);
  return { int, pick: (list) => list[int(list.length)] };
}

const KEYS = ['1', '2', '7'];
const HUGE = ['300000000', '1e308', '-1', '0.5', '9007199254740993', '"8"', 'null', '[]', '{}', 'true'];

// What the player may rely on in whatever decode gives back.
function checkFits(state, pages, text) {
  assert.equal(state.seen.length, pages);
  assert.ok(state.seen.every((b) => typeof b === 'boolean'));
  for (const [k, t] of Object.entries(state.tests)) {
    assert.ok(KEYS.includes(k), 'a test of the course: ' + k);
    assert.ok(Number.isSafeInteger(t.total) && t.total >= 1, 'total ' + t.total);
    assert.ok(Number.isSafeInteger(t.rightCount) && t.rightCount >= 0 && t.rightCount <= t.total);
    if (t.right) {
      assert.equal(t.right.length, t.total);
      assert.ok(t.total <= 8 * text.length, 'bits unpacked only as far as the record holds them');
      assert.equal(t.right.filter(Boolean).length, t.rightCount);
    }
    if (t.answers) assert.equal(t.answers.length, t.total);
  }
}

function randomState(g) {
  const s = R.emptyState(1 + g.int(40));
  s.seen = s.seen.map(() => g.int(2) === 1);
  for (const k of KEYS.filter(() => g.int(2))) {
    const total = 1 + g.int(60);
    const right = Array.from({ length: total }, () => g.int(2) === 1);
    s.tests[k] = { total, right, rightCount: right.filter(Boolean).length,
      answers: g.int(2) ? Array.from({ length: total }, () => g.pick([0, 3, null, 'ы"', [1, 2]])) : null };
  }
  return s;
}

// A record changed the ways damage and tampering change one.
function mutated(g, text) {
  const at = g.int(text.length + 1);
  switch (g.int(5)) {
    case 0: return text.slice(0, at) + g.pick([...'{}[]":,0189-.eAZ+/=\\u']) + text.slice(at + 1);
    case 1: return text.replace(/-?\d+(\.\d+)?/g, (m) => (g.int(4) ? m : g.pick(HUGE)));
    case 2: return text.slice(0, at) + text.slice(at + g.int(20));
    case 3: return text.slice(0, at) + text.slice(Math.max(0, at - g.int(30)), at) + text.slice(at);
    default: return text.replace(/"[a-z]":("[^"]*"|\d+)/g, (m) => (g.int(3) ? m : m.replace(/:.*/, ':' + g.pick(HUGE))));
  }
}

function randomValue(g, depth) {
  const kinds = depth > 3 ? 4 : 6;
  switch (g.int(kinds)) {
    case 0: return g.pick([0, 1, -1, 300000000, 1e308, 0.5, 2 ** 53 + 2]);
    case 1: return g.pick(['', 'Dw', 'AAAA', '////', '!!', 'x'.repeat(g.int(200))]);
    case 2: return g.pick([null, true, false]);
    case 3: return g.int(2) ? 1 : 'v';
    case 4: return Array.from({ length: g.int(5) }, () => randomValue(g, depth + 1));
    default: {
      const o = {};
      for (const k of ['v', 'n', 's', 't', 'q', 'c', 'r', 'a', ...KEYS, '99', '__proto__'])
        if (g.int(3) === 0) o[k] = randomValue(g, depth + 1);
      return o;
    }
  }
}

test('a damaged or tampered record gives a state that fits the course, at once', { timeout: 60000 }, () => {
  // The record that once kept the player from showing: 300 million bits.
  const hostile = [
    '{"v":1,"n":4,"s":"Dw","t":{"1":{"q":300000000,"c":0,"r":"AA"}}}',
    '{"v":1,"n":4,"s":"Dw","t":{"1":{"q":300000000,"c":1,"r":"' + 'A'.repeat(4000) + '"}}}',
    '{"v":1,"n":4,"s":"Dw","t":{"1":{"q":1e308,"c":0,"a":[]},"2":{"q":2,"c":1,"a":[{"x":1},2]}}}',
    '{"v":1,"n":4,"s":"' + 'A'.repeat(5000) + '","t":{}}',
    '{"v":1,"n":4,"t":{"1":{"q":2,"c":0,"r":"AA"},"5":{"q":2,"c":0},"01":{"q":1,"c":0}}}',
  ];
  for (const text of hostile) checkFits(R.decode(text, 4, KEYS), 4, text);
  assert.deepEqual(Object.keys(R.decode(hostile[4], 4, KEYS).tests), ['1'], 'tests the course has');
  assert.deepEqual(R.decode(hostile[3], 4, KEYS, 4096), R.emptyState(4), 'longer than encode writes');

  const g = generator(27);
  const records = Array.from({ length: 30 }, () => R.encode(randomState(g), 4096));
  for (let i = 0; i < 20000; i++) {
    let text = g.pick(records);
    for (let k = 1 + g.int(3); k > 0; k--) text = mutated(g, text);
    if (i % 4 === 0) text = JSON.stringify({ v: 1, n: g.int(41), ...randomValue(g, 0) });
    const pages = g.pick([4, 10, 40, 1 + g.int(40)]);
    try {
      checkFits(R.decode(text, pages, KEYS), pages, text);
    } catch (e) {
      e.message += '\nrecord: ' + text + '\npages: ' + pages;
      throw e;
    }
  }
  // The tracker the player makes from such a record answers as usual.
  const files = ['page1.htm', 'test1.htm', 'page2.htm', 'test2.htm'];
  for (const suspend of hostile) {
    const api = fakeApi({ 'cmi.suspend_data': suspend });
    const t = new R.Tracker(new S.LmsStore(api), { files, passMark: 80 });
    t.showPage(0);
    assert.equal(api.cmi['cmi.core.lesson_status'], 'incomplete');
  }
});
