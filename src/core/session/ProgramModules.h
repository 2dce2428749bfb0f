#pragma once

#include <QString>

namespace kelvo {

// The folder of the program's own loadable parts (the window, the image
// codecs), found from the running executable, so that a build tree and an
// installed program alike find theirs and never another's. Readable before
// any QCoreApplication exists. Empty when the executable cannot be read.
QString ProgramModuleFolder();

} // namespace kelvo
