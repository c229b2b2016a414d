// Build step: prints the user manual's HTML source to the PDF that is
// installed beside the program.
#include "platform/text/HtmlReader.h"
#include "platform/text/TextPrinter.h"

#include <QGuiApplication>
#include <QTextDocument>

#include <cstdio>
#include <cstdlib>

namespace {

// A4 in points, with margins of about two centimetres.
constexpr double kPageWidth = 595.28;
constexpr double kPageHeight = 841.89;
constexpr double kMargin = 56.7;

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_manual SOURCE.html OUTPUT.pdf\n");
        return 2;
    }
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication application(argc, argv);
    QTextDocument manual;
    if (!platform::text::readHtml(QString::fromLocal8Bit(argv[1]), manual)) {
        std::fprintf(stderr, "make_manual: cannot read %s\n", argv[1]);
        return 1;
    }
    platform::text::PrintSettings settings;
    settings.paperSize = QSizeF(kPageWidth, kPageHeight);
    settings.leftMargin = settings.rightMargin = kMargin;
    settings.topMargin = settings.bottomMargin = kMargin;
    if (!platform::text::printToPDF(manual, settings, QString::fromLocal8Bit(argv[2]))) {
        std::fprintf(stderr, "make_manual: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
