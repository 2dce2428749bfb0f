#include "browser/HostAnswers.h"

#include "bytes/Base64.h"
#include "capture/DropIntake.h"
#include "commands/LocalCapture.h"
#include "session/HomeFiles.h"
#include "session/InstanceLock.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>

namespace kelvo {
namespace {

// The picture travels as base64 in the request's "bytes" string: cut out of
// the message as it is, so that the JSON parser reads only the rest (base64
// holds no quote and no escape, and a key is a quote's only neighbour before
// a colon).
struct SplitRequest {
    QByteArray rest;
    std::string_view bytes;
};
SplitRequest SplitOffBytes(const QByteArray& message) {
    static const QByteArray key = QByteArrayLiteral("\"bytes\"");
    for (qsizetype at = message.indexOf(key); at >= 0; at = message.indexOf(key, at + 1)) {
        qsizetype value = at + key.size();
        while (value < message.size() && (message[value] == ' ' || message[value] == ':'))
            ++value;
        if (value >= message.size() || message[value] != '"' || (at > 0 && message[at - 1] == '\\'))
            continue;
        const qsizetype end = message.indexOf('"', value + 1);
        if (end < 0)
            break;
        return {message.left(value) + "\"\"" + message.mid(end + 1),
                std::string_view(message.constData() + value + 1, size_t(end - value - 1))};
    }
    return {message, {}};
}

QByteArray Json(const QJsonObject& object) {
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

QByteArray Failed(const QString& why) {
    return Json(
        {{QStringLiteral("outcome"), QStringLiteral("failed")}, {QStringLiteral("text"), why}});
}

QByteArray Answer(const HandedOutcome& outcome) {
    static const QString kKinds[] = {QStringLiteral("saved"), QStringLiteral("skipped"),
                                     QStringLiteral("failed")};
    return Json({{QStringLiteral("outcome"), kKinds[int(outcome.kind)]},
                 {QStringLiteral("path"), outcome.path},
                 {QStringLiteral("text"), outcome.text}});
}

QByteArray Destinations(const HostContext& context) {
    const StoredDestinations stored =
        ReadStoredDestinations(context.home, context.picturesDestination);
    QJsonArray destinations;
    for (int at = 0; at < stored.list.size(); ++at)
        destinations.append(QJsonObject{{QStringLiteral("name"), stored.list.at(at).identifier},
                                        {QStringLiteral("current"), at == stored.current}});
    return Json({{QStringLiteral("destinations"), destinations}});
}

// The name to stage the bytes under: the server's, else the address's when it
// names a file on the web (a data: or blob: address names none).
QString SuggestedName(const QJsonObject& request) {
    const QString name = request.value(QStringLiteral("name")).toString();
    if (!name.isEmpty())
        return name;
    const QString image = request.value(QStringLiteral("image")).toString();
    const QString scheme = QUrl(image).scheme();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https") ? image : QString();
}

// Without a window: captured here, a taken name numbered, since no one would
// see a question.
std::optional<HandedOutcome> CaptureHereNumbered(const DroppedFile& file,
                                                 const QString& destination,
                                                 const HostContext& context, QTextStream& err) {
    std::optional<HandedOutcome> told;
    CaptureHere(
        {context.home, context.picturesDestination, ClashChoice::AutoRename, destination, {file}},
        context.clock, err, [&told](const DroppedFile& dropped, const CaptureOutcome& outcome) {
            told = HandedOutcomeOf(dropped, outcome);
        });
    return told;
}

// The window reads the picture from a file: staged for it in the home.
std::optional<HandedOutcome> HandToWindow(const DroppedFile& file, const QString& destination,
                                          const HostContext& context, QString& problem) {
    const StagedBytes staged =
        StageBytes(StagingFolderPath(context.home), file.path,
                   QByteArray::fromRawData(file.bytes->data(), qsizetype(file.bytes->size())));
    if (staged.path.isEmpty()) {
        problem = QStringLiteral("%1 に画像を置けません。").arg(StagingFolderPath(context.home));
        return std::nullopt;
    }
    return context.handOver({destination, {{staged.path, file.pageAddress, file.imageAddress}}});
}

// The picture as a capture takes it: named as the server or its address
// names it, its bytes held in memory.
DroppedFile PictureOf(const QJsonObject& request, std::string decoded) {
    auto bytes = std::make_shared<const std::string>(std::move(decoded));
    DroppedFile file{
        StagedFileName(SuggestedName(request),
                       QByteArray::fromRawData(bytes->data(), qsizetype(bytes->size()))),
        request.value(QStringLiteral("image")).toString()};
    file.pageAddress = request.value(QStringLiteral("page")).toString();
    file.bytes = std::move(bytes);
    return file;
}

QByteArray Save(const QJsonObject& request, std::string_view base64, const HostContext& context) {
    std::optional<std::string> decoded = DecodeBase64(base64);
    if (!decoded || decoded->empty())
        return Failed(QStringLiteral("画像のデータがありません。"));
    const DroppedFile file = PictureOf(request, std::move(*decoded));
    const QString destination = request.value(QStringLiteral("destination")).toString();
    QDir().mkpath(context.home);
    QString problem;
    QTextStream err(&problem);
    // The window holds the home's lock while it is open: a free lock means
    // the picture is captured here, straight from memory.
    InstanceLock lock(context.home);
    const bool free = lock.TryLock();
    if (!free && lock.HeldByAnother()) {
        if (const std::optional<HandedOutcome> handed =
                HandToWindow(file, destination, context, problem))
            return Answer(*handed);
        if (!problem.isEmpty())
            return Failed(problem);
    }
    if (!free && !LockForCapture(lock, context.home, err))
        return Failed(problem.trimmed());
    if (const std::optional<HandedOutcome> here =
            CaptureHereNumbered(file, destination, context, err))
        return Answer(*here);
    return Failed(problem.trimmed());
}

} // namespace

bool IsWatchRequest(const QByteArray& request) {
    const QJsonObject object = QJsonDocument::fromJson(SplitOffBytes(request).rest).object();
    return object.value(QStringLiteral("request")).toString() == QLatin1String("watch");
}

QByteArray AnswerHostRequest(const QByteArray& request, const HostContext& context) {
    const SplitRequest split = SplitOffBytes(request);
    const QJsonObject object = QJsonDocument::fromJson(split.rest).object();
    const QString kind = object.value(QStringLiteral("request")).toString();
    if (kind == QLatin1String("destinations"))
        return Destinations(context);
    if (kind == QLatin1String("save"))
        return Save(object, split.bytes, context);
    return Failed(QStringLiteral("ケルボの知らない依頼です。"));
}

} // namespace kelvo
