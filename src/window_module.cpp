// The window's part of the program, loaded by kelvo when it opens the window
// or decodes a picture: everything beyond Qt Core lives here.
#include "app/WindowProgram.h"
#include "program/WindowModule.h"
#include "similarity/PerceptualHash.h"

#include <type_traits>

#define KELVO_EXPORT extern "C" __attribute__((visibility("default")))

KELVO_EXPORT int kelvo_window_main(int argc, char** argv) {
    return kelvo::RunWindow(argc, argv);
}

KELVO_EXPORT bool kelvo_hash_picture_file(const QString& path, kelvo::PictureHash* hash) {
    const std::optional<kelvo::PictureHash> found = kelvo::PerceptualHashOfFile(path);
    if (found)
        *hash = *found;
    return found.has_value();
}

// kelvo calls them through these pointers: a signature changed on one side
// only must not compile.
static_assert(
    std::is_same_v<decltype(&kelvo_window_main), decltype(kelvo::WindowModule::windowMain)>);
static_assert(std::is_same_v<decltype(&kelvo_hash_picture_file),
                             decltype(kelvo::WindowModule::hashPictureFile)>);
