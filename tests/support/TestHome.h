#pragma once

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace kelvo::testing {

// Fresh home folders under one temporary folder, each with its own settings.
class TestHomes {
public:
    QString New(const QByteArray& settings = {}) {
        const QString home = temp_.path() + QStringLiteral("/home%1/").arg(++count_);
        QDir().mkpath(home);
        if (!settings.isEmpty()) {
            QFile file(home + "kelvo.ini");
            if (file.open(QIODevice::WriteOnly))
                file.write(settings);
        }
        return home;
    }
    QString Path() const { return temp_.path(); }

private:
    QTemporaryDir temp_;
    int count_ = 0;
};

} // namespace kelvo::testing
