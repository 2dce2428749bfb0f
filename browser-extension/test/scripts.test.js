'use strict';
// The content script and the background as the browser runs them: loaded in
// a context of their own, with a fake window and extension API.
const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const vm = require('node:vm');

const root = path.join(__dirname, '..');
const source = (name) => fs.readFileSync(path.join(root, name), 'utf8');
const manifest = JSON.parse(source('manifest.json'));

function load(context, files) {
  vm.createContext(context);
  for (const file of files)
    vm.runInContext(source(file), context, {filename: file});
  return context;
}

// A window with listeners, and a runtime whose answers the test sets.
function fakeFrame({href, title, top, answer}) {
  const listeners = {};
  const sent = [];
  const frame = {
    location: {href},
    document: {title, elementsFromPoint: () => []},
    addEventListener: (type, listener, capture) => {
      listeners[type] = {listener, capture};
    },
    chrome: {
      runtime: {
        sendMessage: (message) => {
          sent.push(message);
          return Promise.resolve(answer);
        },
      },
    },
  };
  frame.top = top || frame;
  return {frame, listeners, sent};
}

function dragStart(listeners, target) {
  const data = {};
  listeners.dragstart.listener({isTrusted: true, target, clientX: 5, clientY: 5,
                                dataTransfer: {setData: (type, value) => { data[type] = value; }}});
  return data;
}

const image = {tagName: 'IMG', currentSrc: 'http://127.0.0.1:8000/sunrise.jpg'};

test('the content script', async (t) => {
  const contentFiles = manifest.content_scripts[0].js;

  await t.test('notes the page of a top-level drag, capturing at the window', () => {
    const {frame, listeners, sent} = fakeFrame({href: 'http://127.0.0.1:8000/', title: 'Top'});
    load(frame, contentFiles);
    assert.equal(listeners.dragstart.capture, true);
    const data = dragStart(listeners, image);
    const written = JSON.parse(data['application/x-kelvo-source']);
    assert.equal(written.page, 'http://127.0.0.1:8000/');
    assert.equal(written.frame, 'http://127.0.0.1:8000/');
    assert.equal(written.image, image.currentSrc);
    assert.equal(sent.length, 0, 'a top-level page needs no background');
  });

  await t.test('in a cross-origin frame, notes the page the background told', async () => {
    const guarded = {get location() { throw new Error('SecurityError'); }};
    const {frame, listeners, sent} = fakeFrame({
      href: 'http://localhost:8000/framed.html', title: 'Frame', top: guarded,
      answer: {address: 'http://127.0.0.1:8000/frame.html', title: 'Top'}});
    load(frame, contentFiles);
    await new Promise(setImmediate);
    assert.equal(sent.length, 1);
    const written = JSON.parse(dragStart(listeners, image)['application/x-kelvo-source']);
    assert.equal(written.page, 'http://127.0.0.1:8000/frame.html');
    assert.equal(written.frame, 'http://localhost:8000/framed.html');
    listeners.pointerdown.listener({});
    assert.equal(sent.length, 2, 'asks again before each drag');
  });

  await t.test('leaves drags of anything but an image alone, and synthetic ones', () => {
    const {frame, listeners} = fakeFrame({href: 'http://127.0.0.1:8000/', title: 'Top'});
    load(frame, contentFiles);
    assert.deepEqual(dragStart(listeners, {tagName: 'P', contains: () => false}), {});
    const data = {};
    listeners.dragstart.listener({isTrusted: false, target: image,
                                  dataTransfer: {setData: (k, v) => { data[k] = v; }}});
    assert.deepEqual(data, {});
  });
});

test('the background answers a frame with its tab\'s page, and nothing else', () => {
  let listener;
  const context = load({chrome: {runtime: {onMessage: {addListener: (l) => { listener = l; }}}}},
                       manifest.background.scripts);
  const answers = [];
  const tab = {url: 'https://a.test/page', title: 'A'};
  listener({kind: 'kelvo-top-page'}, {tab, url: 'https://b.test/frame'}, (a) => answers.push(a));
  listener({kind: 'other'}, {tab}, (a) => answers.push(a));
  assert.deepEqual(JSON.parse(JSON.stringify(answers)), [{address: 'https://a.test/page', title: 'A'}]);
  assert.ok(context.kelvoNote);
});

test('the manifest', async (t) => {
  await t.test('serves Chromium and Firefox from one tree', () => {
    assert.equal(manifest.manifest_version, 3);
    assert.equal(manifest.background.service_worker, 'background.js');
    assert.ok(manifest.background.scripts.includes('background.js'));
    assert.match(manifest.browser_specific_settings.gecko.id, /^[\w.-]+@[\w.-]+$/);
    for (const file of [...manifest.content_scripts[0].js, ...manifest.background.scripts])
      assert.ok(fs.existsSync(path.join(root, file)), file);
  });
  await t.test('declares no API or host permission beyond its content script', () => {
    assert.equal(manifest.permissions, undefined);
    assert.equal(manifest.host_permissions, undefined);
    assert.equal(manifest.optional_permissions, undefined);
  });
  await t.test('carries Kelvo\'s version', () => {
    const cmake = fs.readFileSync(path.join(root, '..', 'CMakeLists.txt'), 'utf8');
    assert.equal(manifest.version, cmake.match(/project\(kelvo VERSION ([\d.]+)/)[1]);
  });
});
