#pragma once

#include "sfv/extensionrules.h"
#include "support/datetime.h"
#include "support/files.h"
#include "support/report.h"

#include <pugixml.hpp>

#include <functional>
#include <string>
#include <string_view>

// SFV text is bytes in and bytes out; names stay raw bytes. A backslash in a
// listed name is a folder separator and is stored and written as "/".

// Parses SFV text. folder ends with "/". Returns false (and leaves fileDetailsXML
// empty) on any failure, such as a NUL byte before the end of the text, but one:
// running out of memory throws std::bad_alloc, since it says nothing about the
// list. mine is true when the first line (after a byte-order mark) contains
// "Checkwell".
bool ParseSFV(const std::string& text, const std::string& folder, const pugi::xml_document& config,
              std::string& fileDetailsXML, bool& mine);
// The same into a document (emptied first), for callers that go on working on it:
// they save writing the text and reading it back.
bool ParseSFV(const std::string& text, const std::string& folder, const pugi::xml_document& config,
              pugi::xml_document& fileDetails, bool& mine);

// The same with the rules read beforehand, for callers that parse many SFVs.
bool ParseSFV(const std::string& text, const std::string& folder, const TExtensionRules& rules,
              std::string& fileDetailsXML, bool& mine);
bool ParseSFV(const std::string& text, const std::string& folder, const TExtensionRules& rules,
              pugi::xml_document& fileDetails, bool& mine);

// One entry as ParseSFV reads it: the full name, the CRC text as listed (at most 8
// characters) and the extension rule's action (empty when none applies).
using TSFVEntryEvent =
    std::function<void(const std::string& name, std::string_view crc, const std::string& action)>;
// ParseSFV without a document, for callers that keep only what they need of each
// entry: a list of millions of entries then costs little more than its text.
bool ReadSFV(const std::string& text, const std::string& folder, const pugi::xml_document& config,
             bool& mine, const TSFVEntryEvent& onEntry);
bool ReadSFV(const std::string& text, const std::string& folder, const TExtensionRules& rules,
             bool& mine, const TSFVEntryEvent& onEntry);

// True when a NUL byte is followed by anything but NULs, blanks and line ends.
// Such text fails to parse rather than lose the entries after the NUL; trailing
// NUL padding is harmless.
bool HoldsNULBeforeEnd(std::string_view text);

// The moment written into the header of a rewritten SFV.
using TSFVClock = std::function<TDateTime()>;

// Rewrites the SFV at sfvPath from a fileDetails text: sorted, with the program's
// header. Written atomically (see WriteFileAtomically); throws std::runtime_error
// on failure, and the old SFV is then intact. Returns the identity of the new SFV.
// Only once it is written do the files of "IRD" entries go to the trash, so a
// failed write costs no file. An "IRD" file that does not lie inside the SFV's
// folder tree is left where it is (and still dropped from the SFV), and so is one
// the trash refuses. Such files are listed in one warning to onReport: the trash
// goes through TSHFileOperation like every bulk change.
TFileIdentity WriteSFV(const std::string& fileDetailsXML, const std::string& sfvPath,
                       const TReportEvent& onReport);
TFileIdentity WriteSFV(const std::string& fileDetailsXML, const std::string& sfvPath,
                       const TSFVClock& clock, const TReportEvent& onReport);

// The text WriteSFV writes for the `fileDetails` root (already sorted), without
// touching any file: "IRD" and "IRL" entries are left out.
std::string FormatSFV(const pugi::xml_node& root, const std::string& folder, TDateTime generatedAt);

// Sorts the `file` children of root in place by attribute, bytewise, stable.
void SortFileDetails(pugi::xml_node root, const char* attribute);
