#include "support/debug.h"

#include "support/filedescriptor.h"
#include "support/paths.h"
#include "support/system.h"

#include <cstdlib>
#include <cstring>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

constexpr const char* kSocketName = "checkwell-debug";
// Far below the kernel's datagram limit, so a long message is cut rather than lost.
constexpr std::size_t kMaxDatagram = 60000;

// Only a socket of our own user is trusted with the lines: in a shared temporary
// folder anyone could bind the name first and read what the program reports.
bool IsOurSocket(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode) && st.st_uid == ::geteuid();
}

void SendToViewer(const std::string& line) {
  const std::string path = DebugViewerSocketPath();
  sockaddr_un address{};
  if (path.empty() || path.size() >= sizeof address.sun_path || !IsOurSocket(path)) return;
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  const TFileDescriptor socket(::socket(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
  if (!socket.Valid()) return;
  // A viewer that has gone away, or one that is too slow to keep up, simply
  // misses the line: the program must never wait for its diagnostics.
  (void)::sendto(socket.Get(), line.data(), std::min(line.size(), kMaxDatagram), MSG_NOSIGNAL,
                 reinterpret_cast<const sockaddr*>(&address), sizeof address);
}

std::string ProgramName(const std::string& programFile) {
  return ChangeFileExt(ExtractFileName(programFile), "");
}

}  // namespace

std::string FormatDebugLine(const std::string& message, const std::string& channel,
                            const std::string& programFile, TDateTime time) {
  std::string prefix;
  if (channel.empty()) {
    prefix = "$exe=" + ProgramName(programFile) + "$";
  } else if (channel.front() == '+') {
    prefix = "$exe=" + ProgramName(programFile) + channel.substr(1, 100) + "$";
  } else {
    prefix = "$exe=" + channel + "$";
  }
  return prefix + FormatDateTime("hh:nn:ss", time) + "  " + message;
}

std::string DebugViewerSocketPath() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && *runtime != '\0') {
    return IncludeTrailingPathDelimiter(runtime) + kSocketName;
  }
  try {
    return GetTempFolder() + kSocketName;
  } catch (const std::exception&) {
    return {};
  }
}

void DebugMessage(const std::string& message, const std::string& channel) {
  try {
    SendToViewer(FormatDebugLine(message, channel, ApplicationFilePath(), Now()));
  } catch (...) {
    // Diagnostics must not become the failure they were meant to describe.
  }
}

void DebugError(const std::exception& error, const std::string& channel) {
  DebugMessage("---ERROR--- raised by " + ExtractFileName(ApplicationFilePath()), channel);
  DebugMessage(error.what(), channel);
}
