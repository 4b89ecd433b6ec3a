#include "common/temp_tree.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <stdexcept>

TTempTree::TTempTree() {
  if (!dir_.isValid()) throw std::runtime_error("cannot create a temporary folder");
}

std::string TTempTree::Path() const {
  return QFile::encodeName(dir_.path()).toStdString() + "/";
}

std::string TTempTree::File(const std::string& relative) const {
  return Path() + relative;
}

std::string TTempTree::Write(const std::string& relative, const std::string& bytes) const {
  const std::string path = File(relative);
  const QString name = QFile::decodeName(QByteArray::fromStdString(path));
  QDir().mkpath(QFileInfo(name).path());
  QFile f(name);
  if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
      f.write(bytes.data(), static_cast<qint64>(bytes.size())) !=
          static_cast<qint64>(bytes.size())) {
    throw std::runtime_error("cannot write " + path);
  }
  return path;
}

std::string TTempTree::Read(const std::string& relative) const {
  QFile f(QFile::decodeName(QByteArray::fromStdString(File(relative))));
  if (!f.open(QIODevice::ReadOnly)) throw std::runtime_error("cannot read " + relative);
  return f.readAll().toStdString();
}

bool TTempTree::Exists(const std::string& relative) const {
  return QFileInfo::exists(QFile::decodeName(QByteArray::fromStdString(File(relative))));
}

std::string TTempTree::MakeDir(const std::string& relative) const {
  const std::string path = File(relative);
  QDir().mkpath(QFile::decodeName(QByteArray::fromStdString(path)));
  return path.back() == '/' ? path : path + "/";
}
