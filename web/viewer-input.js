// Keys, the wheel and the mouse in the element's view, as the plug-in window
// takes them: scrolling keys move the bars, Ctrl with the page keys turns pages;
// the wheel scrolls three 30-pixel lines a notch, Ctrl+wheel steps the fixed
// zoom; the pan mode drags the page and the crop-select mode draws a band.
import { EVENTS, SCROLL, setZoom } from './viewer-methods.js';

const NOTCH = 120;  // the platform's wheel delta for one notch

function onKey(el, e) {
  if (!el.state.shown) return;
  const ctrl = e.ctrlKey;
  const pages = { PageUp: 3, PageDown: 4, Home: 1, End: 2 };
  const keys = { PageUp: [true, SCROLL.pageUp], PageDown: [true, SCROLL.pageDown], Home: [true, SCROLL.top],
                 End: [true, SCROLL.bottom], ArrowLeft: [false, SCROLL.lineUp], ArrowRight: [false, SCROLL.lineDown],
                 ArrowUp: [true, SCROLL.lineUp], ArrowDown: [true, SCROLL.lineDown] };
  if (ctrl && pages[e.key]) el.GoToPageSpecial(pages[e.key]);
  else if (keys[e.key]) el.scrollBy(...keys[e.key]);
  else return;
  e.preventDefault();
}

// The browser's wheel distance in the platform's units, positive away from the user.
function wheelDelta(e) {
  const scale = e.deltaMode === 1 ? NOTCH / 3 : e.deltaMode === 2 ? NOTCH * 3 : NOTCH / 100;
  return -e.deltaY * scale;
}

function onWheel(el, e) {
  e.preventDefault();
  if (!el.state.shown) return;
  const d = wheelDelta(e);
  if (!e.ctrlKey) {
    el.wheel = (el.wheel || 0) + d;
    while (el.wheel < -20) { el.scrollBy(true, SCROLL.lineDown); el.wheel += 40; }
    while (el.wheel >= 20) { el.scrollBy(true, SCROLL.lineUp); el.wheel -= 40; }
    return;
  }
  if (el.state.sizeMode !== 0) return;
  el.zoomWheel = (el.zoomWheel || 0) + d;
  let steps = 0;
  while (el.zoomWheel < -60) { el.zoomWheel += NOTCH; --steps; }
  while (el.zoomWheel >= 60) { el.zoomWheel -= NOTCH; ++steps; }
  // A notch away from the user takes the next smaller step; the core clamps to its table.
  for (let i = 0; i < Math.abs(steps); ++i) setZoom(el, { zoomStep: steps > 0 ? -1 : 1 });
}

function viewPoint(el, e) {
  const r = el.$view.getBoundingClientRect();
  return { x: Math.round(e.clientX - r.left + el.$view.scrollLeft), y: Math.round(e.clientY - r.top + el.$view.scrollTop) };
}

function startPan(el, e) {
  const start = { x: e.clientX, y: e.clientY, left: el.$view.scrollLeft, top: el.$view.scrollTop };
  return (m) => {
    el.scrollBy(false, SCROLL.thumb, Math.max(0, start.x - m.clientX + start.left));
    el.scrollBy(true, SCROLL.thumb, Math.max(0, start.y - m.clientY + start.top));
  };
}

function bandRect(a, b) {
  return { left: Math.min(a.x, b.x), top: Math.min(a.y, b.y), right: Math.max(a.x, b.x), bottom: Math.max(a.y, b.y) };
}

function startBand(el, e) {
  const anchor = viewPoint(el, e);
  let end = anchor, dragged = false;
  const move = (m) => {
    end = viewPoint(el, m);
    if (!dragged && Math.abs(end.x - anchor.x) <= 3 && Math.abs(end.y - anchor.y) <= 3) return;
    dragged = true;
    const r = bandRect(anchor, end);
    Object.assign(el.$band.style, { left: r.left + 'px', top: r.top + 'px', width: r.right - r.left + 1 + 'px',
                                    height: r.bottom - r.top + 1 + 'px' });
    el.$band.hidden = false;
  };
  move.finish = () => {
    el.$band.hidden = true;
    const page = el.state.page;
    const r = bandRect(anchor, end);
    if (!dragged) {
      if (!el.crops.has(page)) return;
      el.crops.delete(page);
      el.queue(() => el.drawCrop());
      el.raise(EVENTS.cropSelect, 'vlar_OnCropSelect', 0, page, 0, 0, el.state.values[9] | 0, el.state.values[10] | 0);
    } else if (r.right - r.left > 2 && r.bottom - r.top > 2) {
      el.queue(async () => {
        const [l, t] = await el.call('viewToPage', { x: r.left, y: r.top });
        const [rr, b] = await el.call('viewToPage', { x: r.right, y: r.bottom });
        const rect = [Math.min(l, rr), Math.min(t, b), Math.max(l, rr), Math.max(t, b)];
        el.crops.set(page, rect);
        await el.drawCrop();
        el.raise(EVENTS.cropSelect, 'vlar_OnCropSelect', 1, page, rect[0], rect[1], rect[2] - rect[0] + 1, rect[3] - rect[1] + 1);
      });
    }
  };
  return move;
}

function onPointerDown(el, e) {
  el.$view.focus();
  if (!el.state.shown || e.button !== 0) return;
  const mode = el.state.mouseMode;
  let move = null;
  if (e.ctrlKey || (mode === 1 && el.state.sizeMode !== 3)) move = startPan(el, e);
  else if (mode === 4) move = startBand(el, e);
  if (!move) return;
  e.preventDefault();
  el.$view.setPointerCapture(e.pointerId);
  const up = () => {
    el.$view.removeEventListener('pointermove', move);
    el.$view.removeEventListener('pointerup', up);
    if (move.finish) move.finish();
  };
  el.$view.addEventListener('pointermove', move);
  el.$view.addEventListener('pointerup', up);
}

export function attachInput(el) {
  el.$view.addEventListener('keydown', (e) => onKey(el, e));
  el.$view.addEventListener('wheel', (e) => onWheel(el, e), { passive: false });
  el.$view.addEventListener('pointerdown', (e) => onPointerDown(el, e));
}
