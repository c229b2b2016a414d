#pragma once
// List labels as word processors write them: a level's number in its format
// ("iv", "d", "04"), its label text built from the numbers of its level and
// those above it ("2.1.", "(iv)", "a)"), or its bullet character, and the
// counting of items that gives those numbers.
#include <QHash>
#include <QList>
#include <QString>
#include <QStringView>
#include <QTextCharFormat>

#include <array>
#include <optional>

namespace platform::text {

// Levels of a list: deeper ones are damage.
inline constexpr int kMaxListLevels = 9;

struct ListLevelLook {
    // The number format by its WordprocessingML name ("decimal",
    // "lowerLetter", "upperRoman", "decimalZero", "bullet", "none", ...).
    QString numberFormat = QStringLiteral("decimal");
    // The label: %1 to %9 stand for the numbers of levels 1 to 9, the rest is
    // written as it is (a bullet's character, "(", ".").
    QString text = QStringLiteral("%1.");
    int start = 1;
    // Numbers of the levels above are written in decimals ("legal" style).
    bool legal = false;
    // The deepest level whose items restart this level's count; -1: any
    // level above it, a number past this level's: never.
    int restartAfter = -1;
    QTextCharFormat chars; // the label's own format, over the paragraph's
    QString separator = QStringLiteral("\t"); // between the label and the text
};

// The number n in a format; numbers a format cannot write are decimals.
QString formatListNumber(QStringView numberFormat, int n);

// The name of a numeric number format code (Word 97 and Word 2003 XML);
// "decimal" for codes without a format of their own.
QStringView wordNumberFormatName(int code);

// Counts the items of lists by key and level.
class ListCounters {
public:
    // Counts an item at level of list key and answers its label. A level
    // that restarts (startOverride) counts from that number.
    QString next(const QString& key, int level, const QList<ListLevelLook>& levels,
                 std::optional<int> startOverride = std::nullopt);

private:
    struct Counts {
        std::array<int, kMaxListLevels> numbers{};
        std::array<bool, kMaxListLevels> used{};
    };
    QHash<QString, Counts> m_counts;
};

} // namespace platform::text
