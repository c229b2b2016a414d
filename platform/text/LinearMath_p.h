#pragma once
// Equations written as their linear text, as an equation editor's linear
// form shows them: fractions as (a)/(b), scripts as x_i and x^2, radicals as
// √(x), n-ary operators, delimiters and matrices row by row. Read from
// Office Math (m:oMath) and MathML.
#include <QString>

class QXmlStreamReader;

namespace platform::text {

// Reads the equation element the reader stands on to its end.
QString officeMathText(QXmlStreamReader& xml);
// The same for a MathML element (math, or any of its children); a StarMath
// annotation beside the presentation is taken in its place.
QString mathMLText(QXmlStreamReader& xml);

} // namespace platform::text
