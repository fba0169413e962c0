#include "BenchFiles.h"

#include "support/Bytes.h"

#include <QFile>
#include <QtEndian>
#include <cstring>

// 32,767 items with 5,000 distinct categories, manufacturers and units.
void writeFullStockFile(const QString& path) {
    QByteArray bytes;
    bytes.reserve(32767 * 383);
    for (int n = 1; n <= 32767; ++n) {
        QByteArray r(383, '\0');
        r[0] = '1';
        r.replace(1, 30, bytes::text(QStringLiteral("Category %1").arg(n % 5000).toLatin1(), 30));
        const double tag = n;
        quint64 bits = 0;
        std::memcpy(&bits, &tag, 8);
        qToLittleEndian(bits, r.data() + 31);
        r.replace(
            39, 120,
            bytes::text(
                QStringLiteral("Stock item number %1, a longer description").arg(n).toLatin1(),
                120));
        r.replace(159, 20, bytes::text(QStringLiteral("unit %1").arg(n % 5000).toLatin1(), 20));
        r.replace(179, 60,
                  bytes::text(QStringLiteral("Maker %1").arg((n * 7) % 5000).toLatin1(), 60));
        qToLittleEndian<qint64>(qint64(n) * 12345, r.data() + 359);
        bytes += r;
    }
    QFile f(path);
    if (f.open(QIODevice::WriteOnly)) f.write(bytes);
}
