// Reads the 8-bit RGB PNGs that `vellarion render` writes, without a library:
// non-interlaced, colour type 2, the five row filters.
'use strict';
const zlib = require('zlib');

function paeth(a, b, c) {
  const p = a + b - c, pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
  return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

function readRgbPng(buf) {
  let at = 8, width = 0, height = 0;
  const data = [];
  while (at < buf.length) {
    const len = buf.readUInt32BE(at), type = buf.toString('latin1', at + 4, at + 8);
    const body = buf.subarray(at + 8, at + 8 + len);
    if (type === 'IHDR') {
      width = body.readUInt32BE(0);
      height = body.readUInt32BE(4);
      if (body[8] !== 8 || body[9] !== 2 || body[12] !== 0) throw new Error('not an 8-bit RGB PNG');
    } else if (type === 'IDAT') data.push(body);
    at += 12 + len;
  }
  const raw = zlib.inflateSync(Buffer.concat(data));
  const stride = width * 3, out = Buffer.alloc(stride * height);
  for (let y = 0; y < height; ++y) {
    const f = raw[y * (stride + 1)], src = y * (stride + 1) + 1, row = y * stride;
    for (let x = 0; x < stride; ++x) {
      const a = x >= 3 ? out[row + x - 3] : 0, b = y ? out[row - stride + x] : 0;
      const c = x >= 3 && y ? out[row - stride + x - 3] : 0;
      const pred = [0, a, b, (a + b) >> 1, paeth(a, b, c)][f];
      out[row + x] = (raw[src + x] + pred) & 255;
    }
  }
  return { width, height, rgb: out };
}

module.exports = { readRgbPng };
