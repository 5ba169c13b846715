// The course's outline as pvomanifest.htm gives it, and the entry a
// reference link names. Shared by the player and the pages' own script;
// free of the DOM so that node can test it.
'use strict';

var RdPreview = (function () {
  // Titles are stored escaped (&lt; &gt;) and characters outside the code
  // page arrive as numeric references: the common script decodes them
  // (required beside this one under node).
  var decodeEntities = (typeof RdCommon !== 'undefined' ? RdCommon
    : require('./common.js')).decodeReferences;

  // Only bare file names of this folder are opened: the preview is data,
  // not a place to smuggle in other addresses.
  function safeFile(f) {
    return /^[A-Za-z0-9_.-]+$/.test(f) && f.charAt(0) !== '.' ? f : '';
  }

  // One line per entry, "ITEM<pid>|title|file|flag", then "%MANIFEST_END".
  // A title may hold "|", so the fields are taken from both ends.
  function parse(text) {
    var lines = text.split(/\r\n|\r|\n/);
    var raw = [];
    for (var i = 0; i < lines.length; i++) {
      var line = lines[i];
      if (line.indexOf('%MANIFEST_END') === 0) break;
      if (line.indexOf('ITEM') !== 0) continue;
      var first = line.indexOf('|');
      var last = line.lastIndexOf('|');
      if (first < 0) continue;
      var beforeLast = line.lastIndexOf('|', last - 1);
      if (beforeLast <= first) continue;
      raw.push({
        item: line.slice(0, first),
        title: decodeEntities(line.slice(first + 1, beforeLast)),
        file: line.slice(beforeLast + 1, last),
        inChapter: line.slice(last + 1).trim() === '-1'
      });
    }
    var entries = [];
    for (var j = 0; j < raw.length; j++) {
      var r = raw[j];
      var kind;
      var file = safeFile(r.file);
      if (r.file !== '' && file === '') continue;
      if (/^test/i.test(file)) kind = 'test';
      else if (file !== '') kind = 'page';
      else if (j === 0 && r.title === '' && !(raw.length > 1 && raw[1].inChapter)) {
        // Content before the first heading (an early item number) has a page
        // of its own, page1.htm, although the preview names no file for it.
        kind = 'page';
        file = 'page1.htm';
      } else kind = 'chapter';
      entries.push({ item: r.item, title: r.title, file: file, kind: kind, inChapter: r.inChapter });
    }
    return entries;
  }

  // The entry a reference names: "ITEM" + ref; a chapter stands for its
  // first page or test.
  function findRef(entries, ref) {
    var id = 'ITEM' + String(ref).trim();
    for (var i = 0; i < entries.length; i++) {
      if (entries[i].item !== id) continue;
      if (entries[i].file) return entries[i];
      for (var k = i + 1; k < entries.length && entries[k].kind !== 'chapter'; k++) {
        if (entries[k].file) return entries[k];
      }
      return null;
    }
    return null;
  }

  return { parse: parse, findRef: findRef };
})();

if (typeof module !== 'undefined' && module.exports) module.exports = RdPreview;
