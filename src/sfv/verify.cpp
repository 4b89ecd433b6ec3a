#include "sfv/verify.h"

#include "config/udfxml.h"
#include "sfv/sfvformat.h"
#include "support/paths.h"
#include "support/strings.h"

#include <iterator>
#include <memory>
#include <vector>

namespace {

struct TEntry {
  pugi::xml_node node;
  int row = -1;
  bool ignored = false;
  TCRCRequest request;  // the file as the presence pass found it
};

// Appends the first time, so attributes keep the order they were first set in.
void SetAttribute(pugi::xml_node node, const char* name, const std::string& value) {
  pugi::xml_attribute attribute = node.attribute(name);
  if (!attribute) attribute = node.append_attribute(name);
  attribute.set_value(value.c_str());
}

// Listed files have always carried their time at two-second resolution.
TDateTime EvenSecondLocalTime(std::time_t seconds) {
  const long long t = static_cast<long long>(seconds);
  return FromUnixTime(t - ((t % 2) + 2) % 2);
}

// One run over one document. Every way out before the end returns without
// touching the caller's text; the early returns are the stops of the rules.
class TVerification {
 public:
  TVerification(const std::string& sfvPath, const TVerifyOptions& options)
      : sfvPath_(sfvPath), options_(options), view_(options.View) {}

  ~TVerification() {
    // Anything hashed ahead for a run that stopped early is of no use now.
    if (source_) source_->Announce({});
  }
  TVerification(const TVerification&) = delete;
  TVerification& operator=(const TVerification&) = delete;

  TVerifyResult Run(pugi::xml_document& document, std::string& fileDetailsXML) {
    const auto files = document.document_element().children("file");
    std::vector<TEntry> entries;
    entries.reserve(static_cast<std::size_t>(std::distance(files.begin(), files.end())));
    for (pugi::xml_node file : files) {
      entries.emplace_back().node = file;
    }
    const int count = static_cast<int>(entries.size());
    std::vector<std::string> names;
    names.reserve(entries.size());
    for (TEntry& entry : entries) {
      entry.ignored = static_cast<bool>(entry.node.attribute("action"));
      if (!entry.ignored) names.emplace_back(entry.node.attribute("name").value());
    }
    // Early, so that a source that works ahead can start while the rows are made.
    if (!names.empty()) Source().Announce(std::move(names));

    if (view_) {
      view_->ShowView();
      if (count >= 1) view_->AttachSFV(sfvPath_);
    }
    TVerifyResult result = vrVerifiedOK;

    for (TEntry& entry : entries) {
      if (view_) {
        const std::string name = entry.node.attribute("name").value();
        entry.row = view_->AppendRow();
        view_->SetFilename(entry.row, ExtractFileName(name));
        view_->SetPath(entry.row, ExtractFilePath(name));
        view_->SetStatus(entry.row, entry.ignored ? kStatusIgnored : kStatusWaiting);
      }
      if (entry.ignored) result = vrAccepted;
    }
    if (view_) view_->Repaint();
    Yield();
    if (AskAbort()) return vrAborted;

    const TCRCWaitPoll poll = [this] {
      Yield();
      return AskAbort();
    };
    for (TEntry& entry : entries) {
      if (entry.ignored) continue;
      TFoundFile found;
      const TLookupStatus lookup = Source().Find(entry.node.attribute("name").value(), found, poll);
      if (lookup == TLookupStatus::Aborted) return vrAborted;
      if (lookup == TLookupStatus::NotFound) {
        result = vrFailed;
        if (!view_) return vrFailed;
        view_->SetStatus(entry.row, kStatusNotFound);
        view_->Repaint();
        continue;
      }
      const TDateTime timestamp = EvenSecondLocalTime(found.ModifiedTime);
      SetAttribute(entry.node, "timestamp", DateTimeToXML(timestamp));
      SetAttribute(entry.node, "size", std::to_string(found.Size));
      if (view_) {
        view_->SetSize(entry.row, found.Size);
        view_->SetTimestamp(entry.row, timestamp);
      }
      entry.request.Path = std::move(found.Path);
      if (found.Regular) entry.request.KnownSize = found.Size;
    }

    for (int i = 0; i < count; ++i) {
      const TEntry& entry = entries[static_cast<std::size_t>(i)];
      Yield();
      if (AskAbort()) return vrAborted;
      if (!entry.ignored && (!view_ || view_->GetStatus(entry.row) == kStatusWaiting)) {
        if (view_) {
          view_->MakeCurrent(entry.row);
          view_->SetStatus(entry.row, kStatusRunning);
          view_->Repaint();
          Yield();
          if (AskAbort()) return vrAborted;
        }
        std::uint32_t crc = 0;
        const TCRCStatus status = Source().Compute(entry.request, crc, poll);
        if (status == TCRCStatus::Aborted) return vrAborted;
        const char* rowStatus = kStatusOK;
        if (status != TCRCStatus::OK) {
          rowStatus = kStatusNoCRC;
        } else if (ListedCRCValue(entry.node.attribute("CRC").value()) != crc) {
          rowStatus = kStatusCRCFailed;
        }
        if (rowStatus != kStatusOK) {
          result = vrFailed;
          if (!view_) return vrFailed;
        }
        if (view_) {
          view_->SetStatus(entry.row, rowStatus);
          view_->Repaint();
          Yield();
          if (AskAbort()) return vrAborted;
        }
      }
      if (options_.OnProgress) options_.OnProgress(sfvPath_, i + 1, count);
    }

    if (view_) view_->ShowSummary();
    if (options_.ReturnFileDetails) {
      fileDetailsXML = XMLText(document);
      if (view_) view_->SetFileDetailsXML(fileDetailsXML);
    }
    return result;
  }

 private:
  void Yield() const {
    if (options_.Yield) options_.Yield();
  }

  bool AskAbort() const {
    bool abort = false;
    if (options_.OnQueryAbort) options_.OnQueryAbort(abort);
    return abort;
  }

  TCRCSource& Source() {
    if (!source_) {
      if (options_.CRCSource) {
        source_ = options_.CRCSource;
      } else {
        ownSource_ = std::make_unique<TBackgroundCRCSource>();
        source_ = ownSource_.get();
      }
    }
    return *source_;
  }

  const std::string& sfvPath_;
  const TVerifyOptions& options_;
  TVerifyView* const view_;
  std::unique_ptr<TBackgroundCRCSource> ownSource_;
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

std::uint32_t ListedCRCValue(const std::string& text) {
  return static_cast<std::uint32_t>(HexToInt(text));
}

TVerifyResult VerifyFileDetails(std::string& fileDetailsXML, const std::string& sfvPath,
                                const TVerifyOptions& options) {
  pugi::xml_document document;
  LoadXMLText(document, fileDetailsXML);
  TVerification verification(sfvPath, options);
  return verification.Run(document, fileDetailsXML);
}

TVerifyResult VerifySFV(const std::string& text, const std::string& folder,
                        const std::string& fileName, const pugi::xml_document& config,
                        std::string& fileDetailsXML, bool& mine, const TVerifyOptions& options) {
  fileDetailsXML.clear();
  if (!ParseSFV(text, folder, config, fileDetailsXML, mine)) {
    fileDetailsXML.clear();
    return vrFailed;
  }
  return VerifyFileDetails(fileDetailsXML, folder + fileName, options);
}
