#include "pdfdecode/PDFFunction.h"

#include <cmath>

using platform::pdf::PdfArray;
using platform::pdf::PdfDataFormat;
using platform::pdf::PdfDictionary;
using platform::pdf::PdfObjectId;
using platform::pdf::PdfObjectType;
using platform::pdf::PdfStream;

namespace {

constexpr int kAllowedBits[] = {1, 2, 4, 8, 12, 16, 24, 32};

bool allowedBitsPerSample(int bits)
{
    for (int allowed : kAllowedBits)
        if (bits == allowed)
            return true;
    return false;
}

// The sample bytes a sampled function needs; -1 when Size is not a list of
// whole numbers from 1 or the product overflows.
int64_t neededSampleBytes(const PDFFunction& f)
{
    int64_t values = f.outputCount;
    for (double count : f.size) {
        if (!(count >= 1 && count <= double(PDFFunction::kMaxSampleBytes) * 8) || count != std::floor(count))
            return -1;
        if (__builtin_mul_overflow(values, int64_t(count), &values))
            return -1;
    }
    int64_t bits = 0;
    if (__builtin_mul_overflow(values, int64_t(f.bitsPerSample), &bits))
        return -1;
    return bits / 8 + (bits % 8 != 0);
}

bool pairsFor(const std::vector<double>& table, std::size_t count, bool optional)
{
    return (optional && table.empty()) || table.size() >= 2 * count;
}

bool checkSampled(const PDFFunction& f)
{
    const std::size_t inputs = f.size.size();
    if (inputs < 1 || inputs > PDFFunction::kMaxInputs || !allowedBitsPerSample(f.bitsPerSample)
        || !pairsFor(f.domain, inputs, false) || !pairsFor(f.encode, inputs, true)
        || !pairsFor(f.decode, std::size_t(f.outputCount), true))
        return false;
    const int64_t needed = neededSampleBytes(f);
    return needed >= 0 && needed <= f.samples.size();
}

bool checkExponential(const PDFFunction& f)
{
    const auto fits = [&](const std::vector<double>& c) { return c.empty() || c.size() == std::size_t(f.outputCount); };
    // The input is not clipped to the Domain, so a missing one does no harm.
    return fits(f.c0) && fits(f.c1);
}

bool checkStitching(const PDFFunction& f)
{
    const std::size_t k = f.subFunctions.size();
    if (k < 1 || !pairsFor(f.domain, 1, false) || f.bounds.size() != k - 1 || !pairsFor(f.encode, k, false))
        return false;
    for (const PDFFunction& sub : f.subFunctions)
        if (!sub.isValid)
            return false;
    return true;
}

bool checkFunction(const PDFFunction& f)
{
    if (f.outputCount > PDFFunction::kMaxOutputs)
        return false;
    switch (f.functionType) {
    case kPDFSampledFunction:
        return f.outputCount >= 1 && checkSampled(f);
    case kPDFExponentialFunction:
        return checkExponential(f);
    case kPDFStitchingFunction:
        return checkStitching(f);
    case kPDFCalculatorFunction:
        return f.outputCount >= 1 && !f.samples.isEmpty();
    default:
        return false;
    }
}

// A stitching function without Range has its sub-functions' outputs.
void settleOutputCount(PDFFunction& f, bool hasRange)
{
    if (!hasRange && f.functionType == kPDFStitchingFunction && !f.subFunctions.empty())
        f.outputCount = f.subFunctions.front().outputCount;
}

// Enters a function object; false when it is already being read, nests too
// deeply or the reading has used up its functions.
bool enter(PDFFunctionReading& reading, PdfObjectId id)
{
    if (reading.depth >= PDFFunction::kMaxNesting || reading.functionsLeft <= 0)
        return false;
    if (id.isIndirect() && !reading.open.insert(id).second)
        return false;
    ++reading.depth;
    --reading.functionsLeft;
    return true;
}

void leave(PDFFunctionReading& reading, PdfObjectId id)
{
    --reading.depth;
    if (id.isIndirect())
        reading.open.erase(id);
}

bool readDictionaryKeys(PDFFunction& f, const PdfDictionary& dictionary, PDFFunctionReading& reading)
{
    if (const auto type = dictionary.integer("FunctionType"))
        SetFunctionType(f, uint32_t(*type));
    if (const auto array = dictionary.array("Domain"))
        f.domain = ReadNumberArray(*array);
    const auto range = dictionary.array("Range");
    if (range) {
        f.range = ReadNumberArray(*range);
        f.outputCount = int(std::min<std::size_t>(f.range.size() / 2, PDFFunction::kMaxOutputs + 1));
    }
    if (const auto bits = dictionary.integer("BitsPerSample"))
        f.bitsPerSample = uint8_t(*bits);
    if (const auto array = dictionary.array("Encode"))
        f.encode = ReadNumberArray(*array);
    if (const auto array = dictionary.array("Decode"))
        f.decode = ReadNumberArray(*array);
    if (const auto array = dictionary.array("Size"))
        f.size = ReadNumberArray(*array);
    if (const auto array = dictionary.array("C0"))
        f.c0 = ReadNumberArray(*array);
    if (const auto array = dictionary.array("C1")) {
        f.c1 = ReadNumberArray(*array);
        if (!range && !f.c1.empty())
            f.outputCount = int(std::min<std::size_t>(f.c1.size(), PDFFunction::kMaxOutputs + 1));
    }
    if (const auto array = dictionary.array("Bounds"))
        f.bounds = ReadNumberArray(*array);
    if (const auto array = dictionary.array("Functions"))
        ReadSubFunctions(f, *array, reading);
    // Exponents such as 2.2 are as common as whole ones.
    if (const auto n = dictionary.number("N"))
        SetExponent(f, *n);
    return bool(range);
}

} // namespace

std::vector<double> ReadNumberArray(const PdfArray& array)
{
    std::vector<double> numbers(std::size_t(array.count()), 0.0);
    for (std::size_t i = 0; i < numbers.size(); ++i)
        numbers[i] = array.numberAt(int64_t(i)).value_or(0.0);
    return numbers;
}

void SetFunctionType(PDFFunction& function, uint32_t type) { function.functionType = type; }

void SetExponent(PDFFunction& function, double exponent) { function.exponent = exponent; }

bool LoadFunctionDictionary(PDFFunction& function, const PdfDictionary& dictionary, PDFFunctionReading& reading)
{
    const PdfObjectId id = dictionary.id();
    if (!enter(reading, id))
        return false;
    const bool hasRange = readDictionaryKeys(function, dictionary, reading);
    leave(reading, id);
    settleOutputCount(function, hasRange);
    function.isValid = checkFunction(function);
    function.outputValues.assign(std::size_t(function.outputCount), 0.0);
    return function.isValid;
}

bool LoadFunctionFromStream(PDFFunction& function, const PdfStream& stream, PDFFunctionReading& reading)
{
    LoadSampleData(function, stream, reading);
    return LoadFunctionDictionary(function, stream.dictionary(), reading);
}

bool LoadFunctionDictionary(PDFFunction& function, const PdfDictionary& dictionary)
{
    PDFFunctionReading reading;
    return LoadFunctionDictionary(function, dictionary, reading);
}

bool LoadFunctionFromStream(PDFFunction& function, const PdfStream& stream)
{
    PDFFunctionReading reading;
    return LoadFunctionFromStream(function, stream, reading);
}

void LoadSampleData(PDFFunction& function, const PdfStream& stream, PDFFunctionReading& reading)
{
    const auto data = stream.copyData(reading.sampleBytesLeft);
    if (!data || data->format != PdfDataFormat::Raw || data->bytes.isEmpty())
        return;
    reading.sampleBytesLeft -= data->bytes.size();
    function.samples = data->bytes;
}

void ReadSubFunctions(PDFFunction& function, const PdfArray& functions, PDFFunctionReading& reading)
{
    const int64_t count = functions.count();
    if (count == 0 || count > reading.functionsLeft)
        return;
    function.subFunctions.resize(std::size_t(count));
    for (int64_t i = 0; i < count; ++i) {
        PDFFunction& sub = function.subFunctions[std::size_t(i)];
        if (const auto stream = functions.streamAt(i))
            LoadFunctionFromStream(sub, *stream, reading);
        else if (const auto dictionary = functions.dictionaryAt(i))
            LoadFunctionDictionary(sub, *dictionary, reading);
    }
}

void CreatePostScriptProgram(PDFFunction& function)
{
    function.program
        = std::make_unique<PostScriptProgram>(function.samples.constData(), uint64_t(function.samples.size()));
    ParsePostScriptProgram(*function.program);
}
