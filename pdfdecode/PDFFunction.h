#pragma once
// A PDF function object (sampled, exponential, stitching or PostScript
// calculator) read from a function dictionary or stream, and its evaluation:
// the tint transforms of Separation and DeviceN colour spaces. Reading checks
// the function once, so that an evaluation never reads past its tables; a
// function that fails the check is not evaluated (its outputs stay 0).
#include "pdfdecode/PostScriptProgram.h"
#include "platform/pdf/PdfObject.h"

#include <QByteArray>

#include <cstdint>
#include <memory>
#include <set>
#include <vector>

enum PDFFunctionType : uint32_t {
    kPDFSampledFunction = 0,
    kPDFExponentialFunction = 2,
    kPDFStitchingFunction = 3,
    kPDFCalculatorFunction = 4,
};

struct PDFFunction {
    // The PDF standard's own limits for functions.
    static constexpr int kMaxInputs = 32;
    static constexpr int kMaxOutputs = 32;
    // Sample tables and program texts of one function, sub-functions
    // included: a colour transform needs a small fraction of this.
    static constexpr int64_t kMaxSampleBytes = 16 * 1024 * 1024;
    // Stitching functions inside stitching functions, and how many functions
    // one may hold in all: real files nest one or two levels.
    static constexpr int kMaxNesting = 8;
    static constexpr int kMaxFunctions = 256;

    // The stream's decoded data: the sample table or the program text.
    QByteArray samples;
    uint32_t functionType = 0;
    uint8_t bitsPerSample = 0;
    std::vector<double> domain;
    std::vector<double> range;
    std::vector<double> size;
    std::vector<double> encode;
    std::vector<double> decode;
    std::vector<double> c0;
    std::vector<double> c1;
    double exponent = 0;
    std::vector<double> bounds;
    std::vector<PDFFunction> subFunctions;
    // Number of outputs: half the Range, else (when there is no Range) the
    // length of C1, else for a stitching function its sub-functions'.
    int outputCount = 0;
    // The results of the last evaluation, outputCount values.
    std::vector<double> outputValues;
    // Built over samples for calculator functions before they are evaluated.
    std::unique_ptr<PostScriptProgram> program;
    // Set by reading when the function's tables fit each other.
    bool isValid = false;

    // Reused by every calculator evaluation.
    PostScriptOperandStack stack;
};

// Bounds one reading of a function and its sub-functions: how deep, how
// many, how many sample bytes, and the objects being read (so a function
// that contains itself ends).
struct PDFFunctionReading {
    int depth = 0;
    int functionsLeft = PDFFunction::kMaxFunctions;
    int64_t sampleBytesLeft = PDFFunction::kMaxSampleBytes;
    std::set<platform::pdf::PdfObjectId> open;
};

// Read a function into an empty PDFFunction; true when it can be evaluated.
bool LoadFunctionFromStream(PDFFunction& function, const platform::pdf::PdfStream& stream);
bool LoadFunctionDictionary(PDFFunction& function, const platform::pdf::PdfDictionary& dictionary);
// The same within a reading of an enclosing function.
bool LoadFunctionFromStream(PDFFunction& function, const platform::pdf::PdfStream& stream, PDFFunctionReading& reading);
bool LoadFunctionDictionary(PDFFunction& function, const platform::pdf::PdfDictionary& dictionary,
                            PDFFunctionReading& reading);
// Copies the stream's decoded data into samples; nothing for empty data,
// data still in an image codec, or more than the reading allows.
void LoadSampleData(PDFFunction& function, const platform::pdf::PdfStream& stream, PDFFunctionReading& reading);
void ReadSubFunctions(PDFFunction& function, const platform::pdf::PdfArray& functions, PDFFunctionReading& reading);

// The numbers of an array; an element that is not a number reads as 0.
std::vector<double> ReadNumberArray(const platform::pdf::PdfArray& array);

void SetFunctionType(PDFFunction& function, uint32_t type);
void SetExponent(PDFFunction& function, double exponent);

// Parses the program of a calculator function.
void CreatePostScriptProgram(PDFFunction& function);

// Evaluations; each overwrites outputValues.
void EvaluateSampledFunction(PDFFunction& function, const double* inputs, int inputCount);
void EvaluateExponentialFunction(PDFFunction& function, double input);
void EvaluateStitchingFunction(PDFFunction& function, double input);
void EvaluateCalculatorFunction(PDFFunction& function, const double* inputs, int inputCount);
// By type, building a calculator's program first when it has none.
void EvaluatePDFFunction(PDFFunction& function, const double* inputs, int inputCount);
