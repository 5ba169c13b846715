// A course with a test its quiz page cannot show, as a SCORM package in
// the LMS harness: node unshowable.js NAME.scorm.zip [SCREENSHOT.png]
// The learner sees every page and passes the test that can be taken; the
// course must stay "incomplete" (never "completed" or "passed"), and the
// contents say that the broken test cannot be taken.
'use strict';
const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const { outline, expectedQuiz, answerQuiz, unpackScorm, lmsHarness } = require('./common.js');

const [scormZip, screenshot] = process.argv.slice(2);
const unpacked = unpackScorm(scormZip);
const { course } = unpacked;
const order = outline(course).filter((e) => e.file);
let base, context, closeHarness, page;
const pageErrors = [];

before(async () => ({ base, context, close: closeHarness } = await lmsHarness(unpacked)));
after(() => closeHarness && closeHarness());

const player = () => page.frameLocator('#sco');
const content = () => player().frameLocator('#content');
const record = () => page.evaluate(() => lmsRecord());
const until = (check, arg) => page.waitForFunction(check, arg);

test('a course with a test that cannot be shown never completes', async () => {
  page = await context.newPage();
  page.on('pageerror', (e) => pageErrors.push(String(e)));
  await page.goto(base + 'lms.htm');
  await page.evaluate(() => launch('course/', null));
  await until(() => lmsRecord().location !== '');
  // The tab names the course, from course.js.
  assert.equal(await player().locator('html').evaluate(() => document.title), 'Ladders');
  const broken = order.find((e) => e.title === 'Broken');
  const entry = player().locator(`#toc-list li.unusable a[href="#${broken.file}"]`);
  await entry.waitFor();
  assert.match(await entry.textContent(), /\(cannot be taken\)$/);
  for (let i = 1; i < order.length; i++) {
    await player().locator('#next').click();
    await until((f) => lmsRecord().location === f, order[i].file);
    if (order[i].title !== 'Check') continue;
    await content().locator('fieldset.question').first().waitFor();
    const commits = (await record()).commits;
    await answerQuiz(content(), expectedQuiz(course, order[i].file.replace(/^test/, 'testdata')), 'right');
    await until((n) => lmsRecord().commits > n, commits);
  }
  // For the documentation: the contents with the line of the test that cannot be taken.
  if (screenshot) await player().locator('#toc').screenshot({ path: screenshot });
  await page.evaluate(() => { document.getElementById('sco').src = 'about:blank'; });
  await until(() => lmsRecord().finished === 1);
  const r = await record();
  assert.equal(r.status, 'incomplete');
});

test('no script error on any page', () => {
  assert.deepEqual(pageErrors, []);
});
