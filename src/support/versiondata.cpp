#include "support/versiondata.h"

#include "checkwell_version.h"

#include <charconv>
#include <string_view>

TVersionData CurrentVersionData() {
  TVersionData data;
  data.FileVersion = CHECKWELL_FILE_VERSION;
  data.CompanyName = CHECKWELL_COMPANY_NAME;
  data.FileDescription = CHECKWELL_DESCRIPTION;
  data.InternalName = CHECKWELL_PRODUCT_NAME;
  data.LegalCopyright = CHECKWELL_COPYRIGHT;
  data.OriginalFileName = "checkwell";
  data.ProductName = CHECKWELL_PRODUCT_NAME;
  data.ProductVersion = CHECKWELL_PRODUCT_VERSION;
#ifdef NDEBUG
  data.DebugBuild = false;
#else
  data.DebugBuild = true;
#endif
  ParseFileVersion(data);
  return data;
}

void ParseFileVersion(TVersionData& data) {
  int* const parts[] = {&data.Major, &data.Minor, &data.Release, &data.Build};
  std::string_view rest = data.FileVersion;
  for (int* part : parts) {
    *part = 0;
    const std::size_t dot = rest.find('.');
    const std::string_view piece = rest.substr(0, dot);
    int value = 0;
    const auto [end, error] = std::from_chars(piece.data(), piece.data() + piece.size(), value);
    if (error == std::errc() && end == piece.data() + piece.size()) *part = value;
    rest = dot == std::string_view::npos ? std::string_view() : rest.substr(dot + 1);
  }
}

std::string VersionWindowTitle(const TVersionData& data) {
  if (data.FileVersion.empty() && data.ProductName.empty()) return {};
  std::string title = data.ProductName + " " + std::to_string(data.Major) + "." +
                      std::to_string(data.Minor) + "." + std::to_string(data.Release);
  if (data.DebugBuild) title += " (Debug Version)";
  if (data.PreRelease) title += " (Pre-Release Version)";
  return title;
}
