#include "freqtable/RbwCoupling.h"

#include "app/Switches.h"
#include "freqtable/FreqTable.h"

int minimumRbwIndex(double f) {
    if (!(f >= 0.009)) // also NaN
        return 0;
    if (f < 0.02) return 4;
    if (f < 0.05) return 3;
    if (f < 0.15) return 2;
    if (f < 0.5) return 1;
    return 0;
}

int coupleRbw(FreqTableRow& row, const Switches& switches) {
    if (switches.noLimitRbw()) return 0;
    const int minimum = minimumRbwIndex(row.Freq);
    if (row.RbwIndex < minimum) {
        row.RbwIndex = qint16(minimum);
        return minimum;
    }
    return 0;
}
