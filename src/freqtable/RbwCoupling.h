#pragma once

class Switches;
struct FreqTableRow;

// The narrowest-allowed rule between frequency and RBW: below a band's minimum index the
// RBW is too wide for the frequency. Frequencies in MHz, indexes into the RBW list.
//   f < 0.009 -> 0, 0.009..0.02 -> 4, 0.02..0.05 -> 3, 0.05..0.15 -> 2, 0.15..0.5 -> 1,
//   f >= 0.5 -> 0 (lower bounds inclusive).
int minimumRbwIndex(double freqMHz);

// Raises the row's RBW index to the minimum of its frequency when it is below it and
// returns that minimum; returns 0 (no change) otherwise, and always with "/NOLIMITRBW".
// Editor, scan and reports all go through this one function.
int coupleRbw(FreqTableRow& row, const Switches& switches);
