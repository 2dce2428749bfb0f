#include "commands/CaptureCommand.h"

#include "capture/BrowserLink.h"
#include "capture/CaptureDisplay.h"
#include "capture/CapturePipeline.h"
#include "commands/CommandLine.h"
#include "commands/FieldPrinting.h"
#include "destinations/CurrentDestination.h"
#include "logs/HistoryTree.h"
#include "session/HomeFiles.h"
#include "session/HomeFolder.h"
#include "session/InstanceLock.h"
#include "session/SettingsFile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>

namespace kelvo {
namespace {

enum ExitCode { kDone = 0, kNotAllSaved = 1 };

constexpr int kLockWait = 5000;       // ms
constexpr int kLockLookInterval = 50; // ms

// Answers for the user: a clash is settled by the --on-clash choice.
class CommandLinePrompter : public Prompter {
public:
    CommandLinePrompter(ClashChoice onClash, QTextStream& err) : onClash_(onClash), err_(err) {}
    void Notice(const QString& text) override {
        err_ << QString(text).replace(u'\n', u' ') << Qt::endl;
    }
    bool Ask(const QString&) override { return false; }
    ClashChoice ChooseClash(const ClashFiles&) override { return onClash_; }
    std::optional<QString> AskSaveAs(const QString&, const QString&) override {
        return std::nullopt;
    }
    std::optional<QString> ChooseFolder(const QString&) override { return std::nullopt; }

private:
    ClashChoice onClash_;
    QTextStream& err_;
};

struct Options {
    ClashChoice onClash = ClashChoice::DontSave;
    QStringList files;
};

// What is wrong with the arguments, or nothing. An option Kelvo does not
// know is a mistake, not a file; after "--" every argument is a file.
QString ParseOptions(const QStringList& args, Options& options) {
    bool filesOnly = false;
    for (qsizetype at = 0; at < args.size(); ++at) {
        const QString& arg = args.at(at);
        if (filesOnly || !arg.startsWith(u'-') || arg == QLatin1String("-")) {
            options.files << arg;
        } else if (arg == QLatin1String("--")) {
            filesOnly = true;
        } else if (arg == QLatin1String("--on-clash")) {
            if (++at >= args.size())
                return QStringLiteral("--on-clash needs a value: auto or skip");
            const QString& value = args.at(at);
            if (value == QLatin1String("auto"))
                options.onClash = ClashChoice::AutoRename;
            else if (value != QLatin1String("skip"))
                return QStringLiteral("--on-clash takes auto or skip, not \"%1\"").arg(value);
        } else {
            return QStringLiteral("unknown option %1").arg(arg);
        }
    }
    return options.files.isEmpty() ? QStringLiteral("no file given") : QString();
}

// Another capture holds the home for the moment of its copies: waited for,
// within reason, rather than refused.
bool LockWithin(InstanceLock& lock, int milliseconds) {
    QElapsedTimer waited;
    waited.start();
    while (!lock.TryLock()) {
        if (!lock.HeldByAnother() || waited.elapsed() >= milliseconds)
            return false;
        QThread::msleep(kLockLookInterval);
    }
    return true;
}

DropPayload PayloadOf(const QStringList& files) {
    DropPayload payload;
    for (const QString& file : files)
        payload.files.append({QFileInfo(file).absoluteFilePath(), {}});
    return payload;
}

} // namespace

void PrintCaptureLine(QTextStream& out, const QString& path, const QString& text) {
    std::string scratch;
    const auto escaped = [&scratch](const QString& field) {
        const std::string utf8 = field.toStdString();
        return QString::fromStdString(std::string(EscapeTableField(utf8, scratch)));
    };
    out << escaped(path) << '\t' << escaped(text) << Qt::endl;
}

QString CaptureCommandUsage() {
    return QStringLiteral(
        "Usage: kelvo [--home DIR] capture [--on-clash auto|skip] [--] FILE...\n"
        "\n"
        "Captures the files into the current destination as a drop would: copied\n"
        "without replacing anything, stamped, logged and added to the history.\n"
        "A name that is taken is skipped (skip, the default) or numbered (auto).\n"
        "When a Kelvo window works on the same home, the files are handed to it\n"
        "and captured there as a drop; the window then asks about taken names.\n"
        "Prints one line per file: the saved path and the outcome, or why it was\n"
        "not saved (\\, tab and line breaks escaped as \\\\, \\t, \\n and \\r).\n"
        "Only regular files are taken. Another capture on the same home is\n"
        "waited for a few seconds.\n");
}

int RunCaptureCommand(const QStringList& argsAfterCapture, const QString& homeFolder,
                      const QString& picturesDestination, const Clock& clock, QTextStream& out,
                      QTextStream& err, const HandOver& handOver) {
    if (argsAfterCapture == QStringList{QStringLiteral("--help")} ||
        argsAfterCapture == QStringList{QStringLiteral("-h")}) {
        out << CaptureCommandUsage();
        return kDone;
    }
    Options options;
    if (const QString problem = ParseOptions(argsAfterCapture, options); !problem.isEmpty())
        return WrongUsage(err, "capture", problem, CaptureCommandUsage());
    QDir().mkpath(homeFolder); // only now: a wrong call makes nothing
    InstanceLock lock(homeFolder);
    const bool locked = lock.TryLock();
    if (!locked && handOver) {
        QStringList files;
        for (const DroppedFile& file : PayloadOf(options.files).files)
            files << file.path;
        if (const std::optional<int> code = handOver(files, out))
            return *code;
    }
    if (!locked && !LockWithin(lock, kLockWait)) {
        if (lock.HeldByAnother())
            err << "kelvo capture: another Kelvo is using " << homeFolder << " (" << lock.Path()
                << ")" << Qt::endl;
        else
            err << "kelvo capture: cannot lock the home folder: " << lock.Failure() << Qt::endl;
        return kNotAllSaved;
    }
    SettingsFile settings(DefaultDestinationFolder(homeFolder, picturesDestination));
    settings.Read(SettingsFilePath(homeFolder));
    CurrentDestination destination(homeFolder);
    destination.ReadFrom(settings);
    const QString treePath = HistoryTreeFilePath(homeFolder);
    HistoryTree history;
    QString treeError;
    if (!history.Load(treePath, &treeError))
        err << treeError << Qt::endl;

    CommandLinePrompter prompter(options.onClash, err);
    SilentBrowserLink browser;
    SilentCaptureDisplay display;
    CapturePipeline pipeline({homeFolder, prompter, browser, clock, display, history, destination,
                              RunHere, picturesDestination});
    bool allSaved = true;
    pipeline.SetOutcomeListener([&](const DroppedFile& file, const CaptureOutcome& outcome) {
        const bool saved = outcome.kind == CaptureOutcome::Kind::Saved;
        PrintCaptureLine(out, saved ? outcome.savedPath : file.path, outcome.Summary());
        allSaved = allSaved && outcome.Complete();
    });
    pipeline.HandleDroppedFiles(PayloadOf(options.files));

    // The pipeline keeps each new day at once; only a day whose keeping
    // failed is left to write, and a tree without a new day stays untouched.
    if (history.HasUnsavedDays() && !history.Save(treePath)) {
        err << "kelvo capture: cannot write " << treePath << Qt::endl;
        return kNotAllSaved;
    }
    return allSaved ? kDone : kNotAllSaved;
}

} // namespace kelvo
