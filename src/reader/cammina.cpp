// The walk that builds the track plan, point after point, each from the two before it.
#include <algorithm>

#include "core/errori.h"
#include "reader/lettore.h"

namespace compattatore {

namespace {

// Straight on: each step repeats the one before. Points da to a of the track plan, whose
// slots start at xs and ys; (x0, y0) and (x1, y1) are the two points before da.
void dritto(int32_t da, int32_t a, uint8_t* xs, uint8_t* ys, const double (&prima)[4]) {
    constexpr size_t n = Tracciato::byte_valore;
    double x0 = prima[0], y0 = prima[1], x1 = prima[2], y1 = prima[3];
    for (int32_t k = da; k <= a; ++k, xs += n, ys += n) {
        const double dx = x1 - x0;
        const double dy = y1 - y0;
        x0 = x1;
        y0 = y1;
        x1 = x1 + dx;
        y1 = y1 + dy;
        Tracciato::metti_reale(xs, x1);
        Tracciato::metti_reale(ys, y1);
    }
}

// Turned by c radians a step. Each bracketed term is formed on its own before it is added to
// the previous point, so the plan comes out the same on every machine.
void in_curva(int32_t da, int32_t a, uint8_t* xs, uint8_t* ys, const double (&prima)[4], double c) {
    constexpr size_t n = Tracciato::byte_valore;
    double x0 = prima[0], y0 = prima[1], x1 = prima[2], y1 = prima[3];
    for (int32_t k = da; k <= a; ++k, xs += n, ys += n) {
        const double dx = x1 - x0;
        const double dy = y1 - y0;
        const double tx = dx + c * dy;
        const double ty = dy - c * dx;
        x0 = x1;
        y0 = y1;
        x1 = x1 + tx;
        y1 = y1 + ty;
        Tracciato::metti_reale(xs, x1);
        Tracciato::metti_reale(ys, y1);
    }
}

}  // namespace

// A point beyond the plan is a failure, after every point up to the plan's end has been
// filled.
void Lettore::cammina(int64_t ultimo, double c, bool curvo) {
    if (k_ > ultimo) return;
    Tracciato& t = f_.tracciato;
    if (k_ < 2 || !t.contiene(k_) || t.primo_vuoto() != k_) {
        throw ErroreLettura("beyond the last point of the track plan");
    }
    const auto da = static_cast<int32_t>(k_);
    const auto a = static_cast<int32_t>(std::min<int64_t>(ultimo, t.ultimo_punto()));
    constexpr size_t n = Tracciato::byte_valore;
    uint8_t* xs = t.slot_di(0) + n * static_cast<size_t>(da);
    uint8_t* ys = t.slot_di(1) + n * static_cast<size_t>(da);
    const double prima[4] = {t.valore(da - 2, 0), t.valore(da - 2, 1), t.valore(da - 1, 0),
                             t.valore(da - 1, 1)};
    if (curvo) {
        in_curva(da, a, xs, ys, prima, c);
    } else {
        dritto(da, a, xs, ys, prima);
    }
    t.segna_reali(da, a + 1);
    k_ = static_cast<int64_t>(a) + 1;
    if (ultimo > a) throw ErroreLettura("beyond the last point of the track plan");
}

}  // namespace compattatore
