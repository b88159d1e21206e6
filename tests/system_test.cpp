// The programs as the system meets them: limits on files and memory, links, owners, signals and
// names without end, a row a test; and the Windows build under Wine, beside this one.
#include "support.hpp"

namespace {

using namespace bmp4ctest;

// Each program as the system limits it, in a folder that holds big.bmp (64 x 64), its header big.h,
// the picture big.pgm, and old.h, old.bmp and old.png, each an old file of permissions 0640 that
// the program would replace (text, a bitmap and a PNG that it made), with links to them (link.h,
// link.bmp, link.png). Under a file-size limit, as a full disk would, a run
// fails with its message, and the old file stays as it was, bytes and time stamp, with no
// temporary file left; a good run replaces the file that a link names, and keeps the link and the
// permission bits, and the owner where the program may give it. Memory that runs out is said as
// such, and so is each refusal that only the system can bring about. A row whose said ends in ...
// gives the start of what is said.
struct Limited {
  std::string proves, command, output; // output: old.h, old.bmp or old.png
  int status;
  std::string said;
};

const std::string sizelimit = "trap '' XFSZ; ulimit -f 8; ";
// Root may read and write any file: these rows run as nobody, and only as root.
const std::string asnobody = "chmod 777 . && setpriv --reuid=65534 --regid=65534 --clear-groups ";
// A run stopped by a signal once its temporary file is there; a shell's job in the background
// ignores SIGINT unless perl gives it back.
const std::string stopped =
    "perl -e '$SIG{INT} = \"DEFAULT\"; exec @ARGV' " BMP4C_PATH
    " --tile 1x1 huge.bmp old.h & until ls -a | grep -q 'tmp$'; do sleep 0.01; done; kill -";
const std::string prompt = "This file convert a 4-bit BMP into 2-bit DC.b file \nPls enter binary "
                           "file name to read: \n",
                  prompts = prompt + "Pls enter text file name to write: \n";
const Limited limits[] = {
    {"bmp4c under a file-size limit", sizelimit + BMP4C_PATH " big.bmp old.h", "old.h", 1,
     "bmp4c: old.h: cannot be written: File too large\n"},
    {"the dialogue under a file-size limit", "echo big.bmp old.h | (" + sizelimit + BMP4C_PATH ")",
     "old.h", 1, prompts + "Error writing text file\n"},
    {"bmp4c-grey", sizelimit + BMP4C_GREY " --fit 256x256 big.pgm old.bmp", "old.bmp", 1,
     "bmp4c-grey: old.bmp: cannot be written: File too large\n"},
    {"bmp4c-preview", sizelimit + BMP4C_PREVIEW " --scale 8 big.h old.png", "old.png", 1,
     "bmp4c-preview: old.png: cannot be written: File too large\n"},
    {"bmp4c through a link", BMP4C_PATH " big.bmp link.h", "old.h", 0, ""},
    {"bmp4c given a file that it may write but not read: its kind unknown, refused",
     "chmod 200 old.bmp && " + asnobody +
         BMP4C_PATH " big.bmp old.bmp; s=$?; chmod 640 old.bmp; exit $s",
     "old.bmp", 1,
     "bmp4c: old.bmp: cannot be read, so what it holds is not known (Permission denied): remove "
     "it, or name another file\n"},
    {"a file that may be written, in a folder that may not: the reason",
     "mkdir ro && cp old.h ro/u.h && chmod 666 ro/u.h && chmod 555 ro && " + asnobody +
         BMP4C_PATH " big.bmp ro/u.h; s=$?; chmod 755 ro; rm -r ro; exit $s",
     "old.h", 1,
     "bmp4c: ro/u.h: cannot be written: its folder cannot hold the new file that takes its place "
     "(Permission denied)\n"},
    {"root rewrites nobody's file: the new one keeps its owner and group",
     "chown 65534:65534 old.h && " BMP4C_PATH
     " big.bmp old.h && ls -n old.h | awk '{ print $3 \":\" $4 }'; chown 0:0 old.h",
     "old.h", 0, "65534:65534\n"},
    {"a loop of links: the system's reason, the links kept",
     "ln -s lb la && ln -s la lb && " BMP4C_PATH
     " big.bmp la; s=$?; [ -L la ] && [ -L lb ] && rm la lb && exit $s",
     "old.h", 1, "bmp4c: la: cannot be written: Too many levels of symbolic links\n"},
    {"SIGINT in the middle of a large write: no temporary file left",
     stopped + "INT $! && { wait $!; } 2>/dev/null", "old.h", 130, ""},
    {"SIGTERM the same", stopped + "TERM $! && { wait $!; } 2>/dev/null", "old.h", 143, ""},
    {"SIGHUP the same", stopped + "HUP $! && { wait $!; } 2>/dev/null", "old.h", 129, ""},
    {"a file-size limit that is not ignored: killed, nothing left",
     "(ulimit -f 100; " BMP4C_PATH " huge.bmp old.h) 2>/dev/null", "old.h", 153, ""},
    {"the dialogue's name without end (/dev/zero): refused at 64 KiB", BMP4C_PATH " </dev/zero",
     "old.h", 1,
     prompt + "Error opening binaryfile file for reading: " + repeated("\\x00", 64) + "... \n"},
    {"a NUL byte in a dialogue's name: refused, not cut",
     "printf 'big.bmp\\0junk old.h\\n' | " BMP4C_PATH, "old.h", 1,
     prompt + "Error opening binaryfile file for reading: big.bmp\\x00junk \n"},
    {"blanks without end after the names",
     "(printf 'big.bmp old.h'; yes ' ' | tr -d '\\n') | " BMP4C_PATH, "old.h", 1,
     prompts + "Error opening binaryfile file for reading: big.bmp \n"},
    {"bmp4c-grey's frames out of memory: what the frames take",
     "ulimit -v 60000; " BMP4C_GREY " --frames --fit 1024x1024 many.gif old.bmp", "old.bmp", 1,
     "bmp4c-grey: many.gif: memory ran out: its ..."},
    {"bmp4c-preview out of memory on a huge header",
     "ulimit -v 40000; " BMP4C_PREVIEW " huge.h old.png", "old.png", 1,
     "bmp4c-preview: huge.h: memory ran out: its items and pixels take more than there is\n"},
    {"bmp4c-grey through a link", BMP4C_GREY " big.pgm link.bmp", "old.bmp", 0, ""},
    {"bmp4c-preview through a link", BMP4C_PREVIEW " big.h link.png", "old.png", 0, ""},
    {"bmp4c-grey out of memory: not damage, and what the picture takes",
     "ulimit -v 15000; " BMP4C_GREY " huge.pgm old.bmp", "old.bmp", 1,
     "bmp4c-grey: huge.pgm: memory ran out: its 5000 x 4000 pixels take 20000000 bytes as stored, "
     "1 a pixel\n"},
};

// An old file of each kind that the programs replace.
std::string oldfile(const fs::path &file) {
  const std::string ext = file.extension().string();
  return (ext == ".bmp"   ? "BM\0\0\0\0b4cg"s
          : ext == ".png" ? pngstart + pngmark
                          : ""s) +
         "an old file\n";
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool addresssanitizer = true; // which reserves more address space than ulimit -v allows
#elif defined(__has_feature)
constexpr bool addresssanitizer = __has_feature(address_sanitizer);
#else
constexpr bool addresssanitizer = false;
#endif

// Frames of 1 x 1 pixels, as many as given, each with its image data.
std::string manyframes(int frames) {
  const std::string frame = "\x2c\0\0\0\0\1\0\1\0\x80\0\0\0\xff\xff\xff\x02\x02\x44\x01\0"s;
  return "GIF89a\1\0\1\0\0\0\0"s + repeated(frame, frames) + "\x3b";
}

class Limits : public testing::TestWithParam<std::size_t> {};

TEST_P(Limits, KeepTheOldFile) {
  const Limited &l = limits[GetParam()];
  if (addresssanitizer && l.command.find("ulimit -v") != l.command.npos)
    GTEST_SKIP() << "AddressSanitizer reserves more address space than the limit allows";
  if (geteuid() != 0 &&
      (l.command.find("setpriv") != l.command.npos || l.command.find("chown") != l.command.npos))
    GTEST_SKIP() << "only root may run a program as nobody, or give a file away";
  const Folder folder;
  const auto past = std::chrono::floor<std::chrono::seconds>(fs::file_time_type::clock::now()) -
                    std::chrono::hours(1000);
  folder.write("big.bmp", bitmap(64, 64, std::string(2048, '\x5a')));
  std::ofstream(folder.path / "big.pgm", std::ios::binary)
      << pnm("P5", 64, 64, std::string(4096, '\x80'));
  if (l.command.find("huge.pgm") != l.command.npos)
    folder.write("huge.pgm", pnm("P5", 5000, 4000, std::string(20000000, '\0')));
  if (l.command.find("huge.bmp") != l.command.npos)
    folder.write("huge.bmp", bitmap(4096, 4096, std::string(8388608, '\x5a')));
  if (l.command.find("huge.h") != l.command.npos)
    folder.write("huge.h", header(8192, 8192, repeated("0x5a,", 8 << 20)));
  if (l.command.find("many.gif") != l.command.npos) folder.write("many.gif", manyframes(60));
  folder.run(BMP4C_PATH " big.bmp big.h");
  for (const std::string extension : {"h", "bmp", "png"}) {
    const fs::path older = folder.path / ("old." + extension);
    std::ofstream(older, std::ios::binary) << oldfile(older);
    fs::last_write_time(older, past);
    fs::permissions(older, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_symlink(older.filename(), folder.path / ("link." + extension));
  }
  const auto found = std::distance(fs::directory_iterator(folder.path), {});
  EXPECT_EQ(folder.run(l.command), l.status) << l.proves;
  const std::string said = folder.read("said");
  if (l.said.ends_with("..."))
    EXPECT_TRUE(said.starts_with(l.said.substr(0, l.said.size() - 3))) << l.proves << said;
  else
    EXPECT_EQ(said, l.said) << l.proves;
  const fs::path output = folder.path / l.output;
  EXPECT_EQ(slurp(output) == oldfile(output), l.status != 0) << l.proves;
  EXPECT_EQ(fs::last_write_time(output) == past, l.status != 0) << l.proves;
  EXPECT_EQ(fs::status(output).permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read)
      << l.proves;
  EXPECT_TRUE(fs::is_symlink(folder.path / ("link" + output.extension().string()))) << l.proves;
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.path), {}), found) << l.proves;
}

INSTANTIATE_TEST_SUITE_P(Bmp4c, Limits, testing::Range<std::size_t>(0, std::size(limits)),
                         [](const auto &row) {
                           return rowname(limits[row.param].proves, row.param);
                         });

// The Windows build under Wine, beside this one: each run, in a folder of its own holding in.bmp,
// "My Pictures/in.bmp", in.h, the test pictures and copies named in three scripts, must print the
// same lines with the same status and leave the same files, byte for byte but for the CR of a text
// file's line ends. In a command, {NAME} is the absolute path of a file in the folder, as each
// system writes it.
struct Twin {
  std::string proves, command, files; // files: those to compare, separated by blanks
  int status;                         // on both systems
};

const Twin twins[] = {
    {"a path with blanks, as Explorer gives it, and its header",
     "bmp4c '{My Pictures/in.bmp}' out.h", "out.h", 0},
    {"the dialogue, a quoted path with blanks",
     "printf '%s\\n' '\"{My Pictures/in.bmp}\" out.h' | bmp4c", "out.h", 0},
    {"a refusal, its message and status", "bmp4c in.h out.h", "out.h", 1},
    {"a bitmap alone, named and tiled, its header replaced through a rename",
     "bmp4c --name logo --tile 5x1 in.bmp", "in.h", 0},
    {"a preview replaced, low first",
     "bmp4c-preview --low-first in.h && bmp4c-preview --low-first --scale 2 in.h", "in.preview.png",
     0},
    {"a bitmap named as the text, by a Greek name, and a PNG name that is a header's: both refused",
     "bmp4c in.bmp Ελληνικά.bmp; bmp4c-preview in.h in.h", "Ελληνικά.bmp in.h", 2},
    {"a preview, odd width said", "bmp4c-preview --scale 3 in.h", "in.preview.png", 0},
    {"a JPEG shrunk and dithered: the same bitmap", "bmp4c-grey --dither --fit 64x40 photo.jpg",
     "photo.bmp", 0},
    {"transparency over white, shrunk, made even", "bmp4c-grey --ink --fit 45x33 --even cutout.png",
     "cutout.bmp", 0},
    {"a palette and a 16-bit PNG", "bmp4c-grey palette.png && bmp4c-grey deep.png",
     "palette.bmp deep.bmp", 0},
    {"a panel's table, dithered, and its preview",
     "bmp4c-grey --dither --fit=40x20 --panel 0,1,2,3,4,5,6,7,8,16,24,32,47,56,63 photo.jpg && "
     "bmp4c photo.bmp photo.h && bmp4c-preview --panel=0,1,2,3,4,5,6,7,8,16,24,32,47,56,63 photo.h",
     "photo.bmp photo.h photo.preview.png", 0},
    {"a picture cut short",
     "dd if=photo.jpg bs=1500 count=1 2>/dev/null >cut.jpg && bmp4c-grey cut.jpg", "cut.bmp", 1},
    {"names in three scripts, the bitmaps by their default names, beside the pictures",
     "bmp4c-grey '{Grüße/rosé.png}' && bmp4c-grey 日本.png && bmp4c Ελληνικά.bmp 日本.h && "
     "bmp4c-preview 日本.h",
     "Grüße/rosé.bmp 日本.bmp 日本.h 日本.preview.png", 0},
    {"the dialogue, a name in Greek and one in Japanese",
     "printf '%s\\n' 'Ελληνικά.bmp 日本.h' | bmp4c", "日本.h", 0},
    {"a missing picture named in Japanese", "bmp4c-grey 無い.png", "無い.bmp", 1},
    {"Windows' NUL, a device, written to as it is (on Linux a file of that name)",
     "bmp4c in.bmp NUL", "", 0},
};

// The command with the paths of one folder, as Linux or, under Wine, Windows writes them.
std::string twincommand(const Twin &t, const fs::path &folder, const char *windows) {
  std::string command = t.command;
  for (std::size_t open; (open = command.find('{')) != command.npos;) {
    const std::size_t close = command.find('}', open);
    std::string path = (folder / command.substr(open + 1, close - open - 1)).string();
    if (windows != nullptr) path = "Z:" + std::regex_replace(path, std::regex("/"), "\\");
    command.replace(open, close + 1 - open, path);
  }
  return command;
}

// A folder of the three programs by their names, for PATH: scripts that run the Windows build's
// under Wine, which takes the arguments as UTF-8 only in a UTF-8 locale, as Windows gives a program
// the names typed in any script.
fs::path wineprograms(const Folder &at, const std::string &windows) {
  for (const std::string name : {"bmp4c", "bmp4c-grey", "bmp4c-preview"}) {
    std::ofstream(at.path / name) << "#!/bin/sh\nWINEDEBUG=-all LC_ALL=C.UTF-8 exec wine '" +
                                         windows + "/" + name + ".exe' \"$@\"\n";
    fs::permissions(at.path / name, fs::perms::owner_all, fs::perm_options::add);
  }
  return at.path;
}

class Windows : public testing::TestWithParam<std::size_t> {};

TEST_P(Windows, SameAsLinux) {
  const Twin &t = twins[GetParam()];
  const char *const windows = std::getenv("BMP4C_WINDOWS");
  if (windows == nullptr) GTEST_SKIP() << "BMP4C_WINDOWS names no folder of Windows programs";
  const Folder bin;
  const std::string programs[2] = {BMP4C_PROGRAMS, wineprograms(bin, windows).string()};
  // Wine's first start makes its prefix and says so: not in a row's lines.
  ASSERT_EQ(bin.run("./bmp4c --version"), 0);
  auto withoutcr = [](const std::string &text) {
    return std::regex_replace(text, std::regex("\r"), "");
  };
  std::string left[2];
  for (const char *system : {static_cast<const char *>(nullptr), windows}) {
    const Folder folder;
    std::ofstream(folder.path / "in.bmp", std::ios::binary) << fivebythree;
    fs::create_directory(folder.path / "My Pictures");
    fs::copy_file(folder.path / "in.bmp", folder.path / "My Pictures/in.bmp");
    std::ofstream(folder.path / "in.h") << itsitems;
    for (const auto &picture : fs::directory_iterator(BMP4C_SOURCE "/tests/pictures"))
      fs::copy_file(picture, folder.path / picture.path().filename());
    fs::create_directory(folder.path / "Grüße");
    fs::copy_file(folder.path / "palette.png", folder.path / "Grüße/rosé.png");
    fs::copy_file(folder.path / "cutout.png", folder.path / "日本.png");
    fs::copy_file(folder.path / "in.bmp", folder.path / "Ελληνικά.bmp");
    std::string &what = left[system != nullptr];
    const std::string path = "PATH='" + programs[system != nullptr] + "':\"$PATH\"; ";
    what =
        "status " + std::to_string(folder.run(path + twincommand(t, folder.path, system))) + "\n";
    what += withoutcr(slurp(folder.path / "said"));
    std::istringstream files(t.files);
    for (std::string file; files >> file;) {
      const std::string bytes = slurp(folder.path / file);
      what += file + ": " + (file.ends_with(".h") ? withoutcr(bytes) : bytes) + "\n";
    }
  }
  EXPECT_EQ(left[1], left[0]) << t.proves;
  EXPECT_TRUE(left[0].starts_with("status " + std::to_string(t.status) + "\n")) << left[0];
}

INSTANTIATE_TEST_SUITE_P(Bmp4c, Windows, testing::Range<std::size_t>(0, std::size(twins)),
                         [](const auto &row) {
                           return rowname(twins[row.param].proves, row.param);
                         });

} // namespace
