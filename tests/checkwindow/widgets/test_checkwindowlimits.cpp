#include "checkwindow_fixture.h"

#include "common/scripted_interaction.h"
#include "sfv/sfvfiles.h"

#include <unistd.h>

// The window takes the same lists as the command-line verifier and says why it
// refuses one.
TEST(CheckWindowLimits, RefusedSFVIsNamedWithItsReasonAndShowsNoRows) {
  TTempTree tree;
  const std::string huge = tree.Write("huge.sfv", "");
  ASSERT_EQ(::truncate(huge.c_str(), kMaxSFVSize + (1 << 20)), 0);  // sparse: costs nothing
  const std::string binary = tree.Write("binary.sfv", std::string("a.bin\x01\x02 0\r\n"));
  const std::vector<std::pair<std::string, std::string>> cases = {
      {huge, " is too large for an SFV list (257 MiB; the limit is 256 MiB)."},
      {binary, " is not a text file, so it cannot be an SFV list."},
  };
  for (const auto& [sfv, reason] : cases) {
    TScriptedScope script;
    script->Answer(0);
    TfrmCheckSFV window;
    ASSERT_TRUE(window.InitStandAlone(tree.File("checkwell.xml")));
    window.SetLaunchFile(sfv);
    window.show();
    ASSERT_TRUE(ProcessUntil([&] { return !script->Asked().empty(); }));
    EXPECT_EQ(script->Asked()[0].params.Text, "The SFV file " + sfv + reason);
    EXPECT_EQ(window.RowCount(), 0);
  }
}
