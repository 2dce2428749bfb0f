#pragma once

#include <QObject>

#include <initializer_list>

class QSocketNotifier;

namespace kelvo {

// The signals by which a desktop ends a program (SIGTERM at a logout or a
// shutdown, SIGHUP when its terminal goes, SIGINT for Ctrl+C), turned into
// a Qt signal on the thread that made this object. A signal handler may do
// next to nothing, so it only writes the number to a pipe that the event loop
// watches. One object per process; while it lives, the signals no longer end
// the process by themselves.
class EndSignals : public QObject {
    Q_OBJECT

public:
    explicit EndSignals(std::initializer_list<int> signalNumbers, QObject* parent = nullptr);
    ~EndSignals() override;

signals:
    void Received(int signalNumber);

private:
    void ReadPipe();

    QSocketNotifier* notifier_ = nullptr;
};

} // namespace kelvo
