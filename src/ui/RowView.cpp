#include "ui/RowView.h"

#include <QHeaderView>
#include <QTableView>

#include "ui/Named.h"

QTableView* rowView(const char* name) {
    auto* t = named<QTableView>(name);
    t->setSelectionBehavior(QAbstractItemView::SelectRows);
    t->setSelectionMode(QAbstractItemView::SingleSelection);
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->verticalHeader()->setVisible(false);
    t->verticalHeader()->setDefaultSectionSize(t->fontMetrics().height() + 6);
    t->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    t->setWordWrap(false);
    return t;
}
