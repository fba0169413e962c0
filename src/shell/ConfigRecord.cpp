#include "shell/ConfigRecord.h"

#include <QDir>
#include <algorithm>
#include <cmath>

namespace {

// The bytes of the reserved areas in a new file.
QByteArray defaultReserved() {
    Record r(cfg::kLength);
    r.fill(cfg::Reserved12, 40, ' ');
    r.fill(cfg::Reserved52, 100, ' ');
    r.setText(cfg::ReservedFlag, 1, QStringLiteral("Y"));
    r.fill(cfg::Reserved168, 8, ' ');
    r.fill(cfg::Reserved1244, 480, ' ');
    return r.bytes();
}

constexpr int kDataPathWidth = 300;

struct TextField {
    int offset;
    int width;
    QString ConfigRecord::*member;
};

// Every text field that the program reads, in file order.
const TextField kTextFields[] = {
    {cfg::OldDataConverted, 1, &ConfigRecord::oldDataConverted},
    {cfg::PropCheck, 1, &ConfigRecord::propCheck},
    {cfg::AckCheck, 1, &ConfigRecord::ackCheck},
    {cfg::InvCheck, 1, &ConfigRecord::invCheck},
    {cfg::RecCheck, 1, &ConfigRecord::recCheck},
    {cfg::WindowTop, 5, &ConfigRecord::windowTop},
    {cfg::WindowLeft, 5, &ConfigRecord::windowLeft},
    {cfg::WindowHeight, 5, &ConfigRecord::windowHeight},
    {cfg::WindowWidth, 5, &ConfigRecord::windowWidth},
    {cfg::FontName, 200, &ConfigRecord::fontName},
    {cfg::PageWidth, 3, &ConfigRecord::pageWidth},
    {cfg::TopGraphic, 200, &ConfigRecord::topGraphic},
    {cfg::CompanyId, 1, &ConfigRecord::companyId},
    {cfg::TaxName1, 5, &ConfigRecord::taxName1},
    {cfg::TaxName2, 5, &ConfigRecord::taxName2},
    {cfg::TaxFactor1, 5, &ConfigRecord::taxFactor1},
    {cfg::TaxFactor2, 5, &ConfigRecord::taxFactor2},
};

}  // namespace

ConfigRecord ConfigRecord::defaults(const QString& homeFolder) {
    ConfigRecord c;
    c.sigLineSpace = 21;
    c.descriptionChars = 65;
    c.oldDataConverted = QStringLiteral("N");
    c.propCheck = c.ackCheck = c.invCheck = c.recCheck = QStringLiteral("Y");
    c.windowTop = QStringLiteral("1");
    c.windowLeft = QStringLiteral("1");
    c.windowHeight = QStringLiteral("7855");
    c.windowWidth = QStringLiteral("9735");
    c.fontName = QStringLiteral("Arial");
    c.pageWidth = QStringLiteral("640");
    c.topGraphic = QStringLiteral("ovo_top.gif");
    c.companyId = QStringLiteral("Y");
    c.companyLines = {QStringLiteral("Your Company Name"), QStringLiteral("Address Line 1"),
                      QStringLiteral("Address Line 2"), QStringLiteral("Address Line 3"),
                      QStringLiteral("Maybe phone & fax here?")};
    c.dataPath = homeFolder + QStringLiteral("ovo_data") + QDir::separator();
    c.taxName1 = QStringLiteral("Tax");
    c.taxName2 = QStringLiteral("Tax 2");
    c.taxFactor1 = QStringLiteral("0");
    c.taxFactor2 = QStringLiteral("0");
    c.dateEarliest = 0;
    c.dateLatest = 0;
    c.reserved = defaultReserved();
    return c;
}

ConfigRecord ConfigRecord::decode(const Record& record, const QString& homeFolder) {
    ConfigRecord c = defaults(homeFolder);
    const QByteArray stored = record.bytes().left(cfg::kLength);
    c.reserved.replace(0, stored.size(), stored);
    if (record.has(cfg::SigLineSpace, 2)) c.sigLineSpace = record.int16At(cfg::SigLineSpace);
    if (record.has(cfg::DescriptionChars, 2)) {
        c.descriptionChars = record.int16At(cfg::DescriptionChars);
    }
    // A text field cut short by the end of the file holds what is there.
    const auto present = [&record](int offset) { return offset < record.length(); };
    for (const TextField& f : kTextFields) {
        if (present(f.offset)) c.*f.member = record.textAt(f.offset, f.width);
    }
    for (int i = 0; i < 5; ++i) {
        const int at = cfg::CompanyLine1 + i * cfg::CompanyLineWidth;
        if (present(at)) c.companyLines[i] = record.textAt(at, cfg::CompanyLineWidth);
    }
    if (present(cfg::DataPath)) c.dataPath = record.pathAt(cfg::DataPath, kDataPathWidth);
    if (record.has(cfg::DateEarliest, 8)) c.dateEarliest = record.doubleAt(cfg::DateEarliest);
    if (record.has(cfg::DateLatest, 8)) c.dateLatest = record.doubleAt(cfg::DateLatest);
    return c;
}

Record ConfigRecord::encode() const {
    QByteArray base = reserved.size() == cfg::kLength ? reserved : defaultReserved();
    Record r(base);
    r.setInt16(cfg::SigLineSpace, sigLineSpace);
    r.setInt16(cfg::DescriptionChars, descriptionChars);
    for (const TextField& f : kTextFields) r.setText(f.offset, f.width, this->*f.member);
    r.setPath(cfg::DataPath, kDataPathWidth, dataPath);
    for (int i = 0; i < 5; ++i) {
        r.setText(cfg::CompanyLine1 + i * cfg::CompanyLineWidth, cfg::CompanyLineWidth,
                  companyLines[i]);
    }
    r.setDouble(cfg::DateEarliest, dateEarliest);
    r.setDouble(cfg::DateLatest, dateLatest);
    return r;
}

std::optional<double> ConfigRecord::measure(const QString& field) {
    bool ok = false;
    const double v = field.trimmed().replace(u',', u'.').toDouble(&ok);
    if (!ok || std::isnan(v)) return std::nullopt;
    return std::clamp(v, kMeasureMin, kMeasureMax);
}

QString ConfigRecord::measureText(double twips) {
    // Bounded only so that the rounding is defined; the field keeps the
    // first five characters of whatever the window measured.
    if (std::isnan(twips)) twips = 0;
    return QString::number(std::llround(std::clamp(twips, -1e15, 1e15))).left(5);
}
