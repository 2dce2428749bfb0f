#pragma once

#include "platform/TextCodec.h"

#include <QByteArray>
#include <QString>
#include <QVariant>

#include <map>
#include <optional>
#include <span>
#include <utility>

namespace kelvo {

enum class SettingType { Integer, Boolean, String };

// One key of the settings file, declared once with its type and default.
struct SettingKey {
    const char* section;
    const char* key;
    SettingType type;
    QVariant defaultValue; // a null QVariant for "DefFolder": the home folder
};

// Every key of the settings file "kelvo.ini", in the order they are written.
std::span<const SettingKey> SettingKeys();
// Throws std::out_of_range for a key that is not in the table.
const SettingKey& FindSettingKey(const char* section, const char* key);

// The settings file as read: a missing file, section or key, or a value that
// does not parse, gives the key's default. Integers may be written "0x" hex;
// a boolean is an integer that is not 0; strings are read up to 2047 bytes.
// Section and key names are matched without regard to letter case.
class SettingsFile {
public:
    explicit SettingsFile(QString homeFolder);

    // Reads the file afresh; a missing or unreadable file leaves every key at
    // its default.
    void Read(const QString& path);

    int Integer(const char* section, const char* key) const;
    bool Boolean(const char* section, const char* key) const;
    QString String(const char* section, const char* key) const;

private:
    QVariant Default(const SettingKey& key) const;
    std::optional<QByteArray> RawValue(const char* section, const char* key) const;

    QString homeFolder_;
    TextEncoding encoding_ = TextEncoding::Utf8;
    // Keyed by lower-case section and key; values as the file's bytes.
    std::map<std::pair<QByteArray, QByteArray>, QByteArray> values_;
};

} // namespace kelvo
