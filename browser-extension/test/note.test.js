'use strict';
const test = require('node:test');
const assert = require('node:assert/strict');
const note = require('../note.js');

// Just enough of a DOM element for the functions under test.
function element(tagName, children = [], extra = {}) {
  const node = {tagName, children, ...extra};
  node.contains = (other) => other === node || children.some((c) => c.contains(other));
  node.querySelectorAll = (selector) => {
    assert.equal(selector, 'img');
    return children.flatMap((c) => (c.tagName === 'IMG' ? [c] : []).concat(c.querySelectorAll('img')));
  };
  return node;
}

test('the dragged image', async (t) => {
  const photo = element('IMG', [], {currentSrc: 'https://a.test/photo.webp', src: 'https://a.test/photo.jpg'});
  await t.test('is the target when an image is dragged', () => {
    assert.equal(note.draggedImage(photo, []), photo);
  });
  await t.test('is the image under the pointer inside a dragged link', () => {
    const first = element('IMG');
    const second = element('IMG');
    const link = element('A', [element('SPAN', [first]), second]);
    assert.equal(note.draggedImage(link, [second, link]), second);
  });
  await t.test('is the only image of a dragged picture when the pointer tells nothing', () => {
    const picture = element('PICTURE', [element('SOURCE'), photo]);
    assert.equal(note.draggedImage(picture, []), photo);
  });
  await t.test('is no image under the pointer that lies outside the dragged element', () => {
    const elsewhere = element('IMG');
    const link = element('A', [element('IMG'), element('IMG')]);
    assert.equal(note.draggedImage(link, [elsewhere]), null);
  });
  await t.test('is none for text, a link without image or no target', () => {
    assert.equal(note.draggedImage({nodeType: 3}, []), null);
    assert.equal(note.draggedImage(element('A', [element('SPAN')]), []), null);
    assert.equal(note.draggedImage(null, []), null);
  });
  await t.test('has the address the browser chose to show', () => {
    assert.equal(note.imageAddress(photo), 'https://a.test/photo.webp');
    assert.equal(note.imageAddress(element('IMG', [], {currentSrc: '', src: 'https://a.test/x.png'})),
                 'https://a.test/x.png');
  });
});

test('the note', async (t) => {
  await t.test('carries the four addresses and the version as JSON', () => {
    const text = note.noteText({page: 'https://a.test/p', frame: 'https://b.test/f', title: 'ページ',
                                image: 'https://c.test/i.png'});
    assert.deepEqual(JSON.parse(text), {version: note.NOTE_VERSION, page: 'https://a.test/p',
                                        frame: 'https://b.test/f', title: 'ページ',
                                        image: 'https://c.test/i.png'});
  });
  await t.test('is not written without an image address', () => {
    assert.equal(note.noteText({page: 'https://a.test/', frame: '', title: '', image: ''}), null);
  });
  await t.test('is not written when longer than Kelvo reads', () => {
    const image = 'data:image/png;base64,' + 'A'.repeat(note.MAX_NOTE_CHARS);
    assert.equal(note.noteText({page: 'https://a.test/', image}), null);
  });
});

test('the top-level page', async (t) => {
  const top = {location: {href: 'https://a.test/page'}, document: {title: 'A'}};
  await t.test('is the window itself at the top', () => {
    top.top = top;
    assert.deepEqual(note.visibleTopPage(top), {address: 'https://a.test/page', title: 'A'});
  });
  await t.test('is read through a same-origin parent', () => {
    const frame = {top, location: {href: 'https://a.test/frame'}, document: {title: 'F'}};
    assert.deepEqual(note.visibleTopPage(frame), {address: 'https://a.test/page', title: 'A'});
  });
  await t.test('is unknown in a cross-origin frame', () => {
    const guarded = {get location() { throw new Error('SecurityError'); }};
    assert.equal(note.visibleTopPage({top: guarded}), null);
  });
  await t.test('is what the background knows of the sender\'s tab', () => {
    assert.deepEqual(note.topPageOfSender({tab: {url: 'https://a.test/', title: 'A'}, url: 'https://b.test/'}),
                     {address: 'https://a.test/', title: 'A'});
    assert.equal(note.topPageOfSender({url: 'https://b.test/'}), null);
    assert.equal(note.topPageOfSender({tab: {id: 3}}), null);
  });
});
