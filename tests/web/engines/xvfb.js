// A private X server for a browser that has no headless mode: Xvfb on the first free display.
'use strict';

const {spawn} = require('node:child_process');

// Resolves to {display (":N"), stop()} once the server accepts clients.
function startXvfb(size = '2048x2048x24') {
  // -displayfd: the server picks the display and writes its number there when it is ready.
  const server = spawn('Xvfb', ['-displayfd', '3', '-screen', '0', size, '-nolisten', 'tcp'],
                       {stdio: ['ignore', 'ignore', 'ignore', 'pipe']});
  const stop = () => server.kill();
  process.once('exit', stop);
  return new Promise((resolve, reject) => {
    let said = '';
    server.stdio[3].on('data', chunk => {
      said += chunk;
      if (said.endsWith('\n')) resolve({display: ':' + said.trim(), stop});
    });
    server.once('error', reject);
    server.once('exit', status => reject(new Error(`Xvfb ended at once (status ${status})`)));
  });
}

module.exports = {startXvfb};
