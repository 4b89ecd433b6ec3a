#pragma once

#include "support/filedescriptor.h"

#include <cstdint>
#include <string>
#include <string_view>

// Whole-file text I/O over plain operating-system handles. Paths are byte
// strings as the file system stores them. POSIX has no share modes: other
// programs may always read and write a file while it is open here.

enum class TFileAccess { Read, Write, ReadWrite };

// Tells one version of a file from the next: any write, and any replacement by
// another file, changes at least one of these. Exists is false for a missing file.
struct TFileIdentity {
  bool Exists = false;
  std::uint64_t Device = 0;
  std::uint64_t Inode = 0;
  std::int64_t Size = 0;
  std::int64_t ModifiedSeconds = 0;
  std::int64_t ModifiedNanoseconds = 0;

  friend bool operator==(const TFileIdentity&, const TFileIdentity&) = default;
};

// The identity of the file at path (links followed), or of an open file.
TFileIdentity FileIdentityOf(const std::string& path);
TFileIdentity FileIdentityOf(int fd);

enum class TFileCreation {
  CreateNew,         // fails when the file exists
  CreateAlways,      // creates or truncates
  OpenExisting,      // fails when the file is missing
  OpenAlways,        // opens, creating it when missing
  TruncateExisting,  // fails when the file is missing
  Append,            // OpenAlways, positioned at the end
};

// A file handle owned for the lifetime of the object. Opening failures raise
// "Cannot open or create file <name> with <errno>"; read and write failures
// raise std::runtime_error naming the file.
class TDiskFileStream {
 public:
  TDiskFileStream(const std::string& fileName, TFileAccess access, TFileCreation creation);
  TDiskFileStream(const TDiskFileStream&) = delete;
  TDiskFileStream& operator=(const TDiskFileStream&) = delete;

  // Reads up to size bytes; returns how many were read (0 at the end).
  std::size_t Read(void* buffer, std::size_t size);
  // Writes all bytes or throws.
  void Write(const void* data, std::size_t size);
  void Write(std::string_view text) { Write(text.data(), text.size()); }
  // Everything from the current position to the end.
  std::string ReadToEnd();
  std::int64_t Size() const;
  TFileIdentity Identity() const { return FileIdentityOf(file_.Get()); }
  // Closes the handle and reports a failed close, which is where some file
  // systems first tell that a write did not make it to the disk.
  void Close();

  const std::string& FileName() const { return fileName_; }

 private:
  std::string fileName_;
  TFileDescriptor file_;
};

// The whole file, byte for byte. The file must exist.
std::string ReadTextFile(const std::string& path);
// The same, with the identity of the file as it was when the reading began, for
// a caller that will rewrite the file and must notice when somebody else did first.
std::string ReadTextFile(const std::string& path, TFileIdentity& identity);
// Creates or truncates the file and writes text byte for byte.
void WriteTextFile(const std::string& path, std::string_view text);

// False when the name holds any of \ / : * ? " < > | (names that would not
// survive a copy to other file systems); an empty name counts as valid.
bool IsValidFileName(std::string_view name);
