#pragma once

// How many stations a panel holds and how many rows a frequency table has. Every array, loop
// and range check over stations or table rows is sized by these.
constexpr int kStationCount = 16;
constexpr int kTableRows = 100;
