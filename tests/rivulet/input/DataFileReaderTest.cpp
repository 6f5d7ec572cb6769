#include "rivulet/input/DataFileReader.h"
#include "common/TestEnvironment.h"

#include <QByteArray>
#include <QFile>
#include <QList>

#include <gtest/gtest.h>

namespace rivulet {
namespace {

// Lines of many lengths across several megabytes, so that lines are cut by the reader's
// chunks at every kind of place, ending without a line end; Windows line ends on the even ones.
TEST(DataFileReader, LinesAcrossChunksReadAsWrittenInBothForms)
{
    QList<QByteArray> lines;
    QByteArray content;
    for (int i = 0; content.size() < 3 * (1 << 20) + 1000; ++i) {
        const QByteArray line = "row " + QByteArray::number(i) + ',' + QByteArray(i % 997, 'x');
        lines << line;
        content += line + (i % 2 == 0 ? "\r\n" : "\n");
    }
    content.chop(content.endsWith("\r\n") ? 2 : 1);
    const QString path = test::TestEnvironment::freshDir("reader") + "/lines.csv";
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(content), content.size());
    file.close();

    DataFileReader bytes(path);
    DataFileReader text(path);
    ASSERT_TRUE(bytes.open() && text.open());
    ASSERT_EQ(bytes.survey(), DataFileReader::Text);
    ASSERT_EQ(text.survey(), DataFileReader::Text);
    EXPECT_EQ(bytes.lineCount(), lines.size());
    QByteArray line;
    QString textLine;
    for (int i = 0; i < lines.size(); ++i) {
        ASSERT_TRUE(bytes.readLine(line)) << i;
        ASSERT_TRUE(text.readLine(textLine)) << i;
        ASSERT_EQ(line, lines.at(i)) << i;
        ASSERT_EQ(textLine.toUtf8(), lines.at(i)) << i;
        ASSERT_EQ(bytes.lineNumber(), i + 1);
    }
    EXPECT_FALSE(bytes.readLine(line));
    EXPECT_FALSE(text.readLine(textLine));
}

} // namespace
} // namespace rivulet
