// The input's tags on the converted file. The tool re-encodes the audio but passes on only a
// few text tags, reads their UTF-8 as Latin-1 and drops pictures, comments and lyrics; a
// TagSource gives the converted file the input's own tags back before it takes its final name.
//
// The converted file keeps its audio bytes untouched: the tagged copy is an ID3v2 tag, the
// converted file's audio, and the input's APEv2, Lyrics3v2 and ID3v1 tags when the input has
// them (mp3/taglayout.h finds them). The ID3v2 tag holds the frames of the input's first
// ID3v2 tag, in their order, with their bytes and in its ID3v2 version (2.2 becomes 2.3), then
// the frames it lacks from the input's later ID3v2 tags and from one appended at its end, made
// frames of that version (tagcopy/id3v2convert.h); where those hold a frame differently the
// first tag's stays and the other is named. Left out are the frames that describe the input's
// audio rather than its content (its length, its encoder, seek tables into its bytes); the
// tool's own length and encoder frames take their place, and they stay also when the input has
// only an ID3v1 or APEv2 tag. The frames are walked without a tag library
// (tagcopy/id3v2frames.h); only other formats than MP3 are read with TagLib.
//
// Plain C++ without Qt: it runs in the helper program echobatch-tagcopy, one process per file,
// so that a crafted tag can neither crash nor exhaust the batch.
#pragma once

#include "posix/result.h"

#include <memory>
#include <string>

namespace eb {

class TagSource {
public:
    // Reads the tags of `input`, which is opened read-only and never changed; `name` is the
    // input's own name, whose extension tells its format by name where `input` does not (a
    // /dev/fd/N the batch hands over).
    TagSource(const std::string& input, const std::string& name);
    ~TagSource();
    TagSource(const TagSource&) = delete;
    TagSource& operator=(const TagSource&) = delete;

    // True when the input has a tag the converted file should get. False for an input without
    // tags: its converted file stays as the tool wrote it.
    bool hasTags() const;
    // Built without TagLib (ECHOBATCH_TAGCOPY_MP3_ONLY): true for an input that is not MP3,
    // whose tags only TagLib reads. Nothing else is known about it then.
    bool needsTagLib() const;
    // Why the input's tags cannot be carried at all; empty when they can (or there are none).
    const std::string& error() const;
    // The input's frames that the converted file will lack, with why ("APIC (its size runs
    // past the end of the tag), ...", the first ten and how many more); empty when every frame
    // goes over.
    std::string notCarried() const;

    // Writes the audio of `converted` (the tool's finished output, only read) with the input's
    // tags into `tagged`, an existing file that is emptied first. On a failure `tagged` holds
    // nothing usable.
    using WriteResult = BasicResult<void, std::string>;
    WriteResult writeTagged(const std::string& converted, const std::string& tagged);

private:
    struct Data;
    std::unique_ptr<Data> d_;
};

}  // namespace eb
