#pragma once

#include "app/Deadline.h"
#include "measure/FieldData.h"
#include "measure/FieldLogSelection.h"
#include "measure/ListReport.h"
#include "measure/NumberFormat.h"
#include "measure/RunView.h"

#include <QDate>
#include <array>
#include <memory>

// The state of a List Mode run (StatoCiclo), owned by the run and readable by the windows
// (field list, firmware tooltip) and by the Spectrum Mode turn.
struct StatoCiclo {
    bool InEsecuzione = false;
    int Ripresa = 0;          // 1 while the driver resumes after the inter-station delay
    int CentCorrente = 0;     // station being visited
    int RigaCorrente = 0;     // its grid row (station + 1)
    int RigaEvidenziata = -1; // row last highlighted
    int UltimaCentSel = -1;   // last present and selected station
    int NumFreq = 0;          // rows in use of the table
    qint32 NumCiclo = 0;      // pass within the report period, 1 = first
    bool NuovoPeriodo = true;
    bool Accumula = false;               // false in the first pass of a period
    double periodLength = 0;             // seconds
    std::shared_ptr<Deadline> periodEnd; // the midnight rule applies to it
    QDate DataPeriodo;
    int NumCentVisitate = 0;
    int NumCentSel = 0;
    bool PollingVerificato = false;
    int periodsCompleted = 0;

    // Serial number, firmware release, first-block flag and first reading of the period.
    ReportStations stations;

    FieldLogSelection fieldLog; // the "/SEGNAFIELD" selection, read when the run starts

    int RBWCorrente = -1; // last RBW sent to the station being scanned
    bool PrimaScansione = true;
    bool forceRbw = false; // a sweep changed the probe's RBW

    DatiStazioni DatiCampoCent{};
    DatiStazioni UltimiDatiCompleti{};
    NumberColumns freqColumn;

    WaitBar stationWait; // FRMAttesaCent
    WaitBar rateWait;    // FRMAttesaRateLM
};
