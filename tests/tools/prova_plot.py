#!/usr/bin/env python3
"""The static picture of `plot` in headless Chromium at 1600 x 1000, for the built-in scenario
and for the maximal 1000 km one: no two text boxes of the rendered page overlap, and the
legend and the scale bar lie within the first screen.

    prova_plot.py PROGRAM [SVG...]   exit 0 passed, 1 failed, 77 no browser (skipped)

With SVG files after PROGRAM it only measures those pictures and prints what it finds.
"""

import os
import subprocess
import sys

qui = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(qui, "vista"))
import cdp  # noqa: E402

LARGHEZZA, ALTEZZA = 1600, 1000

# The boxes of every text as the browser laid it out, the pairs that overlap by more than
# a hair (a shared edge is not an overlap), and where the legend and the scale bars are.
MISURA = """(() => {
    const scatole = [...document.querySelectorAll('text')].map((t) => {
        const r = t.getBoundingClientRect();
        return {x0: r.left, y0: r.top, x1: r.right, y1: r.bottom, t: t.textContent};
    }).filter((b) => b.x1 > b.x0 && b.y1 > b.y0);
    scatole.sort((a, b) => a.x0 - b.x0);
    const coppie = [];
    let n = 0;
    for (let i = 0; i < scatole.length; i++) {
        const a = scatole[i];
        for (let j = i + 1; j < scatole.length && scatole[j].x0 < a.x1 - 0.5; j++) {
            const b = scatole[j];
            if (Math.min(a.x1, b.x1) - Math.max(a.x0, b.x0) > 0.5 &&
                Math.min(a.y1, b.y1) - Math.max(a.y0, b.y0) > 0.5) {
                n++;
                if (coppie.length < 10) coppie.push([a.t, b.t]);
            }
        }
    }
    const riquadro = (s) => [...document.querySelectorAll(s)].map((e) => {
        const r = e.getBoundingClientRect();
        return [r.left, r.top, r.right, r.bottom];
    });
    return {testi: scatole.length, sovrapposte: n, esempi: coppie,
            legenda: riquadro('.legenda'), scala: riquadro('.scala')};
})()"""


def misura(b, svg):
    b.open("file://" + os.path.abspath(svg))
    b.wait_for("document.readyState === 'complete' && document.querySelector('svg') !== null")
    return b.evaluate(MISURA)


def nel_primo_schermo(riquadri):
    return bool(riquadri) and all(
        r[0] >= 0 and r[1] >= 0 and r[2] <= LARGHEZZA and r[3] <= ALTEZZA for r in riquadri)


def main():
    program = os.path.abspath(sys.argv[1])
    if cdp.senza_browser():
        return 77
    if len(sys.argv) > 2:
        with cdp.Browser(width=LARGHEZZA, height=ALTEZZA) as b:
            for svg in sys.argv[2:]:
                m = misura(b, svg)
                print("%s: %d texts, %d overlapping pairs, e.g. %s; legend %s, scale bars %s" % (
                    svg, m["testi"], m["sovrapposte"], m["esempi"][:3], m["legenda"], m["scala"]))
        return 0
    return cdp.in_cartella("prova-plot-", lambda work: prova(program, work))


def prova(program, work):
    cdp.scenario_predefinito(program, work)
    subprocess.run([program, "plot", os.path.join(work, "VALCRESTINA_TORVE_325.sim")], check=True)
    massimo = os.path.join(work, "massimo")
    subprocess.run([sys.executable, os.path.join(qui, "..", "..", "bench", "genera_massimo.py"),
                    massimo], check=True)
    subprocess.run([program, "compile", os.path.join(massimo, "MASSIMO_linea.txt"),
                    os.path.join(massimo, "MASSIMO_9999-.txt")], check=True,
                   stderr=subprocess.DEVNULL)
    subprocess.run([program, "plot", os.path.join(massimo, "MASSIMO_9999.sim")], check=True)

    verifica = cdp.Verifiche()

    with cdp.Browser(width=LARGHEZZA, height=ALTEZZA) as b:
        for nome, svg, stazioni in (
                ("built-in", os.path.join(work, "VALCRESTINA_TORVE_325.svg"), 14),
                ("1000 km", os.path.join(massimo, "MASSIMO_9999.svg"), 60)):
            m = misura(b, svg)
            verifica(m["testi"] > 2 * stazioni, "%s: %d texts drawn" % (nome, m["testi"]))
            verifica(m["sovrapposte"] == 0, "%s: no two text boxes overlap (%d pairs do: %s)" % (
                nome, m["sovrapposte"], m["esempi"]))
            verifica(nel_primo_schermo(m["legenda"]),
                     "%s: the legend is within the first screen: %s" % (nome, m["legenda"]))
            verifica(nel_primo_schermo(m["scala"][:1]),
                     "%s: a scale bar is within the first screen: %s" % (nome, m["scala"][:1]))
            verifica(b.errors() == [], "%s: no error on the page: %s" % (nome, b.errors()))

    return verifica.esito()


if __name__ == "__main__":
    sys.exit(main())
