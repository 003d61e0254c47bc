#include "model/core/settings.h"

#include <cmath>
#include <string_view>

#include "common/io_error.h"
#include "common/rtl_file.h"
#include "common/tokenizer.h"
#include "common/xfloat.h"
#include "model/core/dat_mod1.h"

namespace kv {

namespace {

// One value and the skip of the rest of its line.
float ReadF32(NumberTokenizer& tok) {
  const float f = tok.readF32();
  tok.skipLine();
  return f;
}

std::int64_t ReadInt(NumberTokenizer& tok) {
  const std::int64_t v = tok.readInteger();
  tok.skipLine();
  return v;
}

}  // namespace

void ReadSettingsText(TSettings& s, const std::string& text, const std::string& name) {
  NumberTokenizer tok(text, name);
  auto f32 = [&](float& f) { f = ReadF32(tok); };
  auto i16 = [&](std::int16_t& f) { f = LowInt16(ReadInt(tok)); };
  auto i8 = [&](std::int8_t& f) { f = LowInt8(ReadInt(tok)); };

  f32(s.Unom);
  f32(s.Inom);
  f32(s.X1);
  f32(s.R1);
  f32(s.X3);
  f32(s.R3);
  f32(s.Zone1Percent);
  f32(s.Zone2Percent);
  i16(s.Angle1DelayInMs);
  i16(s.Angle2DelayInMs);
  i16(s.Angle1DelayOutMs);
  i16(s.Angle2DelayOutMs);
  i8(s.MaxSlipsPos);
  i8(s.MaxSlipsNeg);
  i8(s.Cycle1Slips);
  i8(s.Cycle1Mode);
  i8(s.Cycle2Slips);
  i8(s.Cycle2Mode);
  f32(s.CurrentPickup);
  f32(s.CurrentDropout);
  i8(s.SwingLimit);
  f32(s.SwingWindow);
  f32(s.GenKzPower);
  f32(s.GenKzInertia);
  f32(s.GenKzReactance);
  i8(s.Apnu1AngleSign);
  i8(s.Apnu1PowerSign);
  i8(s.Apnu2AngleSign);
  i8(s.Apnu2PowerSign);
  i8(s.Apnu1SpeedSign);
  i8(s.Apnu1SlopeSign);
  i8(s.Apnu2SpeedSign);
  i8(s.Apnu2SlopeSign);
  f32(s.Apnu1AngleLimit);
  f32(s.Apnu2AngleLimit);
  f32(s.Apnu1PowerLimit);
  f32(s.Apnu2PowerLimit);
  i8(s.AngleEnable);
  i8(s.CycleEnable);
  i8(s.GenKzEnable);
  i8(s.ApnuEnable);
}

void ReadSettings(DatMod1& d) {
  // The whole file is read and closed before any value is converted, so a
  // bad value never leaves it open.
  std::string text = ReadWholeFile(d.SettingsFileName);
  ReadSettingsText(d.settings, text, d.SettingsFileName);
}

void DeriveThresholds(DatMod1& d) {
  TSettings& s = d.settings;
  TThresholds& t = d.thr;

  t.K1 = StoreF32(Div(s.R1, s.X1, "K1 = R1 / X1 (setting 3, X1, is 0)"), "K1");

  auto steps = [](std::int16_t ms) { return LowInt16(RoundToInt(static_cast<ext>(ms) / 20.0L, "delay in steps")); };
  t.Angle1InSteps = steps(s.Angle1DelayInMs);
  t.Angle2InSteps = steps(s.Angle2DelayInMs);
  t.Angle1OutSteps = steps(s.Angle1DelayOutMs);
  t.Angle2OutSteps = steps(s.Angle2DelayOutMs);

  t.SlipLimitPos = static_cast<std::int16_t>(s.MaxSlipsPos);
  t.SlipLimitNeg = static_cast<std::int16_t>(-static_cast<std::int16_t>(s.MaxSlipsNeg));

  const ext sqrt3 = std::sqrt(3.0L);
  t.UphNom = StoreF32(s.Unom / sqrt3, "UphNom");
  t.Uph02 = StoreF32(0.2L * t.UphNom, "Uph02");
  t.Uph05 = StoreF32(0.5L * t.UphNom, "Uph05");
  t.Uph01 = StoreF32(0.1L * t.UphNom, "Uph01");
  t.Uph07 = StoreF32(0.7L * t.UphNom, "Uph07");

  s.GenKzPower = StoreF32(s.GenKzPower / 3.0L, "GenKzPower / 3");

  t.Zone1X1 = StoreF32(static_cast<ext>(s.X1) * s.Zone1Percent / 100.0L, "Zone1X1");
  t.Zone2X1 = StoreF32(static_cast<ext>(s.X1) * s.Zone2Percent / 100.0L, "Zone2X1");

  s.Cycle2Slips = LowInt8(-static_cast<std::int64_t>(s.Cycle2Slips));

  if (s.X3 != 0) t.K3 = StoreF32(Div(s.R3, s.X3, "K3 = R3 / X3"), "K3");
  t.Zone1X3 = StoreF32(static_cast<ext>(s.X3) * s.Zone1Percent / 100.0L, "Zone1X3");
  t.Zone2X3 = StoreF32(static_cast<ext>(s.X3) * s.Zone2Percent / 100.0L, "Zone2X3");

  t.PowerBase = StoreF32(Div(s.GenKzPower, 3.0L * s.Inom * (s.Unom / 100.0L),
                             "PowerBase = (GenKzPower / 3) / (3 x Inom x (Unom / 100)) (setting 1, Unom, or 2, Inom, is 0)"),
                         "PowerBase");
  t.GenReactance = StoreF32(Div(static_cast<ext>(s.GenKzReactance) * 100.0L * s.Inom, s.Unom,
                                "GenReactance = GenKzReactance x 100 x Inom / Unom (setting 1, Unom, is 0)"),
                            "GenReactance");
  t.GenKzGain = StoreF32(Div(Div(18000.0L, s.GenKzInertia, "GenKzGain = 18000 / GenKzInertia (setting 24 is 0)"),
                             t.PowerBase, "GenKzGain = 18000 / GenKzInertia / PowerBase (PowerBase is 0: setting 23 is 0)"),
                         "GenKzGain");

  t.XeckMax = StoreF32(1.4L * t.UphNom, "XeckMax");

  const float band = StoreF32(0.2L * (static_cast<ext>(s.X1) + s.X3), "0.2 x (X1 + X3)");
  t.XbandHi = StoreF32(static_cast<ext>(s.X1) + band, "XbandHi");
  t.XbandLo = StoreF32(static_cast<ext>(s.X3) + band, "XbandLo");
}

}  // namespace kv
