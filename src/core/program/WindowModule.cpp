#include "program/WindowModule.h"
#include "session/ProgramModules.h"
#include "text/PathText.h"

#include <dlfcn.h>

namespace kelvo {

namespace {

struct Loaded {
    void* module = nullptr;
    QString failure;
};

Loaded Load() {
    const QString path = ProgramModuleFolder() + u'/' + QLatin1String(kWindowModuleFile);
    // Bound as used, like the libraries of a program: binding every symbol
    // now would delay the window's first paint for calls it may never make.
    void* module = ::dlopen(LocalPath(path).c_str(), RTLD_LAZY | RTLD_LOCAL);
    return {module, module ? QString() : QString::fromLocal8Bit(::dlerror())};
}

template <typename Function> Function* Symbol(void* module, const char* name) {
    return reinterpret_cast<Function*>(::dlsym(module, name));
}

} // namespace

std::optional<WindowModule> LoadWindowModule(QString& failure) {
    static const Loaded loaded = Load();
    if (!loaded.module) {
        failure = loaded.failure;
        return std::nullopt;
    }
    WindowModule found;
    found.windowMain = Symbol<int(int, char**)>(loaded.module, kWindowMainSymbol);
    found.hashPictureFile =
        Symbol<bool(const QString&, PictureHash*)>(loaded.module, kHashPictureFileSymbol);
    if (!found.windowMain || !found.hashPictureFile) {
        failure = QStringLiteral("%1 lacks its entry points").arg(QLatin1String(kWindowModuleFile));
        return std::nullopt;
    }
    return found;
}

} // namespace kelvo
