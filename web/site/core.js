// The core floors in WebAssembly (zpk.wasm), one container per instance.
// The module needs no imports; each call that can fail gives an error
// object { code, actual, needed, width, height } that strings.js words.

export const WebError = Object.freeze({
  Ok: 0,
  NotContainer: 1,
  TooLarge: 2,
  NoPicture: 3,
  NoRow: 4,
  OutOfMemory: 100, // the module trapped (memory ran out); it is made again
});

export async function compileCore(url = new URL('zpk.wasm', import.meta.url)) {
  const response = await fetch(url);
  return WebAssembly.compile(await response.arrayBuffer());
}

const encoder = new TextEncoder();

export class Core {
  constructor(module) {
    this.module = module;
    this.start();
  }

  start() {
    this.instance = new WebAssembly.Instance(this.module, {});
    this.x = this.instance.exports;
    this.x._initialize();
  }

  bytes(pointer, length) {
    return new Uint8Array(this.x.memory.buffer, pointer, length);
  }

  failure(code) {
    const fact = (k) => this.x.zpk_error_fact(k);
    return { code, actual: fact(0), needed: fact(1), width: fact(2), height: fact(3) };
  }

  // A trap (memory that could not be had, once the module cannot grow) leaves
  // the instance unusable: it is made again, empty, and the call fails.
  guard(work) {
    try {
      return work();
    } catch (e) {
      if (!(e instanceof WebAssembly.RuntimeError)) throw e;
      this.start();
      return { error: { code: WebError.OutOfMemory } };
    }
  }

  // Loads a container from its bytes (a Uint8Array); { rows: [list texts] }
  // or { error }. On failure the container loaded before stays.
  open(data) {
    return this.guard(() => {
      const target = this.x.zpk_file_buffer(data.length);
      if (target === 0) return { error: { code: WebError.OutOfMemory } };
      this.bytes(target, data.length).set(data);
      const code = this.x.zpk_open();
      if (code !== WebError.Ok) return { error: this.failure(code) };
      return { rows: this.rows() };
    });
  }

  rows() {
    const texts = [];
    const count = this.x.zpk_row_count();
    for (let row = 0; row < count; ++row) {
      const p = this.x.zpk_row_text(row);
      const memory = new Uint8Array(this.x.memory.buffer);
      let end = p;
      while (memory[end] !== 0) ++end;
      texts.push(new TextDecoder().decode(memory.subarray(p, end)));
    }
    return texts;
  }

  // { userColor, dropFirst, color1, color2, color3 }: how every picture is
  // drawn from now on.
  setOptions(options) {
    this.guard(() => {
      const texts = [options.color1, options.color2, options.color3].map((t) => {
        const utf8 = encoder.encode(String(t));
        const p = this.x.zpk_alloc(utf8.length + 1);
        const target = this.bytes(p, utf8.length + 1);
        target.set(utf8);
        target[utf8.length] = 0;
        return p;
      });
      this.x.zpk_set_options(options.userColor ? 1 : 0, options.dropFirst ? 1 : 0, ...texts);
      texts.forEach((p) => this.x.zpk_free(p));
    });
  }

  // The picture made by `call` (zpk_draw, zpk_thumbnail, zpk_png_rows),
  // copied out of the module's memory.
  picture(call, ...args) {
    return this.guard(() => {
      const code = call(...args);
      if (code !== WebError.Ok) return { error: this.failure(code) };
      const x = this.x;
      return {
        width: x.zpk_width(),
        height: x.zpk_height(),
        bytes: this.bytes(x.zpk_picture(), x.zpk_picture_size()).slice(),
      };
    });
  }

  // The export picture of `row`: { width, height, bytes: RGBA } or { error }.
  draw(row) {
    return this.picture(this.x.zpk_draw, row);
  }

  // The same, made to fit a box of side x side pixels.
  thumbnail(row, side) {
    return this.picture(this.x.zpk_thumbnail, row, side);
  }

  // What the PNG of `row` holds: { width, height, indexed, plte, trns,
  // bytes: the rows, each behind its filter byte } or { error }.
  pngRows(row) {
    const made = this.picture(this.x.zpk_png_rows, row);
    if (made.error) return made;
    const x = this.x;
    made.indexed = x.zpk_png_indexed() === 1;
    made.plte = this.bytes(x.zpk_png_plte(), x.zpk_png_plte_size()).slice();
    made.trns = this.bytes(x.zpk_png_trns(), x.zpk_png_trns_size()).slice();
    return made;
  }
}
