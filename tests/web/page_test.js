// The web build in a real browser: Debian's Chromium, headless, driven by puppeteer-core against
// build-web/ served from here. It plays as a player does (keys, the first-key card, reloads),
// probes the canvas's pixels as the desktop player test probes the window's, listens to the
// audio context, and crosses recordings between the page and the desktop's --verify.
// Run: node --test tests/web/   (after tools/web.sh and the desktop build; KX_DESKTOP names
// the desktop program, build/skarblit by default). KX_WEB_FIGURES=file writes the measures.
'use strict';
const { test, before, after } = require('node:test');
const assert = require('node:assert');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const http = require('node:http');
const { spawnSync } = require('node:child_process');
const zlib = require('node:zlib');
const puppeteer = require('puppeteer-core');

const root = path.resolve(__dirname, '..', '..');
const site = path.join(root, 'build-web');
const desktop = process.env.KX_DESKTOP || path.join(root, 'build', 'skarblit');
// Only a hang reaches these.
const kPatience = 180000;

let server, base, browser, userDir;
const figures = {};

// build-web/ at /, the recorded runs at /replays/, recordings handed to the page at /given/.
const given = new Map();
function serve(request, response) {
  const url = decodeURIComponent(new URL(request.url, 'http://x').pathname);
  let file = null;
  if (url.startsWith('/given/')) {
    const bytes = given.get(url);
    if (bytes) return response.writeHead(200).end(bytes);
  } else if (url.startsWith('/replays/')) {
    file = path.join(root, 'tests', 'replays', path.basename(url));
  } else {
    file = path.join(site, url === '/' ? 'index.html' : path.normalize(url));
  }
  if (!file || !file.startsWith(root) || !fs.existsSync(file) || fs.statSync(file).isDirectory()) {
    return response.writeHead(404).end();
  }
  const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm' };
  response.writeHead(200, { 'Content-Type': types[path.extname(file)] || 'application/octet-stream' });
  fs.createReadStream(file).pipe(response);
}

before(async () => {
  server = http.createServer(serve);
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  base = 'http://127.0.0.1:' + server.address().port + '/';
  userDir = fs.mkdtempSync(path.join(os.tmpdir(), 'skarblit-web-'));
  browser = await puppeteer.launch({
    executablePath: '/usr/bin/chromium',
    headless: true,
    userDataDir: userDir,
    protocolTimeout: kPatience,
    args: ['--no-sandbox', '--disable-gpu', '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
      '--disable-quic', '--no-first-run', '--disable-background-networking',
      '--disable-component-update', '--disable-sync', '--autoplay-policy=user-gesture-required',
      '--disable-background-timer-throttling', '--disable-renderer-backgrounding'],
  });
});

after(async () => {
  if (browser) await browser.close();
  if (server) server.close();
  fs.rmSync(userDir, { recursive: true, force: true });
  if (process.env.KX_WEB_FIGURES) fs.writeFileSync(process.env.KX_WEB_FIGURES, JSON.stringify(figures, null, 2) + '\n');
});

// A page of the game at 640x480 (the bar below it), its console kept.
async function open(query = '') {
  const page = await browser.newPage();
  page.setDefaultTimeout(kPatience);
  await page.setViewport({ width: 640, height: 524 });
  page.log = [];
  page.errors = [];
  page.on('console', (m) => { page.log.push(m.text()); if (m.type() === 'error') page.errors.push(m.text()); });
  page.on('pageerror', (e) => page.errors.push(String(e)));
  await page.goto(base + query);
  return page;
}

// The next frame the game draws, as RGB rows top down.
async function grab(page) {
  const shot = await page.evaluate(() => new Promise((resolve) => {
    window.skarblit.onFrame = (canvas) => {
      window.skarblit.onFrame = null;
      const copy = document.createElement('canvas');
      copy.width = canvas.width;
      copy.height = canvas.height;
      const g = copy.getContext('2d');
      g.drawImage(canvas, 0, 0);
      const rgba = g.getImageData(0, 0, copy.width, copy.height).data;
      let text = '';
      for (let i = 0; i < rgba.length; i += 0x8000) text += String.fromCharCode.apply(null, rgba.subarray(i, i + 0x8000));
      resolve({ w: copy.width, h: copy.height, data: btoa(text) });
    };
  }));
  const bytes = Buffer.from(shot.data, 'base64');
  return {
    w: shot.w,
    h: shot.h,
    at(x, y) {
      if (x < 0 || y < 0 || x >= shot.w || y >= shot.h) return { r: 0, g: 0, b: 0 };
      const i = (y * shot.w + x) * 4;
      return { r: bytes[i], g: bytes[i + 1], b: bytes[i + 2] };
    },
    count(x, y, w, h, test) {
      let n = 0;
      for (let j = y; j < y + h; j++) for (let i = x; i < x + w; i++) n += test(this.at(i, j)) ? 1 : 0;
      return n;
    },
  };
}

// The desktop player test's probes, at the same places of the 640x480 picture.
const greenish = (c) => c.g > c.r + 40 && c.g > c.b + 40;
const menuShown = (s) => s.count(550, 417, 30, 30, greenish) > 600;
const playShown = (s) => {
  const corner = s.at(5, 470);
  return corner.r < 40 && corner.g < 40 && corner.b < 40 && greenish(s.at(225, 36)) && !menuShown(s);
};

async function waitScreen(page, probe) {
  const deadline = Date.now() + kPatience;
  while (Date.now() < deadline) if (probe(await grab(page))) return true;
  return false;
}

async function waitFrames(page, n) {
  for (let i = 0; i < n; i++) await grab(page);
}

// A press the game sees: held over several of its frames, then let go as many.
async function press(page, key) {
  await page.keyboard.down(key);
  await waitFrames(page, 4);
  await page.keyboard.up(key);
  await waitFrames(page, 4);
}

// The page's first key starts the game; then the menu shows.
async function startToMenu(query = '') {
  const page = await open(query);
  await page.waitForFunction(() => window.skarblit.module !== null);
  await page.keyboard.press('Shift');
  assert.ok(await waitScreen(page, menuShown), 'the main menu shows');
  return page;
}

async function stateFile(page) {
  return page.evaluate(() => {
    try { return new TextDecoder().decode(window.skarblit.module.FS.readFile('/save/.vantorstate')); } catch (e) { return null; }
  });
}

test('the page loads cleanly, the first key brings the menu, sound and a Normal game', async () => {
  const page = await open();
  await page.waitForFunction(() => window.skarblit.module !== null, { polling: 'raf' });
  // From the page's start to the program loaded with its data, then from the key to the menu.
  figures.loadedMs = Math.round(await page.evaluate(() => performance.now()));
  const pressed = Date.now();
  assert.strictEqual(await page.evaluate(() => window.skarblit.module.audioState), undefined, 'nothing runs before the first key');
  await page.keyboard.press('Shift');
  // The logo jingle starts with the loading screen, before the menu.
  await page.waitForFunction(() => {
    const sound = window.skarblit.module.audioState();
    return sound.context === 'running' && sound.playing >= 1;
  }, { polling: 'raf' });
  assert.ok(await waitScreen(page, menuShown), 'the main menu shows');
  figures.keyToMenuMs = Date.now() - pressed;
  await press(page, 'Enter');
  assert.ok(await waitScreen(page, playShown), 'a Normal game with its health bar');
  // The swarm has grown by the sixth second; the next five seconds of frames are timed, with the
  // craft steering round so that it lives through them.
  await page.keyboard.down('ArrowLeft');
  const work = await page.evaluate((frames) => new Promise((resolve) => {
    const times = [];
    const startedAt = performance.now();
    window.skarblit.onFrame = (canvas, ms) => {
      if (performance.now() - startedAt > 6000) times.push(ms);
      if (times.length === frames) { window.skarblit.onFrame = null; resolve(times); }
    };
  }), 300);
  await page.keyboard.up('ArrowLeft');
  work.sort((a, b) => a - b);
  figures.medianFrameWorkMs = work[work.length >> 1];
  figures.p95FrameWorkMs = work[Math.floor(work.length * 0.95)];
  assert.deepStrictEqual(page.errors, []);
  await page.close();
});

test('opening and closing the options box saves, and the settings survive a reload', async () => {
  const page = await startToMenu();
  const before = await stateFile(page);
  // Left to the options, open them, down to iCade, switch it, up to Back, close.
  for (const key of ['ArrowLeft', 'Enter', 'ArrowDown', 'ArrowDown', 'Enter', 'ArrowUp', 'ArrowUp', 'Enter']) {
    await press(page, key);
  }
  await page.waitForFunction((old) => {
    try { return new TextDecoder().decode(window.skarblit.module.FS.readFile('/save/.vantorstate')) !== old; } catch (e) { return false; }
  }, {}, before);
  const saved = await stateFile(page);
  // The copy in IndexedDB is what a reload reads.
  await page.waitForFunction(() => window.indexedDB !== undefined);
  await waitFrames(page, 30);
  await page.reload();
  page.log.length = 0;
  await page.waitForFunction(() => window.skarblit.module !== null);
  await page.keyboard.press('Shift');
  assert.ok(await waitScreen(page, menuShown));
  assert.ok(page.log.includes('Settings Loaded'), page.log.join('\n'));
  assert.strictEqual(await stateFile(page), saved);
  assert.deepStrictEqual(page.errors, []);
  await page.close();
});

test('a run recorded in the page verifies on the desktop', async () => {
  const page = await startToMenu();
  await press(page, 'Enter');
  assert.ok(await waitScreen(page, playShown));
  for (const key of ['ArrowLeft', 'ArrowUp', 'Space', 'ArrowRight']) await press(page, key);
  // The quiet exit; the page offers another game.
  await page.keyboard.press('F4');
  await page.waitForFunction(() => window.skarblit.exitStatus !== null);
  assert.strictEqual(await page.evaluate(() => document.getElementById('again').hidden), false);
  assert.deepStrictEqual(page.errors, [], 'the quiet exit is no error');
  const bytes = Buffer.from(await page.evaluate(() => btoa(String.fromCharCode.apply(null, window.skarblit.module.FS.readFile('/rec/run.skr')))), 'base64');
  const file = path.join(userDir, 'page-run.skr');
  fs.writeFileSync(file, bytes);
  const verified = spawnSync(desktop, ['--verify', file], { cwd: root, encoding: 'utf8' });
  assert.strictEqual(verified.status, 0, verified.stdout + verified.stderr);
  assert.match(verified.stdout, /^replay matched/m);
  figures.pageRecordingBytes = bytes.length;
  await page.close();
});

for (const name of fs.readdirSync(path.join(root, 'tests', 'replays')).filter((f) => f.endsWith('.skr')).sort()) {
  test('the desktop recording ' + name + ' verifies in the page with the desktop\'s answer', async () => {
    const page = await open('?verify=replays/' + name);
    await page.waitForFunction(() => window.skarblit.exitStatus !== null);
    const answer = await page.evaluate(() => window.skarblit.lines);
    const desktopRun = spawnSync(desktop, ['--verify', path.join('tests', 'replays', name)], { cwd: root, encoding: 'utf8' });
    assert.strictEqual(await page.evaluate(() => window.skarblit.exitStatus), 0, answer.join('\n'));
    assert.ok(answer.some((line) => /^replay matched: \d+ updates, the same final state$/.test(line)), answer.join('\n'));
    assert.strictEqual(answer.join('\n') + '\n', desktopRun.stdout);
    assert.deepStrictEqual(page.errors, []);
    await page.close();
  });
}

test('the download is measured as a web server sends it', () => {
  let raw = 0, sent = 0;
  for (const name of ['index.html', 'page.js', 'skarblit.js', 'skarblit.wasm', 'skarblit.data']) {
    const bytes = fs.readFileSync(path.join(site, name));
    raw += bytes.length;
    sent += zlib.gzipSync(bytes, { level: 6 }).length;
  }
  figures.downloadBytes = raw;
  figures.downloadGzipBytes = sent;
  assert.ok(sent < raw);
});
