// scripts/demo's picture of the page element: the demo document in headless
// Chromium, best fit with the toolbar on top. Usage: demo_shot.js DIST SAMPLE PNG
'use strict';
const fs = require('fs');
const os = require('os');
const path = require('path');
const { serve, launch } = require('./server.js');

async function main([dist, sample, out]) {
  const site = await serve({ '/web/': path.resolve(dist), '/doc/': path.dirname(path.resolve(sample)),
                             '/test/': path.join(__dirname, 'pages') });
  const browser = await launch(fs.mkdtempSync(path.join(os.tmpdir(), 'vl-demo-')));
  try {
    const page = browser.pages()[0] || await browser.newPage();
    await page.setViewportSize({ width: 800, height: 600 });
    await page.goto(`${site.base}/test/viewer.html`);
    await page.evaluate(async (src) => {
      await customElements.whenDefined('vellarion-viewer');
      const el = Object.assign(document.createElement('vellarion-viewer'), { id: 'demo' });
      el.setAttribute('src', src);
      el.setAttribute('fit', 'best');
      el.style.cssText = 'width:800px;height:600px';
      document.body.append(el);
      await new Promise((r) => el.addEventListener('vlar_OnFileReady', r, { once: true }));
      await el.whenIdle();
    }, `/doc/${path.basename(sample)}`);
    await page.screenshot({ path: out });
  } finally {
    await browser.close();
    site.server.close();
  }
}

main(process.argv.slice(2)).catch((e) => {
  console.error(`demo screenshot failed: ${e.message}`);
  process.exit(1);
});
