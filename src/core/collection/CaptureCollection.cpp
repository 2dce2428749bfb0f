#include "collection/CaptureCollection.h"

#include "logs/CaptureLog.h"
#include "text/PathText.h"

#include <QCoreApplication>

namespace kelvo {

EarlierCapture NewCapture::AsEarlier() const {
    return {savedPath, CaptureTimeText(captureTime), identifier, sourceAddress};
}

QString SimilarPictureText(const EarlierCapture& earlier) {
    const QString day = earlier.captureTime.section(u' ', 0, 0);
    return QCoreApplication::translate("CaptureCollection", "似た画像を保存済み: %1/%2 (%3)")
        .arg(earlier.identifier, FileNamePart(earlier.savedPath), day);
}

} // namespace kelvo
