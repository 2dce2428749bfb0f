// Tells a content script in a cross-origin frame the address of the page it
// lies in. Chromium runs this as a service worker, Firefox as a script after
// note.js.
(function (scope) {
  'use strict';

  if (typeof scope.importScripts === 'function' && !scope.kelvoNote)
    scope.importScripts('note.js');
  const note = scope.kelvoNote;
  const runtime = (scope.browser || scope.chrome).runtime;

  runtime.onMessage.addListener((message, sender, sendResponse) => {
    if (!message || message.kind !== note.ASK_TOP_PAGE)
      return false;
    sendResponse(note.topPageOfSender(sender));
    return false;
  });
})(globalThis);
