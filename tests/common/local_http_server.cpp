#include "common/local_http_server.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <condition_variable>

namespace {

// A request head larger than this is not one of ours: the connection is dropped.
constexpr qint64 kMaxRequestHead = 64 * 1024;
constexpr std::chrono::milliseconds kStopCheck{10};

const char* ReasonPhrase(int status) {
  switch (status) {
    case 200:
      return "OK";
    case 404:
      return "Not Found";
    case 500:
      return "Internal Server Error";
    case 503:
      return "Service Unavailable";
    default:
      return "Status";
  }
}

QByteArray ResponseBytes(const TLocalHttpServer::TReply& reply) {
  QByteArray bytes = "HTTP/1.1 " + QByteArray::number(reply.Status) + ' ' +
                     ReasonPhrase(reply.Status) +
                     "\r\nContent-Type: " + QByteArray::fromStdString(reply.ContentType) +
                     "\r\nContent-Length: " + QByteArray::number(qsizetype(reply.Body.size())) +
                     "\r\nConnection: close\r\n\r\n";
  return bytes + QByteArray::fromStdString(reply.Body);
}

}  // namespace

struct TLocalHttpServer::TState {
  std::mutex mutex;
  std::condition_variable listening;
  bool started = false;
  unsigned short port = 0;
  std::vector<std::string> requests;
  std::atomic<bool> stop{false};
};

namespace {

void Answer(QTcpSocket* socket, const std::map<std::string, TLocalHttpServer::TReply>& replies,
            TLocalHttpServer::TState& state) {
  const QByteArray head = socket->peek(kMaxRequestHead);
  if (!head.contains("\r\n\r\n")) {
    if (head.size() >= kMaxRequestHead) socket->abort();
    return;
  }
  socket->readAll();
  const QList<QByteArray> requestLine = head.left(head.indexOf("\r\n")).split(' ');
  const std::string target = requestLine.size() >= 2 ? requestLine[1].toStdString() : "";
  {
    const std::lock_guard lock(state.mutex);
    state.requests.push_back(target);
  }
  const auto found = replies.find(target.substr(0, target.find('?')));
  TLocalHttpServer::TReply reply;
  if (found == replies.end()) {
    reply.Status = 404;
    reply.ContentType = "text/html";
    reply.Body = "<html><body>Not Found</body></html>";
  } else {
    reply = found->second;
  }
  if (reply.Silent) return;
  QTimer::singleShot(reply.Delay, socket, [socket, bytes = ResponseBytes(reply)] {
    socket->write(bytes);
    socket->disconnectFromHost();
  });
}

// The thread's whole life: listen, answer, stop when told or when the lifetime ends.
void Serve(const std::map<std::string, TLocalHttpServer::TReply>& replies,
           TLocalHttpServer::TState& state, unsigned short port,
           std::chrono::milliseconds lifetime) {
  QEventLoop loop;
  QTcpServer server;
  const bool listening = server.listen(QHostAddress::LocalHost, port);
  {
    const std::lock_guard lock(state.mutex);
    state.started = true;
    state.port = listening ? server.serverPort() : 0;
  }
  state.listening.notify_all();
  if (!listening) return;

  QObject::connect(&server, &QTcpServer::newConnection, &loop, [&] {
    while (QTcpSocket* socket = server.nextPendingConnection()) {
      QObject::connect(socket, &QTcpSocket::readyRead, socket,
                       [socket, &replies, &state] { Answer(socket, replies, state); });
      QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }
  });
  const QDeadlineTimer end(lifetime);
  QTimer check;
  QObject::connect(&check, &QTimer::timeout, &loop, [&] {
    if (state.stop || end.hasExpired()) loop.quit();
  });
  check.start(kStopCheck);
  loop.exec();
}

}  // namespace

TLocalHttpServer::TLocalHttpServer(std::chrono::milliseconds lifetime)
    : lifetime_(lifetime), state_(std::make_shared<TState>()) {}

TLocalHttpServer::~TLocalHttpServer() {
  if (thread_ == nullptr) return;
  state_->stop = true;
  thread_->wait();
}

TLocalHttpServer& TLocalHttpServer::Serve(const std::string& path, TReply reply) {
  replies_[path] = std::move(reply);
  return *this;
}

bool TLocalHttpServer::Start(unsigned short port) {
  if (thread_ != nullptr) return state_->port != 0;
  // The thread reads the replies while this object lives; it ends before they go.
  thread_.reset(QThread::create([this, port] { ::Serve(replies_, *state_, port, lifetime_); }));
  thread_->start();
  std::unique_lock lock(state_->mutex);
  state_->listening.wait(lock, [this] { return state_->started; });
  return state_->port != 0;
}

std::string TLocalHttpServer::URL() const {
  const std::lock_guard lock(state_->mutex);
  return "http://127.0.0.1:" + std::to_string(state_->port);
}

std::vector<std::string> TLocalHttpServer::Requests() const {
  const std::lock_guard lock(state_->mutex);
  return state_->requests;
}
