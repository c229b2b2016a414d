// The evaluations of PDFFunction, one per function type.
#include "pdfdecode/PDFFunction.h"

#include <algorithm>
#include <cmath>

namespace {

// Raises to low, then lowers to high; NaN becomes low.
double clip(double value, double low, double high)
{
    if (!(value >= low))
        value = low;
    if (value > high)
        value = high;
    return value;
}

void clipToRange(PDFFunction& f, std::size_t output)
{
    if (f.range.size() >= 2 * output + 2)
        f.outputValues[output] = clip(f.outputValues[output], f.range[2 * output], f.range[2 * output + 1]);
}

// Reads the value of bits width at a bit offset, most significant bit first.
uint64_t readBits(const QByteArray& data, uint64_t bitOffset, int bits)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(data.constData());
    uint64_t value = 0;
    if (bitOffset % 8 == 0 && bits % 8 == 0) {
        for (uint64_t i = bitOffset / 8, end = i + uint64_t(bits / 8); i < end; ++i)
            value = (value << 8) | bytes[i];
        return value;
    }
    for (int i = 0; i < bits; ++i, ++bitOffset)
        value = (value << 1) | ((bytes[bitOffset / 8] >> (7 - bitOffset % 8)) & 1u);
    return value;
}

// The nearest sample along each input, the first input varying fastest.
uint64_t sampleIndex(const PDFFunction& f, const double* inputs)
{
    uint64_t index = 0;
    uint64_t stride = 1;
    for (std::size_t i = 0; i < f.size.size(); ++i) {
        const double d0 = f.domain[2 * i];
        const double d1 = f.domain[2 * i + 1];
        const double last = f.size[i] - 1;
        const double e0 = f.encode.empty() ? 0 : f.encode[2 * i];
        const double e1 = f.encode.empty() ? last : f.encode[2 * i + 1];
        double encoded = 0;
        if (d1 - d0 != 0)
            encoded = e0 + (clip(inputs[i], d0, d1) - d0) * (e1 - e0) / (d1 - d0);
        index += uint64_t(clip(encoded, 0, last) + 0.5) * stride;
        stride *= uint64_t(f.size[i]);
    }
    return index;
}

} // namespace

void EvaluateSampledFunction(PDFFunction& f, const double* inputs, int inputCount)
{
    std::fill(f.outputValues.begin(), f.outputValues.end(), 0.0);
    if (!f.isValid || f.functionType != kPDFSampledFunction || inputCount < int(f.size.size()))
        return;
    const int bits = f.bitsPerSample;
    const double divisor = std::ldexp(1.0, bits) - 1;
    const uint64_t first = sampleIndex(f, inputs) * uint64_t(f.outputCount);
    for (std::size_t j = 0; j < f.outputValues.size(); ++j) {
        const double value = double(readBits(f.samples, (first + j) * uint64_t(bits), bits));
        const std::vector<double>& scale = f.decode.empty() ? f.range : f.decode;
        f.outputValues[j] = scale[2 * j] + value * (scale[2 * j + 1] - scale[2 * j]) / divisor;
        clipToRange(f, j);
    }
}

void EvaluateExponentialFunction(PDFFunction& f, double input)
{
    std::fill(f.outputValues.begin(), f.outputValues.end(), 0.0);
    if (!f.isValid || f.functionType != kPDFExponentialFunction)
        return;
    const double power = std::pow(input, f.exponent);
    for (std::size_t j = 0; j < f.outputValues.size(); ++j) {
        const double c0 = f.c0.empty() ? 0.0 : f.c0[j];
        const double c1 = f.c1.empty() ? 1.0 : f.c1[j];
        f.outputValues[j] = c0 + power * (c1 - c0);
        clipToRange(f, j);
    }
}

// The standard's rule: the sub-function whose part of the domain (cut by
// Bounds) holds the input, evaluated at the input mapped through its Encode
// pair.
void EvaluateStitchingFunction(PDFFunction& f, double input)
{
    std::fill(f.outputValues.begin(), f.outputValues.end(), 0.0);
    if (!f.isValid || f.functionType != kPDFStitchingFunction)
        return;
    const double x = clip(input, f.domain[0], f.domain[1]);
    const std::size_t k = f.subFunctions.size();
    // A scan, not a binary search: nothing makes a file's Bounds ascend.
    std::size_t i = 0;
    while (i < f.bounds.size() && x >= f.bounds[i])
        ++i;
    if (k > 1 && x == f.domain[0] && f.bounds[0] == f.domain[0])
        i = 0;
    const double low = i == 0 ? f.domain[0] : f.bounds[i - 1];
    const double high = i == k - 1 ? f.domain[1] : f.bounds[i];
    const double e0 = f.encode[2 * i];
    const double e1 = f.encode[2 * i + 1];
    const double encoded = high == low ? e0 : e0 + (x - low) * (e1 - e0) / (high - low);
    PDFFunction& sub = f.subFunctions[i];
    EvaluatePDFFunction(sub, &encoded, 1);
    for (std::size_t j = 0; j < f.outputValues.size() && j < sub.outputValues.size(); ++j) {
        f.outputValues[j] = sub.outputValues[j];
        clipToRange(f, j);
    }
}

void EvaluateCalculatorFunction(PDFFunction& f, const double* inputs, int inputCount)
{
    std::fill(f.outputValues.begin(), f.outputValues.end(), 0.0);
    if (!f.isValid || f.functionType != kPDFCalculatorFunction)
        return;
    PostScriptOperandStack& stack = f.stack;
    stack.ResetOperandStack();
    for (int i = 0; i < inputCount; ++i)
        stack.PushReal(inputs[i]);
    if (f.program)
        RunPostScriptProgram(*f.program, stack);
    // The deepest operand is the first output.
    const int64_t left = stack.count();
    stack.ReverseOperandStack();
    double value = 0;
    for (int64_t i = 0; i < left && i < int64_t(f.outputValues.size()); ++i) {
        stack.PopNumber(value);
        f.outputValues[std::size_t(i)] = value;
        clipToRange(f, std::size_t(i));
    }
    stack.ClearOperandStack();
}

void EvaluatePDFFunction(PDFFunction& f, const double* inputs, int inputCount)
{
    switch (f.functionType) {
    case kPDFSampledFunction:
        EvaluateSampledFunction(f, inputs, inputCount);
        break;
    case kPDFExponentialFunction:
        if (inputCount >= 1)
            EvaluateExponentialFunction(f, inputs[inputCount - 1]);
        break;
    case kPDFStitchingFunction:
        if (inputCount >= 1)
            EvaluateStitchingFunction(f, inputs[inputCount - 1]);
        break;
    case kPDFCalculatorFunction:
        if (!f.program)
            CreatePostScriptProgram(f);
        EvaluateCalculatorFunction(f, inputs, inputCount);
        break;
    default:
        break;
    }
}
