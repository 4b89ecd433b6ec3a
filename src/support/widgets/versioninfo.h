#pragma once

#include "support/versiondata.h"

#include <QObject>

#include <string>

// The program's version, placed on a window: created with a window as its
// owner it titles that window "Checkwell 1.2.0" (plus the build kind), and it
// opens the About box with the owner as parent.
class TVersionInfo : public QObject {
  Q_OBJECT

 public:
  explicit TVersionInfo(QObject* owner = nullptr, TVersionData data = CurrentVersionData());

  const TVersionData& Data() const { return data_; }
  int Major() const { return data_.Major; }
  int Minor() const { return data_.Minor; }
  int Release() const { return data_.Release; }
  int Build() const { return data_.Build; }
  const std::string& FileVersion() const { return data_.FileVersion; }
  const std::string& CompanyName() const { return data_.CompanyName; }
  const std::string& FileDescription() const { return data_.FileDescription; }
  const std::string& InternalName() const { return data_.InternalName; }
  const std::string& LegalCopyright() const { return data_.LegalCopyright; }
  const std::string& OriginalFileName() const { return data_.OriginalFileName; }
  const std::string& ProductName() const { return data_.ProductName; }
  const std::string& ProductVersion() const { return data_.ProductVersion; }
  bool DebugBuild() const { return data_.DebugBuild; }
  bool PreRelease() const { return data_.PreRelease; }
  bool PrivateBuild() const { return data_.PrivateBuild; }
  bool SpecialBuild() const { return data_.SpecialBuild; }

  // Shown by the About box on the tenth double-click of its icon; "~" breaks lines.
  const std::string& AboutBoxHiddenMessage() const { return hiddenMessage_; }
  void SetAboutBoxHiddenMessage(const std::string& message) { hiddenMessage_ = message; }

  void ShowAboutBox() const;

 private:
  TVersionData data_;
  std::string hiddenMessage_;
};
