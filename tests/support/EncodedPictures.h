#pragma once

// Pictures in formats Qt cannot write, made at test time by the real encoders
// (avifenc from libavif-bin, img2webp from webp) from PNG frames Qt writes.

#include <QImage>
#include <QList>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

namespace kelvo::testing {

inline QString Encoder(const QString& name) {
    return QStandardPaths::findExecutable(name);
}

// Runs the encoder over the frames, each written as a PNG beside target; the
// arguments are those before the frames, after is what follows them. Empty
// on success, else what went wrong.
inline QString Encode(const QString& encoder, const QString& target, const QList<QImage>& frames,
                      const QStringList& before, const QStringList& perFrame,
                      const QStringList& after) {
    const QString program = Encoder(encoder);
    if (program.isEmpty())
        return encoder + QStringLiteral(" is not installed");
    QStringList arguments = before;
    for (qsizetype i = 0; i < frames.size(); ++i) {
        const QString frame = target + QStringLiteral(".%1.png").arg(i);
        if (!frames[i].save(frame, "png"))
            return QStringLiteral("cannot write ") + frame;
        arguments << perFrame << frame;
    }
    arguments << after;
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        return encoder + QStringLiteral(" failed: ") + process.errorString() + u'\n' +
               QString::fromLocal8Bit(process.readAll());
    return {};
}

// An AVIF of the frames (an image sequence when there are several); options
// such as {"-d", "10"} go to avifenc. At the fastest speed, for quick tests.
inline QString WriteAvif(const QString& target, const QList<QImage>& frames,
                         const QStringList& options = {}) {
    return Encode(QStringLiteral("avifenc"), target, frames,
                  QStringList{QStringLiteral("--speed"), QStringLiteral("10")} + options, {},
                  {target});
}

// An animated WebP, losslessly, each frame shown for frameMs and looping.
inline QString WriteAnimatedWebp(const QString& target, const QList<QImage>& frames,
                                 int frameMs = 100) {
    return Encode(QStringLiteral("img2webp"), target, frames,
                  {QStringLiteral("-loop"), QStringLiteral("0"), QStringLiteral("-lossless")},
                  {QStringLiteral("-d"), QString::number(frameMs)}, {QStringLiteral("-o"), target});
}

// A picture of two halves, left and right, of the given colours.
inline QImage Halves(int width, int height, QColor left, QColor right) {
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixelColor(x, y, x < width / 2 ? left : right);
    return image;
}

} // namespace kelvo::testing
