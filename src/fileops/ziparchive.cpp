#include "fileops/ziparchive.h"

#include "fileops/anchoredentry.h"
#include "support/filedescriptor.h"
#include "support/paths.h"
#include "support/strings.h"

#include <zip.h>

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <memory>

namespace {

constexpr std::size_t kSampleSize = 64 * 1024;
constexpr std::size_t kReadBlock = 1024 * 1024;

std::string ZipErrorText(int code) {
  zip_error_t error;
  zip_error_init_with_code(&error, code);
  std::string text = zip_error_strerror(&error);
  zip_error_fini(&error);
  return text;
}

bool IsCancelled(const std::atomic<bool>* cancel) {
  return cancel && cancel->load(std::memory_order_relaxed);
}

// Opens a listed file beneath the set's folder; the last part is never followed
// as a link, so a link to a file elsewhere is not packed in its place.
TFileDescriptor OpenBeneath(const TEntryResolver& resolver, const std::string& path,
                            std::string& error) {
  TAnchoredEntry entry;
  if (!resolver.Resolve(path, entry, error)) return TFileDescriptor();
  TFileDescriptor file(
      ::openat(entry.Folder.Get(), entry.Name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
  if (!file.Valid()) error = path + ": " + std::strerror(errno);
  return file;
}

// One packed file, read by libzip when it writes the archive.
struct TFileSource {
  const TEntryResolver* Resolver = nullptr;
  std::string Path;
  std::string Name;
  const TZipFileEvent* OnFile = nullptr;
  const std::atomic<bool>* Cancel = nullptr;
  std::uint64_t Size = 0;
  time_t MTime = 0;
  TFileDescriptor File;
  zip_error_t Error{};
};

zip_int64_t Fail(TFileSource& source, int zipError, int systemError) {
  zip_error_set(&source.Error, zipError, systemError);
  return -1;
}

zip_int64_t FileSourceCallback(void* state, void* data, zip_uint64_t length, zip_source_cmd_t cmd) {
  TFileSource& source = *static_cast<TFileSource*>(state);
  switch (cmd) {
    case ZIP_SOURCE_OPEN: {
      if (source.OnFile && *source.OnFile) (*source.OnFile)(source.Name);
      std::string error;
      source.File = OpenBeneath(*source.Resolver, source.Path, error);
      if (!source.File.Valid()) return Fail(source, ZIP_ER_OPEN, errno ? errno : EACCES);
      return 0;
    }
    case ZIP_SOURCE_READ: {
      if (IsCancelled(source.Cancel)) return Fail(source, ZIP_ER_CANCELLED, 0);
      ssize_t n;
      do {
        n = ::read(source.File.Get(), data, length);
      } while (n < 0 && errno == EINTR);
      if (n < 0) return Fail(source, ZIP_ER_READ, errno);
      return n;
    }
    case ZIP_SOURCE_CLOSE:
      source.File.Reset();
      return 0;
    case ZIP_SOURCE_STAT: {
      auto* stat = static_cast<zip_stat_t*>(data);
      if (length < sizeof(zip_stat_t)) return Fail(source, ZIP_ER_INVAL, 0);
      zip_stat_init(stat);
      stat->size = source.Size;
      stat->mtime = source.MTime;
      stat->valid |= ZIP_STAT_SIZE | ZIP_STAT_MTIME;
      return sizeof(zip_stat_t);
    }
    case ZIP_SOURCE_ERROR:
      return zip_error_to_data(&source.Error, data, length);
    case ZIP_SOURCE_FREE:
      zip_error_fini(&source.Error);
      delete &source;
      return 0;
    case ZIP_SOURCE_SUPPORTS:
      return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE,
                                            ZIP_SOURCE_STAT, ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
    default:
      return Fail(source, ZIP_ER_OPNOTSUPP, 0);
  }
}

int CancelCallback(zip_t*, void* state) {
  return IsCancelled(static_cast<const std::atomic<bool>*>(state)) ? 1 : 0;
}

struct TZipCloser {
  void operator()(zip_t* archive) const {
    if (archive) zip_discard(archive);
  }
};
using TZipHandle = std::unique_ptr<zip_t, TZipCloser>;

// Reserves a fresh name beside the archive for it to be written under.
std::string ReserveTemporaryName(const std::string& archivePath, std::string& error) {
  std::string pattern =
      ExtractFilePath(archivePath) + "." + ExtractFileName(archivePath) + ".XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  TFileDescriptor file(::mkstemp(name.data()));
  if (!file.Valid()) {
    error = archivePath + ": " + std::strerror(errno);
    return {};
  }
  ::fchmod(file.Get(), 0644);
  return name.data();
}

bool SyncFile(const std::string& path, int flags) {
  TFileDescriptor file(::open(path.c_str(), flags | O_CLOEXEC));
  return file.Valid() && ::fsync(file.Get()) == 0 && file.Close() == 0;
}

// Gives the complete archive its name without replacing anything there.
bool PublishArchive(const std::string& temporary, const std::string& archivePath,
                    std::string& error) {
  if (!SyncFile(temporary, O_RDONLY)) {
    error = archivePath + ": " + std::strerror(errno);
    return false;
  }
  if (::renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, archivePath.c_str(), RENAME_NOREPLACE) !=
      0) {
    if (errno != EINVAL && errno != ENOSYS) {
      error = archivePath + ": " + std::strerror(errno);
      return false;
    }
    // A file system without the flag: a hard link never replaces either.
    if (::link(temporary.c_str(), archivePath.c_str()) != 0) {
      error = archivePath + ": " + std::strerror(errno);
      return false;
    }
    ::unlink(temporary.c_str());
  }
  SyncFile(ExcludeTrailingPathDelimiter(ExtractFilePath(archivePath)), O_RDONLY | O_DIRECTORY);
  return true;
}

bool ExtensionIsPacked(const std::string& name) {
  static constexpr std::array<const char*, 38> kPacked = {
      ".zip",  ".rar", ".7z",   ".gz",   ".tgz",  ".bz2",  ".xz",  ".zst", ".lz",   ".lzma",
      ".cab",  ".jpg", ".jpeg", ".png",  ".gif",  ".webp", ".mp3", ".ogg", ".opus", ".flac",
      ".aac",  ".m4a", ".mp4",  ".m4v",  ".mkv",  ".avi",  ".mov", ".wmv", ".webm", ".mpg",
      ".mpeg", ".iso", ".docx", ".xlsx", ".pptx", ".jar",  ".apk", ".deb"};
  const std::string extension = LowerCaseASCII(ExtractFileExt(name));
  if (extension.size() == 4 && extension[1] == 'r' &&
      std::isdigit(static_cast<unsigned char>(extension[2])) &&
      std::isdigit(static_cast<unsigned char>(extension[3])))
    return true;  // the volumes of a split RAR: .r00, .r01, ...
  for (const char* packed : kPacked)
    if (extension == packed) return true;
  return false;
}

}  // namespace

bool WorthDeflating(const std::string& name, const unsigned char* sample, std::size_t size) {
  if (ExtensionIsPacked(name)) return false;
  if (size < 4096) return true;
  // Packed or encrypted data uses every byte value about equally; deflate then
  // spends its time for nothing. Text and most raw data stay far below 7.5 bits.
  std::array<std::size_t, 256> counts{};
  for (std::size_t i = 0; i < size; ++i) ++counts[sample[i]];
  double entropy = 0;
  for (std::size_t count : counts) {
    if (count == 0) continue;
    const double p = static_cast<double>(count) / static_cast<double>(size);
    entropy -= p * std::log2(p);
  }
  return entropy < 7.5;
}

TZipOutcome CreateZipArchive(const std::string& root, const std::vector<std::string>& names,
                             const std::string& archivePath, const TZipFileEvent& onFile,
                             const std::atomic<bool>* cancel) {
  TZipOutcome outcome;
  TEntryResolver resolver;
  if (!resolver.ConfineTo(root, outcome.Error)) return outcome;

  const std::string folder = IncludeTrailingPathDelimiter(root);
  std::string temporary = ReserveTemporaryName(archivePath, outcome.Error);
  if (temporary.empty()) return outcome;

  int code = 0;
  TZipHandle archive(zip_open(temporary.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code));
  if (!archive) {
    ::unlink(temporary.c_str());
    outcome.Error = archivePath + ": " + ZipErrorText(code);
    return outcome;
  }
  if (cancel)
    zip_register_cancel_callback_with_state(archive.get(), CancelCallback, nullptr,
                                            const_cast<std::atomic<bool>*>(cancel));

  std::vector<unsigned char> sample(kSampleSize);
  for (const std::string& name : names) {
    auto source = std::make_unique<TFileSource>();
    source->Resolver = &resolver;
    source->Path = folder + name;
    source->Name = name;
    source->OnFile = &onFile;
    source->Cancel = cancel;
    zip_error_init(&source->Error);

    TFileDescriptor file = OpenBeneath(resolver, source->Path, outcome.Error);
    struct stat status {};
    if (!file.Valid() || ::fstat(file.Get(), &status) != 0 || !S_ISREG(status.st_mode)) {
      if (outcome.Error.empty()) outcome.Error = source->Path + ": not a regular file";
      ::unlink(temporary.c_str());
      return outcome;
    }
    source->Size = static_cast<std::uint64_t>(status.st_size);
    source->MTime = status.st_mtime;
    const ssize_t sampled = ::pread(file.Get(), sample.data(), sample.size(), 0);
    const bool deflate =
        WorthDeflating(name, sample.data(), sampled > 0 ? static_cast<std::size_t>(sampled) : 0);

    TFileSource* state = source.release();
    zip_source_t* zipSource = zip_source_function(archive.get(), FileSourceCallback, state);
    if (!zipSource) {
      zip_error_fini(&state->Error);
      delete state;
      outcome.Error = archivePath + ": " + zip_strerror(archive.get());
      ::unlink(temporary.c_str());
      return outcome;
    }
    const zip_int64_t index =
        zip_file_add(archive.get(), name.c_str(), zipSource, ZIP_FL_ENC_GUESS);
    if (index < 0) {
      zip_source_free(zipSource);
      outcome.Error = archivePath + " (" + name + "): " + zip_strerror(archive.get());
      ::unlink(temporary.c_str());
      return outcome;
    }
    zip_set_file_compression(archive.get(), static_cast<zip_uint64_t>(index),
                             deflate ? ZIP_CM_DEFLATE : ZIP_CM_STORE, deflate ? 1 : 0);
  }

  if (zip_close(archive.get()) != 0) {
    outcome.Cancelled = IsCancelled(cancel);
    outcome.Error = archivePath + ": " + zip_strerror(archive.get());
    ::unlink(temporary.c_str());
    return outcome;  // the handle discards what was written
  }
  archive.release();
  if (IsCancelled(cancel)) {
    outcome.Cancelled = true;
    ::unlink(temporary.c_str());
    return outcome;
  }
  if (!PublishArchive(temporary, archivePath, outcome.Error)) {
    ::unlink(temporary.c_str());
    return outcome;
  }
  outcome.Ok = true;
  return outcome;
}

std::int64_t ZipEntryCount(const std::string& archivePath) {
  int code = 0;
  TZipHandle archive(zip_open(archivePath.c_str(), ZIP_RDONLY, &code));
  if (!archive) return -1;
  return zip_get_num_entries(archive.get(), 0);
}

TZipOutcome TestZipArchive(const std::string& archivePath, const TZipFileEvent& onFile,
                           const std::atomic<bool>* cancel) {
  TZipOutcome outcome;
  int code = 0;
  TZipHandle archive(zip_open(archivePath.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &code));
  if (!archive) {
    outcome.Error = archivePath + ": " + ZipErrorText(code);
    return outcome;
  }
  std::vector<char> buffer(kReadBlock);
  const zip_int64_t count = zip_get_num_entries(archive.get(), 0);
  for (zip_int64_t i = 0; i < count; ++i) {
    const auto index = static_cast<zip_uint64_t>(i);
    zip_stat_t stat;
    if (zip_stat_index(archive.get(), index, 0, &stat) != 0) {
      outcome.Error = archivePath + ": " + zip_strerror(archive.get());
      return outcome;
    }
    const std::string name = stat.name ? stat.name : "";
    if (onFile) onFile(name);
    zip_file_t* entry = zip_fopen_index(archive.get(), index, 0);
    if (!entry) {
      outcome.Error = archivePath + " (" + name + "): " + zip_strerror(archive.get());
      return outcome;
    }
    // libzip checks the CRC-32 of the data once the entry has been read to its end.
    std::uint64_t total = 0;
    zip_int64_t n;
    while ((n = zip_fread(entry, buffer.data(), buffer.size())) > 0) {
      total += static_cast<std::uint64_t>(n);
      if (IsCancelled(cancel)) {
        zip_fclose(entry);
        outcome.Cancelled = true;
        outcome.Error = archivePath + ": cancelled";
        return outcome;
      }
    }
    const std::string readError = n < 0 ? zip_file_strerror(entry) : "";
    const int closeError = zip_fclose(entry);
    if (n < 0 || closeError != 0 || ((stat.valid & ZIP_STAT_SIZE) && total != stat.size)) {
      outcome.Error = archivePath + " (" + name + "): " +
                      (!readError.empty() ? readError
                       : closeError       ? ZipErrorText(closeError)
                                          : std::string("wrong size"));
      return outcome;
    }
  }
  outcome.Ok = true;
  return outcome;
}
