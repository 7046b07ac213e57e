// ReplayGain values written into a converted MP3 where it keeps them: the TXXX frames
// "replaygain_*" and the RVA2 frames of its ID3v2 tags (at its start, and one with a footer at
// its end), the "REPLAYGAIN_*" items of its APEv2 tag, each only where the file has that place
// already, its keys spelled as it spells them. The tags are walked by the bounded frame walk
// (tagcopy/id3v2frames.h), the same that reads where a file keeps its values, so that what is
// written is what is read back. The file's tags came from the input and may be anyone's, so
// this runs in the tag copy's limited helper (`echobatch-tagcopy --replaygain`); the batch calls
// it itself only to take the input's values off a file when the helper failed.
#pragma once

#include <optional>
#include <string>

namespace eb {

struct GainPair {
    double gain = 0;  // dB
    double peak = 0;  // linear sample peak
};

// How a write ended; the helper's exit status, which the batch puts in the user's words.
enum class ReplayGainWrite { Written = 0, Unreadable = 12, Unwritable = 13 };

// Writes the track values and the album values into the MP3 file open for reading and writing
// as `fd`, in place; values not given are removed (a file that could not be measured keeps
// none, a file without its album's values keeps no old ones).
ReplayGainWrite WriteReplayGainValues(int fd, const std::optional<GainPair>& track,
                                      const std::optional<GainPair>& album);
// The same for the file at `path` (also "/dev/fd/N").
ReplayGainWrite WriteReplayGainValues(const std::string& path, const std::optional<GainPair>& track,
                                      const std::optional<GainPair>& album);

}  // namespace eb
