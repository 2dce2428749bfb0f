#pragma once

#include <QStringList>
#include <QTextStream>

namespace kelvo {

// kelvo [--home DIR] browser-hosts install|remove|status: registers the
// browser host for this user with Chromium, Google Chrome and Firefox (a
// manifest file each, naming the host's executable and the companion as its
// only caller), removes those registrations, or tells which are there. With
// --home, the registrations lead to that home, through a small script written
// in it. install and remove also take away an earlier version's registration,
// under the old name kelvo.json, when it leads to a kelvo-browser-host
// (another program's file of that name stays). 0 when done, 1 when a file
// could not be written or removed, 2 for wrong usage.
struct BrowserHostPlaces {
    QString hostExecutable;
    QString home;       // empty: the default one, which the host finds itself
    QString configHome; // $XDG_CONFIG_HOME, where Chromium and Chrome look
    QString userHome;   // $HOME, where Firefox looks
};
int RunBrowserHostsCommand(const QStringList& argsAfterCommand, const BrowserHostPlaces& places,
                           QTextStream& out, QTextStream& err);

QString BrowserHostsCommandUsage();

} // namespace kelvo
