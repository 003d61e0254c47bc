#pragma once
// One point of the 0.02 s grid as the processing file gives it.
namespace kv {

// The inputs of one grid point, scaled (Uph = column 2 / sqrt 3, I = column 3,
// Pa = -column 4 / 3, Qa = -column 5 / 3).
struct GridPoint {
  double SampleTime = 0;
  float Uph = 0;
  float I = 0;
  float Pa = 0;
  float Qa = 0;
  char LineMarker = ' ';
};

}  // namespace kv
