#include "filelist/naturalsort.h"

#include <algorithm>
#include <vector>

namespace eb {

namespace {

bool IsDigit(QChar c) {
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

// Compares two digit runs a[i, endA) and b[j, endB) by value, without converting them (a run
// may be longer than any integer type).
int CompareDigitRuns(QStringView a, qsizetype i, qsizetype endA, QStringView b, qsizetype j,
                     qsizetype endB) {
    while (i < endA && a[i] == u'0')
        ++i;
    while (j < endB && b[j] == u'0')
        ++j;
    if (endA - i != endB - j)
        return endA - i < endB - j ? -1 : 1;
    for (; i < endA; ++i, ++j) {
        if (a[i] != b[j])
            return a[i] < b[j] ? -1 : 1;
    }
    return 0;
}

// The natural comparison of two texts that are already case-folded; 0 for texts that differ
// only by leading zeros.
int CompareFolded(QStringView a, QStringView b) {
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (IsDigit(a[i]) && IsDigit(b[j])) {
            qsizetype endA = i;
            while (endA < a.size() && IsDigit(a[endA]))
                ++endA;
            qsizetype endB = j;
            while (endB < b.size() && IsDigit(b[endB]))
                ++endB;
            if (const int c = CompareDigitRuns(a, i, endA, b, j, endB); c != 0)
                return c;
            i = endA;
            j = endB;
            continue;
        }
        if (a[i] != b[j])
            return a[i] < b[j] ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < a.size())
        return 1;
    return j < b.size() ? -1 : 0;
}

int CompareCodeUnits(QStringView a, QStringView b) {
    const int c = a.compare(b, Qt::CaseSensitive);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

}  // namespace

int NaturalCompare(QStringView a, QStringView b) {
    if (const int c = CompareFolded(a.toString().toCaseFolded(), b.toString().toCaseFolded());
        c != 0)
        return c;
    return CompareCodeUnits(a, b);
}

void NaturalSort(QStringList& names) {
    struct Keyed {
        QString folded;
        qsizetype index;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(static_cast<size_t>(names.size()));
    for (qsizetype i = 0; i < names.size(); ++i)
        keyed.push_back({names[i].toCaseFolded(), i});
    std::sort(keyed.begin(), keyed.end(), [&names](const Keyed& x, const Keyed& y) {
        if (const int c = CompareFolded(x.folded, y.folded); c != 0)
            return c < 0;
        return CompareCodeUnits(names[x.index], names[y.index]) < 0;
    });
    QStringList sorted;
    sorted.reserve(names.size());
    for (const Keyed& k : keyed)
        sorted.append(std::move(names[k.index]));
    names = std::move(sorted);
}

}  // namespace eb
