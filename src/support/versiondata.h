#pragma once

#include <string>

// The version texts and numbers of the running program, as the build stamped
// them (checkwell_version.h), in the shape a file-version resource has.
struct TVersionData {
  int Major = 0;
  int Minor = 0;
  int Release = 0;
  int Build = 0;
  std::string FileVersion;
  std::string CompanyName;
  std::string FileDescription;
  std::string InternalName;
  std::string LegalCopyright;
  std::string OriginalFileName;
  std::string ProductName;
  std::string ProductVersion;
  bool DebugBuild = false;
  bool PreRelease = false;
  bool PrivateBuild = false;
  bool SpecialBuild = false;
};

// This build's data.
TVersionData CurrentVersionData();

// Fills the four numbers from a dotted "major.minor.release.build" text; missing
// or unreadable parts stay 0.
void ParseFileVersion(TVersionData& data);

// "ProductName major.minor.release", with " (Debug Version)" or
// " (Pre-Release Version)" after it; empty when there are no version texts, in
// which case a window keeps its own title.
std::string VersionWindowTitle(const TVersionData& data);
