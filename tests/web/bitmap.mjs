// A 4-bit bitmap of the given rows as stored, bottom row first and padded
// to 4 bytes, as the converter's tests make them: for the page's test and
// MicroPython's.
export function bitmap(width, height, stored) {
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
