// The WebAssembly core behind one document, with JavaScript values in and out.
// The Worker and the Node checks both go through this file, so what they check
// is what the element shows. A classic script on purpose: a classic Worker
// loads it with importScripts next to the single-file core, and Node requires it.
(function (root) {
  'use strict';

  class CoreDocument {
    // `core` is the instantiated module; `bytes` a Uint8Array of the file.
    constructor(core, bytes, memoryLimitMb) {
      this.core = core;
      const at = core._malloc(Math.max(bytes.length, 1));
      if (!at) throw new Error('Not enough memory to hold the file.');
      core.HEAPU8.set(bytes, at);
      // The core takes the copy over and frees it with the document.
      this.handle = core._vlw_open(at, bytes.length, memoryLimitMb | 0);
      if (!this.handle) throw new Error('Not enough memory to open the file.');
    }
    close() {
      if (this.handle) this.core._vlw_close(this.handle);
      this.handle = 0;
    }
    pageCount() { return this.core._vlw_page_count(this.handle); }
    log() { return this.core.UTF8ToString(this.core._vlw_log_text(this.handle)); }
    loadPage(page) { return this.core._vlw_load_page(this.handle, page) === 1; }
    setOrientation(value) { return this.core._vlw_set_orientation(this.handle, value) === 1; }
    setNegative(on) { return this.core._vlw_set_negative(this.handle, on ? 1 : 0) === 1; }
    setSmooth(on) { return this.core._vlw_set_smooth(this.handle, on ? 1 : 0) === 1; }
    setSizeMode(mode) { return this.core._vlw_set_size_mode(this.handle, mode) === 1; }
    setZoomPercent(percent) { return this.core._vlw_set_zoom_percent(this.handle, percent) === 1; }
    zoomStep(zoomIn) { this.core._vlw_zoom_step(this.handle, zoomIn ? 1 : 0); }
    value(key) { return this.core._vlw_value(this.handle, key); }
    // Every value key the element reads, in one object.
    values() {
      const keys = [1, 2, 3, 5, 6, 9, 10, 11, 12, 13, 14, 100, 101];
      const out = {};
      for (const k of keys) out[k] = this.value(k);
      return out;
    }
    layout(width, height, bar) { return this.core._vlw_layout(this.handle, width, height, bar) === 1; }
    // The view's pixels as a fresh RGBA array (the module's memory may move),
    // or null with the reason in the log.
    render() {
      const at = this.core._vlw_render(this.handle);
      if (!at) return null;
      const width = this.value(13), height = this.value(14);
      return { width, height, rgba: this.core.HEAPU8.slice(at, at + width * height * 4) };
    }
    // Four int32 slots of scratch memory for the geometry answers.
    geometry(fn, args, count) {
      const at = this.core._malloc(16);
      fn(this.handle, ...args, at);
      const out = Array.from(this.core.HEAP32.subarray(at >> 2, (at >> 2) + count));
      this.core._free(at);
      return out;
    }
    viewToPage(x, y) { return this.geometry(this.core._vlw_view_to_page, [x, y], 2); }
    pageRectToView(left, top, right, bottom) {
      return this.geometry(this.core._vlw_page_rect_to_view, [left, top, right, bottom], 4);
    }
    barcodes(left, top, width, height) {
      this.core._vlw_detect_barcodes(this.handle, left, top, width, height);
      const texts = [];
      for (;;) {
        const t = this.core.UTF8ToString(this.core._vlw_next_barcode(this.handle));
        if (!t) return texts;
        texts.push(t);
      }
    }
    blankMeasure() { return this.core._vlw_detect_blank_page(this.handle); }
    omrInit(x, y, width, height) { this.core._vlw_omr_init(this.handle, x, y, width, height); }
    omrCheck(x, y, width, height) { return this.core._vlw_omr_check(this.handle, x, y, width, height); }
    tagReport(page) { return this.core.UTF8ToString(this.core._vlw_tag_report(this.handle, page | 0)); }
  }

  if (typeof module === 'object' && module.exports) module.exports = { CoreDocument };
  else root.CoreDocument = CoreDocument;
})(typeof self !== 'undefined' ? self : this);
