// Reads arbitrary bytes as the settings file: every key of the table gives a
// value, and a file written from what was read reads back the same values.

#include "Checks.h"
#include "session/SettingsFile.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kelvo::fuzz {
namespace {

void CheckSameValues(const SettingsFile& first, const SettingsFile& second) {
    for (const SettingKey& key : SettingKeys()) {
        switch (key.type) {
        case SettingType::Integer:
            Require(first.Integer(IntegerSetting(key.id)) == second.Integer(IntegerSetting(key.id)),
                    "integer changed by write and read");
            break;
        case SettingType::Boolean:
            Require(first.Boolean(BooleanSetting(key.id)) == second.Boolean(BooleanSetting(key.id)),
                    "boolean changed by write and read");
            break;
        case SettingType::String: {
            const QString before = first.String(StringSetting(key.id));
            const QString after = second.String(StringSetting(key.id));
            // A Shift-JIS text near the limit may grow past it in UTF-8 and is
            // then cut on the second reading.
            const bool cut =
                before.toUtf8().size() > kMaxSettingStringBytes && before.startsWith(after);
            Require(after == before || cut, "string changed by write and read");
            Require(after.toUtf8().size() <= kMaxSettingStringBytes,
                    "string longer than the limit");
            break;
        }
        }
    }
}

void CheckSettings(std::string_view bytes) {
    SettingsFile first(QStringLiteral("/home/"));
    first.ReadBytes(bytes);
    const std::string written = first.FileBytes();
    SettingsFile second(QStringLiteral("/home/"));
    second.ReadBytes(written);
    CheckSameValues(first, second);
    // Values cut to the limit on the second reading are cut for good.
    const std::string rewritten = second.FileBytes();
    SettingsFile third(QStringLiteral("/home/"));
    third.ReadBytes(rewritten);
    Require(third.FileBytes() == rewritten, "third write differs from the second");
}

} // namespace
} // namespace kelvo::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    kelvo::fuzz::CheckSettings(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
