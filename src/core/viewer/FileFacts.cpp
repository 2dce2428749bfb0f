#include "viewer/FileFacts.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace kelvo {

qint64 FileSizeOf(const QString& path) {
    const QFileInfo info(path);
    return info.exists() ? info.size() : 0;
}

QDateTime FileTimeOf(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists())
        return {};
    // Whole seconds: the dialog shows hh:mm:ss and comparisons must not trip on
    // the file system's sub-second part.
    return QDateTime::fromSecsSinceEpoch(info.lastModified().toSecsSinceEpoch());
}

QLocale DisplayLocale() {
    return QLocale(QLocale::Japanese, QLocale::Japan);
}

QString ShortDateText(const QDate& date) {
    return DisplayLocale().toString(date, QLocale::ShortFormat);
}

QString SizeText(qint64 bytes, const QLocale& locale) {
    QLocale grouping = locale;
    // The C locale omits the separator by default; the size is always grouped.
    grouping.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    return QCoreApplication::translate("FileFacts", "%1ﾊﾞｲﾄ").arg(grouping.toString(bytes));
}

namespace {

// From the last "." to the end. A "." in a folder name leaves a separator in the
// result, which no known extension has, so only the file name's own counts.
QString UpperExtensionOf(const QString& path) {
    const qsizetype dot = path.lastIndexOf(u'.');
    // Not locale-aware on purpose: a Turkish locale would turn ".gif" into ".GİF".
    return dot < 0 ? QString() : path.mid(dot).toUpper();
}

} // namespace

PictureKind PictureKindOf(const QString& path) {
    const QString extension = UpperExtensionOf(path);
    if (extension == u".JPG" || extension == u".JPEG")
        return PictureKind::Jpeg;
    if (extension == u".BMP" || extension == u".ICO")
        return PictureKind::BitmapOrIcon;
    if (extension == u".PNG")
        return PictureKind::Png;
    if (extension == u".GIF")
        return PictureKind::Gif;
    if (extension == u".WEBP")
        return PictureKind::Webp;
    if (extension == u".AVIF")
        return PictureKind::Avif;
    return PictureKind::None;
}

} // namespace kelvo
