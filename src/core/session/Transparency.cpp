#include "session/Transparency.h"

namespace kelvo {

int OpacityForLevel(int level) {
    switch (level) {
    case 1:
        return 200;
    case 2:
        return 150;
    case 3:
        return 100;
    default:
        return 255;
    }
}

} // namespace kelvo
