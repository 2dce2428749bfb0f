#pragma once

#include "collection/SimilarPictures.h"

#include <QString>

#include <optional>

namespace kelvo {

// The window and the picture decoders are a module of their own, loaded on
// first use, so that a command loads Qt Core and little more. Its entry
// points have C linkage, for dlsym to find them by these names.
inline constexpr char kWindowModuleFile[] = "kelvo-window.so";
inline constexpr char kWindowMainSymbol[] = "kelvo_window_main";
inline constexpr char kHashPictureFileSymbol[] = "kelvo_hash_picture_file";

struct WindowModule {
    // The window's whole run, as main would run it; the process's exit code.
    int (*windowMain)(int argc, char** argv) = nullptr;
    // The perceptual hash of the picture in the file; false when it has none
    // (see PerceptualHashOfFile).
    bool (*hashPictureFile)(const QString& path, PictureHash* hash) = nullptr;
};

// The module of this program (ProgramModuleFolder), loaded once and kept;
// nothing when it cannot be loaded, with the loader's reason in failure.
std::optional<WindowModule> LoadWindowModule(QString& failure);

} // namespace kelvo
