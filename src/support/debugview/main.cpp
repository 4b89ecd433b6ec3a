// checkwell-debugview: prints the diagnostic lines Checkwell sends while it runs.
//
//   checkwell-debugview [--count N]
//
// It binds the socket DebugMessage writes to and prints one line per datagram
// until interrupted, or after N lines. Only one viewer can listen at a time.

#include "support/debug.h"
#include "support/filedescriptor.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t gStop = 0;

void OnSignal(int) {
  gStop = 1;
}

TFileDescriptor DatagramSocket() {
  return TFileDescriptor(::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0));
}

// Removes the socket file when the viewer ends, however it ends.
class TBoundPath {
 public:
  explicit TBoundPath(std::string path) : path_(std::move(path)) {}
  ~TBoundPath() { ::unlink(path_.c_str()); }
  TBoundPath(const TBoundPath&) = delete;
  TBoundPath& operator=(const TBoundPath&) = delete;

 private:
  std::string path_;
};

sockaddr_un AddressOf(const std::string& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  return address;
}

// A socket file left by a viewer that was killed refuses connections; one that
// a running viewer holds accepts them and must be left alone.
bool ClearStaleSocket(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return errno == ENOENT;
  if (!S_ISSOCK(st.st_mode)) {
    std::fprintf(stderr, "checkwell-debugview: %s exists and is not a socket\n", path.c_str());
    return false;
  }
  const TFileDescriptor probe = DatagramSocket();
  const sockaddr_un address = AddressOf(path);
  if (::connect(probe.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
    std::fprintf(stderr, "checkwell-debugview: another viewer is listening at %s\n", path.c_str());
    return false;
  }
  return ::unlink(path.c_str()) == 0 || errno == ENOENT;
}

void InstallSignalHandlers() {
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;  // no SA_RESTART: recv must return so the loop can end
  ::sigaction(SIGINT, &action, nullptr);
  ::sigaction(SIGTERM, &action, nullptr);
  ::sigaction(SIGHUP, &action, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  long limit = -1;
  if (argc == 3 && std::strcmp(argv[1], "--count") == 0) {
    limit = std::strtol(argv[2], nullptr, 10);
  } else if (argc != 1) {
    std::fprintf(stderr, "usage: checkwell-debugview [--count N]\n");
    return 2;
  }

  const std::string path = DebugViewerSocketPath();
  if (path.empty() || path.size() >= sizeof(sockaddr_un::sun_path)) {
    std::fprintf(stderr, "checkwell-debugview: no usable socket path\n");
    return 1;
  }
  if (!ClearStaleSocket(path)) return 1;

  const TFileDescriptor socket = DatagramSocket();
  if (!socket.Valid()) {
    std::perror("checkwell-debugview: socket");
    return 1;
  }
  // Only this user may send: the socket file gets no group or other rights.
  const mode_t previousMask = ::umask(077);
  const sockaddr_un address = AddressOf(path);
  const int bound =
      ::bind(socket.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address);
  ::umask(previousMask);
  if (bound != 0) {
    std::fprintf(stderr, "checkwell-debugview: cannot listen at %s: %s\n", path.c_str(),
                 std::strerror(errno));
    return 1;
  }
  const TBoundPath cleanup(path);
  InstallSignalHandlers();
  std::fprintf(stderr, "checkwell-debugview: listening at %s\n", path.c_str());

  std::vector<char> buffer(65536);
  for (long received = 0; !gStop && (limit < 0 || received < limit);) {
    const ssize_t n = ::recv(socket.Get(), buffer.data(), buffer.size(), 0);
    if (n < 0) {
      if (errno == EINTR) continue;
      std::perror("checkwell-debugview: recv");
      return 1;
    }
    std::size_t length = static_cast<std::size_t>(n);
    while (length > 0 && buffer[length - 1] == '\0') --length;
    std::fwrite(buffer.data(), 1, length, stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
    ++received;
  }
  return 0;
}
