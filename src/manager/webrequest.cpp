#include "manager/webrequest.h"

#include "manager/weblinks.h"
#include "support/productinfo.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QScopeGuard>
#include <QThread>
#include <QTimer>
#include <QUrl>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>

namespace {

constexpr std::chrono::milliseconds kWaitSlice{5};
constexpr std::chrono::milliseconds kCancelCheck{10};

// What the transfer thread hands back; shared so that either side may go first.
struct TTransfer {
  std::mutex mutex;
  std::condition_variable finished;
  bool done = false;
  std::atomic<bool> cancel{false};
  std::string body;
  std::string error;  // empty on success
};

std::string TimeoutText(const QUrl& url, std::chrono::milliseconds timeout) {
  const std::string span = timeout.count() % 1000 == 0
                               ? std::to_string(timeout.count() / 1000) + " seconds"
                               : std::to_string(timeout.count()) + " ms";
  return "No answer from " + url.host().toStdString() + " within " + span;
}

// Runs on the transfer thread, with an event loop of its own.
void RunTransfer(TTransfer& transfer, const QUrl& url, std::chrono::milliseconds timeout) {
  QNetworkAccessManager network;
  QNetworkRequest request(url);
  request.setHeader(QNetworkRequest::UserAgentHeader,
                    QString::fromStdString("Checkwell/" + ProgramVersionText()));
  QNetworkReply* reply = network.get(request);
  const auto release = qScopeGuard([reply] { delete reply; });

  QEventLoop loop;
  bool timedOut = false;
  bool tooLarge = false;
  QTimer deadline;
  deadline.setSingleShot(true);
  QObject::connect(&deadline, &QTimer::timeout, &loop, [&] {
    timedOut = true;
    reply->abort();
  });
  QTimer cancelCheck;
  QObject::connect(&cancelCheck, &QTimer::timeout, &loop, [&] {
    if (transfer.cancel) reply->abort();
  });
  QObject::connect(reply, &QNetworkReply::readyRead, &loop, [&] {
    if (static_cast<std::size_t>(reply->bytesAvailable()) > TWebRequest::kMaxReplySize) {
      tooLarge = true;
      reply->abort();
    }
  });
  QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
  deadline.start(timeout);
  cancelCheck.start(kCancelCheck);
  if (!reply->isFinished()) loop.exec();

  std::string body;
  std::string error;
  if (timedOut) {
    error = TimeoutText(url, timeout);
  } else if (tooLarge) {
    error =
        "The reply is larger than " + std::to_string(TWebRequest::kMaxReplySize / 1024) + " KiB";
  } else if (reply->error() != QNetworkReply::NoError) {
    error = reply->errorString().toStdString();
    if (error.empty()) error = "The request failed";
  } else {
    body = reply->readAll().toStdString();
  }
  const std::lock_guard lock(transfer.mutex);
  transfer.body = std::move(body);
  transfer.error = std::move(error);
  transfer.done = true;
  transfer.finished.notify_all();
}

}  // namespace

std::string TWebRequest::Get(const std::string& url, const TPoll& poll) const {
  const QUrl target(QString::fromStdString(url), QUrl::StrictMode);
  if (!target.isValid() || (target.scheme() != "http" && target.scheme() != "https"))
    throw std::runtime_error("Not a web address: " + url);

  auto transfer = std::make_shared<TTransfer>();
  const std::chrono::milliseconds timeout = timeout_;
  const std::unique_ptr<QThread> thread(
      QThread::create([transfer, target, timeout] { RunTransfer(*transfer, target, timeout); }));
  thread->start();
  // Whatever leaves this function (a poll that throws included), the thread ends first.
  const auto join = qScopeGuard([&] {
    transfer->cancel = true;
    thread->wait();
  });

  for (;;) {
    {
      std::unique_lock lock(transfer->mutex);
      if (transfer->finished.wait_for(lock, kWaitSlice, [&] { return transfer->done; })) break;
    }
    if (!transfer->cancel && poll && !poll()) transfer->cancel = true;
  }
  if (transfer->cancel) throw EWebRequestCancelled();
  if (!transfer->error.empty()) throw std::runtime_error(transfer->error);
  return std::move(transfer->body);
}
