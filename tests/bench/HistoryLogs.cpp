#include "HistoryLogs.h"

#include "Random.h"
#include "logs/CaptureLog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <array>
#include <cinttypes>
#include <cstdio>
#include <string_view>

namespace kelvo::bench {

namespace {

// The one site holding the selective word gets this share of the captures,
// and no other value can hold it (the random pieces are hex digits).
constexpr int kSelectivePercent = 2;

// The other 39 sites, each with its own shape of path.
constexpr std::array<const char*, 39> kSites = {
    "https://pbs.twimg.com/media/%h.jpg",
    "https://i.imgur.com/%h.png",
    "https://www.pixiv.net/artworks/%n",
    "https://i.pximg.net/img-original/img/2024/03/12/%n_p0.png",
    "https://upload.wikimedia.org/wikipedia/commons/%h/%n.jpg",
    "https://live.staticflickr.com/%n/%h_b.jpg",
    "https://images.unsplash.com/photo-%n-%h",
    "https://www.deviantart.com/art/%n",
    "https://i.pinimg.com/originals/%h.jpg",
    "https://blog.hatena.ne.jp/entry/2024/03/12/%n",
    "https://ameblo.jp/user/image-%n-%n.html",
    "https://news.yahoo.co.jp/articles/%h/images/%n",
    "https://www.nikkei.com/article/%h/",
    "https://www3.nhk.or.jp/news/html/%n/k%n.html",
    "https://cdn.example-shop.jp/items/%n/main.jpg",
    "https://img.tabelog.com/restaurant/images/Rvw/%n/%h.jpg",
    "https://www.instagram.com/p/%h/",
    "https://scontent.cdninstagram.com/v/%h_n.jpg",
    "https://www.reddit.com/r/wallpapers/comments/%h/",
    "https://i.redd.it/%h.jpeg",
    "https://danbooru.donmai.us/posts/%n",
    "https://safebooru.org/images/%n/%h.png",
    "https://www.artstation.com/artwork/%h",
    "https://cdna.artstation.com/p/assets/images/%n/large/%h.jpg",
    "https://photos.google.com/share/%h",
    "https://lh3.googleusercontent.com/%h=w2400",
    "https://www.amazon.co.jp/dp/%h",
    "https://m.media-amazon.com/images/I/%h.jpg",
    "https://item.rakuten.co.jp/shop/%n/",
    "https://thumbnail.image.rakuten.co.jp/@0_mall/%n/%h.jpg",
    "https://www.4gamer.net/games/%n/G%n/",
    "https://game.watch.impress.co.jp/img/gmw/docs/%n/%h.jpg",
    "https://dengekionline.com/images/%h.jpg",
    "https://natalie.mu/comic/gallery/news/%n/%n",
    "https://prtimes.jp/i/%n/%n/resize/%h.jpg",
    "https://www.nasa.gov/image-detail/%h/",
    "https://wallpapercave.com/wp/%h.jpg",
    "https://www.wallpaperflare.com/%h-wallpaper-%n",
    "https://file.example.net/uploads/%n/%h.webp",
};

// Every folder lies under the same home: "taro" is in every row.
constexpr std::array<const char*, 5> kFolders = {
    "/home/taro/Pictures/壁紙/", "/home/taro/Pictures/",           "/home/taro/Pictures/イラスト/",
    "/home/taro/ダウンロード/",  "/home/taro/Pictures/写真/2024/",
};
constexpr std::array<int, 5> kFolderPercents = {40, 25, 15, 10, 10};

constexpr std::array<const char*, 6> kIdentifiers = {"Firefox", "Chrome", "Edge",
                                                     "Safari",  "壁紙",   "ﾌﾞﾗｳｻﾞ"};

struct Row {
    std::string fileName, time, identifier, address, folder;
};

void AppendHex(std::string& out, Random& random) {
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016" PRIx64, random.Next());
    out.append(hex);
}

std::string Address(Random& random) {
    if (random.Below(100) < kSelectivePercent) {
        std::string address = std::string("https://") + kSelectiveWord + "-gallery.jp/works/";
        AppendHex(address, random);
        return address + "/large.jpg";
    }
    std::string address;
    for (const char* at = kSites[size_t(random.Below(int(kSites.size())))]; *at; ++at) {
        if (*at == '%' && at[1] == 'h') {
            AppendHex(address, random);
            ++at;
        } else if (*at == '%' && at[1] == 'n') {
            address += std::to_string(random.Below(100000000));
            ++at;
        } else {
            address.push_back(*at);
        }
    }
    return address;
}

// Row i of a day of perDay captures, spread over the day in order; rows of a
// day come from one sequence of the day's random numbers.
Row MakeRow(const QDate& day, int i, int perDay, Random& random) {
    Row row;
    const int second = int(int64_t(i) * 86400 / perDay) + random.Below(std::max(1, 86400 / perDay));
    char text[64];
    if (i % 50 == 3) { // a few names in half-width and full-width katakana
        std::snprintf(text, sizeof text, "ｽｸﾘｰﾝｼｮｯﾄ_%d.png", i);
    } else if (i % 50 == 28) {
        std::snprintf(text, sizeof text, "スクリーンショット_%d.png", i);
    } else if (const int kind = random.Below(100); kind < 70) {
        std::snprintf(text, sizeof text, "IMG_%04d%02d%02d_%04d.jpg", day.year(), day.month(),
                      day.day(), i);
    } else if (kind < 92) {
        std::snprintf(text, sizeof text, "画像_%d.png", i);
    } else {
        std::snprintf(text, sizeof text, "DSC%05d.JPG", random.Below(100000));
    }
    row.fileName = text;
    std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d:%02d", day.year(), day.month(),
                  day.day(), second / 3600, second / 60 % 60, second % 60);
    row.time = text;
    if (random.Below(100) >= 70)
        row.identifier = kIdentifiers[size_t(random.Below(int(kIdentifiers.size())))];
    row.address = Address(random);
    int folder = random.Below(100);
    size_t n = 0;
    while (folder >= kFolderPercents[n])
        folder -= kFolderPercents[n++];
    row.folder = kFolders[n];
    return row;
}

void AppendQuoted(std::string& out, std::string_view value) {
    out.push_back('"');
    for (const char c : value) {
        out.push_back(c);
        if (c == '"')
            out.push_back('"');
    }
    out.push_back('"');
}

} // namespace

std::string DayLogBytes(const QDate& day, int perDay, int rows) {
    std::string out;
    out.reserve(size_t(rows) * 180 + 100);
    for (size_t n = 0; n < kCaptureLogColumns.size(); ++n) {
        AppendQuoted(out, kCaptureLogColumns[n]);
        out.append(n + 1 < kCaptureLogColumns.size() ? ";" : "\r\n");
    }
    Random random(uint64_t(day.toJulianDay()));
    for (int i = 0; i < rows; ++i) {
        const Row row = MakeRow(day, i, perDay, random);
        for (const std::string* value :
             {&row.fileName, &row.time, &row.identifier, &row.address, &row.folder}) {
            AppendQuoted(out, *value);
            out.push_back(';');
        }
        out.back() = '\r';
        out.push_back('\n');
    }
    return out;
}

QString DayText(const QDate& day) {
    return day.toString(QStringLiteral("yyyyMMdd"));
}

bool SameBytesAsCaptureLog() {
    QTemporaryDir temp;
    const QString home = temp.path() + u'/';
    const QDate day(2024, 3, 12);
    constexpr int rows = 60;
    Random random(uint64_t(day.toJulianDay()));
    for (int i = 0; i < rows; ++i) {
        const Row row = MakeRow(day, i, 1000, random);
        const QDateTime time = QDateTime::fromString(QString::fromStdString(row.time),
                                                     QStringLiteral("yyyy/MM/dd HH:mm:ss"));
        if (!WriteCaptureLog(home, {QString::fromStdString(row.fileName), time,
                                    QString::fromStdString(row.identifier),
                                    QString::fromStdString(row.address),
                                    QString::fromStdString(row.folder)}))
            return false;
    }
    QFile written(DayLogPath(home, DayText(day)));
    return written.open(QIODevice::ReadOnly) &&
           written.readAll().toStdString() == DayLogBytes(day, 1000, rows);
}

bool WriteHistoryLogs(const QString& home, int perDay) {
    for (int n = kHistoryDays - 1; n >= 0; --n) {
        const QDate day = kHistoryLastDay.addDays(-n);
        const QString path = DayLogPath(home, DayText(day));
        QFile log(path);
        if (!QDir().mkpath(QFileInfo(path).absolutePath()) || !log.open(QIODevice::WriteOnly))
            return false;
        const std::string bytes = DayLogBytes(day, perDay, perDay);
        if (log.write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size()))
            return false;
    }
    return true;
}

} // namespace kelvo::bench
