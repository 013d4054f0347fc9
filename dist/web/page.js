// The page around the game: starts it once the player has clicked or pressed a key (browsers
// start sound only then), keeps the canvas scaled to the window, offers full screen, records
// every run and downloads the recording, and offers another game after the quiet exit.
// ?replay=URL watches a recording; ?verify=URL verifies one and prints the answer in the console,
// as the desktop's --verify does. The player's files live in IndexedDB, mounted at /save.
'use strict';

const page = {
  stage: document.getElementById('stage'),
  start: document.getElementById('start'),
  startText: document.getElementById('start-text'),
  again: document.getElementById('again'),
  save: document.getElementById('save'),
  status: document.getElementById('status'),
};
const recordingPath = '/rec/run.skr';

// What the page's tests and the buttons read: the running module, how the last run ended, the
// lines it printed; onFrame(canvas, workMs), when set, sees every frame as it is drawn.
window.skarblit = { module: null, exitStatus: null, lines: [], onFrame: null };

function say(text) { page.status.textContent = text; }

// The canvas as large as the stage allows, keeping the game's aspect.
function fitCanvas() {
  const canvas = document.getElementById('canvas');
  const w = canvas.width, h = canvas.height;
  if (w > 0 && h > 0) {
    const scale = Math.min(page.stage.clientWidth / w, page.stage.clientHeight / h);
    const cssW = Math.max(1, Math.floor(w * scale)) + 'px', cssH = Math.max(1, Math.floor(h * scale)) + 'px';
    if (canvas.style.width !== cssW) canvas.style.setProperty('width', cssW, 'important');
    if (canvas.style.height !== cssH) canvas.style.setProperty('height', cssH, 'important');
  }
  requestAnimationFrame(fitCanvas);
}

function toggleFullscreen() {
  if (document.fullscreenElement) {
    document.exitFullscreen().catch(() => {});
  } else {
    page.stage.requestFullscreen().catch(() => say('The browser refused full screen.'));
  }
}

// The recording so far: whole when the run has ended, its finished blocks while it goes on.
function recordingBytes() {
  const m = window.skarblit.module;
  try {
    return m ? m.FS.readFile(recordingPath) : null;
  } catch (e) {
    return null;
  }
}

function saveRecording() {
  const bytes = recordingBytes();
  if (!bytes) return say('Nothing recorded yet.');
  const stamp = new Date().toISOString().replace(/[-:]/g, '').replace('T', '-').slice(0, 15);
  const link = document.createElement('a');
  link.href = URL.createObjectURL(new Blob([bytes], { type: 'application/octet-stream' }));
  link.download = 'skarblit-' + stamp + '.skr';
  link.click();
  setTimeout(() => URL.revokeObjectURL(link.href), 60000);
}

// A fresh canvas for every game: a new module must not inherit the last one's GL state.
function freshCanvas() {
  const old = document.getElementById('canvas');
  const canvas = old.cloneNode(false);
  canvas.width = 640;
  canvas.height = 480;
  old.replaceWith(canvas);
  canvas.addEventListener('contextmenu', (e) => e.preventDefault());
  return canvas;
}

// Mounts the player's files from IndexedDB before the game reads them.
function mountState(m) {
  m.FS.mkdir('/save');
  m.FS.mkdir('/rec');
  m.FS.mount(m.IDBFS, {}, '/save');
  m.addRunDependency('state');
  m.FS.syncfs(true, (error) => {
    if (error) console.warn('Skarblit: the stored state could not be read: ' + error);
    m.removeRunDependency('state');
  });
}

// Runs the program's main with these arguments. Its exit() ends the run by throwing, which is
// how a run ends and no error.
function start(m, args) {
  m.callMain(args);
  if (!m.ended) return;
  m.ended().catch((error) => {
    if (!error || error.name !== 'ExitStatus') console.error('Skarblit: ' + error);
  });
}

// Instantiates the program; `ended` gets the exit status.
function load(ended) {
  const canvas = freshCanvas();
  return Skarblit({
    canvas: canvas,
    print: (line) => { window.skarblit.lines.push(line); console.log(line); },
    printErr: (line) => console.warn(line),
    preRun: [mountState],
    onExit: (status) => { window.skarblit.exitStatus = status; ended(status); },
    onFrame: (workMs) => { if (window.skarblit.onFrame) window.skarblit.onFrame(canvas, workMs); },
  }).then((m) => { window.skarblit.module = m; return m; });
}

async function fetchRecording(url) {
  const answer = await fetch(url);
  if (!answer.ok) throw new Error(url + ': ' + answer.status + ' ' + answer.statusText);
  return new Uint8Array(await answer.arrayBuffer());
}

// Waits for the player's first click or key, the browser's condition for sound; once given, the
// page needs none again.
let gestured = false;
function firstGesture(text) {
  if (gestured) return Promise.resolve();
  page.startText.textContent = text;
  page.start.hidden = false;
  return new Promise((resolve) => {
    const go = (event) => {
      if (event.type === 'keydown' && event.key === 'F11') return;
      window.removeEventListener('keydown', go, true);
      page.start.removeEventListener('pointerdown', go);
      page.start.hidden = true;
      gestured = true;
      resolve();
    };
    window.addEventListener('keydown', go, true);
    page.start.addEventListener('pointerdown', go);
  });
}

async function play() {
  page.again.hidden = true;
  const m = await load(() => {
    page.again.hidden = false;
    document.getElementById('again-button').focus();
  });
  await firstGesture('Click or press a key to play');
  page.save.disabled = false;
  document.getElementById('canvas').focus();
  start(m, ['--record', recordingPath]);
}

async function watch(url) {
  const bytes = await fetchRecording(url);
  const m = await load((status) => say(status === 0 ? 'The replay ended.' : 'The replay stopped (' + status + ').'));
  m.FS.writeFile('/rec/watch.skr', bytes);
  await firstGesture('Click or press a key to watch the recording');
  start(m, ['--replay', '/rec/watch.skr']);
}

async function verify(url) {
  const bytes = await fetchRecording(url);
  page.startText.textContent = 'Verifying…';
  const m = await load((status) => {
    page.startText.textContent = status === 0 ? 'The recording verified.' : 'The recording did not verify.';
  });
  m.FS.writeFile('/rec/verify.skr', bytes);
  start(m, ['--verify', '/rec/verify.skr']);
}

window.addEventListener('keydown', (event) => {
  if (event.key === 'F11') {
    event.preventDefault();
    toggleFullscreen();
  }
}, true);
document.getElementById('fullscreen').addEventListener('click', toggleFullscreen);
page.save.addEventListener('click', saveRecording);
document.getElementById('again-button').addEventListener('click', () => play());
requestAnimationFrame(fitCanvas);

const query = new URLSearchParams(location.search);
const run = query.has('verify') ? verify(query.get('verify'))
          : query.has('replay') ? watch(query.get('replay'))
          : play();
run.catch((error) => {
  console.error('Skarblit: ' + error.message);
  page.startText.textContent = 'Skarblit could not start: ' + error.message;
  page.start.hidden = false;
});
