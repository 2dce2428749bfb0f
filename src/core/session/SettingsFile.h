#pragma once

#include "text/TextCodec.h"

#include <QByteArray>
#include <QString>
#include <QVariant>

#include <map>
#include <optional>
#include <span>
#include <utility>
#include <vector>

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

// The message shown when the settings file cannot be written at close.
QString WriteFailureText(const QString& path);

// The settings file as read: a missing file, section or key, or a value that
// does not parse, gives the key's default. Integers may be written "0x" hex;
// a boolean is an integer that is not 0; strings are read up to 2047 bytes.
// Section and key names are matched without regard to letter case.
class SettingsFile {
public:
    explicit SettingsFile(QString homeFolder);

    // Reads the file afresh; a missing or unreadable file leaves every key at
    // its default. Values set before are dropped.
    void Read(const QString& path);
    // The same from the file's bytes.
    void ReadBytes(std::string_view bytes);

    int Integer(const char* section, const char* key) const;
    bool Boolean(const char* section, const char* key) const;
    QString String(const char* section, const char* key) const;

    // Override what was read. Throw std::out_of_range for a key that is not
    // in the table, std::invalid_argument for a key of another type.
    void SetInteger(const char* section, const char* key, int value);
    void SetBoolean(const char* section, const char* key, bool value);
    void SetString(const char* section, const char* key, const QString& value);

    // Writes every key of the table with its current value, in UTF-8 with
    // CR LF line ends; sections and keys the table does not know are kept as
    // read, after the known ones. False when the file cannot be written; the
    // old file then stays as it was.
    bool Write(const QString& path) const;
    // The bytes Write writes.
    std::string FileBytes() const;

private:
    using SectionKey = std::pair<QByteArray, QByteArray>;

    QVariant Default(const SettingKey& key) const;
    std::optional<QByteArray> RawValue(const char* section, const char* key) const;
    void Set(const char* section, const char* key, SettingType type, QVariant value);
    QString Text(const SettingKey& key) const;

    QString homeFolder_;
    // Keyed by lower-case section and key; values as the file's bytes.
    std::map<SectionKey, QByteArray> values_;
    // Section and key as spelled in the file, first occurrences in file order.
    std::vector<SectionKey> spellings_;
    std::map<SectionKey, QVariant> set_;
};

} // namespace kelvo
