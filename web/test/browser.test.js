// The page element in headless Chromium: showing pages with the native tool's
// pixels, page steps, view changes and their events, keys, barcodes, and the
// files that must end in a message instead of a picture. Screenshots go to
// VL_SHOTS. Needs VL_DIST (the element with its core), VL_NATIVE, VL_CORPUS
// and VL_FIXTURES (the demo sample).
'use strict';
const test = require('node:test');
const assert = require('node:assert');
const fs = require('fs');
const os = require('os');
const path = require('path');
const { execFileSync } = require('child_process');
const { serve, launch } = require('./server.js');
const { readRgbPng } = require('./png.js');
const { loopingTiff } = require('./fixtures.js');

const { VL_DIST, VL_NATIVE, VL_CORPUS, VL_FIXTURES, VL_SHOTS } = process.env;
const VIEW = { width: 640, height: 480 - 26 };  // the element's size less its toolbar

function nativeRender(file, page, options) {
  const out = path.join(fs.mkdtempSync(path.join(os.tmpdir(), 'vl-br-')), 'p.png');
  execFileSync(VL_NATIVE, ['render', file, '--page', String(page), '--out', out, ...options], { stdio: 'ignore' });
  const png = readRgbPng(fs.readFileSync(out));
  fs.rmSync(path.dirname(out), { recursive: true, force: true });
  return png;
}

let browser, site, page;
// A case that hangs fails on its own instead of stopping the whole run.
const CASE = { timeout: 180000 };

// A fresh element on the test page; resolves when its first page (or message) is up.
async function show(attrs) {
  await page.goto(`${site.base}/test/viewer.html`);
  await page.evaluate(async (a) => {
    await customElements.whenDefined('vellarion-viewer');
    const el = document.createElement('vellarion-viewer');
    for (const [k, v] of Object.entries(a)) el.setAttribute(k, v);
    document.body.append(el);
    await new Promise((r) => el.addEventListener('vlar_OnFileReady', r, { once: true }));
    await el.whenIdle();
  }, attrs);
}
const call = (method, ...args) => page.evaluate(async ([m, a]) => {
  const el = document.querySelector('vellarion-viewer');
  const r = await el[m](...a);
  await el.whenIdle();
  return r;
}, [method, args]);
const events = () => page.evaluate(() => window.events.filter((e) => e[0] !== 'vlar_OnReady'));
// The canvas as RGB bytes; base64 keeps a large page's transfer quick.
const canvasRgb = async () => {
  const got = await page.evaluate(() => {
    const c = document.querySelector('vellarion-viewer').shadowRoot.querySelector('canvas');
    const d = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
    const rgb = new Uint8Array((d.length / 4) * 3);
    for (let i = 0, j = 0; i < d.length; i += 4, j += 3) { rgb[j] = d[i]; rgb[j + 1] = d[i + 1]; rgb[j + 2] = d[i + 2]; }
    let text = '';
    for (let i = 0; i < rgb.length; i += 0x8000) text += String.fromCharCode(...rgb.subarray(i, i + 0x8000));
    return { width: c.width, height: c.height, rgb: btoa(text) };
  });
  return Object.assign(got, { rgb: Buffer.from(got.rgb, 'base64') });
};
const shot = (name) => page.screenshot({ path: path.join(VL_SHOTS, name) });

test.before(async () => {
  fs.mkdirSync(VL_SHOTS, { recursive: true });
  fs.writeFileSync(path.join(VL_FIXTURES, 'loop.tif'), loopingTiff());
  site = await serve({ '/web/': VL_DIST, '/test/': path.join(__dirname, 'pages'), '/corpus/': VL_CORPUS,
                       '/fixtures/': VL_FIXTURES });
  browser = await launch(fs.mkdtempSync(path.join(os.tmpdir(), 'vl-chromium-')));
  page = browser.pages()[0] || await browser.newPage();
  page.setDefaultTimeout(60000);
});
test.after(async () => {
  if (browser) await browser.close();
  if (site) site.server.close();
});

test('the canvas holds the native tool\'s pixels', CASE, async () => {
  // [url, file, fit, the side that loses a scroll bar to the page's overflow]
  const cases = [['/fixtures/sample.tif', path.join(VL_FIXTURES, 'sample.tif'), 'best', ''],
                 ['/corpus/leptonlib__feyn.tif', path.join(VL_CORPUS, 'leptonlib__feyn.tif'), 'width', 'w'],
                 ['/corpus/pillow__pil168.tif', path.join(VL_CORPUS, 'pillow__pil168.tif'), 'best', ''],
                 ['/corpus/golang-golang-x-image__video-001-paletted.tiff',
                  path.join(VL_CORPUS, 'golang-golang-x-image__video-001-paletted.tiff'), 'height', 'h']];
  for (const [url, file, fit, loses] of cases) {
    await show({ src: url, fit, id: 'v' });
    const bar = await page.evaluate(() => document.querySelector('vellarion-viewer').viewSize().bar);
    const ours = await canvasRgb();
    // The tool's window always loses 17 pixels to a shown bar; widen it by what the browser's bar differs.
    const w = VIEW.width + (loses === 'w' ? 17 - bar : 0), h = VIEW.height + (loses === 'h' ? 17 - bar : 0);
    const theirs = nativeRender(file, 1, ['--fit', fit, `${w}x${h}`]);
    assert.deepStrictEqual([ours.width, ours.height], [theirs.width, theirs.height], url);
    assert.ok(ours.rgb.equals(theirs.rgb), `${url}: canvas differs from vellarion render`);
  }
  await shot('fit-height.png');
});

test('page steps by script, toolbar and keys raise page changes', CASE, async () => {
  await show({ src: '/fixtures/sample.tif', fit: 'best', id: 'steps', enableevents: '8199' });
  assert.strictEqual(await call('GetNumberOfPages'), 3);
  assert.strictEqual(await call('GoToPageSpecial', 3), 0, 'no page before the first');
  assert.strictEqual(await call('GoToPageSpecial', 4), 2);
  await page.locator('vellarion-viewer').locator('button[title="Next page"]').click();
  await call('whenIdle');
  assert.strictEqual(await call('GetCurrentPage'), 3);
  await page.locator('vellarion-viewer').locator('.view').focus();
  await page.keyboard.press('Control+Home');
  await call('whenIdle');
  assert.strictEqual(await call('GetCurrentPage'), 1);
  assert.strictEqual(await call('GoToPage', 99), 3, 'clamped to the last page');
  await call('whenIdle');
  assert.deepStrictEqual((await events()).filter((e) => e[0] === 'vlar_OnPageChange'),
    [['vlar_OnPageChange', 'steps', 2], ['vlar_OnPageChange', 'steps', 3], ['vlar_OnPageChange', 'steps', 1],
     ['vlar_OnPageChange', 'steps', 3]]);
  await shot('toolbar.png');
});

test('zoom, fit, turn and negative change the view and tell the page', CASE, async () => {
  await show({ src: '/corpus/leptonlib__feyn.tif', fit: 'width', id: 'z', enableevents: '127' });
  const width = await call('GetValue', 9), height = await call('GetValue', 10);
  assert.strictEqual(await call('SetValue', 6, 50), 1);
  assert.deepStrictEqual([await call('GetValue', 5), await call('GetValue', 6)], [0, 50]);
  assert.strictEqual(await call('GetValue', 13), Math.round(width / 2));
  assert.strictEqual(await call('SetValue', 1, 5), 1);
  assert.strictEqual(await call('SetValue', 1, 2), 0, 'already turned right');
  assert.deepStrictEqual([await call('GetValue', 13), await call('GetValue', 14)],
                         [Math.round(height / 2), Math.round(width / 2)]);
  const before = (await canvasRgb()).rgb;
  await call('SetValue', 2, 2);
  const after = (await canvasRgb()).rgb;
  // The page is negated before it is scaled, so the filter's rounding may move a value by one.
  assert.ok(after.every((v, i) => Math.abs(v - (255 - before[i])) <= 1), 'negative inverts every channel');
  await page.locator('vellarion-viewer').locator('button[title="Best fit"]').click();
  await call('whenIdle');
  assert.strictEqual(await call('GetValue', 5), 3);
  assert.ok(await call('GetValue', 14) <= VIEW.height);
  assert.deepStrictEqual(await events(), [
    ['vlar_OnFileReady', 'z'], ['vlar_OnSizeModeChange', 'z', 0, 50], ['vlar_OnOrientationChange', 'z', 2],
    ['vlar_OnNegativeChange', 'z', 1], ['vlar_OnSizeModeChange', 'z', 3, 50]]);
  await shot('turned-negative.png');
});

test('a crop band in crop-select mode reports page pixels, and a click clears it', CASE, async () => {
  await show({ src: '/fixtures/sample.tif', fit: 'best', id: 'c', mousemode: 'cropselect' });
  const box = await page.evaluate(() => {
    const r = document.querySelector('vellarion-viewer').$view.getBoundingClientRect();
    return { x: r.left, y: r.top };
  });
  const scale = (await call('GetValue', 9)) / (await call('GetValue', 13));
  await page.mouse.move(box.x + 20, box.y + 20);
  await page.mouse.down();
  await page.mouse.move(box.x + 120, box.y + 70, { steps: 5 });
  await page.mouse.up();
  await call('whenIdle');
  await page.mouse.click(box.x + 200, box.y + 200);
  await call('whenIdle');
  const [selected, cleared] = (await events()).filter((e) => e[0] === 'vlar_OnCropSelect');
  assert.deepStrictEqual(selected.slice(1, 4), ['c', 1, 1]);
  // Each corner is the page pixel under the view pixel's centre.
  const near = (got, want) => Math.abs(got - want) <= 1;
  assert.ok(near(selected[4], Math.floor(20.5 * scale)) && near(selected[5], Math.floor(20.5 * scale)), `${selected}`);
  assert.ok(near(selected[6], Math.floor(120.5 * scale) - Math.floor(20.5 * scale) + 1), `${selected}`);
  assert.deepStrictEqual(cleared, ['vlar_OnCropSelect', 'c', 0, 1, 0, 0, 1700, 2200]);
  assert.strictEqual(await page.evaluate(() => document.querySelector('vellarion-viewer').$crop.hidden), true);
});

test('keys and the wheel scroll a page larger than the view', CASE, async () => {
  await show({ src: '/corpus/leptonlib__feyn.tif', fit: 'none', id: 's' });
  await page.locator('vellarion-viewer').locator('.view').focus();
  await page.keyboard.press('PageDown');
  const afterKey = await call('GetValue', 16);
  const client = await page.evaluate(() => document.querySelector('vellarion-viewer').$view.clientHeight);
  assert.strictEqual(afterKey, client - 10, 'one page less ten pixels');
  await page.mouse.move(300, 300);
  await page.mouse.wheel(0, 100);
  await page.waitForFunction((y) => document.querySelector('vellarion-viewer').GetValue(16) > y, afterKey);
  assert.strictEqual(await call('GetValue', 16), afterKey + 90, 'a notch scrolls three lines');
});

test('barcodes are read from the shown page', CASE, async () => {
  const rows = fs.readFileSync(path.join(VL_CORPUS, 'barcodes', 'manifest.tsv'), 'utf8').trim().split('\n').slice(1)
    .map((l) => l.split('\t')).filter((c) => c[2] === 'setB' && c[4] === 'g4').slice(0, 2);
  assert.strictEqual(rows.length, 2);
  for (const [file, , , , , , , , expected] of rows) {
    await show({ src: `/corpus/barcodes/${file}`, fit: 'best', id: 'b' });
    assert.strictEqual(await call('GetBarcode'), '', 'nothing before a detection');
    await call('DetectBarcodes', 0, 0, 0, 0);
    const found = [];
    for (let t = await call('GetBarcode'); t; t = await call('GetBarcode')) found.push(t);
    assert.deepStrictEqual(found, JSON.parse(expected), file);
    const blank = await call('DetectBlankPage');
    assert.ok(blank > 0 && blank < 0.5, `blank measure ${blank}`);
  }
  assert.match(await call('GetTagReport', 1), /ImageWidth/);
});

test('files that cannot be shown end in a message, never a hang', CASE, async () => {
  await show({ src: '/corpus/exiv2__2018-01-09-exiv2-crash-002.tiff', id: 'broken' });
  assert.deepStrictEqual([await call('GetNumberOfPages'), await call('GetState', 1), await call('GetState', 2)], [0, 2, 0]);
  const message = () => page.evaluate(() => document.querySelector('vellarion-viewer').shadowRoot.querySelector('.log').textContent);
  assert.ok((await message()).length > 0);
  await shot('broken.png');

  await show({ src: '/fixtures/loop.tif', id: 'loop' });
  assert.strictEqual(await call('GetNumberOfPages'), 2, 'the loop back to the first directory is cut');
  assert.strictEqual(await call('GoToPageSpecial', 2), 2);

  await show({ src: '/corpus/exiv2__exiv2-bug1044.tif', memorylimit: '1', id: 'big' });
  assert.strictEqual(await call('GetState', 2), 0);
  assert.match(await message(), /memory|limit/i);
  await show({ src: '/corpus/exiv2__exiv2-bug1044.tif', id: 'big' });
  assert.strictEqual(await call('GetState', 2), 1, 'shown without the limit');

  await show({ src: '/fixtures/missing.tif', id: 'missing' });
  assert.match(await message(), /404/);
});

test('embed and object elements of our types are upgraded in place', CASE, async () => {
  await page.goto(`${site.base}/test/embed.html`);
  await page.waitForFunction(() => document.querySelectorAll('vellarion-viewer').length === 2);
  const states = await page.evaluate(async () => {
    const all = [...document.querySelectorAll('vellarion-viewer')];
    await new Promise((r) => setTimeout(r, 0));
    for (const el of all) {
      while (el.GetState(2) !== 1) await new Promise((r) => setTimeout(r, 50));
      await el.whenIdle();
    }
    return all.map((el) => [el.id, el.GetCurrentPage(), el.GetValue(1), el.offsetWidth, el.offsetHeight,
                            el.shadowRoot.querySelector('.bar').hidden]);
  });
  assert.deepStrictEqual(states, [['old-embed', 1, 2, 400, 300, false], ['old-object', 2, 1, 300, 200, true]]);
  assert.strictEqual(await page.locator('embed, object').count(), 0);
  await shot('embed-upgrade.png');
});
