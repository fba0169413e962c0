#pragma once

#include <QString>

// Writes a stock file of 32,767 items with 5,000 distinct categories,
// manufacturers and units.
void writeFullStockFile(const QString& path);
