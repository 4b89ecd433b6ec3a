#include "support/productinfo.h"

#include "checkwell_version.h"

#include <cstdlib>

std::string ProductSiteURL() {
  const char* fromEnvironment = std::getenv("CHECKWELL_SITE_URL");
  std::string url =
      fromEnvironment != nullptr && *fromEnvironment != '\0' ? fromEnvironment : CHECKWELL_SITE_URL;
  while (!url.empty() && url.back() == '/') url.pop_back();
  return url;
}

std::string ProductPageURL(const std::string& pathAndQuery) {
  return ProductSiteURL() + pathAndQuery;
}
