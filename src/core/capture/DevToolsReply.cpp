#include "capture/DevToolsReply.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace kelvo {

QString PageAddressFromTargetList(const QByteArray& reply) {
    const QJsonDocument document = QJsonDocument::fromJson(reply);
    if (!document.isArray())
        return {};
    const QJsonArray targets = document.array();
    for (const auto& target : targets) {
        const QJsonObject fields = target.toObject();
        if (fields.value(QLatin1String("type")).toString() == QLatin1String("page"))
            return fields.value(QLatin1String("url")).toString();
    }
    return {};
}

} // namespace kelvo
