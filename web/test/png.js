// Reads the PNGs that `vellarion render` writes, without a library, as 8-bit RGB:
// non-interlaced grey (1, 2, 4 or 8 bits), palette (up to 8 bits) or 8-bit RGB,
// with the five row filters.
'use strict';
const zlib = require('zlib');

function paeth(a, b, c) {
  const p = a + b - c, pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
  return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

function readRgbPng(buf) {
  let at = 8, width = 0, height = 0, depth = 0, colour = 0, palette = null;
  const data = [];
  while (at < buf.length) {
    const len = buf.readUInt32BE(at), type = buf.toString('latin1', at + 4, at + 8);
    const body = buf.subarray(at + 8, at + 8 + len);
    if (type === 'IHDR') {
      width = body.readUInt32BE(0);
      height = body.readUInt32BE(4);
      depth = body[8];
      colour = body[9];
      const known = (colour === 0 && [1, 2, 4, 8].includes(depth)) || (colour === 3 && depth <= 8) ||
                    (colour === 2 && depth === 8);
      if (!known || body[12] !== 0) throw new Error(`not a PNG the tool writes (type ${colour}, ${depth} bits)`);
    } else if (type === 'PLTE') palette = body;
    else if (type === 'IDAT') data.push(body);
    at += 12 + len;
  }
  if (colour === 3 && !palette) throw new Error('palette PNG without PLTE');
  const raw = zlib.inflateSync(Buffer.concat(data));
  const channels = colour === 2 ? 3 : 1;
  const stride = Math.ceil((width * channels * depth) / 8), bpp = Math.max(1, (channels * depth) >> 3);
  const rows = Buffer.alloc(stride * height);
  for (let y = 0; y < height; ++y) {
    const f = raw[y * (stride + 1)], src = y * (stride + 1) + 1, row = y * stride;
    for (let x = 0; x < stride; ++x) {
      const a = x >= bpp ? rows[row + x - bpp] : 0, b = y ? rows[row - stride + x] : 0;
      const c = x >= bpp && y ? rows[row - stride + x - bpp] : 0;
      const pred = [0, a, b, (a + b) >> 1, paeth(a, b, c)][f];
      rows[row + x] = (raw[src + x] + pred) & 255;
    }
  }
  if (colour === 2) return { width, height, rgb: rows };
  const out = Buffer.alloc(width * 3 * height), max = (1 << depth) - 1;
  for (let y = 0; y < height; ++y)
    for (let x = 0; x < width; ++x) {
      const bit = x * depth, byte = rows[y * stride + (bit >> 3)];
      const v = (byte >> (8 - depth - (bit & 7))) & max, o = (y * width + x) * 3;
      if (colour === 3) palette.copy(out, o, v * 3, v * 3 + 3);
      else out.fill(Math.round((v * 255) / max), o, o + 3);
    }
  return { width, height, rgb: out };
}

module.exports = { readRgbPng };
