// Adds Kelvo's note to the drag of an image. dragstart must set its data at
// once, so a cross-origin frame learns its page from the background ahead of
// time: when it loads and at every press of a pointer button, before a drag.
// Tells the background which image the pointer is on, for the key that saves
// it.
(function (scope) {
  'use strict';

  const note = scope.kelvoNote;
  const save = scope.kelvoSave;
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

  // The image under the pointer, for the key that saves it: kept from the
  // user's own pointer only.
  let hovered = null;
  scope.addEventListener('pointerover', (event) => {
    if (!event.isTrusted)
      return;
    const target = event.target;
    hovered = target && typeof target.closest === 'function' ? target.closest('img') : null;
  }, true);
  scope.addEventListener('pointerout', (event) => {
    if (event.isTrusted && !event.relatedTarget)
      hovered = null;
  }, true);
  // Only the frame that has one answers.
  runtime.onMessage.addListener((message, sender, sendResponse) => {
    if (message && message.kind === save.ASK_HOVERED && hovered)
      sendResponse({image: note.imageAddress(hovered)});
    return false;
  });
  // The menu is about to open: the background asks Kelvo for its list again
  // if it lost it.
  scope.addEventListener('contextmenu', (event) => {
    if (!event.isTrusted)
      return;
    try {
      runtime.sendMessage({kind: save.MENU_OPENING}).catch(() => {});
    } catch (e) {
      // The extension was reloaded under this page.
    }
  }, true);

  if (!note.visibleTopPage(scope)) {
    askTopPage();
    scope.addEventListener('pointerdown', askTopPage, true);
  }
  // Capturing at the window, ahead of the page's own listeners.
  scope.addEventListener('dragstart', onDragStart, true);
})(globalThis);
