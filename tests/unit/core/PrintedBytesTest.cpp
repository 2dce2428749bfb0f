#include "commands/CommandOutput.h"
#include "commands/FieldPrinting.h"
#include "commands/HistoryCommand.h"
#include "commands/TableCommand.h"
#include "support/GTestFiles.h"
#include "table/TMlb2.h"
#include "text/TextCodec.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QTemporaryFile>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <random>
#include <string>
#include <unistd.h>

namespace kelvo {
namespace {

// data/printing holds tables and a home whose fields have everything that
// needs care: tabs, CR, LF and backslashes anywhere, empty and absent values,
// Japanese, Shift-JIS of the old program (with 0x5C as a trail byte), bytes
// that are neither, byte-order marks, long fields. expected/ holds what the
// commands printed for them when each field still went through QString and a
// QTextStream; the output must not change by a byte.
const QString kData = QStringLiteral(KELVO_CORE_TEST_DATA "/printing/");

QByteArray ReadData(const QString& name) {
    return testing::ReadBytesOrFail(kData + name);
}

QByteArray Bytes(std::string_view text) {
    return QByteArray(text.data(), qsizetype(text.size()));
}

TEST(PrintedBytes, TableDumpIsByteForByteWhatItWas) {
    const std::vector<std::pair<QStringList, QString>> dumps = {
        {{"--types", "table/fields.mlb"}, "fields.mlb.types.out"},
        {{"table/fields.txt"}, "fields.txt.out"},
        {{"table/fields.tsv"}, "fields.tsv.out"},
        {{"--types", "table/old_program.txt"}, "old_program.txt.types.out"},
        {{"home/Logs/2006年04月/20060401.txt"}, "20060401.txt.out"}};
    for (const auto& [args, expected] : dumps) {
        QStringList call = {"dump"};
        for (const QString& arg : args)
            call << (arg.startsWith("--") ? arg : kData + arg);
        CommandOutput out;
        QString errors;
        QTextStream err(&errors);
        EXPECT_EQ(RunTableCommand(call, out, err), 0) << errors.toStdString();
        EXPECT_EQ(Bytes(out.Gathered()), ReadData("expected/" + expected))
            << expected.toStdString();
    }
}

TEST(PrintedBytes, HistoryIsByteForByteWhatItWas) {
    // A copy, so that the data stays as it is whatever the command does.
    QTemporaryDir temp;
    const QString home = temp.path() + "/home/";
    QDirIterator files(kData + "home", QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString source = files.next();
        const QString target = home + QDir(kData + "home").relativeFilePath(source);
        QDir().mkpath(QFileInfo(target).absolutePath());
        ASSERT_TRUE(QFile::copy(source, target)) << source.toStdString();
    }
    const std::vector<std::pair<QStringList, QString>> runs = {
        {{}, "history.out"},
        {{"20060331"}, "history-20060331.out"},  // UTF-8
        {{"20060401"}, "history-20060401.out"},  // Shift-JIS with later UTF-8 rows
        {{"20060402"}, "history-20060402.out"},  // other columns, in another order
        {{"20060403"}, "history-20060403.out"}}; // a byte-order mark, a broken line
    for (const auto& [args, expected] : runs) {
        CommandOutput out;
        QString errors;
        QTextStream err(&errors);
        EXPECT_EQ(RunHistoryCommand(args, home, out, err), 0) << errors.toStdString();
        EXPECT_EQ(Bytes(out.Gathered()), ReadData("expected/" + expected))
            << expected.toStdString();
    }
}

// The escaping as it was, character by character on a QString; Latin-1 keeps
// every byte as one character.
std::string EscapedAsBefore(const std::string& bytes) {
    QString text = QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
    text.replace(u'\\', QLatin1String("\\\\"));
    text.replace(u'\t', QLatin1String("\\t"));
    text.replace(u'\n', QLatin1String("\\n"));
    text.replace(u'\r', QLatin1String("\\r"));
    return text.toLatin1().toStdString();
}

TEST(EscapeTableField, GivesAFieldWithNothingToEscapeBackUncopied) {
    std::string scratch;
    for (const std::string& text :
         {std::string(), std::string("photo.jpg"), std::string("写真/壁紙/ｶﾅ/𠮷"),
          std::string(10000, 'a'), std::string("\x01\x0B\x0C\x0E\x1B\x7F[]|\xDC\x8D\x89")}) {
        const std::string_view escaped = EscapeTableField(text, scratch);
        EXPECT_EQ(escaped.data(), text.data());
        EXPECT_EQ(escaped.size(), text.size());
    }
}

TEST(EscapeTableField, EscapesEveryByteWhereverItStands) {
    // Each of the four at every place of a field long enough for several
    // words, among bytes close to them in value.
    std::string scratch;
    const std::string fillers[] = {std::string(40, 'a'),    std::string(40, '\x0E'),
                                   std::string(40, '\x5B'), std::string(40, '\xDC'),
                                   std::string(40, '\x8D'), std::string(40, '\0')};
    for (const char special : {'\\', '\t', '\n', '\r'}) {
        for (const std::string& filler : fillers) {
            for (size_t length = 1; length <= filler.size(); ++length) {
                for (size_t at = 0; at < length; ++at) {
                    std::string text = filler.substr(0, length);
                    text[at] = special;
                    ASSERT_EQ(std::string(EscapeTableField(text, scratch)), EscapedAsBefore(text))
                        << "length " << length << " at " << at;
                }
            }
        }
    }
}

TEST(EscapeTableField, AgreesWithTheEscapingAsItWasOnRandomBytes) {
    std::mt19937 random(20060331);
    const char frequent[] = {'\\', '\t', '\n', '\r', '\x0C', '\x0E', '\x5D', '\xDC', 'a', '\0'};
    std::string scratch;
    for (int round = 0; round < 20000; ++round) {
        std::string text(random() % 70, '\0');
        for (char& byte : text)
            byte = random() % 3 ? frequent[random() % sizeof frequent] : char(random());
        ASSERT_EQ(std::string(EscapeTableField(text, scratch)), EscapedAsBefore(text));
    }
}

// The printing as it was: each text decoded to a QString on its own, escaped
// there, then encoded again.
QByteArray DumpedAsBefore(const TMlb2& table) {
    QByteArray dumped;
    const auto line = [&](const TMLBStringList& texts) {
        for (int i = 1; i <= table.ColumnCount(); ++i) {
            QString text = DecodeFileText(texts.At(i).value_or(std::string_view()));
            text.replace(u'\\', QLatin1String("\\\\"));
            text.replace(u'\t', QLatin1String("\\t"));
            text.replace(u'\n', QLatin1String("\\n"));
            text.replace(u'\r', QLatin1String("\\r"));
            dumped += (i > 1 ? "\t" : "") + text.toUtf8();
        }
        dumped += '\n';
    };
    line(table.ColumnNames());
    for (int row = 1; row <= table.RowCount(); ++row)
        line(*table.Rows().At(row));
    return dumped;
}

TEST(PrintedBytes, TableDumpAgreesWithThePrintingAsItWasOnRandomTables) {
    // Pieces that are one character, or that make a text no UTF-8 at all.
    const std::string pieces[] = {
        "a",    "photo_",   "\\",           "\t",       "\n",      "\r", std::string(1, '\0'),
        "\x0B", "\x0E",     "\x5D",         "あ",       "é",       "😀",  "\xEF\xBB\xBF",
        "\x80", "\xE3\x81", "\xED\xA0\x80", "\xC0\xAF", "\x83\x5C"};
    std::mt19937 random(20060401);
    QTemporaryDir temp;
    const QString path = temp.filePath("random.mlb");
    for (int round = 0; round < 20; ++round) {
        TMlb2 table;
        for (const char* column : {"a", "b", "c", "d", "e"})
            table.AddColumn(column);
        for (int row = 0; row < 200; ++row) {
            table.AppendRow();
            table.MoveLast();
            for (int column = 1; column <= 5; ++column) {
                std::string text;
                for (int count = random() % 24; count > 0; --count)
                    text +=
                        random() % 4 ? pieces[random() % 2] : pieces[random() % std::size(pieces)];
                if (random() % 8)
                    table.SetValueAt(column, text);
            }
        }
        ASSERT_TRUE(table.Save(testing::Native(path)));
        CommandOutput out;
        QString errors;
        QTextStream err(&errors);
        ASSERT_EQ(RunTableCommand({"dump", path}, out, err), 0) << errors.toStdString();
        ASSERT_EQ(Bytes(out.Gathered()), DumpedAsBefore(table)) << "round " << round;
    }
}

// Pieces of every size, the last of them longer than a piece is written in.
void PrintMany(CommandOutput& out) {
    for (int i = 0; i < 40000; ++i) {
        out << std::string_view("capture\t") << QStringLiteral("画像_%1.jpg").arg(i) << '\n';
        if (i % 1000 == 0)
            out << std::string(size_t(i) * 2, char('A' + i % 26));
    }
    out << std::string(700 * 1024, 'z');
}

TEST(CommandOutput, WritesToADescriptorExactlyWhatItWouldGather) {
    CommandOutput gathered;
    PrintMany(gathered);
    ASSERT_GT(gathered.Gathered().size(), 2u << 20);

    QTemporaryFile file;
    ASSERT_TRUE(file.open());
    CommandOutput written(file.handle());
    PrintMany(written);
    EXPECT_TRUE(written.Finish());
    EXPECT_TRUE(written.Gathered().empty()); // nothing held back once finished
    file.seek(0);
    EXPECT_EQ(file.readAll(), Bytes(gathered.Gathered()));
}

TEST(CommandOutput, AFailedWriteIsReportedAtTheEnd) {
    const int fd = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    {
        CommandOutput out(fd); // fails on the first piece, long before the end
        PrintMany(out);
        EXPECT_FALSE(out.Finish());
    }
    {
        CommandOutput out(fd); // fails only at the end
        out << std::string_view("one line\n");
        EXPECT_FALSE(out.Finish());
    }
    ::close(fd);
}

} // namespace
} // namespace kelvo
