// The extension's privileged side. Chromium runs it as a service worker,
// Firefox as a script after note.js and save.js. It tells a content script in
// a cross-origin frame the page it lies in, and saves images to Kelvo from the
// context menu ("Kelvo に保存") and a key: the image is fetched as the
// browser's own "Save Image As" would (the page's cookies and referrer), and
// handed to Kelvo's native messaging host with the page's address, which only
// this side knows for certain: no page script can change it.
(function (scope) {
  'use strict';

  if (typeof scope.importScripts === 'function' && !scope.kelvoNote)
    scope.importScripts('note.js', 'save.js');
  const note = scope.kelvoNote;
  const save = scope.kelvoSave;
  const api = scope.browser || scope.chrome;
  const menus = api.menus || api.contextMenus;
  // Kelvo's destinations as its host last told them; null when it cannot be
  // reached, and the menu then says so.
  let destinations = null;
  let watch = null;
  // Whether the host at the port's end has answered: only then is it known
  // to run.
  let watchAnswered = false;
  // Saves sent over the open port wait here for their answers, which come in
  // the order the saves were sent.
  const waiting = [];
  let nextRule = 1;

  // The destinations come from Kelvo when watching starts and whenever its
  // list or current destination changes, over a port that stays open.
  function startWatching() {
    if (watch)
      return;
    try {
      watch = api.runtime.connectNative(save.HOST);
    } catch (e) {
      watch = null;
      return;
    }
    watch.onMessage.addListener((message) => {
      watchAnswered = true;
      if (message && Array.isArray(message.destinations))
        showDestinations(message.destinations);
      else if (message && 'outcome' in message && waiting.length)
        waiting.shift()(message);
    });
    watch.onDisconnect.addListener(() => {
      watch = null;
      watchAnswered = false;
      showDestinations(null);
      for (const answer of waiting.splice(0))
        answer(save.NO_ANSWER);
    });
    watch.postMessage({request: 'watch'});
  }

  function createMenu(id, properties) {
    return new Promise((resolve) => menus.create({id, ...properties}, resolve));
  }

  const PARENTS = [
    [save.MENU_IMAGE, {contexts: ['image']}],
    [save.MENU_LINK, {contexts: ['link'], targetUrlPatterns: save.IMAGE_LINKS}],
  ];

  // The two entries and, under each, one per destination. A new current
  // destination only moves the check, so a menu about to open keeps its
  // entries; another list builds them anew.
  async function showDestinations(list) {
    const names = (of) => JSON.stringify((of || []).map((d) => d.name));
    const sameNames = destinations && list && names(destinations) === names(list);
    destinations = list;
    if (sameNames) {
      for (const [id] of PARENTS) {
        for (const item of save.destinationItems(id, list))
          await menus.update(item.id, {checked: item.checked});
      }
      return;
    }
    await menus.removeAll();
    for (const [id, where] of PARENTS) {
      await createMenu(id, {title: save.MENU_TITLE, ...where});
      for (const item of save.destinationItems(id, list || []))
        await createMenu(item.id, {...item, contexts: where.contexts});
    }
  }

  // The Referer of "Save Image As", set on this request alone: a fetch from
  // here could not send it otherwise.
  async function fetchAsPage(image, page) {
    const id = nextRule++;
    const referer = save.referrerFor(page, image);
    if (referer) {
      await api.declarativeNetRequest.updateSessionRules({
        removeRuleIds: [id],
        addRules: [{
          id,
          priority: 1,
          action: {type: 'modifyHeaders',
                   requestHeaders: [{header: 'referer', operation: 'set', value: referer}]},
          condition: {urlFilter: '|' + image + '|', tabIds: [-1],
                      initiatorDomains: [new URL(api.runtime.getURL('')).host],
                      resourceTypes: ['xmlhttprequest']},
        }],
      });
    }
    try {
      const response = await fetch(image, {credentials: 'include', cache: 'no-store'});
      if (!response.ok)
        throw new Error(`${image}: ${response.status} ${response.statusText}`);
      return {
        bytes: new Uint8Array(await response.arrayBuffer()),
        type: response.headers.get('content-type'),
        name: save.fileNameFromDisposition(response.headers.get('content-disposition')),
      };
    } finally {
      if (referer)
        await api.declarativeNetRequest.updateSessionRules({removeRuleIds: [id]});
    }
  }

  // Over the open port when its host runs: the save then starts no process.
  function askKelvo(message) {
    if (!watch || !watchAnswered)
      return api.runtime.sendNativeMessage(save.HOST, message);
    return new Promise((resolve) => {
      waiting.push(resolve);
      watch.postMessage(message);
    });
  }

  function tell(answer, tabId) {
    const {badge, text} = save.outcomeText(answer);
    api.action.setBadgeText({text: badge, tabId}).catch(() => {});
    if (api.notifications)
      api.notifications.create({type: 'basic', iconUrl: 'icon-48.png', title: 'ケルボ',
                                message: text}).catch(() => {});
  }

  async function saveImage({image, page, destination, link}, tabId) {
    let fetched;
    try {
      fetched = await fetchAsPage(image, page);
    } catch (e) {
      tell({outcome: 'failed', text: `画像を取得できません: ${e.message}`}, tabId);
      return;
    }
    if (link && !save.isImageType(fetched.type)) {
      tell({outcome: 'failed', text: `${image} は画像ではありません。`}, tabId);
      return;
    }
    if (fetched.bytes.length > save.LARGEST_IMAGE) {
      tell({outcome: 'failed', text: `${image} は大きすぎてブラウザから渡せません` +
            `（${Math.floor(save.LARGEST_IMAGE / 1e6)} MB まで）。ドラッグで保存してください。`},
           tabId);
      return;
    }
    let answer = null;
    try {
      answer = await askKelvo({
        request: 'save', destination, page, image, name: fetched.name,
        bytes: save.toBase64(fetched.bytes),
      });
    } catch (e) {
      answer = null;
    }
    tell(answer, tabId);
    startWatching();
  }

  menus.onClicked.addListener((info, tab) => {
    const link = String(info.menuItemId).startsWith(save.MENU_LINK);
    saveImage({
      image: link ? info.linkUrl : info.srcUrl,
      page: info.pageUrl || (tab && tab.url) || '',
      destination: save.destinationOfItem(info.menuItemId, destinations),
      link,
    }, tab && tab.id);
  });

  // Firefox tells when its menu opens: the link's entry gives way to the
  // image's when the link holds one, and the list is asked for again.
  if (menus.onShown) {
    menus.onShown.addListener((info) => {
      startWatching();
      const both = info.contexts.includes('image') && info.contexts.includes('link');
      menus.update(save.MENU_LINK, {visible: !both}).then(() => menus.refresh());
    });
  }

  // The key saves the image under the pointer into the current destination.
  api.commands.onCommand.addListener(async (command, tab) => {
    if (command !== save.COMMAND)
      return;
    const active = tab || (await api.tabs.query({active: true, currentWindow: true}))[0];
    if (!active)
      return;
    let hovered;
    try {
      hovered = await api.tabs.sendMessage(active.id, {kind: save.ASK_HOVERED});
    } catch (e) {
      hovered = null;
    }
    if (!hovered || !hovered.image) {
      tell({outcome: 'failed', text: 'ポインタの下に画像がありません。'}, active.id);
      return;
    }
    saveImage({image: hovered.image, page: active.url, destination: '', link: false}, active.id);
  });

  api.runtime.onMessage.addListener((message, sender, sendResponse) => {
    if (message && message.kind === save.MENU_OPENING) {
      startWatching();
      return false;
    }
    if (!message || message.kind !== note.ASK_TOP_PAGE)
      return false;
    sendResponse(note.topPageOfSender(sender));
    return false;
  });

  api.runtime.onStartup.addListener(startWatching);
  api.runtime.onInstalled.addListener(() => showDestinations(destinations));
  startWatching();
})(globalThis);
