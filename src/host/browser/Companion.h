#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace kelvo {

// The name the browsers find the host by, and the companion extension's ids.
QString BrowserHostName();
QString ChromiumCompanionOrigin(); // chrome-extension://ID/
QString FirefoxCompanionId();

// Whether the browser started the host for the companion: Chromium passes the
// caller's origin first; Firefox passes the host manifest's path, then the
// caller's id. The browsers already refuse other callers by the manifests;
// the host refuses them too.
bool StartedForCompanion(const QStringList& arguments);

// The host manifests, naming the host's executable.
QByteArray ChromiumHostManifest(const QString& hostPath);
QByteArray FirefoxHostManifest(const QString& hostPath);

} // namespace kelvo
