#include "browser/BrowserHostsCommand.h"

#include "browser/Companion.h"
#include "commands/CommandLine.h"
#include "files/FileBytes.h"
#include "text/PathText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

namespace kelvo {
namespace {

struct Registration {
    const char* browser;
    QString folder;
    QByteArray manifest;

    QString path() const { return folder + BrowserHostName() + QStringLiteral(".json"); }
    // Where versions before the reverse-DNS name registered the host.
    QString oldPath() const { return folder + QStringLiteral("kelvo.json"); }
};

QList<Registration> RegistrationsFor(const BrowserHostPlaces& places, const QString& hostPath) {
    return {
        {"Chromium", places.configHome + QStringLiteral("/chromium/NativeMessagingHosts/"),
         ChromiumHostManifest(hostPath)},
        {"Google Chrome",
         places.configHome + QStringLiteral("/google-chrome/NativeMessagingHosts/"),
         ChromiumHostManifest(hostPath)},
        {"Firefox", places.userHome + QStringLiteral("/.mozilla/native-messaging-hosts/"),
         FirefoxHostManifest(hostPath)},
    };
}

// A path in single quotes for sh.
QString ShellQuoted(QString text) {
    return u'\'' + text.replace(u'\'', QStringLiteral("'\\''")) + u'\'';
}

QString WrapperPath(const QString& home) {
    return home + QStringLiteral("kelvo-browser-host.sh");
}

// The browsers pass no arguments of ours: a home of its own is reached
// through a script that names it.
bool WriteWrapper(const BrowserHostPlaces& places) {
    const QString script = QStringLiteral("#!/bin/sh\n"
                                          "# kelvo browser-hosts install: the browser host of "
                                          "this home.\n"
                                          "exec %1 --home %2 \"$@\"\n")
                               .arg(ShellQuoted(places.hostExecutable), ShellQuoted(places.home));
    const QString path = WrapperPath(places.home);
    return QDir().mkpath(places.home) &&
           WriteFileAtomically(LocalPath(path), script.toStdString()) &&
           QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                           QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther |
                                           QFile::ExeOther);
}

QJsonObject ManifestAt(const QString& path) {
    return QJsonDocument::fromJson(
               QByteArray::fromStdString(ReadFileBytes(LocalPath(path)).value_or(std::string())))
        .object();
}

// The executable a registration names, or empty when it is none of ours.
QString RegisteredHost(const QString& path) {
    const QJsonObject manifest = ManifestAt(path);
    if (manifest.value(QStringLiteral("name")).toString() != BrowserHostName())
        return {};
    return manifest.value(QStringLiteral("path")).toString();
}

// Whether an earlier version's registration is there: named "kelvo", and
// leading to the host or to a home's script for it. Another program may have
// taken that short name; its file is not ours to remove.
bool HasOldRegistration(const Registration& registration) {
    const QJsonObject manifest = ManifestAt(registration.oldPath());
    return manifest.value(QStringLiteral("name")).toString() == QLatin1String("kelvo") &&
           QFileInfo(manifest.value(QStringLiteral("path")).toString())
               .fileName()
               .startsWith(QLatin1String("kelvo-browser-host"));
}

// Removes the registration's file, saying so; whether it is gone.
bool RemoveFile(const char* browser, const QString& path, QTextStream& out, QTextStream& err) {
    if (!QFile::remove(path)) {
        err << "kelvo browser-hosts: cannot remove " << path << Qt::endl;
        return false;
    }
    out << browser << ": removed " << path << Qt::endl;
    return true;
}

// An earlier version's registration would outlive this one's removal, naming a
// host that may be gone: it goes with install and with remove.
bool RemoveOldRegistration(const Registration& registration, QTextStream& out, QTextStream& err) {
    return !HasOldRegistration(registration) ||
           RemoveFile(registration.browser, registration.oldPath(), out, err);
}

int Install(const BrowserHostPlaces& places, QTextStream& out, QTextStream& err) {
    QString hostPath = places.hostExecutable;
    if (!places.home.isEmpty()) {
        if (!WriteWrapper(places)) {
            err << "kelvo browser-hosts: cannot write " << WrapperPath(places.home) << Qt::endl;
            return 1;
        }
        hostPath = WrapperPath(places.home);
    }
    int code = 0;
    for (const Registration& registration : RegistrationsFor(places, hostPath)) {
        if (QDir().mkpath(registration.folder) &&
            WriteFileAtomically(LocalPath(registration.path()),
                                registration.manifest.toStdString())) {
            out << registration.browser << ": " << registration.path() << Qt::endl;
        } else {
            err << "kelvo browser-hosts: cannot write " << registration.path() << Qt::endl;
            code = 1;
        }
        if (!RemoveOldRegistration(registration, out, err))
            code = 1;
    }
    return code;
}

// Only a registration of ours is removed.
int Remove(const BrowserHostPlaces& places, QTextStream& out, QTextStream& err) {
    int code = 0;
    for (const Registration& registration : RegistrationsFor(places, {})) {
        if (!RegisteredHost(registration.path()).isEmpty() &&
            !RemoveFile(registration.browser, registration.path(), out, err))
            code = 1;
        if (!RemoveOldRegistration(registration, out, err))
            code = 1;
    }
    return code;
}

int Status(const BrowserHostPlaces& places, QTextStream& out) {
    for (const Registration& registration : RegistrationsFor(places, {})) {
        const QString host = RegisteredHost(registration.path());
        out << registration.browser << ": ";
        if (host.isEmpty())
            out << "not registered";
        else if (!QFileInfo(host).isExecutable())
            out << "registered, but " << host << " is missing";
        else
            out << "registered, " << host;
        if (HasOldRegistration(registration))
            out << "; an earlier version's registration is left, " << registration.oldPath()
                << ", which install and remove take away";
        out << Qt::endl;
    }
    return 0;
}

} // namespace

QString BrowserHostsCommandUsage() {
    return QStringLiteral(
        "Usage: kelvo [--home DIR] browser-hosts install|remove|status\n"
        "\n"
        "Lets Kelvo's companion extension reach Kelvo from the browser's own menu\n"
        "and keys: install registers the browser host for this user with\n"
        "Chromium, Google Chrome and Firefox, remove takes those registrations\n"
        "away, and status tells which are there. With --home, the browsers'\n"
        "captures go to that home. A packaged Kelvo registers the host for every\n"
        "user of Chromium and Firefox already; Google Chrome's users run install.\n");
}

int RunBrowserHostsCommand(const QStringList& argsAfterCommand, const BrowserHostPlaces& places,
                           QTextStream& out, QTextStream& err) {
    const QString action = argsAfterCommand.value(0);
    if (argsAfterCommand.size() == 1 &&
        (action == QLatin1String("--help") || action == QLatin1String("-h"))) {
        out << BrowserHostsCommandUsage();
        return 0;
    }
    if (argsAfterCommand.size() != 1)
        return WrongUsage(err, "browser-hosts", QStringLiteral("install, remove or status?"),
                          BrowserHostsCommandUsage());
    if (action == QLatin1String("install"))
        return Install(places, out, err);
    if (action == QLatin1String("remove"))
        return Remove(places, out, err);
    if (action == QLatin1String("status"))
        return Status(places, out);
    return WrongUsage(err, "browser-hosts", QStringLiteral("unknown action \"%1\"").arg(action),
                      BrowserHostsCommandUsage());
}

} // namespace kelvo
