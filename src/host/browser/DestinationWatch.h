#pragma once

#include "browser/HostAnswers.h"
#include "services/FileWatch.h"

#include <QObject>
#include <QSocketNotifier>

namespace kelvo {

// The companion's open port: it is sent the destinations at once and again
// whenever Kelvo writes its list or its current destination (it writes them
// as they change), so that its menu shows them as they are. Other requests on
// the port are answered as ever. Finished once the browser closes the port.
class DestinationWatch : public QObject {
    Q_OBJECT

public:
    DestinationWatch(const HostContext& context, int input, int output);

signals:
    void Finished(int exitCode);

private:
    void SendDestinations();
    void ReadRequest();

    const HostContext& context_;
    int output_;
    QSocketNotifier input_;
    FileWatch settings_;
    FileWatch list_;
    QByteArray sent_;
};

} // namespace kelvo
