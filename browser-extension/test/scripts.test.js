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
        onMessage: {addListener: (listener) => { listeners.message = {listener}; }},
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

  await t.test('tells the background the image under the user\'s own pointer', () => {
    const {frame, listeners} = fakeFrame({href: 'http://127.0.0.1:8000/', title: 'Top'});
    load(frame, contentFiles);
    const hovered = () => {
      let answer;
      listeners.message.listener({kind: 'kelvo-hovered'}, {}, (a) => { answer = a; });
      return answer;
    };
    const inLink = {...image, closest: () => image};
    listeners.pointerover.listener({isTrusted: false, target: inLink});
    assert.equal(hovered(), undefined, 'a page\'s own event is not believed');
    listeners.pointerover.listener({isTrusted: true, target: inLink});
    assert.equal(hovered().image, image.currentSrc);
    listeners.pointerout.listener({isTrusted: true, relatedTarget: null});
    assert.equal(hovered(), undefined);
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

// The extension API as the background meets it: every call recorded, the
// answers the test sets.
function fakeBrowser({served, nativeAnswer, hovered} = {}) {
  const listeners = {};
  const calls = {connected: [], native: [], rules: [], notices: [], menus: [], fetched: [], posted: []};
  const on = (name) => ({addListener: (l) => { listeners[name] = l; }});
  const port = {onMessage: on('port'), onDisconnect: on('disconnect'),
                postMessage: (m) => calls.posted.push(m)};
  const chrome = {
    runtime: {
      onMessage: on('message'), onStartup: on('startup'), onInstalled: on('installed'),
      connectNative: (host) => { calls.connected.push(host); return port; },
      sendNativeMessage: (host, message) => {
        calls.native.push({host, message});
        return nativeAnswer === undefined ? Promise.reject(new Error('no host'))
                                          : Promise.resolve(nativeAnswer);
      },
      getURL: () => 'chrome-extension://cmnlkdpmlkcogdbmmiigknhkolcnblhj/',
    },
    contextMenus: {
      create: (properties, done) => { calls.menus.push(properties); done(); },
      removeAll: () => { calls.menus.length = 0; return Promise.resolve(); },
      update: (id, properties) => {
        Object.assign(calls.menus.find((m) => m.id === id), properties);
        return Promise.resolve();
      },
      onClicked: on('clicked'),
    },
    commands: {onCommand: on('command')},
    tabs: {sendMessage: () => Promise.resolve(hovered)},
    declarativeNetRequest: {updateSessionRules: (r) => { calls.rules.push(r); return Promise.resolve(); }},
    action: {setBadgeText: () => Promise.resolve()},
    notifications: {create: (n) => { calls.notices.push(n.message); return Promise.resolve(); }},
  };
  const fetch = (url, init) => {
    calls.fetched.push({url, init});
    return Promise.resolve({
      ok: true, status: 200,
      headers: {get: (name) => ({'content-type': served.type,
                                 'content-disposition': served.disposition})[name] || null},
      arrayBuffer: () => Promise.resolve(Uint8Array.from(served.bytes).buffer),
    });
  };
  const context = load({chrome, fetch, TextDecoder, URL}, manifest.background.scripts);
  const settle = () => new Promise(setImmediate);
  return {context, listeners, calls, settle};
}

const jpeg = {type: 'image/jpeg', bytes: [0xff, 0xd8, 0xff, 0xd9]};
const kelvoAnswer = {outcome: 'saved', path: '/pics/dogs/sunrise.jpg', text: 'を保存しました。'};

test('the background', async (t) => {
  await t.test('answers a frame with its tab\'s page, and nothing else', () => {
    const {listeners} = fakeBrowser();
    const answers = [];
    const tab = {url: 'https://a.test/page', title: 'A'};
    listeners.message({kind: 'kelvo-top-page'}, {tab, url: 'https://b.test/frame'},
                      (a) => answers.push(a));
    listeners.message({kind: 'other'}, {tab}, (a) => answers.push(a));
    assert.deepEqual(JSON.parse(JSON.stringify(answers)),
                     [{address: 'https://a.test/page', title: 'A'}]);
  });

  await t.test('lists Kelvo\'s destinations under each entry, and none when Kelvo is gone', async () => {
    const {listeners, calls, settle} = fakeBrowser();
    assert.deepEqual(JSON.parse(JSON.stringify(calls.posted)), [{request: 'watch'}]);
    listeners.port({destinations: [{name: 'cats', current: false}, {name: 'dogs', current: true}]});
    await settle();
    const children = calls.menus.filter((m) => m.parentId === 'kelvo-image');
    assert.deepEqual(children.map((m) => [m.title, m.checked]), [['cats', false], ['dogs', true]]);
    assert.ok(calls.menus.find((m) => m.id === 'kelvo-link').targetUrlPatterns.length > 0);
    // Another current destination moves the check and leaves the entries.
    const entries = calls.menus.slice();
    listeners.port({destinations: [{name: 'cats', current: true}, {name: 'dogs', current: false}]});
    await settle();
    assert.ok(calls.menus.length === entries.length && calls.menus.every((m, i) => m === entries[i]));
    assert.equal(calls.menus.find((m) => m.id === 'kelvo-image:0').checked, true);
    listeners.disconnect();
    await settle();
    assert.deepEqual(calls.menus.map((m) => m.id), ['kelvo-image', 'kelvo-link']);
  });

  await t.test('saves the clicked image, fetched as the page, with the page the browser names',
               async () => {
    const {listeners, calls, settle} = fakeBrowser({served: jpeg, nativeAnswer: kelvoAnswer});
    listeners.port({destinations: [{name: 'cats'}, {name: 'dogs', current: true}]});
    await settle();
    listeners.clicked({menuItemId: 'kelvo-image:0', srcUrl: 'https://a.test/img/sunrise.jpg',
                       pageUrl: 'https://a.test/gallery#top'},
                      {id: 7, url: 'https://a.test/gallery#top'});
    await settle();
    await settle();
    assert.equal(calls.fetched[0].init.credentials, 'include');
    const header = calls.rules[0].addRules[0].action.requestHeaders[0];
    assert.deepEqual([header.header, header.value], ['referer', 'https://a.test/gallery']);
    assert.deepEqual(calls.rules[1].removeRuleIds, calls.rules[0].removeRuleIds);
    // The host at the open port answers, so the save goes over it.
    const sent = calls.posted[1];
    assert.deepEqual([sent.request, sent.destination, sent.page, sent.bytes],
                     ['save', 'cats', 'https://a.test/gallery#top', '/9j/2Q==']);
    assert.equal(calls.native.length, 0);
    listeners.port(kelvoAnswer);
    await settle();
    assert.equal(calls.notices[0], '/pics/dogs/sunrise.jpg を保存しました。');
  });

  await t.test('says a save\'s fate is unknown when the port closes before its answer',
               async () => {
    const {listeners, calls, settle} = fakeBrowser({served: jpeg});
    listeners.port({destinations: []});
    listeners.clicked({menuItemId: 'kelvo-image', srcUrl: 'https://a.test/x.jpg',
                       pageUrl: 'https://a.test/'}, {id: 1});
    await settle();
    await settle();
    listeners.disconnect();
    await settle();
    assert.match(calls.notices[0], /途切れました.*履歴/);
  });

  await t.test('reaches the host by the name Kelvo registers it under', async () => {
    const {listeners, calls, settle} = fakeBrowser({served: jpeg, nativeAnswer: kelvoAnswer});
    listeners.clicked({menuItemId: 'kelvo-image', srcUrl: 'https://a.test/x.jpg',
                       pageUrl: 'https://a.test/'}, {id: 1});
    await settle();
    await settle();
    const cmake = fs.readFileSync(path.join(root, '..', 'CMakeLists.txt'), 'utf8');
    const registered = cmake.match(/set\(KELVO_BROWSER_HOST_NAME ([^)]+)\)/)[1];
    assert.deepEqual([calls.connected[0], calls.native[0].host], [registered, registered]);
  });

  await t.test('saves nothing from a link whose target is no image', async () => {
    const {listeners, calls, settle} = fakeBrowser({served: {type: 'text/html', bytes: [60]},
                                                    nativeAnswer: kelvoAnswer});
    listeners.clicked({menuItemId: 'kelvo-link', linkUrl: 'https://a.test/p.jpg',
                       pageUrl: 'https://a.test/'}, {id: 1});
    await settle();
    await settle();
    assert.equal(calls.native.length, 0);
    assert.match(calls.notices[0], /画像ではありません/);
  });

  await t.test('says an image is too large for the browser to hand over, and sends nothing',
               async () => {
    const {context, listeners, calls, settle} = fakeBrowser({served: jpeg, nativeAnswer: kelvoAnswer});
    context.kelvoSave.LARGEST_IMAGE = 3; // the served image has 4 bytes
    listeners.clicked({menuItemId: 'kelvo-image', srcUrl: 'https://a.test/x.jpg',
                       pageUrl: 'https://a.test/'}, {id: 1});
    await settle();
    await settle();
    assert.equal(calls.native.length, 0);
    assert.match(calls.notices[0], /大きすぎ/);
  });

  await t.test('the key saves the image under the pointer, and says when there is none',
               async () => {
    const saving = fakeBrowser({served: jpeg, nativeAnswer: kelvoAnswer,
                                hovered: {image: 'https://a.test/b.jpg'}});
    await saving.listeners.command('save-image', {id: 2, url: 'https://a.test/page'});
    await saving.settle();
    await saving.settle();
    assert.deepEqual([saving.calls.native[0].message.destination,
                      saving.calls.native[0].message.page], ['', 'https://a.test/page']);
    const nothing = fakeBrowser({served: jpeg, nativeAnswer: kelvoAnswer});
    await nothing.listeners.command('save-image', {id: 2, url: 'https://a.test/page'});
    assert.equal(nothing.calls.native.length, 0);
    assert.match(nothing.calls.notices[0], /ポインタの下に画像がありません/);
  });

  await t.test('says where Kelvo cannot be reached that dragging still works', async () => {
    const {listeners, calls, settle} = fakeBrowser({served: jpeg});
    listeners.clicked({menuItemId: 'kelvo-image', srcUrl: 'https://a.test/x.jpg',
                       pageUrl: 'https://a.test/'}, {id: 1});
    await settle();
    await settle();
    assert.match(calls.notices[0], /接続できません.*ドラッグ/);
  });
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
  await t.test('asks for no power beyond fetching and handing over the image', () => {
    for (const power of ['tabs', 'cookies', 'downloads', 'history', 'scripting', 'webRequest',
                         'declarativeNetRequest', '<all_urls>'])
      assert.ok(![...manifest.permissions, ...manifest.host_permissions].includes(power), power);
  });
  await t.test('has the id the browser host answers, fixed by its key', () => {
    const der = Buffer.from(manifest.key, 'base64');
    const hex = require('node:crypto').createHash('sha256').update(der).digest('hex');
    const id = [...hex.slice(0, 32)].map((c) => String.fromCharCode(97 + parseInt(c, 16))).join('');
    const cmake = fs.readFileSync(path.join(root, '..', 'CMakeLists.txt'), 'utf8');
    assert.equal(id, cmake.match(/set\(KELVO_CHROMIUM_COMPANION_ID (\w+)\)/)[1]);
  });
  await t.test('carries Kelvo\'s version', () => {
    const cmake = fs.readFileSync(path.join(root, '..', 'CMakeLists.txt'), 'utf8');
    assert.equal(manifest.version, cmake.match(/project\(kelvo VERSION ([\d.]+)/)[1]);
  });
});
