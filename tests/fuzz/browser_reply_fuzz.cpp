// Reads arbitrary bytes as a browser's reply: as a DevTools target list and as
// window information in text form. An address found is one the same reader
// finds again when it comes back in a well-formed reply.

#include "Checks.h"
#include "capture/DevToolsReply.h"
#include "capture/WindowInfoReply.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstddef>
#include <cstdint>

namespace kelvo::fuzz {
namespace {

QByteArray TargetListOf(const QString& address) {
    QJsonObject page;
    page.insert(QStringLiteral("type"), QStringLiteral("page"));
    page.insert(QStringLiteral("url"), address);
    return QJsonDocument(QJsonArray{page}).toJson(QJsonDocument::Compact);
}

void CheckTargetList(const QByteArray& reply) {
    const QString address = PageAddressFromTargetList(reply);
    if (address.isEmpty())
        return;
    Require(QJsonDocument::fromJson(reply).isArray(), "address from a reply that is no array");
    Require(PageAddressFromTargetList(TargetListOf(address)) == address,
            "target list address not found again");
}

void CheckWindowInfo(const QByteArray& reply) {
    const QString address = AddressFromWindowInfo(reply);
    if (address.isEmpty() || address.contains(u'"'))
        return;
    const QByteArray quoted = '"' + address.toUtf8() + "\",\"title\"";
    Require(AddressFromWindowInfo(quoted) == address, "quoted address not found again");
}

} // namespace
} // namespace kelvo::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray reply(reinterpret_cast<const char*>(data), qsizetype(size));
    kelvo::fuzz::CheckTargetList(reply);
    kelvo::fuzz::CheckWindowInfo(reply);
    return 0;
}
