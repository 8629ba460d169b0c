#!/usr/bin/env python3
"""The view's page of the built-in scenario in headless Chromium: route, profiles and stations
drawn; a zoom by the wheel down to one cell shows that cell's values as dump gives them; a
layer switched off disappears; the address, the keys and the search move the view; without a
track plan the profiles alone.

    prova_vista.py PROGRAM      exit 0 passed, 1 failed, 77 no browser (skipped)
"""

import json
import os
import shutil
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import cdp  # noqa: E402

CELLA = 453  # a signal of the built-in line, 22+600


def main():
    program = os.path.abspath(sys.argv[1])
    if cdp.senza_browser():
        return 77
    return cdp.in_cartella("prova-vista-", lambda work: prova(program, work))


def prova(program, work):
    cdp.scenario_predefinito(program, work)
    sim = os.path.join(work, "VALCRESTINA_TORVE_325.sim")
    subprocess.run([program, "view", sim], check=True)
    dump = subprocess.run([program, "dump", os.path.join(work, "VALCRESTINA_TORVE_325.dat")],
                          check=True, capture_output=True, text=True).stdout
    cella_attesa = json.loads(dump)["celle_percorso"][CELLA]
    # Without the track plan beside it: the profiles alone.
    os.mkdir(os.path.join(work, "senza"))
    for f in ("VALCRESTINA_TORVE_325.sim", "VALCRESTINA_TORVE_325.dat"):
        shutil.copy(os.path.join(work, f), os.path.join(work, "senza", f))
    subprocess.run([program, "view", os.path.join(work, "senza", "VALCRESTINA_TORVE_325.sim")],
                   check=True)

    verifica = cdp.Verifiche()

    pagina = "file://" + os.path.join(work, "VALCRESTINA_TORVE_325.html")
    with cdp.Browser() as b:
        pronta = "document.documentElement.dataset.pronto === '1'"
        b.open(pagina)
        b.wait_for(pronta)
        stato = lambda: b.evaluate("vista.stato()")  # noqa: E731
        s = stato()
        d = s["disegnati"]
        verifica(d["mappa"]["percorso"] > 100, "the route is drawn (%d points)" % d["mappa"]["percorso"])
        # The route's own colour on the map, read back from the canvas.
        scuri = b.evaluate("""(() => {
            const c = document.getElementById('mappa'), g = c.getContext('2d');
            const p = g.getImageData(0, 0, c.width, c.height).data;
            let n = 0;
            for (let i = 0; i < p.length; i += 4) if (p[i] === 0x42 && p[i + 1] === 0x42 && p[i + 2] === 0x42) n++;
            return n; })()""")
        verifica(scuri > 300, "the route's pixels are on the map (%d)" % scuri)
        for profilo in ("speed", "gradient", "elevation"):
            verifica(d["profili"].get(profilo, 0) > 500, "the %s profile is drawn" % profilo)
        stazioni = sorted(e["testo"] for e in d["mappa"]["etichette"] if e["strato"] == "stazioni")
        verifica(len(stazioni) == 14 and d["profili"]["stazioni"] == 14,
                 "the 14 stations are drawn and named on the map: %s" % stazioni)
        verifica(d["profili"]["segnali"] > 20, "signals are drawn")
        righe = b.evaluate("document.querySelectorAll('#orario tbody tr').length")
        verifica(righe == 14, "the timetable has a row per station")

        # Zoom with the wheel at the cell until one cell is some pixels wide, then point at it.
        y = b.evaluate("(() => { const r = document.getElementById('profili').getBoundingClientRect(); return r.top + 40; })()")
        metro = (CELLA - 1) * 50 + 25
        for _ in range(12):
            x = b.evaluate("vista.xDi(%d)" % metro)
            b.call("Input.dispatchMouseEvent", type="mouseWheel", x=x, y=y, deltaX=0, deltaY=-400)
            b.evaluate("new Promise((r) => requestAnimationFrame(() => r(1)))")
        s = stato()
        verifica(s["a"] - s["da"] <= 300 and s["da"] <= metro <= s["a"],
                 "the wheel zooms in around the pointer (%.0f to %.0f)" % (s["da"], s["a"]))
        x = b.evaluate("vista.xDi(%d)" % metro)
        b.call("Input.dispatchMouseEvent", type="mouseMoved", x=x, y=y)
        b.call("Input.dispatchMouseEvent", type="mousePressed", x=x, y=y, button="left", clickCount=1)
        b.call("Input.dispatchMouseEvent", type="mouseReleased", x=x, y=y, button="left", clickCount=1)
        b.evaluate("new Promise((r) => setTimeout(r, 50))")
        mostrata = b.evaluate("document.getElementById('cella-json') && document.getElementById('cella-json').textContent")
        verifica(b.evaluate("document.getElementById('cella').dataset.cella") == str(CELLA),
                 "pointing at the cell shows cell %d" % CELLA)
        verifica(mostrata is not None and json.loads(mostrata) == cella_attesa,
                 "its values are those dump gives: %s" % mostrata)
        verifica("cella=%d" % CELLA in b.evaluate("location.hash"), "the address keeps the cell")

        # A layer switched off disappears, from the map and the profiles.
        riquadro = b.evaluate("(() => { const r = document.querySelector('input[data-strato=segnali]').getBoundingClientRect(); return [r.left + r.width / 2, r.top + r.height / 2]; })()")
        b.evaluate("vista.vai(0, 57000)")
        b.wait_for("vista.stato().disegnati.profili.segnali > 0")
        for tipo in ("mousePressed", "mouseReleased"):
            b.call("Input.dispatchMouseEvent", type=tipo, x=riquadro[0], y=riquadro[1], button="left", clickCount=1)
        b.wait_for("vista.stato().strati.segnali === false")
        b.evaluate("new Promise((r) => requestAnimationFrame(() => r(1)))")
        d = stato()["disegnati"]
        verifica(d["profili"]["segnali"] == 0 and "segnali" not in d["mappa"]
                 and not any(e["strato"] == "segnali" for e in d["mappa"]["etichette"]),
                 "signals switched off are drawn nowhere")
        verifica(d["profili"]["stazioni"] == 14, "the other layers stay")

        # The address moves the view and sets the layers; keys pan.
        b.evaluate("location.hash = '#da=38000&a=39000&cella=774'")
        b.wait_for("vista.stato().scelta === 774")
        s = stato()
        verifica(s["da"] == 38000 and s["a"] == 39000 and s["strati"]["segnali"],
                 "an address with a place shows that place, every layer on: %s" % s)
        b.call("Input.dispatchKeyEvent", type="keyDown", key="ArrowRight", code="ArrowRight", windowsVirtualKeyCode=39)
        b.call("Input.dispatchKeyEvent", type="keyUp", key="ArrowRight", code="ArrowRight", windowsVirtualKeyCode=39)
        b.wait_for("vista.stato().da > 38000")
        verifica(True, "the right arrow pans")

        # The search finds a station by part of its name.
        b.evaluate("document.getElementById('testo-cerca').value = 'pallanza'; document.getElementById('cerca').requestSubmit()")
        b.wait_for("vista.stato().da < 29900 && vista.stato().a > 29900")
        verifica("VERBANIA" in b.evaluate("document.getElementById('esito-cerca').textContent"), "the search finds VERBANIA  PALLANZA")
        verifica(b.errors() == [], "no error on the page: %s" % b.errors())

        # Without a track plan the profiles alone, and the page says why.
        b.open("file://" + os.path.join(work, "senza", "VALCRESTINA_TORVE_325.html"))
        b.wait_for(pronta)
        d = stato()["disegnati"]
        nota = b.evaluate("document.getElementById('nota-mappa').textContent")
        verifica("mappa" not in d and d["profili"]["speed"] > 500 and "VALCRESTINA_TORVE_linea.dat" in nota,
                 "without a track plan: profiles only, and a note (%s)" % nota)
        verifica(b.errors() == [], "no error on the page")

    return verifica.esito()


if __name__ == "__main__":
    sys.exit(main())
