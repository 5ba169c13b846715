// Nothing a document carries runs in the course:
//   node hostile.js PROGRAM_DIR WORK_DIR [SCREENSHOT.png]
// A course whose title, author, page title and quiz hold markup and script
// is written here and converted; then, in headless Chromium, the header
// page, the test data file and the test page opened on their own, the
// player served, and the SCORM package in the LMS harness with a recording
// API. Each shows the markup as text, and no script of the document runs:
// the LMS holds nothing but what the learner did.
'use strict';
const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const { execFileSync } = require('node:child_process');
const { serve, browser, unpackScorm } = require('./common.js');

const [programDir, workDir, screenshot] = process.argv.slice(2);
if (!programDir || !workDir) {
  console.error('usage: node hostile.js PROGRAM_DIR WORK_DIR');
  process.exit(2);
}

// Each payload, were it to run, marks the top window it reached and tells
// the LMS it finds above it that the learner passed.
const payload = (n) => `window.top.rdRan=(window.top.rdRan||'')+'${n}';` +
  'try{var w=window;while(!w.API&&w!==w.parent)w=w.parent;' +
  "w.API.LMSSetValue('cmi.core.lesson_status','passed');w.API.LMSSetValue('cmi.core.score.raw','100');w.API.LMSCommit('')}catch(e){}";
const title = `Course<img src=x onerror="${payload('title')}"> & <b>more</b>`;
const author = `<script>${payload('author')}</script>Team & <co>`;
const answers = ['<table>', '<tr> & <td>', `<img src=x onerror="${payload('answer')}">`, '&lt; typed'];
const course = [
  `%TITLE=${title}`, `%AUTHOR=${author}`,
  '%H2=Using <table> tags', 'A page about tables, and how a page writes them.',
  '%TEST=HTML <b>tags</b>', '1. Which tag starts a table?',
  `*a) ${answers[0]}`, `b) ${answers[1]}`, `c) ${answers[2]}`, `d) ${answers[3]}`,
  '%H2=The end', 'The last page of this course, long enough to count.', '',
].join('\n');

const work = path.resolve(workDir);
fs.rmSync(work, { recursive: true, force: true });
fs.mkdirSync(work, { recursive: true });
fs.writeFileSync(path.join(work, 'hostile.txt'), course);
execFileSync(path.resolve(programDir, 'raredozud'), ['convert', 'hostile.txt'], { cwd: work, stdio: ['ignore', 'ignore', 'inherit'] });
const pkg = path.join(work, 'hostile');
const lms = unpackScorm(pkg + '.scorm.zip');
const runtime = path.dirname(require.resolve('scorm-again/scorm12'));

let server, base, context, closeBrowser;
const pageErrors = [];

before(async () => {
  server = await serve({ '/': __dirname, '/course/': lms.course, '/package/': pkg, '/scorm-again/': runtime });
  base = `http://127.0.0.1:${server.address().port}/`;
  ({ context, close: closeBrowser } = await browser());
});

after(async () => {
  if (closeBrowser) await closeBrowser();
  if (server) server.close();
  fs.rmSync(lms.work, { recursive: true, force: true });
});

async function open(url) {
  const page = await context.newPage();
  page.on('pageerror', (e) => pageErrors.push(url + ': ' + String(e)));
  await page.goto(url);
  await page.waitForLoadState('load');
  return page;
}

const ran = (page) => page.evaluate(() => window.rdRan || '');
const squash = (s) => s.replace(/\s+/g, ' ').trim();

test('the header page, the test data file and the page title show the markup as text, alone and in the player', async () => {
  for (const url of ['file://' + path.join(pkg, 'header.htm'), base + 'package/header.htm']) {
    const page = await open(url);
    assert.equal(squash(await page.locator('body').innerText()), squash(title + ' ' + author), url);
    assert.equal(await page.locator('img, script, b b').count(), 0, url);
    assert.equal(await ran(page), '', url);
    await page.close();
  }
  const data = await open('file://' + path.join(pkg, 'testdata1.htm'));
  const text = await data.locator('pre').innerText();
  for (const a of answers) assert.ok(text.includes(a), a);
  assert.equal(await data.locator('pre *').count(), 0, 'the test data holds no element');
  assert.equal(await ran(data), '');
  await data.close();

  const player = await open(base + 'package/index.htm');
  await player.waitForFunction(() => document.title.indexOf('Course<') === 0);
  assert.equal(await player.title(), title);
  assert.deepEqual([await player.locator('#course-title').textContent(), await player.locator('#course-author').textContent()],
    [title, author], 'the header draws them as text, a line each');
  // The title is a link's first text; a test's link says after it whether it was answered.
  assert.deepEqual(await player.locator('#toc-list a').evaluateAll((links) => links.map((a) => a.firstChild.textContent)),
    ['Using <table> tags', 'HTML <b>tags</b>', 'The end']);
  await player.locator('#toc-list a[href="#test1.htm"]').click();
  const quiz = player.frameLocator('#content');
  await quiz.locator('fieldset.question').first().waitFor();
  assert.deepEqual(await quiz.locator('.question .text').allTextContents(), answers);
  assert.equal(await quiz.locator('#quiz-title').textContent(), 'HTML <b>tags</b>');
  assert.equal(await ran(player), '');
  if (screenshot) await player.screenshot({ path: screenshot });
  await player.close();
});

test('in an LMS, the course sets nothing but what the learner did', async () => {
  const page = await open(base + 'lms.htm');
  const sco = await page.evaluate(() => launch('course/', null));
  assert.equal(sco.href, 'index.htm');
  const player = page.frameLocator('#sco');
  await player.locator('#toc-list a').first().waitFor();
  // The header is drawn.
  await page.waitForFunction(() => document.getElementById('sco').contentDocument.getElementById('course-title').textContent !== '');
  await player.locator('#toc-list a[href="#test1.htm"]').click();
  await player.frameLocator('#content').locator('fieldset.question').first().waitFor();
  await page.waitForFunction(() => lmsRecord().location === 'test1.htm');
  const r = await page.evaluate(() => lmsRecord());
  // Opened, the first page seen, then the test: no answer, no score, no pass.
  assert.equal(r.status, 'incomplete');
  assert.equal(r.raw, '');
  const allowed = { 'cmi.core.lesson_location': /^(page|test)\d+\.htm$/, 'cmi.core.lesson_status': /^incomplete$/,
    'cmi.suspend_data': /^/ };
  for (const [element, value] of r.sets) {
    assert.ok(allowed[element], 'set by the course: ' + element + ' = ' + value);
    assert.match(value, allowed[element], element);
  }
  assert.ok(r.sets.some(([e, v]) => e === 'cmi.core.lesson_location' && v === 'test1.htm'));
  assert.equal(await ran(page), '');
  await page.close();
});

test('no script error on any page', () => {
  assert.deepEqual(pageErrors, []);
});
