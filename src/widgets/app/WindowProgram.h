#pragma once

namespace kelvo {

// The window's whole run on the home of the arguments' --home (or the usual
// one), as main runs it: one window per home, ended by its close or by a
// logout's signal. The process's exit code.
int RunWindow(int argc, char* argv[]);

} // namespace kelvo
