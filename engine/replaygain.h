// ReplayGain values measured on the converted file itself: the echo changes the loudness, so
// values copied from the input would make a player play the output too quietly. The output is
// decoded (gapless, float, at its own rate), its EBU R128 loudness measured and the track gain
// (against -18 LUFS) and sample peak written into the same frames and items the input used:
// ID3v2 TXXX "replaygain_*", RVA2, APEv2 "REPLAYGAIN_*". Album values need every file of the
// album: AlbumLedger collects the batch's measurements and writes them when the last is done.
#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <memory>
#include <optional>
#include <vector>

namespace eb {

// Where a file keeps ReplayGain values, and the album it belongs to.
struct ReplayGainPlaces {
    bool txxx = false;
    bool rva2 = false;
    bool ape = false;
    bool albumValues = false;  // album gain or peak among them
    QString album;             // the album tag; empty without one
    bool any() const { return txxx || rva2 || ape; }
};
ReplayGainPlaces ReadReplayGainPlaces(const QString& path);

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
    // The loudness of several files taken together, as if played one after another.
    static double lufsOf(const std::vector<std::shared_ptr<Loudness>>& parts);

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

// Writes the track values into `path` (album values when given, else they are removed), in
// the places the file has. Returns why it failed, or empty.
QString WriteReplayGain(const QString& path, const ReplayGainPlaces& places,
                        const GainValues& track, const std::optional<GainValues>& album);

// The batch's albums: a file whose folder holds other files of its album with ReplayGain
// waits for them; when every one of them is in the batch and converted, the album's values
// are written into all their outputs.
class AlbumLedger {
public:
    // The batch's inputs, as the jobs name them.
    void setInputs(const QStringList& inputs);
    // True when every file of this input's album is in the batch (an input without an album
    // tag is an album of its own).
    bool albumComplete(const QString& input, const ReplayGainPlaces& places);
    // A converted file of a complete album, its output already in place. When it is the
    // album's last, its values are written into every output of the album.
    void converted(const QString& input, const QString& output, const ReplayGainPlaces& places,
                   const std::shared_ptr<Loudness>& loudness);

private:
    struct Member {
        QString output;
        ReplayGainPlaces places;
        std::shared_ptr<Loudness> loudness;
        GainValues track;
    };
    QStringList membersOf(const QString& input, const QString& album);

    QHash<QString, bool> batch_;                // absolute inputs
    QHash<QString, QStringList> albums_;        // folder + album -> its files with ReplayGain
    QHash<QString, std::vector<Member>> done_;  // folder + album -> converted members
};

}  // namespace eb
