#include "engine/loudness/replaygainstage.h"

#include "core/usertext.h"
#include "engine/outputs/temporarylock.h"

#include <QFile>
#include <QFileInfo>

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

namespace {

// What a temporary ".<base>.echobatch-XXXXXX.mp3" is named after; empty for another name.
QString TemporaryBase(const QString& temporary) {
    const QString name = QFileInfo(temporary).fileName();
    constexpr qsizetype kTail = 21;  // ".echobatch-XXXXXX.mp3"
    if (!name.startsWith(u'.') || name.size() <= kTail + 1 ||
        name.mid(name.size() - kTail, 11) != QStringLiteral(".echobatch-"))
        return {};
    return name.mid(1, name.size() - kTail - 1);
}

// Why a file keeps no ReplayGain values of its own.
Said NoValues(const Loudness* loudness) {
    return InBoth([&] {
        if (!loudness)
            return UserText::tr("ReplayGain not measured: ") +
                   UserText::tr("the output cannot be decoded");
        return UserText::tr("ReplayGain not written: ") +
               (loudness->tooShort() ? UserText::tr("the output is shorter than 0.4 s")
                                     : UserText::tr("the output is silent"));
    });
}

Said Joined(const Said& first, const Said& second) {
    if (first.isEmpty() || second.isEmpty())
        return first.isEmpty() ? second : first;
    return {first.text + QStringLiteral("; ") + second.text,
            first.english + QStringLiteral("; ") + second.english};
}

}  // namespace

std::optional<std::pair<double, double>> ReplayGainStage::measuredTrack() const {
    const std::optional<GainValues> track = followed_ ? TrackValues(*followed_) : std::nullopt;
    return track ? std::optional(std::pair(track->gain, track->peak)) : std::nullopt;
}

// The values go into a copy, which then stands for the temporary: a helper that fails leaves
// the temporary as it was. The input's values are then taken off in this process instead (the
// echo made them wrong), and the helper's failure is the warning.
Said ReplayGainStage::rewrite(QString& temporary, const std::optional<GainValues>& track) {
    if (ReadBackDiffers(temporary, track, std::nullopt).isEmpty())
        return {};  // the tag copy wrote them already
    const QString base = TemporaryBase(temporary);
    Result<QByteArray> copy = RewrittenCopy(temporary, base, track, true);
    Said warning;
    if (!copy) {
        // The helper's reason is said in the user's language only.
        const QString why = copy.error();
        warning = InBoth([&] { return UserText::tr("ReplayGain not measured: ") + why; });
        copy = RewrittenCopy(temporary, base, std::nullopt, false);
        if (!copy) {
            const QString& left = copy.error();
            return InBoth([&] {
                return UserText::tr("ReplayGain not measured: ") + why +
                       UserText::tr("; the input's values are still on the output: ") + left;
            });
        }
    }
    RemoveTemporary(QFile::encodeName(temporary));
    temporary = QFile::decodeName(*copy);
    return warning;
}

Said ReplayGainStage::measure(QString& temporary) {
    places_ = ReadReplayGainPlaces(temporary);
    if (!places_.any())
        return {};
    // The tag copy may have written the track's values already, and taken the album's off: the
    // album wants values where the input had them.
    places_.albumValues = places_.albumValues || ReadReplayGainPlaces(input_).albumValues;
    const bool complete = albums_.albumComplete(input_, places_);
    const std::shared_ptr<Loudness> loudness = followed_ ? followed_ : Loudness::measure(temporary);
    followed_.reset();
    const std::optional<GainValues> track = loudness ? TrackValues(*loudness) : std::nullopt;
    if (Said failed = rewrite(temporary, track); !failed.isEmpty())
        return failed;
    Said note = track ? Said() : NoValues(loudness.get());
    if (!loudness)
        return note;
    Said albumFailed = complete ? InBoth([&] { return albums_.failure(input_, places_); }) : Said();
    if (complete && albumFailed.isEmpty()) {
        forAlbum_ = loudness;
        return note;
    }
    if (!places_.albumValues)
        return note;
    if (!albumFailed.isEmpty())
        return Joined(note, albumFailed);
    return Joined(note, InBoth([] {
                      return UserText::tr(
                          "album ReplayGain removed: not every file of the album was converted");
                  }));
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
