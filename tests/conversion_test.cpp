// What the converter writes for a bitmap, with items worked out by hand,
// and a C program that includes what it writes.
#include "support.hpp"

#include <gtest/gtest.h>

namespace {

struct Conversion {
  const char *proves;
  std::int32_t width, height;
  const char *stored; // hex, bottom row first unless height < 0
  const char *items;
  std::int32_t offset = 118;
  std::int64_t filesize = -1;
};

// clang-format off
const Conversion conversions[] = {
  {"4x2: rows top down, padding dropped, v -> 15-v", 4, 2, "4567 0000 0123 0000", "0xfe,0xdc,0xba,0x98,"},
  {"a top-down bitmap gives the same items", 4, -2, "0123 0000 4567 0000", "0xfe,0xdc,0xba,0x98,"},
  {"3x2: upper row's last pixel pairs with lower row's first", 3, 2, "456f 0000 012f 0000", "0xfe,0xdb,0xa9,"},
  {"1x2: one pixel a row, one item", 1, 2, "a5000000 37000000", "0xc5,"},
  {"3x3: bottom row's last pixel gets a low digit f", 3, 3, "89a0 0000 4560 0000 0120 0000", "0xfe,0xdb,0xa9,0x76,0x5f,"},
  {"9x2: 8-byte rows, the join shifts a whole row", 9, 2, "fedcba98 7fffffff 01234567 8fffffff", "0xfe,0xdc,0xba,0x98,0x70,0x12,0x34,0x56,\n0x78,"},
  {"16x2: two full lines, then }; alone", 16, 2, "0011223344556677 8899aabbccddeeff", "0x77,0x66,0x55,0x44,0x33,0x22,0x11,0x00,\n0xff,0xee,0xdd,0xcc,0xbb,0xaa,0x99,0x88,\n"},
  {"4x4: eight a line across rows", 4, 4, "0001ffff 1011ffff 2021ffff 3031ffff", "0xcf,0xce,0xdf,0xde,0xef,0xee,0xff,0xfe,\n"},
  {"18x1: the ninth item opens line two", 18, 1, "0011223344556677 88ffffff", "0xff,0xee,0xdd,0xcc,0xbb,0xaa,0x99,0x88,\n0x77,"},
  {"height 0: no items", 4, 0, "12345678", ""},
  {"a negative width: no items", -4, 2, "12345678", ""},
  {"input ending early: missing pixels are 0", 4, 2, "4567 0000", "0xff,0xff,0xba,0x98,", 118, 126},
  {"offset 55 drops the byte at 54", 2, 1, "12000000", "0xed,", 55},
  {"offset 54 never starts the capture", 4, 1, "12345678", "0xff,0xff,", 54},
  {"nothing at or past filesize is read", 4, 1, "1234 0000", "0xed,0xff,", 118, 119},
  {"a filesize far past a small file's end", 4, 2, "4567 0000 0123 0000", "0xfe,0xdc,0xba,0x98,", 118, 2147483647},
};
// clang-format on

TEST(Conversion, ItemsWorkedOutByHand) {
  for (const Conversion &c : conversions) {
    const Folder folder;
    spill(folder.path / "in.bmp", bitmap(c.width, c.height, bytes(c.stored), c.offset, c.filesize));
    const Outcome run = folder.convert("in.bmp out.h\n");
    EXPECT_EQ(run.said, prompts + "Convertion Completed\n") << c.proves;
    EXPECT_EQ(run.status, 0) << c.proves;
    const std::string expected = preamble(c.width, std::abs(c.height)) + c.items + "};\n";
    EXPECT_EQ(slurp(folder.path / "out.h"), expected) << c.proves;
  }
}

// Output many times the size of the writer's buffer, and every row alike:
// its 512 bytes run 00 to ff twice, so each item shows where it landed.
TEST(Conversion, LargeOutputKeepsEveryItemInPlace) {
  std::string row, items;
  for (int i = 0; i < 512; ++i) {
    row += static_cast<char>(i);
    char item[8];
    std::snprintf(item, sizeof item, i % 8 == 7 ? "0x%02x,\n" : "0x%02x,", 255 - i % 256);
    items += item;
  }
  std::string stored, expected = preamble(1024, 600);
  for (int r = 0; r < 600; ++r) stored += row, expected += items;
  const Folder folder;
  spill(folder.path / "in.bmp", bitmap(1024, 600, stored));
  ASSERT_EQ(folder.convert("in.bmp out.h").status, 0);
  EXPECT_EQ(slurp(folder.path / "out.h"), expected + "};\n");
}

// A program that includes the output compiles and sees the packed pixels.
TEST(Conversion, CProgramReadsTheArray) {
  const Folder folder;
  spill(folder.path / "in.bmp", bitmap(9, 2, bytes("fedcba98 7fffffff 01234567 8fffffff")));
  ASSERT_EQ(folder.convert("in.bmp out.h").status, 0);
  spill(folder.path / "show.c", "#include <stdio.h>\n#include \"out.h\"\nint main(void) {\n"
                                "  printf(\"%d %d:\", WIDTH, HEIGHT);\n  for (unsigned i = 0; i < "
                                "sizeof bitmap; ++i) printf(\" %02x\", bitmap[i] & 255);\n}\n");
  const std::string show = (folder.path / "show").string();
  const std::string build = "'" BMP4C_CC "' -w -o '" + show + "' '" + show + ".c'";
  ASSERT_EQ(std::system((build + " && '" + show + "' >'" + show + ".out'").c_str()), 0);
  EXPECT_EQ(slurp(show + ".out"), "9 2: fe dc ba 98 70 12 34 56 78");
}

} // namespace
