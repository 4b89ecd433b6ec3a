#pragma once

// The one owner of an operating-system descriptor (a file, a folder or a
// socket): it is closed exactly once, when its owner goes or is told to close
// it, and a move hands it on. A closed or empty owner holds -1.
class TFileDescriptor {
 public:
  TFileDescriptor() noexcept = default;
  explicit TFileDescriptor(int fd) noexcept : fd_(fd) {}
  ~TFileDescriptor() { Reset(); }
  TFileDescriptor(TFileDescriptor&& other) noexcept : fd_(other.Release()) {}
  TFileDescriptor& operator=(TFileDescriptor&& other) noexcept;
  TFileDescriptor(const TFileDescriptor&) = delete;
  TFileDescriptor& operator=(const TFileDescriptor&) = delete;

  int Get() const noexcept { return fd_; }
  bool Valid() const noexcept { return fd_ >= 0; }

  // Gives the descriptor up without closing it; the owner is then empty.
  [[nodiscard]] int Release() noexcept;
  // Closes what is held and takes fd. A failing close is not reported and
  // leaves errno alone, so cleanup never hides the error a caller is about to read.
  void Reset(int fd = -1) noexcept;
  // Closes now: 0, or the errno of a failed close. That is where some file
  // systems first tell that written data did not reach the disk, so writers
  // call this rather than leave it to the destructor. The descriptor is gone
  // either way (Linux releases it even when close fails); it is never retried.
  [[nodiscard]] int Close() noexcept;

 private:
  int fd_ = -1;
};
