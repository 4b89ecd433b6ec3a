#pragma once

#include <pugixml.hpp>

// The options kept as attributes of the configuration root, each with what an
// absent attribute means, so that every reader applies the same default.

struct TFlagOption {
  const char* Name;
  bool Default;
};

// A choice stored as its index; an absent attribute means the "no default" choice.
struct TChoiceOption {
  const char* Name;
  int NoDefault;
};

inline constexpr TFlagOption kRemoveDirsWithoutAsking{"removeDirsWithoutAsking", false};
inline constexpr TFlagOption kIndicateMine{"indicateMine", false};
inline constexpr TFlagOption kMarkGoodAsSkipAuto{"markGoodAsSkipAuto", true};
inline constexpr TFlagOption kCheckForNewVersion{"checkForNewVersion", true};

// 0 to Folder, 1 to Zips, 2 to Sub Folders.
inline constexpr TChoiceOption kDefaultMoveAction{"defaultMoveAction", 3};
inline constexpr TChoiceOption kDefaultCopyAction{"defaultCopyAction", 3};
// The run modes 0 to 4.
inline constexpr TChoiceOption kDefaultStartAction{"defaultStartAction", 5};
// 0 Search Only, 1 Search and Check All.
inline constexpr TChoiceOption kDefaultLoadAction{"defaultLoadAction", 2};
// 0 Skip, 1 Hide, 2 Normal.
inline constexpr TChoiceOption kDefaultMarkSelectedAction{"defaultMarkSelectedAction", 3};
inline constexpr TChoiceOption kDefaultMarkGoodSFVsAction{"defaultMarkGoodSFVsAction", 3};

// Texts of the root: the last destination folder and the list filter.
inline constexpr const char* kCurrentDirAttribute = "currentDir";
inline constexpr const char* kFilterAttribute = "filter";

// Read from and written to the root at the moment they are needed; throw
// std::runtime_error when the document has no root.
bool ReadOption(const pugi::xml_document& config, const TFlagOption& option);
int ReadOption(const pugi::xml_document& config, const TChoiceOption& option);
void WriteOption(pugi::xml_document& config, const TFlagOption& option, bool value);
void WriteOption(pugi::xml_document& config, const TChoiceOption& option, int value);

// Moving and deleting sets have always counted every present value other than
// exactly "N" as set, where every other reader wants exactly "Y"; a hand-edited
// "y" thus removes folders without asking although the Options dialog shows the
// box unchecked.
bool ReadRemoveDirsWithoutAskingForFileOps(const pugi::xml_document& config);
