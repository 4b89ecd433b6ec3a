#include "config/config.h"
#include "config/options.h"
#include "config/udfxml.h"

#include "common/environment.h"
#include "common/temp_tree.h"

#include <QDir>

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>
#include <stdexcept>
#include <string>

namespace {

pugi::xml_document Document(const std::string& text) {
  pugi::xml_document document;
  LoadXMLText(document, text);
  return document;
}

// Files may grow to `bytes` only; writing past it fails with EFBIG instead of
// killing the process, like a disk that is full.
class TFileSizeLimit {
 public:
  explicit TFileSizeLimit(rlim_t bytes) {
    oldHandler_ = ::signal(SIGXFSZ, SIG_IGN);
    ::getrlimit(RLIMIT_FSIZE, &old_);
    rlimit limit = old_;
    limit.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~TFileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &old_);
    ::signal(SIGXFSZ, oldHandler_);
  }

 private:
  rlimit old_{};
  sighandler_t oldHandler_;
};

mode_t ModeOf(const std::string& path) {
  struct stat st {};
  ::stat(path.c_str(), &st);
  return st.st_mode & 07777;
}

}  // namespace

TEST(ConfigOptions, AbsentAttributesTakeTheirDefaults) {
  const pugi::xml_document config = Document("<config/>");
  EXPECT_FALSE(ReadOption(config, kRemoveDirsWithoutAsking));
  EXPECT_FALSE(ReadOption(config, kIndicateMine));
  EXPECT_TRUE(ReadOption(config, kMarkGoodAsSkipAuto));
  EXPECT_TRUE(ReadOption(config, kCheckForNewVersion));
  EXPECT_EQ(ReadOption(config, kDefaultMoveAction), 3);
  EXPECT_EQ(ReadOption(config, kDefaultCopyAction), 3);
  EXPECT_EQ(ReadOption(config, kDefaultStartAction), 5);
  EXPECT_EQ(ReadOption(config, kDefaultLoadAction), 2);
  EXPECT_EQ(ReadOption(config, kDefaultMarkSelectedAction), 3);
  EXPECT_EQ(ReadOption(config, kDefaultMarkGoodSFVsAction), 3);
  EXPECT_EQ(ReadText(config.document_element(), kCurrentDirAttribute), "");
}

TEST(ConfigOptions, OnlyAnUpperCaseYSetsAFlag) {
  const pugi::xml_document config =
      Document("<config markGoodAsSkipAuto='y' checkForNewVersion='' indicateMine='Y'/>");
  EXPECT_FALSE(ReadOption(config, kMarkGoodAsSkipAuto));
  EXPECT_FALSE(ReadOption(config, kCheckForNewVersion)) << "present but empty is not absent";
  EXPECT_TRUE(ReadOption(config, kIndicateMine));
}

TEST(ConfigOptions, FileOperationsCountAnythingButNAsRemoveDirs) {
  EXPECT_FALSE(ReadRemoveDirsWithoutAskingForFileOps(Document("<config/>")));
  EXPECT_TRUE(
      ReadRemoveDirsWithoutAskingForFileOps(Document("<config removeDirsWithoutAsking='y'/>")));
  EXPECT_FALSE(
      ReadRemoveDirsWithoutAskingForFileOps(Document("<config removeDirsWithoutAsking='N'/>")));
}

TEST(ConfigOptions, WrittenValuesReadBack) {
  pugi::xml_document config = Document("<config/>");
  WriteOption(config, kMarkGoodAsSkipAuto, false);
  WriteOption(config, kDefaultStartAction, -1);
  EXPECT_FALSE(ReadOption(config, kMarkGoodAsSkipAuto));
  EXPECT_STREQ(config.document_element().attribute("markGoodAsSkipAuto").value(), "N");
  EXPECT_EQ(ReadOption(config, kDefaultStartAction), -1);
  // Writing again replaces the value instead of adding a second attribute.
  WriteOption(config, kDefaultStartAction, 4);
  EXPECT_EQ(XMLText(config), "<config markGoodAsSkipAuto=\"N\" defaultStartAction=\"4\"/>");
}

TEST(ConfigAttributes, AbsentIsNotEmpty) {
  const pugi::xml_document config = Document("<config filter=''/>");
  const pugi::xml_node root = config.document_element();
  EXPECT_EQ(ReadAttribute(root, "filter"), std::optional<std::string>(""));
  EXPECT_EQ(ReadAttribute(root, "currentDir"), std::nullopt);
  EXPECT_EQ(ReadText(root, "filter", "default"), "");
  EXPECT_EQ(ReadText(root, "currentDir", "default"), "default");
}

TEST(ConfigAttributes, NumbersThatAreNoNumbersReadAsTheDefault) {
  const pugi::xml_document config = Document(
      "<config><mainForm top='-12' left='abc' height='' width=' 700 ' x='99999999999'/></config>");
  const pugi::xml_node form = config.document_element().child("mainForm");
  EXPECT_EQ(ReadInt(form, "top", 30), -12);
  EXPECT_EQ(ReadInt(form, "left", 20), 20);
  EXPECT_EQ(ReadInt(form, "height", 500), 500);
  EXPECT_EQ(ReadInt(form, "width", 690), 700);
  EXPECT_EQ(ReadInt(form, "x", 1), 1);
  EXPECT_EQ(ReadInt(form, "missing", 7), 7);
}

TEST(ConfigDocument, ChildrenAreFoundOrAppendedOnce) {
  pugi::xml_document config = Document("<settings><hide/></settings>");
  const pugi::xml_node hide = FindOrCreateChild(config, "hide");
  EXPECT_EQ(hide, config.document_element().first_child()) << "a loaded root keeps its name";
  const pugi::xml_node skip = FindOrCreateChild(config, "skip");
  EXPECT_EQ(FindOrCreateChild(config, "skip"), skip);
  EXPECT_EQ(XMLText(config), "<settings><hide/><skip/></settings>");

  pugi::xml_document empty;
  EXPECT_THROW(ConfigRoot(empty), std::runtime_error);
}

TEST(ConfigLocation, BesideTheProgramWhenItsFolderIsWritable) {
  const TTempTree tree;
  const std::string program = tree.Write("bin/checkwell", "");
  EXPECT_EQ(ConfigFilePath(program), tree.File("bin/checkwell.xml"));
  EXPECT_EQ(LaunchPathsFilePath(program), tree.File("bin/LaunchPaths.txt"));
}

TEST(ConfigLocation, InTheUserConfigFolderWhenTheProgramFolderIsNotWritable) {
  // Root may write anywhere, so a folder that does not exist stands in for one
  // that may not be written.
  const TTempTree tree;
  const std::string program = tree.File("missing/checkwell");
  {
    const TScopedEnvironment xdg("XDG_CONFIG_HOME", tree.File("xdg"));
    EXPECT_EQ(ConfigFilePath(program), tree.File("xdg/checkwell/checkwell.xml"));
    EXPECT_EQ(LaunchPathsFilePath(program), tree.File("xdg/checkwell/LaunchPaths.txt"));
  }
  const TScopedEnvironment xdg("XDG_CONFIG_HOME", std::nullopt);
  const TScopedEnvironment home("HOME", tree.File("home"));
  EXPECT_EQ(ConfigFilePath(program), tree.File("home/.config/checkwell/checkwell.xml"));
}

TEST(ConfigFile, FirstStartGivesAnEmptyConfigAndSavingCreatesTheFolder) {
  const TTempTree tree;
  const std::string path = tree.File("xdg/checkwell/checkwell.xml");
  pugi::xml_document config;
  LoadConfig(config, path);
  EXPECT_EQ(XMLText(config), "<config/>");
  EXPECT_FALSE(tree.Exists("xdg/checkwell/checkwell.xml")) << "a load never writes";

  WriteText(FindOrCreateChild(config, "mainForm"), "width", "690");
  WriteText(config.document_element(), "currentDir",
            "/m\xe9"
            "dia/\x01x/");
  SaveConfig(config, path);

  pugi::xml_document again;
  LoadConfig(again, path);
  EXPECT_EQ(XMLText(again), XMLText(config));
}

TEST(ConfigFile, DamagedFileFailsToLoadAndStaysAsItWas) {
  const TTempTree tree;
  const std::string damaged = "<config>\n  <paths>\n    <path value='/a/' act";
  const std::string path = tree.Write("checkwell.xml", damaged);
  pugi::xml_document config;
  try {
    LoadConfig(config, path);
    FAIL() << "a truncated file must not load";
  } catch (const std::runtime_error& error) {
    EXPECT_EQ(std::string(error.what()).substr(0, 8), "Line 3\r\n");
  }
  EXPECT_EQ(tree.Read("checkwell.xml"), damaged);
}

TEST(ConfigFile, SaveKeepsTheOldFilesPermissions) {
  const TTempTree tree;
  const std::string path = tree.Write("checkwell.xml", "<config/>");
  ::chmod(path.c_str(), 0640);
  pugi::xml_document config = Document("<config indicateMine='Y'/>");
  SaveConfig(config, path);
  EXPECT_EQ(ModeOf(path), 0640u);
  EXPECT_NE(tree.Read("checkwell.xml").find("indicateMine=\"Y\""), std::string::npos);
}

TEST(ConfigFile, FailedSaveLeavesTheOldFileIntact) {
  const TTempTree tree;
  const std::string old = "<config indicateMine='N'/>";
  const std::string path = tree.Write("checkwell.xml", old);
  pugi::xml_document config = Document("<config/>");
  for (int i = 0; i < 200; ++i) {
    WriteText(FindOrCreateChild(config, "paths").append_child("path"), "value",
              "/a/long/enough/folder/name/" + std::to_string(i) + "/");
  }
  {
    const TFileSizeLimit fullDisk(512);
    EXPECT_THROW(SaveConfig(config, path), std::runtime_error);
  }
  EXPECT_EQ(tree.Read("checkwell.xml"), old);
  EXPECT_EQ(QDir(QString::fromStdString(tree.Path())).entryList(QDir::Files | QDir::Hidden).size(),
            1)
      << "no temporary file is left behind";

  // A folder that is really a file cannot be written into at all.
  tree.Write("plain", "x");
  try {
    SaveConfig(config, tree.File("plain/checkwell.xml"));
    FAIL() << "saving below a file must fail";
  } catch (const std::runtime_error& error) {
    EXPECT_NE(std::string(error.what()).find("plain"), std::string::npos) << error.what();
  }
}

TEST(ConfigFile, SaveThroughALinkInItsFolderKeepsTheLinkAndUpdatesItsTarget) {
  const TTempTree tree;
  tree.Write("conf/real.xml", "<config/>");
  const std::string path = tree.File("conf/checkwell.xml");
  ASSERT_EQ(::symlink("real.xml", path.c_str()), 0);
  SaveConfig(Document("<config indicateMine='Y'/>"), path);
  struct stat st {};
  ASSERT_EQ(::lstat(path.c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_NE(tree.Read("conf/real.xml").find("indicateMine=\"Y\""), std::string::npos);
}

TEST(ConfigFile, AFileMarkedReadOnlyIsNotReplaced) {
  const TTempTree tree;
  const std::string path = tree.Write("checkwell.xml", "<config/>");
  ::chmod(path.c_str(), 0444);  // binds root too
  try {
    SaveConfig(Document("<config indicateMine='Y'/>"), path);
    FAIL() << "a read-only file must stay";
  } catch (const std::runtime_error& error) {
    EXPECT_NE(std::string(error.what()).find(path), std::string::npos) << error.what();
  }
  EXPECT_EQ(tree.Read("checkwell.xml"), "<config/>");
  EXPECT_EQ(ModeOf(path), 0444u);
}

TEST(ConfigFile, AWritableFileInAFolderThatIsNotIsWrittenInPlace) {
  if (::geteuid() == 0) GTEST_SKIP() << "root may write into any folder";
  const TTempTree tree;
  const std::string path = tree.Write("locked/checkwell.xml", "<config/>");
  ASSERT_EQ(::chmod(tree.File("locked").c_str(), 0555), 0);
  SaveConfig(Document("<config indicateMine='Y'/>"), path);
  ::chmod(tree.File("locked").c_str(), 0755);
  EXPECT_NE(tree.Read("locked/checkwell.xml").find("indicateMine=\"Y\""), std::string::npos);
}
