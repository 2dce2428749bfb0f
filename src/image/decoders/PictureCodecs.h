#pragma once

namespace kelvo {

// Points Qt's image plugins at the program's own codecs (AVIF), in the folder
// of its loadable parts (ProgramModuleFolder). Once a process; DecodePicture
// calls it itself before the first AVIF picture, and nothing should call it
// sooner: whenever Qt reads a picture by its file name (a PNG icon of the
// style, at every start), it loads every plugin of its paths, and ours
// brings libavif and its AV1 codecs. Without that folder, or with a codec
// that cannot be loaded (its libraries missing), QImageReader finds no reader
// for the format.
void UsePictureCodecs();

} // namespace kelvo
