#pragma once
// Office Math equations (m:oMath) written as their linear text, as an
// equation editor's linear form shows them: fractions as (a)/(b), scripts as
// x_i and x^2, radicals as √(x), n-ary operators, delimiters and matrices
// row by row.
#include <QString>

class QXmlStreamReader;

namespace platform::text {

// Reads the equation element the reader stands on to its end.
QString officeMathText(QXmlStreamReader& xml);

} // namespace platform::text
