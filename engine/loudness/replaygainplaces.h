// Where a file keeps ReplayGain values, read without a tag library: the file may be anyone's
// (an input, or a file beside it that may belong to the same album), and a crafted tag can
// exhaust a parser's stack. ID3v2 goes through the bounded frame walk of the tag copy; the
// APEv2 and ID3v1 tags at the end are flat and read here.
#pragma once

#include <QString>

#include <QStringList>
#include <cstdint>

#include <vector>

namespace eb {

struct ReplayGainPlaces {
    bool txxx = false;
    bool rva2 = false;
    bool ape = false;
    bool albumValues = false;  // album gain or peak among them
    QString album;             // the album tag (ID3v2, else APEv2, else ID3v1); empty without one
    // The ReplayGain keys as the file spells them ("REPLAYGAIN_TRACK_GAIN",
    // "replaygain_album_gain"), so that values written anew keep their spelling.
    QStringList txxxKeys;
    QStringList apeKeys;
    bool any() const { return txxx || rva2 || ape; }
};

// Nothing for a file that is not a regular file or cannot be read.
ReplayGainPlaces ReadReplayGainPlaces(const QString& path);
// The same for the file of `size` bytes open as `fd`.
ReplayGainPlaces ReadReplayGainPlaces(int fd, std::int64_t size);

// One ReplayGain value a file holds: its key in lower case ("replaygain_album_gain"; an RVA2
// frame's as "replaygain_<track or album>_gain" and "_peak") and the number it reads.
struct ReplayGainValue {
    QString key;
    double value = 0;
};
// Every ReplayGain value the file holds where ReadReplayGainPlaces finds them.
std::vector<ReplayGainValue> ReadReplayGainValues(const QString& path);

// The same for a file beside an input, which may belong to its album: read from its first
// ID3v2 tag only, and from at most 1 MB of that (what a longer tag holds before the cut), so
// that a folder of large or crafted files costs a batch little.
ReplayGainPlaces ReadNeighbourPlaces(const QString& path);

}  // namespace eb
