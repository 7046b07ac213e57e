// ReplayGain values written into a converted MP3 where it keeps them: the TXXX frames
// "replaygain_*" and the RVA2 frames of its ID3v2 tag, the "REPLAYGAIN_*" items of its APEv2
// tag, each only when the file has that place already, its keys spelled as it spells them. The
// file's tags came from the input and may be anyone's, so this runs in the tag copy's limited
// helper (`echobatch-tagcopy --replaygain`), never in the batch's own process.
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

// Writes the track values into the MP3 file at `path`, and the album values when given (else
// the file's album values are removed).
ReplayGainWrite WriteReplayGainValues(const std::string& path, const GainPair& track,
                                      const std::optional<GainPair>& album);

}  // namespace eb
