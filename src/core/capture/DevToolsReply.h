#pragma once

#include <QByteArray>
#include <QString>

namespace kelvo {

// The page address in a DevTools target list (the reply to GET /json/list):
// the "url" of the first target whose "type" is "page". Empty for anything
// else: no JSON, no array, no page, a page without a text "url".
QString PageAddressFromTargetList(const QByteArray& reply);

} // namespace kelvo
