// The WebAssembly side of bench_web_decode: Node.js runs the page's module
// (zpk.wasm) on one container and decodes its row 0 once per line read
// from standard input, answering with the time of that call alone in
// milliseconds. The first answer is the entry's width and height.
//
//   node decode-server.mjs ZPK.WASM CONTAINER
import { readFileSync } from 'node:fs';
import { createInterface } from 'node:readline';

const [moduleFile, containerFile] = process.argv.slice(2);
const kWarmUp = 10;
const instance = new WebAssembly.Instance(new WebAssembly.Module(readFileSync(moduleFile)), {});
const x = instance.exports;
x._initialize();
const bytes = readFileSync(containerFile);
const target = x.zpk_file_buffer(bytes.length);
new Uint8Array(x.memory.buffer, target, bytes.length).set(bytes);
if (x.zpk_open() !== 0 || x.zpk_decode(0) !== 0) {
  console.error('decode-server: the container does not decode');
  process.exit(1);
}
// the engine compiles the module quickly first and optimises what runs
// often: the decodes timed are those of the optimised code, as a page that
// has drawn a few entries runs
for (let i = 0; i < kWarmUp; ++i) x.zpk_decode(0);
console.log(`${x.zpk_width()} ${x.zpk_height()}`);
for await (const _ of createInterface({ input: process.stdin })) {
  const start = performance.now();
  x.zpk_decode(0);
  console.log((performance.now() - start).toFixed(4));
}
