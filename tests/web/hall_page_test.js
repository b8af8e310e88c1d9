// The hall of fame's page (KESTAL_BROWSER) against a real kestal-hall (KESTAL_HALL) holding
// real recordings in both editions: the boards, a name that is markup shown as text, paging,
// Watch playing the very game the hall verified, and offline, the sentence that says so.
'use strict';

const assert = require('node:assert');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const {test, before, after} = require('node:test');
const h = require('./harness');
const {startHall} = require('./hall_process');
const live = require('./live_play');
const site = require('../../tools/site/serve');

h.skipUnlessReady();

const WHOLE_GAME = fs.readFileSync(path.join(__dirname, '..', 'regression', 'whole_game.keys'), 'utf8');
// Within the 24 characters a name may have.
const MARKUP_NAME = '<img src=x onerror=f()>';
// Short real games, told apart by when they end: 22 with sound (a second page), 2 silent.
const shortGame = (edition, n) => `# edition: ${edition}\n# frames: ${n + 6}\n1 Enter\n${n} Escape\n${n + 5} n\n`;
const SOUND_SHORT = Array.from({length: 22}, (_, i) => 200 + 10 * i);
const SILENT_SHORT = [300, 400];

const shared = {};

async function enter(hallUrl, name, replay) {
  const response = await fetch(`${hallUrl}/api/entries`, {
    method: 'POST', headers: {'Content-Type': 'application/json'}, body: JSON.stringify({name, replay}),
  });
  assert.strictEqual(response.status, 201, `${name}: ${await response.clone().text()}`);
  return response.json();
}

before(async () => {
  shared.dir = fs.mkdtempSync(path.join(os.tmpdir(), 'kestal-hall-page-'));
  shared.hall = await startHall(shared.dir, ['--rate', '1000']);
  const hallUrl = shared.hall.url;
  shared.whole = await enter(hallUrl, MARKUP_NAME, WHOLE_GAME);
  for (const n of SOUND_SHORT) await enter(hallUrl, `Pilot ${n}`, shortGame('sound', n));
  shared.silent = [];
  for (const n of SILENT_SHORT) shared.silent.push(await enter(hallUrl, `Quiet ${n}`, shortGame('silent', n)));
  shared.browser = await h.launchBrowser();
  shared.site = h.installSite(process.env.KESTAL_WEB_BUILD);
  // The site with /api/ forwarded to the hall, as a host of both serves them.
  shared.server = await site.serve(shared.site, {headScript: shared.browser.headScript || undefined,
                                                 hall: hallUrl});
  shared.url = shared.server.url;
});

after(async () => {
  if (shared.browser) await shared.browser.close();
  if (shared.server) await shared.server.close();
  if (shared.hall) await shared.hall.stop();
  for (const dir of [shared.site, shared.dir]) if (dir) fs.rmSync(dir, {recursive: true, force: true});
});

// The board on show: its rows as {rank, name, cells}, and what else the page holds.
const board = page => page.evaluate(() => ({
  rows: [...document.querySelectorAll('#entries tr')].map(row => ({
    rank: row.cells[0].textContent, name: row.cells[1].textContent,
    cells: [...row.cells].map(cell => cell.textContent)})),
  images: document.querySelectorAll('img').length,
  status: document.getElementById('status').textContent,
}));
async function clickOn(page, selector) {
  await page.evaluate(s => document.querySelector(s).scrollIntoView({block: 'center'}), selector);
  await h.clickOn(page, selector);
}
const rowsShown = page => h.waitFor(page, () => document.querySelectorAll('#entries tr').length,
                                    {what: 'the board'});

test('the boards: the name as text, rank, score, level and length, twenty a page', async () => {
  const page = await h.openPage(shared.browser, shared.url + 'hall.html');
  await rowsShown(page);
  const first = await board(page);
  assert.strictEqual(first.rows.length, 20);
  assert.strictEqual(first.images, 0, 'no markup from a name');
  const whole = shared.whole;
  assert.deepStrictEqual(first.rows[0].cells.slice(0, 5),
                         ['1', MARKUP_NAME, String(whole.score), String(whole.level), '']);
  const minutes = (whole.retraces / 3600).toFixed(1);
  assert.ok(first.rows[0].cells[5].includes(`${whole.retraces} retraces`) &&
            first.rows[0].cells[5].includes(`${minutes} min`), first.rows[0].cells[5]);
  assert.strictEqual(first.rows[0].cells[6], whole.date.slice(0, 10));
  // Equal scores: the shorter game first.
  assert.deepStrictEqual(first.rows.slice(1).map(row => row.name),
                         SOUND_SHORT.slice(0, 19).map(n => `Pilot ${n}`));
  // A victory is marked, however its row is drawn.
  const marks = await page.evaluate(() => import('./hall.js').then(hall => [true, false].map(
      victory => hall.entryRow({id: 1, name: 'n', edition: 'sound', score: 1, level: 11, victory,
                                retraces: 1, date: '2026-01-01T00:00:00Z', rank: 1})
                     .querySelector('.victory').textContent)));
  assert.ok(marks[0] !== '' && marks[1] === '', `victory marks: ${JSON.stringify(marks)}`);

  await clickOn(page, '#lower');
  await h.waitAcross(page, () => location.search.includes('page=2') &&
                               document.querySelectorAll('#entries tr').length === 3, 'page 2');
  assert.deepStrictEqual((await board(page)).rows.map(row => [row.rank, row.name]),
                         [20, 21, 22].map(i => [String(i + 1), `Pilot ${SOUND_SHORT[i - 1]}`]));
  assert.strictEqual(await page.evaluate(() => document.getElementById('lower').hidden), true);

  await clickOn(page, 'a[data-edition="silent"]');
  await h.waitAcross(page, () => location.search.includes('silent') &&
                               document.querySelectorAll('#entries tr').length === 2, 'the silent board');
  assert.deepStrictEqual((await board(page)).rows.map(row => row.name), ['Quiet 300', 'Quiet 400']);
  assert.deepStrictEqual(await page.errors(), []);
  await page.close();
});

test('Watch plays the game the hall verified, in its edition', async () => {
  const entry = shared.silent[1];
  const page = await h.openPage(shared.browser, shared.url + 'hall.html?edition=silent');
  await rowsShown(page);
  await clickOn(page, '#entries tr:nth-child(2) button');
  const link = await h.waitAcross(page, () => location.pathname.endsWith('silent.html') &&
                                            document.body.dataset.state === 'ready' && location.href,
                                 'the silent edition\'s page');
  assert.strictEqual(await page.evaluate(() => document.body.dataset.mode), 'watch');
  await page.close();

  const watched = await h.openPage(shared.browser, link.replace('#', '?trace#'));
  await h.waitForState(watched, 'ready');
  await watched.press('Enter');
  await h.waitForState(watched, 'ended', 60000);
  const script = shortGame('silent', SILENT_SHORT[1]);
  live.assertSameTrace(await watched.evaluate(() => kestalPage.traceText()),
                       live.replayTrace(entry.edition, script, SILENT_SHORT[1] + 6), 'watched');
  assert.deepStrictEqual(await watched.errors(), []);
  await watched.close();
});

test('offline, the page says the hall needs a connection', async t => {
  if (shared.browser.name !== 'chromium') {
    t.skip("offline mode is asked of Chromium's DevTools protocol only");
    return;
  }
  const page = await h.openPage(shared.browser, shared.url + 'hall.html');
  await rowsShown(page);
  await page.evaluate(() => navigator.serviceWorker.ready.then(() => true));
  await page.native.setOfflineMode(true);
  await page.native.goto(shared.url + 'hall.html?edition=silent');
  await h.waitFor(page, () => /^The hall needs a connection/.test(document.getElementById('status').textContent),
                  {what: 'the sentence'});
  await page.native.setOfflineMode(false);
  await page.close();
});
