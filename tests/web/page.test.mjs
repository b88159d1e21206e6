// bmp4c.html as a person uses it: opened from disk in Debian's Chromium
// through playwright-core, driven through its file input, controls and
// buttons. Everything it offers must be, byte for byte (the preview pixel
// for pixel), what the programs make on the command line, and so must the
// command lines it shows, run in a shell; it must make no request and log
// no error. It prints how long a small and a large picture take, and
// asserts neither. Exits with 77 (skipped) when the page, Chromium or
// playwright-core is missing.
import assert from 'node:assert/strict';
import { execFileSync, spawnSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { after, before, test } from 'node:test';
import { pathToFileURL } from 'node:url';
import zlib from 'node:zlib';
import { bitmap } from './bitmap.mjs';

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

// The options a case gives, in full (the page remembers the last ones); the
// panel is the display's default unless given.
const options = (how) => ({ ink: false, panel: how.ink ? 'srgb' : 'linear', table: '', dither: false, fit: '', even: false, frames: false, name: '', tile: '', lowfirst: false, padrows: false, scale: '4', ...how });

// What the programs make on the command line, in a folder of their own. The
// panel is given where it is not the programs' default for the display.
function native(name, bytes, given) {
  const how = options(given);
  const folder = fs.mkdtempSync(path.join(work, 'native-'));
  const stem = name.replace(/\.[^.]*$/, '');
  fs.writeFileSync(path.join(folder, name), bytes);
  const run = (program, args) => spawnSync(path.join(programs, program), args, { cwd: folder, encoding: 'latin1' });
  const light = how.panel === 'table' ? how.table : how.panel;
  const panel = light === (how.ink ? 'srgb' : 'linear') ? [] : ['--panel', light];
  let bitmapname = name;
  let tile = how.tile;
  let delays = [];
  if (how.grey) {
    bitmapname = `${stem}.bmp`;
    const args = [...(how.ink ? ['--ink'] : []), ...(how.dither ? ['--dither'] : [])];
    if (how.fit) args.push('--fit', how.fit);
    if (how.even) args.push('--even');
    if (how.frames) args.push('--frames');
    const grey = run('bmp4c-grey', [...args, ...panel, name, bitmapname]);
    if (grey.status !== 0) return { message: grey.stderr.split('\n')[0] };
    if (how.frames && !tile) tile = grey.stderr.match(/--tile (\S+)/)[1];
    if (how.frames) delays = ['--delays', grey.stderr.match(/--delays (\S+)/)[1]];
  }
  const shape = [...(tile ? ['--tile', tile] : []), ...(how.lowfirst ? ['--low-first'] : [])];
  const padded = how.padrows ? ['--pad-rows'] : [];
  const bmp4c = run('bmp4c', [...(how.name ? ['--name', how.name] : []), ...shape, ...delays, ...padded, bitmapname, `${stem}.h`]);
  if (bmp4c.status !== 0) return { message: bmp4c.stderr.split('\n')[0] };
  run('bmp4c', ['--micropython', ...shape, ...delays, bitmapname, `${stem}.py`]);
  run('bmp4c', ['--raw', ...shape, ...padded, bitmapname, `${stem}.bin`]);
  run('bmp4c-preview', [...(how.ink ? ['--ink'] : []), '--scale', how.scale, ...panel, ...(how.lowfirst ? ['--low-first'] : []), `${stem}.h`]);
  const read = (file) => fs.readFileSync(path.join(folder, file));
  return { bitmap: read(bitmapname), header: read(`${stem}.h`), png: read(`${stem}.preview.png`), module: read(`${stem}.py`), raw: read(`${stem}.bin`) };
}

// The command lines the page shows, run by a shell in a folder that holds the picture alone: the
// files they leave.
function shown(name, bytes, commands) {
  const folder = fs.mkdtempSync(path.join(work, 'shown-'));
  fs.writeFileSync(path.join(folder, name), bytes);
  execFileSync('sh', ['-e', '-c', commands], { cwd: folder, env: { ...process.env, PATH: `${programs}:${process.env.PATH}` }, stdio: 'ignore' });
  return (file) => fs.readFileSync(path.join(folder, file));
}

let browser, page, fileurl;
const requests = [], errors = [];
const launch = {
  executablePath: chromiumpath,
  args: ['--no-sandbox', '--disable-gpu', '--disable-background-networking', '--disable-component-update', '--disable-sync', '--no-first-run'],
};

// A page of its own, watched for requests and errors.
async function openpage(settings) {
  const opened = await (await browser.newContext(settings)).newPage();
  opened.on('request', (r) => {
    if (r.url() !== fileurl && !r.url().startsWith('blob:') && !r.url().startsWith('data:')) requests.push(r.url());
  });
  opened.on('console', (m) => m.type() === 'error' && errors.push(m.text()));
  opened.on('pageerror', (e) => errors.push(String(e)));
  await opened.goto(fileurl);
  return opened;
}

before(async () => {
  browser = await playwright.chromium.launch(launch);
  fileurl = pathToFileURL(pagefile).href;
  page = await openpage({ viewport: { width: 1280, height: 900 } });
});

after(async () => {
  await browser?.close();
  fs.rmSync(work, { recursive: true, force: true });
});

// A control set as a person sets it; one that is disabled while a 4-bit
// bitmap is shown is set as the next picture will find it.
async function setcontrol(on, id, value) {
  if (await on.isDisabled(`#${id}`)) {
    await on.evaluate(([i, v]) => {
      const element = document.getElementById(i);
      if (element.type === 'checkbox') element.checked = v;
      else element.value = v;
    }, [id, value]);
  } else if (typeof value === 'boolean') {
    await on.setChecked(`#${id}`, value);
  } else {
    await on.fill(`#${id}`, value);
  }
}

async function setoptions(given, on = page) {
  const how = options(given);
  await on.selectOption('#display', how.ink ? 'ink' : 'light');
  await on.selectOption('#panel', how.panel);
  if (how.panel === 'table') await on.fill('#table', how.table);
  const [width, height] = (how.fit || '128x64').split('x');
  for (const [id, value] of [['dither', how.dither], ['fit', Boolean(how.fit)], ['fitwidth', width], ['fitheight', height], ['even', how.even], ['frames', how.frames], ['name', how.name], ['tile', how.tile], ['lowfirst', how.lowfirst], ['padrows', how.padrows], ['scale', how.scale]]) {
    await setcontrol(on, id, value);
  }
  await on.press('#scale', 'Tab');
}

async function finished(name, on = page) {
  await on.waitForFunction(
    (n) => document.getElementById('status').textContent.startsWith(`${n}: done`) ||
      document.getElementById('status').textContent === `${n} was refused.`,
    name,
    { timeout: 60000 },
  );
}

async function download(link, on = page) {
  const [file] = await Promise.all([on.waitForEvent('download'), on.click(link)]);
  return { name: file.suggestedFilename(), bytes: fs.readFileSync(await file.path()) };
}

// Chooses the file through the page's input and waits for its result: the
// time it took, and what the page offers.
async function choose(name, bytes, how, on = page) {
  if (how) await setoptions(how, on);
  const file = path.join(work, name);
  fs.writeFileSync(file, bytes);
  const started = Date.now();
  await on.setInputFiles('#picture', file);
  await finished(name, on);
  const took = Date.now() - started;
  if (await on.isVisible('#message')) {
    assert.equal(await on.isVisible('#downloadheader'), false, 'a refusal offers no download');
    return { took, message: await on.textContent('#message') };
  }
  return {
    took,
    header: await download('#downloadheader', on),
    bitmap: await download('#downloadbitmap', on),
    png: await download('#downloadpreview', on),
    module: await download('#downloadmodule', on),
    raw: await download('#downloadraw', on),
    commands: await on.textContent('#commands'),
  };
}

// Whether the picture is drawn so, once it has loaded: sharp (pixelated) or smooth (auto).
const drawn = (rendering) =>
  page.waitForFunction((r) => document.getElementById('original').style.imageRendering === r, rendering, { timeout: 10000 }).then(() => true, () => false);

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
const adafruit = '0,1,2,3,4,5,6,7,8,16,24,32,47,56,63';
const cases = [
  { proves: 'the sample goes straight to bmp4c', name: 'sample.bmp', bytes: fs.readFileSync(path.join(source, 'sample.bmp')), how: {} },
  { proves: 'an odd width, ink drawn', name: 'five.bmp', bytes: fivebythree, how: { ink: true } },
  { proves: 'a top-down bitmap, at scale 1', name: 'topdown.bmp', bytes: bitmap(5, -3, [0x01, 0x23, 0x4f, 0xff, 0x56, 0x78, 0x9f, 0xff, 0xab, 0xcd, 0xef, 0xff]), how: { scale: '1' } },
  { proves: 'a bitmap cut short: bmp4c\'s message', name: 'cut.bmp', bytes: fivebythree.subarray(0, 125), how: {} },
  { proves: 'a colour PNG with transparency, light, unfitted', name: 'cutout.png', bytes: fs.readFileSync(picture('cutout.png')), how: { grey: true } },
  { proves: 'the same for ink, on a linear panel', name: 'cutout-ink.png', bytes: fs.readFileSync(picture('cutout.png')), how: { grey: true, ink: true, panel: 'linear' } },
  { proves: 'dithered and fitted, light, sRGB-even', name: 'wash.png', bytes: png(90, 50), how: { grey: true, dither: true, fit: '48x31', panel: 'srgb' } },
  { proves: 'dithered, fitted and made even, ink', name: 'photo.jpg', bytes: fs.readFileSync(picture('photo.jpg')), how: { grey: true, ink: true, dither: true, fit: '45x30', even: true } },
  { proves: 'your table, typed with blanks, dithered: the same as the command line\'s --panel', name: 'table.png', bytes: png(40, 20), how: { grey: true, dither: true, fit: '32x16', panel: 'table', table: adafruit.replace(/,/g, ', ') } },
  { proves: 'a table of 14 numbers: bmp4c-grey\'s message', name: 'badtable.png', bytes: png(8, 8), how: { grey: true, panel: 'table', table: '1,2,3,4,5,6,7,8,9,10,11,12,13,14' } },
  { proves: 'not a picture: bmp4c-grey\'s message', name: 'notes.png', bytes: Buffer.from('no picture\n'), how: { grey: true } },
  { proves: 'over the limit: refused from its header', name: 'huge.pgm', bytes: Buffer.from('P5\n8193 8192\n255\n'), how: { grey: true } },
  { proves: 'a name of its own, low first', name: 'five.bmp', bytes: fivebythree, how: { name: 'five', lowfirst: true } },
  { proves: 'rows padded, an odd width: the header, module and bytes each start a row on a new byte', name: 'five.bmp', bytes: fivebythree, how: { padrows: true } },
  { proves: 'a sheet in tiles, named', name: 'sheet.png', bytes: png(40, 20), how: { grey: true, fit: '32x16', name: 'sheet', tile: '8x8' } },
  { proves: 'a GIF\'s frames, fitted and dithered, in tiles of the size bmp4c-grey says', name: 'walk.gif', bytes: fs.readFileSync(path.join(source, 'tests/consumer/walk.gif')), how: { grey: true, frames: true, dither: true, fit: '8x4', name: 'walk' } },
  { proves: 'a bad name: bmp4c\'s usage error', name: 'named.bmp', bytes: fivebythree, how: { name: '9lives' } },
];
// clang-format on

test('every result is what the command line makes, and what the command lines shown make', async () => {
  for (const c of cases) {
    const want = native(c.name, c.bytes, { ...c.how, table: (c.how.table || '').replace(/ /g, '') });
    const got = await choose(c.name, c.bytes, c.how);
    if (want.message) {
      assert.equal(got.message, want.message, c.proves);
      continue;
    }
    const stem = c.name.replace(/\.[^.]*$/, '');
    assert.deepEqual([got.header.name, got.bitmap.name, got.png.name], [`${stem}.h`, c.how.grey ? `${stem}.bmp` : c.name, `${stem}.preview.png`], c.proves);
    assert.deepEqual([got.header.bytes, got.bitmap.bytes, got.png.bytes], [want.header, want.bitmap, want.png], c.proves);
    assert.deepEqual([got.module.name, got.raw.name], [`${stem}.py`, `${stem}.bin`], c.proves);
    assert.deepEqual([got.module.bytes, got.raw.bytes], [want.module, want.raw], `${c.proves}: the module and the bytes`);
    assert.ok(await samepixels('#preview', want.png), `${c.proves}: the preview`);
    assert.equal(await page.$eval('#previewfigure', (f) => f.classList.contains('framed')), Boolean(c.how.ink), `${c.proves}: framed for ink`);
    const made = shown(c.name, c.bytes, got.commands);
    assert.deepEqual([made(`${stem}.h`), made(got.bitmap.name), made(`${stem}.preview.png`), made(`${stem}.py`), made(`${stem}.bin`)], [want.header, want.bitmap, want.png, want.module, want.raw], `${c.proves}: ${got.commands}`);
  }
});

test('a 640 x 480 picture on a first visit gives the display\'s 128 x 64', async () => {
  const fresh = await openpage({ viewport: { width: 1280, height: 900 } });
  const got = await choose('logo.png', png(640, 480), null, fresh);
  assert.match(got.header.bytes.toString(), /^#define WIDTH 128\n#define HEIGHT 64\n/);
  assert.match(got.commands, /^bmp4c-grey --fit 128x64 logo\.png logo\.bmp\nbmp4c logo\.bmp logo\.h\n/);
  // The name is empty, the default form, and offers the picture's.
  assert.deepEqual(await fresh.evaluate(() => [document.getElementById('name').value, [...document.getElementById('names').options].map((o) => o.value)]), ['', ['logo']]);
  await fresh.context().close();
});

test('the options are remembered across a reload, and reset', async () => {
  const kept = { ink: true, panel: 'table', table: adafruit, dither: true, fit: '96x48', even: true, frames: true, name: 'logo', tile: '16x16', lowfirst: true, padrows: true, scale: '2' };
  await setoptions(kept);
  const read = () => page.evaluate(() => ['display', 'panel', 'table', 'dither', 'fit', 'fitwidth', 'fitheight', 'even', 'frames', 'name', 'tile', 'lowfirst', 'padrows', 'scale'].map((id) => {
    const element = document.getElementById(id);
    return element.type === 'checkbox' ? element.checked : element.value;
  }));
  await page.reload();
  assert.deepEqual(await read(), ['ink', 'table', adafruit, true, true, '96', '48', true, true, 'logo', '16x16', true, true, '2']);
  await page.click('#reset');
  await page.reload();
  assert.deepEqual(await read(), ['light', 'linear', '', false, true, '128', '64', false, false, '', '', false, false, '4']);
});

test('the preview is shown at its scale in device pixels, and a bad scale keeps the last result', async () => {
  const sharp = await openpage({ viewport: { width: 1280, height: 900 }, deviceScaleFactor: 2 });
  for (const scale of ['1', '4']) {
    await choose('wide.png', png(70, 46), { grey: true, scale }, sharp);
    const [natural, drawn] = await sharp.evaluate(() => [document.getElementById('preview').naturalWidth, document.getElementById('preview').clientWidth * window.devicePixelRatio]);
    assert.deepEqual([natural, drawn], [70 * Number(scale), 70 * Number(scale)], `scale ${scale}`);
  }
  const header = await sharp.inputValue('#header');
  const runs = await sharp.getAttribute('#result', 'data-runs');
  await sharp.fill('#scale', '65');
  await sharp.press('#scale', 'Tab');
  await sharp.waitForSelector('#scalemessage:not([hidden])');
  assert.equal(await sharp.textContent('#scalemessage'), 'The scale is a whole number from 1 to 64.');
  assert.deepEqual([await sharp.isVisible('#output'), await sharp.isVisible('#message'), await sharp.inputValue('#header'), await sharp.getAttribute('#result', 'data-runs')], [true, false, header, runs]);
  await sharp.context().close();
});

test('a 4-bit bitmap disables the grey\'s options, and says why', async () => {
  const greying = () => page.evaluate(() => ['dither', 'fit', 'fitwidth', 'fitheight', 'even', 'frames'].map((id) => document.getElementById(id).disabled));
  await choose('five.bmp', fivebythree, {});
  assert.deepEqual(await greying(), [true, true, true, true, true, true]);
  assert.ok(await drawn('pixelated'), 'a small picture enlarged is drawn sharp');
  assert.ok(await page.isVisible('#greynote'));
  await choose('wash.png', png(20, 10), { grey: true });
  assert.deepEqual(await greying(), [false, false, false, false, false, false]);
  assert.equal(await page.isVisible('#greynote'), false);
});

test('at 320, 400 and 1280 pixels wide, no label is parted from its field and nothing runs off', async () => {
  for (const width of [320, 400, 1280]) {
    const narrow = await openpage({ viewport: { width, height: 900 } });
    await narrow.selectOption('#panel', 'table');
    // A label is parted from its field when its words and the field stand on different lines; the
    // legend, when its words take two.
    const [scrolled, parted] = await narrow.evaluate(() => {
      const words = (element) => {
        const range = document.createRange();
        range.selectNode([...element.childNodes].find((n) => n.nodeType === Node.TEXT_NODE && n.textContent.trim()));
        return range;
      };
      const apart = (a, b) => a.bottom <= b.top || b.bottom <= a.top;
      const labels = [...document.querySelectorAll('fieldset label')].filter((l) => apart(words(l).getBoundingClientRect(), l.querySelector('input, select').getBoundingClientRect()));
      const legend = document.querySelector('legend');
      return [document.documentElement.scrollWidth, [...labels, ...(words(legend).getClientRects().length > 1 ? [legend] : [])].map((l) => l.textContent.trim())];
    });
    assert.deepEqual([scrolled <= width, parted], [true, []], `${width} pixels`);
    await narrow.context().close();
  }
});

// At each width: no sideways scroll; the preview inside its column, with nothing to scroll; every
// command line whole in its box; and the picture drawn at the size it takes in the preview, which
// is the 640 x 480 picture fitted into 128 x 64: 85 x 64 of it, or, unfitted, all of it.
test('at 320, 400 and 1280 pixels wide, the preview fits its column, the command lines are read whole, and the picture is drawn at its size in the preview', async () => {
  for (const width of [320, 400, 1280]) {
    const narrow = await openpage({ viewport: { width, height: 900 } });
    for (const [fit, shown] of [['128x64', [85, 64]], ['', [640, 480]]]) {
      await choose('logo.png', png(640, 480), { grey: true, dither: true, fit, panel: 'srgb', scale: '4' }, narrow);
      await narrow.waitForFunction(() => document.getElementById('original').complete && document.getElementById('preview').complete);
      const seen = await narrow.evaluate(() => {
        const box = (id) => document.getElementById(id).getBoundingClientRect();
        const zoom = document.querySelector('#previewfigure');
        const commands = document.getElementById('commands');
        return {
          page: document.documentElement.scrollWidth,
          preview: box('preview'), column: box('previewfigure'), scrolls: zoom.scrollWidth > zoom.clientWidth,
          commands: [commands.scrollWidth, commands.clientWidth],
          picture: box('original'), natural: document.getElementById('preview').naturalWidth,
        };
      });
      const [w, h] = fit ? fit.split('x').map(Number) : [640, 480];
      const unit = seen.preview.width / w; // the page's pixels for a pixel of the bitmap
      const where = `${width} pixels, ${fit || 'unfitted'}`;
      assert.ok(seen.page <= width, `${where}: the page scrolls sideways, ${seen.page} wide`);
      assert.ok(seen.preview.left >= seen.column.left && seen.preview.right <= seen.column.right && !seen.scrolls, `${where}: the preview leaves its column`);
      assert.deepEqual(seen.commands, [seen.commands[1], seen.commands[1]], `${where}: a command line is cut`);
      assert.ok(Math.abs(seen.picture.width - shown[0] * unit) <= 1 && Math.abs(seen.picture.height - shown[1] * unit) <= 1, `${where}: the picture is ${seen.picture.width} x ${seen.picture.height}, not ${shown[0] * unit} x ${shown[1] * unit}`);
    }
    await narrow.context().close();
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
    await setoptions({});
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
  assert.ok(await drawn('auto'), 'a large picture shrunk is drawn smooth');
  const shot = process.env.BMP4C_SCREENSHOT;
  if (shot) {
    await choose('cutout.png', fs.readFileSync(picture('cutout.png')), { grey: true, dither: true, fit: '128x64' });
    await page.evaluate(() => window.scrollTo(0, 0));
    await page.screenshot({ path: shot });
  }
});

test('no request left the page, and nothing went wrong in it', () => {
  assert.deepEqual(requests, []);
  assert.deepEqual(errors, []);
});
