#include "capture/CaptureNames.h"

namespace kelvo {
namespace {

// The bracket's inner text as a number, when it is one: digits only.
qint64 BracketNumber(const QString& name, const BracketGroup& group) {
    const QString inner = name.mid(group.open, group.close - group.open - 1);
    if (inner.isEmpty() || inner.size() > 18)
        return 0;
    for (const QChar c : inner) {
        if (c < u'0' || c > u'9')
            return 0;
    }
    return inner.toLongLong();
}

} // namespace

BracketGroup FindBracketGroup(const QString& name) {
    BracketGroup group;
    group.open = static_cast<int>(name.indexOf(u'[')) + 1;
    if (group.open > 0)
        group.close = static_cast<int>(name.indexOf(u']')) + 1;
    return group;
}

QString RemoveBracketGroup(const QString& name) {
    const BracketGroup group = FindBracketGroup(name);
    if (!group.Present())
        return name;
    QString clean = name;
    clean.remove(group.open - 1, group.close - group.open + 1);
    return clean;
}

AutoRenameNames::AutoRenameNames(const QString& droppedName)
    : cleanName_(RemoveBracketGroup(droppedName)) {
    const BracketGroup group = FindBracketGroup(droppedName);
    if (group.Present()) {
        number_ = BracketNumber(droppedName, group);
        insertAt_ = group.open;
    } else {
        insertAt_ = static_cast<int>(cleanName_.indexOf(u'.')) + 1;
    }
}

QString AutoRenameNames::Next() {
    ++number_;
    const QString marker = QStringLiteral("[%1]").arg(number_);
    if (insertAt_ < 1)
        return marker + cleanName_;
    if (insertAt_ > cleanName_.size())
        return cleanName_ + marker;
    QString candidate = cleanName_;
    candidate.insert(insertAt_ - 1, marker);
    return candidate;
}

} // namespace kelvo
