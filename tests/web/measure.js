// The browser figures beside the native ones of the same machine, in one run (no pass or
// fail: numbers for the record). Medians, and shares of one 60 Hz refresh (16.7 ms).
//   [KESTAL_BROWSER=chromium|firefox|webkit] node tests/web/measure.js WEB_BUILD NATIVE_BUILD
//                                                                     [--retraces]
// With --retraces: every kind of retrace the game has, natively, in Node.js and in the
// browser at normal speed and, in Chromium, under 4x CPU throttling (the DevTools protocol's
// model of a mid-range phone), each one's median and worst against 16.7 ms (60 Hz) and 8.3 ms
// (120 Hz); then the same without pictures (as the hall of fame verifies a game), and whole
// games (the whole-game recording) in retraces a second, with pictures and without.
'use strict';

const {execFileSync} = require('node:child_process');
const fs = require('node:fs');
const path = require('node:path');
const h = require('./harness');

const REFRESH_MS = 1000 / 60;
const FAST_REFRESH_MS = 1000 / 120;
const TO_MS = {ns: 1e-6, us: 1e-3, ms: 1, s: 1000};  // Google Benchmark's time units
const retraceMode = process.argv.includes('--retraces');
const [webBuild, nativeBuild] = process.argv.slice(2).filter(a => !a.startsWith('--'))
                                                     .map(p => path.resolve(p));
const share = ms => `${ms.toFixed(3)} ms = ${(100 * ms / REFRESH_MS).toFixed(1)} % of a refresh`;
const median = values => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];

async function pageFigures(browser, server, page, runs = 5) {
  const loads = [], firstFrames = [];
  let bytes = 0;
  for (let i = 0; i < runs; ++i) {
    server.sent.clear();
    const opened = await h.openPage(browser, server.url + page);
    await h.waitForState(opened, 'ready');
    await opened.press('Enter');
    await h.waitFor(opened, () => kestalPage.timing.firstFrame !== null);
    const t = await opened.evaluate(() => kestalPage.timing);
    loads.push(t.ready);
    firstFrames.push(t.ready + (t.firstFrame - t.started));
    bytes = [...server.sent].filter(([name]) => !name.startsWith('/sound/'))
                            .reduce((sum, [, n]) => sum + n, 0);
    await opened.close();
  }
  return {load: median(loads), firstFrame: median(firstFrames), bytes};
}

// The benchmark page's console lines; `throttling` slows the page's processor that many times
// (Chromium's DevTools protocol only).
async function benchPageLines(browser, query = '', throttling = 1) {
  const server = await h.serve(path.join(webBuild, 'bench-site'), browser);
  const opened = await h.openPage(browser, server.url + (query ? `index.html?${query}` : ''));
  await h.waitForState(opened, 'ready');
  if (throttling !== 1) {
    const session = await opened.native.createCDPSession();
    await session.send('Emulation.setCPUThrottlingRate', {rate: throttling});
  }
  await opened.press('Enter');
  // Polled by the clock: a throttled page that has just run one long task gives few
  // animation frames to poll on.
  await h.waitForState(opened, 'ended', 600000);
  const lines = await opened.messages();
  await opened.close();
  await server.close();
  return lines;
}

async function browserBench(browser) {
  const figures = {};
  for (const line of await benchPageLines(browser)) {
    const [tag, name, ms] = line.split(' ');
    if (tag === 'web-bench' && ms) figures[name] = Number(ms);
  }
  return figures;
}

// Lines "TAG NAME MEDIAN WORST SAMPLES" as {NAME: {median, worst}}.
function retraceFigures(lines, tag) {
  const figures = {};
  for (const line of lines) {
    const [t, name, median, worst] = line.split(' ');
    if (t === tag && worst) figures[name] = {median: Number(median), worst: Number(worst)};
  }
  return figures;
}

// Lines "TAG NAME MILLISECONDS RETRACES" of whole games as {NAME: {median: ms per retrace}}.
function wholeGameFigures(lines, tag) {
  const figures = {};
  for (const line of lines) {
    const [t, name, ms, retraces] = line.split(' ');
    if (t === tag && retraces) figures[name] = {median: Number(ms) / Number(retraces)};
  }
  return figures;
}

// Per kind, the median of five repetitions and the worst sample of all of them; whole games,
// the median of five.
function nativeRetraces() {
  const out = execFileSync(path.join(nativeBuild, 'bench', 'kestal-bench'), [
    '--benchmark_filter=BM_Retrace/|BM_WholeGame/', '--benchmark_repetitions=5',
    '--benchmark_report_aggregates_only=true', '--benchmark_format=json'],
    {encoding: 'utf8', stdio: ['ignore', 'pipe', 'ignore']});
  const figures = {};
  for (const b of JSON.parse(out).benchmarks) {
    const name = b.run_name.split('/')[1];
    figures[name] = figures[name] || {};
    const ms = b.real_time * TO_MS[b.time_unit];
    if (b.aggregate_name === 'median') figures[name].median = b.retraces ? ms / b.retraces : ms;
    if (b.aggregate_name === 'max') figures[name].worst = b.worst_ms;
  }
  return figures;
}

function nodeRetraces() {
  const out = execFileSync('node', [path.join(webBuild, 'bench', 'web', 'kestal-node-bench.js')],
                           {encoding: 'utf8'}).split('\n');
  return {...retraceFigures(out, 'node-retrace'), ...wholeGameFigures(out, 'node-whole-game')};
}

const RETRACE_KINDS = [
  ['frame_of_play_level11', 'frame of play, level 11'],
  ['delay_prompt_wave', "Delay prompt's wave"],
  ['pause_fade_step', 'pause fade step'],
  ['warp_heaviest', 'warp, heaviest retrace'],
  ['game_over_heaviest', 'game over, heaviest'],
  ['play_again_heaviest', 'play-again prompt, heaviest'],
  ['final_victory_pass', 'final-victory pass'],
];
const NO_PICTURES = RETRACE_KINDS.map(([kind, label]) => [`${kind}_no_pictures`, label]);
const WHOLE_GAMES = [['whole_game', 'with pictures'], ['whole_game_no_pictures', 'without']];

// The browser has only the clock on the wall, which other programs on the machine disturb:
// each figure is the median of several runs of the page.
const BROWSER_RUNS = 3;

async function browserRetraces(browser, throttling) {
  const runs = [];
  for (let i = 0; i < BROWSER_RUNS; ++i) {
    const lines = await benchPageLines(browser, 'retraces', throttling);
    runs.push({...retraceFigures(lines, 'web-retrace'),
               ...wholeGameFigures(lines, 'web-whole-game')});
  }
  const figures = {};
  for (const kind of Object.keys(runs[0])) {
    figures[kind] = {median: median(runs.map(r => r[kind].median)),
                     worst: median(runs.map(r => r[kind].worst))};
  }
  return figures;
}

async function measureRetraces(browser) {
  const columns = [
    ['native', nativeRetraces()],
    ['Node.js', nodeRetraces()],
    [browser.title, await browserRetraces(browser, 1)],
  ];
  if (browser.name === 'chromium') columns.push(['Chromium 4x', await browserRetraces(browser, 4)]);
  console.log('Milliseconds per retrace, median / worst. Native and Node.js: processor time of ' +
              'the game alone; the browser: time on the clock, presenting included, the median ' +
              `of ${BROWSER_RUNS} runs.`);
  console.log('retrace'.padEnd(30) + columns.map(([name]) => name.padEnd(17)).join(''));
  const cell = f => (f ? `${f.median.toFixed(2)} / ${f.worst.toFixed(2)}` : '-').padEnd(17);
  for (const [kind, label] of RETRACE_KINDS) {
    console.log(label.padEnd(30) + columns.map(([, figures]) => cell(figures[kind])).join(''));
  }
  console.log('Without pictures (the hall of fame\'s verification; nothing presented):');
  for (const [kind, label] of NO_PICTURES) {
    console.log(label.padEnd(30) + columns.map(([, figures]) => cell(figures[kind])).join(''));
  }
  console.log('Whole games (the whole-game recording), retraces a second:');
  const rate = f => (f ? `${Math.round(1000 / f.median)}` : '-').padEnd(17);
  for (const [kind, label] of WHOLE_GAMES) {
    console.log(label.padEnd(30) + columns.map(([, figures]) => rate(figures[kind])).join(''));
  }
  const within = (figures, limit) => RETRACE_KINDS.every(([kind]) => figures[kind] &&
                                                         figures[kind].worst <= limit);
  console.log(`${browser.title}, every retrace within a 120 Hz refresh ` +
              `(${FAST_REFRESH_MS.toFixed(1)} ms): ${within(columns[2][1], FAST_REFRESH_MS) ? 'yes' : 'NO'}`);
  if (columns[3]) {
    console.log(`Chromium at 4x, within a 60 Hz refresh (${REFRESH_MS.toFixed(1)} ms): ` +
                `${within(columns[3][1], REFRESH_MS) ? 'yes' : 'NO'}`);
  }
}

function nativeBench() {
  const out = execFileSync(path.join(nativeBuild, 'bench', 'kestal-bench'), [
    '--benchmark_filter=FrameOfPlayLevel11|FinalVictoryPass|ShowAndPresent|RecordRetrace|TraceLine',
    '--benchmark_repetitions=5', '--benchmark_report_aggregates_only=true',
    '--benchmark_format=json'], {encoding: 'utf8', stdio: ['ignore', 'pipe', 'ignore']});
  const figures = {};
  for (const b of JSON.parse(out).benchmarks) {
    if (b.aggregate_name === 'median') figures[b.run_name] = b.real_time * TO_MS[b.time_unit];
  }
  return figures;
}

async function measureFrames(browser) {
  const site = h.installSite(webBuild);
  const server = await h.serve(site, browser);
  try {
    const web = await browserBench(browser);
    const native = nativeBench();
    console.log(`measure                      browser (${browser.title})`.padEnd(63) + 'native');
    const row = (name, w, n) => console.log(`${name.padEnd(28)} ${share(w).padEnd(34)} ${n === undefined ? '' : share(n)}`);
    row('frame of play, level 11', web.frame_of_play_level11, native.BM_FrameOfPlayLevel11);
    row('final-victory pass', web.final_victory_pass, native.BM_FinalVictoryPass);
    row('present one frame', web.present_frame, native.BM_ShowAndPresent);
    row('record a retrace and a key', web.record_retrace_with_key, native.BM_RecordRetraceWithKey);
    row('trace line (?trace)', web.trace_line, native.BM_DisplayTraceLine);
    for (const [name, page] of [['kestal', 'index.html'], ['kestal-silent', 'silent.html']]) {
      const f = await pageFigures(browser, server, page);
      console.log(`${name}: ready ${f.load.toFixed(0)} ms after navigation, first frame ` +
                  `${f.firstFrame.toFixed(0)} ms (start gesture at once); ` +
                  `${(f.bytes / 1024).toFixed(0)} KiB transferred without the sounds`);
    }
  } finally {
    await server.close();
    fs.rmSync(site, {recursive: true, force: true});
  }
}

(async () => {
  h.skipUnlessReady({webBuild});
  const browser = await h.launchBrowser();
  try {
    await (retraceMode ? measureRetraces(browser) : measureFrames(browser));
  } finally {
    await browser.close();
  }
})();
