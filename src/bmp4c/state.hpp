// The converter's shared state: the two file names and streams, the header
// fields, the capture counters and the pixel buffer, and the one way a run
// ends in failure (defined with the run, which owns the files). Every
// variable is defined here once (inline), starts zeroed and lives for the
// whole process; each module says which it sets.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <streambuf>
#include <string>
#include <vector>

namespace bmp4c {

// A bitmap file header plus the information header that follows it.
inline constexpr int headersize = 54;

// Exit statuses: success only after the completion line.
inline constexpr int exitsuccess = 0;
inline constexpr int exitfailure = 1;

// The output's form, from the command line: C source, a MicroPython
// module or the bytes alone; the image's own name (empty: WIDTH, HEIGHT
// and char bitmap[]), the size of its tiles (0: the image whole), lowfirst
// 1 when the first pixel of each pair goes in the low half of its byte,
// padrows 1 when every row starts on a new byte (a MicroPython module's
// always do), and a time on screen for each tile, in milliseconds.
inline constexpr int cform = 0, pythonform = 1, rawform = 2;
inline int outputform = cform;
inline std::string imagename;
inline std::int32_t tilewidth = 0, tileheight = 0, lowfirst = 0, padrows = 0;
inline std::vector<std::int32_t> delays;

// The dialogue, or the names on the command line: then the run is quiet,
// and "-" names standard input or output.
inline bool quiet = false;
inline std::string binaryfilename;
inline std::string textfilename;
inline std::filebuf binaryfile;                    // read a character at a time, in binary
inline std::streambuf *binarysource = &binaryfile; // the file, or standard input
inline std::FILE *textfile = nullptr;

// The header, the index of its byte being read, the count of bytes read so
// far, and the four fields taken from the header.
inline std::array<std::uint8_t, headersize> bmpheader{};
inline std::int32_t headercount = 0, filecounter = 0;
inline std::int32_t filesize = 0, offset = 0, width = 0, height = 0;

// The pixel capture: `count` is the next free position in `bmpdata`, which
// holds `allocated` bytes and may grow up to `capacity` bytes; `packstart`
// turns 1 when capture begins. The writer walks `pixelrows` stored rows of
// `rowsize` bytes (none for a width of 0 or less).
inline std::int32_t count = 0, packstart = 0;
inline std::int32_t capacity = 0, allocated = 0;
inline std::int32_t rowsize = 0, pixelrows = 0;
inline std::uint8_t *bmpdata = nullptr;

// The byte just read, and the two hex digit characters of a byte.
inline std::uint8_t bword = 0, temph = 0, templ = 0;

// Both the writer and the final close of the output file can fail.
inline constexpr const char *writeerror = "Error writing text file\n";

// Ends the process with the failure status, the output file as the run
// found it. The dialogue prints the message on standard output; a quiet
// run prints "bmp4c: FILE: WHAT" on standard error, FILE being the bitmap
// and WHAT the message unless they are given.
[[noreturn]] void fail(const char *message);
[[noreturn]] void fail(const char *message, const std::string &file, const std::string &what);

// A write to the text file failed, with this errno value.
[[noreturn]] void failwrite(int error);

} // namespace bmp4c
