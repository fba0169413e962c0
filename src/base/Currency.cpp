#include "base/Currency.h"

#include <cfenv>
#include <cmath>

std::optional<Currency> Currency::fromDouble(double value) {
    if (!std::isfinite(value)) return std::nullopt;
    const double scaled = value * kScale;
    // 2^63 is exactly representable; anything at or beyond it does not fit.
    if (scaled >= 9223372036854775808.0 || scaled < -9223372036854775808.0) return std::nullopt;
    // nearbyint follows the current rounding mode, which is round-half-even
    // unless someone changed it; make sure.
    const int mode = std::fegetround();
    if (mode != FE_TONEAREST) std::fesetround(FE_TONEAREST);
    const double rounded = std::nearbyint(scaled);
    if (mode != FE_TONEAREST) std::fesetround(mode);
    if (rounded >= 9223372036854775808.0) return std::nullopt;
    return fromRaw(static_cast<qint64>(rounded));
}

qint64 Currency::cents() const {
    const qint64 whole = m_raw / 100;
    const qint64 rest = m_raw % 100;
    if (rest >= 50) return whole + 1;
    if (rest <= -50) return whole - 1;
    return whole;
}

std::optional<Currency> Currency::plus(Currency other) const {
    qint64 sum = 0;
    if (__builtin_add_overflow(m_raw, other.m_raw, &sum)) return std::nullopt;
    return fromRaw(sum);
}

std::optional<Currency> Currency::minus(Currency other) const {
    qint64 diff = 0;
    if (__builtin_sub_overflow(m_raw, other.m_raw, &diff)) return std::nullopt;
    return fromRaw(diff);
}
