#pragma once

#include "common/temp_tree.h"

#include <optional>
#include <string>

// Sets an environment variable (or removes it, for nullopt) for the life of the
// object and then puts the old value back, whatever the test did in between.
class TScopedEnvironment {
 public:
  TScopedEnvironment(const char* name, const std::optional<std::string>& value);
  ~TScopedEnvironment();
  TScopedEnvironment(const TScopedEnvironment&) = delete;
  TScopedEnvironment& operator=(const TScopedEnvironment&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};

// Points HOME and XDG_DATA_HOME into a temporary folder, so that the desktop trash
// a test fills is its own and the user's is never touched.
class TPrivateTrash {
 public:
  explicit TPrivateTrash(const TTempTree& home);
  // True when the trash holds a file or folder of that name.
  bool Holds(const std::string& name) const;

 private:
  TScopedEnvironment home_, data_;
  std::string files_;
};
