#include "session/ProgramModules.h"

#include <QDir>
#include <QFileInfo>

namespace kelvo {

QString ProgramModuleFolder() {
    const QString program = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    if (program.isEmpty())
        return {};
    return QDir::cleanPath(QFileInfo(program).absolutePath() + QLatin1Char('/') +
                           QStringLiteral(KELVO_MODULES_FROM_PROGRAM));
}

} // namespace kelvo
