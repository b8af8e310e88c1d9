// The site as visitors meet it, in figures (no pass or fail: numbers for the record), in the
// engine KESTAL_BROWSER names: for both pages, the time from navigation to "ready" and to the
// first picture after the start gesture, and the bytes a first visit transfers, compressed
// and not; in Chromium also an offline revisit. Then replays: the share link's length for the
// whole-game script and for a random 10-minute game, the time from opening a link to its
// first picture, and watching at speed 8 against the headless Node.js replay.
//   [KESTAL_BROWSER=chromium|firefox|webkit] node tests/web/measure_site.js WEB_BUILD
'use strict';

const {execFileSync} = require('node:child_process');
const fs = require('node:fs');
const path = require('node:path');
const h = require('./harness');

const [webBuild] = process.argv.slice(2).map(p => path.resolve(p));
const WHOLE_GAME = path.join(__dirname, '..', 'regression', 'whole_game.keys');
const median = values => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];
const kib = bytes => `${(bytes / 1024).toFixed(1)} KiB`;
const total = sent => [...sent.values()].reduce((sum, n) => sum + n, 0);

// A visit's times: navigation to ready, and to the first picture after an immediate start.
async function visit(page) {
  await h.waitForState(page, 'ready');
  await page.press('Enter');
  await h.waitFor(page, () => kestalPage.timing.firstFrame !== null);
  const t = await page.evaluate(() => kestalPage.timing);
  return {ready: t.ready, picture: t.ready + (t.firstFrame - t.started)};
}

// The page as it would load without its service worker, which fetches the whole site besides.
function withoutServiceWorker() {
  Object.defineProperty(Navigator.prototype, 'serviceWorker', {get: () => undefined});
}

// First visits, each in a browser of its own (so nothing is kept from an earlier one); the
// bytes of the page alone, and with the service worker's copy of the site.
async function firstVisits(site, page, runs = 5) {
  const times = [];
  let bytes = null;
  for (let i = 0; i < runs; ++i) {
    const browser = await h.launchBrowser();
    const server = await h.serve(site, browser);
    const alone = await h.openPage(browser, server.url + page, {init: [withoutServiceWorker]});
    await visit(alone);
    await alone.close();
    const pageAlone = {wire: total(server.sent), plain: total(server.sentUncompressed)};
    server.sent.clear();
    server.sentUncompressed.clear();
    const opened = await h.openPage(browser, server.url + page);
    times.push(await visit(opened));
    await opened.evaluate(() => navigator.serviceWorker.ready.then(() => true));
    bytes = {pageAlone, wire: total(server.sent), plain: total(server.sentUncompressed)};
    await opened.close();
    await browser.close();
    await server.close();
  }
  return {ready: median(times.map(t => t.ready)), picture: median(times.map(t => t.picture)), bytes};
}

// Chromium: the same page again with the network gone, from the service worker's copy.
async function offlineRevisit(site, page) {
  const browser = await h.launchBrowser();
  const server = await h.serve(site, browser);
  const opened = await h.openPage(browser, server.url + page);
  await h.waitForState(opened, 'ready');
  await opened.evaluate(() => navigator.serviceWorker.ready.then(() => true));
  await opened.native.setOfflineMode(true);
  const times = [];
  for (let i = 0; i < 5; ++i) {
    await opened.native.goto(server.url + page);
    times.push(await visit(opened));
  }
  await browser.close();
  await server.close();
  return {ready: median(times.map(t => t.ready)), picture: median(times.map(t => t.picture))};
}

// A random game of `retraces`, a key every few retraces, as a player's would be.
function randomGame(retraces) {
  const keys = ['Up', 'Down', 'Left', 'Right', 'Space', 'Enter', '=', 'f', 'e', 't', 'b', 'c'];
  let state = 1;
  let script = '# edition: sound\n1 1\n2 Enter\n';
  for (let retrace = 3; retrace <= retraces; ++retrace) {
    state = (Math.imul(state, 1664525) + 1013904223) >>> 0;
    if (state % 4 === 0) script += `${retrace} ${keys[(state >>> 8) % keys.length]}\n`;
  }
  return script;
}

async function replayFigures(site) {
  const browser = await h.launchBrowser();
  const server = await h.serve(site, browser);
  const opener = await h.openPage(browser, server.url + 'index.html');
  await h.waitForState(opener, 'ready');
  const linkOf = script => opener.evaluate(
      s => import('./page-replay.js').then(replays => replays.shareLink(s)), script);
  const wholeGame = fs.readFileSync(WHOLE_GAME, 'utf8');
  const wholeLink = await linkOf(wholeGame);
  const randomLink = await linkOf(randomGame(36000));
  await opener.close();
  console.log(`share link: the whole-game script (${kib(wholeGame.length)}) ${wholeLink.length} ` +
              `characters; a random 10-minute game ${randomLink.length}`);

  // Watched at speed 8, as fast as the page goes: retraces a second, and the time each takes
  // with and without the trace kept (the recording itself runs in both).
  const watch = async link => {
    const watching = await h.openPage(browser, link);
    const opened = await visit(watching);
    await watching.press('8');
    const start = Date.now();
    const startRetrace = await watching.evaluate(() => Module._kestal_web_retraces());
    await h.waitForState(watching, 'ended', 600000);
    const retraces = await watching.evaluate(() => Module._kestal_web_retraces()) - startRetrace;
    await watching.close();
    return {opened, perSecond: retraces / ((Date.now() - start) / 1000)};
  };
  const {opened, perSecond} = await watch(wholeLink);
  const traced = await watch(wholeLink.replace('#', '?trace#'));
  await browser.close();
  await server.close();

  const trace = path.join(site, 'whole-game.trace');
  const nodeStart = Date.now();
  execFileSync('node', [path.join(webBuild, 'tools', 'replay', 'kestal-replay.js'), '--keys',
                        WHOLE_GAME, '--trace', trace]);
  const nodeRetraces = fs.readFileSync(trace, 'utf8').split('\n').length - 1;
  const nodePerSecond = nodeRetraces / ((Date.now() - nodeStart) / 1000);
  console.log(`opening the whole-game link: ready ${opened.ready.toFixed(0)} ms, first picture ` +
              `${opened.picture.toFixed(0)} ms after navigation (start gesture at once)`);
  console.log(`watching at speed 8: ${perSecond.toFixed(0)} retraces a second ` +
              `(${traced.perSecond.toFixed(0)} keeping the trace, ` +
              `${(1000 / traced.perSecond - 1000 / perSecond).toFixed(3)} ms a retrace more); ` +
              `the headless Node.js replay ${nodePerSecond.toFixed(0)}`);
}

(async () => {
  h.skipUnlessReady({webBuild});
  const site = h.installSite(webBuild);
  try {
    const engine = process.env.KESTAL_BROWSER || 'chromium';
    for (const page of ['index.html', 'silent.html']) {
      const first = await firstVisits(site, page);
      const b = first.bytes;
      console.log(`${page} first visit: ready ${first.ready.toFixed(0)} ms, first picture ` +
                  `${first.picture.toFixed(0)} ms; the page ${kib(b.pageAlone.wire)} transferred ` +
                  `(${kib(b.pageAlone.plain)} uncompressed), with the offline copy of the site ` +
                  `${kib(b.wire)} (${kib(b.plain)})`);
      if (engine === 'chromium') {
        const again = await offlineRevisit(site, page);
        console.log(`${page} offline revisit: ready ${again.ready.toFixed(0)} ms, first picture ` +
                    `${again.picture.toFixed(0)} ms`);
      }
    }
    await replayFigures(site);
  } finally {
    fs.rmSync(site, {recursive: true, force: true});
  }
})();
