// What a video made from a recording must be, whoever made it (kestal-replay --video, or the
// page's "Save video"): ffprobe finds the codecs, 1280x960 at 60 frames a second, one frame
// per retrace filmed and as long as they last; a few frames decode to kestal-replay's own
// pictures of those retraces within the encoder's loss; the first laser sound starts within
// a frame of the retrace where the game starts it; the silent edition's has no sound.
'use strict';

const assert = require('node:assert');
const {execFileSync} = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');

const FRAME_RATE = 60;
const MIN_PSNR = 40;

function ffprobe(file) {
  const json = execFileSync('ffprobe', ['-v', 'error', '-count_packets', '-show_streams',
                                        '-show_format', '-of', 'json', file], {encoding: 'utf8'});
  return JSON.parse(json);
}

// PSNR (dB, Y, U and V together) of the video's frames `indices` against 640x400 pictures,
// both in the video's own 4:2:0 BT.709 form: what the encoder lost, the frame's subsampling
// aside. The video is decoded once; each frame is kept as a raw picture.
function framePsnrs(file, indices, pngs, dir) {
  const chosen = indices.map(index => `eq(n\\,${index})`).join('+');
  execFileSync('ffmpeg', ['-nostdin', '-v', 'error', '-i', file, '-vf', `select=${chosen}`,
                          '-vsync', 'passthrough', '-c:v', 'rawvideo', '-pix_fmt', 'yuv420p',
                          '-f', 'image2', path.join(dir, 'decoded-%d.yuv')]);
  return pngs.map((png, i) => {
    const out = execFileSync('ffmpeg', [
      '-nostdin', '-v', 'error', '-f', 'rawvideo', '-pix_fmt', 'yuv420p', '-s', '1280x960',
      '-i', path.join(dir, `decoded-${i + 1}.yuv`), '-i', png, '-lavfi',
      '[1]scale=1280:960:flags=neighbor:out_color_matrix=bt709:out_range=tv,format=yuv420p[b];' +
      '[0][b]psnr=stats_file=-', '-f', 'null', '-'], {encoding: 'utf8'});
    const value = /psnr_avg:(\S+)/.exec(out);
    assert.ok(value, `no PSNR for frame ${indices[i]}: ${out}`);
    return value[1] === 'inf' ? Infinity : Number(value[1]);
  });
}

// Seconds from the start to the first sound that begins after a quarter of a second of quiet
// (what sounds from the start on, the start-up's warp, does not count): loud is above a tenth
// of the loudest.
function soundOnset(file) {
  const rate = 48000;
  const raw = execFileSync('ffmpeg', ['-nostdin', '-v', 'error', '-i', file, '-ac', '1', '-ar',
                                      String(rate), '-f', 'f32le', '-'], {maxBuffer: 1 << 28});
  const samples = new Float32Array(raw.buffer, raw.byteOffset, raw.length / 4);
  const loudest = samples.reduce((most, level) => Math.max(most, Math.abs(level)), 0);
  assert.ok(loudest > 0, 'the sound track is silent');
  let lastLoud = 0;
  for (let i = 0; i < samples.length; ++i) {
    if (Math.abs(samples[i]) <= loudest / 10) continue;
    if (i - lastLoud >= rate / 4) return i / rate;
    lastLoud = i;
  }
  assert.fail('no sound follows a quarter of a second of quiet');
}

// The retrace after whose wait the game first played the laser, from the run's state lines:
// the beam is drawn (and its timer counted down to 1) in that same frame, so the next
// retrace's state shows it.
function laserRetrace(stateFile) {
  const lines = fs.readFileSync(stateFile, 'utf8').trim().split('\n').map(line => JSON.parse(line));
  const shown = lines.find(line => line.laserTimer >= 1);
  assert.ok(shown, 'the script fires the laser');
  return shown.retrace - 1;
}

// `file` films `script` in `edition` from retrace `first` to `last`; `codecs` names the
// video codec and the sound codecs allowed (the silent edition's video has none).
function checkVideo(file, {replay, script, edition, first, last, codecs}) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'kestal-video-check-'));
  try {
    const keys = path.join(dir, 'keys');
    fs.writeFileSync(keys, script);
    const {streams, format} = ffprobe(file);
    const video = streams.find(stream => stream.codec_type === 'video');
    const sound = streams.find(stream => stream.codec_type === 'audio');
    const frames = last - first + 1;
    assert.strictEqual(video.codec_name, codecs.video);
    assert.deepStrictEqual([video.width, video.height, video.r_frame_rate, video.pix_fmt],
                           [1280, 960, '60/1', 'yuv420p']);
    assert.strictEqual(Number(video.nb_read_packets), frames, 'one frame per retrace');
    // WebM keeps no duration per stream: there the file's, which has only the video.
    const duration = Number(video.duration || format.duration);
    assert.ok(Math.abs(duration - frames / FRAME_RATE) < 0.5 / FRAME_RATE,
              `lasts ${duration} s, not ${frames / FRAME_RATE} s`);

    const shown = [first, Math.floor((first + last) / 2), last];
    const state = path.join(dir, 'state');
    execFileSync(replay, ['--edition', edition, '--keys', keys, '--frames', String(last),
                          '--state', state, '--png-at', shown.join(','), '--out', dir]);
    const pngs = shown.map(retrace => path.join(dir, `frame-${String(retrace).padStart(6, '0')}.png`));
    framePsnrs(file, shown.map(retrace => retrace - first), pngs, dir).forEach((psnr, i) => {
      assert.ok(psnr >= MIN_PSNR, `retrace ${shown[i]}: PSNR ${psnr.toFixed(2)} dB`);
    });

    if (edition === 'silent') {
      assert.strictEqual(sound, undefined, 'the silent edition has no sound track');
      return;
    }
    assert.ok(sound && codecs.sound.includes(sound.codec_name),
              `sound ${sound && sound.codec_name}, not ${codecs.sound.join(' or ')}`);
    const expected = (laserRetrace(state) - first) / FRAME_RATE;
    const onset = soundOnset(file);
    assert.ok(Math.abs(onset - expected) <= 1 / FRAME_RATE,
              `the laser sounds at ${onset.toFixed(4)} s, not ${expected.toFixed(4)} s`);
  } finally {
    fs.rmSync(dir, {recursive: true, force: true});
  }
}

// A short game that fires the laser, and the retraces to film of it.
const LASER_SCRIPT = '# KESTAL 2 replay\n# edition: sound\n# frames: 70\n1 1\n2 Enter\n40 Space\n';

module.exports = {checkVideo, LASER_SCRIPT};
