// The learner's side of the player:
//   node progress.js PROGRAM_DIR WORK_DIR TEMPLATE.docx [--screenshots DIR]
// The course template is converted as it is; a course with the author's
// feedback lines is converted with --attempts=2 --shuffle and again with
// --hide-answers, and a course of pages alone. In headless Chromium: pages
// marked seen, the progress bar, the results page, feedback and correct
// answers after a check, attempts locking (a check with a question left
// unanswered asks first), the learner's order of answers and a test left
// half done kept on resume, the interactions and objectives scorm-again
// records, a long title cut on a desktop, the phone layout, printing, the
// learner's own settings (text size, forced colours, less motion), and
// axe-core with no violation of any impact at 1280x800 and 390x844, light
// and dark.
'use strict';
const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const { execFileSync } = require('node:child_process');
const { outline, hearing, serve, browser, unpackScorm, lmsHarness } = require('./common.js');

const args = process.argv.slice(2);
const shotsAt = args.indexOf('--screenshots');
const shotsDir = shotsAt >= 0 ? args.splice(shotsAt, 2)[1] : null;
const [programDir, workDir, template] = args;
if (!programDir || !workDir || !template) {
  console.error('usage: node progress.js PROGRAM_DIR WORK_DIR TEMPLATE.docx [--screenshots DIR]');
  process.exit(2);
}
const AXE = require.resolve('axe-core/axe.min.js');
const SIZES = { wide: { width: 1280, height: 800 }, phone: { width: 390, height: 844 } };

// Question 1 has feedback for an answer and for the question; its answers
// shuffle but "all of the above" keeps its place.
const feedbackCourse = [
  '%TITLE=Databases', '%AUTHOR=Course team',
  '%H2=Rows', 'A page about rows and how a query reads them, long enough.',
  '%H2=Order', 'A page about sorting rows, which needs an ORDER BY clause.',
  '%TEST=Check', '1. Which keyword sorts rows?', 'a) GROUP BY', '@ GROUP BY gathers rows into groups.',
  '*b) ORDER BY', 'c) HAVING', 'd) WHERE', 'e) All of the above', '@', '@ Rows come in no fixed order.',
  '', '2. Which keyword reads rows?', '*a) SELECT', 'b) INSERT',
  '%H2=The end', 'The last page of this course, long enough to count.', '',
].join('\n');

function convert(folder, name, file, options, text = feedbackCourse) {
  const work = path.join(path.resolve(workDir), folder);
  fs.rmSync(work, { recursive: true, force: true });
  fs.mkdirSync(work, { recursive: true });
  if (file) fs.copyFileSync(file, path.join(work, name));
  else fs.writeFileSync(path.join(work, name), text);
  execFileSync(path.resolve(programDir, 'raredozud'), ['convert', ...options, name],
    { cwd: work, stdio: ['ignore', 'ignore', 'inherit'] });
  return path.join(work, name.replace(/\..*$/, ''));
}

const templatePkg = convert('template', 'template.docx', template, []);
const quizPkg = convert('feedback', 'feedback.txt', null, ['--attempts=2', '--shuffle']);
const hiddenPkg = convert('hidden', 'hidden.txt', null, ['--hide-answers']);
const pagesPkg = convert('pages', 'pages.txt', null, [], ['%TITLE=Ladders', '%H2=Up', 'A page about going up a ladder.',
  '%H2=Down', 'A page about coming down a ladder.', ''].join('\n'));

// A Word document of plain paragraphs, `runs` the inner XML of each, with
// `note` as its footnote 1.
function wordDocument(runs, note) {
  const { zipSync, strToU8 } = require('fflate');
  const W = 'xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main"';
  const rel = (type, target) => '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">' +
    `<Relationship Id="r1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/${type}" Target="${target}"/></Relationships>`;
  const part = (type) => `application/vnd.openxmlformats-officedocument.wordprocessingml.${type}+xml`;
  return Buffer.from(zipSync({
    '[Content_Types].xml': strToU8('<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">' +
      '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>' +
      `<Override PartName="/word/document.xml" ContentType="${part('document.main')}"/>` +
      `<Override PartName="/word/footnotes.xml" ContentType="${part('footnotes')}"/></Types>`),
    '_rels/.rels': strToU8(rel('officeDocument', 'word/document.xml')),
    'word/_rels/document.xml.rels': strToU8(rel('footnotes', 'footnotes.xml')),
    'word/document.xml': strToU8(`<w:document ${W}><w:body>${runs.map((r) => `<w:p>${r}</w:p>`).join('')}</w:body></w:document>`),
    'word/footnotes.xml': strToU8(`<w:footnotes ${W}><w:footnote w:id="1"><w:p><w:r><w:t>${note}</w:t></w:r></w:p></w:footnote></w:footnotes>`),
  }));
}

// The sample course with its test's title in two lines and a note on it.
const breaksPkg = convert('breaks', 'breaks.docx', null, [], wordDocument(
  fs.readFileSync(path.join(__dirname, '../../examples/course.txt'), 'utf8').split('\n').slice(1).filter((l) => l)
    .map((l) => (l === '%TEST=Check' ? '<w:r><w:t>%TEST=Check</w:t><w:br/><w:t>and practice</w:t></w:r>' +
      '<w:r><w:footnoteReference w:id="1"/></w:r>' : `<w:r><w:t xml:space="preserve">${l.replace(/&/g, '&amp;').replace(/</g, '&lt;')}</w:t></w:r>`)),
  'Ten minutes.'));

let server, base, context, closeBrowser;
const pageErrors = [];

before(async () => {
  server = await serve({ '/template/': templatePkg, '/feedback/': quizPkg, '/hidden/': hiddenPkg, '/pages/': pagesPkg,
    '/breaks/': breaksPkg });
  base = `http://127.0.0.1:${server.address().port}/`;
  ({ context, close: closeBrowser } = await browser({ locale: 'en-US', lang: 'en-US' }));
});

after(async () => {
  if (closeBrowser) await closeBrowser();
  if (server) server.close();
});

async function player(url, size = 'wide', scheme = 'light') {
  const p = await context.newPage();
  p.on('pageerror', (e) => pageErrors.push(p.url() + ': ' + String(e)));
  await p.setViewportSize(SIZES[size]);
  await p.emulateMedia({ colorScheme: scheme });
  await p.goto(base + url);
  await p.locator('#toc-list a').first().waitFor({ state: 'attached' });
  return p;
}

const quizFrame = (p) => p.frameLocator('#content');
const progressNow = (p) => p.locator('#progress').getAttribute('aria-valuenow').then(Number);

// Every rule axe-core knows, whatever its impact, on one document.
async function violations(frame) {
  await frame.addScriptTag({ path: AXE });
  return frame.evaluate(async () => {
    const r = await window.axe.run(document, { iframes: false, resultTypes: ['violations'] });
    return r.violations.map((v) => v.id + ' (' + v.impact + '): ' + v.nodes.map((n) => n.target.join(' ')).join(', '));
  });
}

test('pages are marked seen in the contents and the progress bar counts pages seen and tests passed', async () => {
  const order = outline(quizPkg).filter((e) => e.file);
  const p = await player('feedback/index.htm');
  try {
    assert.equal(await p.locator('#course-title').textContent(), 'Databases');
    assert.equal(await p.locator('#course-author').textContent(), 'Course team');
    await p.locator('#toc-list li.seen a[href="#' + order[0].file + '"]').waitFor();
    assert.match(await p.locator(`#toc-list a[href="#${order[0].file}"]`).textContent(), /\(seen\)$/);
    assert.equal(await progressNow(p), Math.floor(100 / order.length));
    await p.locator('#next').click();
    await p.locator('#toc-list li.seen a[href="#' + order[1].file + '"]').waitFor();
    assert.equal(await progressNow(p), Math.floor(200 / order.length));
    // A test counts once passed, not when seen.
    await p.locator('#next').click();
    await quizFrame(p).locator('fieldset.question').first().waitFor();
    assert.equal(await progressNow(p), Math.floor(200 / order.length));
    // Printing prints the page shown under the course's title, without the
    // player around it: a copy of the page, whole, in place of its frame
    // (which prints cut off at the sheet's end), dark on white whatever
    // the screen's colours.
    await p.evaluate(() => window.dispatchEvent(new Event('beforeprint')));
    await p.emulateMedia({ media: 'print', colorScheme: 'dark' });
    for (const chrome of ['#progress', '#bar', '#toc', '#content']) assert.equal(await p.locator(chrome).isVisible(), false, chrome);
    assert.equal(await p.locator('#course-title').isVisible(), true);
    assert.equal(await p.locator('#print-copy fieldset.question:visible').count(), 2);
    if (shotsDir) await p.screenshot({ path: path.join(shotsDir, 'player-print.png'), fullPage: true });
    for (const f of [p.mainFrame(), p.frame({ name: 'content' })])
      assert.equal(await f.evaluate(() => getComputedStyle(document.body).color), 'rgb(29, 29, 31)', f.url());
    await p.evaluate(() => window.dispatchEvent(new Event('afterprint')));
    await p.emulateMedia({ media: 'screen', colorScheme: 'light' });
    assert.equal(await p.locator('#print-copy').count(), 0);
    // The browser's Back from the results shows the test it goes back to.
    // (The results, reached by the keyboard, print without its ring.)
    await p.locator('#results-link').focus();
    await p.keyboard.press('Enter');
    await p.locator('#panel .status').waitFor();
    await p.emulateMedia({ media: 'print' });
    assert.equal(await p.locator('#panel:focus').evaluate((e) => getComputedStyle(e).outlineStyle), 'none');
    await p.emulateMedia({ media: 'screen' });
    await p.goBack();
    await p.locator('#panel').waitFor({ state: 'hidden' });
    assert.equal(await p.locator('#page-title').textContent(), order[2].title);
    assert.equal(await p.locator('#where').textContent(), `3 / ${order.length}`);
    // The results asked for as a page seen before reports itself: they
    // stay, whatever the page going away still says or loads.
    await p.evaluate(() => window.addEventListener('message', (ev) => {
      if (window.held || !ev.data || ev.data.rd !== 'page') return;
      window.held = true;
      ev.stopImmediatePropagation();
      document.getElementById('results-link').click();
      window.dispatchEvent(new MessageEvent('message', { data: ev.data, source: ev.source }));
    }, true));
    await p.locator(`#toc-list a[href="#${order[0].file}"]`).click();
    await p.waitForFunction(() => window.held);
    await p.waitForTimeout(1000);
    assert.equal(await p.locator('#panel').isVisible(), true);
    assert.equal(await p.locator('#results-link').getAttribute('aria-current'), 'page');
  } finally {
    await p.close();
  }
});

// Picks, in the quiz, the answers whose texts are given (by question).
async function pick(quiz, texts) {
  for (let i = 0; i < texts.length; i++)
    await quiz.locator('fieldset.question').nth(i).locator('label', { hasText: texts[i] }).first().locator('input').check();
  await quiz.locator('#quiz-check').click();
}

const answerOrder = (quiz) => quiz.locator('fieldset.question').first().locator('.text').allTextContents();

test('feedback after a check, correct answers after the last attempt, the test locked with its best score', async () => {
  const p = await player('feedback/index.htm#test1.htm');
  try {
    const quiz = quizFrame(p);
    await quiz.locator('fieldset.question').first().waitFor();
    const shown = await answerOrder(quiz);
    assert.equal(shown[4], 'All of the above', '"all of the above" keeps its place');
    // A check with nothing answered costs no attempt and shows nothing.
    await quiz.locator('#quiz-check').click();
    assert.match(await quiz.locator('#quiz-result').textContent(), /answer first/);
    assert.equal(await quiz.locator('.verdict:not(:empty)').count(), 0);
    // Nor does one with a question left unanswered (Enter in a short
    // answer, say) while attempts are counted: it asks first.
    await quiz.locator('fieldset.question').nth(1).locator('label', { hasText: 'SELECT' }).locator('input').check();
    await quiz.locator('#quiz-check').click();
    assert.match(await quiz.locator('#quiz-result').textContent(), /^1 question has no answer/);
    assert.equal(await quiz.locator('#quiz-result').evaluate((e) => e.getBoundingClientRect().bottom <= innerHeight + 1), true, 'in sight');
    assert.equal(await quiz.locator('.verdict:not(:empty)').count(), 0);
    if (shotsDir) await p.locator('#page').screenshot({ path: path.join(shotsDir, 'player-unanswered.png') });
    // In a low window the verdicts and feedback added above push the check
    // and its score down: they stay in sight.
    await p.setViewportSize({ width: 1280, height: 480 });
    const heard = () => p.frame({ name: 'content' }).evaluate(() => rdSaid.map(([id]) => id));
    await p.frame({ name: 'content' }).evaluate(hearing);
    await pick(quiz, ['GROUP BY', 'SELECT']);
    assert.equal(await quiz.locator('#quiz-result').evaluate((e) => e.getBoundingClientRect().bottom <= innerHeight + 1), true, 'in sight');
    await p.setViewportSize(SIZES.wide);
    const first = quiz.locator('fieldset.question').first();
    assert.equal(await first.locator('.verdict').textContent(), 'Wrong');
    assert.deepEqual(await first.locator('.feedback p').allTextContents(),
      ['GROUP BY gathers rows into groups.', 'Rows come in no fixed order.']);
    assert.equal(await quiz.locator('label.correct').count(), 0, 'one attempt is left: no answers shown yet');
    assert.match(await quiz.locator('#quiz-result').textContent(), /1 attempt left/);
    // The same answers checked again (a double click) take no attempt.
    await quiz.locator('#quiz-check').click();
    assert.match(await quiz.locator('#quiz-result').textContent(), /1 attempt left/);
    await pick(quiz, ['HAVING', 'INSERT']);
    assert.equal(await quiz.locator('#quiz-check').isDisabled(), true, 'locked');
    assert.equal(await quiz.locator('#quiz-result').evaluate((e) => document.activeElement === e), true,
      'the focus goes from the check it disabled to its result');
    assert.deepEqual(await heard(), ['quiz-result'], 'a result is said once: the last, focused, by no live region');
    assert.equal(await quiz.locator('input:not([disabled])').count(), 0);
    assert.deepEqual(await quiz.locator('label.correct .text').allTextContents(), ['ORDER BY', 'SELECT']);
    assert.match(await quiz.locator('#quiz-result').textContent(), /best attempt counts: 1 of 2/);
    assert.equal(await p.locator('#toc-list a[href="#test1.htm"] .state-text').textContent(), ' (not passed)',
      'the contents say no more "yet" either');
    if (shotsDir) await p.screenshot({ path: path.join(shotsDir, 'player-feedback.png') });
    // The results page says so, and offers no way back to a test that
    // takes no more attempts.
    await p.locator('#results-link').click();
    const row = p.locator('.results tbody tr');
    await row.first().waitFor();
    assert.match(await row.first().textContent(), /1 of 2 \(50%\)not passedno attempts left/);
    assert.equal(await row.first().locator('a').count(), 0);
    assert.match(await p.locator('#panel').textContent(), /Pass mark: 80%/);
    assert.match(await p.locator('#panel .status').textContent(), /not finished yet/);
    if (shotsDir) await p.screenshot({ path: path.join(shotsDir, 'player-results.png') });
    // Back again (a new launch): the same order, still locked.
    const again = await player('feedback/index.htm#test1.htm');
    try {
      await quizFrame(again).locator('form.locked').waitFor();
      assert.deepEqual(await answerOrder(quizFrame(again)), shown, 'the learner\'s order is kept');
    } finally {
      await again.close();
    }
  } finally {
    await p.close();
  }
});

test('--hide-answers: right or wrong and the feedback, never the correct answers', async () => {
  const p = await player('hidden/index.htm#test1.htm');
  try {
    const quiz = quizFrame(p);
    await quiz.locator('fieldset.question').first().waitFor();
    assert.deepEqual((await answerOrder(quiz)).slice(0, 2), ['GROUP BY', 'ORDER BY'], 'no shuffle asked');
    await pick(quiz, ['WHERE', 'INSERT']);
    assert.equal(await quiz.locator('fieldset.question.wrong').count(), 2);
    assert.equal(await quiz.locator('label.correct, .correct-short').count(), 0);
    assert.deepEqual(await quiz.locator('.feedback p').allTextContents(), ['Rows come in no fixed order.']);
  } finally {
    await p.close();
  }
});

test('a course without tests is completed by its pages, and its results name no pass mark', async () => {
  const p = await player('pages/index.htm');
  try {
    // Short of a page, the results say which, and lead there.
    await p.locator('#toc-list li.seen').first().waitFor();
    await p.locator('#results-link').click();
    assert.deepEqual(await p.locator('#panel p').allTextContents().then((t) => t.slice(0, 2)),
      ['Course status: not finished yet', '1 page not seen yet: Down']);
    await p.locator('#panel .unseen a').click();
    await p.locator('#toc-list li.seen').nth(1).waitFor();
    assert.equal(await p.locator('#page-title').textContent(), 'Down');
    await p.locator('#next').click();
    await p.locator('#panel .status').waitFor();
    assert.deepEqual(await p.locator('#panel p').allTextContents(), ['Course status: completed', 'This course has no tests.']);
  } finally {
    await p.close();
  }
});

test('in an LMS: interactions and objectives as scorm-again records them, the order kept on resume, saved when hidden', async () => {
  const unpacked = unpackScorm(quizPkg + '.scorm.zip');
  const lms = await lmsHarness(unpacked);
  try {
    const page = await lms.context.newPage();
    page.on('pageerror', (e) => pageErrors.push('lms: ' + String(e)));
    const record = () => page.evaluate(() => lmsRecord());
    const launch = async (stored) => {
      await page.goto(lms.base + 'lms.htm');
      await page.evaluate((s) => launch('course/', s), stored);
      await page.waitForFunction(() => lmsRecord().location !== '');
    };
    await launch(null);
    const sco = page.frameLocator('#sco');
    await sco.locator('#toc-list a[href="#test1.htm"]').click();
    const quiz = sco.frameLocator('#content');
    await quiz.locator('fieldset.question').first().waitFor();
    const shown = await answerOrder(quiz);
    await pick(quiz, ['ORDER BY', 'INSERT']);
    await page.waitForFunction(() => Object.keys(lmsRecord().objectives).length === 1);
    const r = await record();
    assert.deepEqual(Object.values(r.interactions).map((x) => [x.id, x.type, x.student_response, x.result, x.correct_responses['0'].pattern]),
      [['test1q1', 'choice', 'b', 'correct', 'b'], ['test1q2', 'choice', 'b', 'wrong', 'a']]);
    assert.deepEqual(Object.values(r.objectives).map((o) => [o.id, o.status, o.score.raw]), [['test1', 'failed', '50']]);
    // An answer changed and not checked (the test left half done) is kept too.
    const second = quiz.locator('fieldset.question').nth(1).locator('label', { hasText: 'SELECT' }).locator('input');
    await second.check();
    await page.waitForFunction((n) => lmsRecord().commits > n, r.commits);
    // A phone switches apps: the page is hidden, and what it had is committed.
    const commits = (await record()).commits;
    await sco.locator('body').evaluate(() => {
      Object.defineProperty(document, 'visibilityState', { value: 'hidden', configurable: true });
      document.dispatchEvent(new Event('visibilitychange'));
    });
    await page.waitForFunction((n) => lmsRecord().commits > n, commits);
    assert.equal((await record()).exit, 'suspend');
    const stored = await record();
    await launch({ ...stored });
    await sco.locator('#continue').click();
    await quiz.locator('fieldset.question').first().waitFor();
    assert.deepEqual(await answerOrder(quiz), shown, 'the same order at the next launch');
    await quiz.locator('fieldset.question').nth(1).locator('label', { hasText: 'SELECT' }).locator('input:checked').waitFor();
    assert.equal(await quiz.locator('fieldset.question.right, fieldset.question.wrong').count(), 0, 'as it was left, unchecked');
    await page.close();
  } finally {
    await lms.close();
  }
});

// Everything a finger may need on a phone, at least 44 by 44 CSS pixels.
async function smallTargets(frame) {
  return frame.evaluate(() => Array.from(document.querySelectorAll('button, a[href], label, input[type=text]'))
    .filter((e) => e.getClientRects().length && getComputedStyle(e).visibility !== 'hidden' && !e.closest('[hidden]'))
    .map((e) => [e.id || e.textContent.trim().slice(0, 30), e.getBoundingClientRect()])
    .filter(([, r]) => r.width > 0 && (Math.round(r.width) < 44 || Math.round(r.height) < 44))
    .map(([name, r]) => `${name}: ${Math.round(r.width)}x${Math.round(r.height)}`));
}

test('on a phone: nothing scrolls sideways, the contents is a drawer, every target is 44x44 at least', async () => {
  const p = await player('template/index.htm', 'phone');
  try {
    const wide = () => p.evaluate(() => document.documentElement.scrollWidth > window.innerWidth);
    assert.equal(await p.locator('#toc').isVisible(), false);
    assert.equal(await wide(), false);
    // A long title, which no tooltip shows here, wraps whole (the title
    // put back after, for the drawer's screenshot).
    for (const id of ['#course-title', '#page-title'])
      assert.equal(await p.locator(id).evaluate((e) => {
        const title = e.textContent;
        e.textContent = 'A title of many words '.repeat(8);
        const whole = e.scrollHeight <= e.clientHeight;
        e.textContent = title;
        return whole;
      }), true, id);
    // Held sideways (low as well as narrow) they take a line each, and the
    // page keeps its room.
    await p.setViewportSize({ width: 640, height: 360 });
    assert.ok(await p.evaluate(() => {
      const titles = ['course-title', 'page-title'].map((id) => document.getElementById(id));
      const kept = titles.map((e) => e.textContent);
      titles.forEach((e) => { e.textContent = 'A title of many words '.repeat(8); });
      const share = document.getElementById('content').getBoundingClientRect().height / innerHeight;
      titles.forEach((e, i) => { e.textContent = kept[i]; });
      return share;
    }) > 0.4, 'the page\'s share of a phone held sideways');
    await p.setViewportSize(SIZES.phone);
    await p.locator('#toc-toggle').click();
    assert.equal(await p.locator('#toc').isVisible(), true);
    assert.equal(await p.evaluate(() => document.activeElement.closest('#toc') !== null), true, 'focus goes into the drawer');
    // It holds the keyboard: Tab past its last link does not reach the page behind.
    for (let i = 0; i < 12; i++) await p.keyboard.press('Tab');
    assert.equal(await p.evaluate(() => document.activeElement.closest('#page, #top') === null), true, 'focus stays out of the page');
    assert.deepEqual(await smallTargets(p.mainFrame()), [], 'the player, drawer open');
    if (shotsDir) await p.screenshot({ path: path.join(shotsDir, 'player-phone-drawer.png') });
    await p.keyboard.press('Escape');
    assert.equal(await p.locator('#toc').isVisible(), false, 'Escape closes it');
    // The skip link, which the keyboard reaches from the drawer, closes it on the way to the page.
    await p.locator('#toc-toggle').click();
    await p.locator('#skip').focus();
    await p.keyboard.press('Enter');
    assert.deepEqual([await p.locator('#toc').isVisible(), await p.evaluate(() => document.activeElement.id)], [false, 'content']);
    await p.locator('#toc-toggle').click();
    await p.locator('#toc-list a[href*="test"]').click();
    await quizFrame(p).locator('fieldset.question').first().waitFor();
    assert.deepEqual(await smallTargets(p.frame({ name: 'content' })), [], 'a quiz');
    assert.equal(await wide(), false);
    // Feedback or a correct answer of one long word (a path, an address),
    // as a check adds it, wraps too.
    assert.equal(await p.frame({ name: 'content' }).evaluate(() => {
      document.querySelector('.feedback').appendChild(document.createElement('p')).textContent = 'C:\\Course\\'.repeat(30);
      return document.documentElement.scrollWidth > innerWidth;
    }), false, 'the quiz scrolls sideways');
  } finally {
    await p.close();
  }
});

// Whether each line of a long title set in the element shows, by
// IntersectionObserver, which clips as the page is painted.
async function titleLinesShown(p, id) {
  return p.locator(id).evaluate((e) => new Promise((done) => {
    e.replaceChildren(...Array.from({ length: 40 }, (_, i) => Object.assign(
      document.createElement('span'), { textContent: `word${i} ` })));
    const seen = [];
    const io = new IntersectionObserver((entries) => {
      seen.push(...entries);
      if (seen.length < e.children.length) return;
      io.disconnect();
      const lines = new Map();
      for (const s of seen) {
        const top = Math.round(s.boundingClientRect.top);
        lines.set(top, (lines.get(top) || 0) + s.intersectionRect.height);
      }
      done([...lines.entries()].sort((a, b) => a[0] - b[0]).map(([, h]) => h > 0));
    });
    for (const w of e.children) io.observe(w);
  }));
}

test('on a desktop a long title shows two lines and nothing of the rest, which its tooltip holds', async () => {
  const p = await player('template/index.htm');
  try {
    for (const id of ['#course-title', '#page-title']) {
      const shown = await titleLinesShown(p, id);
      assert.ok(shown.length > 2, `${id}: ${shown.length} lines`);
      assert.deepEqual(shown.slice(0, 3), [true, true, false], id);
    }
  } finally {
    await p.close();
  }
});

test('a title in two lines with a note reads as one line in the contents, the bar and the quiz', async () => {
  const p = await player('breaks/index.htm#test1.htm');
  try {
    await p.setViewportSize({ width: 900, height: 420 });
    await quizFrame(p).locator('fieldset.question').first().waitFor();
    // The note's mark is a blank at the end, the line break one between.
    const one = 'Check and practice';
    assert.equal(await p.locator('#page-title').textContent(), one);
    assert.equal(await p.locator('#toc-list a[href="#test1.htm"]').evaluate((a) => a.firstChild.textContent.trim()), one);
    assert.equal((await quizFrame(p).locator('h1, h2').first().textContent()).trim(), one);
    if (shotsDir) await p.screenshot({ path: path.join(shotsDir, 'player-title-breaks.png') });
  } finally {
    await p.close();
  }
});

// What a learner may set in the browser or the system, how the test sets
// it, what the player shows then at a test of the course template, and the
// screenshot for docs/ of that test checked.
const SETTINGS = [
  ['text twice the usual size', async (p) => (await p.context().newCDPSession(p))
    .send('Page.setFontSizes', { fontSizes: { standard: 32, fixed: 26 } }), async (p) => {
    // The player and the quiz take it, and the contents fold away as on a phone.
    for (const f of [p.mainFrame(), p.frame({ name: 'content' })])
      assert.equal(await f.evaluate(() => getComputedStyle(document.body).fontSize), '32px', f.url());
    assert.equal(await p.locator('#toc').isVisible(), false);
    // The skip link, in more lines at 320 pixels, still waits above the window.
    await p.setViewportSize({ width: 320, height: 640 });
    assert.equal(await p.locator('#skip').evaluate((e) => e.getBoundingClientRect().bottom <= 0), true);
    await p.setViewportSize(SIZES.wide);
  }, 'player-large-text.png'],
  ['forced colours', (p) => p.emulateMedia({ forcedColors: 'active' }), async (p) => {
    // The progress bar's fill and the page shown in the contents keep a ground of their own.
    const ground = (sel) => p.locator(sel).evaluate((e) => getComputedStyle(e).backgroundColor);
    assert.notEqual(await ground('#progress-fill'), await ground('#progress .track'));
    assert.notEqual(await ground('#toc-list a[aria-current="page"]'), await ground('#toc'));
  }, 'player-forced-colors.png'],
  ['less motion', (p) => p.emulateMedia({ reducedMotion: 'reduce' }), async (p) => {
    assert.equal(await p.locator('#progress-fill').evaluate((e) => getComputedStyle(e).transitionDuration), '0s');
  }],
];

for (const [setting, set, check, png] of SETTINGS) {
  test(`the learner's own setting: ${setting}`, async () => {
    const p = await context.newPage();
    p.on('pageerror', (e) => pageErrors.push(p.url() + ': ' + String(e)));
    try {
      await p.setViewportSize(SIZES.wide);
      await set(p);
      await p.goto(base + 'template/index.htm#test1.htm');
      await quizFrame(p).locator('fieldset.question').first().waitFor();
      await check(p);
      if (shotsDir && png) {
        for (const q of await quizFrame(p).locator('fieldset.question').all()) await q.locator('input').first().check();
        await quizFrame(p).locator('#quiz-check').click();
        await p.screenshot({ path: path.join(shotsDir, png) });
      }
    } finally {
      await p.close();
    }
  });
}

test('axe-core finds no violation on the player, the template\'s pages, a quiz and the results, at both sizes, light and dark', async () => {
  const order = outline(templatePkg).filter((e) => e.file);
  for (const size of Object.keys(SIZES)) {
    for (const scheme of ['light', 'dark']) {
      const p = await player('template/index.htm', size, scheme);
      const where = `${size}, ${scheme}`;
      try {
        for (const e of order) {
          await p.locator(`#toc-list a[href="#${e.file}"]`).evaluate((a) => a.click());
          const frame = p.frame({ name: 'content' });
          await p.waitForFunction((f) => document.getElementById('content').contentWindow.location.pathname.endsWith('/' + f) &&
            document.getElementById('content').contentDocument.readyState === 'complete', e.file);
          if (e.file.startsWith('test')) {
            await quizFrame(p).locator('fieldset.question').first().waitFor();
            if (shotsDir && size === 'wide' && scheme === 'light') await p.screenshot({ path: path.join(shotsDir, 'player-template-quiz.png') });
            await quizFrame(p).locator('#quiz-check').click();
          }
          assert.deepEqual(await violations(frame), [], `${e.file}, ${where}`);
          if (shotsDir && e === order[1]) await p.screenshot({ path: path.join(shotsDir, `player-${size}-${scheme}.png`) });
          if (shotsDir && e.file.startsWith('test') && size === 'wide') await p.screenshot({ path: path.join(shotsDir, `player-quiz-${scheme}.png`) });
        }
        assert.deepEqual(await violations(p.mainFrame()), [], 'the player, ' + where);
        await p.locator('#results-link').evaluate((a) => a.click());
        await p.locator('#panel .status').waitFor();
        assert.deepEqual(await violations(p.mainFrame()), [], 'the results, ' + where);
      } finally {
        await p.close();
      }
    }
  }
});

test('no script error on any page', () => {
  assert.deepEqual(pageErrors, []);
});
