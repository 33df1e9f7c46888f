// SPDX-License-Identifier: MIT
// The page: the engine from the address, the picture and its timeline, the form, the views,
// the analysis, the baseline, the link and the downloads.
import { loadEngine } from './engine.js';
import { Picture, fittingScale } from './picture.js';
import { EngineForm } from './form.js';
import { ViewPanel } from './views.js';
import { readLink, linkQuery, lastStep } from './link.js';
import { save, pngDeflate } from './downloads.js';

const stepsPerDegree = 50;
const $ = (selector) => document.querySelector(selector);
const nameOf = (setting) => setting.slice(0, setting.indexOf('='));

// What tests and measurements read: when the first picture was shown (since the page was asked
// for), how long each change took.
const timings = { engineLoaded: null, firstPicture: null, changes: [] };

const engine = await loadEngine();
timings.engineLoaded = performance.now();
const registry = engine.registry();
const link = readLink(location.search);
let held = link.step !== null;

function ratio() {
  return window.devicePixelRatio || 1;
}
function pictureScale() {
  const room = $('.stage').parentElement.clientWidth;
  return fittingScale(Math.min(room, window.innerWidth * 0.5), window.innerHeight - 90, ratio());
}

let state = engine.engine(link.settings, pictureScale());
const messages = [];
if (link.stepProblem) messages.push(link.stepProblem);
for (const refusal of state.refused) messages.push(`Not applied: ${refusal.message}`);
messages.push(...state.notices);
$('#messages').textContent = messages.join('\n');

let lastCursor = 0;
const panels = [
  new ViewPanel($('#view-a'), engine, registry.views, 'pressure-angle'),
  new ViewPanel($('#view-b'), engine, registry.views, 'log-pv'),
];

const picture = new Picture(engine, $('.frame'), (step) => {
  const pictureState = engine.state();
  if (timings.firstPicture === null && pictureState !== 'background') {
    timings.firstPicture = performance.now();
  }
  // The timeline and the views' cursor: at once while held, a few times a second while the
  // sweep runs (each costs the page a layout or a chart's copy).
  const now = performance.now();
  if (pictureState !== 'sweeping' || now - lastCursor > 250) {
    lastCursor = now;
    $('#timeline').value = Math.max(step, 0);
    $('#step-shown').textContent = `step ${Math.max(step, 0)}`;
    $('#play').textContent = pictureState === 'sweeping' ? 'Hold' : 'Play';
    for (const panel of panels) panel.setCursor(-180 + Math.max(step, 0) / stepsPerDegree);
  }
});

const form = new EngineForm($('.engine-form'), registry, change, switchModel);

// The address follows the engine, now and then (browsers refuse a flood of replacements).
let linkTimer = 0;
function updateLink() {
  clearTimeout(linkTimer);
  linkTimer = setTimeout(() => {
    const query = linkQuery(state.link, held ? Math.max(engine.step(), 0) : null);
    history.replaceState(null, '', `${location.pathname}${query}`);
  }, 300);
}

function showAnalysis() {
  $('#summary').textContent = engine.summary();
  $('#off-picture').textContent = engine.offPicture();
}

function showEngine(edited) {
  form.show(state, edited);
  picture.show();
  for (const panel of panels) panel.refresh();
  showAnalysis();
  updateLink();
}

// A value typed or slid: the engine with it last, so that it is the one refused if it cannot
// count.
function change(name, text) {
  const started = performance.now();
  const others = state.link.filter((s) => nameOf(s) !== name && nameOf(s) !== 'model');
  state = engine.engine([`model=${state.model}`, ...others, `${name}=${text}`], picture.scale);
  showEngine(name);
  timings.changes.push(performance.now() - started);
}

// Another model: the parameters both models read keep their values.
function switchModel(model) {
  const shared = new Set(registry.parameters
    .filter((p) => p.models.includes(model) && p.models.includes(state.model)).map((p) => p.name));
  const kept = state.link.filter((s) => shared.has(nameOf(s)));
  state = engine.engine([`model=${model}`, ...kept], picture.scale);
  form.build(state.model);
  showEngine(null);
}

// The picture first; the form, the views and the analysis once its first frame is out.
picture.setScale(pictureScale(), ratio());
if (held) {
  picture.holdAt(link.step);
} else {
  picture.run();
}
picture.canvas.focus();
await new Promise((resolve) => requestAnimationFrame(() => setTimeout(resolve, 0)));
form.build(state.model);
form.show(state, null);
for (const panel of panels) panel.refresh();
showAnalysis();

// The timeline.
function holdAt(step) {
  held = true;
  picture.holdAt(Math.min(lastStep, Math.max(0, step)));
  updateLink();
}
$('#timeline').addEventListener('input', (event) => holdAt(Number(event.target.value)));
$('#timeline').addEventListener('keydown', (event) => {
  const step = Math.max(engine.step(), 0);
  const to = { PageDown: step + stepsPerDegree, PageUp: step - stepsPerDegree, Home: 0,
               End: lastStep }[event.key];
  if (to === undefined) return;
  event.preventDefault();
  holdAt(to);
});
const moves = {
  '#first': () => 0, '#back-degree': (s) => s - stepsPerDegree, '#back-step': (s) => s - 1,
  '#next-step': (s) => s + 1, '#next-degree': (s) => s + stepsPerDegree, '#last': () => lastStep,
};
for (const [button, to] of Object.entries(moves)) {
  $(button).addEventListener('click', () => holdAt(to(Math.max(engine.step(), 0))));
}
$('#play').addEventListener('click', () => {
  if (engine.state() === 'sweeping') {
    holdAt(Math.max(engine.step(), 0));
  } else {
    held = false;
    picture.play();
    updateLink();
  }
});

$('#original').addEventListener('click', () => {
  state = engine.engine([], picture.scale);
  form.build(state.model);
  showEngine(null);
});
$('#pin').addEventListener('click', () => {
  const pin = $('#pin').textContent.startsWith('Pin');
  engine.pinBaseline(pin);
  $('#pin').textContent = pin ? 'Unpin baseline' : 'Pin as baseline';
  for (const panel of panels) panel.refresh();
  showAnalysis();
});
$('#copy-link').addEventListener('click', async () => {
  const url = `${location.origin}${location.pathname}${linkQuery(state.link, held ? Math.max(engine.step(), 0) : null)}`;
  try {
    await navigator.clipboard.writeText(url);
    $('#messages').textContent = 'The link is copied.';
  } catch {
    const field = $('#link-text');  // no clipboard here: the link to copy by hand
    field.hidden = false;
    field.value = url;
    field.select();
  }
});

$('#save-csv').addEventListener('click', () => save('cycle.csv', engine.csv(), 'text/csv'));
$('#save-summary').addEventListener('click', () => save('summary.txt', engine.summary(), 'text/plain'));
$('#save-toml').addEventListener('click', () => save('engine.toml', engine.parameterFile(), 'application/toml'));
$('#save-png').addEventListener('click', async () => {
  const step = Math.max(engine.step(), 0);
  const file = engine.png(step, await pngDeflate());
  save(`cycle-step-${step}.png`, file, 'image/png');
});

let resizeTimer = 0;
window.addEventListener('resize', () => {
  clearTimeout(resizeTimer);
  resizeTimer = setTimeout(() => {
    picture.setScale(pictureScale(), ratio());
    for (const panel of panels) panel.draw();
  }, 150);
});

// The deflate package for a saved PNG, fetched once the page is up: offline later, saving works.
setTimeout(() => pngDeflate().catch(() => {}), 1000);

window.hcci = { engine, picture, panels, form, timings, registry, state: () => state, change, holdAt };
document.documentElement.dataset.ready = 'true';
