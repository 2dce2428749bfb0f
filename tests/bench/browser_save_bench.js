#!/usr/bin/env node
// From the menu command to the log row, for a 5 MB JPEG: the companion's path
// as the extension takes it (the image fetched, turned to base64 by the
// extension's own code, the message serialised and sent over the port the
// extension keeps open to kelvo-browser-host, which captures it with no window
// running and answers once its row is written) against the same bytes fetched
// by curl and written to the destination. A host started for the one message,
// the extension's way while no port is open, is measured beside. Runs
// alternate; medians of each.
//
// Usage: browser_save_bench.js HOST_BINARY MAKE_JPEG CHROMIUM_ID [RUNS]
'use strict';
const {spawn, spawnSync} = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const save = require('../../browser-extension/save.js');

const [host, makeJpeg, chromiumId, runsText] = process.argv.slice(2);
const runs = Number(runsText || 9);
const origin = `chrome-extension://${chromiumId}/`;

function framed(message) {
  const body = Buffer.from(JSON.stringify(message));
  const head = Buffer.alloc(4);
  head.writeUInt32LE(body.length);
  return Buffer.concat([head, body]);
}

function firstMessage(bytes) {
  return JSON.parse(bytes.subarray(4, 4 + bytes.readUInt32LE(0)));
}

// As the extension sends a save: fetched, then base64 by its own code.
async function saveMessage(url, name) {
  const response = await fetch(url, {cache: 'no-store'});
  const bytes = new Uint8Array(await response.arrayBuffer());
  return framed({request: 'save', destination: '', page: url, image: url, name,
                 bytes: save.toBase64(bytes)});
}

function saved(answer) {
  if (answer.outcome !== 'saved')
    throw new Error(`the host did not save: ${JSON.stringify(answer)}`);
}

// The extension's open port: a host started once, told to watch.
class OpenPort {
  constructor(home) {
    this.process = spawn(host, ['--home', home, origin], {stdio: ['pipe', 'pipe', 'inherit']});
    this.pending = Buffer.alloc(0);
    this.waiting = [];
    this.process.stdout.on('data', (data) => this.take(data));
    this.process.stdin.write(framed({request: 'watch'}));
  }

  take(data) {
    this.pending = Buffer.concat([this.pending, data]);
    while (this.pending.length >= 4 && this.pending.length >= 4 + this.pending.readUInt32LE(0)) {
      const message = firstMessage(this.pending);
      this.pending = this.pending.subarray(4 + this.pending.readUInt32LE(0));
      if ('outcome' in message)
        this.waiting.shift()(message);
    }
  }

  // The whole time, and the host's share: from the message handed over.
  async save(url, run) {
    const start = performance.now();
    const message = await saveMessage(url, `port${run}.jpg`);
    const handed = performance.now();
    const answer = new Promise((resolve) => this.waiting.push(resolve));
    this.process.stdin.write(message);
    saved(await answer);
    const end = performance.now();
    return [end - start, end - handed];
  }

  close() {
    this.process.stdin.end();
    return new Promise((resolve) => this.process.on('close', resolve));
  }
}

async function throughStartedHost(home, url, run) {
  const start = performance.now();
  const message = await saveMessage(url, `menu${run}.jpg`);
  const done = spawnSync(host, ['--home', home, origin], {input: message});
  saved(firstMessage(done.stdout));
  return performance.now() - start;
}

function throughCurl(url, folder, run) {
  const start = performance.now();
  spawnSync('curl', ['-s', '-o', path.join(folder, `curl${run}.jpg`), url], {stdio: 'ignore'});
  return performance.now() - start;
}

// A server of its own, as a web site is: not sharing this process's turns.
function serve(folder) {
  const server = spawn('python3', ['-u', '-m', 'http.server', '--bind', '127.0.0.1', '0',
                                   '--directory', folder], {stdio: ['ignore', 'pipe', 'ignore']});
  return new Promise((resolve) => {
    server.stdout.on('data', (data) => {
      const port = /port (\d+)/.exec(String(data));
      if (port)
        resolve({server, port: port[1]});
    });
  });
}

const median = (times) => times.slice().sort((a, b) => a - b)[Math.floor(times.length / 2)];

async function main() {
  const work = fs.mkdtempSync(path.join(os.tmpdir(), 'kelvo-menu-bench-'));
  const [served, home, pictures] = ['served', 'home', 'pictures'].map((name) => {
    fs.mkdirSync(path.join(work, name));
    return path.join(work, name);
  });
  fs.writeFileSync(path.join(home, 'kelvo.ini'), `[Form]\r\nDefFolder=${pictures}/\r\n`);
  spawnSync(makeJpeg, ['4000', '3000', path.join(served, 'big.jpg')], {stdio: 'inherit'});
  const size = fs.statSync(path.join(served, 'big.jpg')).size;
  const {server, port: serverPort} = await serve(served);
  const url = `http://127.0.0.1:${serverPort}/big.jpg`;
  const port = new OpenPort(`${home}/`);
  const menu = [], hostPart = [], started = [], curl = [];
  try {
    for (let run = 0; run < runs; ++run) {
      const [whole, part] = await port.save(url, run);
      menu.push(whole);
      hostPart.push(part);
      started.push(await throughStartedHost(`${home}/`, url, run));
      curl.push(throughCurl(url, pictures, run));
    }
  } finally {
    await port.close();
    server.kill();
    fs.rmSync(work, {recursive: true, force: true});
  }
  const [m, h, s, c] = [menu, hostPart, started, curl].map(median);
  console.log(`image: ${(size / 1e6).toFixed(1)} MB`);
  console.log(`menu to log row, over the open port: ${m.toFixed(1)} ms (median of ${runs}), ` +
              `of which the browser's side ${(m - h).toFixed(1)} ms and Kelvo's host ${h.toFixed(1)} ms`);
  console.log(`menu to log row, a host started for it: ${s.toFixed(1)} ms (${(s / c).toFixed(2)}x curl)`);
  console.log(`curl to the destination: ${c.toFixed(1)} ms`);
  console.log(`menu/curl: ${(m / c).toFixed(2)}x the time (target: at most 1.5x, and under 1 s)`);
}

main().catch((e) => {
  console.error(e.message);
  process.exit(1);
});
