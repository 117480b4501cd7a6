// One page at a time, each in both viewers, each timed from the request for the
// file to its pixels on a canvas in an 800x600 box. Our element decodes in its
// Worker and paints the view; utif decodes on the page and paints the whole page
// at full size, scaled down by CSS, which is how pages use it today.
/* global UTIF */
import '/web/vellarion-viewer.js';

async function ours(el, url) {
  const start = performance.now();
  const ready = new Promise((r) => el.addEventListener('vlar_OnFileReady', r, { once: true }));
  el.LoadImage(url, 1, 0);
  await ready;
  await el.whenIdle();
  await new Promise(requestAnimationFrame);
  return { ms: performance.now() - start, shown: el.GetState(2) === 1 };
}

async function theirs(box, url) {
  const start = performance.now();
  try {
    const bytes = await (await fetch(url)).arrayBuffer();
    const ifds = UTIF.decode(bytes);
    UTIF.decodeImage(bytes, ifds[0]);
    const rgba = UTIF.toRGBA8(ifds[0]);
    const { width, height } = ifds[0];
    if (!width || !height || rgba.length !== width * height * 4) throw new Error('no pixels');
    const canvas = document.createElement('canvas');
    canvas.width = width;
    canvas.height = height;
    canvas.getContext('2d').putImageData(new ImageData(new Uint8ClampedArray(rgba.buffer, rgba.byteOffset, rgba.length), width, height), 0, 0);
    box.replaceChildren(canvas);
    await new Promise(requestAnimationFrame);
    return { ms: performance.now() - start, shown: true };
  } catch (e) {
    box.replaceChildren();
    return { ms: performance.now() - start, shown: false, why: String(e.message || e) };
  }
}

// The driver calls these one page and one viewer at a time, so that a page that
// brings a viewer down costs only that viewer's row. Each page is timed twice and
// the faster run kept, so one slow moment on a shared machine does not decide.
window.benchOurs = async (url) => {
  const el = document.getElementById('ours');
  await customElements.whenDefined('vellarion-viewer');
  const a = await ours(el, url), b = await ours(el, url);
  return { ms: Math.min(a.ms, b.ms), shown: a.shown };
};
window.benchTheirs = async (url) => {
  const box = document.getElementById('theirs');
  const a = await theirs(box, url), b = await theirs(box, url);
  return { ms: Math.min(a.ms, b.ms), shown: a.shown, why: a.why };
};
