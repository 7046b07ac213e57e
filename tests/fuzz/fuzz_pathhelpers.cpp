// The text path helpers on any text: FileNameOf is the part after the last "/" and never
// throws; StripExtension cuts at the last "." or throws StepError with the platform's wording.
#include "core/steps.h"
#include "fuzzsupport.h"
#include "paths/pathhelpers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString path = ebfuzz::Text(ebfuzz::Bytes(data, size));

    const QString name = eb::FileNameOf(path);
    FUZZ_CHECK(!name.contains(QLatin1Char('/')), path);
    FUZZ_CHECK(path.endsWith(name), path);
    FUZZ_CHECK(name.size() == path.size() || path[path.size() - name.size() - 1] == u'/', path);
    FUZZ_CHECK(eb::FileNameOf(name) == name, path);

    try {
        const QString base = eb::StripExtension(path);
        FUZZ_CHECK(base.size() < path.size() && path[base.size()] == u'.', path);
        FUZZ_CHECK(path.startsWith(base), path);
        FUZZ_CHECK(!path.mid(base.size() + 1).contains(QLatin1Char('.')), path);
        FUZZ_CHECK(base.size() + 1 <= 32767, path);
    } catch (const eb::StepError& e) {
        const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
        if (dot < 0)
            FUZZ_CHECK(e.description() == QString::fromLatin1(eb::kInvalidArgument), path);
        else
            FUZZ_CHECK(dot + 1 > 32767 && e.description() == QStringLiteral("Overflow"), path);
    } catch (...) {
        ebfuzz::Fail("StripExtension threw something other than StepError", path);
    }
    return 0;
}
