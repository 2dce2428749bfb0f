#include "app/TForm1.h"
#include "app/TableCommand.h"

#include <QApplication>
#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>
#include <string_view>

namespace {

bool IsTableCommand(int argc, char* argv[]) {
    return argc >= 2 && std::string_view(argv[1]) == "table";
}

// Runs without a display, so it works over ssh and in scripts.
int RunTableCommandLine(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    out.setEncoding(QStringConverter::Utf8);
    err.setEncoding(QStringConverter::Utf8);
    const int code = kelvo::RunTableCommand(app.arguments().mid(2), out, err);
    out.flush();
    if (out.status() != QTextStream::Ok) {
        err << "kelvo table: cannot write the output" << Qt::endl;
        return 1;
    }
    return code;
}

int RunWindow(int argc, char* argv[]) {
    QApplication app(argc, argv);
    kelvo::TForm1 window;
    window.show();
    return app.exec();
}

} // namespace

int main(int argc, char* argv[]) {
    if (IsTableCommand(argc, argv))
        return RunTableCommandLine(argc, argv);
    return RunWindow(argc, argv);
}
