// bmp4c's page: it moves files between the person and the three programs,
// compiled to WebAssembly from the same source as the command line, and
// draws the interface. It computes no grey and no hex: every byte it
// offers comes from a program's own main, run as on the command line. Plain
// DOM and no framework or bundler: the page must stay one file that opens
// from disk, and a few hundred lines need neither.
'use strict';

const $ = (id) => document.getElementById(id);

// Nothing is fetched: each module carries its WebAssembly in itself, and
// without fetch it decodes it at once instead of first trying to fetch it
// from its own data: address, which the page's policy refuses.
window.fetch = undefined;

// Runs one program in a fresh instance of its module, as one process: a
// program keeps its state for one run and ends with exit. The files are
// written into its file system, it runs with the arguments and standard
// input given, and its status, its output and the files asked for come
// back.
async function run(factory, args, files, wanted, input = '') {
  const said = { out: '', err: '' };
  const bytes = Array.from(new TextEncoder().encode(input));
  const program = await factory({
    print: (line) => (said.out += line + '\n'),
    printErr: (line) => (said.err += line + '\n'),
    stdin: () => (bytes.length > 0 ? bytes.shift() : null),
  });
  for (const [name, content] of Object.entries(files)) program.FS.writeFile(name, content);
  let status;
  try {
    status = program.callMain(args);
  } catch (e) {
    if (!e || e.name !== 'ExitStatus') throw e;
    status = e.status;
  }
  const made = {};
  for (const name of wanted) {
    if (program.FS.analyzePath(name).exists) made[name] = program.FS.readFile(name);
  }
  return { status, out: said.out, err: said.err, files: made };
}

// A name for the shell: as it is when nothing in it means anything to a
// shell, in single quotes otherwise.
const shellword = (name) => (/^[\w.,+-]+$/.test(name) ? name : `'${name.replace(/'/g, "'\\''")}'`);

// A name as the page shows it: control characters as \xNN, as the
// programs show them, so that no file's name can play tricks on the page.
const escaped = (name) =>
  name.replace(/[\u0000-\u001f\u007f-\u009f]/g, (c) => `\\x${c.charCodeAt(0).toString(16).padStart(2, '0')}`);

// The names after the options, behind -- when one of them starts with -.
const named = (options, names) => [...options, ...(names.some((n) => n.startsWith('-')) ? ['--'] : []), ...names];

// The picture's name made a C name for bmp4c --name: letters, digits and
// _, a letter first. bmp4c itself says whether it takes the name (a name
// it refuses is a usage error, status 2, before the dialogue it would
// start), so that the page offers no name that bmp4c would refuse; a
// refused one gets _image after it.
async function identifier(stem) {
  const name = stem.replace(/[^A-Za-z0-9_]+/g, '_').replace(/^_+|_+$/g, '').replace(/^(?=[0-9])/, 'image_') || 'image';
  for (const candidate of [name, `${name}_image`]) {
    if ((await run(Bmp4c, ['--name', candidate], {}, [])).status !== 2) return candidate;
  }
  return 'image';
}

// A 4-bit uncompressed bitmap goes straight to bmp4c, as on the command
// line, and so does a file too short to say: bmp4c has the messages for
// those. bmp4c itself tells whether a bitmap (BM) is one, from its header
// alone, before it looks for pixels: it refuses any other with the words
// that scripts look for. Any other picture, and a bitmap of another depth
// or run-length encoded, goes through bmp4c-grey.
const headerbytes = 54;
async function isfourbit(bytes) {
  if (bytes.length >= 2 && (bytes[0] !== 0x42 || bytes[1] !== 0x4d)) return false;
  const tried = await run(Bmp4c, ['in.bmp', 'out.h'], { 'in.bmp': bytes.subarray(0, headerbytes) }, []);
  return !tried.err.includes('Not a 4-bit uncompressed bitmap');
}

// The options, as the controls hold them and as the browser keeps them
// between visits (from disk too); nothing leaves the computer.
const stored = 'bmp4c.options';
const defaults = {
  display: 'light', panel: 'linear', table: '', dither: false, fit: true,
  fitwidth: '128', fitheight: '64', even: false, frames: false, name: '', tile: '',
  lowfirst: false, padrows: false, scale: '4',
};
const fields = Object.keys(defaults);

function setoptions(values) {
  for (const name of fields) {
    const element = $(name);
    if (typeof defaults[name] === 'boolean') element.checked = Boolean(values[name]);
    else element.value = values[name] ?? defaults[name];
  }
  showtable();
}

function keptoptions() {
  try {
    return { ...defaults, ...JSON.parse(localStorage.getItem(stored) || '{}') };
  } catch {
    return { ...defaults };
  }
}

function keepoptions() {
  const values = {};
  for (const name of fields) {
    const element = $(name);
    values[name] = typeof defaults[name] === 'boolean' ? element.checked : element.value;
  }
  try {
    localStorage.setItem(stored, JSON.stringify(values));
  } catch {
    // A browser that keeps nothing still converts.
  }
}

function showtable() {
  const mine = $('panel').value === 'table';
  $('tablelabel').hidden = !mine;
  $('tablehint').hidden = !mine;
}

function options() {
  return {
    ink: $('display').value === 'ink',
    panel: $('panel').value,
    table: $('table').value.replace(/\s+/g, ''),
    dither: $('dither').checked,
    fit: $('fit').checked ? `${$('fitwidth').value}x${$('fitheight').value}` : '',
    even: $('even').checked,
    frames: $('frames').checked,
    name: $('name').value.trim(),
    tile: $('tile').value.trim(),
    lowfirst: $('lowfirst').checked,
    padrows: $('padrows').checked,
    scale: $('scale').value,
  };
}

// --panel where it is not the programs' own default: linear for a light
// display, srgb for ink.
function panelarguments(how) {
  const light = how.panel === 'table' ? how.table : how.panel;
  return light === (how.ink ? 'srgb' : 'linear') ? [] : ['--panel', light];
}

function greyarguments(how) {
  return [
    ...(how.ink ? ['--ink'] : []),
    ...(how.dither ? ['--dither'] : []),
    ...(how.fit ? ['--fit', how.fit] : []),
    ...(how.even ? ['--even'] : []),
    ...panelarguments(how),
    ...(how.frames ? ['--frames'] : []),
  ];
}

// bmp4c's options; a GIF's frames are tiles of the size bmp4c-grey says,
// shown for the delays it says. A module's names are its own, and the
// bytes alone have none and no delays.
const convertarguments = (how, tile, delays, form = '') => [
  ...(form ? [form] : []),
  ...(how.name && !form ? ['--name', how.name] : []),
  ...(tile ? ['--tile', tile] : []),
  ...(tile && delays && form !== '--raw' ? ['--delays', delays] : []),
  ...(how.lowfirst ? ['--low-first'] : []),
  ...(how.padrows && form !== '--micropython' ? ['--pad-rows'] : []),
];

const previewarguments = (how) => [
  ...(how.ink ? ['--ink'] : []),
  '--scale', how.scale,
  ...panelarguments(how),
  ...(how.lowfirst ? ['--low-first'] : []),
];

// A usage error is its first line; the second only points to --help.
const firstline = (text) => text.trim().split('\n')[0];

// The whole path for one picture: bmp4c-grey unless it is a 4-bit bitmap,
// then bmp4c, then bmp4c-preview, each with its names as arguments. The
// first refusal ends it, with the program's own message.
async function convertpicture(picture, how) {
  const stem = picture.name.replace(/\.[^.]*$/, '') || picture.name;
  let bitmap = picture.name;
  let bitmapbytes = picture.bytes;
  let tile = how.tile;
  let delays = '';
  let greynote = '';
  const commands = [];
  const command = (program, args) => commands.push([program, ...args].map(shellword).join(' '));
  if (!picture.fourbit) {
    bitmap = stem + '.bmp' === picture.name ? stem + '.grey.bmp' : stem + '.bmp';
    const args = named(greyarguments(how), [picture.name, bitmap]);
    const grey = await run(Bmp4cGrey, args, { [picture.name]: picture.bytes }, [bitmap]);
    if (grey.status !== 0) return { message: firstline(grey.err) };
    bitmapbytes = grey.files[bitmap];
    command('bmp4c-grey', args);
    // Its notes (a GIF's frames, an odd width) are said on standard error.
    greynote = grey.err.trim();
    if (how.frames && !tile) tile = (greynote.match(/--tile (\d+x\d+)/) || [])[1];
    if (how.frames) delays = (greynote.match(/--delays ([\d,]+)/) || [])[1] || '';
  }
  const header = stem + '.h';
  const convertargs = named(convertarguments(how, tile, delays), [bitmap, header]);
  const bmp4c = await run(Bmp4c, convertargs, { [bitmap]: bitmapbytes }, [header]);
  if (bmp4c.status !== 0) return { message: firstline(bmp4c.err) };
  command('bmp4c', convertargs);
  // The same image as a MicroPython module and as the bytes alone.
  const others = {};
  for (const [form, file] of [['--micropython', stem + '.py'], ['--raw', stem + '.bin']]) {
    const args = named(convertarguments(how, tile, delays, form), [bitmap, file]);
    others[form] = { file, bytes: (await run(Bmp4c, args, { [bitmap]: bitmapbytes }, [file])).files[file] };
    command('bmp4c', args);
  }
  const png = stem + '.preview.png';
  const previewargs = named(previewarguments(how), [header]);
  const preview = await run(Bmp4cPreview, previewargs, { [header]: bmp4c.files[header] }, [png]);
  command('bmp4c-preview', previewargs);
  return {
    bitmap,
    bitmapbytes,
    header,
    headerbytes: bmp4c.files[header],
    png,
    pngbytes: preview.files[png],
    module: others['--micropython'].file,
    modulebytes: others['--micropython'].bytes,
    raw: others['--raw'].file,
    rawbytes: others['--raw'].bytes,
    // bmp4c-grey has said an odd width already, where it ran.
    note: greynote || preview.err.trim(),
    message: preview.status !== 0 ? firstline(preview.err) : '',
    commands: commands.join('\n'),
  };
}

// Object URLs of what is shown now, given back when it is replaced.
const shown = {};
function showbytes(key, element, bytes, type) {
  if (shown[key]) URL.revokeObjectURL(shown[key]);
  shown[key] = bytes ? URL.createObjectURL(new Blob([bytes], { type })) : '';
  if (element.tagName === 'A') element.href = shown[key];
  else element.src = shown[key];
  element.hidden = !bytes;
}

// A download link for bytes the page made, named as the command line names
// the file.
function offer(key, link, name, bytes, type) {
  showbytes(key, link, bytes, type);
  link.download = name;
  link.textContent = `Download ${name}`;
}

function showresult(result) {
  const failed = Boolean(result.message);
  $('message').textContent = result.message;
  $('message').hidden = !failed;
  $('output').hidden = failed;
  $('note').textContent = result.note || '';
  $('note').hidden = failed || !result.note;
  $('previewfigure').classList.toggle('framed', options().ink);
  showbytes('preview', $('preview'), failed ? null : result.pngbytes, 'image/png');
  if (failed) {
    showbytes('header', $('downloadheader'), null);
    showbytes('bitmap', $('downloadbitmap'), null);
    showbytes('png', $('downloadpreview'), null);
    showbytes('module', $('downloadmodule'), null);
    showbytes('raw', $('downloadraw'), null);
    return;
  }
  $('header').value = new TextDecoder().decode(result.headerbytes);
  $('previewcaption').textContent = `What the display will show (bmp4c-preview), downloaded at scale ${options().scale}`;
  offer('header', $('downloadheader'), result.header, result.headerbytes, 'text/plain');
  offer('bitmap', $('downloadbitmap'), result.bitmap, result.bitmapbytes, 'image/bmp');
  offer('png', $('downloadpreview'), result.png, result.pngbytes, 'image/png');
  offer('module', $('downloadmodule'), result.module, result.modulebytes, 'text/x-python');
  offer('raw', $('downloadraw'), result.raw, result.rawbytes, 'application/octet-stream');
  $('commands').textContent = result.commands;
}

// The preview at exactly its own pixels, one to a device pixel, its scale
// being in the PNG already; the page draws it smaller where its column is
// narrower.
function showexactly(img) {
  img.style.width = `${img.naturalWidth / window.devicePixelRatio}px`;
}

// Where bmp4c-grey puts the picture in a fit of W x H: a larger picture
// shrinks to fit inside, its sides rounded (a half up); one that fits
// keeps its size.
function placed(width, height, fit) {
  if (!fit) return [width, height];
  const [w, h] = fit.split('x').map(Number);
  if (width <= w && height <= h) return [width, height];
  if (w * height <= h * width) return [w, Math.max(1, Math.floor((2 * height * w + width) / (2 * width)))];
  return [Math.max(1, Math.floor((2 * width * h + height) / (2 * height))), h];
}

// The picture drawn at the size it takes in the preview, in a frame the
// size of the display: a fitted picture fills the frame one way and sits
// inside it the other. Enlarged it is drawn sharp, pixel by pixel; shrunk,
// smooth.
function showpicture() {
  const img = $('original'), preview = $('preview');
  if (img.hidden || preview.hidden || !img.naturalWidth || !preview.naturalWidth || !picture) return;
  const how = options();
  const fit = picture.fourbit ? '' : how.fit;
  const unit = (preview.getBoundingClientRect().width * Number(how.scale)) / preview.naturalWidth;
  const [width, height] = placed(img.naturalWidth, img.naturalHeight, fit);
  const [framewidth, frameheight] = fit ? fit.split('x').map(Number) : [width, height];
  img.style.width = `${width * unit}px`;
  img.style.height = `${height * unit}px`;
  img.parentElement.style.width = `${framewidth * unit}px`;
  img.parentElement.style.height = `${frameheight * unit}px`;
  img.style.imageRendering = width * unit * window.devicePixelRatio > img.naturalWidth ? 'pixelated' : 'auto';
}

// Lets the page paint before a program runs: the programs run on the
// page's own thread, and a large picture takes seconds.
const painted = () => new Promise((done) => requestAnimationFrame(() => setTimeout(done, 0)));

let picture = null;
let conversions = 0;

// A scale out of range is said beside its field, and the last result stays.
function scaleread() {
  const scale = $('scale').value;
  const good = /^[0-9]+$/.test(scale) && Number(scale) >= 1 && Number(scale) <= 64;
  $('scalemessage').textContent = good ? '' : 'The scale is a whole number from 1 to 64.';
  $('scalemessage').hidden = good;
  return good;
}

// The grey's own options do nothing to a 4-bit bitmap, which goes straight
// to bmp4c.
function showgreying() {
  const fourbit = Boolean(picture) && picture.fourbit;
  for (const id of ['dither', 'fit', 'fitwidth', 'fitheight', 'even', 'frames']) $(id).disabled = fourbit;
  $('greynote').hidden = !fourbit;
}

async function convert() {
  showtable();
  if (!scaleread()) return;
  keepoptions();
  if (!picture) return;
  const ticket = ++conversions; // a later change of option supersedes this run
  $('result').dataset.state = 'working';
  $('status').textContent = `Working on ${escaped(picture.name)}…`;
  await painted();
  const started = performance.now();
  let result;
  try {
    result = await convertpicture(picture, options());
  } catch (e) {
    result = { message: `The page failed: ${e}` };
  }
  if (ticket !== conversions) return;
  showresult(result);
  const took = Math.round(performance.now() - started);
  $('status').textContent = result.message
    ? `${escaped(picture.name)} was refused.`
    : `${escaped(picture.name)}: done in ${took} ms.`;
  $('result').dataset.state = result.message ? 'refused' : 'done';
  $('result').dataset.runs = String(Number($('result').dataset.runs || 0) + 1);
}

async function take(file) {
  if (!file) return;
  const bytes = new Uint8Array(await file.arrayBuffer());
  picture = { name: file.name, bytes, fourbit: await isfourbit(bytes) };
  showbytes('original', $('original'), picture.bytes, file.type);
  const offer = document.createElement('option');
  offer.value = await identifier(file.name.replace(/\.[^.]*$/, '') || file.name);
  $('names').replaceChildren(offer);
  $('name').placeholder = offer.value;
  showgreying();
  await convert();
}

async function drawpasted() {
  if (!scaleread()) return;
  const how = options();
  const args = [...previewarguments(how), 'pasted.h', 'pasted.png'];
  const text = new TextEncoder().encode($('pasted').value);
  const preview = await run(Bmp4cPreview, args, { 'pasted.h': text }, ['pasted.png']);
  const failed = preview.status !== 0;
  $('pastemessage').textContent = failed ? firstline(preview.err) : preview.err.trim();
  $('pastemessage').className = failed ? 'message' : 'note';
  $('pastemessage').hidden = !preview.err;
  showbytes('pasted', $('pastepreview'), failed ? null : preview.files['pasted.png'], 'image/png');
  $('pastefigure').hidden = failed;
}

$('picture').addEventListener('change', () => take($('picture').files[0]));
// A panel left at the display's default follows the display.
let displayed = $('display').value;
$('display').addEventListener('change', () => {
  const before = displayed === 'ink' ? 'srgb' : 'linear';
  displayed = $('display').value;
  if ($('panel').value === before) $('panel').value = displayed === 'ink' ? 'srgb' : 'linear';
});
for (const name of fields) $(name).addEventListener('change', convert);
$('reset').addEventListener('click', () => {
  try {
    localStorage.removeItem(stored);
  } catch {
    // Nothing was kept.
  }
  setoptions(defaults);
  displayed = defaults.display;
  convert();
});
$('preview').addEventListener('load', () => {
  showexactly($('preview'));
  showpicture();
});
$('original').addEventListener('load', showpicture);
window.addEventListener('resize', showpicture);
setoptions(keptoptions());
displayed = $('display').value;
// The clipboard's own call where the browser allows it from a file;
// otherwise the selected text is copied the older way.
$('copy').addEventListener('click', async () => {
  try {
    await navigator.clipboard.writeText($('header').value);
  } catch {
    $('header').select();
    document.execCommand('copy');
  }
  $('status').textContent = 'The header is copied.';
});
$('draw').addEventListener('click', drawpasted);

const drop = $('drop');
drop.addEventListener('dragover', (e) => {
  e.preventDefault();
  drop.classList.add('over');
});
drop.addEventListener('dragleave', () => drop.classList.remove('over'));
drop.addEventListener('drop', (e) => {
  e.preventDefault();
  drop.classList.remove('over');
  take(e.dataTransfer.files[0]);
});
