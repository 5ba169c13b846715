// What the player (index.htm) does as the learner prints.
(function () {
  'use strict';
  var $ = function (id) { return document.getElementById(id); };
  var content = $('content');

  // Printing prints the page shown, whole, without the player around it. A
  // frame prints as one block, moved whole to the next sheet and cut where
  // the sheets end, so a copy of its page stands in for it, in a shadow
  // root that keeps the page's styles and the player's apart (its own
  // `:root` is the copy's). A page the player may not read (from disk)
  // prints in the frame, as tall as the page.
  function printCopy() {
    var doc = null;
    try {
      doc = content.contentDocument;
      content.style.height = doc.documentElement.scrollHeight + 'px';
    } catch (e) { /* the frame, as far as it shows */ }
    if (!doc || !doc.body || content.hidden) return;
    var css = ':host { all: initial; }\n';
    Array.prototype.forEach.call(doc.styleSheets, function (sheet) {
      try {
        Array.prototype.forEach.call(sheet.cssRules, function (r) { css += r.cssText.replace(/:root\b/g, ':host') + '\n'; });
      } catch (e) { /* a sheet not yet loaded */ }
    });
    var host = document.createElement('div');
    host.id = 'print-copy';
    var root = host.attachShadow({ mode: 'open' });
    root.appendChild(document.createElement('style')).textContent = css;
    var body = root.appendChild(doc.body.cloneNode(true));
    Array.prototype.forEach.call(body.querySelectorAll('script'), function (s) { s.remove(); });
    content.parentNode.insertBefore(host, content);
  }
  window.addEventListener('beforeprint', function () {
    if ($('print-copy')) $('print-copy').remove();
    printCopy();
  });
  window.addEventListener('afterprint', function () {
    content.style.height = '';
    if ($('print-copy')) $('print-copy').remove();
  });
})();
