#include "platform/pdf/PdfDocument.h"
#include "platform/text/TextReader.h"
#include "tests/support/TemporaryFolderTest.h"

#include <QLoggingCategory>
#include <QTextDocument>
#include <gtest/gtest.h>

namespace {

QStringList g_messages;

void collect(QtMsgType, const QMessageLogContext& context, const QString& message)
{
    g_messages << QString::fromLatin1(context.category) + ": " + message;
}

class RefusalLoggingTest : public testsupport::TemporaryFolderTest {
protected:
    // What opening a damaged PDF, a file no reader takes and a missing file
    // logged under the given rules.
    QStringList refusalsLogged(const QString& rules)
    {
        QLoggingCategory::setFilterRules(rules);
        g_messages.clear();
        const QtMessageHandler previous = qInstallMessageHandler(collect);
        EXPECT_EQ(platform::pdf::PdfDocument::open(QUrl::fromLocalFile(write("bad.pdf", "%PDF-1.4\nno objects"))),
                  nullptr);
        EXPECT_EQ(platform::text::readDocumentFromPath(write("a.png", "\x89PNG\r\n\x1a\n")), nullptr);
        EXPECT_EQ(platform::text::readDocumentFromPath(path("missing.txt")), nullptr);
        qInstallMessageHandler(previous);
        QLoggingCategory::setFilterRules(QString());
        return g_messages;
    }
};

TEST_F(RefusalLoggingTest, QuietByDefaultAndSaysWhyWhenAsked)
{
    EXPECT_EQ(refusalsLogged(QString()), QStringList());
    const QString logged = refusalsLogged("scribora.*=true").join('\n');
    EXPECT_TRUE(logged.contains("scribora.platform.pdf: PDF not opened")) << logged.toStdString();
    EXPECT_TRUE(logged.contains("scribora.platform.text:")) << logged.toStdString();
    EXPECT_TRUE(logged.contains("no reader for the type \"public.png\"")) << logged.toStdString();
}

} // namespace
