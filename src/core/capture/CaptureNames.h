#pragma once

#include "text/PathText.h"

#include <QString>

namespace kelvo {

// A bracket group such as "[1]": from the first "[" to the first "]", present
// only when the "]" comes after the "[". Positions count from 1; 0 = none.
struct BracketGroup {
    int open = 0;
    int close = 0;
    bool Present() const { return open > 0 && close > open; }
};

BracketGroup FindBracketGroup(const QString& name);
// The name without its bracket group: photo[1].jpg gives photo.jpg. A group
// that is the whole stem stays: [1].jpg would become the hidden .jpg.
QString RemoveBracketGroup(const QString& name);

// Automatic renaming: candidates number on from the dropped name's bracket
// number (0 when there is none or it is not a decimal number) and put the
// marker where the bracket group was, else before the first ".".
class AutoRenameNames {
public:
    explicit AutoRenameNames(const QString& droppedName);
    // photo[2].jpg, photo[3].jpg, ... with no upper bound.
    QString Next();

private:
    QString cleanName_;
    qint64 number_ = 0;
    int insertAt_ = 0; // 1-based; below 1 in front, past the end appended
};

} // namespace kelvo
