// Pages of one-feature documents (typefaces, spacing, shading) that the
// tests' own writers make in .doc, .docx and .odt (tests/common/looks.h),
// checked in headless Chromium by computed style:
//   node looks.js PROGRAM FOLDER [CORPUS SCREENSHOTS]
// FOLDER holds the documents and looks.json, what their pages show: each
// named font's list ends with its generic family and names a font of the
// same metrics; margins and line heights in points; the colour behind white
// or automatic text, and the text's; a line of an exact height, an indent
// and a tab stop that grow with the reader's own text size. With CORPUS and SCREENSHOTS it also
// shoots two corpus pages beside their reference exports for docs/: a
// sans-serif document with spacing and a shaded table.
'use strict';
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { execFileSync } = require('node:child_process');
const { pathToFileURL } = require('node:url');
const { chromium } = require('playwright-core');
const { sideBySide } = require('./common.js');

const [program, folder, corpus, screenshots] = process.argv.slice(2);
if (!program || !folder || (corpus && !screenshots)) {
  console.error('usage: node looks.js PROGRAM FOLDER [CORPUS SCREENSHOTS]');
  process.exit(2);
}
const CHROMIUM = process.env.CHROMIUM || '/usr/bin/chromium';
const expected = JSON.parse(fs.readFileSync(path.join(folder, 'looks.json'), 'utf8'));

// Runs in the page: the computed look of the deepest element holding each
// text, and of its paragraph.
function looksOf(texts) {
  const all = [...document.body.querySelectorAll('*')];
  const BLOCKS = 'p,li,h1,h2,h3,h4,h5,h6';
  const blocks = [...document.body.querySelectorAll(BLOCKS)];
  const pt = (px) => Math.round(parseFloat(px) * 75) / 100;
  return texts.map((text) => {
    const el = all.filter((e) => e.textContent.trim() === text).pop();
    if (!el) return null;
    const box = el.closest(BLOCKS) || el;
    const block = getComputedStyle(box);
    const above = blocks[blocks.indexOf(box) - 1];
    const style = getComputedStyle(el);
    let behind = null;
    for (let e = el; e && !behind; e = e.parentElement) {
      const c = getComputedStyle(e).backgroundColor;
      if (c !== 'rgba(0, 0, 0, 0)' && c !== 'transparent') behind = c;
    }
    // The text's font's own line, as "normal" gives it.
    const probe = document.createElement('span');
    probe.style.cssText = `display:inline-block;line-height:normal;font-family:${style.fontFamily};` +
      `font-size:${style.fontSize}`;
    probe.textContent = 'x';
    document.body.appendChild(probe);
    const ownLine = probe.getBoundingClientRect().height;
    probe.remove();
    return {
      families: style.fontFamily.split(',').map((f) => f.trim().replace(/^["']|["']$/g, '')),
      // The gap between the block above and this one, as the reader sees it.
      gap: above ? Math.round((box.getBoundingClientRect().top -
        above.getBoundingClientRect().bottom) * 75) / 100 : null,
      bottom: pt(block.marginBottom),
      lineHeight: block.lineHeight,
      ownLine,
      behind,
      colour: style.color,
    };
  });
}

// Runs in the page: where each text's first letter starts, in pixels.
function startsOf(texts) {
  const walk = document.createTreeWalker(document.body, NodeFilter.SHOW_TEXT);
  const starts = {};
  for (let n = walk.nextNode(); n; n = walk.nextNode()) {
    const at = n.data.indexOf(n.data.trim());
    if (!texts.includes(n.data.trim()) || n.data.trim() in starts) continue;
    const letter = document.createRange();
    letter.setStart(n, at);
    letter.setEnd(n, at + 1);
    starts[n.data.trim()] = letter.getBoundingClientRect().left;
  }
  return texts.map((t) => starts[t]);
}

const rgb = (hex) => `rgb(${parseInt(hex.slice(1, 3), 16)}, ${parseInt(hex.slice(3, 5), 16)}, ` +
  `${parseInt(hex.slice(5, 7), 16)})`;

// What differs from the expectation, as readable lines.
const CHECKS = {
  faces: (want, got) => {
    const out = [];
    const last = got.families[got.families.length - 1];
    if (last !== want.generic) out.push(`ends with ${last}, not ${want.generic}`);
    if (want.twin && !got.families.includes(want.twin)) out.push(`names no ${want.twin}`);
    return out;
  },
  // The space after a paragraph adds to the space before the next, but
  // automatic space, which overlaps as a web page's margins do.
  spaces: (want, got, above) => {
    const out = [];
    const gap = !above ? null
      : want.auto || above.auto ? Math.max(want.top, above.bottom) : want.top + above.bottom;
    if (above && Math.abs(got.gap - gap) > 0.05) out.push(`${got.gap}pt below the paragraph above, not ${gap}pt`);
    if (Math.abs(got.bottom - want.bottom) > 0.05)
      out.push(`margin-bottom ${got.bottom}pt, not ${want.bottom}pt`);
    // Lines of a multiple of the font's own: that within a pixel a line
    // (the browser rounds a font's own line to whole pixels).
    const line = want.lineHeight === 0 ? 'normal'
      : want.lineHeight < 0 ? `${-want.lineHeight * got.ownLine}px` : `${want.lineHeight / 0.75}px`;
    const close = line === got.lineHeight || (line !== 'normal' &&
      Math.abs(parseFloat(line) - parseFloat(got.lineHeight)) < Math.max(0.1, -want.lineHeight));
    if (!close) out.push(`line-height ${got.lineHeight}, not ${line}`);
    return out;
  },
  shades: (want, got) => {
    const out = [];
    if (got.behind !== rgb(want.behind)) out.push(`on ${got.behind}, not ${rgb(want.behind)}`);
    if (got.colour !== rgb(want.colour)) out.push(`in ${got.colour}, not ${rgb(want.colour)}`);
    return out;
  },
};

// The corpus pages of the screenshots: format, document, what it shows, file.
const SHOTS = [
  ['doc', 'Lists.doc', 'a sans-serif typeface, spacing, list items of one style joined',
    'looks-spacing.png'],
  ['docx', '65099.docx', 'shaded cells, white text on black', 'looks-shading.png'],
];

async function shoot(page, work) {
  for (const [format, name, shows, png] of SHOTS) {
    const ours = path.join(work, name + '.htm');
    execFileSync(program, ['html', path.join(corpus, format, name), ours]);
    await sideBySide(page, work, [[`Raredozud: ${shows}`, ours],
      ['Reference export', path.join(corpus, format, 'reference-html', name + '.html')]],
    path.join(screenshots, png));
  }
}

async function main() {
  const work = fs.mkdtempSync(path.join(os.tmpdir(), 'rd-looks-'));
  const context = await chromium.launchPersistentContext(path.join(work, 'profile'), {
    executablePath: CHROMIUM,
    headless: true,
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  });
  let problems = 0;
  try {
    const page = context.pages()[0] || await context.newPage();
    for (const feature of Object.keys(CHECKS)) {
      for (const format of ['doc', 'docx', 'odt']) {
        const name = `${feature}.${format}`;
        const out = path.join(work, `${feature}-${format}.htm`);
        execFileSync(program, ['html', path.join(folder, name), out]);
        await page.goto(pathToFileURL(out).href, { waitUntil: 'load' });
        // A format without automatic spacing leaves those paragraphs out.
        const items = expected[feature].filter((e) => !(e.auto && format === 'odt'));
        const got = await page.evaluate(looksOf, items.map((e) => e.text));
        const lines = items.flatMap((want, i) => (got[i] ? CHECKS[feature](want, got[i], items[i - 1])
          : ['not on the page']).map((l) => `  "${want.text}": ${l}`));
        problems += lines.length;
        console.log(`${name}: ${lines.length ? 'differs' : 'as the document says'}`);
        if (lines.length) console.log(lines.join('\n'));
      }
    }
    // A reader who sets a larger text size in the browser gets the
    // document's sizes larger alike: a line of exactly 18pt is half as tall
    // again under text of 24 pixels as under the usual 16, a paragraph
    // indented 36pt stands 72 pixels in, text after a tab stop at 108pt
    // 216 pixels.
    const cdp = await context.newCDPSession(page);
    await cdp.send('Page.setFontSizes', { fontSizes: { standard: 24 } });
    await page.goto(pathToFileURL(path.join(work, 'spaces-docx.htm')).href, { waitUntil: 'load' });
    const [exact] = await page.evaluate(looksOf, ['Exactly 18']);
    const [plain, indented, tabbed, stop] =
      await page.evaluate(startsOf, ['Plain last', 'Indented 36', 'Tabbed', 'At 108']);
    await cdp.send('Page.setFontSizes', { fontSizes: { standard: 16 } });
    const larger = [
      exact.lineHeight === '36px' ? '' : `"Exactly 18": line-height ${exact.lineHeight}, not 36px`,
      Math.abs(indented - plain - 72) < 0.5 ? '' : `"Indented 36": in ${indented - plain}px, not 72px`,
      Math.abs(stop - tabbed - 216) < 0.5 ? '' : `"At 108": in ${stop - tabbed}px, not 216px`,
    ].filter(Boolean);
    problems += larger.length;
    console.log(`spaces.docx, the reader's text at 24px: ${larger.length ? larger.join('; ')
      : 'as the document says'}`);
    if (screenshots) await shoot(page, work);
  } finally {
    await context.close();
    fs.rmSync(work, { recursive: true, force: true });
  }
  process.exitCode = problems ? 1 : 0;
}

main().catch((e) => {
  console.error(e);
  process.exitCode = 1;
});
