#include "manager/weblinks.h"

#include "support/productinfo.h"

#include <QUrl>

namespace {

constexpr const char* kApplicationQuery = "?appid=checkwell";

const char* LinkPath(TWebLink link) {
  switch (link) {
    case TWebLink::HomePage:
      return "/shareware/applications.asp";
    case TWebLink::Download:
      return "/shareware/download.asp";
    case TWebLink::History:
      return "/shareware/history.asp";
    case TWebLink::Donate:
      return "/shareware/donate.asp";
    case TWebLink::Feedback:
      return "/shareware/feedback.asp";
  }
  return "/";
}

}  // namespace

std::string WebLinkURL(TWebLink link) {
  return ProductPageURL(std::string(LinkPath(link)) + kApplicationQuery);
}

std::string VersionCheckURL(const std::string& programVersion) {
  // A version is digits and dots; anything else a build stamps into it must not
  // end the query early.
  const QByteArray version =
      QUrl::toPercentEncoding(QString::fromStdString(programVersion), QByteArrayLiteral("."));
  return ProductPageURL(std::string("/shareware/latestversionxml.asp") + kApplicationQuery +
                        "&myversion=" + version.toStdString());
}

std::string ProgramVersionText(const TVersionData& data) {
  return std::to_string(data.Major) + "." + std::to_string(data.Minor) + "." +
         std::to_string(data.Release);
}
