// A real owner of the X11 clipboard, for the paste tests: takes the clipboard
// with exactly the given types and bytes, prints "owning" once the X server
// has made it the owner, and serves requests until it is killed.
//
//   kelvo_clipboard_owner TYPE SOURCE [TYPE SOURCE]...
//
// SOURCE is @PATH for a file's bytes, png:PATH for the picture in PATH
// encoded as PNG (the pixels a browser puts there), else the text itself.
#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QFile>
#include <QImage>
#include <QMimeData>

#include <cstdio>

namespace {

std::optional<QByteArray> BytesOf(const QString& source) {
    if (source.startsWith(u'@')) {
        QFile file(source.mid(1));
        if (!file.open(QIODevice::ReadOnly))
            return std::nullopt;
        return file.readAll();
    }
    if (source.startsWith(QStringLiteral("png:"))) {
        const QImage picture(source.mid(4));
        QByteArray png;
        QBuffer buffer(&png);
        if (picture.isNull() || !buffer.open(QIODevice::WriteOnly) || !picture.save(&buffer, "PNG"))
            return std::nullopt;
        return png;
    }
    return source.toUtf8();
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.isEmpty() || args.size() % 2 != 0) {
        std::fputs("usage: kelvo_clipboard_owner TYPE SOURCE [TYPE SOURCE]...\n", stderr);
        return 64;
    }
    auto* data = new QMimeData;
    for (qsizetype at = 0; at < args.size(); at += 2) {
        const std::optional<QByteArray> bytes = BytesOf(args[at + 1]);
        if (!bytes) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(args[at + 1]));
            return 64;
        }
        data->setData(args[at], *bytes);
    }
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setMimeData(data); // the clipboard owns it now
    if (!clipboard->ownsClipboard()) {
        std::fputs("the X server did not make this the owner\n", stderr);
        return 1;
    }
    std::puts("owning");
    std::fflush(stdout);
    return app.exec();
}
