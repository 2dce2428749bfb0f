#include "logs/CaptureLog.h"
#include "support/FileIdentity.h"
#include "support/Files.h"
#include "table/TMlb2.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace kelvo {
namespace {

using testing::IdentityOf;
using testing::ReadBytes;
using testing::WriteBytes;

const QDateTime kDay(QDate(2006, 5, 30), QTime(14, 3, 7));

// Values as captures give them, and the ones a quoted file must protect:
// quotes, separators, spaces, line breaks (written only by the rewrite).
QString RandomValue(QRandomGenerator& random) {
    static const QStringList pieces = {"photo.jpg",
                                       "壁紙",
                                       "https://example.com/a?b=c&d",
                                       "/home/user/画像/",
                                       "",
                                       "a\"b",
                                       "\"\"",
                                       ";",
                                       " spaced ",
                                       "x;y\"z",
                                       "猫 の 写真",
                                       "\r\n",
                                       "\n",
                                       "\"\r\n",
                                       "[1]"};
    QString value;
    const int count = int(random.bounded(3));
    for (int i = 0; i < count; ++i)
        value += pieces[int(random.bounded(pieces.size()))];
    return value;
}

CaptureRecord RandomRecord(QRandomGenerator& random) {
    return {RandomValue(random), kDay.addSecs(random.bounded(3600)), RandomValue(random),
            RandomValue(random), RandomValue(random)};
}

CaptureRecord PlainRecord(const QString& name) {
    return {name, kDay, QStringLiteral("壁紙"), QStringLiteral("https://example.com/"),
            QStringLiteral("/pictures/")};
}

class CaptureLogTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(temp.isValid());
        appended = temp.path() + "/appended/";
        rewritten = temp.path() + "/rewritten/";
        QDir().mkpath(MonthFolderPath(appended, kDay));
        QDir().mkpath(MonthFolderPath(rewritten, kDay));
    }
    QString Log(const QString& home) const { return DailyLogPath(home, kDay); }
    // The same starting bytes in both homes; a null start means no log yet.
    void Start(const QByteArray& bytes) {
        QFile::remove(Log(appended));
        QFile::remove(Log(rewritten));
        if (bytes.isNull())
            return;
        ASSERT_TRUE(WriteBytes(Log(appended), bytes));
        ASSERT_TRUE(WriteBytes(Log(rewritten), bytes));
    }
    // Writes the record both ways; the bytes must not tell them apart.
    void WriteBothWays(const CaptureRecord& record) {
        ASSERT_TRUE(WriteCaptureLog(appended, record));
        ASSERT_TRUE(RewriteCaptureLog(rewritten, record));
        ASSERT_EQ(ReadBytes(Log(appended)), ReadBytes(Log(rewritten)));
    }
    QByteArray OwnLogWith(std::initializer_list<QString> names) {
        const QString home = temp.path() + "/scratch/";
        QDir(home).removeRecursively();
        for (const QString& name : names)
            EXPECT_TRUE(RewriteCaptureLog(home, PlainRecord(name)));
        return ReadBytes(Log(home));
    }

    QTemporaryDir temp;
    QString appended, rewritten;
};

TEST_F(CaptureLogTest, AppendingGivesTheBytesOfLoadAddSaveOnRandomLogs) {
    QRandomGenerator random(20061);
    const QByteArray own = OwnLogWith({"a.jpg", "b.jpg"});
    // The old program's log of the same columns, in Shift-JIS.
    QStringEncoder toShiftJis("CP932");
    const QByteArray shiftJis = toShiftJis(QString::fromUtf8(own).replace("a.jpg", "壁.jpg"));
    ASSERT_FALSE(toShiftJis.hasError());
    // Logs as this program or the old one writes them, cut short or not.
    const QList<QByteArray> starts = {QByteArray(),     QByteArray(""), own,
                                      own + "\"torn.j", own.left(40),   shiftJis};
    for (int round = 0; round < 28; ++round) {
        const QByteArray start = starts[round % starts.size()];
        Start(start);
        for (int capture = 0; capture < 10; ++capture) {
            SCOPED_TRACE(::testing::Message() << "round " << round << " capture " << capture);
            WriteBothWays(RandomRecord(random));
            if (HasFatalFailure())
                return;
        }
    }
}

TEST_F(CaptureLogTest, AWholeOwnLogIsAppendedToInPlaceAndAnyOtherRewritten) {
    Start(OwnLogWith({"a.jpg"}));
    const ino_t before = IdentityOf(Log(appended)).inode;
    WriteBothWays(PlainRecord("b.jpg"));
    EXPECT_EQ(IdentityOf(Log(appended)).inode, before) << "a whole own log is appended to";

    // A value with a line break is never appended: cut short, it could end
    // like a whole line.
    WriteBothWays(PlainRecord("line\r\nbreak.jpg"));
    EXPECT_NE(IdentityOf(Log(appended)).inode, before);

    const QList<QByteArray> others = {OwnLogWith({"a.jpg"}) + "\"cut",
                                      OwnLogWith({"a.jpg"}).replace("\r\n", "\n")};
    for (const QByteArray& other : others) {
        Start(other);
        const ino_t old = IdentityOf(Log(appended)).inode;
        WriteBothWays(PlainRecord("c.jpg"));
        EXPECT_NE(IdentityOf(Log(appended)).inode, old) << other.toStdString();
    }
}

// A crash cuts an append anywhere; a hand edit may drop only the line end.
TEST_F(CaptureLogTest, ARowCutShortIsNeverSeenAndOneLackingOnlyItsLineEndIsKept) {
    const QByteArray whole = OwnLogWith({"a.jpg", "b.jpg"});
    const QByteArray next = OwnLogWith({"a.jpg", "b.jpg", "c.jpg"});
    const QByteArray line = next.mid(whole.size());
    for (qsizetype cut = 1; cut < line.size(); ++cut) {
        SCOPED_TRACE(cut);
        const bool wholeButLineEnd = cut >= line.size() - 2;
        Start(whole + line.left(cut));
        TMlb2 table;
        ASSERT_TRUE(LoadCaptureLog(Log(appended), table));
        EXPECT_EQ(table.RowCount(), wholeButLineEnd ? 3 : 2);
        WriteBothWays(PlainRecord("d.jpg"));
        EXPECT_EQ(ReadBytes(Log(appended)), wholeButLineEnd
                                                ? OwnLogWith({"a.jpg", "b.jpg", "c.jpg", "d.jpg"})
                                                : OwnLogWith({"a.jpg", "b.jpg", "d.jpg"}));
    }
}

TEST_F(CaptureLogTest, ACutInsideAQuotedLineBreakStillLeavesOnlyWholeRows) {
    const QByteArray whole = OwnLogWith({"a.jpg"});
    const QByteArray broken = OwnLogWith({"a.jpg", "x\"\r\ny.jpg"});
    const QByteArray line = broken.mid(whole.size());
    for (qsizetype cut = 1; cut < line.size() - 2; ++cut) {
        Start(whole + line.left(cut));
        TMlb2 table;
        ASSERT_TRUE(LoadCaptureLog(Log(appended), table));
        EXPECT_EQ(table.RowCount(), 1) << cut;
    }
}

TEST_F(CaptureLogTest, AByteOrderMarkInFrontIsReadPast) {
    Start("\xEF\xBB\xBF" + OwnLogWith({"a.jpg"}));
    TMlb2 table;
    ASSERT_TRUE(LoadCaptureLog(Log(appended), table));
    table.MoveFirst();
    EXPECT_EQ(table.GetValue("ファイル名").value_or(""), "a.jpg");
    WriteBothWays(PlainRecord("b.jpg"));
    EXPECT_EQ(ReadBytes(Log(appended)), OwnLogWith({"a.jpg", "b.jpg"}));
}

TEST_F(CaptureLogTest, AnotherProgramsLogGetsNoRowAndStaysAsItWas) {
    const QList<QByteArray> foreign = {
        "\"ファイル名\";\"取得日時\";\"識別名\"\r\n\"x\";\"y\";\"z\"\r\n", "\"one\";\"two\"\r\n",
        "date,file\r\n2006-05-30,a.jpg\r\n"};
    for (const QByteArray& other : foreign) {
        Start(other);
        EXPECT_FALSE(WriteCaptureLog(appended, PlainRecord("a.jpg"))) << other.toStdString();
        EXPECT_FALSE(RewriteCaptureLog(rewritten, PlainRecord("a.jpg")));
        EXPECT_EQ(ReadBytes(Log(appended)), other);
        EXPECT_EQ(ReadBytes(Log(rewritten)), other);
    }
}

// A stray quote costs the row it stands in, in the reading only: the rows
// after it are read, and the log is appended to, never rewritten with less.
TEST_F(CaptureLogTest, AStrayQuoteCostsOnlyItsOwnRow) {
    const QByteArray own = OwnLogWith({"a.jpg", "b.jpg", "c.jpg"});
    const QByteArray damaged = QByteArray(own).replace("\"b.jpg\"", "\"b\".jpg\"");
    const QStringList expected[] = {{"a.jpg", "c.jpg"},
                                    {"a.jpg", "c.jpg", "line\nbreak.jpg"},
                                    {"a.jpg", "c.jpg", "line\nbreak.jpg", "d.jpg"}};
    const auto names = [&] {
        TMlb2 table;
        bool whole = true;
        EXPECT_TRUE(LoadCaptureLog(Log(appended), table, &whole));
        EXPECT_FALSE(whole);
        QStringList found;
        for (table.MoveFirst(); !table.AtEnd(); table.MoveNext())
            found << QString::fromStdString(std::string(*table.GetValue("ファイル名")));
        return found;
    };
    Start(damaged);
    EXPECT_EQ(names(), expected[0]);
    WriteBothWays(PlainRecord("line\nbreak.jpg")); // no append, as a rule: the log is damaged
    EXPECT_EQ(names(), expected[1]);
    WriteBothWays(PlainRecord("d.jpg"));
    EXPECT_EQ(names(), expected[2]);
    EXPECT_TRUE(ReadBytes(Log(appended)).startsWith(damaged)) << "nothing of the log was lost";
    // A damaged last line without its line end is not joined to the next row.
    Start(damaged + "\"hand edit");
    WriteBothWays(PlainRecord("e.jpg"));
    EXPECT_EQ(names(), (QStringList{"a.jpg", "c.jpg", "e.jpg"}));
}

TEST_F(CaptureLogTest, AnEmptyLogIsStartedWithItsHeader) {
    Start(QByteArray(""));
    WriteBothWays(PlainRecord("a.jpg"));
    EXPECT_EQ(ReadBytes(Log(appended)), OwnLogWith({"a.jpg"}));
}

} // namespace
} // namespace kelvo
