#pragma once

#include <QTableWidget>

class PreferencesStore;

// Lists the domain's settings; a string, number or boolean can be edited.
class StandInWindow : public QTableWidget
{
    Q_OBJECT

public:
    StandInWindow(PreferencesStore& store, const QString& name);

private:
    void fill();
    void commit(QTableWidgetItem* item);

    PreferencesStore& m_store;
    bool m_filling = false;
};
