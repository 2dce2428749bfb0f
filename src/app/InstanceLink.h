#pragma once

#include <QLocalServer>
#include <QStringList>
#include <QTextStream>

#include <functional>
#include <optional>

namespace kelvo {

// One outcome line of a capture handed over to the running window.
struct HandedOutcome {
    enum class Kind { Saved, Skipped, Failed };
    Kind kind = Kind::Failed;
    QString path; // the saved path, or the file that was not saved
    QString text; // the outcome, or why nothing was saved
};

// The socket name of the window working on a home folder: one per home and user.
QString InstanceServerName(const QString& homeFolder);

// The running window's end: takes files to capture from a second start and
// reports each file's outcome back, then closes the connection.
class InstanceServer : public QObject {
    Q_OBJECT

public:
    // report(outcome) sends one line; done() ends the answer.
    using Reply = std::function<void(const HandedOutcome&)>;
    using CaptureRequest =
        std::function<void(const QStringList& files, Reply report, std::function<void()> done)>;

    InstanceServer(const QString& homeFolder, CaptureRequest onCapture, QObject* parent = nullptr);
    // The caller holds the home's lock, so a socket left behind is stale.
    bool Listen();

private:
    void Serve(QLocalSocket* socket);

    QLocalServer server_;
    QString name_;
    CaptureRequest onCapture_;
};

// The second start's end: hands the files to the window working on the home,
// prints one line per file as the window reports it, and returns the exit
// code; nothing when no window answers.
std::optional<int> HandOverCapture(const QString& homeFolder, const QStringList& files,
                                   QTextStream& out);

} // namespace kelvo
