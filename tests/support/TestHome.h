#pragma once

#include "support/Files.h"

#include <QDir>
#include <QList>
#include <QTemporaryDir>

namespace kelvo::testing {

// A destination list file ("ListView.txt") as the window writes it: one
// identifier and folder a line, in this order.
inline QByteArray DestinationListText(const QList<std::pair<QString, QString>>& destinations) {
    QByteArray text = "\"識別名\";\"保存先フォルダ\"\r\n";
    for (const auto& [identifier, folder] : destinations)
        text += ("\"" + identifier + "\";\"" + folder + "\"\r\n").toUtf8();
    return text;
}

// Fresh home folders under one temporary folder, each with its own settings.
class TestHomes {
public:
    QString New(const QByteArray& settings = {}) {
        const QString home = temp_.path() + QStringLiteral("/home%1/").arg(++count_);
        QDir().mkpath(home);
        if (!settings.isEmpty())
            WriteBytes(home + "kelvo.ini", settings);
        return home;
    }
    QString Path() const { return temp_.path(); }

private:
    QTemporaryDir temp_;
    int count_ = 0;
};

} // namespace kelvo::testing
