#include "capture/CaptureNames.h"

#include <algorithm>

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

// Something before the extension other than dots: without it a name is
// hidden (".jpg") or no file name at all ("", "..").
bool HasStem(const QString& name) {
    const qsizetype dot = name.lastIndexOf(u'.');
    const QStringView stem = QStringView(name).left(dot < 0 ? name.size() : dot);
    return std::any_of(stem.begin(), stem.end(), [](QChar c) { return c != u'.'; });
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
    return HasStem(clean) ? clean : name;
}

AutoRenameNames::AutoRenameNames(const QString& droppedName)
    : cleanName_(RemoveBracketGroup(droppedName)) {
    const BracketGroup group = FindBracketGroup(droppedName);
    if (group.Present() && cleanName_ != droppedName) {
        number_ = BracketNumber(droppedName, group);
        insertAt_ = group.open;
    } else {
        insertAt_ = static_cast<int>(cleanName_.indexOf(u'.')) + 1;
    }
}

QString AutoRenameNames::Next() {
    ++number_;
    const QString marker = u'[' + QString::number(number_) + u']';
    if (insertAt_ < 1)
        return marker + cleanName_;
    if (insertAt_ > cleanName_.size())
        return cleanName_ + marker;
    QString candidate = cleanName_;
    candidate.insert(insertAt_ - 1, marker);
    return candidate;
}

} // namespace kelvo
