// The gallery's worker: a thumbnail of every entry, made away from the page
// so that a large container never freezes it. It is sent the compiled
// module once, then { job, bytes, options, side } per gallery, and answers
// { job, row, width, height, bytes } or { job, row, error } per row.
import { Core } from './core.js';

let core = null;
let latest = 0;

self.onmessage = async ({ data }) => {
  if (data.module) {
    core = new Core(data.module);
    return;
  }
  latest = data.job;
  const opened = core.open(data.bytes);
  if (opened.error) {
    self.postMessage({ job: data.job, done: true, error: opened.error });
    return;
  }
  core.setOptions(data.options);
  for (let row = 0; row < opened.rows.length; ++row) {
    // a newer gallery was asked for: let its message in, and stop this one
    await new Promise((resolve) => setTimeout(resolve, 0));
    if (latest !== data.job) return;
    const made = core.thumbnail(row, data.side);
    if (made.error) self.postMessage({ job: data.job, row, error: made.error });
    else self.postMessage({ job: data.job, row, ...made }, [made.bytes.buffer]);
  }
  self.postMessage({ job: data.job, done: true });
};
