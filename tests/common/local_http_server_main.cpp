// checkwell-test-httpd: the tests' stand-in for the product site, for demos and
// screenshots of the program itself.
//
//   checkwell-test-httpd [--port N] [--seconds S] PATH=FILE...
//
// Serves each FILE's bytes at PATH on 127.0.0.1, prints the site's address and
// ends after S seconds (60 by default, at most 600).
#include "common/local_http_server.h"

#include <QCoreApplication>
#include <QFile>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  unsigned short port = 0;
  long lifetime = 60;
  std::vector<std::pair<std::string, std::string>> files;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--port" && i + 1 < argc) {
      port = static_cast<unsigned short>(std::strtoul(argv[++i], nullptr, 10));
    } else if (argument == "--seconds" && i + 1 < argc) {
      lifetime = std::clamp(std::strtol(argv[++i], nullptr, 10), 1L, 600L);
    } else if (const auto equals = argument.find('='); equals != std::string::npos) {
      files.emplace_back(argument.substr(0, equals), argument.substr(equals + 1));
    } else {
      std::fprintf(stderr, "usage: %s [--port N] [--seconds S] PATH=FILE...\n", argv[0]);
      return 2;
    }
  }
  TLocalHttpServer server{std::chrono::seconds(lifetime)};
  for (const auto& [path, file] : files) {
    QFile input(QString::fromStdString(file));
    if (!input.open(QIODevice::ReadOnly)) {
      std::fprintf(stderr, "cannot read %s\n", file.c_str());
      return 1;
    }
    TLocalHttpServer::TReply reply;
    reply.Body = input.readAll().toStdString();
    server.Serve(path, reply);
  }
  if (!server.Start(port)) {
    std::fprintf(stderr, "cannot listen on 127.0.0.1:%u\n", port);
    return 1;
  }
  std::printf("%s\n", server.URL().c_str());
  std::fflush(stdout);
  QThread::sleep(static_cast<unsigned long>(lifetime));
  return 0;
}
