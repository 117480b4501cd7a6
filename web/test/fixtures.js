// Files the cases need that the corpus lacks, made in code.
'use strict';

// Two 8x8 bilevel pages whose second directory points back at the first.
function loopingTiff() {
  const entries = (strip) => [[256, 3, 8], [257, 3, 8], [258, 3, 1], [259, 3, 1], [262, 3, 0], [273, 4, strip],
                              [277, 3, 1], [278, 3, 8], [279, 4, 8]];
  const ifdSize = 2 + 9 * 12 + 4;
  const first = 8, second = first + ifdSize, pixels = second + ifdSize;
  const buf = Buffer.alloc(pixels + 8);
  buf.write('II', 0, 'latin1');
  buf.writeUInt16LE(42, 2);
  buf.writeUInt32LE(first, 4);
  const writeIfd = (at, next) => {
    const list = entries(pixels);
    buf.writeUInt16LE(list.length, at);
    list.forEach(([tag, type, value], i) => {
      const e = at + 2 + i * 12;
      buf.writeUInt16LE(tag, e);
      buf.writeUInt16LE(type, e + 2);
      buf.writeUInt32LE(1, e + 4);
      if (type === 3) buf.writeUInt16LE(value, e + 8);
      else buf.writeUInt32LE(value, e + 8);
    });
    buf.writeUInt32LE(next, at + 2 + list.length * 12);
  };
  writeIfd(first, second);
  writeIfd(second, first);
  buf.fill(0x5a, pixels);
  return buf;
}

module.exports = { loopingTiff };
