#pragma once

#include <QString>

namespace kelvo {

// The user guide's file: the installed one (share/doc/kelvo beside the
// program's bin folder) first, then one beside the executable, then the
// source tree's, for a program run from its build folder as ./run.sh does.
// Empty when none of them exists.
QString UserGuideFile();

} // namespace kelvo
