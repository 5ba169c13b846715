// Every equation of the golden cases lays out in Chromium with a size:
//   node math.js GOLDEN_MATH [SCREENSHOT.png]
// GOLDEN_MATH is tests/docx/golden/math.txt (name, MathML, linear text per
// case); the page holds each case's MathML under its name.
'use strict';
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { chromium } = require('playwright-core');

const [golden, screenshot] = process.argv.slice(2);
const cases = fs.readFileSync(golden, 'utf8').trim().split('\n\n').map((block) => {
  const [name, mathml, linear] = block.split('\n');
  return { name, mathml, linear };
});
const page = '<!DOCTYPE html><html lang="en"><head><meta charset="utf-8"><title>Equations</title>' +
  '<style>body{font:16px sans-serif;margin:16px} td{padding:6px 12px;border-bottom:1px solid #ddd}' +
  // As the pages set equations (write/css.cpp).
  'math{font-family:\'Cambria Math\',\'STIX Two Math\',\'Latin Modern Math\',\'DejaVu Math TeX Gyre\',math}</style>' +
  '</head><body><table>' +
  cases.map((c, i) => `<tr><td>${c.name}</td><td id="m${i}">${c.mathml}</td></tr>`).join('') +
  '</table></body></html>';

(async () => {
  const file = path.join(fs.mkdtempSync(path.join(os.tmpdir(), 'rdmath-')), 'equations.html');
  fs.writeFileSync(file, page);
  const browser = await chromium.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    args: ['--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
           '--disable-component-update', '--disable-sync'],
  });
  let failed = 0;
  try {
    const tab = await browser.newPage();
    await tab.goto('file://' + file);
    const sizes = await tab.evaluate(() => Array.from(document.querySelectorAll('math'), (m) => {
      const r = m.getBoundingClientRect();
      return { tag: m.namespaceURI, width: r.width, height: r.height };
    }));
    sizes.forEach((s, i) => {
      const ok = s.tag === 'http://www.w3.org/1998/Math/MathML' && s.width > 0 && s.height > 0;
      if (!ok) failed++;
      console.log(`${ok ? 'ok ' : 'BAD'} ${cases[i].name}: ${s.width.toFixed(1)} x ${s.height.toFixed(1)}`);
    });
    if (sizes.length !== cases.length) {
      console.log(`BAD: ${sizes.length} equations laid out of ${cases.length}`);
      failed++;
    }
    if (screenshot) await tab.screenshot({ path: screenshot, fullPage: true });
  } finally {
    await browser.close();
  }
  process.exit(failed ? 1 : 0);
})();
