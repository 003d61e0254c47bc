#pragma once
// State of the device algorithm: measurement, slip tracking and criteria.
// Default member values are the state of a freshly started program; every
// run starts from them (DatMod1::ResetForRun), so the same files always give
// the same trips.

#include <cstdint>

namespace kv {

// One sample record: 16 float32 values in oscillogram channel order.
struct TSampleRecord {
  float v[16] = {};
};
static_assert(sizeof(TSampleRecord) == 64, "sample records are 64 bytes");

struct AlgoState {
  // --- Measurement -------------------------------------------------------
  float Angle = 0;      // out-of-step angle, degrees, multiple of 0.1
  float XeckPower = 0;  // -(K x Pa + Qa) of the branch taken
  float Xeck = 0;       // read by the results writers
  float USquare = 0;
  float U = 0;

  // 9-point windows (index 8 newest) and their fit.
  float AngleWindow[9] = {};
  float PowerWindow[9] = {};
  std::uint8_t WindowIndex = 0;
  float FitA0 = 0;
  float FitA1 = 0;
  float FitA2 = 0;
  float MeanDeviation = 0;
  float PowerMean = 0;
  float PowerSlope = 0;
  float SlipSpeed = 0;         // degrees per step at the newest point
  float SlipAcceleration = 0;

  float UHistory[3] = {};  // oldest first
  float UMean3 = 0;

  // --- Per-sample step ---------------------------------------------------
  bool FirstSample = true;  // the run's first sample takes the references
  float AuxCurrent = 0;
  float AuxRatio = 0;
  float AuxRatioRef = 0;
  float AuxRatioExcess = 0;
  float UDrop = 0;
  std::uint8_t Mode = 0;  // 0 waiting, 2 filling the windows, 1 tracking
  std::uint8_t StateCode = 0;
  std::uint8_t SettleCount = 0;
  float DisturbSeen = 0;
  float PrevAngle = 0;
  std::int16_t SlipPending = 0;
  float SlipOffset = 0;
  std::int16_t SlipCount = 0;  // read by the results writers
  float SlipTime = 0;
  float SlipXeck = 0;
  float ModeIndicator = 0;
  bool CurrentOnly = false;
  float RefCurrent = 0;
  float RefVoltage = 0;
  float RefActivePower = 0;
  float RefReactivePower = 0;

  // --- Angle and cycle criteria ------------------------------------------
  float AsyncDirection = 0;
  bool SlipArmed = false;
  float ArmSpeed = 0;
  float ArmVoltage = 0;
  // Widened from 8 bits so that delays of 128 steps and more neither trip at
  // once nor never.
  std::int32_t AngleDelayCount = 0;
  std::int32_t AngleDelayLimit = 0;
  bool AngleGap = false;
  bool AngleTripLatch = false;
  bool CycleTripLatch = false;
  std::uint8_t TripAngle1 = 0;
  std::uint8_t TripAngle2 = 0;
  std::uint8_t TripCycle1 = 0;
  std::uint8_t TripCycle2 = 0;

  // --- Current criterion, APNU, GEN_KZ ----------------------------------
  bool CurAbove = false;
  bool CurPicked = false;
  bool CurDropSeen = false;
  std::int32_t SwingCount = 0;  // widened from 8 bits: no wrapped swings
  float SwingTime = 0;
  std::uint8_t ApnuOut1 = 0;
  std::uint8_t ApnuOut2 = 0;
  bool ApnuLatch = false;
  bool GenKzStarted = false;
  float GenKzThreshold = 0;
  float GenKzSpeed = 0;
  float GenKzAngle = 0;
};

}  // namespace kv
