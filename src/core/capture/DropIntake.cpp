#include "capture/DropIntake.h"

#include "capture/DirectSave.h"
#include "capture/DropTexts.h"
#include "capture/FolderWriteWatch.h"
#include "capture/SourceNote.h"
#include "files/PrivateFolder.h"
#include "text/PathText.h"

#include <QByteArrayView>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>

#include <algorithm>

namespace kelvo {
namespace {

constexpr auto kOriginalBytes = "application/octet-stream";
// The folders NewDropFolder makes, and the same as a name filter.
constexpr char kDropFolderTemplate[] = "drop-XXXXXX";
constexpr char kDropFolderPattern[] = "drop-??????";
constexpr auto kPromisedName = "application/x-moz-file-promise-dest-filename";
// Leaves room for a clash suffix within the usual 255-byte limit of a name.
constexpr qsizetype kMaxNameBytes = 200;
constexpr qsizetype kMaxExtensionLength = 10;

struct PixelFormat {
    const char* mimeType;
    const char* extension;
};

// Pixels a browser re-encoded, best first.
constexpr PixelFormat kPixelFormats[] = {{"image/png", ".png"},
                                         {"image/jpeg", ".jpg"},
                                         {"image/gif", ".gif"},
                                         {"image/webp", ".webp"},
                                         {"image/bmp", ".bmp"}};

struct StagedImage {
    QString name;
    QByteArray bytes;
    bool original = false; // the image's own bytes, not re-encoded pixels
};

QString SuggestedName(const QMimeData& mime, const QUrl& address) {
    const QString promised = BrowserText(DropData(mime, kPromisedName));
    return promised.isEmpty() ? address.path(QUrl::FullyEncoded) : promised;
}

QList<DroppedFile> LocalFiles(const QMimeData& mime) {
    QList<DroppedFile> files;
    for (const QUrl& url : mime.urls()) {
        if (url.isLocalFile() && !url.toLocalFile().isEmpty())
            files.append({url.toLocalFile(), QString()});
    }
    return files;
}

QString LastSegment(const QString& path) {
    return path.mid(std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\')) + 1);
}

QString WithoutQuery(const QString& address) {
    qsizetype end = address.size();
    for (const QChar mark : {u'?', u'#'}) {
        const qsizetype at = address.indexOf(mark);
        if (at >= 0)
            end = std::min(end, at);
    }
    return address.left(end);
}

// Dots in front would hide the file; dots and spaces at the end would leave a
// name whose extension nobody sees.
QString TrimmedOfDots(const QString& name) {
    const auto trim = [](QChar c) { return c == u'.' || c.isSpace(); };
    qsizetype first = 0;
    qsizetype end = name.size();
    while (first < end && trim(name[first]))
        ++first;
    while (end > first && trim(name[end - 1]))
        --end;
    return name.mid(first, end - first);
}

// The segment is taken again after decoding: an encoded separator is no
// folder either.
QString CleanName(const QString& suggestedName) {
    const QString encoded = LastSegment(WithoutQuery(suggestedName));
    QString name = LastSegment(QUrl::fromPercentEncoding(encoded.toUtf8()));
    name.removeIf(IsControlCharacter);
    name = TrimmedOfDots(name);
    return name.isEmpty() ? QStringLiteral("image") : name;
}

QString ExtensionOf(const QString& name) {
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot <= 0)
        return {};
    const QStringView letters = QStringView(name).mid(dot + 1);
    const bool plausible = !letters.isEmpty() && letters.size() <= kMaxExtensionLength &&
                           std::all_of(letters.begin(), letters.end(), [](QChar c) {
                               return c.unicode() < 0x80 && c.isLetterOrNumber();
                           });
    return plausible ? name.mid(dot) : QString();
}

// Whether the address's name ends in the extension the content has.
bool NameSaysContent(const QUrl& address, const QByteArray& content) {
    const QString contentExtension = ExtensionForContent(content);
    const QString extension = ExtensionOf(LastSegment(address.path())).toLower();
    return !contentExtension.isEmpty() && (extension == contentExtension ||
                                           (contentExtension == u".jpg" && extension == u".jpeg"));
}

// The picture's address among the drop's. Chromium lists the link around a
// linked image first: the note, where there is one, knows which is the
// picture; else the first whose name says what the original bytes are.
QUrl ImageAddress(const QStringList& addresses, const DropNote& note, const QByteArray& original) {
    const QUrl noted(note.imageAddress);
    if (IsWebAddress(noted))
        return noted;
    QList<QUrl> web;
    for (const QString& address : addresses) {
        const QUrl url(address);
        if (IsWebAddress(url))
            web << url;
    }
    const auto named = std::find_if(
        web.begin(), web.end(), [&](const QUrl& url) { return NameSaysContent(url, original); });
    if (named != web.end())
        return *named;
    return web.isEmpty() ? QUrl() : web.first();
}

qsizetype Utf8Size(QStringView text) {
    return text.toUtf8().size();
}

// Cuts between characters, never inside a surrogate pair.
QString LeadingBytes(const QString& text, qsizetype budget) {
    qsizetype end = 0;
    while (end < text.size()) {
        const bool pair =
            text[end].isHighSurrogate() && end + 1 < text.size() && text[end + 1].isLowSurrogate();
        const qsizetype units = pair ? 2 : 1;
        const qsizetype bytes = Utf8Size(QStringView(text).mid(end, units));
        if (bytes > budget)
            break;
        budget -= bytes;
        end += units;
    }
    return text.left(end);
}

QString LimitedLength(const QString& name) {
    const QString extension = ExtensionOf(name);
    const QString base = name.chopped(extension.size());
    return LeadingBytes(base, kMaxNameBytes - Utf8Size(extension)) + extension;
}

// Re-encoded pixels: the extension follows the content, not the original name.
QString StagedFileNameAs(const QString& suggestedName, const QString& extension) {
    const QString name = CleanName(suggestedName);
    return LimitedLength(name.chopped(ExtensionOf(name).size()) + extension);
}

StagedImage ImageToStage(const QMimeData& mime, const QString& suggestedName) {
    const QByteArray original = DropData(mime, kOriginalBytes);
    if (!original.isEmpty())
        return {StagedFileName(suggestedName, original), original, true};
    for (const PixelFormat& format : kPixelFormats) {
        const QByteArray pixels = DropData(mime, format.mimeType);
        if (pixels.isEmpty())
            continue;
        const QString fromContent = ExtensionForContent(pixels);
        const QString extension =
            fromContent.isEmpty() ? QString::fromLatin1(format.extension) : fromContent;
        return {StagedFileNameAs(suggestedName, extension), pixels, false};
    }
    return {};
}

// The staging folder, and the folders above it, when they are missing; a new
// one is private, one there already is used as it is.
bool MakeStagingFolder(const QString& path) {
    const QString parent = QFileInfo(QDir::cleanPath(path)).path();
    return QDir().mkpath(parent) && MakePrivateFolder(LocalPath(path)) != MadeFolder::Missing;
}

// QTemporaryDir makes the folder with mode 0700 and removes it with its files.
std::shared_ptr<QTemporaryDir> NewDropFolder(const QString& stagingFolder) {
    if (!MakeStagingFolder(stagingFolder))
        return nullptr;
    auto folder = std::make_shared<QTemporaryDir>(
        QDir(stagingFolder).filePath(QString::fromLatin1(kDropFolderTemplate)));
    return folder->isValid() ? folder : nullptr;
}

bool WriteNewFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly) || file.write(bytes) != bytes.size())
        return false;
    file.close();
    return file.error() == QFileDevice::NoError;
}

} // namespace

DropIntake::DropIntake(QString stagingFolder, DirectSave* directSave,
                       std::chrono::milliseconds directSaveLimit)
    : stagingFolder_(std::move(stagingFolder)), directSave_(directSave),
      directSaveLimit_(directSaveLimit) {}

bool DropIntake::CanTake(const QMimeData& mime) {
    if (mime.hasUrls() || mime.hasFormat(QString::fromLatin1(kOriginalBytes)))
        return true;
    return std::any_of(
        std::begin(kPixelFormats), std::end(kPixelFormats),
        [&](const PixelFormat& f) { return mime.hasFormat(QString::fromLatin1(f.mimeType)); });
}

DropPayload DropIntake::Take(const QMimeData& mime) const {
    DropPayload payload;
    payload.files = LocalFiles(mime);
    if (!payload.files.isEmpty())
        return payload;
    const QStringList imageAddresses = DropImageAddresses(mime);
    const DropNote note = ReadDropNote(mime, imageAddresses);
    const QUrl address = ImageAddress(imageAddresses, note, DropData(mime, kOriginalBytes));
    const QString suggestedName = SuggestedName(mime, address);
    const StagedImage image = ImageToStage(mime, suggestedName);
    // Chromium offers X Direct Save too, but its data already holds the original.
    const bool direct = !image.original && directSave_ && directSave_->Offered(mime);
    if (image.bytes.isEmpty() && !direct)
        return payload;
    std::shared_ptr<QTemporaryDir> folder = NewDropFolder(stagingFolder_);
    if (!folder)
        return payload;
    DroppedFile file;
    file.imageAddress = address.toString(QUrl::FullyEncoded);
    file.note = note.state;
    file.pageAddress = note.pageAddress;
    file.frameAddress = note.frameAddress;
    const QString path = folder->filePath(image.name);
    if (!image.bytes.isEmpty() && WriteNewFile(path, image.bytes))
        file.path = path;
    if (direct)
        file.awaitWritten = RequestDirectSave(mime, folder->path(), suggestedName);
    if (file.path.isEmpty() && !file.awaitWritten)
        return payload;
    payload.files.append(file);
    payload.staging = std::move(folder);
    return payload;
}

void DropIntake::RemoveLeftovers() const {
    const QDir staging(stagingFolder_);
    const QStringList pattern{QString::fromLatin1(kDropFolderPattern)};
    for (const QString& name : staging.entryList(pattern, QDir::Dirs | QDir::Hidden))
        QDir(staging.filePath(name)).removeRecursively();
}

// The source writes into a folder of its own, so its file cannot meet the
// staged pixels, and whatever name it settles on is found.
std::function<QString()> DropIntake::RequestDirectSave(const QMimeData& mime,
                                                       const QString& dropFolder,
                                                       const QString& suggestedName) const {
    const QString folder = QDir(dropFolder).filePath(QStringLiteral("direct"));
    if (!QDir().mkdir(folder))
        return {};
    auto watch = std::make_shared<FolderWriteWatch>(folder);
    if (!watch->IsWatching())
        return {};
    const QString offered = directSave_->SuggestedName(mime);
    const QString name = StagedFileName(offered.isEmpty() ? suggestedName : offered, {});
    if (!directSave_->Request(mime, QDir(folder).filePath(name)))
        return {};
    return [watch, limit = directSaveLimit_] { return watch->AwaitWrittenFile(limit); };
}

StagedBytes StageBytes(const QString& stagingFolder, const QString& suggestedName,
                       const QByteArray& bytes) {
    std::shared_ptr<QTemporaryDir> folder = NewDropFolder(stagingFolder);
    if (!folder)
        return {};
    const QString path = folder->filePath(StagedFileName(suggestedName, bytes));
    if (!WriteNewFile(path, bytes))
        return {};
    return {path, std::move(folder)};
}

QString StagedFileName(const QString& suggestedName, const QByteArray& content) {
    QString name = CleanName(suggestedName);
    if (ExtensionOf(name).isEmpty())
        name += ExtensionForContent(content);
    return LimitedLength(name);
}

namespace {

// An ISO media file (ftyp box first) whose brands, major or compatible, name
// an AVIF picture or sequence. HEIF photos share the box but not the brands.
bool IsAvif(const QByteArray& content) {
    if (content.size() < 16 || content.mid(4, 4) != "ftyp")
        return false;
    const quint32 boxSize = quint32(quint8(content[0])) << 24 | quint32(quint8(content[1])) << 16 |
                            quint32(quint8(content[2])) << 8 | quint32(quint8(content[3]));
    const auto isAvifBrand = [&](qsizetype at) {
        const QByteArray brand = content.mid(at, 4);
        return brand == "avif" || brand == "avis";
    };
    if (isAvifBrand(8)) // the major brand; a minor version follows it
        return true;
    const qsizetype end = std::min<qsizetype>(content.size(), boxSize);
    for (qsizetype at = 16; at + 4 <= end; at += 4) {
        if (isAvifBrand(at))
            return true;
    }
    return false;
}

} // namespace

QString ExtensionForContent(const QByteArray& content) {
    if (content.startsWith(QByteArrayView("\xFF\xD8\xFF", 3)))
        return QStringLiteral(".jpg");
    if (content.startsWith(QByteArrayView("\x89PNG\r\n\x1A\n", 8)))
        return QStringLiteral(".png");
    if (content.startsWith("GIF87a") || content.startsWith("GIF89a"))
        return QStringLiteral(".gif");
    if (content.startsWith("RIFF") && content.mid(8, 4) == "WEBP")
        return QStringLiteral(".webp");
    if (content.startsWith("BM"))
        return QStringLiteral(".bmp");
    if (content.startsWith(QByteArrayView("\0\0\1\0", 4)))
        return QStringLiteral(".ico");
    if (IsAvif(content))
        return QStringLiteral(".avif");
    return {};
}

} // namespace kelvo
