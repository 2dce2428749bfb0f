#include "decoders/PictureCodecs.h"

#include "session/ProgramModules.h"

#include <QCoreApplication>

#include <mutex>

namespace kelvo {

void UsePictureCodecs() {
    static std::once_flag added;
    std::call_once(added, [] {
        const QString folder = ProgramModuleFolder();
        if (!folder.isEmpty())
            QCoreApplication::addLibraryPath(folder);
    });
}

} // namespace kelvo
