#include "session/SettingsFile.h"

#include "files/FileBytes.h"
#include "text/PathText.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>

#include <cctype>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace kelvo {

namespace {

using Key = std::pair<QByteArray, QByteArray>;

constexpr int kAnyInteger = std::numeric_limits<int>::min();
constexpr int kLargestInteger = std::numeric_limits<int>::max();

SettingKey IntegerKey(IntegerSetting id, const char* section, const char* key, int defaultValue,
                      int minimum = kAnyInteger, int maximum = kLargestInteger) {
    return {section, key, SettingType::Integer, int(id), QVariant(defaultValue), minimum, maximum};
}

SettingKey BooleanKey(BooleanSetting id, const char* section, const char* key, bool defaultValue) {
    return {section, key, SettingType::Boolean, int(id), QVariant(defaultValue)};
}

SettingKey StringKey(StringSetting id, const char* section, const char* key,
                     QVariant defaultValue) {
    return {section, key, SettingType::String, int(id), std::move(defaultValue)};
}

const SettingKey& FindKey(SettingType type, int id) {
    for (const SettingKey& key : SettingKeys()) {
        if (key.type == type && key.id == id)
            return key;
    }
    throw std::logic_error("a setting without a key");
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

} // namespace

std::span<const SettingKey> SettingKeys() {
    using I = IntegerSetting;
    using B = BooleanSetting;
    using S = StringSetting;
    constexpr int kStates = int(WindowState::Maximized);
    static const SettingKey keys[] = {
        IntegerKey(I::MainTop, "Form", "Top", 100),
        IntegerKey(I::MainLeft, "Form", "Left", 100),
        IntegerKey(I::MainWidth, "Form", "Width", 287),
        IntegerKey(I::MainHeight, "Form", "Height", 292),
        IntegerKey(I::MainPreviewHeight, "Form", "IHeight", 111),
        IntegerKey(I::MainTreeWidth, "Form", "P1Width", 96),
        IntegerKey(I::MainWindowState, "Form", "WindowState", 0, 0, kStates),
        IntegerKey(I::ViewerTop, "Form5", "Top", 0),
        IntegerKey(I::ViewerLeft, "Form5", "Left", 0),
        IntegerKey(I::ViewerWidth, "Form5", "Width", 585),
        IntegerKey(I::ViewerHeight, "Form5", "Height", 550),
        IntegerKey(I::ViewerWindowState, "Form5", "WindowState", 0, 0, kStates),
        IntegerKey(I::HistoryTop, "Form7", "Top", 0),
        IntegerKey(I::HistoryLeft, "Form7", "Left", 0),
        IntegerKey(I::HistoryWidth, "Form7", "Width", 683),
        IntegerKey(I::HistoryHeight, "Form7", "Height", 610),
        IntegerKey(I::HistoryPreviewHeight, "Form7", "IHeight", 200),
        IntegerKey(I::HistoryTreeWidth, "Form7", "P1Width", 185),
        IntegerKey(I::HistoryWindowState, "Form7", "WindowState", 0, 0, kStates),
        StringKey(S::DestinationIdentifier, "Form", "DefSiki", QStringLiteral("初期フォルダ")),
        IntegerKey(I::DestinationIndex, "Form", "DefIndex", 0),
        StringKey(S::DestinationFolder, "Form", "DefFolder", QVariant()),
        BooleanKey(B::KeptDestinationFlag, "Form", "CBX1", true),
        BooleanKey(B::ConfirmClose, "Form", "CBX2", true),
        BooleanKey(B::MenuShown, "Form", "PBX1", true),
        BooleanKey(B::TreePaneShown, "Form", "PBX2", true),
        IntegerKey(I::TransparencyLevel, "Form", "TBR1", 0),
        BooleanKey(B::ListFileWritten, "Form", "NORI", false),
        IntegerKey(I::DevToolsPort, "Browser", "DevToolsPort", 9222),
        // The windows' language (DisplayLanguage): "ja" or "en".
        StringKey(S::Language, "Appearance", "Language", QStringLiteral("ja")),
        // SameContentRule's values: 0 ask, 1 save, 2 skip.
        IntegerKey(I::SameContentRule, "Collection", "SameImage", 0, 0, 2),
        BooleanKey(B::SourceAttributes, "Collection", "SourceAttributes", true),
    };
    return keys;
}

const SettingKey& KeyOf(IntegerSetting setting) {
    return FindKey(SettingType::Integer, int(setting));
}

const SettingKey& KeyOf(BooleanSetting setting) {
    return FindKey(SettingType::Boolean, int(setting));
}

const SettingKey& KeyOf(StringSetting setting) {
    return FindKey(SettingType::String, int(setting));
}

int DefaultInteger(IntegerSetting setting) {
    return KeyOf(setting).defaultValue.toInt();
}

QSize DefaultSize(const WindowSettings& window) {
    return {DefaultInteger(window.width), DefaultInteger(window.height)};
}

QString WriteFailureText(const QString& path) {
    return QCoreApplication::translate("SettingsFile", "%1 に書き込めません").arg(path);
}

QString SettingsFileKeptText(const QString& path) {
    return QCoreApplication::translate("SettingsFile", "%1 を読み込めません。既定の設定で始め、"
                                                       "ファイルはそのまま残して書き込みません。")
        .arg(path);
}

SettingsFile::SettingsFile(QString defaultFolder) : defaultFolder_(std::move(defaultFolder)) {}

bool SettingsFile::Read(const QString& path) {
    const std::optional<std::string> bytes = ReadFileBytes(LocalPath(path));
    ReadBytes(bytes.value_or(std::string()));
    return bytes || !QFileInfo::exists(path);
}

void SettingsFile::ReadBytes(std::string_view bytes) {
    ParsedIni parsed = ParseIni(QByteArray(bytes.data(), qsizetype(bytes.size())));
    values_ = std::move(parsed.values);
    spellings_ = std::move(parsed.spellings);
    set_.clear();
}

int SettingsFile::Integer(IntegerSetting setting) const {
    const SettingKey& key = KeyOf(setting);
    if (const QVariant* set = SetValue(key))
        return set->toInt();
    const int fallback = Default(key).toInt();
    const std::optional<QByteArray> raw = RawValue(key);
    const std::optional<int> value = raw ? ParseInteger(*raw) : std::nullopt;
    return value && *value >= key.minimum && *value <= key.maximum ? *value : fallback;
}

bool SettingsFile::Boolean(BooleanSetting setting) const {
    const SettingKey& key = KeyOf(setting);
    if (const QVariant* set = SetValue(key))
        return set->toBool();
    const bool fallback = Default(key).toBool();
    const std::optional<QByteArray> raw = RawValue(key);
    const std::optional<int> value = raw ? ParseInteger(*raw) : std::nullopt;
    return value ? *value != 0 : fallback;
}

QString SettingsFile::String(StringSetting setting) const {
    const SettingKey& key = KeyOf(setting);
    if (const QVariant* set = SetValue(key))
        return set->toString();
    const QString fallback = Default(key).toString();
    const std::optional<QByteArray> raw = RawValue(key);
    if (!raw)
        return fallback;
    // Each value is UTF-8 or the old program's Shift-JIS on its own: one odd
    // byte elsewhere in the file changes no other value.
    const std::string_view bytes(raw->constData(), size_t(raw->size()));
    qsizetype end =
        CharacterBoundary(*raw, kMaxSettingStringBytes,
                          IsValidUtf8(bytes) ? TextEncoding::Utf8 : TextEncoding::ShiftJis);
    // Blanks the cut leaves at the end would be trimmed at the next reading.
    // No byte of a multi-byte character, in either encoding, is a blank.
    while (end > 0 && std::isspace(static_cast<unsigned char>(raw->at(end - 1))))
        --end;
    return DecodeFileText(bytes.substr(0, size_t(end)));
}

WindowState SettingsFile::State(const WindowSettings& window) const {
    return WindowState(Integer(window.state));
}

void SettingsFile::Set(IntegerSetting setting, int value) {
    Set(KeyOf(setting), QVariant(value));
}

void SettingsFile::Set(BooleanSetting setting, bool value) {
    Set(KeyOf(setting), QVariant(value));
}

void SettingsFile::Set(StringSetting setting, const QString& value) {
    Set(KeyOf(setting), QVariant(value));
}

void SettingsFile::Set(const WindowSettings& window, WindowState state) {
    Set(window.state, int(state));
}

void SettingsFile::Set(const SettingKey& key, QVariant value) {
    set_[LookupKey(key.section, key.key)] = std::move(value);
}

const QVariant* SettingsFile::SetValue(const SettingKey& key) const {
    const auto found = set_.find(LookupKey(key.section, key.key));
    return found == set_.end() ? nullptr : &found->second;
}

QString SettingsFile::Text(const SettingKey& key) const {
    switch (key.type) {
    case SettingType::Integer:
        return QString::number(Integer(IntegerSetting(key.id)));
    case SettingType::Boolean:
        return Boolean(BooleanSetting(key.id)) ? QStringLiteral("1") : QStringLiteral("0");
    case SettingType::String:
        break;
    }
    return String(StringSetting(key.id));
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
    return key.defaultValue.isNull() ? QVariant(defaultFolder_) : key.defaultValue;
}

std::optional<QByteArray> SettingsFile::RawValue(const SettingKey& key) const {
    const auto found = values_.find(LookupKey(key.section, key.key));
    if (found == values_.end())
        return std::nullopt;
    return found->second;
}

} // namespace kelvo
