// The SCORM package in an LMS: node scorm.js NAME.scorm.zip [--screenshots DIR]
// The zip is unpacked as an LMS would, and lms.htm, a harness with the SCORM
// 1.2 runtime of scorm-again, launches it from a server on 127.0.0.1. The
// learner walks the pages, passes one test and fails the other; the
// runtime must then hold the status, score, place and answers, and a second
// launch with them goes on where the learner left off.
'use strict';
const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const { outline, referenceLink, expectedQuiz, answerQuiz, unpackScorm, lmsHarness } = require('./common.js');

const args = process.argv.slice(2);
const shotsAt = args.indexOf('--screenshots');
const shotsDir = shotsAt >= 0 ? args.splice(shotsAt, 2)[1] : null;
if (!args[0] || !fs.existsSync(args[0])) {
  console.error('usage: node scorm.js NAME.scorm.zip [--screenshots DIR]');
  process.exit(2);
}

const unpacked = unpackScorm(args[0]);
const { course } = unpacked;
const order = outline(course).filter((e) => e.file);
const tests = order.filter((e) => e.file.startsWith('test'));
const questions = tests.map((t) => expectedQuiz(course, t.file.replace(/^test/, 'testdata')).length);

let base, context, closeHarness, page, stored;
const pageErrors = [];

before(async () => ({ base, context, close: closeHarness } = await lmsHarness(unpacked)));
after(() => closeHarness && closeHarness());

const player = () => page.frameLocator('#sco');
const content = () => player().frameLocator('#content');
const record = () => page.evaluate(() => lmsRecord());
const until = (check, arg) => page.waitForFunction(check, arg);

async function launch(last) {
  page = await context.newPage();
  page.on('pageerror', (e) => pageErrors.push(String(e)));
  await page.goto(base + 'lms.htm');
  return page.evaluate(([c, s]) => launch(c, s), ['course/', last || null]);
}

async function open(file) {
  await player().locator(`#toc-list a[href="#${file}"]`).click();
  await until((f) => lmsRecord().location === f, file);
}

test('the LMS launches the player, which starts the attempt', async () => {
  assert.ok(tests.length >= 2 && order.length > tests.length, 'the course has pages and two tests');
  const sco = await launch(null);
  assert.deepEqual(sco, { href: 'index.htm', mastery: '80' });
  await until(() => lmsRecord().location !== '');
  const r = await record();
  assert.equal(r.initialized, 1);
  assert.equal(r.status, 'incomplete');
  assert.equal(r.location, order[0].file);
  assert.ok(r.commits >= 1, 'each change is committed');
});

test('pages walked, one test right and one wrong: status, score, place and answers in the LMS', async () => {
  for (let i = 1; i < order.length; i++) {
    await player().locator('#next').click();
    await until((f) => lmsRecord().location === f, order[i].file);
    const t = tests.indexOf(order[i]);
    if (t < 0 || t > 1) continue;
    await content().locator('fieldset.question').first().waitFor();
    const before_ = (await record()).commits;
    await answerQuiz(content(), expectedQuiz(course, order[i].file.replace(/^test/, 'testdata')), t === 0 ? 'right' : 'wrong');
    await until((n) => lmsRecord().commits > n, before_);
  }
  // A reference link in a page leads to the page it names, inside the LMS.
  const link = referenceLink(course);
  await open(link.from.file);
  await content().locator(`a[onclick*="showref('${link.ref}')"]`).first().click();
  await until((f) => lmsRecord().location === f, link.to.file);
  const bookmark = order.find((e) => e.file.startsWith('page') && e !== order[0]);
  await open(bookmark.file);
  const score = String(Math.round(100 * questions[0] / (questions[0] + questions[1])));
  await until((s) => lmsRecord().raw === s, score);
  const r = await record();
  assert.equal(r.status, Number(score) >= 80 ? 'passed' : 'failed');
  assert.deepEqual([r.min, r.max], ['0', '100']);
  assert.equal(r.location, bookmark.file);
  assert.ok(r.suspend.length > 0 && r.suspend.length <= 4096, r.suspend);
  // Each checked question an interaction, each test an objective.
  const interactions = Object.values(r.interactions);
  assert.equal(interactions.length, questions[0] + questions[1]);
  interactions.forEach((x, i) => {
    const t = i < questions[0] ? 0 : 1;
    const key = tests[t].file.match(/\d+/)[0];
    assert.equal(x.id, `test${key}q${t ? i - questions[0] + 1 : i + 1}`);
    assert.equal(x.result, t ? 'wrong' : 'correct', x.id);
    assert.match(x.type, /^(choice|fill-in)$/);
    assert.match(x.latency, /^\d{2,4}:\d\d:\d\d$/);
    assert.equal(x.objectives['0'].id, 'test' + key);
    assert.ok(x.correct_responses['0'].pattern.length > 0, x.id);
  });
  assert.deepEqual(Object.values(r.objectives).map((o) => [o.id, o.status, o.score.raw]),
    tests.slice(0, 2).map((t, i) => ['test' + t.file.match(/\d+/)[0], i ? 'failed' : 'passed', i ? '0' : '100']));

  // Leaving the course ends the session, keeping the data for the next one.
  await page.evaluate(() => { document.getElementById('sco').src = 'about:blank'; });
  await until(() => lmsRecord().finished === 1);
  stored = await record();
  assert.equal(stored.exit, 'suspend');
  await page.close();
});

test('a second launch goes on at the bookmark with the results kept, and passing the failed test passes the course', async () => {
  await launch(stored);
  await until((f) => lmsRecord().initialized === 1 && lmsRecord().location === f, stored.location);
  // A return asks first, then goes on at the bookmark.
  await player().locator('#continue').click();
  await player().locator(`#toc-list a[aria-current="page"][href="#${stored.location}"]`).waitFor();
  await open(tests[0].file);
  await content().locator('fieldset.question.right').nth(questions[0] - 1).waitFor();
  assert.equal(await content().locator('fieldset.question.wrong').count(), 0, 'the answers of the passed test are back');
  await open(tests[1].file);
  await content().locator('fieldset.question.wrong').nth(questions[1] - 1).waitFor();
  await answerQuiz(content(), expectedQuiz(course, tests[1].file.replace(/^test/, 'testdata')), 'right');
  await until(() => lmsRecord().status === 'passed');
  assert.equal((await record()).raw, '100');
  if (shotsDir) {
    fs.mkdirSync(shotsDir, { recursive: true });
    await page.screenshot({ path: path.join(shotsDir, 'lms-harness.png') });
  }
});

test('no script error on any page', () => {
  assert.deepEqual(pageErrors, []);
});
