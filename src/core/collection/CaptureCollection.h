#pragma once

#include <QDateTime>
#include <QString>

#include <optional>
#include <string>

namespace kelvo {

// An earlier capture, as its log row tells it.
struct EarlierCapture {
    QString savedPath;
    QString captureTime; // 2026/05/30 14:03:07
    QString identifier;  // the destination's 識別名
    QString sourceAddress;
};

// "似た画像を保存済み: 壁紙/photo.jpg (2026/05/30)": the earlier capture by
// its destination, file name and day.
QString SimilarPictureText(const EarlierCapture& earlier);

// A capture just saved and logged.
struct NewCapture {
    QString savedPath;
    QDateTime captureTime;
    std::string contentHash; // SHA-256, taken as the copy was made
    QString identifier;
    QString sourceAddress;

    // As a later capture of the same bytes is told of it.
    EarlierCapture AsEarlier() const;
};

// What a capture asks of the pictures captured before.
class CaptureCollection {
public:
    virtual ~CaptureCollection() = default;
    // The latest capture of exactly these bytes whose file is still there,
    // unchanged; nothing when there is none. Quick: asked before each copy is
    // named.
    virtual std::optional<EarlierCapture> SameContent(const std::string& contentHash) = 0;
    // Takes a capture in once its row is logged.
    virtual void Add(const NewCapture& capture) = 0;
};

// What to do with a picture whose bytes were captured before.
enum class SameContentRule { Ask, Save, Skip };

// The settings a capture follows, as they are at the moment of the capture.
struct CaptureChoices {
    SameContentRule sameContent = SameContentRule::Ask;
    // Whether saved copies carry their source addresses as file attributes.
    bool sourceAttributes = true;
};

} // namespace kelvo
