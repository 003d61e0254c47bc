#pragma once
// Settings file and the thresholds derived from it once per run.
#include <cstdint>
#include <string>

namespace kv {

// The 41 values of the settings file, in file order, at the widths the
// device works with. Zero is the state of a freshly started program.
struct TSettings {
  float Unom = 0;                    //  1 rated line voltage
  float Inom = 0;                    //  2 rated current
  float X1 = 0;                      //  3 reactance, side 1
  float R1 = 0;                      //  4 resistance, side 1
  float X3 = 0;                      //  5 reactance, side 2 (0: side 1 only)
  float R3 = 0;                      //  6 resistance, side 2
  float Zone1Percent = 0;            //  7 Xeck zone 1, % of X1 and X3
  float Zone2Percent = 0;            //  8 Xeck zone 2, % of X1 and X3
  std::int16_t Angle1DelayInMs = 0;  //  9
  std::int16_t Angle2DelayInMs = 0;  // 10
  std::int16_t Angle1DelayOutMs = 0; // 11
  std::int16_t Angle2DelayOutMs = 0; // 12
  std::int8_t MaxSlipsPos = 0;       // 13
  std::int8_t MaxSlipsNeg = 0;       // 14 written positive
  std::int8_t Cycle1Slips = 0;       // 15
  std::int8_t Cycle1Mode = 0;        // 16
  std::int8_t Cycle2Slips = 0;       // 17 written positive, held negated after derivation
  std::int8_t Cycle2Mode = 0;        // 18
  float CurrentPickup = 0;           // 19
  float CurrentDropout = 0;          // 20
  std::int8_t SwingLimit = 0;        // 21
  float SwingWindow = 0;             // 22 seconds
  float GenKzPower = 0;              // 23 held divided by 3 after derivation
  float GenKzInertia = 0;            // 24
  float GenKzReactance = 0;          // 25
  std::int8_t Apnu1AngleSign = 0;    // 26
  std::int8_t Apnu1PowerSign = 0;    // 27
  std::int8_t Apnu2AngleSign = 0;    // 28
  std::int8_t Apnu2PowerSign = 0;    // 29
  std::int8_t Apnu1SpeedSign = 0;    // 30
  std::int8_t Apnu1SlopeSign = 0;    // 31
  std::int8_t Apnu2SpeedSign = 0;    // 32
  std::int8_t Apnu2SlopeSign = 0;    // 33
  float Apnu1AngleLimit = 0;         // 34 degrees
  float Apnu2AngleLimit = 0;         // 35 degrees
  float Apnu1PowerLimit = 0;         // 36 threshold for 3 x Pa
  float Apnu2PowerLimit = 0;         // 37 threshold for 3 x Pa
  std::int8_t AngleEnable = 0;       // 38
  std::int8_t CycleEnable = 0;       // 39
  std::int8_t GenKzEnable = 0;       // 40
  std::int8_t ApnuEnable = 0;        // 41

  friend bool operator==(const TSettings&, const TSettings&) = default;
};

inline constexpr int kSettingsCount = 41;

// Quantities derived from the settings once per run.
struct TThresholds {
  float K1 = 0;                    // R1 / X1
  float K3 = 0;                    // R3 / X3 (left at 0 when X3 = 0)
  float UphNom = 0;                // Unom / sqrt(3)
  float Uph02 = 0;                 // 0.2 x UphNom
  float Uph05 = 0;                 // 0.5 x UphNom
  float Uph01 = 0;                 // 0.1 x UphNom
  float Uph07 = 0;                 // 0.7 x UphNom
  float XeckMax = 0;               // 1.4 x UphNom
  float Zone1X1 = 0;               // X1 x Zone1Percent / 100
  float Zone2X1 = 0;               // X1 x Zone2Percent / 100
  float Zone1X3 = 0;               // X3 x Zone1Percent / 100
  float Zone2X3 = 0;               // X3 x Zone2Percent / 100
  std::int16_t Angle1InSteps = 0;  // delays in 20 ms steps
  std::int16_t Angle2InSteps = 0;
  std::int16_t Angle1OutSteps = 0;
  std::int16_t Angle2OutSteps = 0;
  std::int16_t SlipLimitPos = 0;   // MaxSlipsPos
  std::int16_t SlipLimitNeg = 0;   // -MaxSlipsNeg
  float XbandHi = 0;               // X1 + 0.2 x (X1 + X3)
  float XbandLo = 0;               // X3 + 0.2 x (X1 + X3)
  float PowerBase = 0;             // (GenKzPower / 3) / (3 x Inom x (Unom / 100))
  float GenKzGain = 0;             // 18000 / GenKzInertia / PowerBase
  float GenReactance = 0;          // GenKzReactance x 100 x Inom / Unom

  friend bool operator==(const TThresholds&, const TThresholds&) = default;
};

struct DatMod1;
// Reads d.SettingsFileName into d.settings; throws IoError (106 names the line).
void ReadSettings(DatMod1& d);
// Reads the 41 values from the file's text (the settings file closed already).
void ReadSettingsText(TSettings& s, const std::string& text, const std::string& name);
// Computes d.thr and the two in-place changes of d.settings; throws FpError.
void DeriveThresholds(DatMod1& d);

}  // namespace kv
