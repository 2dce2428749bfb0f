#include "handover/HandOver.h"
#include "files/PrivateFolder.h"
#include "session/HomeFiles.h"
#include "text/PathText.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>

#include <sys/socket.h>
#include <unistd.h>

namespace kelvo {
namespace {

constexpr char kCapture[] = "CAPTURE";

QByteArray Field(const QString& text) {
    return text.toUtf8().toPercentEncoding("/");
}

QString Unfield(const QByteArray& field) {
    return QString::fromUtf8(QByteArray::fromPercentEncoding(field));
}

QByteArray KindWord(HandedOutcome::Kind kind) {
    switch (kind) {
    case HandedOutcome::Kind::Saved:
        return "SAVED";
    case HandedOutcome::Kind::Skipped:
        return "SKIPPED";
    case HandedOutcome::Kind::Failed:
        break;
    }
    return "FAILED";
}

// $XDG_RUNTIME_DIR when it is what the standard promises, else the home's own.
QString RuntimeFolder(const QString& homeFolder) {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && IsPrivateFolder(LocalPath(runtime)))
        return QDir(runtime).filePath(QStringLiteral("kelvo")) + u'/';
    return RunFolderPath(homeFolder);
}

} // namespace

DroppedFile DroppedFileOf(const HandedFile& file) {
    DroppedFile dropped{file.path, file.imageAddress};
    dropped.pageAddress = file.pageAddress;
    return dropped;
}

HandedOutcome HandedOutcomeOf(const DroppedFile& file, const CaptureOutcome& outcome) {
    using Kind = HandedOutcome::Kind;
    const bool saved = outcome.kind == CaptureOutcome::Kind::Saved;
    const Kind kind = !outcome.Complete() ? Kind::Failed : saved ? Kind::Saved : Kind::Skipped;
    return {kind, saved ? outcome.savedPath : file.path, outcome.Summary()};
}

QString InstanceSocketPath(const QString& homeFolder) {
    const QString canonical = QFileInfo(homeFolder).canonicalFilePath();
    const QString home = canonical.isEmpty() ? homeFolder : canonical + u'/';
    const QByteArray hash =
        QCryptographicHash::hash(home.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    return RuntimeFolder(home) + QStringLiteral("kelvo-") + QString::fromLatin1(hash);
}

bool IsOwnUser(int socketDescriptor) {
    ucred peer{};
    socklen_t size = sizeof peer;
    return socketDescriptor >= 0 &&
           ::getsockopt(socketDescriptor, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 &&
           peer.uid == ::getuid();
}

namespace handover {

QByteArray RequestBytes(const HandedCapture& capture) {
    QByteArray request = kCapture;
    if (!capture.destination.isEmpty())
        request += '\t' + Field(capture.destination);
    request += '\n';
    for (const HandedFile& file : capture.files)
        request += Field(file.path) + '\t' + Field(file.pageAddress) + '\t' +
                   Field(file.imageAddress) + '\n';
    return request + '\n';
}

std::optional<HandedCapture> CompleteRequest(const QByteArray& received) {
    if (!received.endsWith("\n\n"))
        return std::nullopt;
    QList<QByteArray> lines = received.split('\n');
    const QList<QByteArray> head = lines.takeFirst().split('\t');
    HandedCapture capture;
    if (head.value(0) != kCapture)
        return capture;
    capture.destination = Unfield(head.value(1));
    for (const QByteArray& line : lines) {
        if (line.isEmpty())
            continue;
        const QList<QByteArray> fields = line.split('\t');
        capture.files.append(
            {Unfield(fields.value(0)), Unfield(fields.value(1)), Unfield(fields.value(2))});
    }
    return capture;
}

QByteArray OutcomeLine(const HandedOutcome& outcome) {
    return KindWord(outcome.kind) + '\t' + Field(outcome.path) + '\t' + Field(outcome.text) + '\n';
}

std::optional<HandedOutcome> ParseOutcomeLine(const QByteArray& line) {
    const QList<QByteArray> fields = line.split('\t');
    if (fields.size() != 3)
        return std::nullopt;
    HandedOutcome outcome;
    if (fields[0] == "SAVED")
        outcome.kind = HandedOutcome::Kind::Saved;
    else if (fields[0] == "SKIPPED")
        outcome.kind = HandedOutcome::Kind::Skipped;
    outcome.path = Unfield(fields[1]);
    outcome.text = Unfield(fields[2]);
    return outcome;
}

} // namespace handover
} // namespace kelvo
