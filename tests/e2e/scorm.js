// The course in an LMS of either SCORM edition:
//   node scorm.js NAME.scorm.zip [--screenshots DIR]
//   node scorm.js NAME.scorm2004.zip|PACKAGE_FOLDER --edition 2004 [--screenshots DIR]
// The zip is unpacked as an LMS would (a folder is served as it is), and
// lms.htm, a harness with scorm-again's runtime of the edition, launches it
// from a server on 127.0.0.1. The learner walks the pages, passes one test
// and fails the other; the runtime must then hold the status (SCORM 2004:
// completion and success apart), score, place and answers, and a second
// launch with them goes on where the learner left off.
'use strict';
const { test } = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const { outline, referenceLink, expectedQuiz, answerQuiz, unpackScorm, lmsSession } = require('./common.js');

const args = process.argv.slice(2);
const option = (name) => (args.indexOf(name) >= 0 ? args.splice(args.indexOf(name), 2)[1] : null);
const shotsDir = option('--screenshots');
const edition = option('--edition') || '1.2';
if (!args[0] || !fs.existsSync(args[0])) {
  console.error('usage: node scorm.js NAME.scorm.zip|PACKAGE_FOLDER [--edition 1.2|2004] [--screenshots DIR]');
  process.exit(2);
}

const unpacked = fs.statSync(args[0]).isDirectory() ? { work: null, course: path.resolve(args[0]) } : unpackScorm(args[0]);
const { course } = unpacked;
const order = outline(course).filter((e) => e.file);
const tests = order.filter((e) => e.file.startsWith('test'));
const questions = tests.map((t) => expectedQuiz(course, t.file.replace(/^test/, 'testdata')).length);
const lms = lmsSession(unpacked);
const { player, content, record, until } = lms;
const v2004 = edition === '2004';
// The SCORM 2004 zip's manifest gives the LMS the SCO and the pass mark; a
// course folder holds only the IMS manifest, so the test gives them.
const launchOptions = !v2004 ? null
  : unpacked.work ? { edition } : { edition, href: 'index.htm', passing: '0.8' };
let stored;

// Each edition's words for what the learner did, as the LMS keeps them.
const words = v2004
  ? { wrong: 'incorrect', latency: /^PT(\d+H)?(\d+M)?\d+(\.\d+)?S$/, status: (r) => `${r.completion} ${r.success}`,
      start: 'incomplete unknown', objective: (o) => [o.id, o.success_status, o.score.raw] }
  : { wrong: 'wrong', latency: /^\d{2,4}:\d\d:\d\d$/, status: (r) => r.status, start: 'incomplete',
      objective: (o) => [o.id, o.status, o.score.raw] };

async function open(file) {
  await player().locator(`#toc-list a[href="#${file}"]`).click();
  await until((f) => lmsRecord().location === f, file);
}

test('the LMS launches the player, which starts the attempt', async () => {
  assert.ok(tests.length >= 2 && order.length > tests.length, 'the course has pages and two tests');
  const sco = await lms.launch(null, launchOptions);
  assert.deepEqual([sco.href, v2004 ? sco.passing : sco.mastery], ['index.htm', v2004 ? '0.8' : '80']);
  await until(() => lmsRecord().location !== '');
  const r = await record();
  assert.equal(r.initialized, 1);
  assert.equal(words.status(r), words.start);
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
  const score = String(Math.floor(100 * questions[0] / (questions[0] + questions[1])));
  await until((s) => lmsRecord().raw === s, score);
  const r = await record();
  const outcome = Number(score) >= 80 ? 'passed' : 'failed';
  assert.equal(words.status(r), v2004 ? `completed ${outcome}` : outcome);
  if (v2004) assert.equal(r.scaled, String(Number(score) / 100));
  assert.deepEqual([r.min, r.max], ['0', '100']);
  assert.equal(r.location, bookmark.file);
  assert.ok(r.suspend.length > 0 && r.suspend.length <= (v2004 ? 64000 : 4096), r.suspend);
  assert.deepEqual(r.refused, [], 'the runtime takes every value the player sets');
  // Each checked question an interaction, each test an objective.
  const interactions = Object.values(r.interactions);
  assert.equal(interactions.length, questions[0] + questions[1]);
  interactions.forEach((x, i) => {
    const t = i < questions[0] ? 0 : 1;
    const key = tests[t].file.match(/\d+/)[0];
    assert.equal(x.id, `test${key}q${t ? i - questions[0] + 1 : i + 1}`);
    assert.equal(x.result, t ? words.wrong : 'correct', x.id);
    assert.match(x.type, /^(choice|fill-in)$/);
    assert.match(x.latency, words.latency);
    assert.equal(x.objectives['0'].id, 'test' + key);
    assert.ok(x.correct_responses['0'].pattern.length > 0, x.id);
  });
  assert.deepEqual(Object.values(r.objectives).map(words.objective),
    tests.slice(0, 2).map((t, i) => ['test' + t.file.match(/\d+/)[0], i ? 'failed' : 'passed', i ? '0' : '100']));

  // Leaving the course ends the session, keeping the data for the next one.
  const src = await lms.page.locator('#sco').getAttribute('src');
  await lms.page.evaluate(() => { document.getElementById('sco').src = 'about:blank'; });
  await until(() => lmsRecord().finished === 1);
  stored = await record();
  assert.equal(stored.exit, 'suspend');
  if (v2004) assert.match(stored.session, words.latency);
  // Opened again in the ended session, the runtime starts none: the
  // learner is told to open the course from the LMS again.
  await lms.page.evaluate((s) => { document.getElementById('sco').src = s; }, src);
  await player().locator('#notice', { hasText: /learning management system|[Сс]истема обучения/ }).waitFor();
  if (shotsDir && !v2004) fs.mkdirSync(shotsDir, { recursive: true });
  if (shotsDir && !v2004) await lms.page.screenshot({ path: path.join(shotsDir, 'lms-not-recording.png') });
  await lms.page.close();
});

test('a second launch goes on at the bookmark with the results kept, and passing the failed test passes the course', async () => {
  await lms.launch(stored, launchOptions);
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
  await until((v) => (v ? lmsRecord().success : lmsRecord().status) === 'passed', v2004);
  const r = await record();
  assert.deepEqual([r.raw, words.status(r)], ['100', v2004 ? 'completed passed' : 'passed']);
  if (v2004) {
    // A fill-in's answers with commas, which the runtime may split: each
    // recorded whole, the learner's commas read back as they were typed.
    const texts = ['a, b', 'Paris ,France', '1,5'];
    const kept = await lms.page.evaluate((texts) => {
      const api = new Scorm2004API({ logLevel: 5 });
      const S = document.getElementById('sco').contentWindow.RdScorm;
      new S.LmsStore(api, S.SCORM2004).save({ interactions: texts.map((t, i) => ({ index: i, id: 'q' + i, test: 't',
        kind: 'fill-in', accepted: [t], text: t, question: 'Q', when: new Date(), seconds: 1, right: true })) });
      const at = (i, what) => api.cmi.interactions.childArray[i][what];
      return texts.map((_, i) => [at(i, 'learner_response'), at(i, 'correct_responses').childArray[0].pattern]);
    }, texts);
    assert.deepEqual(kept.map((x) => x.map((v) => v.replace(/\\,/g, ','))), texts.map((t) => [t, t]));
  } else {
    // At a mastery score of the LMS's with decimals, the status the runtime
    // judges by the raw score as the session ends is the player's.
    const judged = await lms.page.evaluate(() => [[35, 44], [34, 44], [36, 44]].map(([right, total]) => {
      const api = new Scorm12API({ logLevel: 5 });
      api.loadFromJSON({ student_data: { mastery_score: '79.5' }, core: { credit: 'credit' } }, '');
      const W = document.getElementById('sco').contentWindow;
      const t = new W.RdTracking.Tracker(new W.RdScorm.LmsStore(api), { files: ['test1.htm'], passMark: 80 });
      t.setTotal('1', total);
      t.showPage(0);
      t.recordTest('1', Array.from({ length: total }, (_, i) => i < right), null);
      const status = t.summary().status;
      t.finish(1);
      return [status, api.cmi.core.lesson_status, api.cmi.core.score.raw];
    }));
    for (const [player, runtime, raw] of judged) assert.equal(runtime, player, `raw score ${raw}`);
  }
  if (shotsDir) {
    fs.mkdirSync(shotsDir, { recursive: true });
    await lms.page.screenshot({ path: path.join(shotsDir, v2004 ? 'lms-scorm2004.png' : 'lms-harness.png') });
  }
  if (v2004) {
    // Done: the attempt ends normally.
    await lms.page.evaluate(() => { document.getElementById('sco').src = 'about:blank'; });
    await until(() => lmsRecord().finished === 1);
    assert.equal((await record()).exit, 'normal');
  }
});

test('no script error on any page', () => {
  assert.deepEqual(lms.pageErrors, []);
});
