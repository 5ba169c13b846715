// The course's outline as pvomanifest.htm gives it, and the entry a
// reference link names. Shared by the player and the pages' own script;
// free of the DOM so that node can test it.
'use strict';

var RdPreview = (function () {
  // Titles are stored escaped (&lt; &gt;) and characters outside the code
  // page arrive as numeric references: the common script decodes them
  // (required beside this one under node).
  var common = typeof RdCommon !== 'undefined' ? RdCommon : require('./common.js');
  var decodeEntities = common.decodeReferences;

  // Only bare file names of this folder are opened: the preview is data,
  // not a place to smuggle in other addresses.
  function safeFile(f) {
    return /^[A-Za-z0-9_.-]+$/.test(f) && f.charAt(0) !== '.' ? f : '';
  }

  // The files of one line of the preview as course.js gives them: { page },
  // { test, data } or {} for a chapter. A package of an older version
  // lists none: then the preview's own column names what each line opens.
  function filesOf(listed, line) {
    if (listed) return listed;
    return line.file !== '' ? { page: line.file } : {};
  }

  // One line per entry, "ITEM<pid>|title|file|flag", then "%MANIFEST_END";
  // `files` (course.js) gives each line's files, in the same order.
  // A title may hold "|", so the fields are taken from both ends.
  function parse(text, files) {
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
        title: common.shownTitle(decodeEntities(line.slice(first + 1, beforeLast))),
        file: line.slice(beforeLast + 1, last),
        inChapter: line.slice(last + 1).trim() === '-1'
      });
    }
    var listed = Array.isArray(files) && files.length === raw.length ? files : [];
    var entries = [];
    for (var j = 0; j < raw.length; j++) {
      var r = raw[j];
      var f = filesOf(listed[j], r);
      var kind = f.test ? 'test' : f.page ? 'page' : 'chapter';
      var file = safeFile(String(f.test || f.page || ''));
      if (kind !== 'chapter' && file === '') continue;
      var data = f.test ? safeFile(String(f.data || '')) : '';
      entries.push({ item: r.item, title: r.title, file: file, data: data, kind: kind, inChapter: r.inChapter });
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
