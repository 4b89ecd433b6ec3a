#pragma once

#include "sfv/crcsource.h"
#include "sfv/extensionrules.h"
#include "support/datetime.h"

#include <pugixml.hpp>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

enum TVerifyResult { vrVerifiedOK = 0, vrFailed = 1, vrAccepted = 2, vrAborted = 3 };

// "Verified OK", "Failed", "Accepted", "Aborted".
const char* VerifyResultText(TVerifyResult result);

// The status a verification gives a listed file's row. None is a row that has
// no status yet.
enum class TFileStatus : std::uint8_t {
  None,
  Waiting,    // not checksummed yet
  Ignored,    // an extension rule gives the entry an action
  NotFound,   // the directory search found no such file
  Running,    // being checksummed
  NoCRC,      // found, but its CRC could not be computed
  CRCFailed,  // the computed CRC differs from the listed one
  OK,         // the computed CRC equals the listed one
};

// The row text of a status ("Waiting", "Ignored", "File not found", "Running...",
// "Unable to generate CRC", "CRC Failed", "OK"); empty for None.
const char* FileStatusText(TFileStatus status);
// The status a row text stands for; None for any other text.
TFileStatus FileStatusFromText(std::string_view text);

// (SFV path, 1-based entry just done, number of entries).
using TVerifyProgressEvent =
    std::function<void(const std::string& sfvPath, int current, int total)>;
// Setting the flag to true stops the verification with vrAborted.
using TQueryAbortEvent = std::function<void(bool& abort)>;
// Lets the caller process its pending events; called at least every ~10 ms while
// a file is hashed, and at every point where the verification yields.
using TYieldEvent = std::function<void()>;

// What a verification shows, row by row: one row per entry of the fileDetails
// document, in document order. The check window implements it, and so does the
// command-line verifier.
class TVerifyView {
 public:
  virtual ~TVerifyView() = default;

  virtual void ShowView() = 0;
  virtual void AttachSFV(const std::string& sfvPath) = 0;
  // Returns the new row's index (0-based, in append order).
  virtual int AppendRow() = 0;
  virtual void SetFilename(int row, const std::string& fileName) = 0;
  // The folder part of the entry, ending with "/".
  virtual void SetPath(int row, const std::string& folder) = 0;
  virtual void SetStatus(int row, TFileStatus status) = 0;
  virtual void SetSize(int row, std::int64_t size) = 0;
  // Local time, seconds rounded down to even.
  virtual void SetTimestamp(int row, TDateTime timestamp) = 0;
  virtual TFileStatus GetStatus(int row) const = 0;
  // Makes the row current and scrolls it into view.
  virtual void MakeCurrent(int row) = 0;
  virtual void Repaint() = 0;
  // Called only when a verification ran to its end.
  virtual void ShowSummary() = 0;
  // The final fileDetails text of a complete verification (the view's working copy).
  virtual void SetFileDetailsXML(const std::string& text) = 0;
  // The same text handed over, when the verification was told the view takes it.
  virtual void TakeFileDetailsXML(std::string&& text) { SetFileDetailsXML(text); }
};

// Everything a verification may be given besides the document. All optional.
struct TVerifyOptions {
  TVerifyView* View = nullptr;
  TVerifyProgressEvent OnProgress;
  TQueryAbortEvent OnQueryAbort;
  TYieldEvent Yield;
  // Where files are looked up and CRCs come from; by default one created for the
  // call, which hashes small files ahead on a thread of its own and larger ones
  // when the checksum pass asks for them.
  TCRCSource* CRCSource = nullptr;
  // The extension rules read beforehand (by default the document's are looked up):
  // a run over many SFVs spares itself a walk of the whole document per SFV.
  const TExtensionRules* Rules = nullptr;
  // False when the caller has no use for the completed fileDetails text (it then
  // stays as given, and the view gets none): writing it out costs time per entry.
  bool ReturnFileDetails = true;
  // With a view: the completed text goes to the view alone, handed over instead of
  // copied (it runs to megabytes), and the caller's text is left as on a stop.
  bool ViewTakesFileDetails = false;
};

// Parses SFV text (ParseSFV, with the configuration's extension rules) and verifies
// it. fileDetailsXML receives the parsed text, completed with `timestamp` and `size`
// when the verification runs to its end (with ReturnFileDetails false it stays
// empty); mine the parser's flag. folder ends with "/".
TVerifyResult VerifySFV(const std::string& text, const std::string& folder,
                        const std::string& fileName, const pugi::xml_document& config,
                        std::string& fileDetailsXML, bool& mine,
                        const TVerifyOptions& options = {});
// The same for a caller that hands its text over: the text is released once read,
// and the verification has its memory.
TVerifyResult VerifySFV(std::string&& text, const std::string& folder, const std::string& fileName,
                        const pugi::xml_document& config, std::string& fileDetailsXML, bool& mine,
                        const TVerifyOptions& options = {});

// Verifies a fileDetails text; on a complete run the text is replaced by the
// document with `timestamp` and `size` set for every file found, on a stop it is
// left unchanged. Throws std::runtime_error when the text is not XML.
TVerifyResult VerifyFileDetails(std::string& fileDetailsXML, const std::string& sfvPath,
                                const TVerifyOptions& options = {});

// The value of a listed CRC text: hexadecimal in any letter case, short texts have
// leading zeros, an empty text is 0; any other character counts as digit -1 and
// the sum wraps modulo 2^32, which is how such texts have always been compared.
std::uint32_t ListedCRCValue(const std::string& text);
