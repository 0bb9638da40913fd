// The frequency table reader and what a run does with a table: rows come out finite and in
// range, survive a write/read round trip, and the RBW coupling, sorting and range checks take
// any of them. (The text export only formats the rows in use; it is left out so the target
// spends its time in the reader.)
// libFuzzer flags: -max_len=1300
#include "app/Switches.h"
#include "freqtable/FreqTable.h"
#include "freqtable/RbwCoupling.h"
#include "fuzz/FuzzCheck.h"
#include "panel/RangeCheck.h"

#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    FreqTable t = FreqTable::fromBytes(fuzzBytes(bytes, size));
    for (const FreqTableRow& row : t.rows)
        FUZZ_CHECK(std::isfinite(row.Freq) && row.RbwIndex >= 0 && row.RbwIndex <= 5);
    FUZZ_CHECK(FreqTable::fromBytes(t.toBytes()) == t);
    static const Switches plain;
    for (FreqTableRow& row : t.rows) {
        coupleRbw(row, plain);
        FUZZ_CHECK(row.RbwIndex >= minimumRbwIndex(row.Freq) && row.RbwIndex <= 5);
    }
    sortFreqTable(t);
    (void)frequencyTableSuitable(t, true, {1, 0, 1}, plain);
    // A refused run shows the first row out of range.
    const auto bad = RangeCheck::outOfRangeRows(t, {0, 1, 0}, plain);
    if (!bad.empty()) FUZZ_CHECK(!RangeCheck::message(bad.front()).isEmpty());
    return 0;
}
