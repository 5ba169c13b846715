// A course with a test its quiz page cannot show, as a SCORM package in
// the LMS harness: node unshowable.js NAME.scorm.zip [SCREENSHOT.png]
// The learner sees every page and passes the test that can be taken; the
// course must stay "incomplete" (never "completed" or "passed"; in SCORM
// 2004 incomplete with its success unknown), and the contents say that
// the broken test cannot be taken.
'use strict';
const { test } = require('node:test');
const assert = require('node:assert/strict');
const { outline, expectedQuiz, answerQuiz, unpackScorm, lmsSession } = require('./common.js');

const [scormZip, screenshot] = process.argv.slice(2);
const unpacked = unpackScorm(scormZip);
const { course } = unpacked;
const order = outline(course).filter((e) => e.file);
const lms = lmsSession(unpacked);
const { player, content, record, until } = lms;

// [edition, launch options, what the LMS must hold at the end]
const editions = [
  ['1.2', null, (r) => r.status, 'incomplete'],
  ['2004', { edition: '2004', href: 'index.htm', passing: '0.8' }, (r) => `${r.completion} ${r.success}`, 'incomplete unknown'],
];

for (const [edition, options, outcome, expected] of editions) {
  test(`SCORM ${edition}: a course with a test that cannot be shown never completes`, async () => {
    await lms.launch(null, options);
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
    if (screenshot && edition === '1.2') await player().locator('#toc').screenshot({ path: screenshot });
    await lms.page.evaluate(() => { document.getElementById('sco').src = 'about:blank'; });
    await until(() => lmsRecord().finished === 1);
    assert.equal(outcome(await record()), expected);
    await lms.page.close();
  });
}

test('no script error on any page', () => {
  assert.deepEqual(lms.pageErrors, []);
});
