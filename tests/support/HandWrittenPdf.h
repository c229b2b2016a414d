#pragma once
// A PDF written by hand from its object bodies (object 1 first), with a
// correct cross-reference table, for fixtures that must hold exactly what a
// test or a fuzzer puts in them. Header only: the fuzzers use it without the
// test support library.
#include <QByteArray>
#include <QList>

namespace testsupport {

inline QByteArray handWrittenPdf(const QList<QByteArray>& objects, const QByteArray& version = "1.4")
{
    QByteArray pdf = "%PDF-" + version + "\n";
    QList<qsizetype> offsets;
    for (qsizetype i = 0; i < objects.size(); ++i) {
        offsets.append(pdf.size());
        pdf += QByteArray::number(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const qsizetype xref = pdf.size();
    pdf += "xref\n0 " + QByteArray::number(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (qsizetype offset : offsets)
        pdf += QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
    pdf += "trailer\n<< /Size " + QByteArray::number(objects.size() + 1) + " /Root 1 0 R >>\nstartxref\n"
        + QByteArray::number(xref) + "\n%%EOF\n";
    return pdf;
}

} // namespace testsupport
