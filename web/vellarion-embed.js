// Opt-in: replaces <embed> and <object> elements of the viewer's MIME types with
// <vellarion-viewer> in place, keeping their id, size and embed parameters, so
// a page written for the plug-in works where plug-ins no longer load. Elements
// added later are upgraded too.
import './vellarion-viewer.js';

const TYPES = ['application/x-vellarion', 'image/x-tiff', 'image/tiff'];
const SELECTOR = TYPES.map((t) => `embed[type="${t}" i], object[type="${t}" i]`).join(',');
const SKIP = new Set(['type', 'data', 'classid', 'codebase', 'pluginspage']);

// The parameters an <object> carries as <param> children and an <embed> as attributes.
function parameters(old) {
  const params = new Map();
  for (const a of old.attributes) if (!SKIP.has(a.name)) params.set(a.name.toLowerCase(), a.value);
  if (old.localName === 'object') {
    if (old.hasAttribute('data')) params.set('src', old.getAttribute('data'));
    for (const p of old.querySelectorAll(':scope > param'))
      if (p.name) params.set(p.name.toLowerCase(), p.value);
  }
  return params;
}

export function upgradeElement(old) {
  const viewer = document.createElement('vellarion-viewer');
  for (const [name, value] of parameters(old)) {
    if (name === 'width' || name === 'height') viewer.style[name] = /^\d+$/.test(value) ? value + 'px' : value;
    else viewer.setAttribute(name, value);
  }
  old.replaceWith(viewer);
  return viewer;
}

export function upgradeAll(root = document) {
  return Array.from(root.querySelectorAll(SELECTOR), upgradeElement);
}

upgradeAll();
new MutationObserver((records) => {
  for (const r of records)
    for (const n of r.addedNodes)
      if (n.nodeType === 1) {
        if (n.matches(SELECTOR)) upgradeElement(n);
        else upgradeAll(n);
      }
}).observe(document.documentElement, { childList: true, subtree: true });
