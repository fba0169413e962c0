#pragma once

#include <QtGlobal>
#include <optional>

// Money: a signed 64-bit count of ten-thousandths, the layout stored in every
// data file.
//
// Rounding:
//   fromDouble   to four places, halves to even (the fixed-point conversion).
//   cents()      to two places, halves away from zero (the "standard" text).
// Errors:
//   A value outside the range (about +-922 trillion) gives std::nullopt from
//   fromDouble and from the checked arithmetic; nothing wraps silently.
class Currency {
public:
    static constexpr qint64 kScale = 10000;

    constexpr Currency() = default;
    static constexpr Currency fromRaw(qint64 raw) {
        Currency c;
        c.m_raw = raw;
        return c;
    }
    static std::optional<Currency> fromDouble(double value);

    constexpr qint64 raw() const { return m_raw; }
    double toDouble() const { return static_cast<double>(m_raw) / kScale; }

    // The amount in whole cents, rounded halves away from zero.
    qint64 cents() const;

    std::optional<Currency> plus(Currency other) const;
    std::optional<Currency> minus(Currency other) const;

    friend constexpr bool operator==(Currency a, Currency b) { return a.m_raw == b.m_raw; }

private:
    qint64 m_raw = 0;
};
