'use strict';
// What the companion sends Kelvo when it saves from the menu or the key.
const test = require('node:test');
const assert = require('node:assert/strict');
const save = require('../save.js');

test('the referrer is the one "Save Image As" sends', () => {
  const page = 'https://a.test/gallery/?p=2#top';
  assert.equal(save.referrerFor(page, 'https://a.test/img/1.jpg'), 'https://a.test/gallery/?p=2');
  assert.equal(save.referrerFor(page, 'https://cdn.test/1.jpg'), 'https://a.test/');
  assert.equal(save.referrerFor(page, 'http://a.test/1.jpg'), '', 'never from https down to http');
  assert.equal(save.referrerFor('about:blank', 'https://a.test/1.jpg'), '');
});

test('the server\'s file name is taken without folders, filename* first', () => {
  assert.equal(save.fileNameFromDisposition('attachment; filename="a \\"b\\".jpg"'), 'a "b".jpg');
  assert.equal(save.fileNameFromDisposition(
      'inline; filename=plain.jpg; filename*=UTF-8\'\'%E5%86%99%E7%9C%9F.jpg'), '写真.jpg');
  assert.equal(save.fileNameFromDisposition('attachment; filename="../../etc/x.png"'), 'x.png');
  assert.equal(save.fileNameFromDisposition(null), '');
  assert.equal(save.fileNameFromDisposition('inline'), '');
});

test('a menu entry stands for its destination, the parent for the current one', () => {
  const list = [{name: 'cats'}, {name: 'dogs', current: true}];
  assert.equal(save.destinationOfItem('kelvo-link:1', list), 'dogs');
  assert.equal(save.destinationOfItem('kelvo-image', list), '');
  assert.equal(save.destinationOfItem('kelvo-image:5', list), '');
});

test('bytes of any length, large ones whole, go to base64 as Node writes it', () => {
  for (const length of [0, 1, 2, 3, 4, 5, 100000]) {
    const bytes = Uint8Array.from({length}, (_, i) => (i * 37 + 200) % 256);
    assert.equal(save.toBase64(bytes), Buffer.from(bytes).toString('base64'), `${length} bytes`);
  }
});
