#include "manager/versionreply.h"

#include "config/udfxml.h"

#include <pugixml.hpp>

#include <stdexcept>
#include <vector>

namespace {

constexpr char kCR = '\r';

std::string Lowered(const char* text) {
  std::string lowered = text;
  for (char& c : lowered)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return lowered;
}

std::vector<pugi::xml_node> ChildElements(const pugi::xml_node& node) {
  std::vector<pugi::xml_node> elements;
  for (const pugi::xml_node child : node.children())
    if (child.type() == pugi::node_element) elements.push_back(child);
  return elements;
}

std::string HistoryText(const pugi::xml_node& root) {
  std::string history;
  const std::vector<pugi::xml_node> versions = ChildElements(root);
  for (auto version = versions.rbegin(); version != versions.rend(); ++version) {
    history += std::string("Version ") + version->attribute("number").value() + " Release Date " +
               version->attribute("releaseDate").value() + kCR;
    for (const pugi::xml_node& change : ChildElements(*version))
      history += std::string("         * ") + change.first_child().value() + kCR;
    history += kCR;
  }
  return history;
}

}  // namespace

TVersionReply ReadVersionReply(const std::string& text) {
  pugi::xml_document document;
  LoadXMLText(document, text);
  const pugi::xml_node root = document.document_element();
  if (Lowered(root.name()) != "latestversion")
    throw std::runtime_error("Unknown response to request for version info");
  const pugi::xml_attribute reply = root.attribute("reply");
  if (!reply) throw std::runtime_error("Reply missing from request for version info");

  TVersionReply result;
  const std::string answer = Lowered(reply.value());
  if (answer == "alreadylatest") {
    result.AlreadyLatest = true;
    return result;
  }
  if (answer != "newversionavailable") throw std::runtime_error(reply.value());
  result.Version = root.attribute("version").value();
  result.ReleaseDate = root.attribute("releaseDate").value();
  result.History = HistoryText(root);
  return result;
}

std::string OutOfDateText(const std::string& programVersion, const TVersionReply& reply) {
  return "You are running version " + programVersion +
         " which is out of date. Current version is " + reply.Version + " released " +
         reply.ReleaseDate + "." + kCR + "Do you want to go to the downloads page now?";
}

std::string VersionCheckFailedText(const std::string& error) {
  return std::string("Checkwell was unable to check for the latest version.") + kCR +
         "This is the only online function that Checkwell performs." + kCR + kCR +
         "Error was :" + kCR + error + kCR + kCR +
         "Would you like to go to the Checkwell history page so you can check manually?";
}
