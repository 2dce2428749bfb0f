#pragma once

#include <QByteArray>
#include <QString>

namespace kelvo {

// The page address in a browser's window information in text form: a quoted
// address, a comma and a quoted title ("http://a/b","Title"). The quoted
// address is taken whole, commas in it included. A reply that is not in the
// quoted form is cut at its first comma, without its first character and the
// one before the comma. Empty when there is no comma after the address. The
// bytes are UTF-8 when valid, else Shift-JIS.
QString AddressFromWindowInfo(const QByteArray& reply);

} // namespace kelvo
