// What the companion tells Kelvo about a dragged image, and how it finds out.
// Plain functions: loaded before content.js and background.js in the browser,
// and by the tests under Node.
(function (scope) {
  'use strict';

  // The drag type Kelvo reads, and the version of the note's fields.
  const NOTE_TYPE = 'application/x-kelvo-source';
  const NOTE_VERSION = 1;
  // Kelvo ignores a longer note, so none is written.
  const MAX_NOTE_CHARS = 64 * 1024;
  // A frame's question to the background: which page holds me?
  const ASK_TOP_PAGE = 'kelvo-top-page';

  function isImage(node) {
    return !!node && typeof node.tagName === 'string' && node.tagName.toUpperCase() === 'IMG';
  }

  // The image a drag starts from: the target itself, or, for a dragged link or
  // picture, the image under the pointer inside it (elementsAtPoint: topmost
  // first), else its only image.
  function draggedImage(target, elementsAtPoint) {
    if (isImage(target))
      return target;
    if (!target || typeof target.contains !== 'function')
      return null;
    const under = Array.from(elementsAtPoint || []).find((e) => isImage(e) && target.contains(e));
    if (under)
      return under;
    const inside = typeof target.querySelectorAll === 'function' ? target.querySelectorAll('img') : [];
    return inside.length === 1 ? inside[0] : null;
  }

  // The address of the picture shown, which srcset and <picture> may choose.
  function imageAddress(image) {
    return image.currentSrc || image.src || '';
  }

  // The note as the drag carries it; null when there is no image to tell of.
  function noteText({page, frame, title, image}) {
    if (!image)
      return null;
    const text = JSON.stringify({
      version: NOTE_VERSION,
      page: page || '',
      frame: frame || '',
      title: title || '',
      image,
    });
    return text.length <= MAX_NOTE_CHARS ? text : null;
  }

  // The top-level page as this frame sees it: itself or a same-origin
  // ancestor; null in a cross-origin frame, where only the background knows.
  function visibleTopPage(win) {
    try {
      const top = win.top;
      return {address: String(top.location.href), title: String(top.document.title)};
    } catch (e) {
      return null;
    }
  }

  // The background's answer to a frame: the page of the tab it lies in.
  function topPageOfSender(sender) {
    const tab = sender && sender.tab;
    if (!tab || typeof tab.url !== 'string' || !tab.url)
      return null;
    return {address: tab.url, title: typeof tab.title === 'string' ? tab.title : ''};
  }

  const api = {
    NOTE_TYPE,
    NOTE_VERSION,
    MAX_NOTE_CHARS,
    ASK_TOP_PAGE,
    draggedImage,
    imageAddress,
    noteText,
    visibleTopPage,
    topPageOfSender,
  };
  if (typeof module === 'object' && module.exports)
    module.exports = api;
  else
    scope.kelvoNote = api;
})(globalThis);
