// The benchmark's driver: serves the element, utif and the pages on loopback,
// runs bench.html in headless Chromium and reports decode-and-show times for
// the corpus pages both viewers show, and for a 5100x6600 Group 4 page and a
// 4000x3000 JPEG page made here with ImageMagick from corpus pages.
// Usage: node bench/web/run.js DIST CORPUS NODE_MODULES OUT
'use strict';
const fs = require('fs');
const os = require('os');
const path = require('path');
const { execFileSync } = require('child_process');
const { serve, launch } = require('../../web/test/server.js');

// A page that takes a viewer longer than this (two runs) is counted as not shown.
const LIMIT_MS = 60000;

function makeLargePages(corpus, out) {
  const pages = {
    'large_g4_5100x6600.tif': ['leptonlib__feyn.tif', '-resize', '5100x6600!', '-threshold', '50%',
                               '-compress', 'Group4'],
    'large_jpeg_4000x3000.tif': ['pillow__pil168.tif', '-resize', '4000x3000!', '-compress', 'JPEG',
                                 '-quality', '90'],
  };
  for (const [name, [from, ...ops]] of Object.entries(pages)) {
    const file = path.join(out, name);
    if (!fs.existsSync(file)) execFileSync('convert', [path.join(corpus, from) + '[0]', ...ops, file]);
  }
  return Object.keys(pages);
}

function total(rows) {
  return rows.reduce((t, r) => ({ ours: t.ours + r.ours, theirs: t.theirs + r.theirs }), { ours: 0, theirs: 0 });
}

async function main([dist, corpus, modules, out]) {
  fs.mkdirSync(out, { recursive: true });
  const large = makeLargePages(corpus, out);
  const files = fs.readdirSync(corpus).filter((f) => /\.tiff?$/i.test(f)).sort();
  const site = await serve({ '/web/': path.resolve(dist), '/bench/': __dirname, '/npm/': path.resolve(modules),
                             '/corpus/': path.resolve(corpus), '/large/': path.resolve(out) });
  const browser = await launch(fs.mkdtempSync(path.join(os.tmpdir(), 'vl-bench-')));
  let page = null;
  const fresh = async () => {
    // A tab spinning in a decoder may not answer a polite close; it is left behind.
    if (page) await Promise.race([page.close().catch(() => {}), new Promise((r) => setTimeout(r, 5000))]);
    page = await browser.newPage();
    page.setDefaultTimeout(120000);
    await page.setViewportSize({ width: 1700, height: 700 });
    await page.goto(`${site.base}/bench/bench.html`);
    await page.evaluate((u) => window.benchOurs(u), '/corpus/leptonlib__feyn.tif');  // compiles the core untimed
  };
  // One viewer on one page; a crash or a time-out counts as not shown, on a fresh tab.
  const time = async (fn, url) => {
    let timer;
    try {
      const limit = new Promise((_, fail) => { timer = setTimeout(() => fail(new Error(`over ${LIMIT_MS} ms`)), LIMIT_MS); });
      return await Promise.race([page.evaluate(([f, u]) => window[f](u), [fn, url]), limit]);
    } catch (e) {
      process.stderr.write(`${fn} ${url}: ${e.message.split('\n')[0]}\n`);
      await fresh();
      return { ms: 0, shown: false, why: e.message.split('\n')[0] };
    } finally {
      clearTimeout(timer);
    }
  };
  try {
    await fresh();
    const rows = [];
    for (const url of [...files.map((f) => `/corpus/${f}`), ...large.map((f) => `/large/${f}`)]) {
      const a = await time('benchOurs', url), b = await time('benchTheirs', url);
      rows.push({ url, ours: a.ms, oursShown: a.shown, oursWhy: a.why, theirs: b.ms, theirsShown: b.shown, why: b.why });
    }
    const both = rows.filter((r) => r.oursShown && r.theirsShown && r.url.startsWith('/corpus/'));
    const lines = rows.map((r) => `${r.ours.toFixed(1).padStart(9)} ${r.oursShown ? ' ' : 'x'} ` +
                                  `${r.theirs.toFixed(1).padStart(9)} ${r.theirsShown ? ' ' : 'x'}  ${r.url}`);
    const t = total(both);
    const summary = [`corpus pages both show: ${both.length} of ${files.length} files; total ms: ` +
                     `element ${t.ours.toFixed(0)}, utif ${t.theirs.toFixed(0)}`,
                     `only the element shows: ${rows.filter((r) => r.oursShown && !r.theirsShown).length}, ` +
                     `only utif shows: ${rows.filter((r) => !r.oursShown && r.theirsShown).length}`];
    for (const r of rows.filter((x) => x.url.startsWith('/large/')))
      summary.push(`${path.basename(r.url)}: element ${r.ours.toFixed(0)} ms, utif ${r.theirs.toFixed(0)} ms` +
                   (r.theirsShown ? '' : ` (utif: ${r.why})`));
    const text = ['      ours        utif   (ms, decode+show; x: not shown)', ...lines, '', ...summary].join('\n');
    fs.writeFileSync(path.join(out, 'bench.txt'), text + '\n');
    fs.writeFileSync(path.join(out, 'bench.json'), JSON.stringify(rows, null, 1));
    console.log(summary.join('\n'));
  } finally {
    await browser.close();
    site.server.close();
  }
}

main(process.argv.slice(2)).catch((e) => {
  console.error(`benchmark failed: ${e.stack || e}`);
  process.exit(1);
});
