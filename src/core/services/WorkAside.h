#pragma once

#include <functional>

namespace kelvo {

// Runs a piece of slow work (one that waits for the disk) somewhere and
// returns when it is done.
using WorkRunner = std::function<void(const std::function<void()>& work)>;

// Runs work right here: where no window waits for this thread.
void RunHere(const std::function<void()>& work);

// Runs work on a thread of its own while this thread's event loop keeps
// turning, so windows keep painting and timers keep firing. User input waits
// until work is done, as in every other wait of a capture: nothing a person
// does can change what the work relies on. Without an application object
// there is no loop to turn, and work runs here.
void RunAsideAndWait(const std::function<void()>& work);

} // namespace kelvo
