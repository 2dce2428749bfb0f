#include "program/WindowModule.h"
#include "session/ProgramModules.h"
#include "text/PathText.h"

#include <dlfcn.h>

namespace kelvo {

namespace {

template <typename Function> Function* Symbol(void* module, const char* name) {
    return reinterpret_cast<Function*>(::dlsym(module, name));
}

// The module and its entry points, or why there are none.
struct Loaded {
    std::optional<WindowModule> module;
    QString failure;
};

Loaded Load() {
    const QString path = ProgramModuleFolder() + u'/' + QLatin1String(kWindowModuleFile);
    // Bound as used, like the libraries of a program: binding every symbol
    // now would delay the window's first paint for calls it may never make.
    void* handle = ::dlopen(LocalPath(path).c_str(), RTLD_LAZY | RTLD_LOCAL);
    if (!handle)
        return {std::nullopt, QString::fromLocal8Bit(::dlerror())};
    WindowModule found;
    found.windowMain = Symbol<int(int, char**)>(handle, kWindowMainSymbol);
    found.hashPictureFile =
        Symbol<bool(const QString&, PictureHash*)>(handle, kHashPictureFileSymbol);
    if (!found.windowMain || !found.hashPictureFile)
        return {std::nullopt,
                QStringLiteral("%1 lacks its entry points").arg(QLatin1String(kWindowModuleFile))};
    return {found, {}};
}

} // namespace

std::optional<WindowModule> LoadWindowModule(QString& failure) {
    // Loaded and looked up once: a history command asks for every picture.
    static const Loaded loaded = Load();
    if (!loaded.module)
        failure = loaded.failure;
    return loaded.module;
}

} // namespace kelvo
