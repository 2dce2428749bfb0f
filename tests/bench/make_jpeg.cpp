// Writes a JPEG of WIDTH x HEIGHT pixels whose content does not compress
// away, for scripts/measure.sh.
//
//   kelvo_make_jpeg WIDTH HEIGHT PATH

#include <QCoreApplication>
#include <QImage>
#include <QRandomGenerator>

#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s WIDTH HEIGHT PATH\n", argv[0]);
        return 2;
    }
    const int width = std::atoi(argv[1]);
    const int height = std::atoi(argv[2]);
    QImage image(width, height, QImage::Format_RGB32);
    QRandomGenerator random(24);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            line[x] = qRgb((x * 255) / width, (y * 255) / height, int(random.bounded(256)));
    }
    if (!image.save(QString::fromLocal8Bit(argv[3]), "JPEG", 90)) {
        std::fprintf(stderr, "cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
