#include "common/environment.h"

#include <QFileInfo>

#include <cstdlib>

TScopedEnvironment::TScopedEnvironment(const char* name, const std::optional<std::string>& value)
    : name_(name) {
  if (const char* old = std::getenv(name)) old_ = old;
  if (value) {
    ::setenv(name, value->c_str(), 1);
  } else {
    ::unsetenv(name);
  }
}

TScopedEnvironment::~TScopedEnvironment() {
  if (old_) {
    ::setenv(name_, old_->c_str(), 1);
  } else {
    ::unsetenv(name_);
  }
}

TPrivateTrash::TPrivateTrash(const TTempTree& home)
    : home_("HOME", home.Path()),
      data_("XDG_DATA_HOME", home.File(".local/share")),
      files_(home.File(".local/share/Trash/files/")) {}

bool TPrivateTrash::Holds(const std::string& name) const {
  return QFileInfo::exists(QString::fromStdString(files_ + name));
}
