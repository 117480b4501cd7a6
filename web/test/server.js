// A static file server on the loopback address for the browser cases and the
// benchmark: each URL prefix maps to one folder; nothing outside them is served.
'use strict';
const http = require('http');
const fs = require('fs');
const path = require('path');

const TYPES = { '.html': 'text/html', '.js': 'text/javascript', '.tif': 'image/tiff', '.tiff': 'image/tiff',
                '.json': 'application/json' };

// mounts: { '/web/': '/abs/folder', ... }. Resolves to { server, base }.
function serve(mounts) {
  const server = http.createServer((req, res) => {
    const url = decodeURIComponent(new URL(req.url, 'http://x').pathname);
    const prefix = Object.keys(mounts).find((p) => url.startsWith(p));
    const file = prefix && path.join(mounts[prefix], url.slice(prefix.length));
    if (!file || !file.startsWith(mounts[prefix]) || !fs.existsSync(file) || !fs.statSync(file).isFile()) {
      res.writeHead(404);
      res.end('not found');
      return;
    }
    res.writeHead(200, { 'Content-Type': TYPES[path.extname(file).toLowerCase()] || 'application/octet-stream',
                         'Cache-Control': 'no-store' });
    fs.createReadStream(file).pipe(res);
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () =>
    resolve({ server, base: `http://127.0.0.1:${server.address().port}` })));
}

// Headless Chromium from the system, with the switches that keep it off the network.
async function launch(userDataDir) {
  const { chromium } = require('playwright-core');
  return chromium.launchPersistentContext(userDataDir, {
    executablePath: process.env.VL_CHROMIUM || '/usr/bin/chromium',
    headless: true,
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
           '--disable-background-networking', '--disable-component-update', '--disable-sync'],
    viewport: { width: 900, height: 700 },
  });
}

module.exports = { serve, launch };
