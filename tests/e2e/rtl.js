// A course in a right-to-left script in the player, served:
//   node rtl.js PACKAGE_FOLDER [--screenshots DIR]
// Each title (the course's, the page's, those of the contents) and each of
// a test's questions reads in the direction of its own text: the Hebrew
// ones from the right, the English ones among them from the left.
'use strict';
const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const path = require('node:path');
const { outline, serve, browser, expectedQuiz, answerQuiz } = require('./common.js');

const args = process.argv.slice(2);
const shotsDir = args.indexOf('--screenshots') >= 0 ? args.splice(args.indexOf('--screenshots'), 2)[1] : null;
const packageDir = path.resolve(args[0] || '');
const order = outline(packageDir).filter((e) => e.file);
let server, page, closeBrowser;

before(async () => {
  server = await serve(packageDir);
  let context;
  ({ context, close: closeBrowser } = await browser());
  page = await context.newPage();
  if (shotsDir) await page.setViewportSize({ width: 1000, height: 600 });
});

after(async () => {
  if (closeBrowser) await closeBrowser();
  if (server) server.close();
});

const direction = (locator) => locator.evaluate((e) => getComputedStyle(e).direction);
const shot = (name) => shotsDir && page.screenshot({ path: path.join(shotsDir, name) });

test('titles and questions read in the direction of their script', async () => {
  const quiz = order.find((e) => e.file.startsWith('test'));
  const base = `http://127.0.0.1:${server.address().port}/index.htm`;
  if (shotsDir) {
    await page.goto(`${base}#${order[0].file}`);
    await page.frameLocator('#content').locator('body').waitFor();
    await shot('player-rtl.png');
  }
  await page.goto(`${base}#${quiz.file}`);
  await page.locator(`#toc-list a[aria-current="page"][href="#${quiz.file}"]`).waitFor();
  assert.equal(await direction(page.locator('#course-title')), 'rtl');
  assert.equal(await direction(page.locator('#page-title')), 'rtl');
  for (const e of order)
    assert.equal(await direction(page.locator(`#toc-list a[href="#${e.file}"]`)),
      /^[A-Za-z]/.test(e.title) ? 'ltr' : 'rtl', e.title);
  const questions = page.frameLocator('#content').locator('fieldset.question');
  await questions.first().waitFor();
  assert.deepEqual(await questions.evaluateAll((all) => all.map((q) => getComputedStyle(q).direction)),
    ['rtl', 'ltr']);
  if (shotsDir) {
    // Checked, the first answered wrong: the marks and feedback at the start of each line.
    const quizData = expectedQuiz(packageDir, quiz.file.replace(/^test/, 'testdata'));
    await answerQuiz(page.frameLocator('#content'), quizData, 'wrong');
    await page.frameLocator('#content').locator('fieldset.question.wrong').first().waitFor();
    await shot('player-rtl-quiz.png');
  }
});
