#include "commands/CommandLine.h"

namespace kelvo {

QString KelvoUsage() {
    return QStringLiteral(
        "Usage:\n"
        "  kelvo [--home DIR]                                    start the window\n"
        "  kelvo [--home DIR] capture [--on-clash auto|skip] [--on-duplicate ask|save|skip]\n"
        "                             [--] FILE...\n"
        "                                                        capture files as a drop "
        "would, without a window\n"
        "  kelvo [--home DIR] history [DAY]                      print the months and days, "
        "or one day's captures\n"
        "  kelvo [--home DIR] history --find WORD...             print the captures that hold "
        "every word\n"
        "  kelvo [--home DIR] history --file PATH...             print the captures that saved "
        "these files\n"
        "  kelvo [--home DIR] history --same FILE...             print the captures of the same "
        "pictures\n"
        "  kelvo [--home DIR] history --similar FILE...          the same and similar pictures, "
        "most alike first\n"
        "  kelvo [--home DIR] browser-hosts install|remove|status\n"
        "                                                        let the browsers' menus "
        "reach Kelvo\n"
        "  kelvo table dump [--types] FILE                       print a table file\n"
        "  kelvo table convert IN OUT                            load IN and save OUT; each "
        "path's ending chooses its form\n"
        "  kelvo --help | -h                                     print this text\n"
        "  kelvo --version                                       print the version\n"
        "\n"
        "--home DIR: the folder of kelvo.ini, the lists and the logs (default: the\n"
        "executable's folder when a kelvo.ini lies there, else ~/.local/share/kelvo/).\n");
}

CommandLineRequest ReadCommandLine(const QStringList& arguments) {
    using Kind = CommandLineRequest::Kind;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == u"--home") {
            if (i + 1 >= arguments.size() || arguments[i + 1].isEmpty())
                return {Kind::Wrong, {}, QStringLiteral("--home needs a folder")};
            ++i;
            continue;
        }
        if (argument.startsWith(u"--home=")) {
            if (argument.size() == 7)
                return {Kind::Wrong, {}, QStringLiteral("--home needs a folder")};
            continue;
        }
        if (argument == u"--help" || argument == u"-h")
            return {Kind::Help, {}, {}};
        if (argument == u"--version")
            return {Kind::Version, {}, {}};
        if (argument == u"table" || argument == u"capture" || argument == u"history" ||
            argument == u"browser-hosts")
            return {Kind::Command, argument, {}};
        if (argument.startsWith(u'-'))
            return {Kind::Wrong, {}, QStringLiteral("unknown option ") + argument};
        return {Kind::Wrong, {}, QStringLiteral("unknown command ") + argument};
    }
    return {};
}

int WrongUsage(QTextStream& err, const char* command, const QString& problem,
               const QString& usage) {
    err << "kelvo " << command << ": " << problem << "\n\n" << usage;
    return 2;
}

} // namespace kelvo
