// <vellarion-viewer src="…">: the viewer as a page element. The page is decoded,
// laid out and scaled by the WebAssembly core in a Worker; this file only turns
// attributes, clicks, keys and the wheel into requests, and puts the pixels the
// core answers on a canvas. The script methods keep the plug-in's names, numbers
// and events, so a page written for the plug-in drives the element unchanged.
//
//   attributes/methods --> view state --> Worker (core: decode, layout, scale)
//        canvas <-- RGBA view <-----------'         events <-- what changed
import { buildToolbar, refreshToolbar, toolbarLayout, ZOOM_STEPS } from './toolbar.js';
import { EVENTS, SCROLL, methods } from './viewer-methods.js';
import { attachInput } from './viewer-input.js';

const WORKER_URL = new URL('./vellarion-worker.js', import.meta.url);
const STYLE = `
:host { display: inline-block; position: relative; width: 400px; height: 300px; overflow: hidden;
        font: 12px sans-serif; contain: strict; }
.bar { position: absolute; left: 0; right: 0; height: 26px; display: flex; align-items: center; gap: 1px;
       background: #e8e8e8; padding: 0 2px; box-sizing: border-box; overflow: hidden; }
.bar button { min-width: 23px; height: 22px; padding: 0 3px; border: 1px solid transparent; background: none; }
.bar button[aria-pressed=true] { border-color: #888; background: #fff; }
.bar .sep { width: 6px; }
.view { position: absolute; left: 0; right: 0; overflow: hidden; outline: none; }
canvas { display: block; }
.log { position: absolute; left: 4px; top: 23px; margin: 0; padding: 2px 4px; color: #ffffc0; background: #606060;
       white-space: pre-wrap; font: 12px sans-serif; }
.log:empty { display: none; }
.band, .crop { position: absolute; pointer-events: none; box-sizing: border-box; }
.band { border: 1px solid #fff; mix-blend-mode: difference; }
.crop { border: 1px dashed #f00; }
`;
export const BAR = 26;

let scrollBarSize = -1;
// The browser's scroll bar thickness, which the core's layout takes away from
// the client area when it decides a bar is needed.
function measureScrollBar() {
  if (scrollBarSize < 0) {
    const probe = Object.assign(document.createElement('div'), { style: 'position:absolute;top:-200px;width:100px;height:100px;overflow:scroll' });
    document.body.append(probe);
    scrollBarSize = probe.offsetWidth - probe.clientWidth;
    probe.remove();
  }
  return scrollBarSize;
}

function flag(text, fallback) {
  if (text == null) return fallback;
  const t = String(text).toLowerCase();
  return t === 'yes' || t === 'on' || t === 'true' || t === '1' ? 1 : t === 'no' || t === 'off' || t === 'false' || t === '0' ? 0 : fallback;
}

export class VellarionViewer extends HTMLElement {
  constructor() {
    super();
    const root = this.attachShadow({ mode: 'open' });
    root.innerHTML = `<style>${STYLE}</style><div class="bar" part="toolbar"></div>
      <div class="view" part="view" tabindex="0"><canvas></canvas><div class="crop" hidden></div><div class="band" hidden></div></div>
      <pre class="log" part="log"></pre>`;
    this.$bar = root.querySelector('.bar');
    this.$view = root.querySelector('.view');
    this.$canvas = root.querySelector('canvas');
    this.$log = root.querySelector('.log');
    this.$band = root.querySelector('.band');
    this.$crop = root.querySelector('.crop');
    this.state = { pages: 0, page: 0, orientation: 1, negative: 0, smooth: 1, sizeMode: 1, zoom: 100, mouseMode: 0,
                   download: 0, loaded: false, shown: false, values: {} };
    this.eventMask = 8195;
    this.background = '#404040';
    this.barcodeList = [];
    this.crops = new Map();
    this.chain = Promise.resolve();
    this.requests = new Map();
    this.nextId = 1;
    Object.assign(this, methods);
  }

  connectedCallback() {
    if (this.worker) return;
    this.readParameters((name) => this.getAttribute(name));
    this.worker = new Worker(WORKER_URL);
    this.worker.onmessage = (e) => this.answer(e.data);
    this.$view.style.background = this.background;
    this.placeParts();
    this.controls = buildToolbar(this.$bar, this.toolbarCodes, (code, value) => this.runToolbar(code, value));
    attachInput(this);
    new ResizeObserver(() => this.relayout()).observe(this);
    this.raise(EVENTS.ready, 'vlar_OnReady');
    const src = this.getAttribute('src');
    if (src) this.open(src, this.startPage);
    else this.refresh();
  }

  disconnectedCallback() {
    if (this.worker) this.worker.terminate();
    this.worker = null;
  }

  // The plug-in's embed parameters, read through `get(name)`: attributes here,
  // <param> elements or <embed> attributes when an old element is upgraded.
  readParameters(get) {
    const fit = (get('fit') || '').toLowerCase();
    const modes = { best: 3, width: 1, height: 2, none: 0 };
    if (fit in modes) this.state.sizeMode = modes[fit];
    const orient = ['top', 'right', 'bottom', 'left'].indexOf((get('orient') || '').toLowerCase());
    if (orient >= 0) this.state.orientation = orient + 1;
    this.state.negative = flag(get('negative'), 0);
    this.state.smooth = flag(get('smooth'), 1);
    const mouse = { pan: 1, zoom: 0, none: 2, cropselect: 4 }[(get('mousemode') || '').toLowerCase()];
    if (mouse !== undefined) this.state.mouseMode = mouse;
    if (get('enableevents') != null) this.eventMask = parseInt(get('enableevents'), 10) >>> 0;
    if (/^#[0-9a-f]{6}$/i.test(get('bgcolor') || '')) this.background = get('bgcolor').toLowerCase();
    this.startPage = Math.max(0, (parseInt(get('page'), 10) || 1) - 1);
    this.memoryLimit = parseInt(get('memorylimit'), 10) || 0;
    const toolbar = (get('toolbar') || 'top').toLowerCase();
    this.toolbarPosition = toolbar === 'off' ? 0 : toolbar === 'bottom' ? 2 : 1;
    this.toolbarCodes = this.toolbarPosition ? toolbarLayout(get('toolbaritems')) : [];
  }

  placeParts() {
    const bar = this.toolbarPosition && this.toolbarCodes.length ? BAR : 0;
    this.$bar.hidden = !bar;
    this.$bar.style.top = this.toolbarPosition === 2 ? '' : '0';
    this.$bar.style.bottom = this.toolbarPosition === 2 ? '0' : '';
    this.$view.style.top = this.toolbarPosition === 1 ? bar + 'px' : '0';
    this.$view.style.bottom = this.toolbarPosition === 2 ? bar + 'px' : '0';
  }

  // One request to the Worker; requests are answered in order.
  call(op, args, transfer) {
    if (!this.worker) return Promise.reject(new Error('The viewer is not on a page.'));
    const id = this.nextId++;
    return new Promise((resolve, reject) => {
      this.requests.set(id, { resolve, reject });
      this.worker.postMessage({ id, op, args }, transfer || []);
    });
  }
  answer({ id, result, error }) {
    const r = this.requests.get(id);
    this.requests.delete(id);
    if (r) error !== undefined ? r.reject(new Error(error)) : r.resolve(result);
  }
  // Work that changes what is shown runs one piece after the other.
  queue(work) {
    this.chain = this.chain.then(work).catch((e) => this.showMessage(String(e.message || e)));
    return this.chain;
  }
  // Resolves when every requested change is on the canvas.
  whenIdle() { return this.chain.then(() => undefined); }

  viewSize() {
    return { width: this.$view.offsetWidth, height: this.$view.offsetHeight, bar: measureScrollBar() };
  }

  open(url, page) {
    this.state.download = 1;
    return this.queue(async () => {
      this.closeDocument();
      this.state.download = 1;
      let bytes;
      try {
        const reply = await fetch(url);
        if (!reply.ok) throw new Error(`${reply.status} ${reply.statusText}`);
        bytes = await reply.arrayBuffer();
      } catch (e) {
        this.state.download = 0;
        this.showMessage(`Failed to load ${url}: ${e.message}`);
        this.raise(EVENTS.fileReady, 'vlar_OnFileReady');
        return;
      }
      this.state.download = 3;
      const r = await this.call('open', { bytes, memoryLimit: this.memoryLimit }, [bytes]);
      this.state.pages = r.pages;
      this.state.loaded = r.pages > 0;
      // The core keeps the view settings from page to page; it gets them once, before the first page.
      if (this.state.loaded) await this.call('setView', Object.assign(this.viewArgs(), { view: { width: 1, height: 1, bar: 0 } }));
      if (this.state.loaded) await this.loadPage(Math.min(page || 0, r.pages - 1), false);
      else this.apply(r);
      this.raise(EVENTS.fileReady, 'vlar_OnFileReady');
    });
  }

  closeDocument() {
    Object.assign(this.state, { pages: 0, page: 0, loaded: false, shown: false, download: 0, values: {} });
    this.barcodeList = [];
    this.crops.clear();
    this.apply({ log: '' });
  }

  // The view settings the core must hold before a page is shown.
  viewArgs() {
    const s = this.state;
    return { orientation: s.orientation, negative: s.negative, smooth: s.smooth, sizeMode: s.sizeMode,
             zoomPercent: s.sizeMode === 0 ? s.zoom : undefined, view: this.viewSize() };
  }

  async loadPage(index, announce) {
    const r = await this.call('loadPage', { page: index, view: this.viewSize() });
    const changed = this.state.page !== index + 1;
    this.state.page = index + 1;
    this.$view.scrollLeft = this.$view.scrollTop = 0;
    this.apply(r);
    if (announce !== false && changed) this.raise(EVENTS.pageChange, 'vlar_OnPageChange', index + 1);
  }

  // Sends view changes and shows the answer.
  changeView(args) {
    return this.queue(async () => {
      if (!this.state.loaded) return;
      this.apply(await this.call('setView', Object.assign(args, { view: this.viewSize() })));
    });
  }

  relayout() {
    if (this.relayoutPending) return;
    this.relayoutPending = true;
    requestAnimationFrame(() => {
      this.relayoutPending = false;
      if (this.state.shown) this.changeView({});
    });
  }

  // Puts a Worker answer on the screen: the canvas, the bars, or the log.
  apply(r) {
    const s = this.state;
    if (r.values) {
      s.values = r.values;
      if (r.values[1]) s.orientation = r.values[1];
      if (r.values[6]) s.zoom = r.values[6];
    }
    s.shown = !!r.image;
    if (r.image) {
      const { width, height, rgba } = r.image;
      this.$canvas.width = width;
      this.$canvas.height = height;
      this.$canvas.getContext('2d').putImageData(new ImageData(new Uint8ClampedArray(rgba.buffer || rgba), width, height), 0, 0);
      this.$view.style.overflowX = s.values[100] ? 'scroll' : 'hidden';
      this.$view.style.overflowY = s.values[101] ? 'scroll' : 'hidden';
      this.$canvas.hidden = false;
      this.showMessage('');
    } else {
      this.$canvas.hidden = true;
      this.$view.style.overflow = 'hidden';
      this.showMessage(r.log || '');
    }
    this.drawCrop();
    this.refresh();
  }

  showMessage(text) { this.$log.textContent = text; }
  refresh() { if (this.controls) refreshToolbar(this.controls, this.state); }

  // The page function `name` gets the element's id first, as the plug-in's did;
  // a DOM event of the same name carries the same arguments for listeners.
  raise(bit, name, ...args) {
    if (!(this.eventMask & bit) || this.eventBusy) return;
    this.eventBusy = true;
    try {
      const f = window[name];
      if (typeof f === 'function') f(this.id || '', ...args);
    } catch (e) {
      // A failing page function changes nothing here.
    } finally {
      this.eventBusy = false;
    }
    this.dispatchEvent(new CustomEvent(name, { detail: args }));
  }

  runToolbar(code, value) {
    const s = this.state;
    switch (code) {
    case 'PA': this.SetValue(4, s.mouseMode === 1 ? 0 : 1); break;
    case 'SS': this.SetValue(6, value); break;
    case 'PG': this.GoToPage(value); break;
    case 'PP': this.GoToPageSpecial(3); break;
    case 'NP': this.GoToPageSpecial(4); break;
    case 'SM': this.SetValue(3, s.smooth ? 0 : 1); break;
    case 'NE': this.SetValue(2, 2); break;
    default: {
      const item = { BF: [5, 3], FW: [5, 1], FH: [5, 2], FS: [5, 0], O1: [1, 1], O2: [1, 2], O3: [1, 3], O4: [1, 4],
                     O5: [1, 5], O6: [1, 6], O7: [1, 7] }[code];
      if (item) this.SetValue(item[0], item[1]);
    }
    }
  }

  // A scroll-bar step, as the plug-in's scroll codes move its bars.
  scrollBy(vertical, code, thumb) {
    const v = this.$view;
    const extent = vertical ? v.clientHeight : v.clientWidth;
    const size = vertical ? this.$canvas.height : this.$canvas.width;
    const from = vertical ? v.scrollTop : v.scrollLeft;
    const page = extent > 10 ? extent - 10 : 10;
    const to = { [SCROLL.lineUp]: from - 30, [SCROLL.lineDown]: from + 30, [SCROLL.pageUp]: from - page,
                 [SCROLL.pageDown]: from + page, [SCROLL.top]: 0, [SCROLL.bottom]: size, [SCROLL.thumb]: thumb }[code];
    if (to === undefined) return;
    const clamped = Math.max(0, Math.min(to, size - extent));
    if (vertical) v.scrollTop = clamped;
    else v.scrollLeft = clamped;
  }

  // The page's crop rectangle, drawn over the canvas in view pixels.
  async drawCrop() {
    const rect = this.crops.get(this.state.page);
    if (!rect || !this.state.shown) {
      this.$crop.hidden = true;
      return;
    }
    const [l, t, r, b] = await this.call('pageRectToView', rect);
    Object.assign(this.$crop.style, { left: l + 'px', top: t + 'px', width: r - l + 1 + 'px', height: b - t + 1 + 'px' });
    this.$crop.hidden = false;
  }
}

export { ZOOM_STEPS };
if (!customElements.get('vellarion-viewer')) customElements.define('vellarion-viewer', VellarionViewer);
