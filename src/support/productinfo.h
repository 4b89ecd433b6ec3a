#pragma once

#include <string>

// The product web site (CHECKWELL_SITE_URL from the build, overridden at run time
// by the environment variable of the same name), without a trailing "/".
std::string ProductSiteURL();

// A page of the product site: ProductSiteURL() + path (which starts with "/").
std::string ProductPageURL(const std::string& pathAndQuery);
