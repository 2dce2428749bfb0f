#include "session/ProgramName.h"

#include <QCoreApplication>

namespace kelvo {

QString KelvoVersion() {
    return QStringLiteral(KELVO_VERSION);
}

QString KelvoName() {
    return QCoreApplication::translate("ProgramName", "ケルボ");
}

QString KelvoCaption() {
    return KelvoName() + QStringLiteral(" v") + KelvoVersion();
}

QString TitledWithKelvo(const QString& what) {
    return what + QStringLiteral(" - ") + KelvoName();
}

} // namespace kelvo
