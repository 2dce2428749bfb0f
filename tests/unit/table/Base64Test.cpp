#include "bytes/Base64.h"

#include <gtest/gtest.h>

namespace kelvo {
namespace {

// RFC 4648's examples, then every padding against the decoder's own reading.
TEST(Base64, DecodesWhatBtoaWrites) {
    using namespace std::literals;
    const std::pair<std::string_view, std::string_view> examples[] = {{"", ""},
                                                                      {"Zg==", "f"},
                                                                      {"Zm8=", "fo"},
                                                                      {"Zm9v", "foo"},
                                                                      {"Zm9vYg==", "foob"},
                                                                      {"Zm9vYmE=", "fooba"},
                                                                      {"Zm9vYmFy", "foobar"},
                                                                      {"/+8A", "\xff\xef\x00"sv}};
    for (const auto& [text, bytes] : examples)
        EXPECT_EQ(DecodeBase64(text), std::string(bytes)) << text;
}

TEST(Base64, RefusesWhatIsNotBase64) {
    for (const std::string_view text :
         {"Zg", "Zg=", "Z===", "Zm9v\n", "Zm-v", "Zm9v Zg==", "Z=9v", "Zm9vYmE=Zm9v", "\"Zm9v"})
        EXPECT_EQ(DecodeBase64(text), std::nullopt) << text;
}

} // namespace
} // namespace kelvo
