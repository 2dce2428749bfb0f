#include "commands/CaptureCommand.h"

#include "commands/CommandLine.h"
#include "commands/FieldPrinting.h"
#include "commands/LocalCapture.h"
#include "session/InstanceLock.h"

#include <QDir>
#include <QFileInfo>

namespace kelvo {
namespace {

enum ExitCode { kDone = 0, kNotAllSaved = 1 };

struct Options {
    ClashChoice onClash = ClashChoice::DontSave;
    SameContentRule onSameContent = SameContentRule::Save;
    QStringList files;
};

QString ParseSameContentRule(const QString& value, SameContentRule& rule) {
    static const std::pair<const char*, SameContentRule> kRules[] = {
        {"ask", SameContentRule::Ask},
        {"save", SameContentRule::Save},
        {"skip", SameContentRule::Skip}};
    for (const auto& [name, named] : kRules) {
        if (value == QLatin1String(name)) {
            rule = named;
            return {};
        }
    }
    return QStringLiteral("--on-duplicate takes ask, save or skip, not \"%1\"").arg(value);
}

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
        } else if (arg == QLatin1String("--on-duplicate")) {
            if (++at >= args.size())
                return QStringLiteral("--on-duplicate needs a value: ask, save or skip");
            if (QString problem = ParseSameContentRule(args.at(at), options.onSameContent);
                !problem.isEmpty())
                return problem;
        } else {
            return QStringLiteral("unknown option %1").arg(arg);
        }
    }
    return options.files.isEmpty() ? QStringLiteral("no file given") : QString();
}

// A question on the terminal; only an answer starting with y saves.
std::function<bool(const SameContentFiles&)> AskOn(QTextStream* in, QTextStream& err) {
    if (!in)
        return {};
    return [in, &err](const SameContentFiles& files) {
        err << files.newPath << ": the same picture as " << files.earlier.savedPath << " (captured "
            << files.earlier.captureTime << "). Save it again? [y/N] " << Qt::flush;
        const QString answer = in->readLine().trimmed();
        return answer.startsWith(u'y', Qt::CaseInsensitive);
    };
}

QList<DroppedFile> FilesOf(const QStringList& paths) {
    QList<DroppedFile> files;
    for (const QString& path : paths)
        files.append({QFileInfo(path).absoluteFilePath(), {}});
    return files;
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
        "Usage: kelvo [--home DIR] capture [--on-clash auto|skip]\n"
        "                               [--on-duplicate ask|save|skip] [--] FILE...\n"
        "\n"
        "Captures the files into the current destination as a drop would: copied\n"
        "without replacing anything, stamped, logged and added to the history.\n"
        "A name that is taken is skipped (skip, the default) or numbered (auto).\n"
        "A file whose bytes were captured before is saved again (save, the\n"
        "default), skipped (skip), or asked about on the terminal (ask); its line\n"
        "names the earlier file either way.\n"
        "When a Kelvo window works on the same home, the files are handed to it\n"
        "and captured there as a drop; the window then asks about taken names\n"
        "and pictures captured before, as its settings say.\n"
        "Prints one line per file: the saved path and the outcome, or why it was\n"
        "not saved (\\, tab and line breaks escaped as \\\\, \\t, \\n and \\r).\n"
        "Only regular files are taken. Another capture on the same home is\n"
        "waited for a few seconds.\n");
}

int RunCaptureCommand(const QStringList& argsAfterCapture, const QString& homeFolder,
                      const QString& picturesDestination, const Clock& clock, QTextStream& out,
                      QTextStream& err, const HandOver& handOver, QTextStream* in) {
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
    const QList<DroppedFile> files = FilesOf(options.files);
    if (!locked && handOver) {
        QStringList paths;
        for (const DroppedFile& file : files)
            paths << file.path;
        if (const std::optional<int> code = handOver(paths, out))
            return *code;
    }
    if (!locked && !LockForCapture(lock, homeFolder, err))
        return kNotAllSaved;
    bool allSaved = true;
    LocalCapture capture{homeFolder, picturesDestination,   options.onClash, {},
                         files,      options.onSameContent, AskOn(in, err)};
    const bool done = CaptureHere(
        capture, clock, err, [&](const DroppedFile& file, const CaptureOutcome& outcome) {
            const bool saved = outcome.kind == CaptureOutcome::Kind::Saved;
            PrintCaptureLine(out, saved ? outcome.savedPath : file.path, outcome.Summary());
            allSaved = allSaved && outcome.Complete();
        });
    return done && allSaved ? kDone : kNotAllSaved;
}

} // namespace kelvo
