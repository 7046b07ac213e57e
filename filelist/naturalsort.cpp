#include "filelist/naturalsort.h"

#include <QByteArray>

#include <algorithm>
#include <cstring>
#include <vector>

namespace eb {

namespace {

bool IsDigit(QChar c) {
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

// A sort key is a byte string whose plain byte order (memcmp) is the natural order of the
// name. It holds UTF-16 code units high byte first, so byte order is code-unit order.
class KeyWriter {
public:
    explicit KeyWriter(qsizetype units) : key_(2 * units, Qt::Uninitialized), out_(key_.data()) {}

    void unit(char16_t u) {
        *out_++ = static_cast<char>(u >> 8);
        *out_++ = static_cast<char>(u & 0xFF);
    }

    QByteArray take() {
        key_.truncate(out_ - key_.constData());
        return std::move(key_);
    }

private:
    QByteArray key_;
    char* out_;
};

// The key: the name case-folded (ASCII without a table lookup, surrogate pairs as one
// character), each run of digits written as "0", the count of its digits without leading
// zeros (as one code unit), and those digits. The "0" keeps the run's place against other
// characters, and a shorter number sorts first, so "track2" < "track10" and "a01" ties with
// "a1".
QByteArray SortKey(QStringView name) {
    // A run of digits grows by two units at most, and a run takes at least one character.
    KeyWriter key(3 * name.size());
    for (qsizetype i = 0; i < name.size();) {
        const char16_t c = name[i].unicode();
        if (c < 0x80 && !IsDigit(name[i])) {
            key.unit(c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c);
            ++i;
        } else if (QChar::isHighSurrogate(c) && i + 1 < name.size() &&
                   name[i + 1].isLowSurrogate()) {
            const char32_t folded =
                QChar::toCaseFolded(QChar::surrogateToUcs4(c, name[i + 1].unicode()));
            key.unit(QChar::highSurrogate(folded));
            key.unit(QChar::lowSurrogate(folded));
            i += 2;
        } else if (!IsDigit(name[i])) {
            key.unit(name[i].toCaseFolded().unicode());
            ++i;
        } else {
            while (name[i] == u'0' && i + 1 < name.size() && IsDigit(name[i + 1]))
                ++i;
            qsizetype end = i;
            while (end < name.size() && IsDigit(name[end]))
                ++end;
            const bool zero = end - i == 1 && name[i] == u'0';
            key.unit(u'0');
            key.unit(zero ? 0 : static_cast<char16_t>(std::min<qsizetype>(end - i, 0xFFFF)));
            for (; !zero && i < end; ++i)
                key.unit(name[i].unicode());
            i = end;
        }
    }
    return key.take();
}

int CompareKeys(const QByteArray& a, const QByteArray& b) {
    const qsizetype common = std::min(a.size(), b.size());
    if (const int c = std::memcmp(a.constData(), b.constData(), size_t(common)); c != 0)
        return c < 0 ? -1 : 1;
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// Code-unit order of the names themselves, the tie-break.
int CompareUnits(QStringView a, QStringView b) {
    const int c = a.compare(b, Qt::CaseSensitive);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

}  // namespace

int NaturalCompare(QStringView a, QStringView b) {
    if (const int c = CompareKeys(SortKey(a), SortKey(b)); c != 0)
        return c;
    return CompareUnits(a, b);
}

void NaturalSort(QStringList& names) {
    struct Keyed {
        QByteArray key;
        qsizetype index;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(static_cast<size_t>(names.size()));
    for (qsizetype i = 0; i < names.size(); ++i)
        keyed.push_back({SortKey(names.at(i)), i});
    const QStringList& original = names;
    std::sort(keyed.begin(), keyed.end(), [&original](const Keyed& x, const Keyed& y) {
        if (const int c = CompareKeys(x.key, y.key); c != 0)
            return c < 0;
        return CompareUnits(original.at(x.index), original.at(y.index)) < 0;
    });
    QStringList sorted;
    sorted.reserve(names.size());
    for (const Keyed& k : keyed)
        sorted.append(original.at(k.index));
    names = std::move(sorted);
}

}  // namespace eb
