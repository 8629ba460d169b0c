// The walk that builds the track plan, point after point, each from the two before it.
#include <algorithm>

#include "core/errori.h"
#include "reader/lettore.h"

namespace compattatore {

// Points k_ to `ultimo`, straight on or turned by c radians: the plan keeps the stretch and
// works its values out when they are written. A point beyond the plan is a failure, after
// every point up to the plan's end has been filled.
void Lettore::cammina(int64_t ultimo, double c, bool curvo) {
    if (k_ > ultimo) return;
    Tracciato& t = f_.tracciato;
    if (k_ < 2 || !t.contiene(k_) || t.primo_vuoto() != k_) {
        throw ErroreLettura("beyond the last point of the track plan");
    }
    const auto a = static_cast<int32_t>(std::min<int64_t>(ultimo, t.ultimo_punto()));
    t.cammina(static_cast<int32_t>(k_), a, c, curvo);
    k_ = static_cast<int64_t>(a) + 1;
    if (ultimo > a) throw ErroreLettura("beyond the last point of the track plan");
}

}  // namespace compattatore
