#pragma once

#include <QTemporaryDir>

#include <string>

// A temporary folder that tests fill with files; removed with everything in it.
class TTempTree {
 public:
  TTempTree();
  // The folder, ending in "/".
  std::string Path() const;
  // Full path of a file below the folder (sub folders are created when written).
  std::string File(const std::string& relative) const;
  // Writes bytes to a file below the folder and returns its full path.
  std::string Write(const std::string& relative, const std::string& bytes) const;
  std::string Read(const std::string& relative) const;
  bool Exists(const std::string& relative) const;
  std::string MakeDir(const std::string& relative) const;

 private:
  QTemporaryDir dir_;
};
