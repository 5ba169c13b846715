// A course in a right-to-left script in the player, served:
//   node rtl.js PACKAGE_FOLDER
// Each title (the course's, the page's, those of the contents) and each of
// a test's questions reads in the direction of its own text: the Hebrew
// ones from the right, the English ones among them from the left.
'use strict';
const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const path = require('node:path');
const { outline, serve, browser } = require('./common.js');

const packageDir = path.resolve(process.argv[2] || '');
const order = outline(packageDir).filter((e) => e.file);
let server, page, closeBrowser;

before(async () => {
  server = await serve(packageDir);
  let context;
  ({ context, close: closeBrowser } = await browser());
  page = await context.newPage();
});

after(async () => {
  if (closeBrowser) await closeBrowser();
  if (server) server.close();
});

const direction = (locator) => locator.evaluate((e) => getComputedStyle(e).direction);

test('titles and questions read in the direction of their script', async () => {
  const quiz = order.find((e) => e.file.startsWith('test'));
  await page.goto(`http://127.0.0.1:${server.address().port}/index.htm#${quiz.file}`);
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
});
