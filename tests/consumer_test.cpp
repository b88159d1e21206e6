// A CMake project that embeds two bitmaps with bmp4c_add_image, in a folder
// whose name holds a blank: it builds against an installed bmp4c or its
// source tree, converts again only what changed, and a broken bitmap stops
// its build with the converter's message.
#include "support.hpp"

#include <gtest/gtest.h>

namespace {

class Consumer : public testing::TestWithParam<bool> {}; // installed, or a source tree

TEST_P(Consumer, EmbedsTwoImagesAndRebuildsWhatChanged) {
  const Folder folder;
  const fs::path project = folder.path / "my project", build = project / "build";
  fs::copy(BMP4C_SOURCE "/tests/consumer", project);
  fs::create_directory(project / "art");
  spill(project / "logo.bmp", bitmap(4, 2, bytes("4567 0000 0123 0000")));
  spill(project / "art/icon.bmp", bitmap(3, 2, bytes("456f 0000 012f 0000")));
  const std::string cmake = "'" BMP4C_CMAKE "' ", prefix = quoted(folder.path / "pre fix");
  auto shell = [&](const std::string &command) { return run(command, folder.path / "said"); };
  if (GetParam()) {
    ASSERT_EQ(shell(cmake + "--install '" BMP4C_BUILD "' --prefix " + prefix).status, 0);
  }
  const Outcome configured =
      shell(cmake + "-G '" BMP4C_GENERATOR "' -S " + quoted(project) + " -B " + quoted(build) +
            (GetParam() ? " -DCMAKE_PREFIX_PATH=" + prefix : " -DBMP4C_SOURCE='" BMP4C_SOURCE "'"));
  ASSERT_EQ(configured.status, 0) << configured.said;
  auto make = [&] { return shell(cmake + "--build " + quoted(build)); };
  auto show = [&] { return shell(quoted(build / "show")).said; };

  Outcome made = make();
  ASSERT_EQ(made.status, 0) << made.said;
  EXPECT_EQ(show(), "4 2: fe dc ba 98\n3 2: fe db a9\n");
  made = make();
  EXPECT_EQ(made.said.find("bmp4c: converting"), std::string::npos)
      << "nothing changed: " << made.said;
  spill(project / "logo.bmp", bitmap(4, 2, bytes("0123 0000 4567 0000")));
  made = make();
  ASSERT_EQ(made.status, 0) << made.said;
  EXPECT_EQ(show(), "4 2: ba 98 fe dc\n3 2: fe db a9\n");
  spill(project / "logo.bmp", bitmap(4, 2, "").substr(0, 30));
  made = make();
  EXPECT_NE(made.status, 0);
  EXPECT_NE(made.said.find("Incomplete header"), std::string::npos) << made.said;
  EXPECT_FALSE(fs::exists(build / "bmp4c/logo.h"));
}

INSTANTIATE_TEST_SUITE_P(Bmp4c, Consumer, testing::Values(true, false));

} // namespace
