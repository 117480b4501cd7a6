// The WebAssembly core against the native tool on the third-party corpus: every
// page the native `vellarion render` shows, the core shows with the same bytes,
// and a page the native tool refuses the core refuses too. A handful of pages
// is also checked at turned, negated, unsmoothed and fixed-zoom views.
// Needs VL_CORE (the single-file module), VL_NATIVE (the tool) and VL_CORPUS.
'use strict';
const test = require('node:test');
const assert = require('node:assert');
const fs = require('fs');
const os = require('os');
const path = require('path');
const { execFileSync } = require('child_process');
const { CoreDocument } = require('../core_api.js');
const { readRgbPng } = require('./png.js');

const CORPUS = process.env.VL_CORPUS;
const NATIVE = process.env.VL_NATIVE;
const MAX_PAGES = 3;  // per file: multi-page samples repeat one kind of page
const BAR = 17;       // the native tool's scroll bar size
// The viewer's defaults: fit width in the tool's default window, smoothed.
const DEFAULT_VIEW = ['--fit', 'width', '1000x800'];

// [file, page, native view options]: the kinds the default walk shows only at fit width.
const VIEWS = [
  ['leptonlib__feyn.tif', 1, ['--fit', 'best', '640x480', '--orient', 'right']],
  ['derived__feyn_g4_lsb2msb_tiled.tif', 1, ['--zoom', '50', '--smooth', 'off']],
  ['golang-golang-x-image__bw-gopher_ccittGroup3.tiff', 1, ['--negative', 'on', '--zoom', '200']],
  ['pillow__pil168.tif', 1, ['--fit', 'height', '300x200', '--orient', 'bottom']],
  ['exiv2__Reagan.tiff', 1, ['--orient', 'left', '--negative', 'on']],
  ['derived__hopper_cmyk_planar_lzw.tif', 1, ['--zoom', '300', '--smooth', 'off']],
  ['golang-golang-x-image__video-001-paletted.tiff', 1, ['--fit', 'best', '97x61']],
  ['exiv2__exiv2-bug1044.tif', 1, ['--zoom', '33', '--orient', 'right']],
];

function nativeRender(file, page, options) {
  const out = path.join(fs.mkdtempSync(path.join(os.tmpdir(), 'vl-px-')), 'p.png');
  try {
    execFileSync(NATIVE, ['render', file, '--page', String(page), '--out', out, ...options],
                 { stdio: ['ignore', 'ignore', 'pipe'], timeout: 60000 });
    return readRgbPng(fs.readFileSync(out));
  } catch (e) {
    if (e.code === 'ETIMEDOUT') throw e;
    return null;
  } finally {
    fs.rmSync(path.dirname(out), { recursive: true, force: true });
  }
}

// The same options, read as the tool reads them, given to the core.
function coreRender(doc, page, options) {
  let w = 1000, h = 800;
  const modes = { best: 3, width: 1, height: 2 };
  for (let i = 0; i < options.length; i += 2) {
    const [name, value] = [options[i], options[i + 1]];
    if (name === '--fit') {
      doc.setSizeMode(modes[value]);
      [w, h] = options[i + 2].split('x').map(Number);
      ++i;
    } else if (name === '--orient') doc.setOrientation(['top', 'right', 'bottom', 'left'].indexOf(value) + 1);
    else if (name === '--negative') doc.setNegative(value === 'on');
    else if (name === '--smooth') doc.setSmooth(value === 'on');
    else if (name === '--zoom') doc.setZoomPercent(Number(value));
  }
  if (!doc.loadPage(page - 1) || !doc.layout(w, h, BAR)) return null;
  return doc.render();
}

function rgbOf(rgba) {
  const rgb = Buffer.alloc((rgba.length / 4) * 3);
  for (let i = 0, j = 0; i < rgba.length; i += 4, j += 3) {
    rgb[j] = rgba[i];
    rgb[j + 1] = rgba[i + 1];
    rgb[j + 2] = rgba[i + 2];
  }
  return rgb;
}

function compare(core, name, page, options) {
  const bytes = fs.readFileSync(path.join(CORPUS, name));
  const doc = new CoreDocument(core, bytes, 0);
  try {
    const ours = page <= doc.pageCount() ? coreRender(doc, page, options) : null;
    const theirs = nativeRender(path.join(CORPUS, name), page, options);
    const where = `${name} page ${page} ${options.join(' ')}`;
    assert.strictEqual(!!ours, !!theirs, `${where}: shown by ${ours ? 'the core only' : 'the native tool only'}`);
    if (!ours) return false;
    assert.deepStrictEqual([ours.width, ours.height], [theirs.width, theirs.height], where);
    assert.ok(rgbOf(ours.rgba).equals(theirs.rgb), `${where}: pixels differ`);
    return true;
  } finally {
    doc.close();
  }
}

test('core pixels equal the native tool', async (t) => {
  const create = require(process.env.VL_CORE);
  const core = await create();
  const files = fs.readdirSync(CORPUS).filter((f) => /\.tiff?$/i.test(f)).sort();
  let pages = 0, shown = 0;
  const failures = [];
  await t.test('every corpus page at the default view', () => {
    for (const name of files) {
      const doc = new CoreDocument(core, fs.readFileSync(path.join(CORPUS, name)), 0);
      const count = Math.min(doc.pageCount(), MAX_PAGES);
      doc.close();
      for (let page = 1; page <= Math.max(count, 1); ++page, ++pages) {
        try {
          if (compare(core, name, page, DEFAULT_VIEW)) ++shown;
        } catch (e) {
          failures.push(e.message.split('\n')[0]);
        }
      }
    }
    assert.deepStrictEqual(failures, []);
    // Most of the corpus is readable; a walk that shows nothing proves nothing.
    assert.ok(shown >= 100, `only ${shown} of ${pages} pages shown`);
    t.diagnostic(`${shown} of ${pages} pages equal, the rest refused by both`);
  });
  await t.test('chosen pages at other views', () => {
    for (const [name, page, options] of VIEWS) assert.ok(compare(core, name, page, options), `${name} not shown`);
  });
});
