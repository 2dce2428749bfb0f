#pragma once

// Pictures made in code for the picture hash's tests and benchmark: what a
// photo or a drawing holds at the scale the hash sees (a graded background,
// shapes in flat and graded colours, scribbled texture, sensor-like noise),
// the same for the same seed.

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>
#include <QRandomGenerator>

#include <algorithm>

namespace kelvo::testing {

inline QColor RandomColour(QRandomGenerator& random, int leastAlpha = 255) {
    return QColor(random.bounded(256), random.bounded(256), random.bounded(256),
                  random.bounded(leastAlpha, 256));
}

inline QBrush RandomBrush(QRandomGenerator& random, const QRectF& area) {
    switch (random.bounded(3)) {
    case 0:
        return RandomColour(random, 150);
    case 1: {
        QLinearGradient gradient(area.topLeft(), area.bottomRight());
        gradient.setColorAt(0, RandomColour(random, 150));
        gradient.setColorAt(1, RandomColour(random, 150));
        return gradient;
    }
    default: {
        QRadialGradient gradient(area.center(), std::max(area.width(), area.height()) / 2);
        gradient.setColorAt(0, RandomColour(random, 150));
        gradient.setColorAt(1, RandomColour(random, 150));
        return gradient;
    }
    }
}

inline void PaintBackground(QPainter& painter, QRandomGenerator& random, QSize size) {
    const auto point = [&] {
        return QPointF(random.bounded(double(size.width())), random.bounded(double(size.height())));
    };
    QLinearGradient gradient(point(), point());
    const int stops = random.bounded(2, 4);
    for (int i = 0; i < stops; ++i)
        gradient.setColorAt(double(i) / (stops - 1), RandomColour(random));
    painter.fillRect(QRect(QPoint(), size), gradient);
}

inline void PaintShape(QPainter& painter, QRandomGenerator& random, QSize size) {
    const double width = size.width() * (0.05 + random.bounded(0.55));
    const double height = size.height() * (0.05 + random.bounded(0.55));
    const QRectF area(random.bounded(double(size.width())) - width / 2,
                      random.bounded(double(size.height())) - height / 2, width, height);
    painter.save();
    painter.translate(area.center());
    painter.rotate(random.bounded(360.0));
    painter.translate(-area.center());
    if (random.bounded(2))
        painter.setPen(QPen(RandomColour(random), 1 + random.bounded(size.width() / 100 + 1)));
    else
        painter.setPen(Qt::NoPen);
    painter.setBrush(RandomBrush(random, area));
    const auto inside = [&] {
        return area.topLeft() + QPointF(random.bounded(width), random.bounded(height));
    };
    switch (random.bounded(4)) {
    case 0:
        painter.drawEllipse(area);
        break;
    case 1:
        painter.drawRect(area);
        break;
    case 2: {
        QPolygonF polygon;
        for (int corners = random.bounded(3, 7); corners > 0; --corners)
            polygon << inside();
        painter.drawPolygon(polygon);
        break;
    }
    default: // texture: short strokes
        painter.setPen(QPen(RandomColour(random), 1 + random.bounded(3)));
        for (int stroke = 0; stroke < 200; ++stroke) {
            const QPointF from = inside();
            painter.drawLine(from,
                             from + QPointF(random.bounded(20.0) - 10, random.bounded(20.0) - 10));
        }
    }
    painter.restore();
}

// Each channel moved by up to `amplitude` steps, pixel by pixel.
inline void AddNoise(QImage& image, QRandomGenerator& random, int amplitude) {
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int step = int(random.generate() % (2 * amplitude + 1)) - amplitude;
            const auto moved = [step](int channel) { return std::clamp(channel + step, 0, 255); };
            line[x] = qRgb(moved(qRed(line[x])), moved(qGreen(line[x])), moved(qBlue(line[x])));
        }
    }
}

// An opaque picture of the given size: a graded background, 4 to 14 shapes,
// and noise of up to 15 steps.
inline QImage SyntheticPicture(QSize size, quint32 seed) {
    QRandomGenerator random(seed);
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    PaintBackground(painter, random, size);
    for (int shapes = random.bounded(4, 15); shapes > 0; --shapes)
        PaintShape(painter, random, size);
    painter.end();
    if (const int noise = random.bounded(16); noise > 0)
        AddNoise(image, random, noise);
    return image;
}

} // namespace kelvo::testing
