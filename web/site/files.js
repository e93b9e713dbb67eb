// The files the page hands out: a PNG of rows the core made, and a ZIP of
// PNGs. No zlib here: the browser's CompressionStream deflates.

const crcTable = (() => {
  const table = new Uint32Array(256);
  for (let n = 0; n < 256; ++n) {
    let c = n;
    for (let k = 0; k < 8; ++k) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
    table[n] = c >>> 0;
  }
  return table;
})();

export function crc32(parts, crc = 0) {
  crc = ~crc >>> 0;
  for (const part of parts) {
    for (let i = 0; i < part.length; ++i) crc = crcTable[(crc ^ part[i]) & 0xff] ^ (crc >>> 8);
  }
  return ~crc >>> 0;
}

async function deflate(bytes) {
  const stream = new Blob([bytes]).stream().pipeThrough(new CompressionStream('deflate'));
  return new Uint8Array(await new Response(stream).arrayBuffer());
}

function u32(value) {
  const out = new Uint8Array(4);
  new DataView(out.buffer).setUint32(0, value);
  return out;
}

function chunk(type, data) {
  const name = new TextEncoder().encode(type);
  return [u32(data.length), name, data, u32(crc32([name, data]))];
}

// A PNG of what Core.pngRows made: 8 bits per sample, a palette image
// (PLTE, and tRNS when it has one) or RGBA, the rows as they are (filter 0).
export async function encodePng(rows) {
  const header = new Uint8Array(13);
  const view = new DataView(header.buffer);
  view.setUint32(0, rows.width);
  view.setUint32(4, rows.height);
  header[8] = 8;
  header[9] = rows.indexed ? 3 : 6;
  const parts = [new Uint8Array([137, 80, 78, 71, 13, 10, 26, 10]), ...chunk('IHDR', header)];
  if (rows.indexed) {
    parts.push(...chunk('PLTE', rows.plte));
    if (rows.trns.length > 0) parts.push(...chunk('tRNS', rows.trns));
  }
  parts.push(...chunk('IDAT', await deflate(rows.bytes)), ...chunk('IEND', new Uint8Array(0)));
  return new Blob(parts, { type: 'image/png' });
}

// A ZIP of `files` ({ name, data: Uint8Array }), stored as they are: PNGs
// are deflated already. Names are UTF-8, and say so (a container may well
// have a Korean name). No ZIP64: an archive that would reach 4 GiB is a
// RangeError rather than offsets that wrap.
export function zipFiles(files) {
  const parts = [];
  const directory = [];
  let offset = 0;
  const header = (size, write) => {
    const bytes = new Uint8Array(size);
    write(new DataView(bytes.buffer));
    return bytes;
  };
  for (const file of files) {
    const name = new TextEncoder().encode(file.name);
    const crc = crc32([file.data]);
    const size = file.data.length;
    const common = (v, at) => {
      v.setUint16(at, 20, true); // version needed: 2.0
      v.setUint16(at + 2, 0x0800, true); // flags: the name is UTF-8
      v.setUint16(at + 4, 0, true); // stored
      v.setUint16(at + 6, 0, true); // time
      v.setUint16(at + 8, 0x21, true); // date: 1980-01-01
      v.setUint32(at + 10, crc, true);
      v.setUint32(at + 14, size, true);
      v.setUint32(at + 18, size, true);
      v.setUint16(at + 22, name.length, true);
    };
    parts.push(
      header(30, (v) => {
        v.setUint32(0, 0x04034b50, true);
        common(v, 4);
      }),
      name,
      file.data,
    );
    directory.push(
      header(46, (v) => {
        v.setUint32(0, 0x02014b50, true);
        v.setUint16(4, 20, true); // made by
        common(v, 6);
        v.setUint32(42, offset, true);
      }),
      name,
    );
    offset += 30 + name.length + size;
    if (offset > 0xffffffff) throw new RangeError('a ZIP without ZIP64 ends before 4 GiB');
  }
  const directorySize = directory.reduce((sum, part) => sum + part.length, 0);
  const end = header(22, (v) => {
    v.setUint32(0, 0x06054b50, true);
    v.setUint16(8, files.length, true);
    v.setUint16(10, files.length, true);
    v.setUint32(12, directorySize, true);
    v.setUint32(16, offset, true);
  });
  return new Blob([...parts, ...directory, end], { type: 'application/zip' });
}

// Hands a Blob to the browser's downloads as `name`.
export function download(blob, name) {
  const link = document.createElement('a');
  link.href = URL.createObjectURL(blob);
  link.download = name;
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(link.href), 60000);
}
