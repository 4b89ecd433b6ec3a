#pragma once

#include "support/versiondata.h"

#include <string>

// The pages of the product web site that the manager's Help menu opens, and the
// address of the version service. Every address is the site (ProductSiteURL)
// followed by a fixed path and query.

enum class TWebLink { HomePage, Download, History, Donate, Feedback };

std::string WebLinkURL(TWebLink link);

// The version service, told which version asks.
std::string VersionCheckURL(const std::string& programVersion);

// "major.minor.release": the build number is no business of the web site.
std::string ProgramVersionText(const TVersionData& data = CurrentVersionData());
