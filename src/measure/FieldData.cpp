#include "measure/FieldData.h"

#include "link/ProbeCommands.h"

#include <cmath>

FieldSelection FieldSelection::from(const RunSettings& s) {
    FieldSelection f;
    f.e = s.listModeFields[0];
    f.hModeA = s.listModeFields[1];
    f.hModeB = s.listModeFields[2] && !s.listModeFields[1];
    return f;
}

const std::array<ComponentSelect, 9>& componentSelectCommands() {
    // The wire bytes are the probe command set's; only the display names are added here.
    static const std::array<ComponentSelect, 9> table = [] {
        std::array<ComponentSelect, 9> t;
        const auto& commands = ProbeCommands::ComponentSelectCommands();
        const char* names[] = {"Ex", "Ey", "Ez", "Hx", "Hy", "Hz", "Hx", "Hy", "Hz"};
        for (size_t i = 0; i < t.size(); ++i)
            t[i] = {commands[i], QString::fromLatin1(names[i])};
        return t;
    }();
    return table;
}

std::vector<ComponentSelect> componentsFor(const FieldSelection& fields) {
    const auto& all = componentSelectCommands();
    std::vector<ComponentSelect> out;
    auto add = [&](int from, int to) {
        for (int i = from; i <= to; ++i)
            out.push_back(all[i]);
    };
    if (fields.e) add(0, 2);
    if (fields.hModeA)
        add(6, 8);
    else if (fields.hModeB)
        add(3, 5);
    return out;
}

namespace {
float square(float v) {
    return float(std::pow(double(v), 2.0));
}

void storeE(LetturaFreq& r, int axis, float v) {
    float* comp[] = {&r.Ex, &r.Ey, &r.Ez};
    float* sq[] = {&r.ExQ, &r.EyQ, &r.EzQ};
    *comp[axis] = v;
    *sq[axis] = square(v);
}

void storeH(LetturaFreq& r, int axis, float v) {
    float* comp[] = {&r.Hx, &r.Hy, &r.Hz};
    float* sq[] = {&r.HxQ, &r.HyQ, &r.HzQ};
    *comp[axis] = v;
    *sq[axis] = square(v);
}
} // namespace

void InizSomCampoEH(LetturaFreq& r, int position, float value) {
    if (position >= 0 && position <= 2)
        storeE(r, position, value);
    else if (position >= 3 && position <= 5)
        storeH(r, position - 3, value);
}

void InizSomCampoE(LetturaFreq& r, int position, float value) {
    if (position >= 0 && position <= 2) storeE(r, position, value);
}

void InizSomCampoH(LetturaFreq& r, int position, float value) {
    if (position >= 0 && position <= 2) storeH(r, position, value);
}

void storeComponent(LetturaFreq& r, const FieldSelection& fields, int position, float value) {
    if (fields.e && fields.h())
        InizSomCampoEH(r, position, value);
    else if (fields.e)
        InizSomCampoE(r, position, value);
    else if (fields.h())
        InizSomCampoH(r, position, value);
}

void updateAccumulators(LetturaFreq& r, const FieldSelection& fields, bool rms, bool accumulate) {
    const bool add = accumulate && r.NumSomme > 0;
    auto increment = [rms](float x, float y, float z) {
        const double m = double(x) * x + double(y) * y + double(z) * z;
        return rms ? m : std::sqrt(m);
    };
    if (fields.e) {
        const double inc = increment(r.Ex, r.Ey, r.Ez);
        r.SomCampoE = add ? float(double(r.SomCampoE) + inc) : float(inc);
        r.ModQE = r.ExQ + r.EyQ + r.EzQ;
    }
    if (fields.h()) {
        const double inc = increment(r.Hx, r.Hy, r.Hz);
        r.SomCampoH = add ? float(double(r.SomCampoH) + inc) : float(inc);
        r.ModQH = r.HxQ + r.HyQ + r.HzQ;
    }
    r.NumSomme = add ? r.NumSomme + 1 : 1;
}

void evaluateRecord(LetturaFreq& r, const RunSettings& s, bool instantaneous) {
    r.mean = evaluateFields(r, r.NumSomme, false, s);
    r.shown = instantaneous ? evaluateFields(r, r.NumSomme, true, s) : r.mean;
}

int countRowsInUse(const TableRows& table) {
    int n = 0;
    for (const TableRow& row : table)
        n += row.frequency != 0.0 ? 1 : 0;
    return n;
}

int ControllaDatiCompleti(const DatiCentralina& d, const TableRows& table) {
    int n = 0;
    for (size_t i = 0; i < table.size(); ++i)
        n += (table[i].frequency != 0.0 && d.rows[i].DatoValido) ? 1 : 0;
    return n;
}
