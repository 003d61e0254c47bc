#pragma once
// Settings file and the thresholds derived from it once per run.
#include <string>

namespace kv {

struct TSettings {
  // 41 fields in file order (filled in by the settings reader).
};

struct TThresholds {
};

struct DatMod1;
void ReadSettings(DatMod1& d);
void DeriveThresholds(DatMod1& d);

}  // namespace kv
