#pragma once
// Converts an exponent-format export into a processing file.
namespace kv {
struct DatMod1;
// Returns false when the conversion failed after its one warning was shown.
bool ConvertExpFile(DatMod1& d);
}  // namespace kv
