// One-feature documents written as pages (features/pages.cpp) looked at in
// headless Chromium by computed style and layout:
//   node features.js FOLDER [SCREENSHOT.png]
// Each feature is checked in every format it applies to (FEATURE.FORMAT.htm);
// those about text, once in a paragraph of its own and once in a table's
// cell. Prints a line per page and fails on any problem or missing page.
'use strict';
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { pathToFileURL } = require('node:url');
const { chromium } = require('playwright-core');

const ALL = ['doc', 'docx', 'odt'];
// What each feature's page must show; `formats` where the feature applies
// (a .doc written by the tests has no style sheet to underline with).
const FEATURES = [
  { name: 'deleted', formats: ALL },  // tracked deletions are gone
  { name: 'textbox', formats: ALL },  // a text box's text shows
  { name: 'smallcaps', formats: ALL },
  { name: 'effects', formats: ALL },  // white embossed letters legible; letters spaced apart; a word boxed, one struck twice
  { name: 'degree', formats: ALL },  // the Symbol font's degree sign
  { name: 'outdented', formats: ALL },  // no text left of the page's edge
  { name: 'hanging', formats: ALL },
  { name: 'tabbed', formats: ALL },  // a tab goes to the next default stop, half an inch on
  { name: 'stopped', formats: ALL },  // the first tab goes to the paragraph's own stop
  { name: 'hung', formats: ALL },
  { name: 'columns', formats: ALL },  // a line's second tab goes to the paragraph's second stop  // a hanging line's tab goes to the indent, where the next lines start
  { name: 'contents', formats: ALL },  // a page number at its right-aligned stop, dots leading to it
  { name: 'dropcap', formats: ALL },  // a large first letter beside the text it begins, in its paragraph
  { name: 'underlined', formats: ['docx', 'odt'] },  // an empty underlined heading
  { name: 'indented', formats: ALL },  // a table's left margin; its cell as wide as the document says
  { name: 'centred', formats: ALL },
  { name: 'middle', formats: ALL },  // a cell's vertical alignment
  { name: 'turned', formats: ALL },  // a cell's line runs up it, read from the bottom
  { name: 'tall', formats: ALL },
  { name: 'white', formats: ['docx', 'odt'] },  // white text shows dark off shading, white on it  // a row an inch tall at least, its text a line
  { name: 'boxed', formats: ALL },  // two hanging paragraphs in one box, their text inside it; one ruled below
  { name: 'blank', formats: ALL },  // underlined tabs draw a line to fill in
  { name: 'long', formats: ALL },  // a row of underscores or tabs wider than the window wraps
  { name: 'listed', formats: ['docx', 'odt'] },  // a hanging list item's label beside its text, justified or not
  { name: 'narrow', formats: ['docx'] },  // a word longer than its inch-wide column breaks there
  { name: 'raised', formats: ['docx'] },  // a superscript two thirds high, its line no taller
  { name: 'sidebar', formats: ['docx'] },  // a framed note three inches tall beside the text; on a phone, in its flow
  { name: 'lettered', formats: ['docx', 'odt'] },  // an item labelled "a)" as the document labels it, in its level's bold red
  { name: 'nested', formats: ['docx', 'odt'] },  // each level's text at the indent its level gives, its bullet the document's
  { name: 'matrix', formats: ['docx'] },  // an equation's brackets as tall as the matrix they hold
  { name: 'rtl', formats: ALL },  // right to left, at its start (the right), indented there
  { name: 'rtltable', formats: ALL },  // the first column on the right
];

const [folder, screenshot] = process.argv.slice(2);
if (!folder) {
  console.error('usage: node features.js FOLDER [SCREENSHOT.png]');
  process.exit(2);
}
const CHROMIUM = process.env.CHROMIUM || '/usr/bin/chromium';

// Runs in the page: the problems of the feature's page, none when it looks
// as the document does.
function problems(feature) {
  const found = [];
  const body = document.body;
  // The innermost elements holding `text`, each once in a cell or not.
  const holders = (text) => Array.from(body.querySelectorAll('*')).filter((e) =>
    e.textContent.includes(text) && !Array.from(e.children).some((c) => c.textContent.includes(text)));
  const leanAndInACell = (text) => {
    const all = holders(text);
    const inCell = all.filter((e) => e.closest('td'));
    if (all.length !== 2 || inCell.length !== 1) found.push(`"${text}" shows ${all.length} times, ${inCell.length} in a cell`);
    return all;
  };
  const occurrences = (text) => body.textContent.split(text).length - 1;
  const table = () => body.querySelector('table');
  switch (feature) {
    case 'deleted':
      if (occurrences('Revised 1999') !== 2) found.push('"Revised 1999" does not show twice');
      if (body.textContent.includes('September')) found.push('the deleted text shows');
      break;
    case 'textbox':
      for (const text of ['Boxed words', 'More boxed words']) {
        const shown = holders(text).filter((e) => e.getClientRects().length > 0 &&
          getComputedStyle(e).visibility === 'visible');
        if (shown.length === 0) found.push(`"${text}" does not show`);
      }
      break;
    case 'smallcaps':
      for (const e of leanAndInACell('Small capitals'))
        if (getComputedStyle(e).fontVariantCaps !== 'small-caps') found.push(`<${e.tagName}> not in small capitals`);
      if (holders('here').some((e) => getComputedStyle(e).fontVariantCaps === 'small-caps'))
        found.push('the text after the small capitals is in them too');
      break;
    case 'dropcap': {
      const walk = document.createTreeWalker(body, NodeFilter.SHOW_TEXT);
      while (walk.nextNode() && !walk.currentNode.textContent.includes('nce upon'));
      const range = document.createRange();
      range.selectNodeContents(walk.currentNode);
      const cap = holders('O')[0].getBoundingClientRect(), text = range.getClientRects()[0];
      // Beside it from its top, as a letter dropped lines deep (not one
      // standing large in the first line).
      if (text.left < cap.right || text.top - cap.top > text.height) found.push('the text does not start beside its large first letter');
      // Its paragraph's, so that the first word reads whole.
      if (!holders('O')[0].closest('p').textContent.startsWith('Once upon')) found.push('the large letter is a paragraph of its own');
      break;
    }
    case 'tabbed':
    case 'stopped':
    case 'hung':
    case 'columns': {
      // How far from the start of the paragraph's text (its indent) the
      // text after the tab begins.
      const [word, want] = {
        tabbed: ['Tabbed', 0.5], stopped: ['Stopped', 1.5], hung: ['Hung', 0], columns: ['Columns', 3],
      }[feature];
      for (const e of leanAndInACell(word)) {
        const text = Array.from(e.childNodes).reverse().find((n) => n.nodeType === Node.TEXT_NODE && n.textContent.includes(word));
        const range = document.createRange();
        range.setStart(text, text.textContent.indexOf(word));
        range.setEnd(text, text.textContent.indexOf(word) + 1);
        const block = e.closest('p, li, td');
        const from = block.getBoundingClientRect().left + parseFloat(getComputedStyle(block).paddingLeft);
        const at = (range.getBoundingClientRect().left - from) / 96;
        if (Math.abs(at - want) > 0.03) found.push(`the text after the tab starts at ${at.toFixed(2)}in, not ${want}in`);
      }
      break;
    }
    case 'contents':
      for (const e of leanAndInACell('7')) {
        // The number ends at the stop, four inches on, or at the cell's edge
        // before it; a dotted leader fills the space before it.
        const row = e.closest('p').getBoundingClientRect();
        const box = e.closest('p').parentElement;
        const room = box.clientWidth - parseFloat(getComputedStyle(box).paddingLeft) - parseFloat(getComputedStyle(box).paddingRight);
        const end = (e.getBoundingClientRect().right - row.left) / 96;
        const want = Math.min(4, room / 96);
        if (Math.abs(end - want) > 0.05) found.push(`the number ends ${end.toFixed(2)}in on, not ${want.toFixed(2)}in`);
        const item = Array.from(e.closest('p').children).find((c) => c.contains(e));
        const leader = item.previousElementSibling;
        if (!leader || getComputedStyle(leader).borderBottomStyle !== 'dotted' || leader.getBoundingClientRect().width < 12)
          found.push('no dotted leader before the number');
      }
      break;
    case 'effects':
      for (const e of leanAndInACell('Raised'))
        if (getComputedStyle(e).textShadow === 'none') found.push('the white raised letters have no shadow to see them by');
      for (const e of leanAndInACell('Wide'))
        if (!(Math.abs(parseFloat(getComputedStyle(e).letterSpacing) - 4) <= 0.1)) found.push(`the letters are ${getComputedStyle(e).letterSpacing} apart, not 3pt`);
      if (holders(' and ').some((e) => getComputedStyle(e).letterSpacing !== 'normal')) found.push('the text between is spaced too');
      for (const e of leanAndInACell('Boxed'))
        if (getComputedStyle(e).borderTopStyle !== 'solid') found.push('the boxed word has no line around it');
      if (holders(' and ').some((e) => getComputedStyle(e).borderTopStyle !== 'none')) found.push('the text between is boxed too');
      for (const e of leanAndInACell('Twice')) {
        const line = e.closest('s') || e;
        const style = getComputedStyle(line);
        if (!style.textDecorationLine.includes('line-through') || style.textDecorationStyle !== 'double') found.push('the word struck twice has no double line through it');
      }
      break;
    case 'degree':
      if (occurrences('It is 40\u00B0C') !== 2) found.push('"It is 40\u00B0C" does not show twice');
      break;
    case 'outdented':
    case 'hanging':
      for (const e of leanAndInACell(feature === 'hanging' ? 'Hanging first line' : 'Outdented text')) {
        const range = document.createRange();
        const textNode = Array.from(e.childNodes).find((n) => n.nodeType === Node.TEXT_NODE) || e.firstChild;
        range.setStart(textNode, 0);
        range.setEnd(textNode, 1);
        const container = (e.closest('td') || body).getBoundingClientRect();
        const left = range.getBoundingClientRect().left;
        if (left < container.left - 0.5) found.push(`the text starts ${(container.left - left).toFixed(1)}px left of its ${e.closest('td') ? 'cell' : 'page'}`);
      }
      break;
    case 'underlined':
      for (const e of leanAndInACell('Ruled')) {
        const ruled = (x) => getComputedStyle(x).textDecorationLine.includes('underline');
        const heading = e.closest('h1');
        if (!heading || ![e, ...e.querySelectorAll('*')].some(ruled) && !ruled(heading)) found.push('the heading is not underlined');
        const empty = heading && heading.nextElementSibling;
        if (!empty) {
          found.push('no empty paragraph after the heading');
          continue;
        }
        if (empty.textContent !== '' && [empty, ...empty.querySelectorAll('*')].some(ruled))
          found.push(`the empty paragraph holds "${empty.textContent}" underlined, drawn as a stroke`);
        if (empty.getBoundingClientRect().height < 1) found.push('the empty paragraph takes no line');
      }
      break;
    case 'indented': {
      const margin = parseFloat(getComputedStyle(table()).marginLeft);
      if (Math.abs(margin - 96) > 1) found.push(`the table's left margin is ${margin}px, not 96px (1 inch)`);
      // A cell's width holds the room inside its sides. It is given in rem,
      // of the root's text size.
      const td = table().querySelector('td');
      const rem = parseFloat(getComputedStyle(document.documentElement).fontSize);
      const width = td.getBoundingClientRect().width, want = parseFloat(td.style.width) * rem;
      if (td.style.width && Math.abs(width - want) > 1.5)
        found.push(`the cell is ${width.toFixed(1)}px wide, not ${want.toFixed(1)}px`);
      break;
    }
    case 'centred': {
      const t = table().getBoundingClientRect(), b = body.getBoundingClientRect();
      if (t.left - b.left < 1 || Math.abs((t.left - b.left) - (b.right - t.right)) > 1)
        found.push(`the table is not centred: ${(t.left - b.left).toFixed(1)}px left, ${(b.right - t.right).toFixed(1)}px right`);
      break;
    }
    case 'middle': {
      const align = getComputedStyle(table().querySelector('td')).verticalAlign;
      if (align !== 'middle') found.push(`the cell's content is aligned ${align}`);
      break;
    }
    case 'turned': {
      // Its word stands taller than wide, its first letter lowest.
      const text = document.createTreeWalker(table().querySelector('td'), NodeFilter.SHOW_TEXT).nextNode();
      const range = document.createRange();
      const box = (from) => (range.setStart(text, from), range.setEnd(text, from + 1), range.getBoundingClientRect());
      const word = text.parentNode.getBoundingClientRect();
      if (word.height <= word.width || box(0).top <= box(text.textContent.length - 1).top)
        found.push('the cell\'s line does not run up it');
      break;
    }
    case 'white': {
      // How light a word's colour is, 0 to 255.
      const light = (text) => {
        const [r, g, b] = getComputedStyle(holders(text)[0]).color.match(/\d+/g).map(Number);
        return (299 * r + 587 * g + 114 * b) / 1000;
      };
      if (light('Lost white') > 128) found.push('white text off any shading is lost on the page');
      if (light('Kept white') < 240) found.push('white text on a dark cell is not white');
      break;
    }
    case 'tall': {
      const height = table().querySelector('tr').getBoundingClientRect().height / 96;
      if (height < 0.98) found.push(`the row is ${height.toFixed(2)}in tall, not an inch`);
      // A row of an exact height (a sixth of an inch, 16px) cuts off its
      // blank lines, not its text (which a narrow window wraps further).
      const [, text, blank] = table().querySelectorAll('tr');
      const last = text && holders('off')[0].getBoundingClientRect().bottom;
      if (text && last > text.getBoundingClientRect().bottom + 0.5) found.push('the exact row cuts its text off');
      const cut = blank && blank.getBoundingClientRect().height;
      if (blank && Math.abs(cut - 16) > 1.5) found.push(`the exact row of blank lines is ${cut.toFixed(1)}px tall, not 16px`);
      break;
    }
    case 'boxed': {
      // Which sides show a line: top, right, bottom, left.
      const expected = { 'Boxed one': 'trl', 'Boxed two': 'rbl', 'Ruled below': 'b' };
      for (const [text, sides] of Object.entries(expected)) {
        const para = holders(text)[0].closest('p'), style = getComputedStyle(para);
        const shown = [['t', 'Top'], ['r', 'Right'], ['b', 'Bottom'], ['l', 'Left']]
          .filter(([, side]) => style[`border${side}Style`] !== 'none' && parseFloat(style[`border${side}Width`]) > 0)
          .map(([letter]) => letter).join('');
        if (shown !== sides) found.push(`"${text}" has lines on "${shown}", not "${sides}"`);
      }
      // The space after the first lies inside the box: its sides go on.
      const [one, two] = ['Boxed one', 'Boxed two'].map((t) => holders(t)[0].closest('p').getBoundingClientRect());
      if (Math.abs(two.top - one.bottom) > 0.5) found.push(`a gap of ${(two.top - one.bottom).toFixed(1)}px in the box's sides`);
      // A hanging first line starts inside the box.
      const para = holders('Boxed one')[0].closest('p');
      const start = one.left + parseFloat(getComputedStyle(para).borderLeftWidth);
      const range = document.createRange();
      range.selectNodeContents(para);
      const first = range.getClientRects()[0].left;
      if (first < start) found.push(`"Boxed one" starts ${(start - first).toFixed(1)}px left of its box`);
      break;
    }
    case 'blank': {
      // A line under the tabs, from the word to the fourth stop.
      const tabs = Array.from(body.querySelectorAll('.tab'));
      const lined = tabs.filter((t) => getComputedStyle(t).borderBottomStyle === 'solid' &&
        parseFloat(getComputedStyle(t).borderBottomWidth) > 0);
      const width = lined.reduce((w, t) => w + t.getBoundingClientRect().width, 0) / 96;
      if (lined.length !== 4 || width < 1.5) found.push(`${lined.length} tabs lined, ${width.toFixed(2)}in long`);
      break;
    }
    case 'long':
      if (document.documentElement.scrollWidth > window.innerWidth)
        found.push(`the page is ${document.documentElement.scrollWidth}px wide in a window of ${window.innerWidth}px`);
      if (!body.textContent.includes('Name__') || !body.textContent.includes('Tabs\t')) found.push('the lines are missing');
      break;
    case 'matrix': {
      // A text face has no taller brackets: they stay a line high.
      const [open] = body.querySelectorAll('math mo');
      const table = body.querySelector('math mtable');
      const [bracket, rows] = [open, table].map((e) => e && e.getBoundingClientRect().height);
      if (!rows || !(bracket >= rows * 0.9)) found.push(`a bracket ${bracket}px tall around rows ${rows}px tall`);
      break;
    }
    case 'narrow': {
      const width = table().querySelector('td').getBoundingClientRect().width;
      if (Math.abs(width - 96) > 1.5) found.push(`the column is ${width.toFixed(1)}px wide, not 96px`);
      break;
    }
    case 'raised': {
      const [plain, raised] = ['Plain line', 'Raised line'].map((t) => holders(t)[0].closest('p'));
      const sup = raised.querySelector('sup');
      const share = sup ? parseFloat(getComputedStyle(sup).fontSize) / parseFloat(getComputedStyle(raised).fontSize) : 0;
      if (Math.abs(share - 0.65) > 0.05) found.push(`the superscript is ${share.toFixed(2)} of the text's size`);
      const [a, b] = [plain, raised].map((e) => e.getBoundingClientRect().height);
      if (b > a + 0.5) found.push(`the raised line is ${(b - a).toFixed(1)}px taller`);
      break;
    }
    case 'lettered': {
      const item = holders('Lettered item')[0].closest('li');
      const type = item ? getComputedStyle(item).listStyleType : 'no list item';
      if (!type.includes('a)')) found.push(`the item is labelled by ${type}, not "a)"`);
      // In bold red, as its level sets it; its text plain.
      const label = item ? getComputedStyle(item, '::marker') : {};
      if (label.fontWeight !== '700' || label.color !== 'rgb(192, 0, 0)')
        found.push(`the label is ${label.color} at weight ${label.fontWeight}, not bold red`);
      const text = getComputedStyle(holders('Lettered item')[0]);
      if (text.fontWeight !== '400' || text.color !== 'rgb(0, 0, 0)')
        found.push(`the text is ${text.color} at weight ${text.fontWeight}, not plain`);
      break;
    }
    case 'nested': {
      // Half an inch and an inch from the text's edge, as the list's levels
      // give them.
      const edge = body.getBoundingClientRect().left + parseFloat(getComputedStyle(body).paddingLeft);
      for (const [text, inches] of [['Outer item', 0.5], ['Inner item', 1]]) {
        const e = holders(text)[0];
        const range = document.createRange();
        range.selectNodeContents(e);
        const at = (range.getClientRects()[0].left - edge) / 96;
        if (!e.closest('li') || Math.abs(at - inches) > 0.03) found.push(`"${text}" starts at ${at.toFixed(2)}in, not ${inches}in`);
        const type = e.closest('li') ? getComputedStyle(e.closest('li')).listStyleType : '';
        if (!type.includes('-')) found.push(`"${text}" is labelled by ${type}, not "-"`);
      }
      break;
    }
    case 'listed':
      for (const e of leanAndInACell('Listed item')) {
        const item = e.closest('li');
        if (!item) {
          found.push('the item is no list item');
          continue;
        }
        const range = document.createRange();
        range.setStart(e.firstChild, 0);
        range.setEnd(e.firstChild, 1);
        const text = item.getBoundingClientRect().left + parseFloat(getComputedStyle(item).paddingLeft);
        const left = range.getBoundingClientRect().left;
        if (Math.abs(left - text) > 0.5) found.push(`the first line starts ${(left - text).toFixed(1)}px off its indent`);
      }
      break;
    case 'rtl':
      for (const e of leanAndInACell('\u05E9\u05DC\u05D5\u05DD')) {
        const para = e.closest('p');
        if (getComputedStyle(para).direction !== 'rtl') found.push('the paragraph runs left to right');
        const text = Array.from(e.childNodes).find((n) => n.nodeType === Node.TEXT_NODE);
        const letter = (i) => {
          const range = document.createRange();
          range.setStart(text, i);
          range.setEnd(text, i + 1);
          return range.getBoundingClientRect();
        };
        const first = letter(0), mark = letter(text.length - 1), box = para.getBoundingClientRect();
        if (mark.left > first.left) found.push('the closing mark stands right of the first word');
        if (box.right - first.right > 1)
          found.push(`the text ends ${(box.right - first.right).toFixed(1)}px short of its start, the right`);
        const start = parseFloat(getComputedStyle(para).marginRight);
        if (Math.abs(start - 48) > 1)
          found.push(`the indent at the right is ${start}px, not 48px (half an inch)`);
      }
      break;
    case 'rtltable': {
      const cell = (text) => holders(text)[0].closest('td').getBoundingClientRect();
      if (cell('first').left < cell('second').left)
        found.push('the first column stands left of the second');
      const t = table().getBoundingClientRect(), b = body.getBoundingClientRect();
      if (b.right - t.right > 1)
        found.push(`the table stands ${(b.right - t.right).toFixed(1)}px from the right margin`);
      break;
    }
    case 'sidebar': {
      // At the right, three inches tall at least, the text beside it.
      const note = holders('Side note')[0].parentElement, range = document.createRange();
      range.selectNodeContents(holders('Text beside')[0]);
      const n = note.getBoundingClientRect(), t = range.getBoundingClientRect();
      if (getComputedStyle(note).float !== 'right' || n.height < 287 || t.right > n.left + 1)
        found.push(`the note floats ${getComputedStyle(note).float}, ${n.height.toFixed(0)}px tall, the text reaching ${t.right.toFixed(0)}px`);
      break;
    }
    default:
      found.push('no check for this feature');
  }
  return found;
}

// A phone's window has no room beside a framed note: there it stands above
// the text, as wide as the text and no taller than its line.
async function sidebarProblems(page) {
  await page.setViewportSize({ width: 360, height: 700 });
  const phone = await page.evaluate(() => {
    const [note, text] = ['Side note', 'Text beside the note'].map((t) =>
      Array.from(document.querySelectorAll('p')).find((e) => e.textContent === t));
    const box = note.parentElement.getBoundingClientRect();
    return { float: getComputedStyle(note.parentElement).float, width: box.width, height: box.height,
      textWidth: text.getBoundingClientRect().width };
  });
  await page.setViewportSize({ width: 1000, height: 700 });
  if (phone.float === 'none' && phone.height <= 48 && Math.abs(phone.width - phone.textWidth) <= 1) return [];
  return [`on a phone the note floats ${phone.float}, ${phone.width.toFixed(0)} by ${phone.height.toFixed(0)}px`];
}

// Labels have no box a script can measure: where ink starts left of each
// text, on its line, is read from a picture of the line, in inches from
// the page's edge, against where the document sets the label.
async function labelProblems(page, labels) {
  const found = [];
  for (const [text, inches] of labels) {
    const line = await page.evaluate((t) => {
      const e = Array.from(document.body.querySelectorAll('li')).find((li) => li.firstChild.textContent.includes(t));
      const range = document.createRange();
      range.setStart(e.firstChild, 0);
      range.setEnd(e.firstChild, 1);
      const r = range.getBoundingClientRect();
      const edge = document.body.getBoundingClientRect().left + parseFloat(getComputedStyle(document.body).paddingLeft);
      return { clip: { x: edge, y: r.top, width: r.left - edge, height: r.height } };
    }, text);
    const png = await page.screenshot({ clip: line.clip });
    const ink = await page.evaluate(async (src) => {
      const img = new Image();
      img.src = src;
      await img.decode();
      const canvas = document.createElement('canvas');
      [canvas.width, canvas.height] = [img.width, img.height];
      const g = canvas.getContext('2d');
      g.drawImage(img, 0, 0);
      const { data } = g.getImageData(0, 0, img.width, img.height);
      for (let x = 0; x < img.width; ++x)
        for (let y = 0; y < img.height; ++y)
          if (data[(y * img.width + x) * 4] < 128) return x / img.width;
      return -1;
    }, 'data:image/png;base64,' + png.toString('base64'));
    const at = ink * line.clip.width / 96;
    if (ink < 0 || Math.abs(at - inches) > 0.03) found.push(`the label of "${text}" starts at ${at.toFixed(2)}in, not ${inches}in`);
  }
  return found;
}

// The .docx pages side by side, each under its feature's name, for the
// documentation.
async function takeScreenshot(page, file) {
  const shown = FEATURES.filter((f) => f.name !== 'deleted');
  const cells = shown
                    .map(
                        (f) => `<figure><figcaption>${f.name}</figcaption>` +
                            `<iframe src="${f.name}.docx.htm"></iframe></figure>`)
                    .join('');
  const sheet = path.join(folder, 'features.htm');
  fs.writeFileSync(
      sheet,
      '<!DOCTYPE html><html><head><meta charset="utf-8"><style>' +
          'body{font:13px sans-serif;margin:8px;display:grid;grid-template-columns:repeat(3,1fr);gap:8px}' +
          'figure{margin:0}figcaption{color:#555;margin-bottom:2px}' +
          'iframe{width:100%;height:130px;border:1px solid #999}</style></head><body>' + cells +
          '</body></html>');
  // Tall enough for every frame: one below the window is left unpainted.
  await page.setViewportSize({width: 1000, height: 160 * Math.ceil(shown.length / 3) + 20});
  await page.goto(pathToFileURL(sheet).href, {waitUntil: 'load'});
  await page.screenshot({path: file, fullPage: true});
}

async function main() {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'rd-features-'));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: CHROMIUM,
    headless: true,
    viewport: { width: 1000, height: 700 },
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  });
  let failed = 0;
  try {
    const page = context.pages()[0] || await context.newPage();
    for (const feature of FEATURES) {
      for (const format of feature.formats) {
        const file = path.join(folder, `${feature.name}.${format}.htm`);
        let found;
        if (!fs.existsSync(file)) {
          found = ['no page'];
        } else {
          await page.goto(pathToFileURL(file).href, { waitUntil: 'load' });
          found = await page.evaluate(problems, feature.name);
          if (feature.name === 'nested') found.push(...await labelProblems(page, [['Outer item', 0.25], ['Inner item', 0.75]]));
          if (feature.name === 'sidebar') found.push(...await sidebarProblems(page));
        }
        failed += found.length ? 1 : 0;
        console.log(`${feature.name} (${format}): ${found.length ? found.join('; ') : 'ok'}`);
      }
    }
    if (screenshot) await takeScreenshot(page, screenshot);
  } finally {
    await context.close();
    fs.rmSync(profile, { recursive: true, force: true });
  }
  if (failed) console.log(`${failed} pages do not look as their documents`);
  process.exitCode = failed ? 1 : 0;
}

main().catch((e) => {
  console.error(e);
  process.exitCode = 1;
});
