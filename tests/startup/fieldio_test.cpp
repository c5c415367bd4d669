#include "startup/fieldio.h"

#include <gtest/gtest.h>
#include <limits>

using namespace kanameru;

namespace {

// Describes the read values compactly: n:<number>, t:<text>, -: unset; lines after '@'.
QString describe(const QList<Field>& fields)
{
    QStringList out;
    for (const Field& f : fields) {
        QString v;
        if (f.value.isNumber())
            v = QStringLiteral("n:") + f.value.toString();
        else if (f.value.isText())
            v = QStringLiteral("t:") + f.value.toString();
        else
            v = QStringLiteral("-");
        out << v + QStringLiteral("@") + QString::number(f.line);
    }
    return out.join(QLatin1Char('|'));
}

struct ReaderCase {
    const char* name;
    const char* input;
    const char* expected;
};

const ReaderCase readerCases[] = {
    { "numbers and texts", "1,\"abc\",2\r\n", "n:1@1|t:abc@1|n:2@1" },
    { "quoted comma stays in the text", "\"a,b\",3\r\n", "t:a,b@1|n:3@1" },
    { "empty values are unset", "1,,3\r\n", "n:1@1|-@1|n:3@1" },
    { "trailing comma gives one more empty value", "1,\r\n2\r\n", "n:1@1|-@1|n:2@2" },
    { "negative and decimal numbers", "-5,1.5,-0.25\r\n", "n:-5@1|n:1.5@1|n:-0.25@1" },
    { "a number in quotes stays a text", "\"123\",123\r\n", "t:123@1|n:123@1" },
    { "unquoted non-number stays a text", "abc,12x\r\n", "t:abc@1|t:12x@1" },
    { "blanks around unquoted values are dropped", " 7 , 8 \r\n", "n:7@1|n:8@1" },
    { "last value without a line end", "1,2", "n:1@1|n:2@1" },
    { "trailing comma at the very end of the file", "1,", "n:1@1|-@1" },
    { "line ends separate values", "1\r\n2\r\n3\r\n", "n:1@1|n:2@2|n:3@3" },
    { "LF only", "1\n\"x\"\n", "n:1@1|t:x@2" },
    { "blank lines hold no values", "1\r\n\r\n2\r\n", "n:1@1|n:2@3" },
    { "text after the closing quote is dropped", "\"ab\"cd,5\r\n", "t:ab@1|n:5@1" },
    { "unclosed quote ends at the line end", "\"ab\r\n5\r\n", "t:ab@1|n:5@2" },
    { "japanese text", "\"山田　太郎\",2014\r\n", "t:山田　太郎@1|n:2014@1" },
    { "exponent", "1E3\r\n", "n:1000@1" },
};

class FieldReaderTable : public ::testing::TestWithParam<ReaderCase> { };

TEST_P(FieldReaderTable, ReadsValuesAsTheFreeFormatReaderDoes)
{
    const ReaderCase& c = GetParam();
    EXPECT_EQ(describe(readFields(QString::fromUtf8(c.input))).toStdString(), std::string(c.expected)) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Cases, FieldReaderTable, ::testing::ValuesIn(readerCases));

TEST(FieldReader, ReportsAMissingValueWithFileAndLine)
{
    FieldReader in(QStringLiteral("x.txt"), QStringLiteral("1,2\r\n3\r\n"));
    ASSERT_TRUE(in.next(QStringLiteral("a")).ok());
    ASSERT_TRUE(in.next(QStringLiteral("b")).ok());
    ASSERT_TRUE(in.next(QStringLiteral("c")).ok());
    Result<Field> missing = in.next(QStringLiteral("d"));
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error().path, QStringLiteral("x.txt"));
    EXPECT_EQ(missing.error().line, 2);
    EXPECT_TRUE(missing.error().reason.contains(QStringLiteral("d")));
}

TEST(FieldReader, RefusesATextWhereANumberBelongs)
{
    FieldReader in(QStringLiteral("x.txt"), QStringLiteral("1\r\nabc\r\n"));
    ASSERT_TRUE(in.nextNumber(QStringLiteral("a")).ok());
    Result<double> bad = in.nextNumber(QStringLiteral("目標"));
    ASSERT_FALSE(bad.ok());
    EXPECT_EQ(bad.error().line, 2);
    EXPECT_TRUE(bad.error().reason.contains(QStringLiteral("abc")));
}

TEST(FieldWriter, WritesTextsQuotedAndNumbersBareAndReadsBack)
{
    FieldWriter w;
    w.number(12).text(QStringLiteral("a,b")).number(-1.5).text(QString()).endLine();
    w.number(3).endLine();
    const Result<QString> text = w.result(QStringLiteral("f.txt"));
    ASSERT_TRUE(text.ok());
    EXPECT_EQ(*text, QStringLiteral("12,\"a,b\",-1.5,\"\"\n3\n"));
    EXPECT_EQ(describe(readFields(*text)), QStringLiteral("n:12@1|t:a,b@1|n:-1.5@1|t:@1|n:3@2"));
}

// A value that would not read back as it was given is refused with its line, never written:
// a quote would end the text early, a line end would split the record for every later reader.
TEST(FieldWriter, RefusesWhatItsReaderCannotReadBack)
{
    const struct {
        QString text;
        double number;
        const char* reasonPart;
    } cases[] = {
        { QStringLiteral("say \"hi\""), 0, "\"" },
        { QStringLiteral("山田　太郎\r\n"), 0, "改行" },
        { QStringLiteral("山田\n太郎"), 0, "改行" },
        { QStringLiteral("山田\r"), 0, "改行" },
        { QStringLiteral("ok"), std::numeric_limits<double>::infinity(), "書けません" },
        { QStringLiteral("ok"), std::numeric_limits<double>::quiet_NaN(), "書けません" },
    };
    for (const auto& c : cases) {
        FieldWriter w;
        w.number(1).text(QStringLiteral("first")).endLine();
        w.number(c.number).text(c.text).endLine();
        const Result<QString> text = w.result(QStringLiteral("名簿.txt"));
        ASSERT_FALSE(text.ok()) << c.text.toStdString();
        EXPECT_EQ(text.error().path, QStringLiteral("名簿.txt"));
        EXPECT_EQ(text.error().line, 2);
        EXPECT_TRUE(text.error().reason.contains(QString::fromUtf8(c.reasonPart))) << text.error().reason.toStdString();
    }
    // Blanks, tabs and commas inside a text read back as they were.
    FieldWriter w;
    w.text(QStringLiteral(" \t=a,b ")).endLine();
    ASSERT_TRUE(w.result(QString()).ok());
    EXPECT_EQ(readFields(*w.result(QString()))[0].value.toString(), QStringLiteral(" \t=a,b "));
}

struct NumberCase {
    double value;
    const char* text;
};

TEST(ShortestNumber, WritesNumbersInShortestForm)
{
    const NumberCase cases[]
        = { { 5, "5" }, { 1.5, "1.5" }, { -3, "-3" }, { 0, "0" }, { 0.1, "0.1" }, { 99999, "99999" } };
    for (const NumberCase& c : cases)
        EXPECT_EQ(shortestNumber(c.value).toStdString(), std::string(c.text));
}

TEST(LeadingNumber, TakesTheNumberAtTheStart)
{
    EXPECT_EQ(leadingNumber(QStringLiteral("1192年")), 1192);
    EXPECT_EQ(leadingNumber(QStringLiteral("-57")), -57);
    EXPECT_EQ(leadingNumber(QStringLiteral("平安")), 0);
    EXPECT_EQ(leadingNumber(QStringLiteral(" 12.5x")), 12.5);
    EXPECT_EQ(leadingNumber(QStringLiteral("-")), 0);
}

TEST(AnyValue, CountsAsZeroWhileUnsetAndComparesAsANumber)
{
    EXPECT_EQ(AnyValue().toDouble(), 0);
    EXPECT_TRUE(AnyValue() == 0);
    EXPECT_TRUE(AnyValue(QStringLiteral("1")) == 1);
    EXPECT_TRUE(AnyValue(1.0) == AnyValue(QStringLiteral("1")));
    EXPECT_FALSE(AnyValue(QStringLiteral("a")) == 1);
    EXPECT_EQ(AnyValue(2.5).toInteger(), 2); // halves to even
    EXPECT_EQ(AnyValue(3.5).toInteger(), 4);
}

} // namespace
