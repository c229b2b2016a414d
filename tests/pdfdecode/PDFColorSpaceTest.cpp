#include "pdfdecode/PDFColorSpace.h"

#include "tests/support/PdfObjectFixture.h"

#include <gtest/gtest.h>

using platform::image::ColorModel;
using platform::image::ColorSpace;
using testsupport::makeStream;
using testsupport::readBackObject;

namespace {

struct Made {
    ColorSpaceRef space;
    PDFColorSpaceKind kind = kPDFColorSpaceUnknown;
    uint64_t count = 99; // untouched unless written
};

// The colour space of an array written as text; {0}, {1}, ... stand for the
// objects make returns.
Made colorSpace(const std::string& text, const std::function<std::vector<QPDFObjectHandle>(QPDF&)>& make = {})
{
    const auto fixture = readBackObject(text, make);
    Made made;
    if (const auto array = fixture.object.asArray())
        made.space = CreateColorSpaceFromArray(*array, &made.kind, &made.count);
    return made;
}

// An RGB profile to embed: the one made for a calibrated space.
QByteArray rgbProfile()
{
    const auto space
        = ColorSpace::calibratedRGB({0.9505, 1, 1.089}, {0, 0, 0}, {2.2, 2.2, 2.2},
                                    {0.4124, 0.2126, 0.0193, 0.3576, 0.7152, 0.1192, 0.1805, 0.0722, 0.9505});
    return space ? space->iccProfile() : QByteArray();
}

std::function<std::vector<QPDFObjectHandle>(QPDF&)> streams(std::vector<std::pair<QByteArray, std::string>> items)
{
    return [items](QPDF& qpdf) {
        std::vector<QPDFObjectHandle> made;
        for (const auto& [data, dictionary] : items)
            made.push_back(makeStream(qpdf, data, dictionary));
        return made;
    };
}

std::optional<QByteArray> tintTable(const std::string& text, const QByteArray& tints,
                                    const std::function<std::vector<QPDFObjectHandle>(QPDF&)>& make = {})
{
    const auto fixture = readBackObject(text, make);
    const auto array = fixture.object.asArray();
    if (!array)
        return std::nullopt;
    return array->nameAt(0) == "DeviceN" ? CreateDeviceNTintTable(*array, tints)
                                         : CreateSeparationTintTable(*array, tints);
}

const char* kSpotToCMYK = "<< /FunctionType 2 /Domain [0 1] /C0 [0 0 0 0] /C1 [1 0.5 0 0] /N 1 >>";

} // namespace

TEST(PDFColorSpace, FamiliesKindsAndComponents)
{
    struct Case {
        std::string text;
        bool made;
        PDFColorSpaceKind kind;
        uint64_t count;
        ColorModel model;
    };
    const std::string spot = kSpotToCMYK;
    const Case cases[] = {
        {"[/Separation /Spot /DeviceRGB " + spot + "]", true, kPDFSeparation, 3, ColorModel::RGB},
        {"[/Separation /Spot [/CalGray << /WhitePoint [0.9505 1 1.089] >>] " + spot + "]", true, kPDFSeparation, 1,
         ColorModel::Gray},
        {"[/Separation /Spot /NotADevice " + spot + "]", false, kPDFSeparation, 0, ColorModel::Gray},
        {"[/Separation /Spot 5 " + spot + "]", true, kPDFSeparation, 1, ColorModel::Gray},
        {"[/DeviceN [/C /M] /DeviceCMYK " + spot + "]", true, kPDFDeviceN, 4, ColorModel::CMYK},
        {"[/Indexed /DeviceRGB 255 <00>]", true, kPDFIndexed, 1, ColorModel::Indexed},
        {"[/I /G 1 <00ff>]", true, kPDFIndexed, 1, ColorModel::Indexed},
        {"[/Indexed /Pattern 1 <00ff>]", false, kPDFIndexed, 1, ColorModel::Indexed},
        {"[/CalRGB << /WhitePoint [0.9505 1 1.089] /Gamma [2.2 2.2 2.2] >>]", true, kPDFCalRGB, 3, ColorModel::RGB},
        {"[/CalRGB]", true, kPDFCalRGB, 3, ColorModel::RGB},
        {"[/CalGray << /Gamma 2.2 >>]", true, kPDFCalGray, 1, ColorModel::Gray},
        {"[/Lab << /WhitePoint [0.9505 1 1.089] >>]", true, kPDFLab, 3, ColorModel::Lab},
        {"[/Lab << /WhitePoint [-1 1 1] >>]", true, kPDFLab, 3, ColorModel::RGB},
        {"[/Lab]", true, kPDFLab, 3, ColorModel::RGB},
        // device names in an array, other names, other cases: nothing written
        {"[/DeviceRGB]", false, kPDFColorSpaceUnknown, 99, ColorModel::Gray},
        {"[/Pattern]", false, kPDFColorSpaceUnknown, 99, ColorModel::Gray},
        {"[/indexed /DeviceRGB 0 <000000>]", false, kPDFColorSpaceUnknown, 99, ColorModel::Gray},
        {"[(ICCBased)]", false, kPDFColorSpaceUnknown, 99, ColorModel::Gray},
        {"[]", false, kPDFColorSpaceUnknown, 99, ColorModel::Gray},
    };
    for (const Case& c : cases) {
        const Made made = colorSpace(c.text);
        EXPECT_EQ(bool(made.space), c.made) << c.text;
        EXPECT_EQ(made.kind, c.kind) << c.text;
        EXPECT_EQ(made.count, c.count) << c.text;
        if (made.space && c.made) {
            EXPECT_EQ(made.space->model(), c.model) << c.text;
        }
    }
}

TEST(PDFColorSpace, CalibratedSpacesAreTaggedAndBadParametersFallBack)
{
    const Made rgb = colorSpace("[/CalRGB << /WhitePoint [0.9505 1 1.089] /Gamma [1.8 1.8 1.8 9] "
                                "/Matrix [0.4497 0.2446 0.0252 0.3163 0.6720 0.1412 0.1845 0.0833 0.9227] >>]");
    ASSERT_TRUE(rgb.space);
    EXPECT_FALSE(rgb.space->iccProfile().isEmpty());

    const Made gray = colorSpace("[/CalGray << /WhitePoint [0.9505 1 1.089] /BlackPoint [0.1 0.1 0.1] >>]");
    ASSERT_TRUE(gray.space);
    EXPECT_FALSE(gray.space->iccProfile().isEmpty());
    EXPECT_EQ(gray.space->blackPoint()[0], 0.1);

    const Made lab = colorSpace("[/Lab << /WhitePoint [0.9642 1 0.8249] >>]");
    ASSERT_TRUE(lab.space);
    EXPECT_EQ(lab.space->ranges(), (std::vector<double>{0, 100, -100, 100, -100, 100}));
    const Made labRange = colorSpace("[/Lab << /WhitePoint [0.9642 1 0.8249] /Range [-128 127 -50 50 7 7] >>]");
    EXPECT_EQ(labRange.space->ranges(), (std::vector<double>{0, 100, -128, 127, -50, 50}));

    // A singular matrix, a zero gamma or a white point missing a number:
    // the device space, untagged.
    const char* fallbacks[] = {
        "[/CalRGB << /WhitePoint [0.9505 1 1.089] /Matrix [1 0 0 1 0 0 0 0 1] >>]",
        "[/CalRGB << /WhitePoint [0.9505 1 1.089] /Gamma [1 0 1] >>]",
        "[/CalGray << /WhitePoint [0.9505 1] >>]",
        "[/CalGray << /WhitePoint [0.9505 1 1.089] /Gamma -2 >>]",
        "[/CalRGB << /WhitePoint (no) >>]",
    };
    for (const char* text : fallbacks) {
        const Made made = colorSpace(text);
        ASSERT_TRUE(made.space) << text;
        EXPECT_TRUE(made.space->iccProfile().isEmpty()) << text;
    }
}

TEST(PDFColorSpace, ICCBasedSpaces)
{
    const QByteArray profile = rgbProfile();
    ASSERT_FALSE(profile.isEmpty());
    struct Case {
        std::string dictionary;
        QByteArray data;
        bool tagged;
        uint64_t count;
        ColorModel model;
    };
    const Case cases[] = {
        {"<< /N 3 >>", profile, true, 3, ColorModel::RGB},
        {"<< /N 3 /Alternate /DeviceRGB >>", profile, true, 3, ColorModel::RGB},
        // refused by the platform: the alternate, else the device space of N
        {"<< /N 3 >>", "not a profile", false, 3, ColorModel::RGB},
        {"<< /N 4 >>", profile, false, 4, ColorModel::CMYK},
        {"<< /N 1 /Alternate /DeviceGray >>", profile, false, 1, ColorModel::Gray},
        // an alternate of another width than N is not taken
        {"<< /N 3 /Alternate /DeviceGray >>", "not a profile", false, 3, ColorModel::RGB},
        {"<< /N 2 >>", profile, false, 0, ColorModel::Gray},
        {"<< >>", profile, false, 0, ColorModel::Gray},
        // profile data still in an image codec
        {"<< /N 3 /Filter /DCTDecode >>", profile, false, 0, ColorModel::Gray},
    };
    for (const Case& c : cases) {
        const Made made = colorSpace("[/ICCBased {0}]", streams({{c.data, c.dictionary}}));
        EXPECT_EQ(made.kind, kPDFICCBased) << c.dictionary;
        EXPECT_EQ(made.count, c.count) << c.dictionary;
        EXPECT_EQ(bool(made.space), c.count != 0) << c.dictionary;
        if (!made.space)
            continue;
        EXPECT_EQ(made.space->model(), c.model) << c.dictionary;
        EXPECT_EQ(made.space->iccProfile() == profile, c.tagged) << c.dictionary;
    }

    const Made ranged = colorSpace("[/ICCBased {0}]", streams({{profile, "<< /N 3 /Range [0 2 0 3] >>"}}));
    ASSERT_TRUE(ranged.space);
    EXPECT_EQ(ranged.space->ranges(), (std::vector<double>{0, 2, 0, 3, 0, 1}));

    const Made notStream = colorSpace("[/ICCBased << /N 3 >>]");
    EXPECT_FALSE(notStream.space);
    EXPECT_EQ(notStream.kind, kPDFICCBased);
    EXPECT_EQ(notStream.count, 0u);
}

TEST(PDFColorSpace, IndexedSpaces)
{
    QByteArray palette;
    for (int i = 0; i < 256; ++i)
        palette += QByteArray(3, char(i));
    const Made full = colorSpace("[/Indexed /DeviceRGB 255 <" + palette.toHex().toStdString() + ">]");
    ASSERT_TRUE(full.space);
    EXPECT_EQ(full.space->highestIndex(), 255);
    EXPECT_EQ(full.space->base()->model(), ColorModel::RGB);
    EXPECT_EQ(full.space->colorTable(), palette);

    // hival clamped to a byte; a short table padded, a long one cut
    const Made high = colorSpace("[/Indexed /DeviceGray 300 <0102>]");
    EXPECT_EQ(high.space->highestIndex(), 255);
    EXPECT_EQ(high.space->colorTable(), QByteArray::fromHex("0102") + QByteArray(254, '\0'));
    const Made low = colorSpace("[/Indexed /DeviceGray -4 <0102>]");
    EXPECT_EQ(low.space->colorTable(), QByteArray::fromHex("01"));
    const Made streamed = colorSpace("[/Indexed /G 1 {0}]", streams({{QByteArray::fromHex("00ff"), "<< >>"}}));
    EXPECT_EQ(streamed.space->colorTable(), QByteArray::fromHex("00ff"));

    // Over a Separation: the palette's tints go through the tint transform.
    const Made spot
        = colorSpace(std::string("[/Indexed [/Separation /Spot /DeviceCMYK ") + kSpotToCMYK + "] 3 <0080ff40>]");
    ASSERT_TRUE(spot.space);
    EXPECT_EQ(spot.kind, kPDFIndexed);
    EXPECT_EQ(spot.count, 1u);
    EXPECT_EQ(spot.space->base()->model(), ColorModel::CMYK);
    EXPECT_EQ(spot.space->colorTable(), QByteArray::fromHex("00000000 80400000 ff7f0000 40200000"));

    // An indexed base, or a Separation whose tints cannot be converted.
    EXPECT_FALSE(colorSpace("[/Indexed [/Indexed /DeviceRGB 0 <000000>] 0 <00>]").space);
    EXPECT_FALSE(colorSpace("[/Indexed [/Separation /Spot /DeviceCMYK 5] 0 <00>]").space);
}

TEST(PDFColorSpace, SpacesThatContainThemselvesEnd)
{
    const auto cyclic = readBackObject([](QPDF& qpdf) {
        QPDFObjectHandle indexed = qpdf.makeIndirectObject(QPDFObjectHandle::parse("[/Indexed null 0 <00>]"));
        indexed.setArrayItem(1, indexed);
        return indexed;
    });
    PDFColorSpaceKind kind = kPDFColorSpaceUnknown;
    uint64_t count = 0;
    EXPECT_FALSE(CreateColorSpaceFromArray(*cyclic.object.asArray(), &kind, &count));
    EXPECT_EQ(kind, kPDFIndexed);

    // Through the tint table of a palette: the Separation base's alternate is
    // the Indexed space itself.
    const auto throughPalette = readBackObject([](QPDF& qpdf) {
        QPDFObjectHandle indexed = qpdf.makeIndirectObject(
            QPDFObjectHandle::parse(std::string("[/Indexed [/Separation /S null ") + kSpotToCMYK + "] 0 <00>]"));
        indexed.getArrayItem(1).setArrayItem(2, indexed);
        return indexed;
    });
    EXPECT_FALSE(CreateColorSpaceFromArray(*throughPalette.object.asArray(), &kind, &count));
    EXPECT_FALSE(CreateSeparationTintTable(*throughPalette.object.asArray()->arrayAt(1), QByteArray(4, '\0')));

    // Distinct arrays nested deeper than any file needs.
    std::string deep = "/DeviceGray";
    for (int i = 0; i < 50; ++i)
        deep = "[/Separation /S" + std::to_string(i) + " " + deep + " " + kSpotToCMYK + "]";
    const Made made = colorSpace(deep);
    EXPECT_FALSE(made.space);
    EXPECT_EQ(made.kind, kPDFSeparation);
}

TEST(PDFColorSpace, DeviceSpacesByNameAndCode)
{
    struct Case {
        const char* name;
        bool made;
        uint64_t count;
    };
    const Case cases[] = {{"DeviceRGB", true, 3},  {"RGB", true, 3},        {"DeviceCMYK", true, 4},
                          {"CMYK", true, 4},       {"DeviceGray", true, 1}, {"G", true, 1},
                          {"devicergb", false, 7}, {"Indexed", false, 7},   {"", false, 7}};
    for (const Case& c : cases) {
        uint64_t count = 7;
        EXPECT_EQ(bool(CreateDeviceColorSpaceAndComponents(c.name, &count)), c.made) << c.name;
        EXPECT_EQ(count, c.count) << c.name;
        EXPECT_EQ(bool(CreateDeviceColorSpaceFromName(c.name)), c.made) << c.name;
    }
    EXPECT_EQ(CreateDeviceColorSpaceForCode(kPDFDeviceGray)->model(), ColorModel::Gray);
    EXPECT_EQ(CreateDeviceColorSpaceForCode(kPDFDeviceRGB)->model(), ColorModel::RGB);
    EXPECT_EQ(CreateDeviceColorSpaceForCode(kPDFDeviceCMYK)->model(), ColorModel::CMYK);
    EXPECT_FALSE(CreateDeviceColorSpaceForCode(kPDFCalGray));
    EXPECT_FALSE(CreateDeviceColorSpaceForCode(PDFColorSpaceKind(0)));

    EXPECT_FALSE(CreateColorSpaceFromICCProfile(std::nullopt));
    EXPECT_FALSE(CreateColorSpaceFromICCProfile(QByteArray("garbage")));
    const auto tagged = CreateColorSpaceFromICCProfile(rgbProfile());
    ASSERT_TRUE(tagged);
    EXPECT_EQ(tagged->componentCount(), 3);
}

TEST(PDFColorSpace, SeparationTintTables)
{
    const std::string spot = std::string("[/Separation /Spot /DeviceCMYK ") + kSpotToCMYK + "]";
    EXPECT_EQ(tintTable(spot, QByteArray::fromHex("0080ff")), QByteArray::fromHex("00000000 80400000 ff7f0000"));
    EXPECT_EQ(tintTable(spot, QByteArray()), QByteArray());

    // Values outside 0..1 are clamped, NaN is 0 (x^-1 at 0 times nothing).
    EXPECT_EQ(tintTable("[/Separation /S /DeviceGray << /FunctionType 2 /Domain [0 1] /C0 [-1] /C1 [3] /N 1 >>]",
                        QByteArray::fromHex("00 80 ff")),
              QByteArray::fromHex("00 ff ff"));
    EXPECT_EQ(tintTable("[/Separation /S /DeviceGray << /FunctionType 2 /Domain [0 1] /C0 [0.5] /C1 [0.5] /N -1 >>]",
                        QByteArray::fromHex("00 ff")),
              QByteArray::fromHex("00 7f"));

    // A calculator transform in a stream.
    EXPECT_EQ(tintTable("[/Separation /S /DeviceRGB {0}]", QByteArray::fromHex("00 ff"),
                        streams({{"{ dup 0.5 mul 0 }", "<< /FunctionType 4 /Domain [0 1] /Range [0 1 0 1 0 1] >>"}})),
              QByteArray::fromHex("000000 ff7f00"));

    // Transforms that cannot make the alternate's bytes.
    const char* refused[] = {
        "[/Separation /S /DeviceRGB << /FunctionType 2 /Domain [0 1] /C1 [1] /N 1 >>]", // 1 output for 3
        "[/Separation /S /DeviceGray 5]",
        "[/Separation /S /DeviceGray]",
        "[/Separation /S /NoSuchSpace << /FunctionType 2 /Domain [0 1] /C1 [1] /N 1 >>]",
        "[/Separation /S /DeviceGray << /FunctionType 7 /Domain [0 1] /Range [0 1] >>]",
    };
    for (const char* text : refused)
        EXPECT_FALSE(tintTable(text, QByteArray::fromHex("00ff"))) << text;
}

TEST(PDFColorSpace, DeviceNTintTables)
{
    const auto multiply = streams({{"{ mul }", "<< /FunctionType 4 /Domain [0 1 0 1] /Range [0 1] >>"}});
    // Two bytes a sample; a trailing byte that fills no sample is ignored.
    EXPECT_EQ(tintTable("[/DeviceN [/A /B] /DeviceGray {0}]", QByteArray::fromHex("ffff ff00 ff80 ff"), multiply),
              QByteArray::fromHex("ff 00 80"));

    // Exponential transforms take the last colourant of each sample.
    EXPECT_EQ(tintTable("[/DeviceN [/A /B] /DeviceGray << /FunctionType 2 /Domain [0 1] /C1 [1] /N 1 >>]",
                        QByteArray::fromHex("00ff ff00")),
              QByteArray::fromHex("ff 00"));

    // A sampled transform of two inputs.
    EXPECT_EQ(tintTable("[/DeviceN [/A /B] /DeviceGray {0}]", QByteArray::fromHex("0000 ff00 00ff ffff"),
                        streams({{QByteArray::fromHex("10203040"),
                                  "<< /FunctionType 0 /Domain [0 1 0 1] /Range [0 1] /Size [2 2] "
                                  "/BitsPerSample 8 >>"}})),
              QByteArray::fromHex("10 20 30 40"));

    EXPECT_FALSE(tintTable("[/DeviceN [] /DeviceGray {0}]", QByteArray::fromHex("ff"), multiply));
}
