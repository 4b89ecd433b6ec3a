#include "config/udfxml.h"
#include "sfv/extensionrules.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

pugi::xml_document Rules(const std::string& extensions) {
  pugi::xml_document config;
  LoadXMLText(config, "<config><skip><skipfile file='/a.sfv' status='OK'/></skip><extensions>" +
                          extensions + "</extensions></config>");
  return config;
}

}  // namespace

TEST(FindExtensionAction, MatchesTheExtensionIgnoringCase) {
  const pugi::xml_document config =
      Rules("<extension value='.nfo' action='IRD'/><extension value='.d\\file' action='IS'/>");
  EXPECT_EQ(FindExtensionAction(config, "/sets/Info.NFO"), "IRD");
  EXPECT_EQ(FindExtensionAction(config, "/sets/x.nfo"), "IRD");
  EXPECT_EQ(FindExtensionAction(config, "/sets/x.nfo.bak"), std::nullopt);
  EXPECT_EQ(FindExtensionAction(config, "/sets/nfo"), std::nullopt);
  EXPECT_EQ(FindExtensionAction(config, "/sets/sub.nfo/file"), std::nullopt);
  EXPECT_EQ(FindExtensionAction(config, "/sets/sub.d\\file"), std::nullopt)
      << "a backslash separates folders in names from Windows SFVs";
}

TEST(FindExtensionAction, FirstRuleInDocumentOrderWins) {
  const pugi::xml_document config =
      Rules("<extension value='.jpg' action='IS'/><extension value='.jpg' action='IRL'/>");
  EXPECT_EQ(FindExtensionAction(config, "/sets/cover.jpg"), "IS");
}

TEST(FindExtensionAction, QuotesInAnExtensionMatchLikeAnyOtherCharacter) {
  const pugi::xml_document config = Rules(
      "<extension value='.jpg' action='IS'/><extension value=\".it's\" action='IRL'/>"
      "<extension value='.a\"b' action='IS'/>"
      "<extension value=\".x' or '1'='1\" action='IRD'/>");
  EXPECT_EQ(FindExtensionAction(config, "/sets/file.it's"), "IRL");
  EXPECT_EQ(FindExtensionAction(config, "/sets/file.A\"B"), "IS");
  // Text that would rewrite a spliced query matches only a rule of its own.
  EXPECT_EQ(FindExtensionAction(config, "/sets/a.x' or '1'='1"), "IRD");
  EXPECT_EQ(FindExtensionAction(config, "/sets/a.y' or '1'='1"), std::nullopt);
}

TEST(FindExtensionAction, RuleWithoutActionGivesAnEmptyAction) {
  const pugi::xml_document config = Rules("<extension value='.txt'/>");
  EXPECT_EQ(FindExtensionAction(config, "/sets/a.txt"), "");
}

TEST(ExtensionRules, AnswerAsTheLookupDoesAndFollowTheProgramsEdits) {
  pugi::xml_document config = Rules(
      "<extension value='.jpg' action='IS'/><extension value='.jpg' action='IRL'/>"
      "<extension value='.nfo'/><extension value=\".it's\" action='IRD'/>");
  // A rule outside the rules element still counts, as in the lookup.
  config.document_element().child("skip").append_child("extension").append_attribute("value") =
      ".txt";
  TExtensionRules rules(config);
  for (const char* name : {"/s/a.JPG", "/s/b.nfo", "/s/c.it's", "/s/d.txt", "/s/e.rar", "/s/nfo"})
    EXPECT_EQ(rules.Find(name), FindExtensionAction(config, name)) << name;
  // The Extensions window changes the rules element; the next refresh sees it.
  config.document_element().child("extensions").first_child().attribute("action") = "N";
  config.document_element()
      .child("extensions")
      .append_child("extension")
      .append_attribute("value") = ".sfv";
  rules.Refresh(config);
  EXPECT_EQ(rules.Find("/s/a.jpg"), "N");
  EXPECT_EQ(rules.Find("/s/b.sfv"), "");
  // A first rule in a document that had no rules element.
  pugi::xml_document bare = Rules("");
  bare.document_element().remove_child("extensions");
  TExtensionRules bareRules(bare);
  EXPECT_EQ(bareRules.Find("/s/a.nfo"), std::nullopt);
  pugi::xml_node rule =
      bare.document_element().append_child("extensions").append_child("extension");
  rule.append_attribute("value") = ".nfo";
  rule.append_attribute("action") = "IRL";
  bareRules.Refresh(bare);
  EXPECT_EQ(bareRules.Find("/s/a.nfo"), "IRL");
}
