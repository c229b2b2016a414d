#include "tests/support/EncodedTexts.h"

#include <QStringEncoder>

#include <gtest/gtest.h>

namespace testsupport {

namespace {

// Texts of a few sentences in each language, as people write them.
const struct {
    const char* encoding;
    const char* text;
} kTexts[] = {
    {"windows-1252", "\u201cQuoted\u201d prices \u2014 five \u20ac each, it\u2019s a \u2018deal\u2019. "
                     "The caf\u00e9 serves cr\u00e8me br\u00fbl\u00e9e and na\u00efve \u2026 tea."},
    {"ISO-8859-2", "Za\u017c\u00f3\u0142\u0107 g\u0119\u015bl\u0105 ja\u017a\u0144. "
                   "Pchn\u0105\u0107 w t\u0119 \u0142\u00f3d\u017a je\u017ca lub o\u015bm skrzy\u0144 fig. "
                   "Mo\u017ce jutro \u015bwie\u017cy chleb, \u015bliwki i \u017ar\u00f3d\u0142o wody."},
    {"windows-1250", "P\u0159\u00edli\u0161 \u017elu\u0165ou\u010dk\u00fd k\u016f\u0148 \u00fap\u011bl "
                     "\u010f\u00e1belsk\u00e9 \u00f3dy. \u0160\u0165astn\u00fd \u017e\u00e1k \u0161el do \u0161koly."},
    {"ISO-8859-5", "\u0421\u044a\u0435\u0448\u044c \u0436\u0435 \u0435\u0449\u0451 \u044d\u0442\u0438\u0445 "
                   "\u043c\u044f\u0433\u043a\u0438\u0445 \u0444\u0440\u0430\u043d\u0446\u0443\u0437\u0441\u043a\u0438\u0445 "
                   "\u0431\u0443\u043b\u043e\u043a, \u0434\u0430 \u0432\u044b\u043f\u0435\u0439 \u0447\u0430\u044e."},
    {"Shift_JIS", "\u65e5\u672c\u8a9e\u306e\u6587\u7ae0\u3092\u66f8\u304d\u307e\u3059\u3002"
                  "\u6771\u4eac\u306f\u5927\u304d\u306a\u90fd\u5e02\u3067\u3059\u3002"
                  "\u4eca\u65e5\u306f\u3044\u3044\u5929\u6c17\u3067\u3059\u306d\u3002"},
    {"GB18030", "\u6211\u80fd\u541e\u4e0b\u73bb\u7483\u800c\u4e0d\u4f24\u8eab\u4f53\u3002"
                "\u4eca\u5929\u5929\u6c14\u5f88\u597d\uff0c\u6211\u4eec\u53bb\u516c\u56ed\u6563\u6b65\u5427\u3002"
                "\u4e2d\u6587\u6587\u672c\u53ef\u4ee5\u6b63\u786e\u6253\u5370\u3002"},
    {"UTF-16LE", "Text in UTF-16 without a mark: Gr\u00fc\u00dfe, \u00e7a va? \u0395\u03bb\u03bb\u03b7\u03bd\u03b9\u03ba\u03ac."},
    {"UTF-16BE", "Text in UTF-16 without a mark: Gr\u00fc\u00dfe, \u00e7a va? \u0395\u03bb\u03bb\u03b7\u03bd\u03b9\u03ba\u03ac."},
};

} // namespace

QList<EncodedText> encodedTexts()
{
    QList<EncodedText> texts;
    for (const auto& t : kTexts) {
        QStringEncoder encoder(t.encoding, QStringConverter::Flag::Stateless);
        EXPECT_TRUE(encoder.isValid()) << t.encoding;
        const QString text = QString::fromUtf8(t.text);
        texts.append({t.encoding, text, encoder(text)});
    }
    return texts;
}

} // namespace testsupport
