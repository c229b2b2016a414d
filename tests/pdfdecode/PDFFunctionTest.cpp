#include "pdfdecode/PDFFunction.h"

#include "tests/support/PdfObjectFixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>

using testsupport::makeStream;
using testsupport::readBackObject;

namespace {

// A function read from its dictionary written as text, or from a stream of
// data with that dictionary.
std::unique_ptr<PDFFunction> loadFunction(const std::string& dictionary, const std::optional<QByteArray>& data = {})
{
    const auto fixture = data ? readBackObject([&](QPDF& qpdf) { return makeStream(qpdf, *data, dictionary); })
                              : readBackObject(dictionary);
    auto function = std::make_unique<PDFFunction>();
    if (const auto stream = fixture.object.asStream())
        LoadFunctionFromStream(*function, *stream);
    else if (const auto dict = fixture.object.asDictionary())
        LoadFunctionDictionary(*function, *dict);
    return function;
}

std::vector<double> evaluate(PDFFunction& function, std::vector<double> inputs)
{
    EvaluatePDFFunction(function, inputs.data(), int(inputs.size()));
    return function.outputValues;
}

void expectOutputs(PDFFunction& function, const std::vector<std::pair<std::vector<double>, std::vector<double>>>& cases)
{
    for (const auto& [inputs, expected] : cases) {
        const std::vector<double> outputs = evaluate(function, inputs);
        ASSERT_EQ(outputs.size(), expected.size()) << "input " << inputs[0];
        for (std::size_t j = 0; j < outputs.size(); ++j)
            EXPECT_NEAR(outputs[j], expected[j], 1e-9) << "input " << inputs[0] << " output " << j;
    }
}

const std::string kSampled3 = "<< /FunctionType 0 /Domain [0 1] /Range [0 1] /Size [3] /BitsPerSample 8 ";
const QByteArray kThreeSamples = QByteArray::fromHex("0080ff");

} // namespace

TEST(PDFFunction, SampledFunctionsTakeTheNearestSample)
{
    const double mid = 128.0 / 255.0;
    auto plain = loadFunction(kSampled3 + ">>", kThreeSamples);
    ASSERT_TRUE(plain->isValid);
    expectOutputs(*plain,
                  {{{0}, {0}},
                   {{0.24}, {0}},
                   {{0.26}, {mid}},
                   {{0.74}, {mid}},
                   {{0.76}, {1}},
                   {{1}, {1}},
                   {{-5}, {0}},
                   {{7}, {1}},
                   {{NAN}, {0}}});

    auto decoded = loadFunction(kSampled3 + "/Decode [1 0] >>", kThreeSamples);
    expectOutputs(*decoded, {{{0}, {1}}, {{0.5}, {1 - mid}}, {{1}, {0}}});

    auto reversed = loadFunction(kSampled3 + "/Encode [2 0] >>", kThreeSamples);
    expectOutputs(*reversed, {{{0}, {1}}, {{0.5}, {mid}}, {{1}, {0}}});
    // Both kept: Decode does not replace Encode.
    auto both = loadFunction(kSampled3 + "/Encode [2 0] /Decode [1 0] >>", kThreeSamples);
    expectOutputs(*both, {{{0}, {0}}, {{1}, {1}}});

    auto flat = loadFunction("<< /FunctionType 0 /Domain [0.5 0.5] /Range [0 1] /Size [3] /BitsPerSample 8 >>",
                             kThreeSamples);
    expectOutputs(*flat, {{{0}, {0}}, {{1}, {0}}});
}

TEST(PDFFunction, SampledValuesOfEveryWidth)
{
    struct Case {
        int bits;
        QByteArray data;
        std::vector<double> values; // of the samples 0, 1, 2, 3
    };
    const Case cases[] = {
        {1, QByteArray::fromHex("50"), {0, 1, 0, 1}},
        {2, QByteArray::fromHex("1b"), {0, 1, 2, 3}},
        {4, QByteArray::fromHex("1fa0"), {1, 15, 10, 0}},
        {8, QByteArray::fromHex("00017fff"), {0, 1, 127, 255}},
        {12, QByteArray::fromHex("abc123fff000"), {0xabc, 0x123, 0xfff, 0}},
        {16, QByteArray::fromHex("12340000ffff0001"), {0x1234, 0, 0xffff, 1}},
        {24, QByteArray::fromHex("000001ffffff800000000000"), {1, 0xffffff, 0x800000, 0}},
        {32, QByteArray::fromHex("00000001ffffffff0000000000000000"), {1, 4294967295.0, 0, 0}},
    };
    for (const Case& c : cases) {
        auto function = loadFunction("<< /FunctionType 0 /Domain [0 3] /Range [0 1] /Size [4] /BitsPerSample "
                                         + std::to_string(c.bits) + " >>",
                                     c.data);
        ASSERT_TRUE(function->isValid) << c.bits;
        const double divisor = std::ldexp(1.0, c.bits) - 1;
        for (int i = 0; i < 4; ++i)
            EXPECT_NEAR(evaluate(*function, {double(i)})[0], c.values[std::size_t(i)] / divisor, 1e-12)
                << c.bits << " bits, sample " << i;
    }
}

TEST(PDFFunction, SampledFunctionsOfTwoInputsVaryTheFirstFastest)
{
    // Size [2 2], two outputs: samples (x0, x1) = (0,0) (1,0) (0,1) (1,1).
    auto function = loadFunction("<< /FunctionType 0 /Domain [0 1 0 1] /Range [0 1 0 1] /Size [2 2] "
                                 "/BitsPerSample 8 >>",
                                 QByteArray::fromHex("0000ff00 00ff ffff"));
    ASSERT_TRUE(function->isValid);
    expectOutputs(*function, {{{0, 0}, {0, 0}}, {{1, 0}, {1, 0}}, {{0, 1}, {0, 1}}, {{1, 1}, {1, 1}}});
    // Too few inputs: nothing is read, the outputs are 0.
    expectOutputs(*function, {{{1}, {0, 0}}});
}

TEST(PDFFunction, SampledFunctionsWhoseTablesDoNotFitAreRefused)
{
    const char* dictionaries[] = {
        "<< /FunctionType 0 /Domain [0 1] /Range [0 1] /Size [4] /BitsPerSample 8 >>", // 3 bytes for 4
        "<< /FunctionType 0 /Domain [0 1] /Range [0 1] /Size [3] /BitsPerSample 3 >>", // no such width
        "<< /FunctionType 0 /Domain [0 1] /Range [0 1] /Size [0] /BitsPerSample 8 >>",
        "<< /FunctionType 0 /Domain [0 1] /Range [0 1] /Size [1.5] /BitsPerSample 8 >>",
        "<< /FunctionType 0 /Domain [0 1] /Size [3] /BitsPerSample 8 >>", // no Range
        "<< /FunctionType 0 /Domain [0 1] /Range [0 1] /BitsPerSample 8 >>", // no Size
        "<< /FunctionType 0 /Domain [0 1] /Range [0 1] /Size [3 3] /BitsPerSample 8 >>", // Domain too short
        "<< /FunctionType 0 /Domain [0 1] /Range [0 1] /Size [3] /Encode [0] /BitsPerSample 8 >>",
        "<< /FunctionType 0 /Domain [0 1] /Range [0 1 0 1] /Size [3] /Decode [0 1] /BitsPerSample 8 >>",
        "<< /FunctionType 0 /Domain [0 1 0 1 0 1 0 1] /Range [0 1] /Size [65536 65536 65536 65536] "
        "/BitsPerSample 32 >>", // overflows
        "<< /FunctionType 1 /Domain [0 1] /Range [0 1] >>",
    };
    for (const char* dictionary : dictionaries) {
        auto function = loadFunction(dictionary, kThreeSamples);
        EXPECT_FALSE(function->isValid) << dictionary;
        for (double value : evaluate(*function, {0.5, 0.5, 0.5, 0.5}))
            EXPECT_EQ(value, 0) << dictionary;
    }
}

TEST(PDFFunction, ExponentialFunctions)
{
    auto square = loadFunction("<< /FunctionType 2 /Domain [0 1] /Range [0 1] /N 2 >>");
    expectOutputs(*square, {{{0.5}, {0.25}}, {{1}, {1}}});
    auto clipped = loadFunction("<< /FunctionType 2 /Domain [0 1] /Range [0 0.5] /N 2 >>");
    expectOutputs(*clipped, {{{0.5}, {0.25}}, {{0.9}, {0.5}}});
    auto gamma = loadFunction("<< /FunctionType 2 /Domain [0 1] /Range [0 1] /N 2.2 >>");
    expectOutputs(*gamma, {{{0.5}, {std::pow(0.5, 2.2)}}});
    auto noOutputs = loadFunction("<< /FunctionType 2 /Domain [0 1] /N 1 >>");
    EXPECT_EQ(noOutputs->outputCount, 0);
    auto three = loadFunction("<< /FunctionType 2 /Domain [0 1] /C1 [1 0.5 0.25] /N 1 >>");
    expectOutputs(*three, {{{0.5}, {0.5, 0.25, 0.125}}});
    auto colour = loadFunction("<< /FunctionType 2 /Domain [0 1] /C0 [0 0 0 0] /C1 [1 0.5 0 0] /N 1 >>");
    expectOutputs(*colour, {{{0.5}, {0.5, 0.25, 0, 0}}});
    auto noDomain = loadFunction("<< /FunctionType 2 /C1 [0.5] /N 1 >>");
    expectOutputs(*noDomain, {{{1}, {0.5}}});
    auto mismatched = loadFunction("<< /FunctionType 2 /Domain [0 1] /C0 [0 0] /C1 [1 0.5 0] /N 1 >>");
    EXPECT_FALSE(mismatched->isValid);
}

TEST(PDFFunction, StitchingFunctionsEvaluateThePieceHoldingTheInput)
{
    // Rising over the first half, falling over the second.
    auto function = loadFunction("<< /FunctionType 3 /Domain [0 1] /Range [0 1] /Bounds [0.5] /Encode [0 1 1 0] "
                                 "/Functions [<< /FunctionType 2 /Domain [0 1] /C0 [0] /C1 [1] /N 1 >> "
                                 "<< /FunctionType 2 /Domain [0 1] /C0 [0] /C1 [1] /N 2 >>] >>");
    ASSERT_TRUE(function->isValid);
    expectOutputs(*function, {{{0}, {0}}, {{0.25}, {0.5}}, {{0.5}, {1}}, {{0.75}, {0.25}}, {{1}, {0}}, {{-3}, {0}}});

    // One piece, no Bounds, no Range: the piece's outputs.
    auto single = loadFunction("<< /FunctionType 3 /Domain [0 1] /Bounds [] /Encode [0 1] "
                               "/Functions [<< /FunctionType 2 /Domain [0 1] /C1 [1 0.5] /N 1 >>] >>");
    ASSERT_TRUE(single->isValid);
    expectOutputs(*single, {{{0.5}, {0.5, 0.25}}});

    // Stitching and calculator pieces are evaluated too.
    const auto fixture = readBackObject(
        "<< /FunctionType 3 /Domain [0 1] /Range [0 1] /Bounds [0.5] /Encode [0 1 0 1] /Functions ["
        "<< /FunctionType 3 /Domain [0 1] /Bounds [] /Encode [0 1] "
        "/Functions [<< /FunctionType 2 /Domain [0 1] /C1 [1] /N 1 >>] >> {0}] >>",
        [](QPDF& qpdf) {
            return std::vector{makeStream(qpdf, "{ 0.5 mul }", "<< /FunctionType 4 /Domain [0 1] /Range [0 1] >>")};
        });
    PDFFunction nested;
    ASSERT_TRUE(LoadFunctionDictionary(nested, *fixture.object.asDictionary()));
    expectOutputs(nested, {{{0.25}, {0.5}}, {{0.75}, {0.25}}});
}

TEST(PDFFunction, StitchingFunctionsThatContainThemselvesEnd)
{
    const auto fixture = readBackObject([](QPDF& qpdf) {
        QPDFObjectHandle function = qpdf.makeIndirectObject(
            QPDFObjectHandle::parse("<< /FunctionType 3 /Domain [0 1] /Range [0 1] /Bounds [] /Encode [0 1] >>"));
        function.replaceKey("/Functions", QPDFObjectHandle::newArray({function}));
        return function;
    });
    PDFFunction function;
    EXPECT_FALSE(LoadFunctionDictionary(function, *fixture.object.asDictionary()));
    EXPECT_EQ(evaluate(function, {0.5}), std::vector<double>{0});
}

TEST(PDFFunction, CalculatorFunctions)
{
    auto twice = loadFunction("<< /FunctionType 4 /Domain [0 1] /Range [0 1] >>", QByteArray("{ 2 mul }"));
    ASSERT_TRUE(twice->isValid);
    expectOutputs(*twice, {{{0.3}, {0.6}}, {{0.7}, {1}}});

    auto noBrace = loadFunction("<< /FunctionType 4 /Domain [0 1] /Range [0 0.5] >>", QByteArray("2 mul"));
    expectOutputs(*noBrace, {{{0.3}, {0.3}}, {{0.7}, {0.5}}});

    // More values than outputs: the first ones; fewer: the rest are 0.
    auto many = loadFunction("<< /FunctionType 4 /Domain [0 1] /Range [0 1] >>", QByteArray("{ 0.25 0.5 }"));
    expectOutputs(*many, {{{0.1}, {0.1}}});
    auto few = loadFunction("<< /FunctionType 4 /Domain [0 1] /Range [0 1 0 1 0 1] >>", QByteArray("{ pop 0.5 }"));
    expectOutputs(*few, {{{0.1}, {0.5, 0, 0}}});

    auto noRange = loadFunction("<< /FunctionType 4 /Domain [0 1] >>", QByteArray("{ 2 mul }"));
    EXPECT_FALSE(noRange->isValid);
}
