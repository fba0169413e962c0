#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <optional>

#include "records/Record.h"

// The one record of the configuration file "ovo_14.cfg": 1724 bytes, fields
// back to back, little-endian numbers, blank-padded Windows-1252 text.
namespace cfg {
constexpr int kLength = 1724;
//                        offset   width
constexpr int SigLineSpace = 0;        // 2   int16, item-table rows on the page
constexpr int DescriptionChars = 2;    // 2   int16, characters per description line
constexpr int Reserved4 = 4;           // 8   zero bytes
constexpr int Reserved12 = 12;         // 40  blanks
constexpr int Reserved52 = 52;         // 100 blanks
constexpr int ReservedFlag = 152;      // 1   "Y", not read
constexpr int OldDataConverted = 153;  // 1 "N" until the old index is converted
constexpr int PropCheck = 154;         // 1   kind filter flags "Y"/"N"
constexpr int AckCheck = 155;
constexpr int InvCheck = 156;
constexpr int RecCheck = 157;
constexpr int Reserved158 = 158;   // 8   zero bytes
constexpr int Reserved166 = 166;   // 2   zero bytes
constexpr int Reserved168 = 168;   // 8   blanks
constexpr int WindowTop = 176;     // 5   twips as text
constexpr int WindowLeft = 181;    // 5
constexpr int WindowHeight = 186;  // 5
constexpr int WindowWidth = 191;   // 5
constexpr int FontName = 196;      // 200
constexpr int PageWidth = 396;     // 3
constexpr int TopGraphic = 399;    // 200 bare file name of the logo
constexpr int CompanyId = 599;     // 1   "Y" logo, "N" the five lines
constexpr int CompanyLine1 = 600;  // 5 x 60
constexpr int CompanyLineWidth = 60;
constexpr int Reserved900 = 900;    // 8   zero bytes
constexpr int DataPath = 908;       // 300
constexpr int TaxName1 = 1208;      // 5
constexpr int TaxName2 = 1213;      // 5
constexpr int TaxFactor1 = 1218;    // 5
constexpr int TaxFactor2 = 1223;    // 5
constexpr int DateEarliest = 1228;  // 8   double, serial date
constexpr int DateLatest = 1236;    // 8   double, serial date
constexpr int Reserved1244 = 1244;  // 480 blanks
}  // namespace cfg

struct ConfigRecord {
    qint16 sigLineSpace = 21;
    qint16 descriptionChars = 65;
    QString oldDataConverted;
    QString propCheck, ackCheck, invCheck, recCheck;
    QString windowTop, windowLeft, windowHeight, windowWidth;
    QString fontName;
    QString pageWidth;
    QString topGraphic;
    QString companyId;
    std::array<QString, 5> companyLines;
    QString dataPath;
    QString taxName1, taxName2;
    QString taxFactor1, taxFactor2;
    double dateEarliest = 0;
    double dateLatest = 0;
    // The reserved areas keep the bytes they were read with.
    QByteArray reserved;

    static ConfigRecord defaults(const QString& homeFolder);
    // Fields that lie past the end of a short record keep their defaults; a
    // text field cut short holds the part that is there.
    static ConfigRecord decode(const Record& record, const QString& homeFolder);
    Record encode() const;

    // The whole numbers a five-character field holds: a hand-edited "1e300"
    // is brought into this range before it reaches the window.
    static constexpr double kMeasureMin = -9999;
    static constexpr double kMeasureMax = 99999;

    // A window measure in twips, within the range above, or nothing when
    // the field holds no number.
    static std::optional<double> measure(const QString& field);
    // The text form of a measure, cut to the five characters of its field.
    static QString measureText(double twips);
};
