// The settings record reader and its validation: whatever the bytes, the validated record is
// in range and its image is exactly one record long and reads back the same.
// libFuzzer flags: -max_len=1100
#include "fuzz/FuzzCheck.h"
#include "panel/SettingsFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    SettingsRecord r = settingsFromBytes(fuzzBytes(bytes, size));
    ValidateSettings(r);
    FUZZ_CHECK(r.ButtonStyle >= 0 && r.ButtonStyle <= 1);
    FUZZ_CHECK(r.LabelStyle >= 0 && r.LabelStyle <= 8);
    FUZZ_CHECK(r.reserved232 >= 0 && r.reserved232 <= 5);
    FUZZ_CHECK(r.CurrentPanelName.size() <= kSettingsNameSize);
    const QByteArray image = settingsToBytes(r);
    FUZZ_CHECK(image.size() == kSettingsRecordSize);
    SettingsRecord again = settingsFromBytes(image);
    ValidateSettings(again);
    FUZZ_CHECK(settingsToBytes(again) == image);
    return 0;
}
