#include "session/SettingsFile.h"

#include "files/FileBytes.h"
#include "text/PathText.h"

#include <QStringList>

#include <cctype>
#include <cstring>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace kelvo {

namespace {

constexpr qsizetype kMaxStringBytes = 2047;

using Key = std::pair<QByteArray, QByteArray>;

SettingKey IntegerKey(const char* section, const char* key, int defaultValue) {
    return {section, key, SettingType::Integer, QVariant(defaultValue)};
}

SettingKey BooleanKey(const char* section, const char* key, bool defaultValue) {
    return {section, key, SettingType::Boolean, QVariant(defaultValue)};
}

SettingKey StringKey(const char* section, const char* key, QVariant defaultValue) {
    return {section, key, SettingType::String, std::move(defaultValue)};
}

// Windows matches section and key names without regard to case.
Key LookupKey(QByteArrayView section, QByteArrayView key) {
    return {section.toByteArray().toLower(), key.toByteArray().toLower()};
}

std::optional<int> ParseInteger(const QByteArray& text) {
    bool ok = false;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        // Written by hand as a bit pattern, so the top bit may be set.
        const uint value = text.mid(2).toUInt(&ok, 16);
        return ok ? std::optional<int>(int(value)) : std::nullopt;
    }
    const int value = text.toInt(&ok, 10);
    return ok ? std::optional<int>(value) : std::nullopt;
}

bool IsShiftJisLeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// The longest prefix of at most maxBytes that does not split a character.
qsizetype CharacterBoundary(const QByteArray& bytes, qsizetype maxBytes, TextEncoding encoding) {
    if (bytes.size() <= maxBytes)
        return bytes.size();
    if (encoding == TextEncoding::Utf8) {
        qsizetype end = maxBytes;
        while (end > 0 && (static_cast<unsigned char>(bytes[end]) & 0xC0) == 0x80)
            --end;
        return end;
    }
    qsizetype end = 0;
    while (true) {
        const qsizetype next = end + (IsShiftJisLeadByte(bytes[end]) ? 2 : 1);
        if (next > maxBytes)
            return end;
        end = next;
    }
}

// A line feed in a value would end its line and start another key.
QString OnOneLine(QString value) {
    return value.replace(u'\n', u' ');
}

struct ParsedIni {
    std::map<Key, QByteArray> values;
    std::vector<Key> spellings; // as written, first occurrences in file order
};

// "[Section]" lines open a section; "key=value" lines inside one are kept,
// the first of a repeated key winning; ";" starts a comment line.
ParsedIni ParseIni(const QByteArray& text) {
    ParsedIni parsed;
    QByteArray section; // lines before the first header belong to no section
    for (const QByteArray& rawLine : text.split('\n')) {
        const QByteArray line = rawLine.trimmed();
        if (line.isEmpty() || line.startsWith(';'))
            continue;
        if (line.startsWith('[')) {
            const qsizetype close = line.indexOf(']');
            section = line.mid(1, close < 0 ? -1 : close - 1).trimmed();
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        if (equals < 0)
            continue;
        const QByteArray key = line.left(equals).trimmed();
        if (parsed.values.emplace(LookupKey(section, key), line.mid(equals + 1).trimmed()).second)
            parsed.spellings.emplace_back(section, key);
    }
    return parsed;
}

const char* TypeName(SettingType type) {
    switch (type) {
    case SettingType::Integer:
        return "integer";
    case SettingType::Boolean:
        return "boolean";
    case SettingType::String:
        break;
    }
    return "string";
}

} // namespace

std::span<const SettingKey> SettingKeys() {
    static const SettingKey keys[] = {
        IntegerKey("Form", "Top", 100),
        IntegerKey("Form", "Left", 100),
        IntegerKey("Form", "Width", 287),
        IntegerKey("Form", "Height", 292),
        IntegerKey("Form", "IHeight", 111), // preview pane
        IntegerKey("Form", "P1Width", 96),  // tree pane
        IntegerKey("Form", "WindowState", 0),
        IntegerKey("Form5", "Top", 0),
        IntegerKey("Form5", "Left", 0),
        IntegerKey("Form5", "Width", 585),
        IntegerKey("Form5", "Height", 550),
        IntegerKey("Form5", "WindowState", 0),
        IntegerKey("Form7", "Top", 0),
        IntegerKey("Form7", "Left", 0),
        IntegerKey("Form7", "Width", 683),
        IntegerKey("Form7", "Height", 610),
        IntegerKey("Form7", "IHeight", 200),
        IntegerKey("Form7", "P1Width", 185),
        IntegerKey("Form7", "WindowState", 0),
        StringKey("Form", "DefSiki", QStringLiteral("初期フォルダ")),
        IntegerKey("Form", "DefIndex", 0),
        StringKey("Form", "DefFolder", QVariant()),
        BooleanKey("Form", "CBX1", true),
        BooleanKey("Form", "CBX2", true), // confirm before ending
        BooleanKey("Form", "PBX1", true), // menu shown
        BooleanKey("Form", "PBX2", true), // tree pane shown
        IntegerKey("Form", "TBR1", 0),    // transparency level
        BooleanKey("Form", "NORI", false),
        IntegerKey("Browser", "DevToolsPort", 9222), // the browser's debugging port
    };
    return keys;
}

const SettingKey& FindSettingKey(const char* section, const char* key) {
    for (const SettingKey& entry : SettingKeys()) {
        if (std::strcmp(entry.section, section) == 0 && std::strcmp(entry.key, key) == 0)
            return entry;
    }
    throw std::out_of_range(std::string("no setting ") + section + "/" + key);
}

QString WriteFailureText(const QString& path) {
    return path + QStringLiteral(" に書き込めません");
}

SettingsFile::SettingsFile(QString homeFolder) : homeFolder_(std::move(homeFolder)) {}

void SettingsFile::Read(const QString& path) {
    const std::optional<std::string> bytes = ReadFileBytes(LocalPath(path));
    ReadBytes(bytes.value_or(std::string()));
}

void SettingsFile::ReadBytes(std::string_view bytes) {
    ParsedIni parsed = ParseIni(QByteArray(bytes.data(), qsizetype(bytes.size())));
    values_ = std::move(parsed.values);
    spellings_ = std::move(parsed.spellings);
    set_.clear();
}

int SettingsFile::Integer(const char* section, const char* key) const {
    if (const auto set = set_.find(LookupKey(section, key)); set != set_.end())
        return set->second.toInt();
    const int fallback = Default(FindSettingKey(section, key)).toInt();
    const std::optional<QByteArray> raw = RawValue(section, key);
    return raw ? ParseInteger(*raw).value_or(fallback) : fallback;
}

bool SettingsFile::Boolean(const char* section, const char* key) const {
    if (const auto set = set_.find(LookupKey(section, key)); set != set_.end())
        return set->second.toBool();
    const bool fallback = Default(FindSettingKey(section, key)).toBool();
    const std::optional<QByteArray> raw = RawValue(section, key);
    const std::optional<int> value = raw ? ParseInteger(*raw) : std::nullopt;
    return value ? *value != 0 : fallback;
}

QString SettingsFile::String(const char* section, const char* key) const {
    if (const auto set = set_.find(LookupKey(section, key)); set != set_.end())
        return set->second.toString();
    const QString fallback = Default(FindSettingKey(section, key)).toString();
    const std::optional<QByteArray> raw = RawValue(section, key);
    if (!raw)
        return fallback;
    // Each value is UTF-8 or the old program's Shift-JIS on its own: one odd
    // byte elsewhere in the file changes no other value.
    const std::string_view bytes(raw->constData(), size_t(raw->size()));
    qsizetype end = CharacterBoundary(
        *raw, kMaxStringBytes, IsValidUtf8(bytes) ? TextEncoding::Utf8 : TextEncoding::ShiftJis);
    // Blanks the cut leaves at the end would be trimmed at the next reading.
    // No byte of a multi-byte character, in either encoding, is a blank.
    while (end > 0 && std::isspace(static_cast<unsigned char>(raw->at(end - 1))))
        --end;
    return DecodeFileText(bytes.substr(0, size_t(end)));
}

void SettingsFile::SetInteger(const char* section, const char* key, int value) {
    Set(section, key, SettingType::Integer, QVariant(value));
}

void SettingsFile::SetBoolean(const char* section, const char* key, bool value) {
    Set(section, key, SettingType::Boolean, QVariant(value));
}

void SettingsFile::SetString(const char* section, const char* key, const QString& value) {
    Set(section, key, SettingType::String, QVariant(value));
}

void SettingsFile::Set(const char* section, const char* key, SettingType type, QVariant value) {
    const SettingKey& entry = FindSettingKey(section, key);
    if (entry.type != type) {
        throw std::invalid_argument(std::string("setting ") + section + "/" + key + " is " +
                                    TypeName(entry.type));
    }
    set_[LookupKey(section, key)] = std::move(value);
}

QString SettingsFile::Text(const SettingKey& key) const {
    switch (key.type) {
    case SettingType::Integer:
        return QString::number(Integer(key.section, key.key));
    case SettingType::Boolean:
        return Boolean(key.section, key.key) ? QStringLiteral("1") : QStringLiteral("0");
    case SettingType::String:
        break;
    }
    return String(key.section, key.key);
}

bool SettingsFile::Write(const QString& path) const {
    return WriteFileAtomically(LocalPath(path), FileBytes());
}

std::string SettingsFile::FileBytes() const {
    struct Section {
        QString header;
        QStringList lines;
    };
    std::vector<Section> sections;
    std::map<QByteArray, size_t> sectionIndex; // by lower-case name
    const auto sectionFor = [&](const QByteArray& lowerName, QString header) -> Section& {
        const auto [found, added] = sectionIndex.emplace(lowerName, sections.size());
        if (added)
            sections.push_back({std::move(header), {}});
        return sections[found->second];
    };

    std::set<Key> known;
    for (const SettingKey& key : SettingKeys()) {
        const Key lookup = LookupKey(key.section, key.key);
        known.insert(lookup);
        sectionFor(lookup.first, QString::fromLatin1(key.section))
            .lines.append(QString::fromLatin1(key.key) + u'=' + OnOneLine(Text(key)));
    }
    // A later version's sections and keys survive a round trip through this one.
    const auto decode = [](const QByteArray& bytes) {
        return DecodeFileText(std::string_view(bytes.constData(), size_t(bytes.size())));
    };
    for (const auto& [section, key] : spellings_) {
        const Key lookup = LookupKey(section, key);
        if (section.isEmpty() || known.contains(lookup))
            continue;
        sectionFor(lookup.first, decode(section))
            .lines.append(decode(key) + u'=' + decode(values_.at(lookup)));
    }

    QStringList blocks;
    for (const Section& section : sections)
        blocks.append(u'[' + section.header + QStringLiteral("]\r\n") +
                      section.lines.join(u"\r\n") + QStringLiteral("\r\n"));
    return EncodeFileText(blocks.join(u"\r\n"));
}

QVariant SettingsFile::Default(const SettingKey& key) const {
    return key.defaultValue.isNull() ? QVariant(homeFolder_) : key.defaultValue;
}

std::optional<QByteArray> SettingsFile::RawValue(const char* section, const char* key) const {
    const auto found = values_.find(LookupKey(section, key));
    if (found == values_.end())
        return std::nullopt;
    return found->second;
}

} // namespace kelvo
