// Tint tables: Separation and DeviceN samples through their tint transform.
#include "pdfdecode/PDFColorSpace.h"
#include "pdfdecode/PDFColorSpaceReading_p.h"
#include "pdfdecode/PDFFunction.h"

#include <cmath>
#include <vector>

using platform::pdf::PdfArray;

namespace {

// An output value as a byte: truncated toward zero, NaN as 0, clamped.
char outputByte(double value)
{
    const double scaled = value * 255.0;
    if (!(scaled > 0))
        return 0;
    return char(scaled >= 255.0 ? 255 : int(scaled));
}

bool loadTintTransform(const PdfArray& colorSpace, PDFFunction& function)
{
    if (const auto stream = colorSpace.streamAt(3))
        return LoadFunctionFromStream(function, *stream);
    if (const auto dictionary = colorSpace.dictionaryAt(3))
        return LoadFunctionDictionary(function, *dictionary);
    return false;
}

} // namespace

std::optional<QByteArray> ReadTintTable(const PdfArray& colorSpace, const QByteArray& tints, int inputsPerSample,
                                        ColorSpaceReading& reading)
{
    PDFColorSpaceKind kind = kPDFColorSpaceUnknown;
    uint64_t components = 0;
    if (!ReadColorSpaceArray(colorSpace, &kind, &components, reading))
        return std::nullopt;
    PDFFunction function;
    if (!loadTintTransform(colorSpace, function) || uint64_t(function.outputCount) != components)
        return std::nullopt;
    if (function.functionType == kPDFCalculatorFunction)
        CreatePostScriptProgram(function);

    const qsizetype samples = tints.size() / inputsPerSample;
    const int m = function.outputCount;
    QByteArray table(samples * m, '\0');
    const auto* in = reinterpret_cast<const unsigned char*>(tints.constData());
    std::vector<double> inputs(std::size_t(inputsPerSample), 0.0);
    // One input byte has 256 values: each is evaluated once.
    std::vector<QByteArray> known(inputsPerSample == 1 ? 256 : 0);
    for (qsizetype s = 0; s < samples; ++s, in += inputsPerSample) {
        char* out = table.data() + s * m;
        if (!known.empty() && !known[*in].isNull()) {
            std::copy(known[*in].cbegin(), known[*in].cend(), out);
            continue;
        }
        for (int i = 0; i < inputsPerSample; ++i)
            inputs[std::size_t(i)] = in[i] / 255.0;
        EvaluatePDFFunction(function, inputs.data(), inputsPerSample);
        for (int j = 0; j < m; ++j)
            out[j] = outputByte(function.outputValues[std::size_t(j)]);
        if (!known.empty())
            known[*in] = QByteArray(out, m);
    }
    return table;
}

int DeviceNColorantCount(const PdfArray& colorSpace)
{
    const auto names = colorSpace.arrayAt(1);
    if (!names)
        return 1;
    const int64_t count = names->count();
    return count >= 1 && count <= PDFFunction::kMaxInputs ? int(count) : 0;
}

std::optional<QByteArray> CreateSeparationTintTable(const PdfArray& colorSpace, const QByteArray& tints)
{
    ColorSpaceReading reading;
    return ReadTintTable(colorSpace, tints, 1, reading);
}

std::optional<QByteArray> CreateDeviceNTintTable(const PdfArray& colorSpace, const QByteArray& tints)
{
    const int colorants = DeviceNColorantCount(colorSpace);
    if (colorants < 1)
        return std::nullopt;
    ColorSpaceReading reading;
    return ReadTintTable(colorSpace, tints, colorants, reading);
}
