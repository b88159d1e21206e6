// The console dialogue and every way a run can fail: what it prints, its
// exit status and what it leaves on disk; then a sweep of random headers.
#include "support.hpp"

#include <gtest/gtest.h>
#include <random>
#include <sys/resource.h>

namespace {

const std::string worked = bitmap(4, 2, bytes("4567 0000 0123 0000"));
const std::string done = "Convertion Completed\n",
                  badinput = "Error opening binaryfile file for reading: ";
const std::string badoutput = "Error opening text file for writing\n",
                  toolarge = "Error allocating bitmap memory\n";
const std::string workedout = preamble(4, 2) + "0xfe,0xdc,0xba,0x98,};\n", longname(3000, 'n');

struct Dialogue {
  const char *proves;
  std::string input, answers, said; // input: in.bmp, when not empty
  int status;
  const char *out, *left; // the file to look at, and what it holds (nullptr: it does not exist)
};

// Beside in.bmp, every run finds link.bmp (a link to it) and an empty folder.
// clang-format off
const Dialogue dialogues[] = {
  {"both names on one line answer both prompts", worked, "in.bmp out.h", done, 0, "out.h", workedout.c_str()},
  {"names on two lines", worked, "in.bmp\nout.h\n", done, 0, "out.h", workedout.c_str()},
  {"missing input: named, and no output made", "", "none.bmp out.h", badinput + "none.bmp \n", 1, "out.h", nullptr},
  {"no answers: an empty name", "", "", badinput + " \n", 1, "", nullptr},
  {"a folder as input", "", "folder out.h", badinput + "folder \n", 1, "out.h", nullptr},
  {"a long name is kept whole", "", longname + " out.h", badinput + longname + " \n", 1, "out.h", nullptr},
  {"output in a missing folder", worked, "in.bmp nowhere/out.h", badoutput, 1, "nowhere", nullptr},
  {"30-byte input: short header, empty output", worked.substr(0, 30), "in.bmp out.h", "Incomplete header\n", 1, "out.h", ""},
  {"the same name twice leaves the bitmap intact", worked, "in.bmp in.bmp", badoutput, 1, "", nullptr},
  {"the same file through a link", worked, "in.bmp link.bmp", badoutput, 1, "", nullptr},
  {"the same file through another path", worked, "in.bmp folder/../in.bmp", badoutput, 1, "", nullptr},
  {"a full disk", worked, "in.bmp /dev/full", "Error writing text file\n", 1, "", nullptr},
  {"a buffer past 2^31-1 bytes, empty output", bitmap(8, 1 << 30, ""), "in.bmp out.h", toolarge, 1, "out.h", ""},
  {"the most negative height", bitmap(8, INT32_MIN, ""), "in.bmp out.h", toolarge, 1, "out.h", ""},
  {"no rows, most negative height", bitmap(0, INT32_MIN, ""), "in.bmp out.h", done, 0, "out.h", "#define WIDTH 0\n#define HEIGHT 2147483648\nchar bitmap[] = {\n};\n"},
};
// clang-format on

TEST(Dialogue, MessagesStatusesAndFilesLeft) {
  for (const Dialogue &d : dialogues) {
    const Folder folder;
    if (!d.input.empty()) spill(folder.path / "in.bmp", d.input);
    fs::create_symlink("in.bmp", folder.path / "link.bmp");
    fs::create_directory(folder.path / "folder");
    const Outcome run = folder.convert(d.answers);
    EXPECT_EQ(run.said, prompts + d.said) << d.proves;
    EXPECT_EQ(run.status, d.status) << d.proves;
    EXPECT_EQ(slurp(folder.path / "in.bmp"), d.input) << d.proves;
    if (*d.out == '\0') continue;
    EXPECT_EQ(fs::exists(folder.path / d.out), d.left != nullptr) << d.proves;
    EXPECT_EQ(slurp(folder.path / d.out), d.left ? d.left : "") << d.proves;
  }
}

// A small file whose header claims 256 MiB of pixels: the buffer follows
// the data actually read, so the converter stays far below that size.
TEST(Dialogue, MemoryFollowsTheDataNotTheHeader) {
  const Folder folder;
  spill(folder.path / "in.bmp", bitmap(8, (1 << 26) - 1, bytes("12345678")));
  ASSERT_EQ(folder.convert("in.bmp /dev/null").status, 0);
  rusage children{};
  getrusage(RUSAGE_CHILDREN, &children);
  EXPECT_LT(children.ru_maxrss, 128 * 1024); // kilobytes
}

// Random fields (huge and negative ones too) and data: every run ends with a
// known transcript, and a completed one holds a well-formed item per pixel
// pair. A huge width only comes with a height of no rows or too large a
// buffer, to keep outputs small.
TEST(Dialogue, RandomHeadersEndCleanly) {
  std::mt19937 rng(2026);
  auto pick = [&](std::vector<std::int64_t> odd, std::int64_t low, std::int64_t high) {
    return static_cast<std::int32_t>(rng() % 3 ? std::uniform_int_distribution(low, high)(rng)
                                               : odd[rng() % odd.size()]);
  };
  for (int i = 0; i < 300; ++i) {
    const std::int32_t width = pick({0, -1, INT32_MIN, INT32_MAX, 1 << 30}, 1, 40);
    const std::int32_t height =
        width > 40 ? pick({0, INT32_MIN}, 0, 0) : pick({INT32_MIN, INT32_MAX, 1 << 29}, -12, 12);
    std::string data(rng() % 400, '\0');
    for (char &c : data) c = static_cast<char>(rng());
    const std::string file = bitmap(width, height, data, pick({0, 54, INT32_MAX, -7}, 54, 130),
                                    pick({-1, INT32_MAX, INT32_MIN}, 0, 600));
    const Folder folder;
    spill(folder.path / "in.bmp", file.substr(0, rng() % 8 ? file.size() : rng() % 54));
    const Outcome run = folder.convert("in.bmp out.h");
    const std::int64_t rows = std::abs(std::int64_t{height}),
                       items = width > 0 ? (width * rows + 1) / 2 : 0;
    const std::string out = slurp(folder.path / "out.h"), head = preamble(width, rows);
    if (run.status == 0) {
      ASSERT_EQ(run.said, prompts + done) << i;
      ASSERT_EQ(out.substr(0, head.size()) + out.substr(out.size() - 3), head + "};\n") << i;
      ASSERT_EQ(std::ssize(out), std::ssize(head) + items * 5 + items / 8 + 3) << i;
    } else {
      ASSERT_EQ(run.status, 1) << i;
      ASSERT_TRUE(run.said == prompts + "Incomplete header\n" || run.said == prompts + toolarge)
          << i;
      ASSERT_EQ(out, "") << i;
    }
  }
}

} // namespace
