// kestal-replay --video (KESTAL_REPLAY): the sound edition's MP4 and the silent edition's
// WebM pass the checks every video of a recording must pass; an output it cannot write, or a
// range with no retrace in it, fails in one sentence and leaves no file.
'use strict';

const assert = require('node:assert');
const {spawnSync} = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const {after, test} = require('node:test');
const {checkVideo, LASER_SCRIPT} = require('./video_checks');

const replay = process.env.KESTAL_REPLAY;
const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'kestal-video-'));
const keys = path.join(dir, 'laser.keys');
fs.writeFileSync(keys, LASER_SCRIPT);
after(() => fs.rmSync(dir, {recursive: true, force: true}));

const film = (...args) => spawnSync(replay, ['--keys', keys, ...args], {encoding: 'utf8'});

test('the sound edition as MP4 and the silent one as WebM, each a part of the game', () => {
  // (VP9 is slow to encode: a shorter part.)
  for (const [edition, name, first, last, codecs] of [
    ['sound', 'laser.mp4', 21, 70, {video: 'h264', sound: ['aac']}],
    ['silent', 'laser.webm', 21, 40, {video: 'vp9'}],
  ]) {
    const file = path.join(dir, name);
    const made = film('--edition', edition, '--video', file, '--from', String(first), '--to',
                      String(last));
    assert.strictEqual(made.status, 0, made.stderr);
    checkVideo(file, {replay, script: LASER_SCRIPT, edition, first, last, codecs});
  }
});

test('an output it cannot write, or a range without a retrace, fails in one sentence', () => {
  const file = path.join(dir, 'none.mp4');
  for (const [args, said] of [
    [['--video', path.join(dir, 'missing', 'x.mp4')], /^kestal-replay: cannot create '.*x\.mp4': No such file or directory\n$/],
    [['--video', path.join(dir, 'x.avi')], /^kestal-replay: --video file '.*x\.avi' must end in \.mp4 or \.webm\n$/],
    [['--video', file, '--from', '60', '--to', '50'], /^kestal-replay: --from 60 comes after --to 50: the video would have no frame\n$/],
    [['--video', file, '--frames', '50', '--from', '60'], /^kestal-replay: the run ended at retrace 50, before --from 60: the video would have no frame\n$/],
    [['--to', '80'], /^kestal-replay: --to needs --video FILE\n$/],
  ]) {
    const made = film(...args);
    assert.strictEqual(made.status, 2, args.join(' '));
    assert.match(made.stderr, said);
    assert.ok(!fs.existsSync(file), `${args.join(' ')} left a file`);
  }
});
