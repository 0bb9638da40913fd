#pragma once

#include "spectrum/SpectrumData.h"

// Where a finished acquisition goes: the picture (when the record asks for one), the text
// listing and the spectrum file. The program's writer implements it; tests record the calls.
class SpectrumFileSink {
public:
    virtual ~SpectrumFileSink() = default;
    // Writes the files of one acquisition; false when a file could not be written.
    virtual bool saveAcquisition(const SpectrumData& data, const SweepSettings& settings,
                                 const AcquisitionRecord& record) = 0;
    // Deletes the temporary "__Sweep.*" files left in the application directory.
    virtual void removeTemporaryFiles() = 0;
};
