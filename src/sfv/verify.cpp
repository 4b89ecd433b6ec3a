#include "sfv/verify.h"

#include "config/udfxml.h"
#include "sfv/filedetailstext.h"
#include "sfv/sfvformat.h"
#include "support/packedstrings.h"
#include "support/paths.h"
#include "support/strings.h"
#include "support/system.h"

#include <charconv>
#include <cstddef>
#include <deque>
#include <memory>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace {

// The document of a long SFV leaves many megabytes free, which the hashing hours
// that follow have no use for: they go back to the system. Trimming walks the whole
// heap, though, and a run over thousands of short SFVs would pay that walk for each.
constexpr std::size_t kReturnMemoryAfterBytes = std::size_t{1} << 20;

void ReturnFreeMemoryAfter(std::size_t textBytes) {
  if (textBytes >= kReturnMemoryAfterBytes) ReturnFreeMemory();
}

// A found file's time as listed files have always carried it: local time at two-second
// resolution. Files of one set mostly share their time, so the last conversion is
// kept; converting to local time is the costly part.
class TTimestamps {
 public:
  struct TStamp {
    TDateTime value;
    std::string text;  // for the `timestamp` attribute
  };

  const TStamp& Of(std::time_t modified) {
    const long long even = EvenSeconds(static_cast<long long>(modified));
    if (!last_ || even != lastSeconds_) {
      const TDateTime value = FromUnixTime(even);
      last_ = TStamp{value, DateTimeToXML(value)};
      lastSeconds_ = even;
    }
    return *last_;
  }

 private:
  long long lastSeconds_ = 0;
  std::optional<TStamp> last_;
};

// Files up to this size are hashed ahead of the checksum pass by the default source:
// handing each of thousands of small files to a thread and waiting for it was most
// of the time such a set took. Larger files are hashed when their turn comes, so
// that the row shown running is the file being read.
constexpr std::int64_t kHashAheadLimit = 1 << 20;

// One run over one document, pass by pass. A pass that has to stop returns the
// result to stop with; stopping leaves the caller's text as it was.
class TVerification {
 public:
  TVerification(const std::string& sfvPath, const TVerifyOptions& options)
      : sfvPath_(sfvPath), options_(options), view_(options.View) {}

  ~TVerification() {
    // Anything looked at ahead for a run that stopped early is of no use now.
    if (source_) source_->Announce({});
  }
  TVerification(const TVerification&) = delete;
  TVerification& operator=(const TVerification&) = delete;

  // Takes the entries of a document and, when the caller takes the completed text,
  // writes the document's text into text: a complete run gives its `file` elements
  // the `timestamp` and `size` of their files there, so the document can go now.
  void Collect(const pugi::xml_document& document, std::string& text) {
    for (const pugi::xml_node file : document.document_element().children("file")) {
      Add(file.attribute("name").value(), file.attribute("CRC").value(),
          static_cast<bool>(file.attribute("action")));
    }
    if (options_.ReturnFileDetails) {
      details_.Write(document, text);
      found_.resize(entries_.size());
    }
  }

  // Takes one entry of a run without a document.
  void Add(std::string_view name, const std::string& crc, bool ignored) {
    TEntry& entry = entries_.emplace_back();
    entry.crc = ListedCRCValue(crc);
    entry.ignored = ignored;
    TPackedStrings& names = ignored ? ignoredNames_ : *names_;
    entry.name = static_cast<std::uint32_t>(names.Size());
    names.Add(name);
  }

  // collected: the text Collect wrote, or none.
  TVerifyResult Run(const std::string* collected, std::string& fileDetailsXML) {
    // Now, so that a source that works ahead can start while the rows are made.
    if (!names_->Empty()) Source().Announce(names_);
    if (view_) {
      view_->ShowView();
      if (!entries_.empty()) view_->AttachSFV(sfvPath_);
    }
    if (const auto stop = ListingPass()) return *stop;
    if (const auto stop = PresencePass()) return *stop;
    if (const auto stop = ChecksumPass()) return *stop;

    if (view_) view_->ShowSummary();
    if (options_.ReturnFileDetails && collected) {
      // The text is the largest thing a run makes; what it kept per entry goes first.
      std::deque<TEntry>().swap(entries_);
      foundAs_.clear();
      if (source_) source_->Announce({});
      names_.reset();
      ignoredNames_ = TPackedStrings();
      std::string completed = Completed(*collected);
      std::vector<TFound>().swap(found_);
      if (view_ && options_.ViewTakesFileDetails) {
        view_->TakeFileDetailsXML(std::move(completed));
        return result_;
      }
      fileDetailsXML = std::move(completed);
      if (view_) view_->SetFileDetailsXML(fileDetailsXML);
    }
    return result_;
  }

 private:
  using TStop = std::optional<TVerifyResult>;

  // Each entry's name lies in names_, or in ignoredNames_ when it is ignored.
  struct TEntry {
    std::int64_t knownSize = -1;  // as the presence pass found the file; -1 unless regular
    std::uint32_t crc = 0;        // as listed
    std::uint32_t name = 0;
    int row = -1;
    bool ignored = false;
  };

  // What the presence pass found of an entry's file, for the completed text.
  struct TFound {
    std::time_t modified = 0;
    std::int64_t size = -1;  // -1: not found
  };

  std::string Completed(const std::string& collected) {
    char size[24];
    return details_.Completed(collected, collected.size() + added_,
                              [&](std::size_t file, TFileDetailsText::TFileValues& values) {
                                const TFound& found = found_[file];
                                if (found.size < 0) return false;
                                values.timestamp = timestamps_.Of(found.modified).text;
                                values.size = std::string_view(
                                    size,
                                    std::to_chars(size, size + sizeof size, found.size).ptr - size);
                                return true;
                              });
  }

  std::string_view Name(const TEntry& entry) const {
    return entry.ignored ? ignoredNames_[entry.name] : (*names_)[entry.name];
  }

  TStop ListingPass() {
    for (TEntry& entry : entries_) {
      if (view_) {
        const std::string_view name = Name(entry);
        entry.row = view_->AppendRow();
        view_->SetFilename(entry.row, ExtractFileName(name));
        view_->SetPath(entry.row, ExtractFilePath(name));
        view_->SetStatus(entry.row, entry.ignored ? TFileStatus::Ignored : TFileStatus::Waiting);
      }
      if (entry.ignored) result_ = vrAccepted;
    }
    if (view_) view_->Repaint();
    return YieldAndAskAbort();
  }

  TStop PresencePass() {
    for (std::size_t i = 0; i < entries_.size(); ++i) {
      TEntry& entry = entries_[i];
      if (entry.ignored) continue;
      TFoundFile found;
      const std::string_view name = Name(entry);
      const TLookupStatus lookup = Source().Find(name, found, poll_);
      if (lookup == TLookupStatus::Aborted) return vrAborted;
      if (lookup == TLookupStatus::NotFound) {
        result_ = vrFailed;
        if (!view_) return vrFailed;
        view_->SetStatus(entry.row, TFileStatus::NotFound);
        view_->Repaint();
        continue;
      }
      const TTimestamps::TStamp& timestamp = timestamps_.Of(found.ModifiedTime);
      if (!found_.empty()) {
        found_[i] = TFound{found.ModifiedTime, found.Size};
        char size[24];
        const std::size_t digits = static_cast<std::size_t>(
            std::to_chars(size, size + sizeof size, found.Size).ptr - size);
        added_ += TFileDetailsText::MostAdded(timestamp.text.size(), digits);
      }
      if (view_) {
        view_->SetSize(entry.row, found.Size);
        view_->SetTimestamp(entry.row, timestamp.value);
      }
      // Mostly the name as listed; a name found in other letters is kept aside.
      if (found.Path != name) foundAs_.emplace(i, std::move(found.Path));
      if (found.Regular) entry.knownSize = found.Size;
    }
    return {};
  }

  TStop ChecksumPass() {
    const int count = static_cast<int>(entries_.size());
    for (int i = 0; i < count; ++i) {
      const TEntry& entry = entries_[static_cast<std::size_t>(i)];
      if (const auto stop = YieldAndAskAbort()) return stop;
      // With a view, a row that is no longer waiting was not found.
      if (!entry.ignored && (!view_ || view_->GetStatus(entry.row) == TFileStatus::Waiting)) {
        if (const auto stop = Check(static_cast<std::size_t>(i))) return stop;
      }
      if (options_.OnProgress) options_.OnProgress(sfvPath_, i + 1, count);
    }
    return {};
  }

  TStop Check(std::size_t index) {
    const TEntry& entry = entries_[index];
    if (view_) {
      view_->MakeCurrent(entry.row);
      view_->SetStatus(entry.row, TFileStatus::Running);
      view_->Repaint();
      if (const auto stop = YieldAndAskAbort()) return stop;
    }
    const auto renamed = foundAs_.find(index);
    const TCRCRequest request{
        renamed != foundAs_.end() ? renamed->second : std::string(Name(entry)), entry.knownSize};
    std::uint32_t crc = 0;
    const TCRCStatus status = Source().Compute(request, crc, poll_);
    if (status == TCRCStatus::Aborted) return vrAborted;
    TFileStatus rowStatus = TFileStatus::OK;
    if (status != TCRCStatus::OK) {
      rowStatus = TFileStatus::NoCRC;
    } else if (entry.crc != crc) {
      rowStatus = TFileStatus::CRCFailed;
    }
    if (rowStatus != TFileStatus::OK) {
      result_ = vrFailed;
      if (!view_) return vrFailed;
    }
    if (!view_) return {};
    view_->SetStatus(entry.row, rowStatus);
    view_->Repaint();
    return YieldAndAskAbort();
  }

  TStop YieldAndAskAbort() const {
    if (options_.Yield) options_.Yield();
    bool abort = false;
    if (options_.OnQueryAbort) options_.OnQueryAbort(abort);
    return abort ? TStop(vrAborted) : TStop();
  }

  TCRCSource& Source() {
    if (!source_) {
      if (options_.CRCSource) {
        source_ = options_.CRCSource;
      } else {
        ownSource_ = std::make_unique<TParallelCRCSource>(1, nullptr, kHashAheadLimit);
        source_ = ownSource_.get();
      }
    }
    return *source_;
  }

  const std::string sfvPath_;
  const TVerifyOptions& options_;
  TVerifyView* const view_;
  // While the source works on a file, the caller keeps processing its events.
  const TCRCWaitPoll poll_ = [this] { return YieldAndAskAbort().has_value(); };
  std::deque<TEntry> entries_;  // grows without copying what it holds
  std::shared_ptr<TPackedStrings> names_ = std::make_shared<TPackedStrings>();
  TPackedStrings ignoredNames_;
  TFileDetailsText details_;
  std::vector<TFound> found_;  // by entry, when the completed text is taken
  std::size_t added_ = 0;      // at most, by the found files' values
  std::unordered_map<std::size_t, std::string> foundAs_;  // by entry
  TTimestamps timestamps_;
  TVerifyResult result_ = vrVerifiedOK;
  std::unique_ptr<TCRCSource> ownSource_;
  TCRCSource* source_ = nullptr;
};

}  // namespace

const char* VerifyResultText(TVerifyResult result) {
  switch (result) {
    case vrVerifiedOK:
      return "Verified OK";
    case vrFailed:
      return "Failed";
    case vrAccepted:
      return "Accepted";
    case vrAborted:
      return "Aborted";
  }
  return "Failed";
}

const char* FileStatusText(TFileStatus status) {
  switch (status) {
    case TFileStatus::None:
      return "";
    case TFileStatus::Waiting:
      return "Waiting";
    case TFileStatus::Ignored:
      return "Ignored";
    case TFileStatus::NotFound:
      return "File not found";
    case TFileStatus::Running:
      return "Running...";
    case TFileStatus::NoCRC:
      return "Unable to generate CRC";
    case TFileStatus::CRCFailed:
      return "CRC Failed";
    case TFileStatus::OK:
      return "OK";
  }
  return "";
}

TFileStatus FileStatusFromText(std::string_view text) {
  for (const TFileStatus status :
       {TFileStatus::Waiting, TFileStatus::Ignored, TFileStatus::NotFound, TFileStatus::Running,
        TFileStatus::NoCRC, TFileStatus::CRCFailed, TFileStatus::OK}) {
    if (text == FileStatusText(status)) return status;
  }
  return TFileStatus::None;
}

std::uint32_t ListedCRCValue(const std::string& text) {
  return static_cast<std::uint32_t>(HexToInt(text));
}

TVerifyResult VerifyFileDetails(std::string& fileDetailsXML, const std::string& sfvPath,
                                const TVerifyOptions& options) {
  TVerification verification(sfvPath, options);
  std::string collected;
  {
    pugi::xml_document document;
    LoadXMLText(document, fileDetailsXML);
    verification.Collect(document, collected);
  }
  ReturnFreeMemoryAfter(fileDetailsXML.size());
  return verification.Run(&collected, fileDetailsXML);
}

namespace {

// handedOver: the caller's text, released once read when nothing needs it any more.
TVerifyResult VerifySFVText(const std::string& text, std::string* handedOver,
                            const std::string& folder, const std::string& fileName,
                            const pugi::xml_document& config, std::string& fileDetailsXML,
                            bool& mine, const TVerifyOptions& options) {
  fileDetailsXML.clear();
  const std::size_t textBytes = text.size();  // text may be handed over below
  TVerification verification(folder + fileName, options);
  // A caller that checks many SFVs keeps the rules read; one SFV reads them here.
  std::optional<TExtensionRules> ownRules;
  const TExtensionRules& rules = options.Rules ? *options.Rules : ownRules.emplace(config);
  // A caller that keeps no text is spared the document: the entries alone take a
  // fraction of its memory.
  if (!options.ReturnFileDetails) {
    const auto add = [&verification](const std::string& name, std::string_view crc,
                                     const std::string& action) {
      verification.Add(name, std::string(crc), !action.empty());
    };
    if (!ReadSFV(text, folder, rules, mine, add)) return vrFailed;
    if (handedOver) std::string().swap(*handedOver);
    return verification.Run(nullptr, fileDetailsXML);
  }
  {
    pugi::xml_document document;
    if (!ParseSFV(text, folder, rules, document, mine)) return vrFailed;
    if (handedOver) std::string().swap(*handedOver);
    // The text as parsed: what a stop leaves, and what a complete run completes.
    verification.Collect(document, fileDetailsXML);
  }
  ReturnFreeMemoryAfter(textBytes);
  return verification.Run(&fileDetailsXML, fileDetailsXML);
}

}  // namespace

TVerifyResult VerifySFV(const std::string& text, const std::string& folder,
                        const std::string& fileName, const pugi::xml_document& config,
                        std::string& fileDetailsXML, bool& mine, const TVerifyOptions& options) {
  return VerifySFVText(text, nullptr, folder, fileName, config, fileDetailsXML, mine, options);
}

TVerifyResult VerifySFV(std::string&& text, const std::string& folder, const std::string& fileName,
                        const pugi::xml_document& config, std::string& fileDetailsXML, bool& mine,
                        const TVerifyOptions& options) {
  return VerifySFVText(text, &text, folder, fileName, config, fileDetailsXML, mine, options);
}
