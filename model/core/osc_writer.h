#pragma once
// Builds the oscillogram BaseName + ".31" in the current directory from the
// run's sample records (d.Records) and the installation's "parl".
namespace kv {
struct DatMod1;
class AtomicFile;

// The oscillogram file: the 104-byte header (empty comment, channels 1..16
// flagged, N, C = 16, step 0.02 s), the samples channel after channel, and the
// first 1860 bytes of "parl". N is the number of records (at most 65535; the
// run stops before more).
//
// "parl" is read first, and the file is written under a temporary name and
// renamed over an existing one only when complete and on the disk, so a
// failure never leaves a partly written oscillogram: the old file of that
// name stays as it was.
// Throws IoError: "File not found" for a missing "parl", "Read beyond end of
// file" for a "parl" shorter than 1860 bytes, the system's error for a failed
// write.
void WriteOscillogramFile(DatMod1& d);

// The same into `out`, the oscillogram's temporary file that the run created
// at its start (so that a folder that cannot be written is known before the
// samples are processed); committed here.
void WriteOscillogramFile(DatMod1& d, AtomicFile& out);

}  // namespace kv
