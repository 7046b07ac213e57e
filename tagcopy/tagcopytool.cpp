// echobatch-tagcopy INPUT CONVERTED TAGGED [NAME [GAIN PEAK]]: the tag copy of one file, run by
// the batch as a child process of its own (engine/tools/tagcopyrun.h), so that a crafted tag that
// crashes or exhausts its reader ends only this process. The batch hands the three files over
// open, as /dev/fd/3, 4 and 5, and names the input in NAME, whose extension tells its format by
// name; GAIN and PEAK are the converted file's measured ReplayGain, written where the input's
// tags keep ReplayGain values (its album values go).
//
// It is built twice. echobatch-tagcopy reads MP3 files without TagLib and starts quickly (no
// TagLib to load, the C++ library linked in), which is what nearly every file needs; for
// another format it becomes echobatch-tagcopy-formats from its own folder, the same program
// with TagLib, keeping its limits.
//
// Exit status 0: TAGGED holds the converted audio with the input's tags; a line on standard
// error then names the frames that were not carried, if any. 10: the input has no tags, TAGGED
// is not touched. 11: the tags cannot be copied, standard error says why. Anything else (a
// signal, a limit) is a failure the batch names by itself.
//
// echobatch-tagcopy --replaygain [--album GAIN PEAK]: the measured ReplayGain values written
// into converted files where their tags keep them (one helper for a whole album; MP3 only, so
// without TagLib). The files come on standard input, whatever their number and the length of
// their paths: a record each, "GAIN PEAK PATH" ended by a NUL byte, GAIN and PEAK "-" for a
// file that keeps no track values. Without album values the files' album values go. Exit
// status 0 all written, else the first failure's: 12 a file cannot be read, 13 it cannot be
// written (tagcopy/replaygainwrite.h), each told as "failed INDEX CODE".
#include "tagcopy/replaygainwrite.h"
#include "tagcopy/tagcopy.h"

#include <sys/resource.h>
#include <unistd.h>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <new>
#include <optional>
#include <string>

#if defined(__SANITIZE_ADDRESS__)
#define ECHOBATCH_TAGCOPY_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ECHOBATCH_TAGCOPY_SANITIZED 1
#endif
#endif

namespace {

constexpr rlim_t kMemoryBytes = rlim_t{1} << 30;
constexpr rlim_t kCpuSeconds = 10;

void Limit(int resource, rlim_t soft, rlim_t hard) {
    rlimit now{};
    if (::getrlimit(resource, &now) != 0)
        return;
    // Only ever lower a limit the process already has.
    if (now.rlim_max != RLIM_INFINITY && hard > now.rlim_max)
        hard = now.rlim_max;
    rlimit next{std::min(soft, hard), hard};
    if (now.rlim_cur != RLIM_INFINITY && next.rlim_cur > now.rlim_cur)
        next.rlim_cur = now.rlim_cur;
    ::setrlimit(resource, &next);
}

#ifdef ECHOBATCH_TAGCOPY_MP3_ONLY
// Becomes the helper with TagLib beside this one; returns only when that fails.
int BecomeFormatsHelper(char** argv) {
    char self[4096];
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0)
        return 11;
    std::string path(self, static_cast<std::size_t>(n));
    path = path.substr(0, path.rfind('/') + 1) + "echobatch-tagcopy-formats";
    ::execv(path.c_str(), argv);
    std::fprintf(stderr, "cannot start %s\n", path.c_str());
    return 11;
}
#endif

// Each file written in turn; a file that cannot be is told on a line of its own
// ("failed INDEX CODE"), and the first such code is the exit status.
int WriteReplayGain(int argc, char** argv) {
    auto number = [](const std::string& text) { return std::strtod(text.c_str(), nullptr); };
    std::optional<eb::GainPair> album;
    if (argc == 5)
        album = eb::GainPair{number(argv[3]), number(argv[4])};
    int status = 0;
    std::string record;
    for (int index = 0; std::getline(std::cin, record, '\0'); ++index) {
        const std::size_t gainEnd = record.find(' ');
        const std::size_t peakEnd = record.find(' ', gainEnd + 1);
        std::optional<eb::GainPair> track;
        if (peakEnd != std::string::npos && record.compare(0, 2, "- ") != 0)
            track = eb::GainPair{number(record.substr(0, gainEnd)),
                                 number(record.substr(gainEnd + 1, peakEnd - gainEnd - 1))};
        const auto written = static_cast<int>(
            peakEnd == std::string::npos
                ? eb::ReplayGainWrite::Unreadable
                : eb::WriteReplayGainValues(record.substr(peakEnd + 1), track, album));
        if (written != 0)
            std::fprintf(stderr, "failed %d %d\n", index, written);
        if (status == 0)
            status = written;
    }
    return status;
}

int Say(int status, const std::string& line) {
    if (!line.empty())
        std::fprintf(stderr, "%s\n", line.c_str());
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    const bool replayGain = argc > 1 && std::string(argv[1]) == "--replaygain";
    if (replayGain ? argc != 2 && (argc != 5 || std::string(argv[2]) != "--album")
                   : argc != 4 && argc != 5 && argc != 7)
        return Say(2,
                   "usage: echobatch-tagcopy INPUT CONVERTED TAGGED [NAME [GAIN PEAK]]\n"
                   "       echobatch-tagcopy --replaygain [--album GAIN PEAK] "
                   "< \"GAIN PEAK FILE\\0\"...");
    // A write past a file-size limit fails with EFBIG and is reported, instead of a signal.
    std::signal(SIGXFSZ, SIG_IGN);
    Limit(RLIMIT_CORE, 0, 0);
    Limit(RLIMIT_CPU, kCpuSeconds, kCpuSeconds + 1);
#ifndef ECHOBATCH_TAGCOPY_SANITIZED
    // The sanitizers reserve far more address space than this; their builds go without.
    Limit(RLIMIT_AS, kMemoryBytes, kMemoryBytes);
#endif
    try {
        if (replayGain)
            return WriteReplayGain(argc, argv);
        eb::TagSource source(argv[1], argv[argc >= 5 ? 4 : 1]);
#ifdef ECHOBATCH_TAGCOPY_MP3_ONLY
        if (source.needsTagLib())
            return BecomeFormatsHelper(argv);
#endif
        if (!source.error().empty())
            return Say(11, source.error());
        if (!source.hasTags())
            return 10;
        if (const auto written = source.writeTagged(argv[2], argv[3]); !written)
            return Say(11, written.error());
        // The converted file's own ReplayGain values replace the input's; should they not, the
        // batch reads that back and writes them again.
        if (argc == 7)
            (void)eb::WriteReplayGainValues(
                argv[3], eb::GainPair{std::strtod(argv[5], nullptr), std::strtod(argv[6], nullptr)},
                std::nullopt);
        const std::string lost = source.notCarried();
        return Say(0, lost.empty() ? lost : "frames not copied: " + lost);
    } catch (const std::bad_alloc&) {
        return Say(11, "the input's tags need more memory than allowed");
    }
}
