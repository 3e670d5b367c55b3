// Front and middle door figures: the cost of one step at the fastest pace,
// and whole front-door runs measured against 1 s + 496 x N x the pass cost.

#include "app/main_window.h"
#include "bench/figure.h"
#include "doors/front_door.h"
#include "panel/control_panel.h"
#include "platform/pacing.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QScrollBar>

#include <cstdio>

namespace {

// Real pacing, but without the one-second pause, for the step figures.
class NoPausePacing final : public plat::Pacing {
public:
    void sleep(int) override {}
    void wait(int passes) override { m_real.wait(passes); }

private:
    plat::RealPacing m_real;
};

double runFront(Form1 &form, bool open)
{
    QElapsedTimer t;
    t.start();
    form.panel().Check1->setChecked(open);
    return t.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    plat::Platform real = plat::Platform::real();

    NoPausePacing fast;
    plat::Platform quick = real;
    quick.pacing = &fast;
    {
        Form1 form(quick);
        form.Form_Load();
        form.show();
        form.panel().HScroll1->setValue(1);
        const double ms = runFront(form, true);
        std::printf("front door step at speed 1: %.1f us (496 steps in %.1f ms)\n",
                    ms * 1000.0 / 496, ms);
        bench::figure("front door: one step at speed 1", bench::format("%.1f us", ms * 1000.0 / 496));
        form.panel().HScroll2->setValue(1);
        form.imgNakaorido[0]->show();
        form.imgNakaorido[1]->show();
        QElapsedTimer t;
        t.start();
        form.panel().Check2->setChecked(true); // includes the 0.55 s open sound
        const double openMs = t.nsecsElapsed() / 1e6;
        t.restart();
        form.panel().Check2->setChecked(false);
        const double closeMs = t.nsecsElapsed() / 1e6;
        std::printf("middle door at speed 1, both leaves: opening %.1f ms (sound included), "
                    "closing %.1f ms = %.1f us per step\n",
                    openMs, closeMs, closeMs * 1000.0 / 821);
        bench::figure("middle door: one step at speed 1, both leaves",
                      bench::format("%.1f us", closeMs * 1000.0 / 821));
        form.panel().HScroll2->setValue(6000);
        t.restart();
        form.panel().Check2->setChecked(true);
        const double openDefault = t.nsecsElapsed() / 1e6;
        t.restart();
        form.panel().Check2->setChecked(false);
        std::printf("middle door at the default speed 6000: opening %.0f ms, closing %.0f ms\n",
                    openDefault, t.nsecsElapsed() / 1e6);
    }

    const double passUs =
        std::chrono::duration<double, std::micro>(plat::RealPacing::kPassCost).count();
    Form1 form(real);
    form.Form_Load();
    form.show();
    std::printf("front door runs (expected = 1 s + 496 x N x %.1f us, plus the steps):\n",
                passUs);
    bool open = true;
    for (int n : {1, 1000, 30000}) {
        form.panel().HScroll1->setValue(n);
        const double ms = runFront(form, open);
        open = !open;
        const double expected = 1000.0 + 496.0 * n * passUs / 1000.0;
        std::printf("  N = %5d: %8.1f ms, expected %8.1f ms (%+.1f%%)\n", n, ms, expected,
                    100.0 * (ms - expected) / expected);
        bench::figure(bench::format("front door run at N = %d", n), bench::format("%.0f ms", ms),
                      bench::format("expected %.0f ms (%+.1f%%)", expected,
                                    100.0 * (ms - expected) / expected));
    }
    return 0;
}
