// The README's and the guide's examples as written, and the recipes and pipes they describe.
#include "support.hpp"

#include <sstream>

namespace {

using namespace bmp4ctest;

// The README's examples, as written: every block whose fence names a file (```make Makefile)
// becomes that file, beside a 96 x 64 logo.bmp and bmp4c installed on the PATH. A build must
// convert the logo, and again only when it changes; a refused logo must fail every build with
// the converter's message, before the compiler. A recipe must print what its pattern says.
struct Example {
  std::string name, needs;          // needs: the tools without which the row is skipped
  Project build;                    // a build of main.c that converts logo.bmp; or else
  std::string run = "", shows = ""; // commands, and a pattern of what they print
};

class Readme : public testing::TestWithParam<Example> {};

const std::string symbols = "echo logo.bmp logo.h | bmp4c >/dev/null && ",
                  namelogo = "bmp4c --name logo logo.bmp logo.h >/dev/null && ";
const std::string display = "struct Adafruit_SSD1327 { short WIDTH, HEIGHT; void clearDisplay(); "
                            "unsigned char *getBuffer(); void display(); };";
const std::string gradient = "convert -size 2x32 gradient:black-white -rotate -90 logo.png && ";
// pixel_P() on this computer, through a pgmspace.h that reads memory as it is.
const std::string pixels =
    "mkdir avr && echo '#define pgm_read_byte(p) (*(p))' >avr/pgmspace.h && for b in five four; do "
    "echo $b.bmp logo.h | bmp4c >/dev/null && cc -I. digits.c pixel.c -o d && ./d && cc -I. "
    "-Dpixel=pixel_P digits.c pixel_avr.c -o d && ./d; done";
const std::string rows =
    "echo sample.bmp logo.h | bmp4c >/dev/null && grep -o '0x..' logo.h | cut -c3- | xxd -r -p | "
    "convert -size 32x16 -depth 4 gray:- rows.png && bmp4c-preview --panel srgb logo.h bmp.png && "
    "compare -metric AE rows.png bmp.png null:";
// Standard input and output both ways in each program, equal to the files' way; a picture is not
// written to a terminal.
const std::string pipes =
    "bmp4c-grey --fit 128x64 icon.png - | bmp4c --name logo - a.h && bmp4c-grey --fit 128x64 "
    "icon.png icon.bmp && bmp4c --name logo icon.bmp b.h && cmp a.h b.h && bmp4c five.bmp - >c.h "
    "&& bmp4c - d.h <five.bmp && bmp4c five.bmp e.h && cat c.h d.h | cmp - /dev/stdin <<EOF\n$(cat "
    "e.h e.h)\nEOF\nbmp4c-preview - <b.h >a.png && bmp4c-preview b.h - >b.png && bmp4c-preview b.h "
    "&& cmp a.png b.png && cmp a.png b.preview.png && bmp4c-grey --fit 128x64 - <icon.png | cmp - "
    "icon.bmp && bmp4c --micropython five.bmp && bmp4c --raw five.bmp && [ -s five.py ] && "
    "[ -s five.bin ] && bmp4c five.bmp /dev/stdout | cmp - e.h && bmp4c five.bmp /dev/fd/3 3>&1 | "
    "cmp - "
    "e.h && ln -s /dev/stdout out.png && bmp4c-preview b.h out.png | cmp - b.png && ln -s "
    "/dev/stdout out.bmp && bmp4c-grey --fit 128x64 icon.png out.bmp | cmp - icon.bmp && script "
    "-qec 'bmp4c-grey icon.png -' /dev/null; echo \"status $?\"";
// Names that bmp4c takes compile after the C library's headers, in C99 to C2x and C++98 to C++20;
// two that differ only in case stop the compile, naming the macro.
const std::string names =
    "echo '#include <stdio.h>\n#include <stdlib.h>\n#include <string.h>' >all.c && for n in logo "
    "Logo2 icon_2 walk e x sample frames; do bmp4c --name $n five.bmp $n.h && echo \"#include "
    "\\\"$n.h\\\"\" >>all.c || exit 1; done && echo 'int main(void) { return logo[0] + Logo2[0] - "
    "LOGO_WIDTH; }' >>all.c && for cc in 'gcc -std=c99' 'gcc -std=c2x' 'clang -std=c99' 'clang "
    "-std=c2x' 'g++ -x c++ -std=c++98' 'g++ -x c++ -std=c++20'; do $cc -Wall -Wextra -Wpedantic "
    "-Werror all.c -o all || exit 1; done && avr-gcc -mmcu=atmega328p -Wall -Wextra -Wpedantic "
    "-Werror -include avr/pgmspace.h -DBMP4C_FLASH=PROGMEM -c all.c && bmp4c --name LOGO five.bmp "
    "LOGO.h && printf '#include \"logo.h\"\n#include \"LOGO.h\"\n' >clash.c && ! gcc -c clash.c";
// A GIF's delays in flash beside the image: in C and C++, and for AVR in program memory.
const std::string delays =
    "bmp4c --name walk --tile 5x3 --delays 150 five.bmp walk.h && printf '#include "
    "\"walk.h\"\\nint "
    "main(void) { return walk_delays[0] != 150 || walk[0][0] != 0xfe; }\\n' >d.c && for cc in gcc "
    "'g++ -x c++'; do $cc -Wall -Wextra -Werror d.c -o d && ./d || exit 1; done && avr-gcc "
    "-mmcu=atmega328p -Wall -Wextra -Werror -include avr/pgmspace.h -DBMP4C_FLASH=PROGMEM -c d.c "
    "&& avr-objdump -t d.o";
const Example examples[] = {
    {"example", "", {}, "echo four.bmp four.h | bmp4c >/dev/null && cmp four.h example.h"},
    {"sample",
     "",
     {},
     "echo sample.bmp out.h | bmp4c >/dev/null && head -n \"$(wc -l <sample.h)\" out.h | cmp - "
     "sample.h && bmp4c-preview --scale 8 out.h && od -An -tu1 -j16 -N8 out.preview.png",
     "^ +0 +0 +1 +0 +0 +0 +0 +128\n$"},
    {"cmake",
     "cmake",
     {".",
      "cmake -S . -B build -DCMAKE_PREFIX_PATH=\"$PWD/inst\" >/dev/null && cmake --build build",
      "bmp4c: converting", "build/bmp4c/logo.h", "build/game", false, "logo.png"}},
    {"make",
     "make cc",
     {".", "make", "bmp4c-grey --fit 128x64 --panel linear logo.png", "logo.h", "./game", true,
      "logo.png"}},
    {"meson",
     "meson ninja cc",
     {".", "[ -d b ] || meson setup b >/dev/null && meson compile -C b", "Generating logo.bmp",
      "b/logo.h", "b/game", true, "logo.png"}},
    {"cortexm",
     "arm-none-eabi-gcc",
     {},
     symbols + "arm-none-eabi-gcc -mcpu=cortex-m4 -Os -Wall -Wextra -Werror -c logo.c && " +
         namelogo +
         "arm-none-eabi-gcc -mcpu=cortex-m4 -Os -Wall -Wextra -Werror -c logodata.c && "
         "arm-none-eabi-nm logo.o logodata.o",
     "R bitmap[^]*r logo"},
    {"avr",
     "avr-gcc",
     {},
     namelogo + "avr-gcc -mmcu=atmega328p -Os -Wall -Wextra -Werror -c logo_avr.c && avr-objdump "
                "-t logo_avr.o",
     "progmem\\.data.*logo"},
    {"named",
     "gcc clang g++ clang++",
     {},
     namelogo + "bmp4c --name icon five.bmp icon.h >/dev/null && for cc in gcc clang 'g++ -x c++' "
                "'clang++ -x c++'; do $cc -Wall -Wextra -Werror images.c logodata.c -o images && "
                "./images; done",
     "^(96 x 64 and 5 x 3: fe 63, 3072 bytes\n){4}$"},
    {"arduino",
     "avr-g++",
     {},
     namelogo + "avr-g++ -mmcu=atmega328p -Os -Wall -Wextra -Werror -x c++ -c sketch.ino && "
                "avr-objdump -t sketch.o",
     "progmem\\.data.*logo"},
    {"animation",
     "convert g++",
     {},
     "convert -delay 10 -size 128x128 xc:white -delay 20 xc:black walk.gif && bmp4c-grey --frames "
     "--fit 128x128 walk.gif 2>frames && cat frames && bmp4c --name walk $(sed -n 's/.*: bmp4c "
     "//p' "
     "frames) walk.bmp && echo '" +
         display +
         "' >display.h && g++ -Wall -Wextra -Werror -c animation.cpp && nm -C animation.o",
     "^bmp4c-grey: walk.bmp: 2 frames of 128 x 128, shown for 100 200 ms: bmp4c --tile "
     "128x128 --delays 100,200\n[^]*r walk"},
    {"path",
     "convert",
     {},
     "rm logo.bmp && convert -size 85x64 gradient:red-blue logo.png && cp logo.png art.png && "
     "bmp4c-grey --fit 128x64 logo.png && bmp4c logo.bmp >/dev/null && bmp4c-preview --scale 4 "
     "logo.h && cmp logo.png art.png && sed -n 1,2p logo.h && identify -format '%w %h' "
     "logo.preview.png",
     "^#define WIDTH 128\n#define HEIGHT 64\n512 256$"},
    {"netpbm",
     "convert pngtopnm",
     {},
     gradient + "sh netpbm.sh && " + symbols + "sed -n 1p logo.h",
     "#define WIDTH 32\n$"},
    {"pixel", "cc", {}, pixels, "^(fedcb\na9876\n54321\n){2}(fedc\nba98\n){2}$"},
    {"evenrows", "convert xxd", {}, rows, "^0$"},
    {"makeoptions",
     "make cc",
     {},
     "printf 'P5 96 64 255\\n' >logo.png && dd if=/dev/zero bs=6144 count=1 2>/dev/null >>logo.png "
     "&& rm logo.bmp && make >/dev/null && grep '#define LOGO_WIDTH' logo.h && sed "
     "'s/^FIT = .*/FIT = 48x32/' Makefile >M && mv M Makefile && make >/dev/null && grep '#define "
     "LOGO_WIDTH' logo.h",
     "^#define LOGO_WIDTH 128\n#define LOGO_WIDTH 48\n$"},
    {"pipes",
     "convert script",
     {},
     pipes,
     "bmp4c-grey: -: cannot be written: standard output is a terminal[^]*status 1\n$"},
    {"delays", "gcc g++ avr-gcc", {}, delays, "progmem\\.data.*walk_delays"},
    {"names",
     "gcc clang g++ avr-gcc",
     {},
     names,
     "clash.c:2:[^]*error: #error \"LOGO_WIDTH is defined already"},
    {"library",
     "g++",
     {},
     namelogo + "echo '" + display +
         "' >display.h && g++ -Wall -Wextra -Werror -c display.cpp && echo logo.bmp plain.h | "
         "bmp4c >/dev/null && printf '#include \"plain.h\"\\n#include \"display.h\"\\n' "
         ">broken.cpp && ! g++ -c broken.cpp",
     "expected unqualified-id before numeric constant"},
};

TEST_P(Readme, WorksAsWritten) {
  const Example &row = GetParam();
  const Folder folder;
  if (folder.run("for tool in " + row.needs + "; do command -v $tool || exit 1; done") != 0)
    GTEST_SKIP() << "not installed, one of: " << row.needs;
  ASSERT_EQ(folder.install("inst"), 0);
  std::ifstream readme(BMP4C_SOURCE "/README.md"), guide(BMP4C_SOURCE "/doc/guide.md");
  std::stringstream both;
  both << readme.rdbuf() << guide.rdbuf();
  std::ofstream block;
  const std::regex fence("\\s*```\\w+ ([\\w.]+)"), end("\\s*```");
  std::smatch named;
  for (std::string line, indent; std::getline(both, line);)
    if (std::regex_match(line, named, fence))
      block.open(folder.path / named[1].str()), indent = line.substr(0, line.find('`'));
    else if (block.is_open() && std::regex_match(line, end))
      block.close();
    else if (block.is_open())
      block << line.substr(std::min(indent.size(), line.find_first_not_of(' '))) << "\n";
  const std::string good = bitmap(96, 64, std::string(3072, '\x9c')),
                    bad = patched(good, 28, "\x18"s);
  // A picture bmp4c-grey reads, whatever its name says, and one it does not.
  const std::string picture = pnm("P5", 96, 64, std::string(6144, '\x9c')),
                    nopicture = "no picture";
  std::ofstream(folder.path / "logo.bmp", std::ios::binary) << good;
  std::ofstream(folder.path / "icon.png", std::ios::binary) << picture;
  std::ofstream(folder.path / "four.bmp", std::ios::binary)
      << bitmap(4, 2, "\x45\x67\0\0\x01\x23\0\0"s);
  std::ofstream(folder.path / "five.bmp", std::ios::binary) << fivebythree;
  fs::copy_file(BMP4C_SOURCE "/sample.bmp", folder.path / "sample.bmp");
  const std::string path = "PATH=\"$PWD/inst/bin:$PATH\" && ";
  if (!row.build.build.empty()) {
    Project p = row.build;
    p.build = path + p.build;
    // The recipes fit the 96 x 64 picture to the display, 128 x 64, and the icon to 16 x 16.
    const std::string shows =
        ": logo: 128 x 64 pixels in 4096 bytes\nicon: 16 x 16 pixels in 128 bytes\n";
    const std::string made = p.header + ", preview 128 wide";
    // A refused picture names itself, by whatever path the recipe gave it.
    const bool greyed = p.image.ends_with(".png");
    const std::string refusal = greyed ? "logo.png: is not a picture that bmp4c-grey reads"
                                       : "Not a 4-bit uncompressed bitmap";
    const std::string &fine = greyed ? picture : good, &broken = greyed ? nopicture : bad;
    if (greyed) fs::remove(folder.path / "logo.bmp"); // the recipe makes it
    EXPECT_EQ(rebuild(folder, p, fine), "built, converted, " + made + shows);
    EXPECT_EQ(rebuild(folder, p, fine), "built, " + made + shows);
    for (int twice = 0; twice < 2; ++twice) {
      const std::string result = rebuild(folder, p, broken);
      EXPECT_TRUE(result.starts_with("failed, converted, ")) << result;
      EXPECT_NE(result.find(refusal), result.npos) << result;
      EXPECT_TRUE(result.ends_with((p.keeps ? ", " + made : ""s) + shows)) << result;
    }
    EXPECT_EQ(rebuild(folder, p, fine), "built, converted, " + made + shows);
  } else {
    EXPECT_EQ(folder.run(path + row.run), 0) << slurp(folder.path / "said");
    EXPECT_TRUE(std::regex_search(slurp(folder.path / "said"), std::regex(row.shows)))
        << slurp(folder.path / "said");
  }
}

INSTANTIATE_TEST_SUITE_P(Bmp4c, Readme, testing::ValuesIn(examples),
                         [](const auto &row) { return row.param.name; });

} // namespace
