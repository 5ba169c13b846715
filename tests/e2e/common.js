// What the end-to-end tests share: reading a package's own files for what
// its pages should show, a static server on 127.0.0.1, and the browser.
'use strict';
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const http = require('node:http');
const { pathToFileURL } = require('node:url');
const { chromium } = require('playwright-core');

const CHROMIUM = process.env.CHROMIUM || '/usr/bin/chromium';

// ---- what a package says ----------------------------------------------------

const cp1251 = new TextDecoder('windows-1251');
const unescape = (s) => s.replace(/&lt;/g, '<').replace(/&gt;/g, '>')
  .replace(/&#(\d+);/g, (m, n) => String.fromCodePoint(Number(n)));

function reader(packageDir) {
  return (name) => cp1251.decode(fs.readFileSync(path.join(packageDir, name)));
}

function outline(packageDir) {
  const entries = [];
  for (const line of reader(packageDir)('pvomanifest.htm').split(/\r\n|\r|\n/)) {
    if (line.startsWith('%MANIFEST_END')) break;
    if (!line.startsWith('ITEM')) continue;
    const f = line.split('|');
    if (f.length < 4) continue;
    // The title as the player shows it: stored apostrophes are backquotes.
    const title = unescape(f.slice(1, -2).join('|')).replace(/`/g, "'");
    entries.push({ item: f[0], title, file: f[f.length - 2] });
  }
  return entries;
}

// The first reference link of a page to another page of the package:
// { from, ref, to } (outline entries), or null.
function referenceLink(packageDir) {
  const order = outline(packageDir).filter((e) => e.file);
  const byItem = new Map(order.map((e) => [e.item, e]));
  for (const from of order.filter((e) => e.file.startsWith('page'))) {
    const html = fs.readFileSync(path.join(packageDir, from.file), 'utf8');
    for (const m of html.matchAll(/parent\.tester\.showref\('([^']*)'\)/g)) {
      const to = byItem.get('ITEM' + m[1]);
      if (to && to.file !== from.file) return { from, ref: m[1], to };
    }
  }
  return null;
}

// The starred (or ANSWER:-named) answers of each question, by position.
function expectedQuiz(packageDir, dataFile) {
  const text = reader(packageDir)(dataFile);
  // "%TEST_END" may close the last answer's line, as the player reads it.
  const lines = text.slice(text.indexOf('%TEST='), text.indexOf('%TEST_END')).split(/\r\n|\r|\n/).slice(1);
  const questions = [];
  let q = null;
  for (const raw of lines) {
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

// Answers every question of the quiz in `quiz` (a frame locator) right or
// wrong, as `expected` (expectedQuiz) says, and checks the answers.
async function answerQuiz(quiz, expected, pick) {
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
}

// ---- what a screen reader hears ------------------------------------------------

// What a screen reader is told, in each frame: every change of a live
// region's text (the same text set again too), with whether the region was
// there, rendered, at the frame before (one shown and filled at once is
// not said).
function hearing() {
  const said = window.rdSaid = [];
  const there = new Map();
  const live = ':is([aria-live], [role=status], [role=alert]):not([aria-live=off])';
  const look = () => {
    document.querySelectorAll(live).forEach((r) => there.set(r, r.checkVisibility()));
    requestAnimationFrame(look);
  };
  requestAnimationFrame(look);
  new MutationObserver((records) => {
    const changed = new Set(records.map((m) => (m.target.nodeType === 1 ? m.target : m.target.parentElement))
      .map((e) => e && e.closest(live)).filter(Boolean));
    changed.forEach((r) => { if (r.textContent.trim()) said.push([r.id, r.textContent.trim(), there.get(r) === true]); });
  }).observe(document, { subtree: true, childList: true, characterData: true });
}

// ---- the server -------------------------------------------------------------

const TYPES = { '.htm': 'text/html', '.html': 'text/html', '.js': 'text/javascript',
  '.css': 'text/css', '.png': 'image/png', '.gif': 'image/gif', '.jpg': 'image/jpeg',
  '.jpeg': 'image/jpeg', '.xml': 'application/xml', '.xsd': 'application/xml' };

// Serves `mounts` ({ '/prefix/': folder }, or one folder for '/') on
// 127.0.0.1 at a free port.
function serve(mounts) {
  if (typeof mounts === 'string') mounts = { '/': mounts };
  const prefixes = Object.keys(mounts).sort((a, b) => b.length - a.length);
  const server = http.createServer((req, res) => {
    let rel;
    try {
      rel = decodeURIComponent(new URL(req.url, 'http://x').pathname);
    } catch {
      res.writeHead(400).end();
      return;
    }
    const prefix = prefixes.find((p) => rel.startsWith(p));
    if (!prefix) {
      res.writeHead(404).end('not found');
      return;
    }
    const root = mounts[prefix];
    const file = path.join(root, path.normalize('/' + rel.slice(prefix.length)));
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

// ---- the browser ------------------------------------------------------------

// Headless Chromium with a profile of its own; `close` removes it.
async function browser(options = {}) {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'rd-e2e-'));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: CHROMIUM,
    headless: true,
    viewport: { width: 1100, height: 720 },
    locale: options.locale,
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync',
      ...(options.lang ? ['--lang=' + options.lang] : [])],
  });
  const close = async () => {
    await context.close();
    fs.rmSync(profile, { recursive: true, force: true });
  };
  return { context, close };
}

// ---- the LMS harness -----------------------------------------------------------

// A SCORM zip unpacked as an LMS would, into a folder of its own:
// { work (to remove at the end), course }.
function unpackScorm(zip) {
  const { unzipSync } = require('fflate');
  const work = fs.mkdtempSync(path.join(os.tmpdir(), 'rd-lms-'));
  const course = path.join(work, 'course');
  for (const [name, bytes] of Object.entries(unzipSync(fs.readFileSync(zip)))) {
    if (name.endsWith('/')) continue;
    fs.mkdirSync(path.dirname(path.join(course, name)), { recursive: true });
    fs.writeFileSync(path.join(course, name), bytes);
  }
  return { work, course };
}

// lms.htm (scorm-again's SCORM runtimes) and the unpacked course (or a
// package folder, `work` null) beside it in course/, served on 127.0.0.1,
// and the browser: { base, context, close }, which also removes the
// unpacked course.
async function lmsHarness({ work, course }) {
  const runtime = path.dirname(require.resolve('scorm-again/scorm12'));
  const server = await serve({ '/': __dirname, '/course/': course, '/scorm-again/': runtime });
  const base = `http://127.0.0.1:${server.address().port}/`;
  const { context, close } = await browser();
  return {
    base, context,
    close: async () => {
      await close();
      server.close();
      if (work) fs.rmSync(work, { recursive: true, force: true });
    },
  };
}

// The LMS harness for a test file of node's runner: up before its tests,
// closed after them. `launch(stored, options)` opens lms.htm in a new page
// (`page`) and launches the course there (lms.htm's launch); player(),
// content() (the page in the player), record() (lmsRecord()) and until()
// reach into it; pageErrors collects the script errors of every page.
function lmsSession(unpacked) {
  const { before, after } = require('node:test');
  let base, context, close;
  before(async () => ({ base, context, close } = await lmsHarness(unpacked)));
  after(() => close && close());
  const lms = {
    page: null,
    pageErrors: [],
    player: () => lms.page.frameLocator('#sco'),
    content: () => lms.player().frameLocator('#content'),
    record: () => lms.page.evaluate(() => lmsRecord()),
    until: (check, arg) => lms.page.waitForFunction(check, arg),
    launch: async (stored, options) => {
      lms.page = await context.newPage();
      lms.page.on('pageerror', (e) => lms.pageErrors.push(String(e)));
      await lms.page.goto(base + 'lms.htm');
      return lms.page.evaluate(([s, o]) => launch('course/', s, o), [stored || null, options || null]);
    },
  };
  return lms;
}

// ---- screenshots for the documentation ---------------------------------------

// Two pages side by side, each in a frame of its own under its title, shot
// into `png` (a page made in `work`).
async function sideBySide(page, work, frames, png) {
  const frame = ([title, file]) =>
    `<div><h3>${title}</h3><iframe src="${pathToFileURL(file).href}"></iframe></div>`;
  const side = path.join(work, 'side-by-side.html');
  fs.writeFileSync(side, '<!DOCTYPE html><html><head><meta charset="utf-8"><style>' +
    'body{margin:8px;font-family:sans-serif;display:flex;gap:12px}h3{margin:4px 0;font-size:14px}' +
    'iframe{width:560px;height:640px;border:1px solid #888}</style></head><body>' +
    frames.map(frame).join('') + '</body></html>');
  await page.setViewportSize({ width: 1160, height: 690 });
  await page.goto(pathToFileURL(side).href, { waitUntil: 'load' });
  await page.screenshot({ path: png });
}

module.exports = { outline, referenceLink, expectedQuiz, answerQuiz, hearing, serve, browser, reader,
  unpackScorm, lmsHarness, lmsSession, sideBySide };
