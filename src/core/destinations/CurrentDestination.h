#pragma once

#include "text/Wording.h"

#include <QString>

namespace kelvo {

class SettingsFile;

// The destination captures go to: an identifier and a folder ending in the
// path separator.
class CurrentDestination {
public:
    explicit CurrentDestination(QString homeFolder);

    // "DefSiki", "DefFolder" and "DefIndex" of section "Form".
    void ReadFrom(const SettingsFile& settings);

    const QString& CurrentIdentifier() const { return identifier_; }
    const QString& CurrentFolder() const { return folder_; }
    // Position in the destination list, from 0.
    int CurrentIndex() const { return index_; }
    void Set(const QString& identifier, const QString& folder);
    void SetIndex(int index) { index_ = index; }

    // The folder captures are saved in: CurrentFolder, or the home folder
    // while that is empty.
    QString CaptureFolder() const;

private:
    QString homeFolder_;
    QString identifier_;
    QString folder_;
    int index_ = 0;
};

// Why nothing can go to or be opened from a destination whose folder is gone:
// "保存先フォルダ <folder> が存在しません。", the folder without its trailing
// separator (the root keeps its own).
Wording MissingFolderText(const QString& folder);

} // namespace kelvo
