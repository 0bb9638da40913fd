#pragma once

#include "app/AppContext.h"
#include "freqtable/FreqTableFile.h"
#include "panel/PanelModel.h"
#include "panel/SettingsFile.h"
#include "support/TestSupport.h"

#include <QDir>
#include <functional>
#include <gtest/gtest.h>

// Writes, as the program would, a current panel of the simulator's three default stations
// (ports 1-3, enabled) with the table `tableName` of `rows`, its settings set by `edit`.
inline void writeE2ePanel(const QString& dir, const QString& tableName,
                          const std::vector<FreqTableRow>& rows,
                          const std::function<void(PanelRecord&)>& edit) {
    VirtualClock clock;
    VirtualPump pump(clock);
    AppContext ctx(dir, {}, clock, pump);
    FreqTable t;
    for (size_t i = 0; i < rows.size(); ++i)
        t.rows[i] = rows[i];
    ASSERT_TRUE(FreqTableFile::write(dir + "Table/" + tableName + ".FTR", t));
    QDir().mkpath(dir + "Panels");
    SettingsRecord settings = SettingsDefaults();
    PanelModel model(ctx, settings);
    model.startUp();
    for (int port : {1, 2, 3})
        model.addStation(port, {}, {}, true);
    model.setFreqTableName(tableName);
    model.editSettings(edit);
    ASSERT_TRUE(model.checks().canExecute()) << model.statusText().toStdString();
}
