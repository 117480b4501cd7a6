// The element's decoding thread: one document per Worker, so a large page
// never holds up the page that shows it. A classic Worker, because the
// single-file core and core_api.js are classic scripts.
/* global importScripts, createVellarionCore, CoreDocument */
'use strict';
importScripts('vellarion_core.js', 'core_api.js');

let corePromise = null;
let doc = null;

function core() {
  if (!corePromise) corePromise = createVellarionCore();
  return corePromise;
}

// What the element needs after every change: the page count, the values,
// and the log that stands in for a page that cannot be shown.
function state(extra) {
  return Object.assign({ pages: doc ? doc.pageCount() : 0, values: doc ? doc.values() : {}, log: doc ? doc.log() : '' }, extra);
}

// Lays out and renders the view; the pixels travel without a copy.
function show(view, transfer) {
  const laid = doc.layout(view.width, view.height, view.bar);
  const image = laid ? doc.render() : null;
  if (image) transfer.push(image.rgba.buffer);
  return state({ image });
}

const ops = {
  async open(a) {
    if (doc) doc.close();
    doc = null;
    doc = new CoreDocument(await core(), new Uint8Array(a.bytes), a.memoryLimit);
    return state({});
  },
  loadPage(a, t) {
    const loaded = doc.loadPage(a.page);
    return Object.assign(loaded ? show(a.view, t) : state({}), { loaded });
  },
  setView(a, t) {
    if (a.orientation !== undefined) doc.setOrientation(a.orientation);
    if (a.negative !== undefined) doc.setNegative(a.negative);
    if (a.smooth !== undefined) doc.setSmooth(a.smooth);
    if (a.sizeMode !== undefined) doc.setSizeMode(a.sizeMode);
    if (a.zoomPercent !== undefined) doc.setZoomPercent(a.zoomPercent);
    if (a.zoomStep !== undefined) doc.zoomStep(a.zoomStep > 0);
    return show(a.view, t);
  },
  show(a, t) { return show(a.view, t); },
  barcodes(a) { return doc.barcodes(a.left, a.top, a.width, a.height); },
  blank() { return doc.blankMeasure(); },
  omrInit(a) { doc.omrInit(a.x, a.y, a.width, a.height); return 1; },
  omrCheck(a) { return doc.omrCheck(a.x, a.y, a.width, a.height); },
  tagReport(a) { return doc.tagReport(a.page); },
  viewToPage(a) { return doc.viewToPage(a.x, a.y); },
  pageRectToView(a) { return doc.pageRectToView(a.left, a.top, a.right, a.bottom); },
  close() { if (doc) doc.close(); doc = null; return 1; },
};

// One request at a time, in arrival order: opening waits for the core to
// compile, and nothing may reach the document before it exists.
let queue = Promise.resolve();
self.onmessage = (e) => { queue = queue.then(() => handle(e.data)); };

async function handle({ id, op, args }) {
  const transfer = [];
  try {
    if (op !== 'open' && !doc) throw new Error('No document is open.');
    const result = await ops[op](args || {}, transfer);
    self.postMessage({ id, result }, transfer);
  } catch (err) {
    self.postMessage({ id, error: String((err && err.message) || err) });
  }
}
