// kestal-hall (KESTAL_HALL) for a browser test: on a free loopback port, with a database of
// its own in `dir` and any more options given; resolves, once it listens, to its url and
// stop(), which resolves when it has ended.
'use strict';

const {spawn} = require('node:child_process');
const path = require('node:path');
const readline = require('node:readline');

async function startHall(dir, options = []) {
  const hall = spawn(process.env.KESTAL_HALL,
                     ['--listen', '127.0.0.1:0', ...options,
                      '--database', `sqlite:${path.join(dir, 'hall.sqlite')}`],
                     {stdio: ['ignore', 'pipe', 'inherit']});
  const ended = new Promise(done => hall.once('exit', done));
  for await (const line of readline.createInterface({input: hall.stdout})) {
    const at = /listening on (http:\/\/\S+)/.exec(line);
    if (at) {
      return {url: at[1], stop: () => {
        if (hall.exitCode === null && hall.signalCode === null) hall.kill();
        return ended;
      }};
    }
  }
  throw new Error('kestal-hall ended before it listened');
}

module.exports = {startHall};
