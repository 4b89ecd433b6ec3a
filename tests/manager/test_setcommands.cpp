#include "manager/setcommands.h"

#include "../fileops/fault_helpers.h"
#include "common/environment.h"
#include "common/scripted_interaction.h"
#include "common/temp_tree.h"
#include "fileops/ziparchive.h"

#include <gtest/gtest.h>

#include <zip.h>

#include <filesystem>
#include <functional>
#include <set>

namespace {

// The list as the set commands see it: rows, a selection and a status bar.
class TFakeHost : public TSetCommandHost {
 public:
  std::vector<TSetRow> rows;
  std::vector<int> selected;
  std::vector<std::string> searchFolders;
  std::vector<std::string> statusTexts;
  std::vector<std::pair<std::string, std::string>> renamedMarks;
  std::string located;
  int busy = 0;

  int ActionRowCount() const override { return static_cast<int>(selected.size()); }
  void EnsureSelection() override {}
  int SelectedCount() const override { return static_cast<int>(selected.size()); }
  int SelectedRow(int n) const override { return selected.at(static_cast<size_t>(n)); }
  TSetRow Row(int row) const override { return rows.at(static_cast<size_t>(row)); }
  void SetMovedOrDeleted(int row) override {
    rows.at(static_cast<size_t>(row)).MovedOrDeleted = true;
  }
  void SetFilename(int row, const std::string& name) override {
    rows.at(static_cast<size_t>(row)).Filename = name;
  }
  void RenameMarkEntry(const std::string& from, const std::string& to) override {
    renamedMarks.emplace_back(from, to);
  }
  void ResortAndLocate(const std::string& filename) override { located = filename; }
  void BeginBusy() override { ++busy; }
  void EndBusy() override { --busy; }
  void ShowStatusText(const std::string& text) override { statusTexts.push_back(text); }
  void UpdateSummary() override {}
  void Repaint() override {}
  void Yield() override {}
  bool AbortRequested() const override { return false; }
  std::vector<std::string> SearchFolders() const override { return searchFolders; }
  QObject* OperationOwner() const override { return nullptr; }
};

struct TListed {
  TListed(const char* n, const char* a = "", bool disk = true) : name(n), action(a), onDisk(disk) {}
  std::string name;
  std::string action;  // "", "IRD", "IRL"
  bool onDisk;
};

class SetCommandsTest : public ::testing::Test {
 protected:
  SetCommandsTest() : trash_(home_) {
    config_.append_child("config");
    host_.searchFolders = {tree_.Path()};
  }

  // Writes the SFV and its files below in/ and adds its row.
  int AddSet(const std::string& folder, const std::string& sfv, const std::vector<TListed>& files,
             const std::string& status = "Verified OK") {
    const std::string path = tree_.MakeDir(folder);
    std::string text, details = "<fileDetails>";
    for (const TListed& file : files) {
      if (file.onDisk) tree_.Write(folder + file.name, "data of " + file.name);
      text += file.name + " 00000000\n";
      details += "<file name=\"" + path + file.name + "\" CRC=\"00000000\"";
      if (!file.action.empty()) details += " action=\"" + file.action + "\"";
      details += "/>";
    }
    tree_.Write(folder + sfv, text);
    host_.rows.push_back({path, sfv, status, details + "</fileDetails>", "N", false});
    host_.selected.push_back(static_cast<int>(host_.rows.size()) - 1);
    return static_cast<int>(host_.rows.size()) - 1;
  }

  std::set<std::string> ZipEntries(const std::string& archive) {
    std::set<std::string> names;
    zip_t* zip = zip_open(archive.c_str(), ZIP_RDONLY, nullptr);
    if (!zip) return names;
    for (zip_int64_t i = 0; i < zip_get_num_entries(zip, 0); ++i)
      names.insert(zip_get_name(zip, static_cast<zip_uint64_t>(i), 0));
    zip_discard(zip);
    return names;
  }

  TTempTree tree_;
  TTempTree home_;
  TPrivateTrash trash_;
  pugi::xml_document config_;
  TFakeHost host_;
  TSetCommands commands_{host_, config_};
  TScriptedScope script_;
};

TEST_F(SetCommandsTest, RowFiltersAskOnlyForSetsThatAreNotGood) {
  AddSet("in/a/", "a.sfv", {{"a.rar"}}, "Waiting");
  AddSet("in/b/", "b.sfv", {{"b.rar"}}, "Failed");
  AddSet("in/c/", "c.sfv", {{"c.rar"}}, "Verified OK");
  const std::string out = tree_.MakeDir("out/");
  script_->Folder(out).Press("&No");
  commands_.MoveOrCopy(TSetMode::Copy, TSetForm::Folder);
  EXPECT_EQ(script_->Texts(),
            std::vector<std::string>{"b.sfv is not Verified OK. Continue anyway?"});
  EXPECT_FALSE(tree_.Exists("out/a.sfv"));
  EXPECT_FALSE(tree_.Exists("out/b.sfv"));
  EXPECT_TRUE(tree_.Exists("out/c.rar"));
  EXPECT_EQ(std::string(config_.child("config").attribute("currentDir").value()), out);
  EXPECT_EQ(host_.busy, 0);
}

TEST_F(SetCommandsTest, MoveAndCopyCases) {
  struct TCase {
    const char* what;
    TSetMode mode;
    TSetForm form;
    std::string status;
    std::vector<TListed> files;
    std::vector<std::string> atTarget;  // below out/
    std::vector<std::string> leftInSource;
    std::vector<std::string> clashes;  // made at out/ first
    std::vector<std::string> messages;
    bool moved;
  };
  // Each case works in its own folder cN/.
  const auto in = [&](int n) { return tree_.Path() + "c" + std::to_string(n) + "/in/"; };
  const auto out = [&](int n) { return tree_.Path() + "c" + std::to_string(n) + "/out/"; };
  const std::vector<TCase> cases = {
      {"sub folder entry",
       TSetMode::Move,
       TSetForm::Folder,
       "Verified OK",
       {{"sub/a.rar"}},
       {"x.sfv", "sub/a.rar"},
       {},
       {},
       {},
       true},
      {"sub folders form",
       TSetMode::Move,
       TSetForm::SubFolders,
       "Verified OK",
       {{"a.rar"}},
       {"Movie.Part/Movie.Part.sfv", "Movie.Part/a.rar"},
       {},
       {},
       {},
       true},
      {"first clash named",
       TSetMode::Move,
       TSetForm::Folder,
       "Verified OK",
       {{"a.rar"}, {"b.rar"}},
       {},
       {"x.sfv", "a.rar", "b.rar"},
       {"a.rar", "b.rar"},
       {"Moving " + in(2) + "x.sfv\r would cause " + out(2) +
        "a.rar and possibly more to be overwritten.\rAction aborted."},
       false},
      {"folder clash",
       TSetMode::Copy,
       TSetForm::Folder,
       "Verified OK",
       {{"a.rar"}},
       {},
       {"x.sfv", "a.rar"},
       {"x.sfv/"},
       {"Can't copy " + in(3) + "x.sfv\r to  " + out(3) +
        " because there is a folder with the same name.\rAction aborted."},
       false},
      {"IRL stays, folder kept",
       TSetMode::Move,
       TSetForm::Folder,
       "Verified OK",
       {{"a.rar"}, {"a.nfo", "IRL"}},
       {"x.sfv", "a.rar"},
       {"a.nfo"},
       {},
       {},
       true},
      {"accepted rewritten first",
       TSetMode::Move,
       TSetForm::Folder,
       "Accepted",
       {{"a.rar"}, {"a.nfo", "IRL"}, {"a.txt", "IRD"}, {"gone.rar", "", false}},
       {"x.sfv", "a.rar"},
       {"a.nfo"},
       {},
       {},
       true},
      {"copy keeps everything",
       TSetMode::Copy,
       TSetForm::Folder,
       "Verified OK",
       {{"a.rar"}},
       {"x.sfv", "a.rar"},
       {"x.sfv", "a.rar"},
       {},
       {},
       false},
  };
  for (int n = 0; n < static_cast<int>(cases.size()); ++n) {
    const TCase& c = cases[static_cast<size_t>(n)];
    SCOPED_TRACE(c.what);
    const std::string prefix = "c" + std::to_string(n) + "/";
    const std::string file = c.form == TSetForm::SubFolders ? "Movie.Part.sfv" : "x.sfv";
    const int row = AddSet(prefix + "in/", file, c.files, c.status);
    const std::string outFolder = tree_.MakeDir(prefix + "out/");
    for (const std::string& clash : c.clashes) {
      if (clash.back() == '/')
        tree_.MakeDir(prefix + "out/" + clash);
      else
        tree_.Write(prefix + "out/" + clash, "old");
    }
    TScriptedInteraction script;
    for (size_t i = 0; i < c.messages.size(); ++i) script.Answer(0);
    TScopedUserInteraction scope(script);
    const bool ran = c.form == TSetForm::SubFolders
                         ? commands_.MoveOrCopySet(c.mode, row, outFolder + "Movie.Part")
                         : commands_.MoveOrCopySet(c.mode, row, outFolder);
    EXPECT_EQ(ran, c.clashes.empty());
    for (const std::string& name : c.atTarget)
      EXPECT_TRUE(tree_.Exists(prefix + "out/" + name)) << name;
    for (const std::string& name : c.leftInSource)
      EXPECT_TRUE(tree_.Exists(prefix + "in/" + name)) << name;
    EXPECT_EQ(script.Texts(), c.messages);
    EXPECT_EQ(host_.rows[static_cast<size_t>(row)].MovedOrDeleted, c.moved);
    if (c.status == "Accepted") {
      const std::string sfv = tree_.Read(prefix + "out/x.sfv");
      EXPECT_EQ(sfv.find("a.nfo"), std::string::npos);
      EXPECT_EQ(sfv.find("a.txt"), std::string::npos);
      EXPECT_TRUE(trash_.Holds("a.txt"));
    }
  }
}

TEST_F(SetCommandsTest, EmptiedFoldersClimbUntilNoAndNeverPastTheSearchFolder) {
  const int row = AddSet("in/deep/set/", "x.sfv", {{"a.rar"}});
  const std::string out = tree_.MakeDir("out/");
  // Asked for set/, then deep/; No keeps deep/ and ends the climb.
  script_->Folder(out).Press("&Yes").Press("&No");
  commands_.MoveOrCopy(TSetMode::Move, TSetForm::Folder);
  EXPECT_TRUE(host_.rows[row].MovedOrDeleted);
  EXPECT_EQ(script_->Texts(),
            (std::vector<std::string>{"The directory " + tree_.Path() + "in/deep/set/ is empty.\r" +
                                          "Would you like to remove it?",
                                      "The directory " + tree_.Path() + "in/deep/ is empty.\r" +
                                          "Would you like to remove it?"}));
  EXPECT_FALSE(tree_.Exists("in/deep/set"));
  EXPECT_TRUE(tree_.Exists("in/deep"));

  // Without asking, the climb stops at the search folder in/, which stays.
  config_.child("config").append_attribute("removeDirsWithoutAsking") = "Y";
  host_.searchFolders = {tree_.Path() + "in/"};
  commands_.RemoveEmptyFolder(tree_.Path() + "in/deep/", false);
  EXPECT_FALSE(tree_.Exists("in/deep"));
  EXPECT_TRUE(tree_.Exists("in"));
}

TEST_F(SetCommandsTest, CopyNeverOffersFolderRemoval) {
  AddSet("in/", "x.sfv", {{"a.rar"}});
  script_->Folder(tree_.MakeDir("out/"));
  commands_.MoveOrCopy(TSetMode::Copy, TSetForm::Folder);
  EXPECT_TRUE(script_->Texts().empty());
  EXPECT_FALSE(host_.rows[0].MovedOrDeleted);
}

TEST_F(SetCommandsTest, ZipMoveCopyAndOverwrite) {
  const int row = AddSet(
      "in/", "x.sfv",
      {{"a.rar"}, {"sub/b.rar"}, {"c.nfo", "IRL"}, {"d.txt", "IRD"}, {"missing.rar", "", false}});
  const std::string out = tree_.MakeDir("z/");
  const std::string archive = out + "x.zip";

  // Copy: packed and tested, nothing deleted.
  EXPECT_TRUE(commands_.ZipSet(TSetMode::Copy, row, out));
  EXPECT_EQ(ZipEntries(archive), (std::set<std::string>{"a.rar", "sub/b.rar", "x.sfv"}));
  EXPECT_TRUE(TestZipArchive(archive, nullptr).Ok);
  EXPECT_TRUE(tree_.Exists("in/a.rar"));
  EXPECT_TRUE(tree_.Exists("in/d.txt"));
  EXPECT_FALSE(host_.rows[row].MovedOrDeleted);
  EXPECT_EQ(host_.statusTexts.front(), "Creating " + archive);

  // Overwrite No: no activity at all.
  script_->Press("&No");
  tree_.Write("in/a.rar", "changed");
  EXPECT_TRUE(commands_.ZipSet(TSetMode::Move, row, out));
  EXPECT_TRUE(tree_.Exists("in/a.rar"));
  EXPECT_FALSE(trash_.Holds("x.zip"));

  // Yes: the old archive goes to the trash, the sources are deleted for good.
  script_->Press("&Yes");
  EXPECT_TRUE(commands_.ZipSet(TSetMode::Move, row, out));
  EXPECT_EQ(script_->Texts(), std::vector<std::string>(2, archive + " exists. Overwrite?"));
  EXPECT_TRUE(trash_.Holds("x.zip"));
  EXPECT_TRUE(TestZipArchive(archive, nullptr).Ok);
  for (const char* gone : {"in/a.rar", "in/sub/b.rar", "in/x.sfv", "in/d.txt"})
    EXPECT_FALSE(tree_.Exists(gone)) << gone;
  EXPECT_TRUE(trash_.Holds("d.txt"));
  EXPECT_FALSE(trash_.Holds("a.rar"));
  EXPECT_TRUE(tree_.Exists("in/c.nfo"));
  EXPECT_TRUE(host_.rows[row].MovedOrDeleted);
}

TEST_F(SetCommandsTest, ZipThatCannotBeCompletedDeletesNothing) {
  struct TCase {
    const char* what;
    std::function<void(const TTempTree&)> spoil;
    std::string listed;
  };
  const std::vector<TCase> cases = {
      {"a listed link",
       [](const TTempTree& t) { ::symlink("/etc/hostname", t.File("in/l.rar").c_str()); }, "l.rar"},
      {"a name that climbs out", [](const TTempTree& t) { t.Write("secret.txt", "mine"); },
       "../secret.txt"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.what);
    const int row = AddSet("in/", "x.sfv", {{"a.rar"}});
    c.spoil(tree_);
    host_.rows[static_cast<size_t>(row)].FileDetails =
        "<fileDetails><file name=\"" + tree_.Path() + "in/a.rar\" CRC=\"0\"/><file name=\"" +
        tree_.Path() + "in/" + c.listed + "\" CRC=\"0\"/></fileDetails>";
    const std::string out = tree_.MakeDir("z/");
    TScriptedInteraction script;
    script.Answer(0);
    TScopedUserInteraction scope(script);
    commands_.ZipSet(TSetMode::Move, row, out);
    EXPECT_EQ(script.Texts(), std::vector<std::string>{"Failed creating " + out + "x.zip."});
    EXPECT_FALSE(tree_.Exists("z/x.zip"));
    EXPECT_TRUE(tree_.Exists("in/a.rar"));
    EXPECT_TRUE(tree_.Exists("in/x.sfv"));
    EXPECT_FALSE(host_.rows[static_cast<size_t>(row)].MovedOrDeleted);
  }
  EXPECT_EQ(tree_.Read("secret.txt"), "mine");
}

TEST_F(SetCommandsTest, NothingOutsideTheSetsFolderIsMovedOrDeleted) {
  tree_.Write("secret.txt", "mine");
  const int row = AddSet("in/", "x.sfv", {{"a.rar"}});
  host_.rows[static_cast<size_t>(row)].FileDetails =
      "<fileDetails><file name=\"" + tree_.Path() + "in/a.rar\" CRC=\"0\"/><file name=\"" +
      tree_.Path() + "in/../secret.txt\" CRC=\"0\"/></fileDetails>";
  tree_.Write("in/x.sfv", "a.rar 00000000\n../secret.txt 00000000\n");
  const std::string out = tree_.MakeDir("out/sub/");
  // The refusal of the move, then the delete question and its refusal.
  script_->Answer(0).Press("&Yes").Answer(0);
  commands_.MoveOrCopySet(TSetMode::Move, row, out);
  EXPECT_TRUE(tree_.Exists("secret.txt"));
  EXPECT_FALSE(tree_.Exists("out/secret.txt"));
  EXPECT_FALSE(host_.rows[static_cast<size_t>(row)].MovedOrDeleted);

  tree_.Write("in/y.sfv", "../secret.txt 00000000\n");
  host_.rows.push_back({tree_.Path() + "in/", "y.sfv", "Verified OK", "", "N", false});
  host_.selected = {1};
  commands_.DeleteSets();
  EXPECT_EQ(tree_.Read("secret.txt"), "mine");
  EXPECT_FALSE(host_.rows[1].MovedOrDeleted);
}

TEST_F(SetCommandsTest, FullDiskLeavesEverySourceInPlace) {
  const std::string small = tree_.MakeDir("small/");
  TPrivateTmpfs fs(small, "64k");
  MOUNT_OR_SKIP(fs);
  const std::string big(256 * 1024, 'x');
  for (const TSetForm form : {TSetForm::Zips, TSetForm::Folder}) {
    host_.rows.clear();
    host_.selected.clear();
    const int row = AddSet(form == TSetForm::Zips ? "z/" : "m/", "x.sfv", {{"a.rar"}, {"b.dat"}});
    const std::string folder = host_.rows[static_cast<size_t>(row)].Path;
    tree_.Write(folder.substr(tree_.Path().size()) + "b.dat", big + std::string(1, 'y'));
    // random-looking, so it is stored and cannot shrink below the limit
    std::string noise(200 * 1024, '\0');
    unsigned state = 1;
    for (char& ch : noise) ch = static_cast<char>((state = state * 1103515245u + 12345u) >> 16);
    tree_.Write(folder.substr(tree_.Path().size()) + "a.rar", noise);
    TScriptedInteraction script;
    script.Answer(0);
    TScopedUserInteraction scope(script);
    if (form == TSetForm::Zips)
      commands_.ZipSet(TSetMode::Move, row, small);
    else
      commands_.MoveOrCopySet(TSetMode::Move, row, small);
    EXPECT_TRUE(std::filesystem::exists(folder + "a.rar"));
    EXPECT_EQ(tree_.Read(folder.substr(tree_.Path().size()) + "b.dat").size(), big.size() + 1);
    EXPECT_TRUE(std::filesystem::exists(folder + "x.sfv"));
    EXPECT_FALSE(host_.rows[static_cast<size_t>(row)].MovedOrDeleted);
    EXPECT_FALSE(script.Texts().empty());
    EXPECT_TRUE(std::filesystem::is_empty(small));  // no half archive, no temporary copy
  }
}

TEST_F(SetCommandsTest, DeleteQuestionsUnderscoresCommentsAndSubFolders) {
  // Three sets: the question counts them.
  for (const char* name : {"a", "b", "c"})
    AddSet(std::string("three/") + name + "/", std::string(name) + ".sfv", {{"f.rar"}});
  script_->Press("&No");
  commands_.DeleteSets();
  EXPECT_EQ(script_->Texts().back(), "Delete the 3 selected sfv's and all of their related files?");

  host_.rows.clear();
  host_.selected.clear();
  const int row = AddSet("one/", "x.sfv", {});
  tree_.Write("one/my_file.rar", "1");
  tree_.Write("one/sub/b.rar", "2");
  tree_.Write("one/; not me.rar", "3");
  tree_.Write("one/x.sfv",
              "; a comment\n  ; not me.rar 00000000\n\nmy file.rar 00000001\nsub/b.rar 00000002\n");
  config_.child("config").append_attribute("removeDirsWithoutAsking") = "N";
  // one/ is not empty when it comes first; sub/ is; the climb stops at one/, which
  // still holds the file named on the comment line.
  script_->Press("&Yes").Press("&Yes");
  commands_.DeleteSets();
  const std::vector<std::string> all = script_->Texts();
  const std::vector<std::string> texts(all.end() - 2, all.end());
  EXPECT_EQ(texts,
            (std::vector<std::string>{"Delete x.sfv and all of it's related files?",
                                      "The directory " + tree_.Path() +
                                          "one/sub/ is empty.\rWould you like to remove it?"}));
  EXPECT_FALSE(tree_.Exists("one/my_file.rar"));
  EXPECT_TRUE(trash_.Holds("my_file.rar"));
  EXPECT_TRUE(tree_.Exists("one/; not me.rar"));
  EXPECT_FALSE(tree_.Exists("one/sub"));
  EXPECT_TRUE(host_.rows[static_cast<size_t>(row)].MovedOrDeleted);
}

TEST_F(SetCommandsTest, DeleteStopsSilentlyAtALineWithoutABlank) {
  AddSet("a/", "a.sfv", {{"f.rar"}});
  AddSet("b/", "b.sfv", {{"g.rar"}});
  AddSet("c/", "c.sfv", {{"h.rar"}});
  tree_.Write("b/b.sfv", "g.rar 00000000\nnoblank\n");
  config_.child("config").append_attribute("removeDirsWithoutAsking") = "Y";
  script_->Press("&Yes");
  commands_.DeleteSets();
  EXPECT_EQ(script_->Texts().size(), 1u);
  EXPECT_FALSE(tree_.Exists("a/f.rar"));
  EXPECT_TRUE(tree_.Exists("b/g.rar"));
  EXPECT_TRUE(tree_.Exists("c/h.rar"));
  EXPECT_TRUE(tree_.Exists("a") == false);
  EXPECT_FALSE(host_.rows[1].MovedOrDeleted);
}

TEST_F(SetCommandsTest, RenameCases) {
  struct TCase {
    const char* what;
    std::vector<std::string> inputs;  // "" cancels the box, "!" confirms a warning
    std::vector<std::string> warnings;
    std::string filename;  // the row's name afterwards
  };
  const std::vector<TCase> cases = {
      {"unchanged", {"x"}, {}, "x.sfv"},
      {"new name", {"y"}, {}, "y.sfv"},
      {"extension replaced", {"y.part2"}, {}, "y.sfv"},
      {"invalid, then cancel", {"a?b", "!", ""}, {"Invalid Filename a?b."}, "x.sfv"},
      {"clash, then another", {"taken", "!", "z"}, {"File taken already exists."}, "z.sfv"},
      {"empty entry", {" "}, {}, " .sfv"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.what);
    host_.rows.clear();
    host_.selected.clear();
    host_.renamedMarks.clear();
    const std::string folder = std::string("r/") + c.what + "/";
    const int row = AddSet(folder, "x.sfv", {});
    tree_.Write(folder + "taken.sfv", "");
    TScriptedInteraction script;
    for (const std::string& input : c.inputs) {
      if (input.empty())
        script.CancelInput();
      else if (input == "!")
        script.Answer(0);
      else
        script.Input(input);
    }
    TScopedUserInteraction scope(script);
    commands_.RenameSets();
    std::vector<std::string> warnings;
    for (const auto& asked : script.Asked())
      if (asked.kind == TScriptedInteraction::TAsked::Message)
        warnings.push_back(asked.params.Text);
    EXPECT_EQ(warnings, c.warnings);
    EXPECT_EQ(host_.rows[static_cast<size_t>(row)].Filename, c.filename);
    EXPECT_TRUE(tree_.Exists(folder + c.filename));
    EXPECT_EQ(host_.located, c.filename);
    EXPECT_EQ(host_.renamedMarks.size(), c.filename == "x.sfv" ? 0u : 1u);
  }
  EXPECT_EQ(TSetCommands::RenamedSFVName(""), ".sfv");
}

TEST_F(SetCommandsTest, DefaultActionsAndTheirQuestion) {
  const std::vector<std::pair<const char*, std::optional<TSetForm>>> values = {
      {"0", TSetForm::Folder},
      {"1", TSetForm::Zips},
      {"2", TSetForm::SubFolders},
      {"3", std::nullopt},
      {"x", std::nullopt}};
  EXPECT_EQ(TSetCommands::DefaultForm(config_, TSetMode::Move), std::nullopt);
  for (const auto& [value, form] : values) {
    config_.child("config").remove_attribute("defaultCopyAction");
    config_.child("config").append_attribute("defaultCopyAction") = value;
    EXPECT_EQ(TSetCommands::DefaultForm(config_, TSetMode::Copy), form) << value;
  }
  script_->Press("&Yes").Press("&No");
  EXPECT_TRUE(TSetCommands::AskForDefault(TSetMode::Move));
  EXPECT_FALSE(TSetCommands::AskForDefault(TSetMode::Copy));
  EXPECT_EQ(script_->Texts(),
            (std::vector<std::string>{
                "There is no default \"Move\" action. Would you like to choose one now?",
                "There is no default \"Copy\" action. Would you like to choose one now?"}));
}

}  // namespace
