#pragma once
// Every span and axis increment of the viewer comes from RoundMaximum: the
// smallest value of the ladder 1, 1.5, 2, 2.5, 3, 5, 7.5 times a power of ten
// that is not below X.
namespace kv {

// Replaces a positive, finite, normal X by its ladder value and returns true.
// Any other X (zero, negative, NaN, infinite, subnormal, or so large that its
// ladder value does not fit a double) is left unchanged and false is
// returned; the caller then keeps its previous value or uses 0.1.
// A value on the ladder (as the double nearest to it) is returned unchanged,
// and every result is the double nearest to the decimal ladder value.
bool RoundMaximum(double& X);

}  // namespace kv
