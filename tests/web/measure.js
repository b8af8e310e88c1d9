// The browser figures beside the native ones of the same machine, in one run (no pass or
// fail: numbers for the record). Medians, and shares of one 60 Hz refresh (16.7 ms).
//   [KESTAL_BROWSER=chromium|firefox|webkit] node tests/web/measure.js WEB_BUILD NATIVE_BUILD
'use strict';

const {execFileSync} = require('node:child_process');
const fs = require('node:fs');
const path = require('node:path');
const h = require('./harness');

const REFRESH_MS = 1000 / 60;
const [webBuild, nativeBuild] = process.argv.slice(2).map(p => path.resolve(p));
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

async function browserBench(browser) {
  const server = await h.serve(path.join(webBuild, 'bench-site'), browser);
  const opened = await h.openPage(browser, server.url);
  await h.waitForState(opened, 'ready');
  await opened.press('Enter');
  await h.waitForState(opened, 'ended', 300000);
  const lines = await opened.messages();
  await opened.close();
  await server.close();
  const figures = {};
  for (const line of lines) {
    const [tag, name, ms] = line.split(' ');
    if (tag === 'web-bench' && ms) figures[name] = Number(ms);
  }
  return figures;
}

function nativeBench() {
  const out = execFileSync(path.join(nativeBuild, 'bench', 'kestal-bench'), [
    '--benchmark_filter=FrameOfPlayLevel11|FinalVictoryPass|ShowAndPresent',
    '--benchmark_repetitions=5', '--benchmark_report_aggregates_only=true',
    '--benchmark_format=json'], {encoding: 'utf8', stdio: ['ignore', 'pipe', 'ignore']});
  const toMs = {ns: 1e-6, us: 1e-3, ms: 1, s: 1000};
  const figures = {};
  for (const b of JSON.parse(out).benchmarks) {
    if (b.aggregate_name === 'median') figures[b.run_name] = b.real_time * toMs[b.time_unit];
  }
  return figures;
}

(async () => {
  h.skipUnlessReady({webBuild});
  const browser = await h.launchBrowser();
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
    for (const [name, page] of [['kestal', 'index.html'], ['kestal-silent', 'silent.html']]) {
      const f = await pageFigures(browser, server, page);
      console.log(`${name}: ready ${f.load.toFixed(0)} ms after navigation, first frame ` +
                  `${f.firstFrame.toFixed(0)} ms (start gesture at once); ` +
                  `${(f.bytes / 1024).toFixed(0)} KiB transferred without the sounds`);
    }
  } finally {
    await browser.close();
    await server.close();
    fs.rmSync(site, {recursive: true, force: true});
  }
})();
