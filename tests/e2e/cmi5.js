// The course launched by a cmi5 LMS: node cmi5.js NAME.cmi5.zip [--screenshots DIR]
// lrs.js plays the LMS (the fetch URL, LMS.LaunchData, an LRS recording
// the statements, the state API) on 127.0.0.1, and Chromium opens the
// player with the launch parameters in its URL. Three sessions of one
// registration: the pages walked with one test passed and one failed,
// then a return that goes on from the state and passes (its "passed"
// taken by the LRS with its answer lost, so sent again), then a browse, then launches
// whose state read the LRS fails;
// and a reload inside a launch; the return to the LMS.
// Every statement must pass an xAPI validator and the cmi5 rules.
'use strict';
const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const crypto = require('node:crypto');
const path = require('node:path');
const validate = require('@learninglocker/xapi-validation').default;
const fs = require('node:fs');
const { outline, expectedQuiz, answerQuiz, browser, unpackScorm } = require('./common.js');
const { lrs, SESSION } = require('./lrs.js');

const args = process.argv.slice(2);
const shotsDir = args.indexOf('--screenshots') >= 0 ? args.splice(args.indexOf('--screenshots'), 2)[1] : null;
const unpacked = unpackScorm(args[0] || '');
const course = unpacked.course;
// The LMS imports the unit as the package's cmi5.xml describes it.
const structure = fs.readFileSync(path.join(course, 'cmi5.xml'), 'utf8');
const auAttr = (name) => (structure.match(new RegExp(`<au\\b[^>]*\\b${name}="([^"]*)"`)) || [])[1];
const unit = { id: auAttr('id'), url: (structure.match(/<url>([^<]*)<\/url>/) || [])[1],
  moveOn: auAttr('moveOn'), masteryScore: Number(auAttr('masteryScore')), launchMethod: auAttr('launchMethod') };
const order = outline(course).filter((e) => e.file);
const tests = order.filter((e) => e.file.startsWith('test'));
const quiz = (t) => expectedQuiz(course, t.file.replace(/^test/, 'testdata'));
const questions = tests.map((t) => quiz(t).length);

const VERB = (v) => 'http://adlnet.gov/expapi/verbs/' + v;
const DEFINED = ['initialized', 'completed', 'passed', 'failed', 'terminated'].map(VERB);
const CMI5 = 'https://w3id.org/xapi/cmi5/context/categories/cmi5';
const MOVE_ON = 'https://w3id.org/xapi/cmi5/context/categories/moveon';
const launchData = { launchMode: 'Normal', launchMethod: unit.launchMethod, moveOn: unit.moveOn, masteryScore: unit.masteryScore };
const who = { activityId: unit.id, url: unit.url, registration: crypto.randomUUID(),
  actor: { objectType: 'Agent', name: 'Learner', account: { homePage: 'https://example.org', name: 'learner-7' } } };

let server, context, closeBrowser, page;
const pageErrors = [];
before(async () => {
  server = await lrs(course, who);
  ({ context, close: closeBrowser } = await browser());
});
after(async () => {
  if (closeBrowser) await closeBrowser();
  if (server) server.close();
  fs.rmSync(unpacked.work, { recursive: true, force: true });
});

const player = () => page;
const content = () => page.frameLocator('#content');
const verbs = (session) => server.statements.filter((s) => s.session === session).map((s) => s.statement.verb.id);
const until = async (what, check) => {
  for (const end = Date.now() + 60000; !check(); await new Promise((r) => setTimeout(r, 50)))
    if (Date.now() > end) throw new Error('waited a minute for ' + what);
};

async function launch(data, where = context) {
  const l = server.launch(data);
  page = await where.newPage();
  page.on('pageerror', (e) => pageErrors.push(String(e)));
  await page.goto(l.url);
  await until('initialized', () => verbs(l.session)[0] === VERB('initialized'));
  return l;
}

async function at(file) {
  await player().locator(`#toc-list a[aria-current="page"][href="#${file}"]`).waitFor();
}

// Leaving the page ends the session: "terminated" must still arrive.
async function leave(l) {
  await page.goto('about:blank');
  await until('terminated', () => verbs(l.session).at(-1) === VERB('terminated'));
  await page.close();
}

// Every statement of a session: valid xAPI, and cmi5's rules for order,
// context and the defined statements.
function checkSession(l) {
  const list = server.statements.filter((s) => s.session === l.session).map((s) => s.statement);
  assert.equal(list[0].verb.id, VERB('initialized'), 'initialized first');
  assert.equal(list.at(-1).verb.id, VERB('terminated'), 'terminated last');
  assert.equal(list.filter((s) => s.verb.id === VERB('terminated')).length, 1);
  for (const s of list) {
    const what = s.verb.id + ' ' + s.object.id;
    assert.deepEqual(validate(s).map((w) => `${w.path.join('.')}: ${w.message}`), [], what);
    assert.deepEqual(s.actor, who.actor, what);
    assert.equal(s.context.registration, l.registration, what);
    assert.equal(s.context.extensions[SESSION], l.session, what);
    const category = (s.context.contextActivities.category || []).map((c) => c.id);
    if (DEFINED.includes(s.verb.id)) {
      assert.equal(s.object.id, who.activityId, what);
      assert.ok(category.includes(CMI5), what + ': the cmi5 category');
    } else {
      assert.equal(s.verb.id, VERB('answered'), what);
      assert.ok(s.object.id.startsWith(who.activityId + '/test/') && !category.includes(CMI5), what);
      assert.match(s.result.response, /^([a-z0-9](\[,\][a-z0-9])*)?$|^[^[]*$/, what);
    }
    if (/(completed|passed|failed)$/.test(s.verb.id)) assert.ok(category.includes(MOVE_ON), what + ': moveOn');
    if (/(passed|failed)$/.test(s.verb.id)) {
      const { scaled, raw, min, max } = s.result.score;
      assert.deepEqual([raw, min, max, s.result.success], [Math.floor(scaled * 100 + 1e-6), 0, 100, s.verb.id.endsWith('passed')]);
      assert.equal(scaled >= launchData.masteryScore, s.verb.id.endsWith('passed'), what + ': against the mastery score');
    }
  }
  return list;
}

let first, second;

test('a first session: initialized, the answers, failed, completed, terminated', async () => {
  assert.ok(tests.length >= 2 && questions[0] && questions[1], 'the course has two tests');
  first = await launch(launchData);
  await at(order[0].file);
  // The LRS refuses the first answer: it goes again with the next report.
  let refusedAnswer = 0;
  server.failStatement = (list) => (list.some((s) => s.verb.id === VERB('answered')) && !refusedAnswer++ ? 500 : 0);
  for (let i = 1; i < order.length; i++) {
    await player().locator('#next').click();
    await at(order[i].file);
    const t = tests.indexOf(order[i]);
    if (t < 0 || t > 1) continue;
    await content().locator('fieldset.question').first().waitFor();
    await answerQuiz(content(), quiz(order[i]), t === 0 ? 'right' : 'wrong');
    await content().locator('fieldset.question.right, fieldset.question.wrong').nth(questions[t] - 1).waitFor();
  }
  await until('completed', () => verbs(first.session).includes(VERB('completed')));
  server.failStatement = null;
  const bookmark = order.find((e) => e.file.startsWith('page') && e !== order[0]);
  // The LRS refuses the state with the new place, and again with the next:
  // the learner is told at the second; it goes again as the learner leaves.
  await until('completed noted', () => (server.states.get('raredozud.progress') || {}).completed === true);
  let refusedPut = 0;
  server.failState = (method, id) => (method !== 'GET' && id === 'raredozud.progress' && refusedPut++ < 2 ? 500 : 0);
  for (const [n, e] of [[1, order[0]], [2, bookmark]]) {
    await player().locator(`#toc-list a[href="#${e.file}"]`).click();
    await at(e.file);
    await until('the place refused', () => refusedPut >= n);
    if (n === 2) await player().locator('#notice:not(:empty)').waitFor();
    else assert.equal(await page.waitForTimeout(200).then(() => player().locator('#notice').textContent()), '');
  }
  server.failState = null;
  await leave(first);
  await until('the place kept', () => (server.states.get('raredozud.progress') || {}).location === bookmark.file);
  const list = checkSession(first);
  const answered = list.filter((s) => s.verb.id === VERB('answered'));
  assert.equal(answered.length, questions[0] + questions[1]);
  assert.deepEqual(answered.map((s) => s.result.success), answered.map((_, i) => i < questions[0]));
  assert.deepEqual(list.filter((s) => DEFINED.includes(s.verb.id)).map((s) => s.verb.id.split('/').pop()),
    ['initialized', 'failed', 'completed', 'terminated']);
});

test('a second session goes on from the state, passes once and does not complete again', async () => {
  second = await launch(launchData);
  await player().locator('#continue').click();
  await at(server.states.get('raredozud.progress').location);
  await player().locator(`#toc-list a[href="#${tests[0].file}"]`).click();
  await content().locator('fieldset.question.right').nth(questions[0] - 1).waitFor();
  assert.equal(await content().locator('fieldset.question.wrong').count(), 0, 'the answers are back');
  await player().locator(`#toc-list a[href="#${tests[1].file}"]`).click();
  await content().locator('fieldset.question.wrong').nth(questions[1] - 1).waitFor();
  // A passing outage: the LRS takes "passed" but its answer is lost; it goes
  // out again, with its id, and is not recorded twice.
  let refused = false;
  server.loseAnswer = (list) => (!refused && list.some((s) => s.verb.id === VERB('passed')) ? (refused = true, 503) : 0);
  await answerQuiz(content(), quiz(tests[1]), 'right');
  await until('passed refused', () => refused);
  await until('its answers', () => verbs(second.session).filter((v) => v === VERB('answered')).length === questions[1]);
  assert.equal((server.states.get('raredozud.progress') || {}).passed, false, 'not noted as sent');
  // A second pass of the same test: the outcome goes out again, once.
  await answerQuiz(content(), quiz(tests[1]), 'right');
  await until('passed', () => verbs(second.session).includes(VERB('passed')));
  await until('its answers', () => verbs(second.session).filter((v) => v === VERB('answered')).length === 2 * questions[1]);
  await until('passed noted', () => server.states.get('raredozud.progress').passed === true);
  server.loseAnswer = null;
  await leave(second);
  const list = checkSession(second);
  assert.deepEqual(list.filter((s) => DEFINED.includes(s.verb.id)).map((s) => s.verb.id.split('/').pop()),
    ['initialized', 'passed', 'terminated']);
});

test('a browse session sends no outcome nor keeps its work, and the registration meets its moveOn', async () => {
  const kept = structuredClone(server.states.get('raredozud.progress'));
  const browse = await launch({ ...launchData, launchMode: 'Browse' });
  await player().locator('#continue').click();
  await player().locator(`#toc-list a[href="#${tests[1].file}"]`).click();
  await content().locator('fieldset.question.right').nth(questions[1] - 1).waitFor();
  // A slow LRS: the learner leaves while answers wait, which the network
  // hands over late when they go apart from "terminated".
  server.hold = 1500;
  server.lag = (list) => (list.every((s) => s.verb.id === VERB('answered')) ? 500 : 0);
  await answerQuiz(content(), quiz(tests[1]), 'wrong');
  await until('an answer', () => verbs(browse.session).includes(VERB('answered')));
  await leave(browse);
  await until('its answers', () => verbs(browse.session).filter((v) => v === VERB('answered')).length === questions[1]);
  server.hold = 0;
  server.lag = null;
  checkSession(browse);
  assert.deepEqual(verbs(browse.session).filter((v) => v !== VERB('answered')), [VERB('initialized'), VERB('terminated')]);
  // Kept, the browse's answers would be the next Normal launch's outcomes.
  assert.deepEqual(server.states.get('raredozud.progress'), kept, 'the state as the Normal session left it');
  // Over the registration: completed and passed (CompletedAndPassed), each once.
  const all = server.statements.map((s) => s.statement.verb.id.split('/').pop());
  assert.deepEqual(['completed', 'passed', 'failed'].map((v) => all.filter((x) => x === v).length), [1, 1, 1]);
  assert.ok(all.indexOf('failed') < all.indexOf('passed'), 'no failed after passed');
});

// A state read the LRS fails (an outage) is not "none kept yet": it is
// asked again, and a launch that still cannot read it leaves it as it is.
test('LaunchData or a state the LRS fails to give is read again, and the state never written over', async () => {
  const progress = (method, id) => method === 'GET' && id === 'raredozud.progress';
  // LMS.LaunchData failed once too: the launch is made again with the token it got.
  let reads = 0, launchReads = 0;
  server.failState = (method, id) => ((progress(method, id) && !reads++) ||
    (method === 'GET' && id === 'LMS.LaunchData' && !launchReads++) ? 500 : 0);
  // A browser of its own, whose clock the test runs on.
  const timed = await browser();
  await timed.context.clock.install();
  let l = await launch(launchData, timed.context);
  await player().locator('#continue').waitFor();
  // A state write the LRS never answers is given up after a while, and
  // the next report writes the state.
  let stalled = 0;
  server.stall = (method, id) => method !== 'GET' && id === 'raredozud.progress' && !stalled++;
  const places = order.filter((e) => e.file !== server.states.get('raredozud.progress').location).slice(0, 2);
  for (const e of places) {
    await player().locator(`#toc-list a[href="#${e.file}"]`).click();
    await until('a write stalled', () => stalled);
    await page.clock.fastForward('01:00');
  }
  await until('the place written', () => server.states.get('raredozud.progress').location === places[1].file);
  server.stall = null;
  await leave(l);
  await timed.close();
  assert.deepEqual([verbs(l.session), launchReads], [[VERB('initialized'), VERB('terminated')], 2]);
  const kept = structuredClone(server.states.get('raredozud.progress'));
  server.failState = (method, id) => (progress(method, id) ? 500 : 0);
  // "initialized" taken, its answer lost: sent again, it is not recorded twice.
  let lost = 0;
  server.loseAnswer = (list) => (list[0].verb.id === VERB('initialized') && !lost++ ? 503 : 0);
  l = await launch(launchData);
  await at(order[0].file);
  await player().locator('#notice', { hasText: /learning management system|[Сс]истема обучения/ }).waitFor();
  await player().locator('#next').click();
  await at(order[1].file);
  await leave(l);
  server.failState = server.loseAnswer = null;
  assert.deepEqual(server.states.get('raredozud.progress'), kept);
  assert.deepEqual(verbs(l.session), [VERB('initialized'), VERB('terminated')]);
});

test('a launch whose token was already handed out, or lacking a parameter, still shows the course, kept in the browser', async () => {
  const l = server.launch(launchData);
  await fetch(new URL(l.url).searchParams.get('fetch'), { method: 'POST' });
  const lacking = new URL(server.launch(launchData).url);
  lacking.searchParams.delete('registration');
  for (const url of [l.url, lacking.href]) {
    page = await context.newPage();
    page.on('pageerror', (e) => pageErrors.push(String(e)));
    await page.goto(url);
    // The second finds the first's progress in the browser: it welcomes back.
    await player().locator(`#toc-list a[aria-current="page"][href="#${order[0].file}"], #continue`).waitFor();
    // The learner is told that the LMS is not recording.
    assert.equal(await player().locator('#notice').isVisible(), true, url);
    if (url === l.url) {
      await player().locator('#next').click();
      await at(order[1].file);
    }
    await page.close();
  }
  assert.deepEqual(verbs(l.session), []);
});

// A reload in the launch's tab, or Back then Forward into it, goes on with
// its token and session: no second token or "initialized". Its unload said
// "terminated" (a page cannot tell a reload from leaving), so the page
// keeps the answers in the state only, and the next launch reports the
// outcome.
test('a reload or Back and Forward keep the session and its progress; the outcome reached after it goes out at the next launch', async () => {
  server.close();
  server = await lrs(course, { ...who, registration: crypto.randomUUID() });
  const progress = () => server.states.get('raredozud.progress') || {};
  const l = await launch(launchData);
  await player().locator('#next').click();
  await at(order[1].file);
  await until('the place kept', () => progress().location === order[1].file);
  // A duplicated tab has this one's sessionStorage and reloads the launch:
  // the session goes on here, so that one records nothing and says so;
  // told by a Web Lock, or where locks are missing (plain http elsewhere
  // than the local host) by the database this page holds open, which a
  // page reloaded in its place no longer finds; this page running no
  // script (as when the browser freezes a tab long in the background: here
  // held in the debugger) still holds it.
  const noLocks = () => { delete Navigator.prototype.locks; };
  const debug = await context.newCDPSession(page);
  for (const locks of [true, false]) {
    if (!locks) {
      await page.addInitScript(noLocks);
      await page.reload();
      await at(order[1].file);
    }
    const tabKept = await page.evaluate(() => JSON.stringify(sessionStorage));
    if (!locks) await debug.send('Debugger.enable').then(() => debug.send('Debugger.pause'));
    const twin = await context.newPage();
    twin.on('pageerror', (e) => pageErrors.push(String(e)));
    if (!locks) await twin.addInitScript(noLocks);
    await twin.setViewportSize({ width: 360, height: 640 });
    await twin.goto(l.url);
    await twin.evaluate((s) => Object.entries(JSON.parse(s)).forEach(([k, v]) => sessionStorage.setItem(k, v)), tabKept);
    await twin.reload();
    await twin.locator('#notice', { hasText: /another tab|другой вкладке/ }).waitFor();
    // On a phone too its lines take the window's width, not half of it.
    assert.ok((await twin.locator('#notice').boundingBox()).width > 0.8 * 360);
    if (shotsDir && locks) await twin.screenshot({ path: path.join(shotsDir, 'player-cmi5-elsewhere.png') });
    await twin.goto('about:blank');
    await twin.close();
    if (!locks) await debug.send('Debugger.disable');
    await page.reload();
    await at(order[1].file);
  }
  await page.goto('about:blank');
  await page.goBack();
  await at(order[1].file);
  for (const t of [0, 1]) {
    await player().locator(`#toc-list a[href="#${tests[t].file}"]`).click();
    await content().locator('fieldset.question').first().waitFor();
    await answerQuiz(content(), quiz(tests[t]), 'right');
    await content().locator('fieldset.question.right').nth(questions[t] - 1).waitFor();
  }
  await until('both tests in the state', () => Object.keys(JSON.parse(progress().suspend || '{}').t || {}).length === 2);
  await leave(l);
  assert.deepEqual(verbs(l.session), [VERB('initialized'), VERB('terminated')]);
  checkSession(l);
  const next = await launch(launchData);
  // The page that held the launch's database took it with it.
  assert.deepEqual(await page.evaluate(async () => (await indexedDB.databases()).map((d) => d.name)), []);
  await until('passed', () => verbs(next.session).includes(VERB('passed')));
  await leave(next);
  assert.deepEqual(checkSession(next).map((s) => s.verb.id), ['initialized', 'passed', 'terminated'].map(VERB));
});

// The LMS's address to return to is where Exit goes once "terminated" is
// in; an address of script from the launch is no such address.
test('Exit returns to the LMS after terminated, and only to a web address', async () => {
  const shown = () => player().locator('#toc-list a[aria-current="page"], #continue').first().waitFor();
  let l = await launch({ ...launchData, returnURL: 'javascript:document.title="ran"' });
  await shown();
  assert.equal(await player().locator('#exit').isVisible(), false);
  // The LRS no longer takes the session's token: the learner is told.
  server.failState = (method) => (method !== 'GET' ? 401 : 0);
  const elsewhere = order.find((e) => e.file !== (server.states.get('raredozud.progress') || {}).location);
  await player().locator(`#toc-list a[href="#${elsewhere.file}"]`).click();
  await player().locator('#notice').waitFor();
  server.failState = null;
  await leave(l);
  const back = server.base + 'lms/back?course=1';
  // Launched in a frame of the LMS's page: its page would open inside it.
  l = server.launch({ ...launchData, returnURL: back });
  page = await context.newPage();
  page.on('pageerror', (e) => pageErrors.push(String(e)));
  await page.goto(server.base + 'lms/frame');
  await page.evaluate((url) => {
    const frame = document.body.appendChild(document.createElement('iframe'));
    frame.style.cssText = 'width: 1000px; height: 600px';
    frame.src = url;
  }, l.url);
  await until('initialized', () => verbs(l.session)[0] === VERB('initialized'));
  await page.frameLocator('iframe').locator('#toc-list a[aria-current="page"], #continue').first().waitFor();
  assert.equal(await page.frameLocator('iframe').locator('#exit').isVisible(), false);
  await leave(l);
  l = await launch({ ...launchData, returnURL: back });
  await shown();
  if (shotsDir) {
    await player().setViewportSize({ width: 1000, height: 560 });
    await content().locator('p').first().waitFor();
    await player().screenshot({ path: path.join(shotsDir, 'player-cmi5-exit.png') });
  }
  await player().locator('#exit').click();
  await page.waitForURL(back);
  assert.equal(verbs(l.session).at(-1), VERB('terminated'));
  checkSession(l);
  await page.close();
});

test('no script error on any page', () => {
  assert.deepEqual(pageErrors, []);
});
