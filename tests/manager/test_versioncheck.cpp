#include "manager/versionreply.h"
#include "manager/webrequest.h"

#include "common/local_http_server.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <chrono>

namespace {

using namespace std::chrono_literals;

// Names and answers in any case; versions listed oldest first come out newest first.
TEST(VersionReply, AnswersInAnyCaseAndTheHistoryNewestFirst) {
  EXPECT_TRUE(ReadVersionReply(R"(<LatestVersion reply="AlreadyLatest"/>)").AlreadyLatest);
  const TVersionReply reply = ReadVersionReply(R"(
    <LATESTVERSION reply="NewVersionAvailable" version="1.1" releaseDate="2025-06-01">
      <version number="1.0" releaseDate="2024-01-01"><change>First release</change></version>
      <!-- the site's own remark -->
      <version number="1.1" releaseDate="2025-06-01">
        <change>Faster checks</change><item>Zip archives</item>
      </version>
    </LATESTVERSION>)");
  EXPECT_FALSE(reply.AlreadyLatest);
  EXPECT_EQ(reply.Version, "1.1");
  EXPECT_EQ(reply.History,
            "Version 1.1 Release Date 2025-06-01\r"
            "         * Faster checks\r"
            "         * Zip archives\r"
            "\r"
            "Version 1.0 Release Date 2024-01-01\r"
            "         * First release\r"
            "\r");
}

TEST(VersionReply, EveryOtherReplyIsAnErrorWithItsText) {
  const struct {
    const char* text;
    const char* error;
  } cases[] = {
      {R"(<latestversion reply="maintenance"/>)", "maintenance"},
      {R"(<html><body>Service Unavailable</body></html>)",
       "Unknown response to request for version info"},
      {R"(<latestversion version="1.3"/>)", "Reply missing from request for version info"},
  };
  for (const auto& c : cases) {
    try {
      ReadVersionReply(c.text);
      ADD_FAILURE() << c.text;
    } catch (const std::runtime_error& error) {
      EXPECT_STREQ(error.what(), c.error);
    }
  }
  // Text that is not XML fails with the parser's own reason.
  EXPECT_THROW(ReadVersionReply("<latestversion reply="), std::runtime_error);
}

struct TServed {
  TLocalHttpServer server{20s};
  TServed() {
    TLocalHttpServer::TReply latest;
    latest.Body = R"(<latestversion reply="alreadylatest"/>)";
    server.Serve("/latest", latest);
    TLocalHttpServer::TReply broken;
    broken.Status = 500;
    broken.Body = "oops";
    server.Serve("/broken", broken);
    TLocalHttpServer::TReply silent;
    silent.Silent = true;
    server.Serve("/silent", silent);
    TLocalHttpServer::TReply huge;
    huge.Body.assign(TWebRequest::kMaxReplySize + 1, 'x');
    server.Serve("/huge", huge);
    EXPECT_TRUE(server.Start());
  }
  std::string Get(const std::string& path, std::chrono::milliseconds timeout = 5s,
                  const TWebRequest::TPoll& poll = {}) {
    return TWebRequest(timeout).Get(
        server.URL() + path, poll ? poll : [] {
          QCoreApplication::processEvents();
          return true;
        });
  }
};

TEST(WebRequest, FetchesTheBodyAndReportsEveryFailure) {
  TServed served;
  EXPECT_EQ(served.Get("/latest?appid=checkwell"), R"(<latestversion reply="alreadylatest"/>)");
  EXPECT_EQ(served.server.Requests().front(), "/latest?appid=checkwell");
  const auto failure = [&](const std::string& path, std::chrono::milliseconds timeout) {
    try {
      served.Get(path, timeout);
    } catch (const EWebRequestCancelled&) {
      return std::string("cancelled");
    } catch (const std::runtime_error& error) {
      return std::string(error.what());
    }
    return std::string("no error");
  };
  EXPECT_NE(failure("/broken", 5s).find("Internal Server Error"), std::string::npos);
  EXPECT_NE(failure("/missing", 5s).find("Not Found"), std::string::npos);
  EXPECT_NE(failure("/huge", 5s).find("larger than"), std::string::npos);
  const auto started = std::chrono::steady_clock::now();
  EXPECT_EQ(failure("/silent", 300ms), "No answer from 127.0.0.1 within 300 ms");
  EXPECT_LT(std::chrono::steady_clock::now() - started, 3s);
}

TEST(WebRequest, AWaitThatIsGivenUpEndsAtOnce) {
  TServed served;
  int polls = 0;
  const auto started = std::chrono::steady_clock::now();
  EXPECT_THROW(served.Get("/silent", 10s, [&] { return ++polls < 5; }), EWebRequestCancelled);
  EXPECT_LT(std::chrono::steady_clock::now() - started, 2s);
}

}  // namespace
