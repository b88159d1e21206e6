// The converter's shared state: the two file names and streams, the header
// fields, the capture counters and the pixel buffer. Every variable starts
// zeroed and lives for the whole process; each module says which it sets.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>

namespace bmp4c {

// A bitmap file header plus the information header that follows it.
inline constexpr int headersize = 54;

// Exit statuses: success only after the completion line.
inline constexpr int exitsuccess = 0;
inline constexpr int exitfailure = 1;

// The dialogue.
extern std::string binaryfilename;
extern std::string textfilename;
extern std::filebuf binaryfile; // read a character at a time, in binary
extern std::FILE *textfile;

// The header and the four fields taken from it.
extern std::array<std::uint8_t, headersize> bmpheader;
extern std::int32_t headercount;
extern std::int32_t filecounter;
extern std::int32_t filesize;
extern std::int32_t offset;
extern std::int32_t width;
extern std::int32_t height;

// The pixel capture: `count` is the next free position in `bmpdata`, which
// holds `allocated` bytes and may grow up to `capacity` bytes. The writer
// walks `pixelrows` stored rows of `rowsize` bytes (none for a width of 0
// or less).
extern std::int32_t count;
extern std::int32_t packstart;
extern std::int32_t rowsize;
extern std::int32_t pixelrows;
extern std::int32_t capacity;
extern std::int32_t allocated;
extern std::uint8_t *bmpdata;

// The byte just read or being converted, and its two hex digit characters.
extern std::uint8_t bword;
extern std::uint8_t temph;
extern std::uint8_t templ;

// Both the writer and the final close of the output file can fail.
inline constexpr const char *writeerror = "Error writing text file\n";

// Prints one fixed message on standard output and ends the process with
// the failure status.
[[noreturn]] void fail(const char *message);

} // namespace bmp4c
