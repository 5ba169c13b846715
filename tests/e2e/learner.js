// The player as any learner meets it, served and opened from disk:
//   node learner.js PACKAGE_FOLDER LANG [--screenshots DIR]
// LANG is the language the course is in ("en", "ru", "he"); the browser is
// an English one. The learner walks the whole course with Next, answering
// every test right. Reference links lead to the page they name in the player
// and on a page shown on its own, web links open in a new tab, the player
// speaks the course's language, the keyboard's focus is handed on when the
// control it was on goes, and axe-core finds no serious or critical
// violation on the player, a content page or a quiz page. What a course
// lacks (a reference link, a web link, a test) is not looked for.
'use strict';
const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const { outline, referenceLink, expectedQuiz, answerQuiz, serve, browser, hearing } = require('./common.js');

const args = process.argv.slice(2);
const shotsAt = args.indexOf('--screenshots');
const shotsDir = shotsAt >= 0 ? args.splice(shotsAt, 2)[1] : null;
const [packageArg, lang] = args;
if (!packageArg || !fs.existsSync(path.join(packageArg, 'index.htm')) || !/^[a-z]{2}$/.test(lang || '')) {
  console.error('usage: node learner.js PACKAGE_FOLDER LANG [--screenshots DIR]');
  process.exit(2);
}
const packageDir = path.resolve(packageArg);
const AXE = require.resolve('axe-core/axe.min.js');

// What the player's interface says in each language, as a learner reads it;
// in a language it does not speak, English.
const SAYS = { en: { contents: 'Contents', check: 'Check' }, ru: { contents: 'Содержание', check: 'Проверить' } };
const says = SAYS[lang] || SAYS.en;

const order = outline(packageDir).filter((e) => e.file);
const pageText = (file) => fs.readFileSync(path.join(packageDir, file), 'utf8');
const refLink = referenceLink(packageDir);
const webPage = order.find((e) => e.file.startsWith('page') && /href="(https?|mailto):/.test(pageText(e.file)));
const tests = order.filter((e) => e.file.startsWith('test'));
const quiz = tests[0];

let server, context, closeBrowser;
const pageErrors = [];
const places = {};

before(async () => {
  server = await serve(packageDir);
  places.served = `http://127.0.0.1:${server.address().port}/`;
  places['from disk'] = 'file://' + packageDir + '/';
  ({ context, close: closeBrowser } = await browser({ locale: 'en-US', lang: 'en-US' }));
});

after(async () => {
  if (closeBrowser) await closeBrowser();
  if (server) server.close();
});

async function newPage() {
  const p = await context.newPage();
  p.on('pageerror', (e) => pageErrors.push(p.url() + ': ' + String(e)));
  return p;
}

// What the learner did on the served course forgotten, from a page that
// keeps none (the player keeps its record again as it closes), so that
// the next test opens the course afresh.
async function forget() {
  const p = await newPage();
  await p.goto(places.served + order[0].file);
  await p.evaluate(() => localStorage.clear());
  await p.close();
}

async function player(where, file) {
  const p = await newPage();
  await p.goto(places[where] + 'index.htm#' + file);
  await p.locator(`#toc-list a[aria-current="page"][href="#${file}"]`).waitFor();
  return p;
}

test('the player, its test pages and its content pages speak the course\'s language in an English browser', async (t) => {
  if (!quiz) t.skip('the course has no test');
  const p = await player('served', (quiz || order[0]).file);
  try {
    assert.equal(await p.evaluate(() => navigator.language), 'en-US');
    assert.equal(await p.evaluate(() => document.documentElement.lang.slice(0, 2)), lang);
    assert.equal((await p.locator('#toc-toggle .label').textContent()).trim(), says.contents);
    assert.match(pageText(order.find((e) => e.file.startsWith('page')).file), new RegExp(`<html lang="${lang}[-"]`));
    if (!quiz) return;
    const frame = p.frameLocator('#content');
    await frame.locator('fieldset.question').first().waitFor();
    assert.equal(await frame.locator('#quiz-check').textContent(), says.check);
    assert.equal(await frame.locator('html').getAttribute('lang').then((l) => l.slice(0, 2)), lang);
    // Every frame has a title; the keyboard's first stop skips to the page.
    for (const f of await p.locator('iframe:not([hidden])').all()) assert.ok(await f.getAttribute('title'));
    await p.keyboard.press('Tab');
    assert.equal(await p.evaluate(() => document.activeElement.id), 'skip');
    await p.keyboard.press('Enter');
    assert.equal(await p.evaluate(() => document.activeElement.id), 'content');
    // A page's title is said when it changes, as the learner moves on.
    assert.equal(await p.locator('#page-title').getAttribute('aria-live'), 'polite');
    // Done only once answered: a check with no answer is none.
    const li = p.locator(`#toc-list li.test:has(a[href="#${quiz.file}"])`);
    await frame.locator('#quiz-check').click();
    await frame.locator('#quiz-result:not(:empty)').waitFor();
    assert.equal(await li.evaluate((e) => e.classList.contains('done')), false);
    const answer = frame.locator('fieldset.question input').first();
    if ((await answer.getAttribute('type')) === 'text') await answer.fill('x');
    else await answer.check();
    await frame.locator('#quiz-check').click();
    await p.locator(`#toc-list li.test.done a[href="#${quiz.file}"]`).waitFor();
  } finally {
    await p.close();
    await forget();
  }
});

for (const where of ['served', 'from disk']) {
  test(`${where}: a reference link shows the page it names, and web links open in a new tab`, { skip: !refLink && 'no reference link' }, async () => {
    const p = await player(where, refLink.from.file);
    try {
      const frame = p.frameLocator('#content');
      if (shotsDir && where === 'from disk') {
        fs.mkdirSync(shotsDir, { recursive: true });
        await p.screenshot({ path: path.join(shotsDir, `player-disk-${lang}.png`) });
      }
      await frame.locator(`a[onclick*="showref('${refLink.ref}')"]`).first().click();
      await p.locator(`#toc-list a[aria-current="page"][href="#${refLink.to.file}"]`).waitFor();
      assert.equal(await p.locator('#page-title').textContent(), refLink.to.title);
      assert.equal(await p.locator('#content').getAttribute('title'), refLink.to.title);
      if (!webPage) return;
      await p.locator(`#toc-list a[href="#${webPage.file}"]`).click();
      const web = frame.locator('a[href^="http"], a[href^="mailto"]');
      await web.first().waitFor();
      for (const a of await web.all()) {
        assert.equal(await a.getAttribute('target'), '_blank', await a.getAttribute('href'));
        assert.match(await a.getAttribute('rel'), /noopener/);
      }
      assert.equal(await frame.locator('a[onclick]').first().getAttribute('target'), null, 'links in the course stay in it');
    } finally {
      await p.close();
    }
  });

  test(`${where}: a page opened on its own follows a reference link`, { skip: !refLink && 'no reference link' }, async () => {
    const p = await newPage();
    try {
      await p.goto(places[where] + refLink.from.file);
      await p.locator(`a[onclick*="showref('${refLink.ref}')"]`).first().click();
      await p.waitForURL((u) => u.pathname.endsWith('/' + refLink.to.file));
      // Titled as the contents name it, not by its first words.
      await p.waitForFunction((t) => document.title === t, refLink.to.title);
    } finally {
      await p.close();
    }
  });
}

// The contents and the bar follow the frame as Back and Forward move it:
// from disk the player may not read the frame's address, and the page in
// it, a test's too, says which it is.
test('Back and Forward between a test, a page and the results keep the contents in step, served and from disk', { skip: !quiz && 'no test' }, async () => {
  for (const where of ['served', 'from disk']) {
    const p = await player(where, quiz.file);
    const at = (file) => p.locator(`#toc-list a[aria-current="page"][href="#${file}"]`).waitFor();
    try {
      await p.frameLocator('#content').locator('fieldset.question').first().waitFor();
      await p.locator(`#toc-list a[href="#${order[0].file}"]`).click();
      await at(order[0].file);
      await p.frameLocator('#content').locator('body').waitFor();
      await p.evaluate(() => history.back());
      await at(quiz.file);
      assert.equal(await p.locator('#page-title').textContent(), quiz.title, where);
      await p.evaluate(() => history.forward());
      await at(order[0].file);
      // Back from the results shows the page again, not the results.
      await p.locator('#results-link').click();
      await p.locator('#results-link[aria-current="page"]').waitFor();
      await p.evaluate(() => history.back());
      await p.locator('#toc-list a[aria-current="page"]').waitFor();
      assert.equal(await p.locator('#panel').isHidden(), true, where);
    } finally {
      await p.close();
    }
  }
});

test('an address changed by hand shows its page, and a mangled one opens the course at its start', async () => {
  const p = await newPage();
  try {
    await p.goto(places.served + 'index.htm#%E0%A4');
    await p.locator(`#toc-list a[aria-current="page"][href="#${order[0].file}"]`).waitFor();
    // Each page loaded whole before the next address: a page still
    // loading when the results open takes the frame back as it loads.
    const loaded = (f) => p.waitForFunction((file) => {
      const d = document.getElementById('content').contentDocument;
      return d && d.readyState === 'complete' && d.location.pathname.endsWith('/' + file);
    }, f);
    for (const to of [order[order.length - 1].file, 'results', order[0].file]) {
      await p.evaluate((h) => { location.hash = h; }, to);
      if (to === 'results') await p.locator('#results-link[aria-current="page"]').waitFor();
      else await p.locator(`#toc-list a[aria-current="page"][href="#${to}"]`).waitFor();
      if (to !== 'results') await loaded(to);
    }
    assert.equal(await p.locator('#content').getAttribute('src'), order[0].file);
  } finally {
    await p.close();
  }
});

// In a window too low for the contents, the page shown stays in sight in
// them, when the player opens at a late page and as the learner moves on.
test('the whole course walked with Next, each test answered right, the page shown kept in sight in the contents', async () => {
  const p = await newPage();
  try {
    await p.setViewportSize({ width: 1100, height: 360 });
    const inSight = () => p.evaluate(() => {
      const box = document.getElementById('toc').getBoundingClientRect();
      const at = document.querySelector('#toc-list a[aria-current="page"], #results-link[aria-current="page"]').getBoundingClientRect();
      return at.top >= box.top - 1 && at.bottom <= box.bottom + 1;
    });
    const shown = (file) => p.locator(file ? `#toc-list a[aria-current="page"][href="#${file}"]` : '#results-link[aria-current="page"]').waitFor();
    const last = order[order.length - 1].file;
    await p.goto(places.served + 'index.htm#' + last);
    await shown(last);
    const overflows = await p.locator('#toc').evaluate((e) => e.scrollHeight > e.clientHeight);
    assert.ok(!overflows || await inSight(), 'opened at the last page');
    await p.locator('#toc-list a').first().click();
    const frame = p.frameLocator('#content');
    for (const [i, e] of order.entries()) {
      await shown(e.file);
      assert.equal(await p.locator('#page-title').textContent(), e.title);
      assert.ok(!overflows || await inSight(), e.file);
      if (e.file.startsWith('test')) {
        const expected = expectedQuiz(packageDir, e.file.replace(/^test/, 'testdata'));
        const right = frame.locator('fieldset.question.right');
        await frame.locator('fieldset.question').nth(expected.length - 1).waitFor();
        await answerQuiz(frame, expected, 'right');
        await right.nth(expected.length - 1).waitFor();
        assert.equal(await frame.locator('fieldset.question').count(), expected.length, e.file);
        await p.locator(`#toc-list li.test.done a[href="#${e.file}"]`).waitFor();
      }
      if (i < order.length - 1 || tests.length) await p.locator('#next').click();
    }
    // Every page seen and every test passed: the course is done, and Next
    // at its end leads to the results.
    if (tests.length) await shown(null);
    await p.waitForFunction(() => document.getElementById('progress').getAttribute('aria-valuenow') === '100');
  } finally {
    await p.close();
    await forget();
  }
});

// A control the keyboard was on that goes away hands the focus on: where
// the player opens, at what width, the controls pressed in turn, and the
// element the focus must end on; a course without the place skips it.
const HANDED_ON = [
  ['Previous to the first page', () => order[1] && order[1].file, 1100, ['#prev'], 'next'],
  ['a link of the results to a test', () => quiz && 'results', 1100, ['#panel a[href^="#test"]'], 'content'],
  ['a page chosen in the drawer', () => order[1] && order[0].file, 390, ['#toc-toggle', () => `#toc-list a[href="#${order[1].file}"]`], 'content'],
];

for (const [what, file, width, controls, to] of HANDED_ON) {
  test(`the keyboard's focus is handed on, not dropped: ${what}`, { skip: !file() && 'not in this course' }, async () => {
    const p = await newPage();
    try {
      await p.setViewportSize({ width, height: 720 });
      await p.goto(places.served + 'index.htm#' + file());
      await p.locator('#toc-list a[aria-current="page"], #results-link[aria-current="page"]').waitFor({ state: 'attached' });
      for (const c of controls) {
        await p.locator(typeof c === 'function' ? c() : c).first().focus();
        await p.keyboard.press('Enter');
      }
      await p.waitForFunction((id) => document.activeElement.id === id, to);
    } finally {
      await p.close();
    }
  });
}

test('a focused link of the contents shows its whole ring, drawn inside it as the contents scroll', async () => {
  const p = await player('served', order[0].file);
  try {
    await p.locator('#toc-list a').first().focus();
    await p.keyboard.press('Tab');
    const ring = await p.evaluate(() => {
      const s = getComputedStyle(document.activeElement);
      return [s.outlineStyle, parseFloat(s.outlineOffset) + parseFloat(s.outlineWidth)];
    });
    assert.equal(ring[0], 'solid');
    assert.ok(ring[1] <= 0, `the ring reaches ${ring[1]}px past the link`);
  } finally {
    await p.close();
  }
});

// What the learner does, and the live regions said of it, once each.
const HEARD = [
  ['a page after a page', async (p) => {
    await p.locator('#next').click();
    await p.waitForFunction((f) => {
      const d = document.getElementById('content').contentDocument;
      return d && d.readyState === 'complete' && d.location.pathname.endsWith('/' + f);
    }, order[1].file);
  }, ['page-title']],
  ['the results, asked for twice', async (p) => {
    await p.locator('#results-link').click();
    await p.locator('#results-link[aria-current="page"]').waitFor();
    await p.locator('#results-link').click();
  }, ['page-title']],
  ['an unknown reference, followed twice', async (p) => {
    await p.evaluate(() => rdPlayer.showRef('no-such-ref'));
    await p.evaluate(() => new Promise((r) => requestAnimationFrame(() => requestAnimationFrame(r))));
    await p.evaluate(() => rdPlayer.showRef('no-such-ref'));
  }, ['notice']],
];

test('each page change, result and error is said once, by a live region there before', { skip: !order[1] && 'one page' }, async () => {
  const p = await newPage();
  const frames = () => p.evaluate(() => new Promise((r) => requestAnimationFrame(() => requestAnimationFrame(r))));
  try {
    await p.addInitScript(hearing);
    await p.goto(places.served + 'index.htm#' + order[0].file);
    await p.locator(`#toc-list a[aria-current="page"][href="#${order[0].file}"]`).waitFor();
    for (const [what, act, regions] of HEARD) {
      const from = await p.evaluate(() => rdSaid.length);
      await act(p);
      await frames();
      const said = await p.evaluate((n) => rdSaid.slice(n), from);
      assert.deepEqual(said.map(([id, , there]) => [id, there]), regions.map((id) => [id, true]), `${what}: ${JSON.stringify(said)}`);
    }
    if (!quiz) return;
    await p.locator(`#toc-list a[href="#${quiz.file}"]`).click();
    const frame = p.frameLocator('#content');
    await frame.locator('fieldset.question').first().waitFor();
    const content = p.frame({ name: 'content' });
    const from = await content.evaluate(() => rdSaid.length);
    const fromPlayer = await p.evaluate(() => rdSaid.length);
    await answerQuiz(frame, expectedQuiz(packageDir, quiz.file.replace(/^test/, 'testdata')), 'right');
    await p.locator(`#toc-list li.test.done a[href="#${quiz.file}"]`).waitFor();
    await frames();
    const said = await content.evaluate((n) => rdSaid.slice(n), from);
    assert.deepEqual(said.map(([id, , there]) => [id, there]), [['quiz-result', true]], JSON.stringify(said));
    assert.deepEqual(await p.evaluate((n) => rdSaid.slice(n), fromPlayer), [], 'the player says nothing of it');
  } finally {
    await p.close();
    await forget();
  }
});

// Contents that cannot be read are said and shown, on a desktop and in a
// phone's drawer.
for (const width of [1100, 390]) {
  test(`contents that cannot be read are said and shown, ${width} pixels wide`, async () => {
    const p = await newPage();
    try {
      await p.setViewportSize({ width, height: 720 });
      await p.route('**/pvomanifest.htm*', (r) => r.fulfill({ status: 404, body: '' }));
      await p.addInitScript(hearing);
      await p.goto(places.served + 'index.htm');
      await p.locator('#toc-message:not(:empty)').waitFor({ state: 'attached' });
      assert.deepEqual(await p.evaluate(() => rdSaid.map(([id, , there]) => [id, there])), [['toc-message', true]]);
      assert.equal(await p.locator('#toc-message').isVisible(), true);
    } finally {
      await p.close();
    }
  });
}

// The rules axe-core rates serious or critical, on one document.
async function violations(frame) {
  await frame.addScriptTag({ path: AXE });
  const found = await frame.evaluate(async () => {
    const r = await window.axe.run(document, { iframes: false });
    return r.violations.filter((v) => v.impact === 'serious' || v.impact === 'critical')
      .map((v) => v.id + ': ' + v.nodes.map((n) => n.target.join(' ')).join(', '));
  });
  return found;
}

test('axe-core finds no serious or critical violation on the player, a content page and a quiz page', async () => {
  const p = await player('served', (refLink ? refLink.from : order.find((e) => e.file.startsWith('page'))).file);
  try {
    const content = p.frame({ name: 'content' });
    await content.waitForLoadState('load');
    assert.deepEqual(await violations(p.mainFrame()), [], 'the player');
    assert.deepEqual(await violations(content), [], 'a content page');
    if (!quiz) return;
    await p.locator(`#toc-list a[href="#${quiz.file}"]`).click();
    await p.frameLocator('#content').locator('fieldset.question').first().waitFor();
    await p.frame({ name: 'content' }).waitForLoadState('load');
    assert.deepEqual(await violations(p.frame({ name: 'content' })), [], 'a quiz page');
  } finally {
    await p.close();
  }
});

test('no script error on any page', () => {
  assert.deepEqual(pageErrors, []);
});
