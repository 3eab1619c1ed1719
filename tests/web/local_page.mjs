// The page's folder served on the loopback, and the flags headless Chromium
// runs with here: shared by the web test, the page benchmark and the
// screenshot script.
import { spawn } from 'node:child_process';

// Chromium as root in a closed network: no sandbox, no GPU, and none of
// its own background connections.
export const CHROMIUM = '/usr/bin/chromium';
export const CHROMIUM_ARGS = [
  '--headless',
  '--no-sandbox',
  '--disable-gpu',
  '--disable-quic',
  '--no-first-run',
  '--disable-background-networking',
  '--disable-component-update',
  '--disable-sync',
];

// Serves `dir` with python3's http.server on a free loopback port; resolves
// to { origin, close }.
export function servePage(dir) {
  const server = spawn('python3', ['-u', '-m', 'http.server', '--bind', '127.0.0.1', '--directory', dir, '0'], {
    stdio: ['ignore', 'pipe', 'ignore'],
  });
  return new Promise((resolve, reject) => {
    let out = '';
    server.stdout.on('data', (d) => {
      out += d;
      const m = out.match(/port (\d+)/);
      if (m) resolve({ origin: `http://127.0.0.1:${m[1]}`, close: () => server.kill() });
    });
    server.on('exit', () => reject(new Error('python3 -m http.server did not start')));
  });
}
