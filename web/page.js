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

// A name for the shell and for bmp4c's dialogue: in double quotes when it
// holds a blank.
const quoted = (name) => (/\s/.test(name) ? `"${name}"` : name);
const shellword = (name) => (/^[\w.,+-]+$/.test(name) ? name : `'${name.replace(/'/g, "'\\''")}'`);

// A 4-bit uncompressed bitmap goes straight to bmp4c, as on the command
// line, and so does a file too short to say: bmp4c has the messages for
// those. A run-length-encoded one goes through bmp4c-grey, which reads it.
function isfourbit(bytes) {
  if (bytes[0] !== 0x42 || bytes[1] !== 0x4d) return false;
  const uncompressed = bytes.subarray(30, 34).every((b) => b === 0);
  return bytes.length < 34 || (bytes[28] === 4 && bytes[29] === 0 && uncompressed);
}

function options() {
  return {
    ink: $('display').value === 'ink',
    dither: $('dither').checked,
    fit: $('fit').checked ? `${$('fitwidth').value}x${$('fitheight').value}` : '',
    even: $('even').checked,
    scale: $('scale').value,
  };
}

function greyarguments(how) {
  return [
    ...(how.ink ? ['--ink'] : []),
    ...(how.dither ? ['--dither'] : []),
    ...(how.fit ? ['--fit', how.fit] : []),
    ...(how.even ? ['--even'] : []),
  ];
}

const previewarguments = (how) => [...(how.ink ? ['--ink'] : []), '--scale', how.scale];

// bmp4c's output without its banner and prompts: its message.
const converted = (out) => out.split('\n').slice(3).join('\n').trim();

// The whole path for one picture: bmp4c-grey unless it is a 4-bit bitmap,
// then bmp4c answering its own dialogue, then bmp4c-preview. The first
// refusal ends it, with the program's own message.
async function convertpicture(picture, how) {
  const stem = picture.name.replace(/\.[^.]*$/, '') || picture.name;
  let bitmap = picture.name;
  let bitmapbytes = picture.bytes;
  const commands = [];
  if (!isfourbit(picture.bytes)) {
    bitmap = stem + '.bmp' === picture.name ? stem + '.grey.bmp' : stem + '.bmp';
    const args = [...greyarguments(how), picture.name, bitmap];
    const grey = await run(Bmp4cGrey, args, { [picture.name]: picture.bytes }, [bitmap]);
    if (grey.status !== 0) return { message: grey.err.trim() };
    bitmapbytes = grey.files[bitmap];
    commands.push(['bmp4c-grey', ...args].map(shellword).join(' '));
  }
  const header = stem + '.h';
  const answers = `${quoted(bitmap)} ${quoted(header)}`;
  const bmp4c = await run(Bmp4c, [], { [bitmap]: bitmapbytes }, [header], answers + '\n');
  if (bmp4c.status !== 0) return { message: converted(bmp4c.out) };
  commands.push(`printf '%s\\n' ${shellword(answers)} | bmp4c`);
  const png = stem + '.preview.png';
  const previewargs = [...previewarguments(how), header, png];
  const preview = await run(Bmp4cPreview, previewargs, { [header]: bmp4c.files[header] }, [png]);
  commands.push(['bmp4c-preview', ...previewargs].map(shellword).join(' '));
  return {
    bitmap,
    bitmapbytes,
    header,
    headerbytes: bmp4c.files[header],
    png: preview.files[png],
    note: preview.err.trim(),
    message: preview.status !== 0 ? preview.err.trim() : '',
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

function showresult(result) {
  const failed = Boolean(result.message);
  $('message').textContent = result.message;
  $('message').hidden = !failed;
  $('output').hidden = failed;
  $('note').textContent = result.note || '';
  $('note').hidden = failed || !result.note;
  showbytes('preview', $('preview'), failed ? null : result.png, 'image/png');
  showbytes('header', $('downloadheader'), failed ? null : result.headerbytes, 'text/plain');
  showbytes('bitmap', $('downloadbitmap'), failed ? null : result.bitmapbytes, 'image/bmp');
  if (failed) return;
  $('header').value = new TextDecoder().decode(result.headerbytes);
  $('downloadheader').download = result.header;
  $('downloadheader').textContent = `Download ${result.header}`;
  $('downloadbitmap').download = result.bitmap;
  $('downloadbitmap').textContent = `Download ${result.bitmap}`;
  $('commands').textContent = result.commands;
}

// Lets the page paint before a program runs: the programs run on the
// page's own thread, and a large picture takes seconds.
const painted = () => new Promise((done) => requestAnimationFrame(() => setTimeout(done, 0)));

let picture = null;
let conversions = 0;

async function convert() {
  if (!picture) return;
  const ticket = ++conversions; // a later change of option supersedes this run
  $('result').dataset.state = 'working';
  $('status').textContent = `Working on ${picture.name}…`;
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
    ? `${picture.name} was refused.`
    : `${picture.name}: done in ${took} ms.`;
  $('result').dataset.state = result.message ? 'refused' : 'done';
  $('result').dataset.runs = String(Number($('result').dataset.runs || 0) + 1);
}

async function take(file) {
  if (!file) return;
  picture = { name: file.name, bytes: new Uint8Array(await file.arrayBuffer()) };
  showbytes('original', $('original'), picture.bytes, file.type);
  await convert();
}

async function drawpasted() {
  const how = options();
  const args = [...previewarguments(how), 'pasted.h', 'pasted.png'];
  const text = new TextEncoder().encode($('pasted').value);
  const preview = await run(Bmp4cPreview, args, { 'pasted.h': text }, ['pasted.png']);
  const failed = preview.status !== 0;
  $('pastemessage').textContent = preview.err.trim();
  $('pastemessage').className = failed ? 'message' : 'note';
  $('pastemessage').hidden = !preview.err;
  showbytes('pasted', $('pastepreview'), failed ? null : preview.files['pasted.png'], 'image/png');
  $('pastefigure').hidden = failed;
}

$('picture').addEventListener('change', () => take($('picture').files[0]));
for (const id of ['display', 'dither', 'fit', 'fitwidth', 'fitheight', 'even', 'scale']) {
  $(id).addEventListener('change', convert);
}
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
