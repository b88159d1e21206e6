// MicroPython itself reads the modules that bmp4c --micropython writes: its own framebuf, from
// npm's WebAssembly port, run under Node. Each pixel of a FrameBuffer over DATA must be 15 - v of
// the bitmap's pixel v, for an odd width, for the tiles of a sheet, and for a tile blitted at an
// odd place onto a larger buffer. Without the port or the programs it reports itself skipped.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';
import { bitmap } from './bitmap.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const port = path.join(here, 'node_modules/@micropython/micropython-webassembly-pyscript/micropython.mjs');
const programs = process.env.BMP4C_PROGRAMS;
if (!fs.existsSync(port) || !programs) {
  console.log(`skipped: ${programs ? 'npm ci in tests/web brings the MicroPython port' : 'BMP4C_PROGRAMS is not set'}`);
  process.exit(77);
}
const { loadMicroPython } = await import(pathToFileURL(port).href);

// The stored rows of pixels in reading order: bottom row first, padded to 4 bytes.
function stored(width, height, pixels) {
  const rowsize = Math.ceil(width / 8) * 4;
  const data = Buffer.alloc(rowsize * height);
  pixels.forEach((v, n) => {
    const x = n % width, y = Math.floor(n / width);
    data[(height - 1 - y) * rowsize + (x >> 1)] |= x % 2 ? v : v << 4;
  });
  return data;
}

// The module bmp4c writes of random pixels, with its options.
function module(width, height, options) {
  const pixels = Array.from({ length: width * height }, (_, n) => (n * 7 + (n >> 3) * 5) % 16);
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'bmp4c-mp-'));
  fs.writeFileSync(path.join(folder, 'in.bmp'), bitmap(width, height, stored(width, height, pixels)));
  const run = spawnSync(path.join(programs, 'bmp4c'), [...options, 'in.bmp', 'out.py'], { cwd: folder, encoding: 'latin1' });
  assert.equal(run.status, 0, run.stderr);
  return { pixels, text: fs.readFileSync(path.join(folder, 'out.py'), 'latin1') };
}

// What Python prints of a module, as JSON.
async function python(text, code) {
  let said = '';
  const mp = await loadMicroPython({ stdout: (line) => (said += line + '\n') });
  mp.FS.writeFile('/image.py', text);
  mp.runPython(`import sys, json, framebuf\nsys.path.append('/')\nimport image\n${code}`);
  return JSON.parse(said);
}

const expected = (pixels) => pixels.map((v) => 15 - v);

test('37 x 5: every pixel of a FrameBuffer over DATA is 15 - v', async () => {
  const { pixels, text } = module(37, 5, ['--micropython']);
  const got = await python(text, `b = framebuf.FrameBuffer(bytearray(image.DATA), image.WIDTH, image.HEIGHT, framebuf.GS4_HMSB)
print(json.dumps([image.WIDTH, image.HEIGHT, len(image.DATA)] + [b.pixel(n % 37, n // 37) for n in range(37 * 5)]))`);
  assert.deepEqual(got, [37, 5, 19 * 5, ...expected(pixels)]);
});

test('a sheet of 3 x 3 tiles, 9 x 6: each tile a whole GS4_HMSB buffer, in reading order, with its delay', async () => {
  const { pixels, text } = module(9, 6, ['--micropython', '--tile', '3x3', '--delays', '100,100,150,200,250,300']);
  const got = await python(text, `size = (image.WIDTH + 1) // 2 * image.HEIGHT
out = [image.TILES, image.DELAYS[2]]
for t in range(image.TILES):
    b = framebuf.FrameBuffer(bytearray(image.DATA[t * size:(t + 1) * size]), 3, 3, framebuf.GS4_HMSB)
    out += [b.pixel(n % 3, n // 3) for n in range(9)]
print(json.dumps(out))`);
  const tiles = [];
  for (let top = 0; top < 6; top += 3)
    for (let left = 0; left < 9; left += 3)
      for (let n = 0; n < 9; ++n) tiles.push(15 - pixels[(top + Math.floor(n / 3)) * 9 + left + (n % 3)]);
  assert.deepEqual(got, [6, 150, ...tiles]);
});

test('a tile blitted at an odd place onto a larger FrameBuffer lands whole', async () => {
  const { pixels, text } = module(5, 3, ['--micropython', '--tile', '5x3']);
  const got = await python(text, `tile = framebuf.FrameBuffer(bytearray(image.DATA), 5, 3, framebuf.GS4_HMSB)
screen = framebuf.FrameBuffer(bytearray(16 * 8 // 2), 16, 8, framebuf.GS4_HMSB)
screen.blit(tile, 7, 3)
print(json.dumps([screen.pixel(7 + n % 5, 3 + n // 5) for n in range(15)] + [screen.pixel(6, 3), screen.pixel(12, 5)]))`);
  assert.deepEqual(got, [...expected(pixels), 0, 0]);
});
