#include "commands/CaptureCommand.h"

#include "capture/BrowserLink.h"
#include "capture/CaptureDisplay.h"
#include "capture/CapturePipeline.h"
#include "commands/CommandLine.h"
#include "destinations/CurrentDestination.h"
#include "logs/HistoryTree.h"
#include "session/HomeFiles.h"
#include "session/HomeFolder.h"
#include "session/InstanceLock.h"
#include "session/SettingsFile.h"

#include <QFileInfo>

namespace kelvo {
namespace {

enum ExitCode { kDone = 0, kNotAllSaved = 1 };

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

// What is wrong with the arguments, or nothing.
QString ParseOptions(QStringList args, Options& options) {
    if (const qsizetype at = args.indexOf(QStringLiteral("--on-clash")); at >= 0) {
        if (at + 1 >= args.size())
            return QStringLiteral("--on-clash needs a value: auto or skip");
        const QString value = args.at(at + 1);
        if (value == QLatin1String("auto"))
            options.onClash = ClashChoice::AutoRename;
        else if (value != QLatin1String("skip"))
            return QStringLiteral("--on-clash takes auto or skip, not \"%1\"").arg(value);
        args.remove(at, 2);
    }
    options.files = args;
    return options.files.isEmpty() ? QStringLiteral("no file given") : QString();
}

DropPayload PayloadOf(const QStringList& files) {
    DropPayload payload;
    for (const QString& file : files)
        payload.files.append({QFileInfo(file).absoluteFilePath(), {}});
    return payload;
}

} // namespace

QString CaptureCommandUsage() {
    return QStringLiteral(
        "Usage: kelvo [--home DIR] capture [--on-clash auto|skip] FILE...\n"
        "\n"
        "Captures the files into the current destination as a drop would: copied\n"
        "without replacing anything, stamped, logged and added to the history.\n"
        "A name that is taken is skipped (skip, the default) or numbered (auto).\n"
        "When a Kelvo window works on the same home, the files are handed to it\n"
        "and captured there as a drop; the window then asks about taken names.\n"
        "Prints one line per file: the saved path and the outcome, or why it was\n"
        "not saved.\n");
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
    InstanceLock lock(homeFolder);
    if (!lock.TryLock()) {
        if (handOver) {
            QStringList files;
            for (const DroppedFile& file : PayloadOf(options.files).files)
                files << file.path;
            if (const std::optional<int> code = handOver(files, out))
                return *code;
        }
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
        out << (saved ? outcome.savedPath : file.path) << '\t'
            << outcome.Summary().replace(u'\n', u' ') << Qt::endl;
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
