// Videos of recordings, timed (no pass or fail: numbers for the record): frames encoded a
// second by kestal-replay --video (MP4 and WebM) and by the page's "Save video" in a browser,
// and the time each takes for the whole-game script, against its length at 60 frames a
// second. Medians of --runs runs (default 3; the browser's whole game is made once).
//   [KESTAL_BROWSER=chromium|firefox|webkit] node tests/web/measure_video.js WEB_BUILD
//       NATIVE_BUILD [--runs N] [--retraces N] [--no-webm]
// --retraces N films only the script's first N retraces; --no-webm leaves VP9 out (slow).
'use strict';

const {execFileSync} = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const h = require('./harness');

const option = (name, fallback) => {
  const at = process.argv.indexOf(name);
  return at < 0 ? fallback : Number(process.argv[at + 1]);
};
const [webBuild, nativeBuild] = process.argv.slice(2).filter((a, i, all) =>
    !a.startsWith('--') && !(all[i - 1] || '').startsWith('--')).map(p => path.resolve(p));
const runs = option('--runs', 3);
const median = values => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];

const wholeGame = fs.readFileSync(path.join(__dirname, '../regression/whole_game.keys'), 'utf8');
const events = wholeGame.split('\n').filter(line => /^\d+ /.test(line));
const lastKey = Number(events[events.length - 1].split(' ')[0]);
const retraces = option('--retraces', lastKey);
const script = '# KESTAL 2 replay\n# edition: sound\n' + `# frames: ${retraces}\n` +
               events.filter(line => Number(line.split(' ')[0]) <= retraces).join('\n') + '\n';
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'kestal-video-bench-'));
const keys = path.join(work, 'game.keys');
fs.writeFileSync(keys, script);

function frameCount(file) {
  return Number(execFileSync('ffprobe', ['-v', 'error', '-count_packets', '-select_streams', 'v',
                                         '-show_entries', 'stream=nb_read_packets', '-of', 'csv=p=0',
                                         file], {encoding: 'utf8'}));
}

function report(what, seconds, frames, bytes) {
  const length = frames / 60;
  console.log(`${what}: ${frames} frames (${length.toFixed(1)} s of video) in ` +
              `${seconds.toFixed(1)} s: ${(frames / seconds).toFixed(0)} frames a second, ` +
              `${(length / seconds).toFixed(2)} x real time, ${(bytes / 1e6).toFixed(1)} MB`);
}

// Wall and processor time (GNU time): on a machine others share, the processor seconds a
// video second costs say more than the wall clock, which their load stretches.
function native(extension) {
  const file = path.join(work, 'native.' + extension);
  const measured = path.join(work, 'time');
  const times = [];
  const processor = [];
  for (let i = 0; i < runs; ++i) {
    execFileSync('/usr/bin/time', ['-f', '%e %U %S', '-o', measured,
                                   path.join(nativeBuild, 'tools/replay/kestal-replay'), '--keys',
                                   keys, '--video', file, '--to', String(retraces)]);
    const [wall, user, system] = fs.readFileSync(measured, 'utf8').trim().split(' ').map(Number);
    times.push(wall);
    processor.push(user + system);
  }
  const frames = frameCount(file);
  report(`kestal-replay --video .${extension} (median of ${runs})`, median(times), frames,
         fs.statSync(file).size);
  console.log(`  ${(1000 * median(processor) / frames).toFixed(2)} ms of processor time a frame ` +
              `(${(100 * median(processor) / frames * 60).toFixed(0)} % of one core at 60 frames a second)`);
}

async function browser() {
  const shown = await h.launchBrowser();
  const site = h.installSite(webBuild);
  const server = await h.serve(site, shown);
  try {
    const page = await h.openPage(shown, server.url + 'index.html');
    await h.waitForState(page, 'ready');
    const link = await page.evaluate(s => import('./page-replay.js').then(r => r.shareLink(s)),
                                     script);
    const times = [];
    let made = null;
    for (let i = 0; i < (retraces === lastKey ? 1 : runs); ++i) {
      const watching = await h.openPage(shown, link);
      await h.waitFor(watching, () => document.body.dataset.video === 'ready' &&
                                      !document.getElementById('save-video').hidden);
      const started = Date.now();
      await h.clickOn(watching, '#save-video');
      await h.waitFor(watching, () => !['ready', 'making'].includes(document.body.dataset.video),
                      {timeout: 3600000});
      times.push((Date.now() - started) / 1000);
      made = await watching.evaluate(() => [document.body.dataset.video,
                                            document.getElementById('message').textContent,
                                            kestalPage.lastVideo() && kestalPage.lastVideo().size]);
      await watching.close();
    }
    const frames = Number((/(\d+) frames/.exec(made[1]) || [0, 0])[1]);
    if (made[0] !== 'saved') throw new Error(made[1]);
    report(`${shown.title} "Save video" (median of ${times.length})`, median(times), frames, made[2]);
  } finally {
    await shown.close();
    await server.close();
    fs.rmSync(site, {recursive: true, force: true});
  }
}

(async () => {
  console.log(`the whole-game script's first ${retraces} retraces; load ${os.loadavg()[0].toFixed(1)} ` +
              `on ${os.cpus().length} cores`);
  native('mp4');
  if (!process.argv.includes('--no-webm')) native('webm');
  await browser();
})().catch(error => {
  console.error(error);
  process.exitCode = 1;
}).finally(() => fs.rmSync(work, {recursive: true, force: true}));
