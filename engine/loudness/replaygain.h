// ReplayGain values measured on the converted file itself: the echo changes the loudness, so
// values copied from the input would make a player play the output too quietly. The output is
// decoded (gapless, float, at its own rate), its EBU R128 loudness measured and the track gain
// (against -18 LUFS) and sample peak written into the same frames and items the input used:
// ID3v2 TXXX "replaygain_*", RVA2, APEv2 "REPLAYGAIN_*" (by the tag copy's helper). Album values
// need every file of the album: AlbumLedger collects the batch's measurements and writes them when
// the last is done.
#pragma once

#include "core/result.h"
#include "engine/loudness/replaygainplaces.h"
#include "paths/fileidentity.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

namespace eb {

// What an album needs of one file's loudness, of one fixed size whatever the file's length:
// its gating blocks (400 ms, one every 100 ms) above the absolute gate of -70 LUFS, counted
// with their summed energy in steps of 0.1 LU, and its sample peak.
struct LoudnessSummary {
    static constexpr int kBins = 1000;  // -70 to +30 LUFS
    std::array<std::uint32_t, kBins> blocks{};
    std::array<double, kBins> energy{};
    double peak = 0;
    // The loudness of several files taken together, as if played one after another (the
    // relative gate over all their blocks).
    static double lufsOf(const std::vector<const LoudnessSummary*>& parts);
};

// One decoded file's loudness; null when the file cannot be decoded.
class Loudness {
public:
    static std::shared_ptr<Loudness> measure(const QString& path);
    // An empty meter for float samples of `channels` at `rate`; null when none can be made.
    static std::shared_ptr<Loudness> create(int channels, long rate);
    // Meters `frames` interleaved frames.
    void add(const float* samples, std::size_t frames);
    ~Loudness();
    Loudness(const Loudness&) = delete;
    Loudness& operator=(const Loudness&) = delete;

    double lufs() const;
    double peak() const;
    // Less than one gating block (400 ms) was metered: the file has no loudness to tell.
    bool tooShort() const;
    // What its album keeps of it.
    const LoudnessSummary& summary() const;

private:
    Loudness() = default;
    struct State;
    std::unique_ptr<State> d_;
};

struct GainValues {
    double gain = 0;  // dB to reach -18 LUFS
    double peak = 0;  // linear sample peak
};
GainValues GainFor(double lufs, double peak);
// A file's track values; none when it has no loudness (shorter than a gating block, or silent).
std::optional<GainValues> TrackValues(const Loudness& loudness);

// Writes the track values into `path` (album values when given, else they are removed), in
// the places its tags have (TXXX, RVA2, APEv2), keys spelled as they spell them, and reads
// them back: a value the program's own reader finds otherwise fails the write. The tags came
// from an input that may be anyone's: they are parsed and rewritten by the tag copy's limited
// helper (`echobatch-tagcopy --replaygain`, tagcopy/replaygainwrite.h).
Result<> WriteReplayGain(const QString& path, const GainValues& track,
                         const std::optional<GainValues>& album);
// The same for several files at once, by one helper that reads them from its standard input
// (any number, any path length), with the same album values; per file, in order, written or
// why not. A file without track values keeps none.
struct TrackWrite {
    QString path;
    std::optional<GainValues> track;
};
std::vector<Result<>> WriteReplayGain(const std::vector<TrackWrite>& files,
                                      const std::optional<GainValues>& album);

// A locked hidden copy of `file` (".<base>.echobatch-XXXXXX.mp3" beside it; `base` empty: the
// file's own name without its extension) with the values written, by the helper or, with
// `byHelper` false, only the values taken off in this process (the bounded frame walk that
// reads them): what is left when the helper failed. Its name, or why it cannot be had (nothing
// is left of it then).
Result<QByteArray> RewrittenCopy(const QString& file, const QString& base,
                                 const std::optional<GainValues>& track, bool byHelper);

// Why the file at `path` does not read as holding these values and no others, or empty (the
// program's own reader, where ReadReplayGainPlaces finds values).
QString ReadBackDiffers(const QString& path, const std::optional<GainValues>& track,
                        const std::optional<GainValues>& album);

// Failures named in a warning: the first few, then how many more.
QString FewNamed(const QStringList& failures);

// The batch's albums: a file whose folder holds other files of its album with ReplayGain
// waits for them; when every one of them is in the batch and converted, the album's values
// are written into all their outputs. Files and folders are compared as the files they are
// (device and inode), so a file listed twice counts once and a folder reached through a link
// is the same folder. What it keeps of a converted file is of one fixed size.
class AlbumLedger {
public:
    // The batch's inputs, as the jobs name them.
    void setInputs(const QStringList& inputs);
    // True when every file of this input's album is in the batch (an input without an album
    // tag is an album of its own).
    bool albumComplete(const QString& input, const ReplayGainPlaces& places);
    // A converted file of a complete album, its output already in place. When it is the
    // album's last, its values are written into every output of the album; when one of them
    // cannot be, none keeps album values. Returns what went wrong, for a warning; empty when
    // nothing did.
    QString converted(const QString& input, const QString& output, const ReplayGainPlaces& places,
                      const std::shared_ptr<Loudness>& loudness);
    // A file of the batch that failed: its album, unless the file's output was made before,
    // gets no album values.
    void failed(const QString& input);
    // "album ReplayGain removed: <file> failed" when a file of this input's album failed.
    QString failure(const QString& input, const ReplayGainPlaces& places);
    // The files converted before a file of their album failed, each with that warning, told
    // once: (input, warning).
    std::vector<std::pair<QString, QString>> takeLateWarnings();

    // A file passed over as up to date (--update), the list's `index`: when its output holds
    // album values of a complete album, it is held until the album is settled, so that its
    // output can be measured and get the album's new values with the converted files. True
    // when it is held.
    bool holdUpToDate(int index, const QString& input, const QString& output);
    // The held files whose album was settled since the last call: each with whether its album
    // values were written anew into its output, and what went wrong for its album.
    struct Released {
        int index = 0;
        bool updated = false;
        QString warning;
    };
    std::vector<Released> takeReleased();
    // Every file still held (its album was not settled: a file failed or the batch stopped):
    // its output keeps what it holds.
    std::vector<int> releaseAll();

private:
    struct IdentityHash {
        std::size_t operator()(const FileIdentity& id) const { return qHash(id); }
    };
    struct Member {
        QString input;  // as converted; empty for an output that was up to date
        QString output;
        ReplayGainPlaces places;
        LoudnessSummary summary;
        std::optional<GainValues> track;  // none: no loudness, no values of its own
    };
    struct Held {
        int index = 0;
        FileIdentity id;
        QString output;
    };
    struct Album {
        IdentitySet members;     // the files with ReplayGain and this album tag
        std::vector<Held> held;  // up to date, waiting for the album's end
        // Node by node: a member is large, and a table's spare room would be many of them.
        std::unordered_map<FileIdentity, Member, IdentityHash> done;
        QString failedFile;
    };
    Album& albumOf(const QString& input, const ReplayGainPlaces& places);
    const QHash<QString, IdentitySet>& albumsIn(const QString& folder);
    QString writeAlbum(const Album& album, QStringList failures, IdentitySet& updated);
    QString settle(Album& album);
    void measureHeld(Album& album, QStringList& unmeasured);

    IdentitySet batch_;
    QHash<QString, Album> albums_;  // folder and album tag, or the file alone -> the album
    QHash<QString, QHash<QString, IdentitySet>> folders_;  // folder -> album tag -> its files
    std::vector<Released> released_;
    std::vector<std::pair<QString, QString>> late_;
    IdentitySet lookedAt_;  // up-to-date inputs already read: a file listed again is not
};

}  // namespace eb
