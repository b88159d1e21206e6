// A CMake project that embeds its images with bmp4c_add_image, built against bmp4c installed and
// as a source tree.
#include "support.hpp"

namespace {

using namespace bmp4ctest;

// The project in tests/consumer, in a folder with a blank, built against bmp4c installed (under
// a firmware toolchain's package search) or as a source tree, shows the bytes of its images. A
// build converts what changed, and only that, and a broken bitmap fails it and leaves no header
// behind. Each call that bmp4c_add_image refuses stops configuring with its message.
class Consumer : public testing::TestWithParam<std::pair<std::string, std::string>> {};

// Calls that must stop configuring (message(FATAL_ERROR)): how the message starts, and its key
// words; and an option for the source tree, such as a folder holding the stb_image.h of 2.27, or
// "installed" for a call that the installed programs answer (a source tree's say so as they build).
const std::string faults[][4] = {
    {"bmp4c_add_image(show logo.bmp EXTRA)", "usage: bmp4c_add_image(",
     "<target> <image> [OUTPUT <header>] [PREVIEW] [INK] [DITHER] [FIT <W>x<H>] [EVEN] [PANEL "
     "<light>] [NAME <name>] [TILE <W>x<H>] [FRAMES] [LOW_FIRST] [PAD_ROWS])"},
    {"bmp4c_add_image(show walk.gif FRAMES)", "bmp4c_add_image(show walk.gif): ",
     "FRAMES needs the size of a frame: give FIT (the display's size) or TILE (the GIF's own)"},
    {"bmp4c_add_image(show logo.bmp NAME 9x)", "bmp4c_add_image(show logo.bmp): ",
     "NAME: bmp4c: --name takes a C name: ASCII letters, digits and _, not a digit first, and no "
     "keyword, not \"9x\"",
     "installed"},
    {"bmp4c_add_image(show logo.bmp NAME main)", "bmp4c_add_image(show logo.bmp): ",
     "NAME: bmp4c: --name takes no \"main\": it is the name of every C program's entry point",
     "installed"},
    {"bmp4c_add_image(show logo.bmp TILE 0x2)",
     "bmp4c_add_image(show logo.bmp): ", "TILE takes a size WxH, such as 16x16"},
    {"bmp4c_add_image(show badge.png FIT 4)",
     "bmp4c_add_image(show badge.png): ", "FIT takes a size WxH, such as 128x64"},
    {"bmp4c_add_image(show badge.png FIT)",
     "bmp4c_add_image(show badge.png): ", "FIT takes a size WxH, such as 128x64"},
    {"bmp4c_add_image(show badge.png PANEL 1,2,3,4,5,6,7,8,9,10,11,12,13,14,9)",
     "bmp4c_add_image(show badge.png): ",
     "PANEL: bmp4c-preview: --panel: the numbers must not decrease, and 9 comes after 14",
     "installed"},
    {"bmp4c_add_image(show badge.png OUTPUT images/badge.h)", "bmp4c_add_image(show badge.png) in ",
     "images/badge.h is already the header of"},
    {"bmp4c_add_image(show logo.bmp OUTPUT)",
     "bmp4c_add_image(show logo.bmp): ", "OUTPUT needs the header's name"},
    {"bmp4c_add_image(shw logo.bmp)", "bmp4c_add_image: ", "there is no target shw."},
    {"bmp4c_add_image(bmp4c::bmp4c logo.bmp)",
     "bmp4c_add_image: ", "is an imported, alias, interface or custom target"},
    {"bmp4c_add_image(show icon.bmp OUTPUT bmp4c/logo.h)", "bmp4c_add_image(show icon.bmp) in ",
     "logo.h is already the header of"},
    {"bmp4c_add_image(show lgo.bmp)", "bmp4c_add_image(show lgo.bmp) in ",
     "lgo.bmp, and no rule of the build makes it."},
    {"bmp4c_add_image(show icon.bmp OUTPUT images/icon.h PREVIEW)",
     "bmp4c_add_image(show icon.bmp) in ",
     "images/icon.h without PREVIEW. Give PREVIEW to the first call"},
    {"bmp4c_add_image(show badge.png)", "bmp4c_add_image(show badge.png) in ",
     "/old stb is too old for bmp4c-grey: its JPEG reader writes out of bounds on a crafted file",
     "-DBMP4C_STB_INCLUDE=\"$PWD/old stb\""}, // the other programs are configured
    {"bmp4c_add_image(show badge.png)", "bmp4c_add_image(show badge.png) in ",
     "/new stb is not one that bmp4c-grey was tested with (v2.30): it reads a GIF's frames through "
     "stb_image's internals",
     "-DBMP4C_STB_INCLUDE=\"$PWD/new stb\""},
    {"bmp4c_add_image(show badge.png)", "bmp4c_add_image(show badge.png) in ",
     "badge.png needs bmp4c-grey, which this bmp4c was built without. Give it stb_image v2.30",
     "-DBMP4C_GREY=OFF"}, // last two: they stay in the cache
};

TEST_P(Consumer, ConvertsImagesAsTheyChange) {
  const Folder folder;
  fs::copy(BMP4C_SOURCE "/tests/consumer", folder.path / "my project", fs::copy_options::recursive);
  ASSERT_EQ(folder.install("'pre fix'"), 0);
  const std::string logo = bitmap(2, 1, "\x12"s), changed = bitmap(3, 1, "\x34\x50"s);
  std::ofstream(folder.path / "my project/logo.bmp", std::ios::binary) << logo;
  const std::string configure =
      BMP4C_CMAKE " -G " BMP4C_GENERATOR " -S 'my project' " + GetParam().second;
  fs::create_directory(folder.path / "old stb");
  std::ofstream(folder.path / "old stb/stb_image.h") << "/* stb_image - v2.27 - public domain\n";
  fs::create_directory(folder.path / "new stb");
  std::ofstream(folder.path / "new stb/stb_image.h") << "/* stb_image - v2.29 - public domain\n";
  ASSERT_EQ(folder.run(configure + " -B 'my project/build'"), 0);
  // Eight jobs at a time: both targets use the logo, and converted twice at once, it would fail
  // one build in two.
  const Project consumer{"my project", BMP4C_CMAKE " --build build -j8 --config Release",
                         "bmp4c: converting", "build/bmp4c/logo.h", BMP4C_SHOW};
  // The badge, its header and its preview, as the command line makes them with the options that
  // bmp4c_add_image is given.
  const std::string panel = "--panel 0,1,2,3,4,5,6,7,8,16,24,32,47,56,63";
  ASSERT_EQ(folder.run(BMP4C_GREY " --ink --fit 4x2 " + panel +
                       " 'my project/badge.png' b.bmp && " + BMP4C_PATH " b.bmp b.h && " +
                       BMP4C_PREVIEW " --ink " + panel + " b.h"),
            0);
  // And the GIF's frames, named walk, low first, with the delays bmp4c-grey gives; and the icon's
  // rows padded.
  ASSERT_EQ(folder.run(BMP4C_GREY
                       " --frames --fit 4x2 'my project/walk.gif' w.bmp 2>frames && " BMP4C_PATH
                       " --name walk --tile 4x2 --low-first --delays "
                       "\"$(sed -n 's/.* --delays //p' frames)\" w.bmp w.h && " BMP4C_PREVIEW
                       " --low-first w.h && " BMP4C_PATH
                       " --pad-rows --name paddedicon 'my project/icon.bmp' p.h"),
            0);
  std::smatch shown;
  const std::string frames = folder.read("frames");
  ASSERT_TRUE(std::regex_search(frames, shown, std::regex("shown for ([0-9 ]+) ms"))) << frames;
  auto bytes = [&](const std::string &header) {
    const std::string digits = itemdigits(folder.read(header));
    std::string spaced;
    for (std::size_t i = 0; i < digits.size(); i += 2) spaced.append(" ").append(digits, i, 2);
    return spaced;
  };
  const std::string others =
      "; icon: 5a; darklogo: fe; small: dc; large: 5a; badge:" + bytes("b.h") +
      "; paddedicon:" + bytes("p.h") + "; walk, 2 frames:" + bytes("w.h") + ", shown for " +
      shown[1].str() + " ms";
  const std::string made = "build/bmp4c/logo.h, preview ";
  EXPECT_EQ(rebuild(folder, consumer, logo),
            "built, converted, " + made + "2 wide: 2 1, 1 2; logo: ed" + others);
  EXPECT_EQ(slurp(folder.path / "my project/build/images/badge.preview.png"),
            slurp(folder.path / "b.preview.png"));
  EXPECT_EQ(slurp(folder.path / "my project/build/bmp4c/walk.preview.png"),
            slurp(folder.path / "w.preview.png"));
  EXPECT_EQ(folder.read("my project/build/bmp4c/walk.h"), folder.read("w.h"));
  EXPECT_EQ(folder.read("my project/build/padded/icon.h"), folder.read("p.h"));
  EXPECT_EQ(rebuild(folder, consumer, logo), // nothing to convert
            "built, " + made + "2 wide: 2 1, 1 2; logo: ed" + others);
  for (int i = 0; i < 10; ++i)
    EXPECT_EQ(rebuild(folder, consumer, i % 2 ? logo : changed),
              "built, converted, " + made +
                  (i % 2 ? "2 wide: 2 1, 1 2; logo: ed"s : "3 wide: 3 1, 1 2; logo: cb af") +
                  others);
  EXPECT_EQ(rebuild(folder, consumer, changed.substr(0, 30)),
            "failed, converted, Incomplete header: 2 1, 1 2; logo: ed" + others);
  for (const auto &[call, starts, says, option] : faults) {
    const bool installed = option == "installed";
    if (installed != (GetParam().first == "installed") && !option.empty()) continue;
    EXPECT_NE(folder.run(configure + " -B faults -DBMP4C_FAULT='" + call + "' " +
                         (installed ? "" : option)),
              0)
        << call;
    const std::string said =
        std::regex_replace(slurp(folder.path / "said"), std::regex("\\s+"), " ");
    EXPECT_NE(said.find("(message): " + starts), said.npos) << said;
    EXPECT_NE(said.find(says), said.npos) << said;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Bmp4c, Consumer,
    testing::Values(std::pair("installed",
                              "-DCMAKE_PREFIX_PATH=\"$PWD/pre fix\" "
                              "-DCMAKE_TOOLCHAIN_FILE=\"$PWD/my project/toolchain.cmake\""),
                    std::pair("sourcetree", "-DBMP4C_SOURCE='" BMP4C_SOURCE "'")),
    [](const auto &row) { return row.param.first; });

} // namespace
