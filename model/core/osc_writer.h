#pragma once
// Builds the oscillogram BaseName + ".31" in the current directory from the
// run's sample records in "ema.tip" and the installation's "parl".
namespace kv {
struct DatMod1;

// The oscillogram file: the 104-byte header (empty comment, channels 1..16
// flagged, N, C = 16, step 0.02 s), the samples channel after channel, and the
// first 1860 bytes of "parl". N is the number of records actually read from
// "ema.tip" (at most 65535; the run stops before more).
//
// "parl" is checked first, and the file is built in memory and renamed over
// an existing one only when complete, so a failure never leaves a partly
// written oscillogram: the old file of that name stays as it was. "ema.tip"
// (d.emaTip is closed here if still open) is erased on every path.
// Throws IoError: "File not found" for a missing "ema.tip" or "parl", "Read
// beyond end of file" for a "parl" shorter than 1860 bytes, the system's error
// for a failed write.
void WriteOscillogramFile(DatMod1& d);

}  // namespace kv
