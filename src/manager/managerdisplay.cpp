#include "manager/managerdisplay.h"

#include "manager/sfvlist.h"
#include "support/strings.h"

#include <pugixml.hpp>

#include <algorithm>

namespace {

constexpr std::string_view kPad = "   ";

bool StartsWithASCII(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && SameTextASCII(text.substr(0, prefix.size()), prefix);
}

std::string_view TrimBlanks(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace

bool IsRunningStatus(std::string_view status) {
  return StartsWithASCII(status, "Running");
}

bool IsGoodStatus(std::string_view status) {
  return status == kStatusVerifiedOK || status == kStatusAccepted;
}

std::vector<TGlyphPlace> RowGlyphs(std::string_view status, char mark, bool mine,
                                   bool indicateMine) {
  std::vector<TGlyphPlace> glyphs;
  int slot = 0;
  if (indicateMine) glyphs.push_back({slot++, mine ? mgMine : mgNotMine});
  if (mark == kMarkSkip) glyphs.push_back({slot, mgSkip});
  if (mark == kMarkHide) glyphs.push_back({slot, mgHide});
  ++slot;
  int index = -1;
  if (status == kStatusVerifiedOK)
    index = mgVerifiedOK;
  else if (status == kStatusFailed)
    index = mgFailed;
  else if (status == kStatusAccepted)
    index = mgAccepted;
  else if (IsRunningStatus(status))
    index = mgRunning;
  else if (status == kStatusWaiting || status == kStatusAborted)
    index = mgWaiting;
  if (index >= 0) glyphs.push_back({slot, index});
  return glyphs;
}

TRowLook RowLook(std::string_view status, bool movedOrDeleted, bool selected) {
  if (movedOrDeleted) return {TRowColour::Grey, true};
  if (IsGoodStatus(status)) return {selected ? TRowColour::BrightGreen : TRowColour::Green, false};
  if (status == kStatusFailed) return {TRowColour::Red, false};
  if (IsRunningStatus(status)) return {TRowColour::Normal, false};
  return {TRowColour::Grey, false};
}

TSummaryCounts CountSummary(const TSFVList& list) {
  TSummaryCounts counts;
  for (int row = 0; row < list.RowCount(); ++row) {
    if (list.MovedOrDeleted(row)) continue;
    ++counts.Files;
    const std::string status = list.Status(row);
    if (status == kStatusWaiting)
      ++counts.Waiting;
    else if (status == kStatusVerifiedOK)
      ++counts.VerifiedOK;
    else if (status == kStatusAccepted)
      ++counts.Accepted;
    else if (status == kStatusFailed)
      ++counts.Failed;
  }
  return counts;
}

std::string SummaryText(const TSummaryCounts& counts) {
  return std::to_string(counts.Files) + " file" + (counts.Files == 1 ? "" : "s") + ", " +
         std::to_string(counts.Waiting) + " Waiting, " + std::to_string(counts.VerifiedOK) +
         " Verified OK, " + std::to_string(counts.Accepted) + " Accepted, " +
         std::to_string(counts.Failed) + " Failed";
}

std::string FileDetailsTipText(const std::string& fileDetailsXML, const std::string& path) {
  if (fileDetailsXML.empty()) return {};
  pugi::xml_document details;
  if (!details.load_string(fileDetailsXML.c_str())) return {};
  std::vector<std::string> lines;
  for (const pugi::xml_node entry : details.document_element().children()) {
    if (entry.type() != pugi::node_element) continue;
    std::string_view name = entry.attribute("name").value();
    if (StartsWithASCII(name, path)) name.remove_prefix(path.size());
    lines.push_back(std::string(kPad) + std::string(name) + std::string(kPad));
  }
  std::stable_sort(lines.begin(), lines.end(), [](const std::string& a, const std::string& b) {
    return UpperCaseASCII(a) < UpperCaseASCII(b);
  });
  std::string joined;
  for (const std::string& line : lines) {
    if (!joined.empty()) joined += '\n';
    joined += line;
  }
  return std::string(kPad) + std::string(TrimBlanks(joined)) + std::string(kPad);
}
