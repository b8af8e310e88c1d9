// A short game played in the page (KESTAL_BROWSER) entered in a real kestal-hall (KESTAL_HALL)
// through the site server's /api/ forwarding: the rank in words, the entry the hall keeps;
// with the hall gone, the end card says so and the recording can still be shared.
'use strict';

const assert = require('node:assert');
const {spawn} = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const readline = require('node:readline');
const {test, before, after} = require('node:test');
const h = require('./harness');
const {serve} = require('../../tools/site/serve');

h.skipUnlessReady();

const shared = {};
const note = page => page.evaluate(() => document.getElementById('hall-note').textContent);
const shown = (page, id) => page.evaluate(i => !document.getElementById(i).hidden, id);

before(async () => {
  shared.dir = fs.mkdtempSync(path.join(os.tmpdir(), 'kestal-hall-entry-'));
  shared.hall = spawn(process.env.KESTAL_HALL, ['--listen', '127.0.0.1:0', '--database',
                                                `sqlite:${path.join(shared.dir, 'hall.sqlite')}`]);
  for await (const line of readline.createInterface({input: shared.hall.stdout})) {
    shared.hallUrl = (/listening on (http:\/\/\S+)/.exec(line) || [])[1];
    if (shared.hallUrl) break;
  }
  shared.browser = await h.launchBrowser();
  shared.site = h.installSite(process.env.KESTAL_WEB_BUILD);
  shared.server = await serve(shared.site, {headScript: shared.browser.headScript || undefined,
                                            hall: shared.hallUrl});
});

after(async () => {
  if (shared.hall) shared.hall.kill();
  if (shared.browser) await shared.browser.close();
  if (shared.server) await shared.server.close();
  for (const dir of [shared.dir, shared.site]) {
    if (dir) fs.rmSync(dir, {recursive: true, force: true});
  }
});

// Opens the game, checks the title card's link to the hall, plays a few seconds and quits.
async function playShortGame() {
  const page = await h.openPage(shared.browser, shared.server.url + 'index.html');
  await h.waitForState(page, 'ready');
  assert.ok(await shown(page, 'hall-link'), 'the title card links to the hall of fame');
  await page.press('Enter');
  await h.waitForState(page, 'running');
  for (const key of ['1', 'Enter', 'ArrowUp', ' ', 'ArrowLeft', ' ']) {
    await page.press(key);
    await h.frames(page, 30);
  }
  await page.press('Escape');
  await h.frames(page, 10);
  await page.press('n');
  await h.waitForState(page, 'ended', 60000);
  return page;
}

test('a game entered in the hall: its rank in words, its entry kept', async () => {
  const page = await playShortGame();
  await h.waitFor(page, () => !document.getElementById('hall-entry').hidden,
                  {what: '"Enter the hall of fame" offered'});
  await page.evaluate(() => { document.getElementById('hall-name').value = ' Ada <b> '; });
  const pressed = Date.now();
  await h.clickOn(page, '#enter-hall');
  const said = await h.waitFor(page, () => {
    const text = document.getElementById('hall-note').textContent;
    return text.startsWith('Verified') && text;
  }, {timeout: 120000, what: 'the verified entry'});
  console.log(`# ${shared.browser.title}: the hall answered in ${Date.now() - pressed} ms`);
  const board = await (await fetch(`${shared.hallUrl}/api/entries?edition=sound`)).json();
  assert.strictEqual(board.total, 1);
  const [entry] = board.entries;
  assert.strictEqual(entry.name, 'Ada <b>');
  const points = `${entry.score} point${entry.score === 1 ? '' : 's'}`;
  assert.strictEqual(said, `Verified: ${points}, level ${entry.level} — 1st of 1`);
  const remembered = await page.evaluate(() => localStorage.getItem('kestal-hall-name'));
  assert.strictEqual(remembered, 'Ada <b>');
  assert.deepStrictEqual(await page.errors(), []);
  await page.close();
});

test('with the hall down: said in words, and the recording is still shared', async () => {
  shared.hall.kill();
  await new Promise(done => shared.hall.once('exit', done));
  const page = await playShortGame();
  await h.waitFor(page, () => document.getElementById('hall-entry').dataset.hall,
                  {what: 'the hall tried'});
  assert.match(await note(page), /hall of fame cannot be reached.*save or share/);
  assert.ok(!(await shown(page, 'hall-entry')) && (await shown(page, 'save-replay')));
  if (await shown(page, 'share-replay')) {
    await h.clickOn(page, '#share-replay');
    const link = await h.waitFor(page, () => document.getElementById('share-link').value);
    assert.match(link, /#replay=[\w-]{20,}/);
  }
  assert.match(await page.evaluate(() => kestalPage.replayText()), /^\d+ Escape$/m);
  await page.close();
});

test('the answer in words: English ordinals, the final victory', async () => {
  const {ordinal, verifiedSentence} = await import('../../platform/web/page/page-hall.js');
  const ordinals = [1, 2, 3, 4, 11, 12, 13, 21, 22, 23, 101, 111, 112, 1013].map(ordinal);
  assert.deepStrictEqual(ordinals, ['1st', '2nd', '3rd', '4th', '11th', '12th', '13th', '21st',
                                    '22nd', '23rd', '101st', '111th', '112th', '1013th']);
  assert.strictEqual(verifiedSentence({score: 432, level: 11, victory: true, rank: 3, total: 57}),
                     'Verified: 432 points, level 11, final victory — 3rd of 57');
});
