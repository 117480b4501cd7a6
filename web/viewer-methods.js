// The script methods of the page element, with the plug-in's names, argument
// numbers and answers. Methods whose answer needs the decoded page (barcodes,
// the blank measure, marks, the tag report) return Promises; the rest answer at
// once from the element's state and queue the change, whose event is raised
// when the change is on the canvas. Left out, because they need the desktop or
// parts the element does not have: AboutBox, Print, Zoom (the magnifier),
// RegisterFileTypes, SetPageValue/GetPageValue, ClearAnnotations, Upload,
// AddUploadParam, DeleteUploadParam; value keys 18 (toolbar button size) and
// 41 (pen marks); string keys 21-23 (upload) and 31 (pen colour).

export const EVENTS = { ready: 0x1, fileReady: 0x2, pageChange: 0x4, mouseModeChange: 0x8, sizeModeChange: 0x10,
                        orientationChange: 0x20, negativeChange: 0x40, cropSelect: 0x2000 };
// The platform's scroll-bar codes, which Scroll and the keys speak.
export const SCROLL = { lineUp: 0, lineDown: 1, pageUp: 2, pageDown: 3, thumb: 4, top: 6, bottom: 7 };

// What the plug-in's integer conversion makes of a script value.
function int(v) {
  if (typeof v === 'boolean') return v ? 1 : 0;
  if (typeof v === 'number') return Number.isFinite(v) ? Math.trunc(v + 1e-8) | 0 : 0;
  if (typeof v === 'string') return parseInt(v.trim(), 10) | 0;
  return 0;
}

function pageShown(el) { return el.state.download === 3 && el.state.loaded && el.state.shown; }

function turnTo(current, value) {
  if (value >= 1 && value <= 4) return value;
  if (value === 5) return (current % 4) + 1;
  if (value === 6) return ((current + 2) % 4) + 1;
  if (value === 7) return ((current + 1) % 4) + 1;
  return current;
}

function setOrientation(el, value) {
  const to = turnTo(el.state.orientation, value);
  if (to === el.state.orientation) return 0;
  el.state.orientation = to;
  el.changeView({ orientation: to }).then(() => el.raise(EVENTS.orientationChange, 'vlar_OnOrientationChange', to));
  return 1;
}

function setSizeMode(el, mode) {
  if (mode < 0 || mode > 3 || mode === el.state.sizeMode) return;
  el.state.sizeMode = mode;
  el.changeView({ sizeMode: mode }).then(() => el.raise(EVENTS.sizeModeChange, 'vlar_OnSizeModeChange', mode, el.state.zoom));
}

export function setZoom(el, args) {
  el.state.sizeMode = 0;
  el.changeView(args).then(() => el.raise(EVENTS.sizeModeChange, 'vlar_OnSizeModeChange', 0, el.state.zoom));
}

function setValue(el, key, value) {
  const s = el.state;
  switch (key) {
  case 1: return setOrientation(el, value);
  case 2: {
    const on = value === 2 ? 1 - s.negative : value;
    if ((on === 0 || on === 1) && on !== s.negative) {
      s.negative = on;
      el.changeView({ negative: on }).then(() => el.raise(EVENTS.negativeChange, 'vlar_OnNegativeChange', on));
    }
    return 1;
  }
  case 3:
    if ((value === 0 || value === 1) && value !== s.smooth) {
      s.smooth = value;
      el.changeView({ smooth: value });
    }
    return 1;
  case 4:
    if (value >= 0 && value <= 6 && value !== s.mouseMode) {
      s.mouseMode = value;
      el.refresh();
      el.raise(EVENTS.mouseModeChange, 'vlar_OnMouseModeChange', value);
    }
    return 1;
  case 5: setSizeMode(el, value); return 1;
  case 6: if (value > 0) setZoom(el, { zoomPercent: value }); return 1;
  case 15: if (pageShown(el)) el.scrollBy(false, SCROLL.thumb, value); return 1;
  case 16: if (pageShown(el)) el.scrollBy(true, SCROLL.thumb, value); return 1;
  case 20: el.eventMask = value >>> 0; return 1;
  default: return 0;
  }
}

function getValue(el, key) {
  const s = el.state;
  switch (key) {
  case 1: return s.orientation;
  case 2: return s.negative;
  case 3: return s.smooth;
  case 4: return s.mouseMode;
  case 5: return s.sizeMode;
  case 6: return s.zoom;
  case 9: case 10: case 11: case 12: case 13: case 14: return pageShown(el) ? s.values[key] | 0 : 0;
  case 15: return pageShown(el) ? el.$view.scrollLeft | 0 : 0;
  case 16: return pageShown(el) ? el.$view.scrollTop | 0 : 0;
  case 20: return el.eventMask;
  case 24: return 1;
  default: return 0;
  }
}

function goTo(el, index) {
  el.queue(() => el.loadPage(index));
  return index + 1;
}

export const methods = {
  // Host kind 3 is the page element's own (1 is the plug-in, 2 the control flavour).
  GetVersion(what) { return [2000002, 3, 32, 1][int(what)] || 0; },
  GetState(what) {
    const s = this.state;
    switch (int(what)) {
    case 0: case 3: return 1;
    case 1: return s.download === 1 || s.download === 2 ? 1 : s.download === 3 ? (s.loaded ? 3 : 2) : 0;
    case 2: return s.download === 3 && s.shown ? 1 : 0;
    default: return 0;
    }
  },
  GoToPage(page) {
    if (!this.state.loaded) return 0;
    return goTo(this, Math.max(0, Math.min(int(page) - 1, this.state.pages - 1)));
  },
  GoToPageSpecial(code) {
    const s = this.state;
    if (!s.loaded) return 0;
    const to = { 1: 0, 2: s.pages - 1, 3: s.page - 2, 4: s.page }[int(code)];
    if (to === undefined || to < 0 || to >= s.pages) return 0;
    return goTo(this, to);
  },
  GetCurrentPage() { return this.state.loaded ? this.state.page : 0; },
  GetNumberOfPages() { return this.state.loaded ? this.state.pages : 0; },
  LoadImage(url, page) {
    if (typeof url !== 'string' || this.state.download === 2) return 0;
    if (!url) {
      this.queue(() => this.closeDocument());
      return 1;
    }
    this.open(url, Math.max(0, int(page) - 1));
    return 1;
  },
  GetValue(key) { return getValue(this, int(key)); },
  SetValue(key, value) { return setValue(this, int(key), int(value)); },
  Scroll(direction, amount) {
    const codes = { 1: [SCROLL.lineUp, SCROLL.pageUp, SCROLL.top], 2: [SCROLL.lineDown, SCROLL.pageDown, SCROLL.bottom],
                    3: [SCROLL.lineDown, SCROLL.pageDown, SCROLL.bottom], 4: [SCROLL.lineUp, SCROLL.pageUp, SCROLL.top] };
    const d = int(direction), a = int(amount);
    if (codes[d] && a >= 1 && a <= 3) this.scrollBy(d === 1 || d === 3, codes[d][a - 1]);
    return 1;
  },
  SetCropSelect(action, page, x, y, width, height) {
    const p = int(page) || this.state.page;
    if (p < 1 || p > this.state.pages) return 1;
    if (int(action) === 1) this.crops.set(p, [int(x), int(y), int(x) + int(width) - 1, int(y) + int(height) - 1]);
    else if (int(action) === 0) this.crops.delete(p);
    this.queue(() => this.drawCrop());
    return 1;
  },
  async DetectBarcodes(left, top, width, height) {
    await this.whenIdle();
    this.barcodeList = this.state.shown
      ? await this.call('barcodes', { left: int(left), top: int(top), width: int(width), height: int(height) }) : [];
  },
  GetBarcode() { return this.barcodeList.shift() || ''; },
  async DetectBlankPage() {
    await this.whenIdle();
    return this.state.shown ? this.call('blank') : -1;
  },
  async OMRInit(a, b, c, d) {
    await this.whenIdle();
    if (this.state.shown) await this.call('omrInit', { x: int(a), y: int(b), width: int(c), height: int(d) });
  },
  async OMRCheck(a, b, c, d) {
    await this.whenIdle();
    return this.state.shown ? this.call('omrCheck', { x: int(a), y: int(b), width: int(c), height: int(d) }) : 0;
  },
  SetValueString(key, text) {
    if (typeof text !== 'string' || text.length > 2047 || int(key) !== 19) return 0;
    if (text && !/^#[0-9a-fA-F]{6}$/.test(text)) return 0;
    this.background = text ? text.toLowerCase() : '#404040';
    this.$view.style.background = this.background;
    return 1;
  },
  GetValueString(key) { return int(key) === 19 ? this.background : ''; },
  // The element's own: the tag report's text for the whole file (0) or a page.
  async GetTagReport(page) {
    await this.whenIdle();
    return this.state.download === 3 ? this.call('tagReport', { page: int(page) }) : '';
  },
};
