#pragma once

#include "session/ProgramName.h"

#include <QString>
#include <QStringList>
#include <QTextStream>

namespace kelvo {

// Every command and option, as `kelvo --help` prints it.
QString KelvoUsage();

// What the arguments after the program's name ask for, decided before any
// window or display is touched.
struct CommandLineRequest {
    enum class Kind { Window, Help, Version, Command, Wrong };
    Kind kind = Kind::Window;
    QString command; // Command: "table", "capture" or "history"
    QString problem; // Wrong: what is wrong, to print on stderr
};
CommandLineRequest ReadCommandLine(const QStringList& arguments);

// Says on err what is wrong with a command's arguments, then the command's
// usage; gives the exit code of a wrong call, 2.
int WrongUsage(QTextStream& err, const char* command, const QString& problem, const QString& usage);

} // namespace kelvo
