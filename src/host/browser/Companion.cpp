#include "browser/Companion.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace kelvo {
namespace {

QJsonObject ManifestOf(const QString& hostPath) {
    return {{QStringLiteral("name"), BrowserHostName()},
            {QStringLiteral("description"), QStringLiteral("Kelvo: images saved from the browser")},
            {QStringLiteral("path"), hostPath},
            {QStringLiteral("type"), QStringLiteral("stdio")}};
}

QByteArray Json(const QJsonObject& object) {
    return QJsonDocument(object).toJson(QJsonDocument::Indented);
}

} // namespace

QString BrowserHostName() {
    return QStringLiteral(KELVO_BROWSER_HOST_NAME);
}

QString ChromiumCompanionOrigin() {
    return QStringLiteral("chrome-extension://" KELVO_CHROMIUM_COMPANION_ID "/");
}

QString FirefoxCompanionId() {
    return QStringLiteral(KELVO_FIREFOX_COMPANION_ID);
}

bool StartedForCompanion(const QStringList& arguments) {
    return arguments.value(0) == ChromiumCompanionOrigin() ||
           arguments.value(1) == FirefoxCompanionId();
}

QByteArray ChromiumHostManifest(const QString& hostPath) {
    QJsonObject manifest = ManifestOf(hostPath);
    manifest.insert(QStringLiteral("allowed_origins"), QJsonArray{ChromiumCompanionOrigin()});
    return Json(manifest);
}

QByteArray FirefoxHostManifest(const QString& hostPath) {
    QJsonObject manifest = ManifestOf(hostPath);
    manifest.insert(QStringLiteral("allowed_extensions"), QJsonArray{FirefoxCompanionId()});
    return Json(manifest);
}

} // namespace kelvo
