#pragma once

#include "text/TextCodec.h"

#include <QByteArray>
#include <QSize>
#include <QString>
#include <QVariant>

#include <limits>
#include <map>
#include <optional>
#include <span>
#include <utility>
#include <vector>

namespace kelvo {

// Every key of the settings file, by the type of its value, so that a key
// used as another type does not compile. Main is the main window, Viewer the
// full-size viewer, History the history browser.
enum class IntegerSetting {
    MainTop,
    MainLeft,
    MainWidth,
    MainHeight,
    MainPreviewHeight,
    MainTreeWidth,
    MainWindowState,
    ViewerTop,
    ViewerLeft,
    ViewerWidth,
    ViewerHeight,
    ViewerWindowState,
    HistoryTop,
    HistoryLeft,
    HistoryWidth,
    HistoryHeight,
    HistoryPreviewHeight,
    HistoryTreeWidth,
    HistoryWindowState,
    DestinationIndex,  // the current destination's place in the list
    TransparencyLevel, // the main window's, 0 for opaque
    DevToolsPort,      // the browser's debugging port
    SameContentRule,   // a SameContentRule: what a picture captured before gets
};
enum class BooleanSetting {
    KeptDestinationFlag, // no control of ours shows it; carried from file to file
    ConfirmClose,
    MenuShown,
    TreePaneShown,
    ListFileWritten,  // the destination list comes from its file from now on
    SourceAttributes, // saved copies carry their source addresses
};
enum class StringSetting {
    DestinationIdentifier,
    DestinationFolder, // the home folder by default
    Language,          // the windows' language, read as a DisplayLanguage
};

// How a window was left: the values of its WindowState key.
enum class WindowState { Normal = 0, Minimized = 1, Maximized = 2 };

// The keys of one window's place, size and state.
struct WindowSettings {
    IntegerSetting top, left, width, height, state;
};
inline constexpr WindowSettings kMainWindowSettings{
    IntegerSetting::MainTop, IntegerSetting::MainLeft, IntegerSetting::MainWidth,
    IntegerSetting::MainHeight, IntegerSetting::MainWindowState};
inline constexpr WindowSettings kViewerWindowSettings{
    IntegerSetting::ViewerTop, IntegerSetting::ViewerLeft, IntegerSetting::ViewerWidth,
    IntegerSetting::ViewerHeight, IntegerSetting::ViewerWindowState};
inline constexpr WindowSettings kHistoryWindowSettings{
    IntegerSetting::HistoryTop, IntegerSetting::HistoryLeft, IntegerSetting::HistoryWidth,
    IntegerSetting::HistoryHeight, IntegerSetting::HistoryWindowState};

enum class SettingType { Integer, Boolean, String };

// One key of the settings file, declared once: where it is written, its
// type, its default and, for an integer, the values it may take (any other
// reads as the default).
struct SettingKey {
    const char* section;
    const char* key;
    SettingType type;
    int id;                // the IntegerSetting, BooleanSetting or StringSetting
    QVariant defaultValue; // a null QVariant for DestinationFolder: the home folder
    int minimum = std::numeric_limits<int>::min();
    int maximum = std::numeric_limits<int>::max();
};

// Every key of the settings file "kelvo.ini", in the order they are written.
std::span<const SettingKey> SettingKeys();
const SettingKey& KeyOf(IntegerSetting setting);
const SettingKey& KeyOf(BooleanSetting setting);
const SettingKey& KeyOf(StringSetting setting);

// A key's default, where it has one of its own (not DestinationFolder).
int DefaultInteger(IntegerSetting setting);
// A window's size before any was stored.
QSize DefaultSize(const WindowSettings& window);

// The message shown when the settings file cannot be written at close.
QString WriteFailureText(const QString& path);
// The message shown at start when the settings file is there but unreadable.
QString SettingsFileKeptText(const QString& path);

// The longest string value read, in bytes of the file: a longer one is cut
// at the end of a character.
inline constexpr qsizetype kMaxSettingStringBytes = 2047;

// The settings file as read: a missing file, section or key, or a value that
// does not parse, gives the key's default. Integers may be written "0x" hex;
// a boolean is an integer that is not 0; strings are read up to
// kMaxSettingStringBytes.
// Section and key names are matched without regard to letter case.
class SettingsFile {
public:
    // defaultFolder: DestinationFolder's default, the default destination's.
    explicit SettingsFile(QString defaultFolder);

    // Reads the file afresh; a missing or unreadable file leaves every key at
    // its default. Values set before are dropped. False when the file exists
    // but could not be read: it must not be written over.
    bool Read(const QString& path);
    // The same from the file's bytes.
    void ReadBytes(std::string_view bytes);

    int Integer(IntegerSetting setting) const;
    bool Boolean(BooleanSetting setting) const;
    QString String(StringSetting setting) const;
    WindowState State(const WindowSettings& window) const;

    // Override what was read.
    void Set(IntegerSetting setting, int value);
    void Set(BooleanSetting setting, bool value);
    void Set(StringSetting setting, const QString& value);
    void Set(const WindowSettings& window, WindowState state);

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
    std::optional<QByteArray> RawValue(const SettingKey& key) const;
    void Set(const SettingKey& key, QVariant value);
    const QVariant* SetValue(const SettingKey& key) const;
    QString Text(const SettingKey& key) const;

    QString defaultFolder_;
    // Keyed by lower-case section and key; values as the file's bytes.
    std::map<SectionKey, QByteArray> values_;
    // Section and key as spelled in the file, first occurrences in file order.
    std::vector<SectionKey> spellings_;
    std::map<SectionKey, QVariant> set_;
};

} // namespace kelvo
