// Builds a drop's mime data from arbitrary bytes and takes it in as a drop
// would be: staged files lie in their own folder under a safe name and hold
// the bytes that came, and they are gone once the drop is done with.
//
// Input: records of one format byte, a 16-bit little-endian length and that
// many bytes. The format byte picks one of the formats browsers and file
// managers give; past the list, the record names its own format (its first
// byte is the length of the name).

#include "Checks.h"
#include "capture/DropIntake.h"
#include "support/Files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kelvo::fuzz {
namespace {

const char* const kFormats[] = {"text/uri-list",
                                "application/octet-stream",
                                "application/x-moz-file-promise-url",
                                "application/x-moz-file-promise-dest-filename",
                                "text/html",
                                "text/plain",
                                "image/png",
                                "image/jpeg",
                                "image/gif",
                                "image/webp",
                                "image/bmp",
                                "chromium/x-renderer-taint",
                                "application/x-kelvo-source",
                                "chromium/x-web-custom-data"};
constexpr size_t kFormatCount = sizeof(kFormats) / sizeof(kFormats[0]);

void FillMime(std::string_view input, QMimeData& mime) {
    while (input.size() >= 3) {
        const auto kind = static_cast<unsigned char>(input[0]);
        const size_t length = static_cast<unsigned char>(input[1]) |
                              (static_cast<size_t>(static_cast<unsigned char>(input[2])) << 8);
        input.remove_prefix(3);
        std::string_view bytes = input.substr(0, length);
        input.remove_prefix(bytes.size());
        QString format;
        if (kind < kFormatCount) {
            format = QString::fromLatin1(kFormats[kind]);
        } else if (!bytes.empty()) {
            const size_t nameLength = static_cast<unsigned char>(bytes[0]) % 40;
            format = QString::fromLatin1(bytes.substr(1, nameLength));
            bytes.remove_prefix(std::min(bytes.size(), 1 + nameLength));
        }
        mime.setData(format, QByteArray(bytes.data(), qsizetype(bytes.size())));
    }
}

bool IsSafeName(const QString& name) {
    return !name.isEmpty() && !name.startsWith(u'.') && !name.contains(u'/') &&
           !name.contains(QChar(0)) && name.toUtf8().size() <= 200;
}

// The bytes of one of the drop's formats, unchanged.
bool HoldsBytesOfTheDrop(const QString& path, const QMimeData& mime) {
    const std::optional<QByteArray> content = testing::ReadFile(path);
    if (!content)
        return false;
    const QStringList formats = mime.formats();
    return std::any_of(formats.begin(), formats.end(),
                       [&](const QString& format) { return mime.data(format) == *content; });
}

// The page a note gives is on the web, and only a browser's drop has one.
void CheckNotedPage(const DroppedFile& file) {
    for (const QString& address : {file.pageAddress, file.frameAddress}) {
        if (address.isEmpty())
            continue;
        const QUrl url(address);
        Require(url.scheme() == u"http" || url.scheme() == u"https", "a noted page off the web");
        Require(file.note == NoteState::Taken, "a noted page from a note not taken");
    }
}

void CheckStagedFile(const DroppedFile& file, const QString& staging, const QMimeData& mime) {
    const QFileInfo info(file.path);
    // Staged as <staging>/drop-XXXXXX/<name>.
    Require(QFileInfo(info.path()).path() == staging, "staged outside the staging folder");
    Require(IsSafeName(info.fileName()), "staged under an unsafe name");
    Require(HoldsBytesOfTheDrop(file.path, mime), "staged file missing or changed");
}

void CheckDrop(std::string_view input, const QString& staging) {
    QMimeData mime;
    FillMime(input, mime);
    const bool canTake = DropIntake::CanTake(mime);
    DropIntake intake(staging);
    {
        const DropPayload payload = intake.Take(mime);
        Require(payload.files.isEmpty() || canTake, "took a drop it said it could not take");
        for (const DroppedFile& file : payload.files) {
            CheckNotedPage(file);
            if (payload.staging)
                CheckStagedFile(file, staging, mime);
            else
                Require(!file.path.isEmpty(), "a dropped file without a path");
        }
    }
    Require(
        QDir(staging).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty(),
        "staged files left behind after the drop");
}

} // namespace
} // namespace kelvo::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir temp;
    static const QString staging = QDir::cleanPath(temp.path() + QStringLiteral("/staging"));
    kelvo::fuzz::CheckDrop(std::string_view(reinterpret_cast<const char*>(data), size), staging);
    return 0;
}
