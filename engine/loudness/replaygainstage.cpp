#include "engine/loudness/replaygainstage.h"

#include "core/usertext.h"

namespace eb {

ReplayGainStage::ReplayGainStage(QString input, AlbumLedger& albums)
    : input_(std::move(input)), albums_(albums) {}

void ReplayGainStage::follow(int temporaryFd, std::int64_t fedSamples) {
    if (fedSamples > 0 && temporaryFd >= 0)
        follower_ = std::make_unique<LoudnessFollower>(temporaryFd, fedSamples);
}

void ReplayGainStage::toolEnded(bool outputKept) {
    followed_ = outputKept && follower_ ? follower_->finish() : nullptr;
    follower_.reset();
}

Said ReplayGainStage::measure(const QString& temporary) {
    places_ = ReadReplayGainPlaces(temporary);
    if (!places_.any())
        return {};
    const bool complete = albums_.albumComplete(input_, places_);
    const std::shared_ptr<Loudness> loudness = followed_ ? followed_ : Loudness::measure(temporary);
    followed_.reset();
    if (!loudness)
        return InBoth([] {
            return UserText::tr("ReplayGain not measured: ") +
                   UserText::tr("the output cannot be decoded");
        });
    // The helper's reason is said in the user's language only.
    if (const Result<> written =
            WriteReplayGain(temporary, GainFor(loudness->lufs(), loudness->peak()), std::nullopt);
        !written)
        return InBoth([&] { return UserText::tr("ReplayGain not measured: ") + written.error(); });
    Said albumFailed = complete ? InBoth([&] { return albums_.failure(input_, places_); }) : Said();
    if (complete && albumFailed.isEmpty()) {
        forAlbum_ = loudness;
        return {};
    }
    if (!places_.albumValues)
        return {};
    if (!albumFailed.isEmpty())
        return albumFailed;
    return InBoth([] {
        return UserText::tr("album ReplayGain removed: not every file of the album was converted");
    });
}

QString ReplayGainStage::converted(const QString& input, const QString& output) {
    if (!forAlbum_)
        return {};
    QString warning = albums_.converted(input, output, places_, forAlbum_);
    forAlbum_.reset();
    return warning;
}

void ReplayGainStage::failed() {
    follower_.reset();
    if (failed_)
        return;
    failed_ = true;
    albums_.failed(input_);
}

}  // namespace eb
