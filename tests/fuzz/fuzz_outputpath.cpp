// The output-path rule on any folder text and input path: it fails only with StepError (when
// the file name has no "."), and otherwise names a file directly inside the folder whose name
// is the input's name up to its last "." followed by ".mp3".
#include "core/steps.h"
#include "engine/outputs/outputpath.h"
#include "fuzzsupport.h"
#include "paths/pathhelpers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The folder text ends at the first line break; the input path is the rest.
    const QString text = ebfuzz::Text(ebfuzz::Bytes(data, size));
    const qsizetype split = text.indexOf(QLatin1Char('\n'));
    const QString folder = split < 0 ? text : text.left(split);
    const QString input = split < 0 ? QString() : text.mid(split + 1);

    const QString name = input.mid(input.lastIndexOf(QLatin1Char('/')) + 1);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    QString output;
    try {
        output = eb::OutputPathFor(folder, input);
    } catch (const eb::StepError&) {
        FUZZ_CHECK(dot < 0 || dot + 1 > 32767, input);
        return 0;
    } catch (...) {
        ebfuzz::Fail("OutputPathFor threw something other than StepError", input);
    }
    FUZZ_CHECK(dot >= 0, input);
    const QString prefix = folder.endsWith(QLatin1Char('/')) ? folder : folder + u'/';
    FUZZ_CHECK(output.startsWith(prefix), output);
    FUZZ_CHECK(output.endsWith(QStringLiteral(".mp3")), output);
    const QString outName = output.mid(prefix.size());
    FUZZ_CHECK(!outName.contains(QLatin1Char('/')), output);
    FUZZ_CHECK(outName == name.left(dot) + QStringLiteral(".mp3"), output);
    FUZZ_CHECK(eb::FileNameOf(output) == outName, output);
    return 0;
}
