// Adds Kelvo's note to the drag of an image. dragstart must set its data at
// once, so a cross-origin frame learns its page from the background ahead of
// time: when it loads and at every press of a pointer button, before a drag.
(function (scope) {
  'use strict';

  const note = scope.kelvoNote;
  const runtime = (scope.browser || scope.chrome).runtime;
  let askedTopPage = null;

  function askTopPage() {
    try {
      runtime.sendMessage({kind: note.ASK_TOP_PAGE}).then(
          (answer) => {
            if (answer && typeof answer.address === 'string')
              askedTopPage = answer;
          },
          () => {});
    } catch (e) {
      // The extension was reloaded under this page: no background to ask.
    }
  }

  function onDragStart(event) {
    if (!event.isTrusted || !event.dataTransfer)
      return;
    const image = note.draggedImage(
        event.target, scope.document.elementsFromPoint(event.clientX, event.clientY));
    if (!image)
      return;
    const top = note.visibleTopPage(scope) || askedTopPage || {address: '', title: ''};
    const text = note.noteText({
      page: top.address,
      frame: scope.location.href,
      title: top.title,
      image: note.imageAddress(image),
    });
    if (text)
      event.dataTransfer.setData(note.NOTE_TYPE, text);
  }

  if (!note.visibleTopPage(scope)) {
    askTopPage();
    scope.addEventListener('pointerdown', askTopPage, true);
  }
  // Capturing at the window, ahead of the page's own listeners.
  scope.addEventListener('dragstart', onDragStart, true);
})(globalThis);
