#include "checkwindow/checkwindowplacement.h"

#include "common/temp_tree.h"
#include "config/config.h"

#include <gtest/gtest.h>

#include <limits>
#include <stdexcept>

namespace {

pugi::xml_node Element(pugi::xml_document& document, const char* xml) {
  EXPECT_TRUE(document.load_string(xml));
  return document.document_element();
}

TEST(CheckWindowBounds, AbsentAttributesTakeTheirDefaultsOneByOne) {
  pugi::xml_document document;
  EXPECT_EQ(ReadCheckWindowBounds(Element(document, "<frmCheckSFV/>"), 1080),
            (TWindowBounds{40, 40, 1000, 400}));

  pugi::xml_document onlyWidth;
  EXPECT_EQ(ReadCheckWindowBounds(Element(onlyWidth, R"(<frmCheckSFV width="612"/>)"), 900),
            (TWindowBounds{40, 40, 820, 612}));

  // A window on a screen left of or above the primary one has negative bounds.
  pugi::xml_document negative;
  EXPECT_EQ(ReadCheckWindowBounds(
                Element(negative, R"(<frmCheckSFV top="-20" left="-1300" height="500"/>)"), 900),
            (TWindowBounds{-20, -1300, 500, 400}));
}

TEST(CheckWindowBounds, WrittenBoundsReadBackUnchanged) {
  pugi::xml_document document;
  pugi::xml_node element = document.append_child(kCheckWindowElement);
  const TWindowBounds bounds{12, -7, 640, 333};
  WriteWindowBounds(element, bounds);
  EXPECT_EQ(ReadCheckWindowBounds(element, 100), bounds);
  EXPECT_STREQ(element.attribute("left").value(), "-7");
}

TEST(CheckWindowBounds, SavedBoundsAreBroughtOntoTheAvailableArea) {
  constexpr int kMax = std::numeric_limits<int>::max();
  constexpr int kMin = std::numeric_limits<int>::min();
  // A 1280 by 984 work area right of a 1920 pixel screen, below a 40 pixel panel.
  const TWindowBounds area{40, 1920, 984, 1280};
  struct TCase {
    const char* what;
    TWindowBounds saved;
    TWindowBounds placed;
  };
  const TCase cases[] = {
      {"inside: unchanged", {100, 2000, 600, 400}, {100, 2000, 600, 400}},
      {"filling the area exactly", {40, 1920, 984, 1280}, {40, 1920, 984, 1280}},
      {"huge everything", {kMax, kMax, kMax, kMax}, {40, 1920, 984, 1280}},
      {"hugely negative", {kMin, kMin, kMin, kMin}, {40, 1920, 100, 100}},
      {"huge size at a sane place", {100, 2000, kMax, kMax}, {40, 1920, 984, 1280}},
      {"zero size", {100, 2000, 0, 0}, {100, 2000, 100, 100}},
      {"negative size", {100, 2000, -50, -300}, {100, 2000, 100, 100}},
      {"off the right and bottom edges", {900, 3000, 300, 400}, {724, 2800, 300, 400}},
      {"partly off the left and top edges", {0, 1800, 300, 400}, {40, 1920, 300, 400}},
      {"on a screen that is gone", {-900, -1300, 500, 400}, {40, 1920, 500, 400}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(FitWindowBounds(c.saved, area), c.placed);
  }
  // An area smaller than the minimum still holds the whole window.
  EXPECT_EQ(FitWindowBounds({5, 5, 10, 10}, {0, 0, 60, 80}), (TWindowBounds{0, 0, 60, 80}));
}

TEST(CheckWindowConfig, MissingFileGivesConfigRootWithTheWindowElement) {
  TTempTree tree;
  pugi::xml_document config;
  const pugi::xml_node element = LoadCheckWindowConfig(config, tree.File("checkwell.xml"));
  EXPECT_STREQ(config.document_element().name(), "config");
  EXPECT_EQ(element, config.document_element().child(kCheckWindowElement));
  EXPECT_FALSE(element.first_attribute());
  // Loading alone never creates the file.
  EXPECT_FALSE(tree.Exists("checkwell.xml"));
}

TEST(CheckWindowConfig, ExistingElementIsFoundNotDuplicated) {
  TTempTree tree;
  const std::string path =
      tree.Write("checkwell.xml",
                 R"(<config indicateMine="Y"><frmCheckSFV top="5" width="700"/><skip/></config>)");
  pugi::xml_document config;
  const pugi::xml_node element = LoadCheckWindowConfig(config, path);
  EXPECT_EQ(ReadCheckWindowBounds(element, 1000), (TWindowBounds{5, 40, 920, 700}));
  int count = 0;
  for (const pugi::xml_node& child : config.document_element().children(kCheckWindowElement)) {
    (void)child;
    ++count;
  }
  EXPECT_EQ(count, 1);
}

TEST(CheckWindowConfig, DamagedFileThrowsAndStaysAsItWas) {
  TTempTree tree;
  const std::string damaged = "<config><frmCheckSFV top=\"5\"></config";
  const std::string path = tree.Write("checkwell.xml", damaged);
  pugi::xml_document config;
  EXPECT_THROW(LoadCheckWindowConfig(config, path), std::runtime_error);
  EXPECT_EQ(tree.Read("checkwell.xml"), damaged);
}

TEST(CheckWindowConfig, LoadErrorNamesTheFileWithItsExtension) {
  EXPECT_EQ(ConfigLoadErrorText("/opt/checkwell/checkwell.xml"),
            "An error occured loading the config information.\rEither repair "
            "\"/opt/checkwell/checkwell.xml\" or delete it and reconfigure.");
  // The report always names an .xml file, the only kind of configuration there is.
  EXPECT_EQ(ConfigLoadErrorText("/home/u/.config/checkwell/checkwell"),
            "An error occured loading the config information.\rEither repair "
            "\"/home/u/.config/checkwell/checkwell.xml\" or delete it and reconfigure.");
}

}  // namespace
