#pragma once

#include "capture/DropPayload.h"

#include <chrono>

class QMimeData;

namespace kelvo {

class DirectSave;

// Turns what a drop carries into files to capture: local file URLs as they
// are; image bytes from a browser staged as a file in a private folder under
// the image's name; where the drag source offers to write the file itself
// (directSave), the file it writes, with the staged pixels to fall back on.
class DropIntake {
public:
    // How long a capture waits for a file the browser writes itself.
    static constexpr std::chrono::milliseconds kDirectSaveLimit{5000};

    // stagingFolder: where staged files go, each drop in a folder of its own.
    // directSave: none where the window system has no such protocol.
    explicit DropIntake(QString stagingFolder, DirectSave* directSave = nullptr,
                        std::chrono::milliseconds directSaveLimit = kDirectSaveLimit);

    // Whether the drop is worth accepting at all (files or image data).
    static bool CanTake(const QMimeData& mime);
    // Empty files when the drop carries neither a file nor image data.
    DropPayload Take(const QMimeData& mime) const;
    // Removes the drop folders a killed run left in the staging folder. Only
    // for the process that holds the home's lock, before its first drop.
    void RemoveLeftovers() const;

private:
    std::function<QString()> RequestDirectSave(const QMimeData& mime, const QString& dropFolder,
                                               const QString& suggestedName) const;

    QString stagingFolder_;
    DirectSave* directSave_;
    std::chrono::milliseconds directSaveLimit_;
};

// Image bytes that came without a file (from a browser's menu), staged as a
// file named for them, as a drop's are, in a folder of its own that goes with
// the last copy of `holder`. An empty path when it cannot be written.
struct StagedBytes {
    QString path;
    std::shared_ptr<void> holder;
};
StagedBytes StageBytes(const QString& stagingFolder, const QString& suggestedName,
                       const QByteArray& bytes);

// The name a staged image gets: the promised or address name, percent-decoded,
// with query, folder parts, "..", control characters and separators removed,
// at most 200 UTF-8 bytes, and an extension from the content when it has none.
QString StagedFileName(const QString& suggestedName, const QByteArray& content);

// .jpg .png .gif .bmp .webp .ico .avif by the content's first bytes; empty
// when unknown.
QString ExtensionForContent(const QByteArray& content);

} // namespace kelvo
