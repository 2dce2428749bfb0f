#include "capture/DevToolsReply.h"
#include "capture/WindowInfoReply.h"

#include <gtest/gtest.h>

namespace kelvo {
namespace {

TEST(DevToolsReplyTest, TakesTheUrlOfTheFirstPageTarget) {
    const QByteArray reply = R"([
        {"type": "service_worker", "url": "http://127.0.0.1/sw.js"},
        {"type": "iframe", "url": "http://ads.example/frame"},
        {"description": "", "id": "A1", "title": "朝の写真", "type": "page",
         "url": "http://127.0.0.1:8000/gallery/朝.html?x=1,2#top"},
        {"type": "page", "url": "http://127.0.0.1:8000/older.html"}
    ])";
    EXPECT_EQ(PageAddressFromTargetList(reply),
              QStringLiteral("http://127.0.0.1:8000/gallery/朝.html?x=1,2#top"));
}

TEST(DevToolsReplyTest, AnythingButATargetListWithAPageGivesTheEmptyAddress) {
    for (const QByteArray& reply :
         {QByteArray(), QByteArray("not json"), QByteArray("<html>404</html>"),
          QByteArray("[{\"type\":"), QByteArray(R"({"type":"page","url":"http://a/"})"),
          QByteArray(R"([1, "page", null, [{"type":"page"}]])"),
          QByteArray(R"([{"type":"other","url":"http://a/"}])"),
          QByteArray(R"([{"type":"page","url":42}])"), QByteArray(R"([{"type":"page"}])"),
          QByteArray("[]"), QByteArray(100000, '[')})
        EXPECT_TRUE(PageAddressFromTargetList(reply).isEmpty()) << reply.left(60).constData();
}

TEST(WindowInfoReplyTest, TakesTheQuotedAddressBeforeTheTitle) {
    EXPECT_EQ(AddressFromWindowInfo(R"("http://example.com/a.html","Example, Inc. ""home""")"),
              QStringLiteral("http://example.com/a.html"));
    // Cutting at the first comma would lose ",b.html" and the "a" before it.
    EXPECT_EQ(AddressFromWindowInfo(R"("http://example.com/a,b.html","Title")"),
              QStringLiteral("http://example.com/a,b.html"));
    EXPECT_EQ(AddressFromWindowInfo("\"http://example.com/\x82\xA0.html\",\"\x82\xA2\""),
              QStringLiteral("http://example.com/あ.html"));
    EXPECT_EQ(AddressFromWindowInfo("\"http://example.com/朝.html\",\"\""),
              QStringLiteral("http://example.com/朝.html"));
}

TEST(WindowInfoReplyTest, NoCommaAfterTheAddressGivesTheEmptyAddress) {
    for (const QByteArray& reply :
         {QByteArray(), QByteArray("\""), QByteArray("\"\""),
          QByteArray(R"("http://example.com/")"), QByteArray(R"("http://example.com/a,b)"),
          QByteArray(R"("",")"), QByteArray(R"("","Title")")})
        EXPECT_TRUE(AddressFromWindowInfo(reply).isEmpty()) << reply.constData();
}

TEST(WindowInfoReplyTest, AnUnquotedReplyIsCutAtItsFirstComma) {
    EXPECT_EQ(AddressFromWindowInfo("<http://example.com/>,title"),
              QStringLiteral("http://example.com/"));
    EXPECT_TRUE(AddressFromWindowInfo("ab,title").isEmpty());
    EXPECT_EQ(AddressFromWindowInfo("abc,"), QStringLiteral("b"));
}

} // namespace
} // namespace kelvo
