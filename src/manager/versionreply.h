#pragma once

#include <string>

// What the version service answers: a document whose root `latestversion` says in
// `reply` whether the asking version is the latest, and lists every version with
// its changes.
struct TVersionReply {
  bool AlreadyLatest = false;
  // The newest version's number and release date, as the site writes them.
  std::string Version;
  std::string ReleaseDate;
  // Newest version first: "Version n Release Date d", each change on its own
  // indented line, a blank line after each version; lines end in CR.
  std::string History;
};

// Reads the reply's text. Throws std::runtime_error with the text the user is
// shown: the parser's reason for text that is not XML, a fixed message for a
// document of another kind or without `reply`, and the site's own `reply` text
// for any answer other than the two known ones (names and answers in any case).
TVersionReply ReadVersionReply(const std::string& text);

// The question that offers the download page.
std::string OutOfDateText(const std::string& programVersion, const TVersionReply& reply);

// The question that offers the history page when the check failed with `error`.
std::string VersionCheckFailedText(const std::string& error);
