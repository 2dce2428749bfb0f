#include "similarity/PerceptualHash.h"

#include "decoders/PictureDecoder.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <numbers>

namespace kelvo {

// The hash: the picture in grey at 32 x 32, its 2-D DCT, and the 8 x 8 lowest
// frequencies but the mean (DC), one bit each: above or below their median. The
// low frequencies are the picture's layout, which resizing, re-encoding and
// format changes hardly move; with one bit a frequency, unrelated pictures differ
// in about half of them, nearly independently. An 8 x 8 average or difference
// hash keeps only whether each cell is lighter than the mean or than its
// neighbour, so pictures with the same light and dark layout hash alike.
//
// A picture made of few frequencies (two flat halves, a centred shape) has most
// of them at zero, all "not above the median": such pictures would differ only
// in their few bits, and two halves would hash alike whichever side is light.
// A frequency that close to the median takes its bit from a fixed random
// direction through all the frequencies instead, which flips with the picture:
// mirrored halves differ in every bit, halves at right angles in about half.
// The 64th bit says whether the picture is lighter than middle grey.
//
// The centre is hashed the same way: one hash of a whole picture, even at a
// few bits' distance, tells a copy with its edges trimmed from an unrelated
// picture no better than chance allows (94% of copies with a tenth of the area
// cut away were caught), while the trimmed copy is nearly the same picture as
// the centre of the one it was cut from.

namespace {

constexpr int kSide = 32;                       // the grey picture the frequencies are taken from
constexpr int kBand = 8;                        // its kBand x kBand lowest frequencies are hashed
constexpr int kFrequencies = kBand * kBand - 1; // without the mean
// Below this deviation from its mean, in grey levels, the low-frequency picture
// is flat: what is left is noise.
constexpr double kLeastStructure = 1.0;
// Closer than this to the median, a frequency's side of it is noise: a cosine a
// quarter of a grey level strong.
constexpr double kNearMedian = 0.25 * kSide / 2;
constexpr double kMiddleGrey = 127.5;
// The centre's share of each side: a twentieth of it off every edge.
constexpr double kCentreSide = 0.9;
// A file is decoded at twice the side the hash reads, so its centre keeps
// pixels of its own rather than being enlarged back to kSide.
constexpr int kDecodedSide = 2 * kSide;

using Bits = std::uint64_t;
using GreyPicture = std::array<double, kSide * kSide>;    // row by row
using Frequencies = std::array<double, kFrequencies>;     // row by row, without the mean
using Directions = std::array<Frequencies, kFrequencies>; // one for each frequency

int Horizontal(int frequency) {
    return (frequency + 1) % kBand;
}

int Vertical(int frequency) {
    return (frequency + 1) / kBand;
}

// Transparent pixels count as white; luma as in Rec. 601. Reduced first, so a
// large picture is converted a few pixels at a time.
GreyPicture GreyOnWhite(const QImage& picture) {
    const QImage small =
        picture.scaled(kSide, kSide, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
            .convertToFormat(QImage::Format_ARGB32_Premultiplied);
    GreyPicture grey;
    for (int y = 0; y < kSide; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(small.constScanLine(y));
        for (int x = 0; x < kSide; ++x) {
            const QRgb pixel = line[x];
            const int white = 255 - qAlpha(pixel);
            grey[y * kSide + x] = 0.299 * (qRed(pixel) + white) + 0.587 * (qGreen(pixel) + white) +
                                  0.114 * (qBlue(pixel) + white);
        }
    }
    return grey;
}

// basis[k * kSide + x]: the orthonormal DCT-II's k-th cosine at x.
const std::array<double, kBand * kSide>& CosineBasis() {
    static const auto basis = [] {
        std::array<double, kBand * kSide> table;
        for (int k = 0; k < kBand; ++k) {
            const double scale = std::sqrt((k == 0 ? 1.0 : 2.0) / kSide);
            for (int x = 0; x < kSide; ++x)
                table[k * kSide + x] =
                    scale * std::cos((2 * x + 1) * k * std::numbers::pi / (2 * kSide));
        }
        return table;
    }();
    return basis;
}

// The lowest kBand x kBand of the picture's 2-D DCT, row by row; the mean first.
std::array<double, kBand * kBand> LowestFrequencies(const GreyPicture& grey) {
    const auto& basis = CosineBasis();
    std::array<double, kBand * kSide> columns{}; // each column's vertical frequencies
    for (int v = 0; v < kBand; ++v)
        for (int y = 0; y < kSide; ++y)
            for (int x = 0; x < kSide; ++x)
                columns[v * kSide + x] += basis[v * kSide + y] * grey[y * kSide + x];
    std::array<double, kBand * kBand> band{};
    for (int v = 0; v < kBand; ++v)
        for (int u = 0; u < kBand; ++u)
            for (int x = 0; x < kSide; ++x)
                band[v * kBand + u] += basis[u * kSide + x] * columns[v * kSide + x];
    return band;
}

// The low-frequency picture's deviation from its mean, in grey levels.
double Structure(const Frequencies& frequencies) {
    double energy = 0;
    for (const double f : frequencies)
        energy += f * f;
    return std::sqrt(energy) / kSide;
}

double Median(Frequencies values) {
    auto middle = values.begin() + kFrequencies / 2;
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

// SplitMix64: the same numbers from the same seed everywhere, which the
// standard distributions do not promise.
std::uint64_t NextRandom(std::uint64_t& state) {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15u);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
    return z ^ (z >> 31);
}

// Fixed for good: changing them changes every stored hash.
const Directions& RandomDirections() {
    static const auto directions = [] {
        Directions table;
        std::uint64_t state = 0x4b656c766f;
        for (Frequencies& direction : table)
            for (double& component : direction)
                component = double(NextRandom(state) >> 11) / double(1ull << 52) - 1.0;
        return table;
    }();
    return directions;
}

// Each frequency weighed by how high it is: the strong lowest ones of a soft
// picture would otherwise decide every direction's side.
Frequencies Flattened(Frequencies frequencies) {
    for (int i = 0; i < kFrequencies; ++i)
        frequencies[i] *= std::hypot(Horizontal(i), Vertical(i));
    return frequencies;
}

bool OnPositiveSide(const Frequencies& direction, const Frequencies& point) {
    double projection = 0;
    for (int i = 0; i < kFrequencies; ++i)
        projection += direction[i] * point[i];
    return projection > 0;
}

Bits HashOf(const Frequencies& frequencies, double mean) {
    const double median = Median(frequencies);
    const Frequencies flattened = Flattened(frequencies);
    Bits hash = 0;
    for (int i = 0; i < kFrequencies; ++i) {
        const double fromMedian = frequencies[i] - median;
        const bool bit = std::abs(fromMedian) > kNearMedian
                             ? fromMedian > 0
                             : OnPositiveSide(RandomDirections()[i], flattened);
        hash |= Bits(bit) << i;
    }
    hash |= Bits(mean > kMiddleGrey) << kFrequencies;
    return hash;
}

std::optional<Bits> BitsOf(const QImage& picture) {
    const auto band = LowestFrequencies(GreyOnWhite(picture));
    Frequencies frequencies;
    std::copy(band.begin() + 1, band.end(), frequencies.begin());
    if (Structure(frequencies) < kLeastStructure)
        return std::nullopt;
    return HashOf(frequencies, band[0] / kSide);
}

QImage CentreOf(const QImage& picture) {
    const QSize kept(std::max(1, int(std::lround(picture.width() * kCentreSide))),
                     std::max(1, int(std::lround(picture.height() * kCentreSide))));
    return picture.copy(
        QRect(QPoint((picture.width() - kept.width()) / 2, (picture.height() - kept.height()) / 2),
              kept));
}

} // namespace

std::optional<PictureHash> PerceptualHashOf(const QImage& picture) {
    if (picture.isNull())
        return std::nullopt;
    const std::optional<Bits> whole = BitsOf(picture);
    if (!whole)
        return std::nullopt;
    // A frame around a flat middle: the whole stands for the centre too.
    return PictureHash{*whole, BitsOf(CentreOf(picture)).value_or(*whole)};
}

std::optional<PictureHash> PerceptualHashOfFile(const QString& path) {
    // Each side on its own: the hash squares the picture anyway, and a long
    // strip keeps its short side's pixels.
    const DecodedPicture decoded = DecodePicture(
        path, PictureKindOf(path), QSize(kDecodedSide, kDecodedSide), Reduction::EachSide);
    return PerceptualHashOf(decoded.image);
}

} // namespace kelvo
