// End-to-end test of a course package in headless Chromium:
//   node run.js PACKAGE_FOLDER [--screenshots DIR]
// The package is served on localhost by a small static server; what the
// pages should show is worked out from the package's own files (outline
// preview, pages, test data), so any converted course can be checked.
'use strict';
const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const http = require('node:http');
const { chromium } = require('playwright-core');

const args = process.argv.slice(2);
const shotsAt = args.indexOf('--screenshots');
const shotsDir = shotsAt >= 0 ? args.splice(shotsAt, 2)[1] : null;
const packageDir = args[0] ? path.resolve(args[0]) : null;
if (!packageDir || !fs.existsSync(path.join(packageDir, 'index.htm'))) {
  console.error('usage: node run.js PACKAGE_FOLDER [--screenshots DIR] (the folder needs index.htm)');
  process.exit(2);
}
const CHROMIUM = process.env.CHROMIUM || '/usr/bin/chromium';

// ---- what the package says ------------------------------------------------

const cp1251 = new TextDecoder('windows-1251');
const readCp1251 = (name) => cp1251.decode(fs.readFileSync(path.join(packageDir, name)));
const unescape = (s) => s.replace(/&lt;/g, '<').replace(/&gt;/g, '>')
  .replace(/&#(\d+);/g, (m, n) => String.fromCodePoint(Number(n)));

function outline() {
  const entries = [];
  for (const line of readCp1251('pvomanifest.htm').split(/\r\n|\r|\n/)) {
    if (line.startsWith('%MANIFEST_END')) break;
    if (!line.startsWith('ITEM')) continue;
    const f = line.split('|');
    if (f.length < 4) continue;
    entries.push({ item: f[0], title: unescape(f.slice(1, -2).join('|')), file: f[f.length - 2] });
  }
  return entries;
}

// The starred (or ANSWER:-named) answers of each question, by position.
function expectedQuiz(dataFile) {
  const text = readCp1251(dataFile);
  const lines = text.slice(text.indexOf('%TEST=')).split(/\r\n|\r|\n/).slice(1);
  const questions = [];
  let q = null;
  for (const raw of lines) {
    if (raw.trim() === '%TEST_END') break;
    const t = raw.trim();
    if (t === '') { q = null; continue; }
    const answer = /^(\*?)\s*[a-zа-яё][.)]\t?\s*(\*?)/i.exec(t);
    const key = /^ANSWER\s*:\s*([a-z])/i.exec(t);
    if (q && key) {
      q.correct = [q.letters.indexOf(key[1].toLowerCase())];
      q.done = true;
    } else if (q && !q.done && t.startsWith('=')) {
      q.short = t.slice(1).trim();
    } else if (q && !q.done && answer && !(t[1] === '.' && /\S/.test(t[2] || ' ') && t[2] !== '*')) {
      if (answer[1] || answer[2]) q.correct.push(q.count);
      q.letters.push(t.replace(/^\*\s*/, '')[0].toLowerCase());
      q.count++;
    } else if (!q || q.count || q.short !== undefined || q.done) {
      q = { count: 0, correct: [], letters: [], done: false };
      questions.push(q);
    }
  }
  return questions;
}

// ---- the server ------------------------------------------------------------

const TYPES = { '.htm': 'text/html', '.html': 'text/html', '.js': 'text/javascript',
  '.css': 'text/css', '.png': 'image/png', '.gif': 'image/gif', '.jpg': 'image/jpeg',
  '.jpeg': 'image/jpeg', '.xml': 'application/xml', '.xsd': 'application/xml' };

function serve(root) {
  const server = http.createServer((req, res) => {
    let rel;
    try {
      rel = decodeURIComponent(new URL(req.url, 'http://x').pathname);
    } catch {
      res.writeHead(400).end();
      return;
    }
    const file = path.join(root, path.normalize(rel));
    if (!file.startsWith(root + path.sep) && file !== root) {
      res.writeHead(403).end();
      return;
    }
    fs.readFile(file, (err, data) => {
      if (err) {
        res.writeHead(404).end('not found');
        return;
      }
      // No charset: each file declares its own (pages UTF-8, preview and
      // header windows-1251), as they would from a plain LMS file store.
      res.writeHead(200, { 'Content-Type': TYPES[path.extname(file).toLowerCase()] || 'application/octet-stream' });
      res.end(data);
    });
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

// ---- the tests -------------------------------------------------------------

let server, context, page, base, profile;
const pageErrors = [];
const entries = outline();
const order = entries.filter((e) => e.file);
const chapters = entries.filter((e) => !e.file && e.title);

before(async () => {
  server = await serve(packageDir);
  base = `http://127.0.0.1:${server.address().port}/`;
  profile = fs.mkdtempSync(path.join(os.tmpdir(), 'rd-e2e-'));
  context = await chromium.launchPersistentContext(profile, {
    executablePath: CHROMIUM,
    headless: true,
    viewport: { width: 1100, height: 720 },
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  });
  page = context.pages()[0] || await context.newPage();
  page.on('pageerror', (e) => pageErrors.push(String(e)));
  await page.goto(base + 'index.htm');
});

after(async () => {
  if (context) await context.close();
  if (server) server.close();
  if (profile) fs.rmSync(profile, { recursive: true, force: true });
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
  const headerText = await page.frameLocator('#header').locator('body').textContent();
  assert.ok(headerText.trim().length > 0, 'the header page shows the course title');
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
  assert.equal(await page.locator('#next').isDisabled(), true);
  for (let i = order.length - 2; i >= 0; i--) {
    await page.locator('#prev').click();
    await waitForFile(order[i].file);
  }
  assert.equal(await page.locator('#prev').isDisabled(), true);
});

test('a reference link opens the page it names; an unknown one gives a notice', async () => {
  const byItem = new Map(order.map((e) => [e.item, e]));
  let found = null;
  for (const e of order.filter((x) => x.file.startsWith('page'))) {
    const html = fs.readFileSync(path.join(packageDir, e.file), 'utf8');
    for (const m of html.matchAll(/parent\.tester\.showref\('([^']*)'\)/g)) {
      const target = byItem.get('ITEM' + m[1]);
      if (target && target.file !== e.file) { found = { from: e, ref: m[1], to: target }; break; }
    }
    if (found) break;
  }
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

    const answer = async (pick) => {
      await quiz.locator('#quiz-reset').click();
      for (let i = 0; i < expected.length; i++) {
        const q = expected[i];
        const fs_ = quiz.locator('fieldset.question').nth(i);
        if (q.short !== undefined) {
          await fs_.locator('input[type=text]').fill(pick === 'right' ? `  ${q.short.toUpperCase()} ` : 'no such answer');
          continue;
        }
        const inputs = fs_.locator('input');
        const chosen = pick === 'right' ? q.correct
          : [[...Array(q.count).keys()].find((k) => !q.correct.includes(k))];
        for (const k of chosen) await inputs.nth(k).check();
      }
      await quiz.locator('#quiz-check').click();
    };

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
  }
});

test('the player is usable on a phone-sized screen', async () => {
  await page.setViewportSize({ width: 380, height: 740 });
  await page.goto(base + 'index.htm');
  await waitForFile(order[0].file);
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
    const t = order.find((e) => e.file.startsWith('test'));
    await local.locator(`#toc-list a[href="#${t.file}"]`).click();
    const quiz = local.frameLocator('#content');
    await quiz.locator('fieldset.question').first().waitFor();
    const expected = expectedQuiz(t.file.replace(/^test/, 'testdata'));
    assert.equal(await quiz.locator('fieldset.question').count(), expected.length);
  } finally {
    await local.close();
  }
});

test('no script error on any page', () => {
  assert.deepEqual(pageErrors, []);
});
