#include "sfv/sfvformat.h"

#include "config/atomicfile.h"
#include "config/udfxml.h"
#include "fileops/shfileoperation.h"
#include "sfv/extensionrules.h"
#include "support/paths.h"
#include "support/productinfo.h"
#include "support/strings.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <map>
#include <new>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace {

constexpr std::string_view kLineBreak = "\r\n";
constexpr const char* kProductName = "Checkwell";

// CR LF, a lone LF and a lone CR each end a line, so LF CR ends two. A last line
// without a terminator counts; a terminator at the very end adds no empty line.
// The terminators are found with memchr, which reads many bytes a step: lists of
// tens of thousands of entries are parsed before any file can be hashed.
template <typename TOnLine>
void ForEachLine(std::string_view text, const TOnLine& onLine) {
  const char* const begin = text.data();
  const char* const end = begin + text.size();
  const auto next = [end](const char* from, char c) {
    const void* found = std::memchr(from, c, static_cast<std::size_t>(end - from));
    return found != nullptr ? static_cast<const char*>(found) : end;
  };
  const char* start = begin;
  const char* cr = next(start, '\r');
  const char* lf = next(start, '\n');
  while (start < end) {
    const char* stop = std::min(cr, lf);
    if (stop == end) {
      onLine(std::string_view(start, static_cast<std::size_t>(end - start)));
      break;
    }
    onLine(std::string_view(start, static_cast<std::size_t>(stop - start)));
    start = stop + (*stop == '\r' && stop + 1 < end && stop[1] == '\n' ? 2 : 1);
    if (cr < start) cr = next(start, '\r');
    if (lf < start) lf = next(start, '\n');
  }
}

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool IsComment(std::string_view line) {
  const auto first = std::find_if(line.begin(), line.end(),
                                  [](char c) { return static_cast<unsigned char>(c) > ' '; });
  return first != line.end() && *first == ';';
}

// Rules are looked up once per extension and parse: an SFV of a thousand ".rar"
// volumes should not search the configuration a thousand times.
class TActionCache {
 public:
  explicit TActionCache(const pugi::xml_document& config) : config_(&config) {}
  explicit TActionCache(const TExtensionRules& rules) : rules_(&rules) {}

  const std::optional<std::string>& ActionFor(const std::string& name) {
    const std::string extension = FileExtension(name);
    auto found = actions_.find(extension);
    if (found == actions_.end()) {
      found =
          actions_
              .emplace(extension, rules_ ? rules_->Find(name) : FindExtensionAction(*config_, name))
              .first;
    }
    return found->second;
  }

 private:
  const pugi::xml_document* config_ = nullptr;
  const TExtensionRules* rules_ = nullptr;
  std::map<std::string, std::optional<std::string>> actions_;
};

bool IsDroppedOnWrite(const pugi::xml_node& file) {
  const std::string_view action = file.attribute("action").value();
  return action == kActionIgnoreRemoveDelete || action == kActionIgnoreRemoveLeave;
}

// ";" + size + " " + "hh:nn:ss yyyy-mm-dd" + " " + name when the file was seen by
// a verification, else ";" + name.
std::string CommentLine(const pugi::xml_node& file, const std::string& writtenName) {
  const pugi::xml_attribute size = file.attribute("size");
  const pugi::xml_attribute timestamp = file.attribute("timestamp");
  if (size && timestamp) {
    const std::string_view sizeText = size.value();
    std::int64_t bytes = 0;
    const auto [end, error] =
        std::from_chars(sizeText.data(), sizeText.data() + sizeText.size(), bytes);
    if (error == std::errc() && end == sizeText.data() + sizeText.size() && bytes >= 0) {
      try {
        const TDateTime when = XMLToDateTime(timestamp.value());
        return ";" + std::to_string(bytes) + " " + FormatDateTime("hh:nn:ss yyyy-mm-dd", when) +
               " " + writtenName;
      } catch (const std::invalid_argument&) {
        // An unreadable time only costs the comment its details.
      }
    }
  }
  return ";" + writtenName;
}

// The document reports a failed allocation only by what it returns.
void Require(bool allocated) {
  if (!allocated) throw std::bad_alloc();
}

}  // namespace

bool HoldsNULBeforeEnd(std::string_view text) {
  const std::size_t nul = text.find('\0');
  return nul != std::string_view::npos &&
         text.find_first_not_of(std::string_view("\0 \t\r\n", 5), nul) != std::string_view::npos;
}

namespace {

bool ReadSFVWith(const std::string& text, const std::string& folder, TActionCache&& actions,
                 bool& mine, const TSFVEntryEvent& onEntry) {
  if (HoldsNULBeforeEnd(text)) return false;
  std::string_view content = std::string_view(text).substr(0, text.find('\0'));
  // Editors on Windows start UTF-8 text with a byte-order mark; it is no part of
  // the first line.
  if (content.starts_with(kByteOrderMark)) content.remove_prefix(kByteOrderMark.size());
  const std::string_view firstLine = content.substr(0, content.find_first_of("\r\n"));
  mine = !content.empty() && firstLine.find(kProductName) != std::string_view::npos;
  try {
    std::string name = folder;
    ForEachLine(content, [&](std::string_view line) {
      if (IsComment(line)) return;
      // The last space of the line as read separates name and CRC, so names may
      // hold spaces and a trailing space leaves the CRC empty. Lines without a
      // space are split at their last tab, as other SFV tools read them.
      std::size_t space = line.rfind(' ');
      if (space == std::string_view::npos) space = line.rfind('\t');
      if (space == std::string_view::npos) return;
      // SFVs made on Windows separate folders with a backslash.
      name.resize(folder.size());
      name.append(line.substr(0, space));
      std::replace(name.begin() + static_cast<std::ptrdiff_t>(folder.size()), name.end(), '\\',
                   '/');
      const std::optional<std::string>& action = actions.ActionFor(name);
      const bool hasAction = action && !action->empty() && *action != kActionNormal;
      onEntry(name, line.substr(space + 1, 8), hasAction ? *action : std::string());
    });
    return true;
  } catch (const std::bad_alloc&) {
    // Running out of memory says nothing about the list; the caller must hear of it.
    throw;
  } catch (const std::exception&) {
    return false;
  }
}

template <typename TRules>
bool ParseSFVInto(const std::string& text, const std::string& folder, const TRules& rules,
                  pugi::xml_document& fileDetails, bool& mine) {
  fileDetails.reset();
  mine = false;
  try {
    pugi::xml_node root = fileDetails.append_child("fileDetails");
    Require(static_cast<bool>(root));
    const bool parsed =
        ReadSFV(text, folder, rules, mine,
                [&root](const std::string& name, std::string_view crc, const std::string& action) {
                  pugi::xml_node file = root.append_child("file");
                  Require(file.append_attribute("name").set_value(name.c_str()));
                  Require(file.append_attribute("CRC").set_value(crc.data(), crc.size()));
                  if (!action.empty()) {
                    Require(file.append_attribute("action").set_value(action.c_str()));
                  }
                });
    if (!parsed) fileDetails.reset();
    return parsed;
  } catch (const std::bad_alloc&) {
    fileDetails.reset();
    throw;
  }
}

template <typename TRules>
bool ParseSFVText(const std::string& text, const std::string& folder, const TRules& rules,
                  std::string& fileDetailsXML, bool& mine) {
  fileDetailsXML.clear();
  pugi::xml_document document;
  if (!ParseSFVInto(text, folder, rules, document, mine)) return false;
  try {
    fileDetailsXML = XMLText(document);
    return true;
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const std::exception&) {
    fileDetailsXML.clear();
    return false;
  }
}

}  // namespace

bool ReadSFV(const std::string& text, const std::string& folder, const pugi::xml_document& config,
             bool& mine, const TSFVEntryEvent& onEntry) {
  return ReadSFVWith(text, folder, TActionCache(config), mine, onEntry);
}

bool ReadSFV(const std::string& text, const std::string& folder, const TExtensionRules& rules,
             bool& mine, const TSFVEntryEvent& onEntry) {
  return ReadSFVWith(text, folder, TActionCache(rules), mine, onEntry);
}

bool ParseSFV(const std::string& text, const std::string& folder, const pugi::xml_document& config,
              pugi::xml_document& fileDetails, bool& mine) {
  return ParseSFVInto(text, folder, config, fileDetails, mine);
}

bool ParseSFV(const std::string& text, const std::string& folder, const TExtensionRules& rules,
              pugi::xml_document& fileDetails, bool& mine) {
  return ParseSFVInto(text, folder, rules, fileDetails, mine);
}

bool ParseSFV(const std::string& text, const std::string& folder, const pugi::xml_document& config,
              std::string& fileDetailsXML, bool& mine) {
  return ParseSFVText(text, folder, config, fileDetailsXML, mine);
}

bool ParseSFV(const std::string& text, const std::string& folder, const TExtensionRules& rules,
              std::string& fileDetailsXML, bool& mine) {
  return ParseSFVText(text, folder, rules, fileDetailsXML, mine);
}

std::string FormatSFV(const pugi::xml_node& root, const std::string& folder,
                      TDateTime generatedAt) {
  std::string text = ";Generated by Checkwell V1.2 (Qel) on " +
                     FormatDateTime("yyyy-mm-dd @ hh:nn:ss", generatedAt);
  text += kLineBreak;
  text += ";" + ProductPageURL("/shareware/applications.asp?appid=checkwell");
  text += kLineBreak;
  text += ";Why not try Checkwell... it's now freeware :)";
  text += kLineBreak;
  text += ";";

  std::string entries;
  for (const pugi::xml_node& file : root.children("file")) {
    if (IsDroppedOnWrite(file)) continue;
    const std::string name = file.attribute("name").value();
    // Files in the SFV's folder and below are listed relative to it; others keep
    // their full path.
    const std::string writtenName = StartsText(name, folder) ? name.substr(folder.size()) : name;
    text += kLineBreak;
    text += CommentLine(file, writtenName);
    entries += kLineBreak;
    entries += writtenName + " " + file.attribute("CRC").value();
  }
  return text + entries;
}

TFileIdentity WriteSFV(const std::string& fileDetailsXML, const std::string& sfvPath,
                       const TReportEvent& onReport) {
  return WriteSFV(
      fileDetailsXML, sfvPath, [] { return Now(); }, onReport);
}

TFileIdentity WriteSFV(const std::string& fileDetailsXML, const std::string& sfvPath,
                       const TSFVClock& clock, const TReportEvent& onReport) {
  pugi::xml_document document;
  LoadXMLText(document, fileDetailsXML);
  const pugi::xml_node root = document.document_element();
  SortFileDetails(root, "name");
  const std::string folder = ExtractFilePath(sfvPath);

  // The new list first: when it cannot be written, no file has gone yet.
  const TFileIdentity written = WriteFileAtomically(sfvPath, FormatSFV(root, folder, clock()));

  // Like every bulk change this goes through the file layer. Confined to the SFV's
  // folder, it refuses the "../" names and links of a stranger's SFV that lead
  // out of it, and reports them with whatever the trash refused, once.
  TSHFileOperation trash;
  trash.SetOperation(foDelete);
  trash.SetFlags({fofAllowUndo, fofNoConfirmation});
  trash.SetConfineTo(folder);
  trash.SetOnReport(onReport);
  for (const pugi::xml_node& file : root.children("file")) {
    if (std::string_view(file.attribute("action").value()) != kActionIgnoreRemoveDelete) continue;
    const std::string name = file.attribute("name").value();
    if (FileExists(name)) trash.FilesFrom().push_back(name);
  }
  // Whatever is refused stays where it is; the SFV no longer lists it all the same.
  if (!trash.FilesFrom().empty()) trash.Execute();
  return written;
}

void SortFileDetails(pugi::xml_node root, const char* attribute) {
  std::vector<pugi::xml_node> files;
  for (const pugi::xml_node& file : root.children("file")) files.push_back(file);
  if (files.size() < 2) return;

  // Byte by byte as unsigned characters (std::char_traits<char> compares so), and
  // stable, so equal names keep their order.
  std::vector<pugi::xml_node> sorted = files;
  std::stable_sort(sorted.begin(), sorted.end(),
                   [attribute](const pugi::xml_node& a, const pugi::xml_node& b) {
                     return std::string_view(a.attribute(attribute).value()) <
                            std::string_view(b.attribute(attribute).value());
                   });

  // The sorted elements take the places the `file` elements had, so any other
  // children keep theirs.
  std::vector<pugi::xml_node> places;
  places.reserve(files.size());
  for (const pugi::xml_node& file : files) {
    places.push_back(root.insert_child_before(pugi::node_pcdata, file));
  }
  for (std::size_t i = 0; i < sorted.size(); ++i) root.insert_move_after(sorted[i], places[i]);
  for (const pugi::xml_node& place : places) root.remove_child(place);
}
