#include "text/Wording.h"

#include <QCoreApplication>

namespace kelvo {

Wording Worded(const char* context, const char* source) {
    return {QString::fromUtf8(source), QCoreApplication::translate(context, source)};
}

} // namespace kelvo
