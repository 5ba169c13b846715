// End-to-end test of a course package in headless Chromium:
//   node run.js PACKAGE_FOLDER [--screenshots DIR]
// The package is served on localhost by a small static server; what the
// pages should show is worked out from the package's own files (outline
// preview, pages, test data), so any converted course can be checked.
'use strict';
const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const { outline, referenceLink, expectedQuiz: quizOf, answerQuiz, serve, browser } = require('./common.js');

const args = process.argv.slice(2);
const shotsAt = args.indexOf('--screenshots');
const shotsDir = shotsAt >= 0 ? args.splice(shotsAt, 2)[1] : null;
const packageDir = args[0] ? path.resolve(args[0]) : null;
if (!packageDir || !fs.existsSync(path.join(packageDir, 'index.htm'))) {
  console.error('usage: node run.js PACKAGE_FOLDER [--screenshots DIR] (the folder needs index.htm)');
  process.exit(2);
}

// ---- the tests -------------------------------------------------------------

let server, context, page, base, closeBrowser;
const pageErrors = [];
const entries = outline(packageDir);
const expectedQuiz = (dataFile) => quizOf(packageDir, dataFile);
const order = entries.filter((e) => e.file);
const chapters = entries.filter((e) => !e.file && e.title);

before(async () => {
  server = await serve(packageDir);
  base = `http://127.0.0.1:${server.address().port}/`;
  ({ context, close: closeBrowser } = await browser());
  page = context.pages()[0] || await context.newPage();
  page.on('pageerror', (e) => pageErrors.push(String(e)));
  await page.goto(base + 'index.htm');
});

after(async () => {
  if (closeBrowser) await closeBrowser();
  if (server) server.close();
});

const frameFile = () => decodeURIComponent(new URL(page.frame({ name: 'content' }).url()).pathname.split('/').pop());

async function waitForFile(file) {
  await page.waitForFunction((f) => {
    const w = document.getElementById('content').contentWindow;
    return w.location.pathname.endsWith('/' + f) && w.document.readyState === 'complete';
  }, file);
}

async function openFromToc(file) {
  await page.locator(`#toc-list a[href="#${file}"]`).click();
  await waitForFile(file);
}

test('the start page shows the header and the contents with every chapter', async () => {
  assert.ok(chapters.length >= 1, 'the package has a chapter');
  await page.locator('#toc-list li').first().waitFor();
  const shown = await page.locator('#toc-list li.chapter').allTextContents();
  assert.deepEqual(shown.map((s) => s.trim()), chapters.map((c) => c.title));
  const links = await page.locator('#toc-list a').allTextContents();
  assert.equal(links.length, order.length);
  assert.equal(await page.locator('#toc-list li.in-chapter').count() > 0, true);
  const title = await page.locator('#course-title').textContent();
  assert.ok(title.trim().length > 0, 'the header shows the course title');
  assert.equal(await page.title(), title, 'the tab names the course');
  await waitForFile(order[0].file);
  assert.equal(frameFile(), order[0].file);
  if (shotsDir) {
    fs.mkdirSync(shotsDir, { recursive: true });
    const withText = order.find((e) => e.file.startsWith('page') && e !== order[0]) || order[0];
    await openFromToc(withText.file);
    await page.screenshot({ path: path.join(shotsDir, 'player-page.png') });
    await openFromToc(order[0].file);
  }
});

test('next and previous walk the pages in outline order', async () => {
  await openFromToc(order[0].file);
  assert.equal(await page.locator('#prev').isDisabled(), true);
  for (let i = 1; i < order.length; i++) {
    await page.locator('#next').click();
    await waitForFile(order[i].file);
    assert.equal(await page.locator(`#toc-list a[href="#${order[i].file}"]`).getAttribute('aria-current'), 'page');
  }
  // After the last item, the results.
  await page.locator('#next').click();
  await page.locator('#panel .status').waitFor();
  assert.equal(await page.locator('#results-link').getAttribute('aria-current'), 'page');
  assert.equal(await page.locator('#next').isDisabled(), true);
  await page.locator('#prev').click();
  await waitForFile(order[order.length - 1].file);
  for (let i = order.length - 2; i >= 0; i--) {
    await page.locator('#prev').click();
    await waitForFile(order[i].file);
  }
  assert.equal(await page.locator('#prev').isDisabled(), true);
});

test('a reference link opens the page it names; an unknown one gives a notice', async () => {
  const found = referenceLink(packageDir);
  assert.ok(found, 'some page has a reference link to another page');
  await openFromToc(found.from.file);
  await page.frameLocator('#content').locator(`a[onclick*="showref('${found.ref}')"]`).first().click();
  await waitForFile(found.to.file);
  assert.equal(page.url().endsWith('#' + found.to.file), true);

  const returned = await page.frame({ name: 'content' }).evaluate(() => parent.tester.showref('no-such-reference'));
  assert.equal(returned, false);
  await page.locator('#notice').waitFor({ state: 'visible' });
  assert.match(await page.locator('#notice').textContent(), /no-such-reference/);
  assert.equal(frameFile(), found.to.file, 'an unknown reference leaves the page as it is');
});

test('a test scores all correct with the starred answers and 0 otherwise', async () => {
  const tests = order.filter((e) => e.file.startsWith('test'));
  assert.ok(tests.length > 0, 'the package has a test');
  for (const t of tests) {
    const expected = expectedQuiz(t.file.replace(/^test/, 'testdata'));
    await openFromToc(t.file);
    const quiz = page.frameLocator('#content');
    await quiz.locator('fieldset.question').first().waitFor();
    assert.equal(await quiz.locator('fieldset.question').count(), expected.length, t.file + ': questions');

    const answer = (pick) => answerQuiz(quiz, expected, pick);

    await answer('right');
    assert.equal(await quiz.locator('fieldset.question.right').count(), expected.length, t.file + ': all right');
    const full = await quiz.locator('#quiz-result').textContent();
    assert.match(full, new RegExp(`\\b${expected.length}\\b\\D+\\b${expected.length}\\b`));
    if (shotsDir && t === tests[0]) {
      await page.locator('#notice').waitFor({ state: 'hidden' });
      await page.setViewportSize({ width: 1100, height: 860 });
      await quiz.locator('#quiz-result').scrollIntoViewIfNeeded();
      await page.screenshot({ path: path.join(shotsDir, 'player-test.png') });
      await page.setViewportSize({ width: 1100, height: 720 });
    }

    await answer('wrong');
    assert.equal(await quiz.locator('fieldset.question.wrong').count(), expected.length, t.file + ': all wrong');
    const none = await quiz.locator('#quiz-result').textContent();
    assert.match(none, new RegExp(`\\b0\\b\\D+\\b${expected.length}\\b`));

    await typedKept(page, expected);
  }
});

// A short answer typed and not left (its field keeps the focus, so it
// told no change) is back after a reload, served and from disk.
async function typedKept(pg, expected) {
  const short = expected.findIndex((q) => q.short !== undefined);
  if (short < 0) return;
  await pg.frameLocator('#content').locator('fieldset.question').nth(short).locator('input[type=text]').fill('typed, not left');
  await pg.reload();
  await pg.frameLocator('#content').locator('fieldset.question').nth(short).waitFor();
  await pg.frame({ name: 'content' }).waitForFunction((n) =>
    document.querySelectorAll('fieldset.question')[n].querySelector('input[type=text]').value === 'typed, not left', short);
}

test('the player is usable on a phone-sized screen, and goes on where the learner left off', async () => {
  const left = frameFile();
  await page.setViewportSize({ width: 380, height: 740 });
  await page.goto(base + 'index.htm');
  if (left !== order[0].file) await page.locator('#continue').click();
  await waitForFile(left);
  assert.equal(await page.locator('#toc').isVisible(), false, 'the contents fold away');
  await page.locator('#toc-toggle').click();
  assert.equal(await page.locator('#toc').isVisible(), true);
  await page.locator(`#toc-list a[href="#${order[1].file}"]`).click();
  await waitForFile(order[1].file);
  assert.equal(await page.locator('#toc').isVisible(), false, 'choosing a page folds the contents');
  const overflow = await page.evaluate(() => document.documentElement.scrollWidth > window.innerWidth);
  assert.equal(overflow, false, 'nothing wider than the screen');
  if (shotsDir) await page.screenshot({ path: path.join(shotsDir, 'player-phone.png') });
  await page.setViewportSize({ width: 1100, height: 720 });
});

test('opened straight from the folder, the contents and a test still work', async () => {
  const local = await context.newPage();
  local.on('pageerror', (e) => pageErrors.push('file: ' + String(e)));
  try {
    await local.goto('file://' + path.join(packageDir, 'index.htm'));
    await local.locator('#toc-list li.chapter').first().waitFor();
    assert.equal(await local.locator('#toc-list li.chapter').count(), chapters.length);
    // A test with a short answer, if there is one.
    const quizOfTest = (e) => expectedQuiz(e.file.replace(/^test/, 'testdata'));
    const quizzes = order.filter((e) => e.file.startsWith('test'));
    const t = quizzes.find((e) => quizOfTest(e).some((q) => q.short !== undefined)) || quizzes[0];
    await local.locator(`#toc-list a[href="#${t.file}"]`).click();
    const quiz = local.frameLocator('#content');
    await quiz.locator('fieldset.question').first().waitFor();
    const expected = quizOfTest(t);
    assert.equal(await quiz.locator('fieldset.question').count(), expected.length);
    await typedKept(local, expected);
  } finally {
    await local.close();
  }
});

test('no script error on any page', () => {
  assert.deepEqual(pageErrors, []);
});
