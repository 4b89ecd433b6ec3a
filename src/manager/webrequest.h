#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <stdexcept>
#include <string>

// The caller stopped waiting (the window closed): there is nothing to report.
class EWebRequestCancelled : public std::runtime_error {
 public:
  EWebRequestCancelled() : std::runtime_error("The request was cancelled") {}
};

// Fetches one small document over HTTP or HTTPS. The transfer runs on a thread of
// its own, so the calling thread only waits: it calls `poll` every few
// milliseconds (a window catches up with its events there, through its pacer)
// and keeps waiting while poll returns true.
class TWebRequest {
 public:
  using TPoll = std::function<bool()>;

  static constexpr std::chrono::milliseconds kDefaultTimeout{15000};
  // The version service answers with a few kilobytes; a larger reply is not one.
  static constexpr std::size_t kMaxReplySize = 1024 * 1024;

  explicit TWebRequest(std::chrono::milliseconds timeout = kDefaultTimeout) : timeout_(timeout) {}

  // The reply's body. Throws std::runtime_error with the reason (no connection,
  // an HTTP error, no answer in time, a reply too large), or EWebRequestCancelled
  // when poll returned false.
  std::string Get(const std::string& url, const TPoll& poll) const;

 private:
  std::chrono::milliseconds timeout_;
};
