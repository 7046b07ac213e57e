// One converted file's ReplayGain, a stage of its job. The input's tags are copied onto the
// output with ReplayGain values that the echo has made wrong: the track's are measured on the
// output and replace them; the album's go until the album's last file is done (the batch's
// AlbumLedger writes them then), and for good when not all of the album is converted.
#pragma once

#include "core/usertext.h"
#include "engine/loudness/loudnessfollower.h"
#include "engine/loudness/replaygain.h"
#include "engine/loudness/replaygainplaces.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <utility>

namespace eb {

class ReplayGainStage {
public:
    // The stage of `input` (absolute), in the batch whose albums `albums` keeps.
    ReplayGainStage(QString input, AlbumLedger& albums);

    // Before the tool starts, for an input with ReplayGain values (ReadReplayGainPlaces):
    // the temporary open as `temporaryFd` is measured while the tool writes it (on a core of
    // its own), knowing it carries `fedSamples` of music.
    void follow(int temporaryFd, std::int64_t fedSamples);
    // The tool has ended; what was followed is kept only when its output is kept. Called before
    // the output is rewritten (the follower reads the file as it was written).
    void toolEnded(bool outputKept);
    // The track's values measured while the tool wrote the output (gain, peak), for the tag
    // copy to write with the tags; none when they must be measured on the finished file.
    std::optional<std::pair<double, double>> measuredTrack() const;
    // The finished output, still under its hidden name, with the input's tags on it: its track
    // values measured and written, the input's taken off (also when they cannot be written).
    // They are written into a copy beside it, which then stands for it: `temporary` names that
    // copy afterwards. Returns a warning or a note for the user, or empty.
    Said measure(QString& temporary);
    // The output has taken its name: the album learns of it. Returns a warning, or empty.
    QString converted(const QString& input, const QString& output);
    // The file was not converted: its album gets no album values.
    void failed();

private:
    Said rewrite(QString& temporary, const std::optional<GainValues>& track);

    QString input_;
    AlbumLedger& albums_;
    ReplayGainPlaces places_;                     // where the output keeps ReplayGain values
    std::unique_ptr<LoudnessFollower> follower_;  // measures the output while the tool writes
    std::shared_ptr<Loudness> followed_;          // what it measured; null: measure the file
    std::shared_ptr<Loudness> forAlbum_;          // the loudness its complete album waits for
    bool failed_ = false;
};

}  // namespace eb
