// Saving an image from the browser's own menu and keys: what is sent to
// Kelvo's host and what the browser shows of the answer. Plain functions:
// loaded before background.js in the browser, and by the tests under Node.
(function (scope) {
  'use strict';

  // The native messaging host's name, as Kelvo registers it (KELVO_BROWSER_HOST_NAME
  // in CMakeLists.txt): the application id in lowercase, as host names must be.
  const HOST = 'io.github.kelvo.kelvo';
  const MENU_IMAGE = 'kelvo-image';
  const MENU_LINK = 'kelvo-link';
  const MENU_TITLE = 'Kelvo に保存';
  // The key's command, as the manifest names it.
  const COMMAND = 'save-image';
  // A content script's answer to the background: the image under the pointer.
  const ASK_HOVERED = 'kelvo-hovered';
  // Chromium takes no message to a host over 64 MiB; base64 makes 4 bytes of 3.
  const LARGEST_IMAGE = Math.floor((64 * 1024 * 1024 - 4096) / 4) * 3;
  // A content script's word that a context menu is about to open.
  const MENU_OPENING = 'kelvo-menu-opening';
  // The answer to a save whose port closed before Kelvo answered: it may or
  // may not have been saved.
  const NO_ANSWER = {outcome: 'failed',
                     text: 'ケルボからの返事が途中で途切れました。保存されたかどうかは履歴で確かめてください。'};
  // Links whose address names a picture: only those get the menu.
  const IMAGE_LINKS = ['jpg', 'jpeg', 'png', 'gif', 'webp', 'avif', 'bmp', 'ico', 'svg']
      .flatMap((extension) => [`*://*/*.${extension}`, `*://*/*.${extension}?*`,
                               `*://*/*.${extension.toUpperCase()}`]);

  // The Referer the browser's own "Save Image As" sends under the default
  // referrer policy: the page for its own origin, the page's origin for
  // another, nothing from https down to http.
  function referrerFor(page, image) {
    let from;
    let to;
    try {
      from = new URL(page);
      to = new URL(image);
    } catch (e) {
      return '';
    }
    if (from.protocol !== 'http:' && from.protocol !== 'https:')
      return '';
    if (from.protocol === 'https:' && to.protocol === 'http:')
      return '';
    from.hash = '';
    if (from.origin === to.origin)
      return from.href;
    return from.origin + '/';
  }

  // The file name a server gives in Content-Disposition (filename* first),
  // without folders; '' when it gives none.
  function fileNameFromDisposition(header) {
    if (typeof header !== 'string')
      return '';
    let name = '';
    const extended = /filename\*\s*=\s*([^']*)'[^']*'([^;]+)/i.exec(header);
    if (extended) {
      try {
        name = decodeURIComponent(extended[2].trim());
      } catch (e) {
        name = '';
      }
    }
    if (!name) {
      const plain = /filename\s*=\s*("((?:[^"\\]|\\.)*)"|[^;]+)/i.exec(header);
      if (plain)
        name = plain[2] !== undefined ? plain[2].replace(/\\(.)/g, '$1') : plain[1].trim();
    }
    return name.split(/[\\/]/).pop();
  }

  function isImageType(contentType) {
    return typeof contentType === 'string' && /^\s*image\//i.test(contentType);
  }

  // The menu's entries under "Kelvo に保存": one per destination, in the
  // list's order, the current one checked.
  function destinationItems(parentId, destinations) {
    return (destinations || []).map((destination, index) => ({
      id: `${parentId}:${index}`,
      parentId,
      type: 'radio',
      checked: !!destination.current,
      title: String(destination.name),
    }));
  }

  // The destination an entry stands for: its name, or '' for the current one.
  function destinationOfItem(menuItemId, destinations) {
    const index = Number(String(menuItemId).split(':')[1]);
    const destination = (destinations || [])[index];
    return destination ? String(destination.name) : '';
  }

  // What the browser says of Kelvo's answer: a word for the badge and a
  // sentence for the notification.
  function outcomeText(answer) {
    if (!answer)
      return {badge: '!', text: 'ケルボに接続できません。Flatpak や Snap のブラウザからはつながりません。' +
                                 '画像をケルボのウィンドウにドラッグすれば保存できます。'};
    const path = String(answer.path || '');
    const text = String(answer.text || '');
    switch (answer.outcome) {
    case 'saved':
      return {badge: '✓', text: path + ' ' + text};
    case 'skipped':
      return {badge: '–', text: text};
    default:
      return {badge: '!', text: text || '保存できませんでした。'};
    }
  }

  // Bytes as base64, twelve bits to two characters at a time from a table,
  // written as ASCII and read back as one string: some 6x the speed of btoa
  // over a string of the bytes, which took 55 ms for 5 MB.
  const ALPHABET = 'ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/';
  let pairs = null; // the two characters of every 12 bits, as one 16-bit unit
  function pairTable() {
    if (!pairs) {
      pairs = new Uint8Array(4096 * 2);
      for (let bits = 0; bits < 4096; ++bits) {
        pairs[bits * 2] = ALPHABET.charCodeAt(bits >> 6);
        pairs[bits * 2 + 1] = ALPHABET.charCodeAt(bits & 63);
      }
      pairs = new Uint16Array(pairs.buffer);
    }
    return pairs;
  }

  function toBase64(bytes) {
    const table = pairTable();
    const whole = bytes.length - bytes.length % 3;
    const text = new Uint8Array(Math.ceil(bytes.length / 3) * 4);
    const units = new Uint16Array(text.buffer);
    let unit = 0;
    for (let at = 0; at < whole; at += 3) {
      const group = bytes[at] << 16 | bytes[at + 1] << 8 | bytes[at + 2];
      units[unit++] = table[group >>> 12];
      units[unit++] = table[group & 4095];
    }
    if (whole < bytes.length) {
      const rest = bytes.length - whole;
      const group = bytes[whole] << 16 | (rest > 1 ? bytes[whole + 1] << 8 : 0);
      const at = unit * 2;
      for (let i = 0; i < 4; ++i)
        text[at + i] = i <= rest ? ALPHABET.charCodeAt(group >>> (18 - 6 * i) & 63) : 61; // '='
    }
    return new TextDecoder('latin1').decode(text);
  }

  const api = {
    HOST,
    MENU_IMAGE,
    MENU_LINK,
    MENU_TITLE,
    COMMAND,
    ASK_HOVERED,
    MENU_OPENING,
    LARGEST_IMAGE,
    NO_ANSWER,
    IMAGE_LINKS,
    referrerFor,
    fileNameFromDisposition,
    isImageType,
    destinationItems,
    destinationOfItem,
    outcomeText,
    toBase64,
  };
  if (typeof module === 'object' && module.exports)
    module.exports = api;
  else
    scope.kelvoSave = api;
})(globalThis);
