#pragma once

#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class QThread;

// A web server for tests and demos that stands in for the product site. It
// listens on 127.0.0.1 only, on a port the system picks (or the one asked for),
// answers each path with its canned reply, and stops by itself once its
// lifetime is over, so a test that hangs cannot leave it behind. It runs on a
// thread of its own: a client may block the test's thread while it waits.
class TLocalHttpServer {
 public:
  struct TReply {
    int Status = 200;
    std::string ContentType = "text/xml";
    std::string Body;
    // Accept the request and never answer (a site that hangs).
    bool Silent = false;
    // Answer only after this long (a slow site).
    std::chrono::milliseconds Delay{0};
  };

  explicit TLocalHttpServer(std::chrono::milliseconds lifetime = std::chrono::seconds(60));
  ~TLocalHttpServer();
  TLocalHttpServer(const TLocalHttpServer&) = delete;
  TLocalHttpServer& operator=(const TLocalHttpServer&) = delete;

  // Replies by path (without the query); other paths get 404. Set before Start.
  TLocalHttpServer& Serve(const std::string& path, TReply reply);
  // Listens; false when no port could be bound. port 0: any free one.
  bool Start(unsigned short port = 0);
  // "http://127.0.0.1:<port>"
  std::string URL() const;
  // The targets (path and query) asked for so far, in order.
  std::vector<std::string> Requests() const;

  struct TState;

 private:
  std::chrono::milliseconds lifetime_;
  std::map<std::string, TReply> replies_;
  std::shared_ptr<TState> state_;
  std::unique_ptr<QThread> thread_;
};
