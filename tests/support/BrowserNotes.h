#pragma once

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QtEndian>

#include <utility>

namespace kelvo::testing {

// Little-endian UTF-16, as Firefox hands texts over.
inline QByteArray Utf16(const QString& text) {
    QByteArray bytes(text.size() * 2, Qt::Uninitialized);
    qToLittleEndian<char16_t>(text.utf16(), text.size(), bytes.data());
    return bytes;
}

// Custom drag data as Chromium writes it: a payload size, a pair count, then
// each string as its length in characters and its UTF-16 characters, padded
// with zeros to 4 bytes.
inline QByteArray ChromiumCustomDataBlob(const QList<std::pair<QString, QString>>& pairs) {
    const auto word = [](QByteArray& out, quint32 value) {
        char bytes[4];
        qToLittleEndian(value, bytes);
        out.append(bytes, 4);
    };
    QByteArray payload;
    word(payload, quint32(pairs.size()));
    for (const auto& [type, value] : pairs) {
        for (const QString& text : {type, value}) {
            word(payload, quint32(text.size()));
            payload += Utf16(text);
            payload.append((4 - payload.size() % 4) % 4, '\0');
        }
    }
    QByteArray blob;
    word(blob, quint32(payload.size()));
    return blob + payload;
}

// The extension's note.
inline QString NoteJson(const QString& page, const QString& frame, const QString& image,
                        int version = 1) {
    const QJsonObject note{{"version", version},
                           {"page", page},
                           {"frame", frame},
                           {"title", QStringLiteral("ページ")},
                           {"image", image}};
    return QString::fromUtf8(QJsonDocument(note).toJson(QJsonDocument::Compact));
}

} // namespace kelvo::testing
