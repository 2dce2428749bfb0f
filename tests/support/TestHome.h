#pragma once

#include "support/Files.h"

#include <QDir>
#include <QTemporaryDir>

namespace kelvo::testing {

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
