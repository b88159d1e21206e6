// bmp4c.html as a person uses it: opened from disk in Debian's Chromium
// through playwright-core, driven through its file input, controls and
// buttons. Everything it offers must be, byte for byte (the preview pixel
// for pixel), what the programs make on the command line, and it must make
// no request and log no error. It prints how long a small and a large
// picture take, and asserts neither. Exits with 77 (skipped) when the page,
// Chromium or playwright-core is missing.
import assert from 'node:assert/strict';
import { execFileSync, spawnSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { after, before, test } from 'node:test';
import { pathToFileURL } from 'node:url';
import zlib from 'node:zlib';

const { BMP4C_PAGE: pagefile, BMP4C_PROGRAMS: programs, BMP4C_SOURCE: source } = process.env;
const chromiumpath = '/usr/bin/chromium';
let playwright;
try {
  playwright = await import('playwright-core');
} catch {
  playwright = null;
}
for (const [what, there] of [
  [`the page (${pagefile})`, pagefile && fs.existsSync(pagefile)],
  [chromiumpath, fs.existsSync(chromiumpath)],
  ['playwright-core (npm ci in tests/web)', playwright],
]) {
  if (!there) {
    console.log(`skipped: ${what} is missing`);
    process.exit(77);
  }
}

const work = fs.mkdtempSync(path.join(os.tmpdir(), 'bmp4c-page-'));
const picture = (name) => path.join(source, 'tests/pictures', name);

// A 4-bit bitmap of the given rows as stored, as the converter's tests make them.
function bitmap(width, height, stored) {
  const file = Buffer.alloc(118 + stored.length);
  file.write('BM');
  file.writeUInt32LE(file.length, 2);
  file.writeUInt32LE(118, 10);
  file.writeUInt32LE(40, 14);
  file.writeInt32LE(width, 18);
  file.writeInt32LE(height, 22);
  file.writeUInt16LE(1, 26);
  file.writeUInt16LE(4, 28);
  Buffer.from(stored).copy(file, 118);
  return file;
}

// An RGB PNG of a colour wash with a transparent band, made with Node's zlib.
function png(width, height) {
  const chunk = (type, data) => {
    const body = Buffer.concat([Buffer.from(type), data]);
    const sized = Buffer.alloc(4);
    sized.writeUInt32BE(data.length);
    const crc = Buffer.alloc(4);
    crc.writeUInt32BE(zlib.crc32(body));
    return Buffer.concat([sized, body, crc]);
  };
  const header = Buffer.alloc(13);
  header.writeUInt32BE(width, 0);
  header.writeUInt32BE(height, 4);
  header.set([8, 6, 0, 0, 0], 8);
  const rows = Buffer.alloc((width * 4 + 1) * height);
  for (let y = 0; y < height; ++y) {
    for (let x = 0; x < width; ++x) {
      const at = y * (width * 4 + 1) + 1 + x * 4;
      rows.set([(x * 255) / width, (y * 255) / height, 128, y < height / 4 ? 0 : 255], at);
    }
  }
  const signature = Buffer.from([0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a]);
  return Buffer.concat([signature, chunk('IHDR', header), chunk('IDAT', zlib.deflateSync(rows)), chunk('IEND', Buffer.alloc(0))]);
}

// What the programs make on the command line, in a folder of their own.
function native(name, bytes, how) {
  const folder = fs.mkdtempSync(path.join(work, 'native-'));
  const stem = name.replace(/\.[^.]*$/, '');
  fs.writeFileSync(path.join(folder, name), bytes);
  const run = (program, args, input) =>
    spawnSync(path.join(programs, program), args, { cwd: folder, input, encoding: 'latin1' });
  let bitmapname = name;
  if (how.grey) {
    bitmapname = `${stem}.bmp`;
    const args = [...(how.ink ? ['--ink'] : []), ...(how.dither ? ['--dither'] : [])];
    if (how.fit) args.push('--fit', how.fit);
    if (how.even) args.push('--even');
    const grey = run('bmp4c-grey', [...args, name, bitmapname]);
    if (grey.status !== 0) return { message: grey.stderr.trim() };
  }
  const bmp4c = run('bmp4c', [], `${bitmapname} ${stem}.h\n`);
  if (bmp4c.status !== 0) return { message: bmp4c.stdout.split('\n').slice(3).join('\n').trim() };
  run('bmp4c-preview', [...(how.ink ? ['--ink'] : []), '--scale', '4', `${stem}.h`]);
  const read = (file) => fs.readFileSync(path.join(folder, file));
  return { bitmap: read(bitmapname), header: read(`${stem}.h`), png: read(`${stem}.preview.png`) };
}

let browser, page, fileurl;
const requests = [], errors = [];

before(async () => {
  browser = await playwright.chromium.launch({
    executablePath: chromiumpath,
    args: ['--no-sandbox', '--disable-gpu', '--disable-background-networking', '--disable-component-update', '--disable-sync', '--no-first-run'],
  });
  page = await browser.newPage({ viewport: { width: 1280, height: 900 } });
  fileurl = pathToFileURL(pagefile).href;
  page.on('request', (r) => {
    if (r.url() !== fileurl && !r.url().startsWith('blob:') && !r.url().startsWith('data:')) requests.push(r.url());
  });
  page.on('console', (m) => m.type() === 'error' && errors.push(m.text()));
  page.on('pageerror', (e) => errors.push(String(e)));
  await page.goto(fileurl);
});

after(async () => {
  await browser?.close();
  fs.rmSync(work, { recursive: true, force: true });
});

async function setoptions(how) {
  await page.selectOption('#display', how.ink ? 'ink' : 'light');
  await page.setChecked('#dither', Boolean(how.dither));
  await page.setChecked('#fit', Boolean(how.fit));
  const [width, height] = (how.fit || '128x64').split('x');
  await page.fill('#fitwidth', width);
  await page.fill('#fitheight', height);
  await page.setChecked('#even', Boolean(how.even));
  await page.fill('#scale', '4');
  await page.press('#scale', 'Tab');
}

// Chooses the file through the page's input and waits for its result: the
// time it took, and what the page offers.
async function choose(name, bytes, how) {
  await setoptions(how);
  const file = path.join(work, name);
  fs.writeFileSync(file, bytes);
  const started = Date.now();
  await page.setInputFiles('#picture', file);
  await page.waitForFunction(
    (n) => document.getElementById('status').textContent.startsWith(`${n}: done`) ||
      document.getElementById('status').textContent === `${n} was refused.`,
    name,
    { timeout: 60000 },
  );
  const took = Date.now() - started;
  if (await page.isVisible('#message')) {
    assert.equal(await page.isVisible('#downloadheader'), false, 'a refusal offers no download');
    return { took, message: await page.textContent('#message') };
  }
  const download = async (link) => {
    const [file] = await Promise.all([page.waitForEvent('download'), page.click(link)]);
    return { name: file.suggestedFilename(), bytes: fs.readFileSync(await file.path()) };
  };
  return { took, header: await download('#downloadheader'), bitmap: await download('#downloadbitmap') };
}

// Whether an image on the page holds the pixels of a PNG made natively.
async function samepixels(selector, pngbytes) {
  return page.evaluate(
    async ([sel, data]) => {
      const pixels = async (img) => {
        await img.decode();
        const canvas = document.createElement('canvas');
        canvas.width = img.naturalWidth;
        canvas.height = img.naturalHeight;
        const context = canvas.getContext('2d');
        context.drawImage(img, 0, 0);
        return [canvas.width, canvas.height, ...context.getImageData(0, 0, canvas.width, canvas.height).data];
      };
      const theirs = new Image();
      theirs.src = `data:image/png;base64,${data}`;
      const [a, b] = [await pixels(document.querySelector(sel)), await pixels(theirs)];
      return a.length === b.length && a.every((v, i) => v === b[i]);
    },
    [selector, pngbytes.toString('base64')],
  );
}

// clang-format off
const fivebythree = bitmap(5, 3, [0xab, 0xcd, 0xef, 0xff, 0x56, 0x78, 0x9f, 0xff, 0x01, 0x23, 0x4f, 0xff]);
const cases = [
  { proves: 'the sample goes straight to bmp4c', name: 'sample.bmp', bytes: fs.readFileSync(path.join(source, 'sample.bmp')), how: {} },
  { proves: 'an odd width, ink drawn', name: 'five.bmp', bytes: fivebythree, how: { ink: true } },
  { proves: 'a top-down bitmap', name: 'topdown.bmp', bytes: bitmap(5, -3, [0x01, 0x23, 0x4f, 0xff, 0x56, 0x78, 0x9f, 0xff, 0xab, 0xcd, 0xef, 0xff]), how: {} },
  { proves: 'a bitmap cut short: bmp4c\'s message', name: 'cut.bmp', bytes: fivebythree.subarray(0, 125), how: {} },
  { proves: 'a colour PNG with transparency, light', name: 'cutout.png', bytes: fs.readFileSync(picture('cutout.png')), how: { grey: true } },
  { proves: 'the same for ink', name: 'cutout-ink.png', bytes: fs.readFileSync(picture('cutout.png')), how: { grey: true, ink: true } },
  { proves: 'dithered and fitted, light', name: 'wash.png', bytes: png(90, 50), how: { grey: true, dither: true, fit: '48x31' } },
  { proves: 'dithered, fitted and made even, ink', name: 'photo.jpg', bytes: fs.readFileSync(picture('photo.jpg')), how: { grey: true, ink: true, dither: true, fit: '45x30', even: true } },
  { proves: 'not a picture: bmp4c-grey\'s message', name: 'notes.png', bytes: Buffer.from('no picture\n'), how: { grey: true } },
  { proves: 'over the limit: refused from its header', name: 'huge.pgm', bytes: Buffer.from('P5\n8193 8192\n255\n'), how: { grey: true } },
];
// clang-format on

test('every result is what the command line makes', async () => {
  for (const c of cases) {
    const want = native(c.name, c.bytes, c.how);
    const got = await choose(c.name, c.bytes, c.how);
    if (want.message) {
      assert.equal(got.message, want.message, c.proves);
      continue;
    }
    const stem = c.name.replace(/\.[^.]*$/, '');
    assert.equal(got.header.name, `${stem}.h`, c.proves);
    assert.deepEqual(got.header.bytes, want.header, c.proves);
    assert.equal(got.bitmap.name, c.how.grey ? `${stem}.bmp` : c.name, c.proves);
    assert.deepEqual(got.bitmap.bytes, want.bitmap, c.proves);
    assert.ok(await samepixels('#preview', want.png), `${c.proves}: the preview`);
  }
});

test('a change of option converts again, and the header is copied, from the keyboard', async () => {
  await choose('keys.png', fs.readFileSync(picture('cutout.png')), { grey: true, ink: true });
  const runs = Number(await page.getAttribute('#result', 'data-runs'));
  await page.focus('#dither');
  await page.keyboard.press('Space');
  await page.waitForFunction((n) => Number(document.getElementById('result').dataset.runs) > n, runs);
  assert.match(await page.textContent('#commands'), /bmp4c-grey --ink --dither/);
  await page.focus('#copy');
  await page.keyboard.press('Enter');
  await page.waitForFunction(() => document.getElementById('status').textContent === 'The header is copied.');
});

test('a pasted header is drawn, and a bad item named', async () => {
  const drawn = native('five.bmp', fivebythree, {});
  for (const [text, message] of [
    [drawn.header.toString().replace('char bitmap[] =', 'static const unsigned char logo[] = /* drawn */'), ''],
    ['#define WIDTH 2\n#define HEIGHT 2\nchar bitmap[] = {\n0x00,\n 0x1g,};\n', 'bmp4c-preview: pasted.h:5: "0x1g" is not a hex byte'],
  ]) {
    await page.selectOption('#display', 'light');
    await page.fill('#pasted', text);
    await page.click('#draw');
    if (message) {
      await page.waitForSelector('#pastemessage.message:not([hidden])');
      assert.equal(await page.textContent('#pastemessage'), message);
      assert.equal(await page.isVisible('#pastepreview'), false);
    } else {
      await page.waitForSelector('#pastefigure:not([hidden])');
      assert.ok(await samepixels('#pastepreview', drawn.png));
    }
  }
});

test('how long a small and a large picture take', async () => {
  const small = await choose('display.png', png(128, 64), { grey: true });
  console.log(`128 x 64 PNG: ${small.took} ms from the choice to the result`);
  let large = png(6000, 4000), name = 'large.png';
  if (spawnSync('convert', ['-version']).status === 0) {
    name = 'large.jpg';
    large = execFileSync('convert', ['-size', '1500x1000', 'plasma:fractal', '-resize', '6000x4000!', '-quality', '90', 'jpg:-'], { maxBuffer: 1 << 28 });
  }
  const big = await choose(name, large, { grey: true, fit: '256x128' });
  console.log(`6000 x 4000 ${name}, --fit 256x128: ${big.took} ms from the choice to the result`);
  const shot = process.env.BMP4C_SCREENSHOT;
  if (shot) {
    await choose('cutout.png', fs.readFileSync(picture('cutout.png')), { grey: true, dither: true, fit: '128x64' });
    await page.screenshot({ path: shot });
  }
});

test('no request left the page, and nothing went wrong in it', () => {
  assert.deepEqual(requests, []);
  assert.deepEqual(errors, []);
});
