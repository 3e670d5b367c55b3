#pragma once
// How much work one picture may cost, counted in work rather than in time.
//
// A unit is the work of filling one pixel with a solid colour. Every other
// kind of work (a decoded JPEG block per scan, a polygon edge crossing one
// row, a glyph's pixels...) is charged at its weight in those units, found
// by bench/bench_picture_work on the development machine; docs/benchmarks.md
// has the figures. Work is charged before it is done, so a picture that
// would cost too much is abandoned before the expensive step, never during
// a step that cannot be stopped.

#include <QtGlobal>

#include <algorithm>
#include <cmath>

namespace pictures {

// What loading one picture may cost: about half a second on the development
// machine, so that the three pictures of the settings file together still
// let both windows show within two seconds of the start.
inline constexpr qint64 kPictureWorkBudget = 1'200'000'000;

// What one repaint of a part of a large metafile may cost.
inline constexpr qint64 kRepaintWorkBudget = kPictureWorkBudget / 4;

class WorkMeter {
public:
    explicit WorkMeter(qint64 budget = kPictureWorkBudget) : m_left(double(budget)) {}

    // Adds work about to be done. False when it does not fit in what is
    // left; the meter is then exhausted and refuses everything after.
    bool charge(double units)
    {
        if (m_exhausted)
            return false;
        if (!(units >= 0)) // NaN included: an estimate that went wrong is refused
            units = m_left + 1;
        if (units > m_left) {
            m_exhausted = true;
            return false;
        }
        m_left -= units;
        m_spent += units;
        return true;
    }
    bool exhausted() const { return m_exhausted; }
    double spent() const { return m_spent; }
    double left() const { return m_exhausted ? 0 : m_left; }

private:
    double m_left;
    double m_spent = 0;
    bool m_exhausted = false;
};

} // namespace pictures
