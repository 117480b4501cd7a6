// The toolbar of the page element: the plug-in's item codes, tooltips and
// layouts, less the items that need the desktop (printing, saving, the
// clipboard, mail, the magnifier, sketching, upload, the menu and the about box).
// A layout naming only those items gives an empty toolbar, as an empty layout does.

export const ZOOM_STEPS = [1600, 800, 400, 300, 200, 100, 70, 50, 33, 25, 17, 10, 5];

// code: [tooltip, what it does]. The glyphs stand in for the plug-in's bitmaps.
export const TOOLBAR_ITEMS = {
  PA: { tip: 'Panning mode', glyph: '\u2725', toggle: 'pan' },
  BF: { tip: 'Best fit', glyph: '\u2922', sizeMode: 3 },
  FW: { tip: 'Fit to window width', glyph: '\u2194', sizeMode: 1 },
  FH: { tip: 'Fit to window height', glyph: '\u2195', sizeMode: 2 },
  FS: { tip: 'Fixed size', glyph: '1:1', sizeMode: 0 },
  SS: { tip: 'Select fixed size', select: 'zoom' },
  O4: { tip: 'Rotated left', glyph: '\u21b6', orientation: 4 },
  O1: { tip: 'Original orientation', glyph: '\u2191', orientation: 1 },
  O2: { tip: 'Rotated right', glyph: '\u21b7', orientation: 2 },
  O3: { tip: 'Upside down', glyph: '\u2193', orientation: 3 },
  O6: { tip: 'Rotate 90 degrees left', glyph: '\u27f2', turn: 6 },
  O5: { tip: 'Rotate 90 degrees right', glyph: '\u27f3', turn: 5 },
  O7: { tip: 'Rotate 180 degrees', glyph: '\u21bb', turn: 7 },
  SM: { tip: 'Smooth image', glyph: '\u2248', toggle: 'smooth' },
  NE: { tip: 'Negative image', glyph: '\u25d0', toggle: 'negative' },
  PG: { tip: 'Choose page', select: 'page' },
  PP: { tip: 'Previous page', glyph: '\u25c0', step: 3 },
  NP: { tip: 'Next page', glyph: '\u25b6', step: 4 },
};

const STANDARD = 'PR,SA,CC,UP?,_,ZO,PA,SL?,DR?,ER?,_,BF,FW,FS,SS,_,O4,O1,O2,O3,_,NE,_,PG,PP,NP,_,ME,AB';
const FULL = 'PR,QP,OF,SA,CC,SE,UP?,_,ZO,PA,SL?,DR?,ER?,_,BF,FW,FH,FS,SS,_,O4,O1,O2,O3,O6,O5,O7,_,SM,NE,_,PG,PP,NP,_,ME,AB';

// The codes to show for a `toolbaritems` value: ".full", ".standard" or a
// comma list; separators never lead, trail or repeat.
export function toolbarLayout(items) {
  const text = (items || '').trim();
  const lower = text.toLowerCase();
  const layout = !text || lower === '.standard' ? STANDARD : lower === '.full' ? FULL : lower === '.none' ? '' : text;
  const out = [];
  for (const token of layout.split(',')) {
    const code = token.trim().slice(0, 2).toUpperCase();
    if (code === '_') {
      if (out.length && out[out.length - 1] !== '_') out.push('_');
    } else if (TOOLBAR_ITEMS[code] && !out.includes(code)) {
      out.push(code);
    }
  }
  while (out.length && out[out.length - 1] === '_') out.pop();
  return out;
}

// Builds the buttons into `bar`; `run(code, value)` is called on use.
export function buildToolbar(bar, codes, run) {
  const controls = {};
  for (const code of codes) {
    if (code === '_') {
      bar.append(Object.assign(document.createElement('span'), { className: 'sep' }));
      continue;
    }
    const item = TOOLBAR_ITEMS[code];
    let el;
    if (item.select) {
      el = document.createElement('select');
      if (item.select === 'zoom')
        for (const pct of ZOOM_STEPS) el.append(new Option(pct + '%', String(pct)));
      el.addEventListener('change', () => run(code, Number(el.value)));
    } else {
      el = document.createElement('button');
      el.type = 'button';
      el.textContent = item.glyph;
      el.addEventListener('click', () => run(code));
    }
    el.title = item.tip;
    el.dataset.code = code;
    bar.append(el);
    controls[code] = el;
  }
  return controls;
}

// Pressed and enabled states from the element's view state.
export function refreshToolbar(controls, s) {
  for (const [code, el] of Object.entries(controls)) {
    const item = TOOLBAR_ITEMS[code];
    let pressed = false;
    if (item.sizeMode !== undefined) pressed = s.sizeMode === item.sizeMode;
    else if (item.orientation !== undefined) pressed = s.orientation === item.orientation;
    else if (item.toggle === 'pan') pressed = s.mouseMode === 1;
    else if (item.toggle) pressed = !!s[item.toggle];
    if (el.tagName === 'BUTTON') el.setAttribute('aria-pressed', String(pressed));
    if (item.step === 3) el.disabled = !(s.page > 1);
    else if (item.step === 4) el.disabled = !(s.page > 0 && s.page < s.pages);
    else if (item.select === 'page') {
      if (el.options.length !== s.pages) {
        el.textContent = '';
        for (let p = 1; p <= s.pages; ++p) el.append(new Option(String(p), String(p)));
      }
      el.value = String(s.page);
      el.disabled = s.pages < 2;
    } else if (item.select === 'zoom') {
      el.value = String(s.zoom);
    }
  }
}
