"use strict";
// The scenario view: the route seen from above and the profiles along it (items, speed,
// gradient, elevation) on one kilometre axis. The view is a stretch [da, a] of the route in
// metres; every drawing shows only that stretch and thins out what is too dense to see.
(function () {
  const D = JSON.parse(document.getElementById("dati").textContent);
  const CELLA = 50;
  const N = D.ultima_cella + 1;
  const L = D.lunghezza;

  // ---- cells: each field from its runs of equal values -----------------------------------
  const CAMPI = ["codice", "valore_1", "valore_2", "valore_3", "valore_4", "tempo_segnale",
    "avvicinamento", "montagna", "velocita", "pendenza", "aderenza"];
  const col = {};
  for (const f of CAMPI) {
    const a = new Int32Array(N);
    const r = D.celle[f];
    for (let k = 0, i = 0; k < r.length; k += 2) {
      a.fill(r[k], i, Math.min(N, i + r[k + 1]));
      i += r[k + 1];
    }
    col[f] = a;
  }
  // Cell c lies over the metres [(c - 1) * 50, c * 50): a point item at p is in cell
  // round(p / 50 + 1).
  const inizioCella = (c) => (c - 1) * CELLA;
  const cellaDi = (m) => Math.max(0, Math.min(N - 1, Math.floor(m / CELLA) + 1));
  // Elevation at the start of each cell: the gradients (per mille) added up along the route.
  const quota = new Float64Array(N + 1);
  for (let c = 0; c < N; c++) quota[c + 1] = quota[c] + (col.pendenza[c] - 100) * CELLA / 1000;

  // ---- layers -----------------------------------------------------------------------------
  const STRATI = [
    { id: "stazioni", nome: "stations", colore: "#000000" },
    { id: "segnali", nome: "signals", colore: "#c62828" },
    { id: "rallentamenti", nome: "slowdowns and warnings", colore: "#ef6c00" },
    { id: "velocita", nome: "speed boards", colore: "#1565c0" },
    { id: "cartelli", nome: "indication boards", colore: "#2e7d32" },
    { id: "montagne", nome: "mountains", colore: "#795548" },
    { id: "curve", nome: "curves", colore: "#8e24aa" },
    { id: "marche", nome: "marks", colore: "#00838f" },
  ];
  const acceso = {};
  for (const s of STRATI) acceso[s.id] = true;
  const oggetti = {};
  for (const s of STRATI) {
    oggetti[s.id] = (D.strati[s.id] || []).map((o) => ({ ...o, a: o.a === undefined ? o.da : o.a }));
    oggetti[s.id].sort((p, q) => p.da - q.da);
  }
  // Labels win room on the map in this order.
  const PRIORITA = ["stazioni", "cartelli", "rallentamenti", "segnali", "velocita", "marche", "montagne", "curve"];

  // ---- the track plan ---------------------------------------------------------------------
  let TM = null, TX = null, TY = null;  // metre, coordinate 1, coordinate 0; NaN breaks a stretch
  if (D.tracciato) {
    const t = D.tracciato, n = t.m.length;
    TM = new Float64Array(n); TX = new Float64Array(n); TY = new Float64Array(n);
    let m = 0, x = 0, y = 0;
    for (let i = 0; i < n; i++) {
      if (t.m[i] === null) { TM[i] = m; TX[i] = NaN; TY[i] = NaN; continue; }
      m += t.m[i]; x += t.x[i]; y += t.y[i];
      TM[i] = m; TX[i] = x / 100; TY[i] = y / 100;
    }
  }
  // The last kept point at or before metre m.
  function indiceDi(m) {
    let lo = 0, hi = TM.length - 1;
    if (m < TM[0]) return 0;
    while (lo < hi) {
      const mid = (lo + hi + 1) >> 1;
      if (TM[mid] <= m) lo = mid; else hi = mid - 1;
    }
    return lo;
  }
  // Where metre m lies on the plan, or null off the plan.
  function puntoDi(m) {
    if (!TM || TM.length === 0) return null;
    const i = indiceDi(m);
    if (isNaN(TX[i])) return null;
    const j = i + 1;
    if (j >= TM.length || isNaN(TX[j]) || TM[j] === TM[i] || m <= TM[i]) {
      return m < TM[i] - 1 || (j >= TM.length && m > TM[i] + 1) ? null : [TX[i], TY[i]];
    }
    const f = (m - TM[i]) / (TM[j] - TM[i]);
    return [TX[i] + f * (TX[j] - TX[i]), TY[i] + f * (TY[j] - TY[i])];
  }

  // ---- the view ---------------------------------------------------------------------------
  const MINIMO = CELLA;  // narrowest stretch: one cell
  const TUTTO = [-0.01 * L, 1.01 * L];
  let da = TUTTO[0], a = TUTTO[1];
  let scelta = -1;  // the cell kept by a click, -1 none
  let puntata = -1;  // the cell under the pointer
  function vai(nda, na) {
    let w = Math.max(MINIMO, na - nda);
    const massimo = TUTTO[1] - TUTTO[0];
    if (w > massimo) w = massimo;
    let c = (nda + na) / 2;
    c = Math.max(TUTTO[0] + w / 2, Math.min(TUTTO[1] - w / 2, c));
    da = c - w / 2; a = c + w / 2;
    chiedi();
  }
  function ingrandisci(fattore, centro) {
    vai(centro - (centro - da) * fattore, centro + (a - centro) * fattore);
  }

  // ---- canvases ---------------------------------------------------------------------------
  const tela = { mappa: document.getElementById("mappa"), profili: document.getElementById("profili") };
  const MARGINE = 62, DESTRA = 14;
  let disegnati = {};
  function prepara(c) {
    const r = window.devicePixelRatio || 1;
    const w = Math.max(1, Math.round(c.clientWidth)), h = Math.max(1, Math.round(c.clientHeight));
    if (c.width !== Math.round(w * r) || c.height !== Math.round(h * r)) {
      c.width = Math.round(w * r); c.height = Math.round(h * r);
    }
    const g = c.getContext("2d");
    g.setTransform(r, 0, 0, r, 0, 0);
    g.clearRect(0, 0, w, h);
    g.font = "11px sans-serif";
    g.textBaseline = "alphabetic";
    return { g, w, h };
  }
  // Metres to the profiles' x and back.
  const xDi = (m, w) => MARGINE + (m - da) / (a - da) * (w - MARGINE - DESTRA);
  const mDi = (x, w) => da + (x - MARGINE) / (w - MARGINE - DESTRA) * (a - da);

  // Items of a layer that reach into [m0, m1], from a list sorted by start.
  function inVista(lista, m0, m1) {
    let lo = 0, hi = lista.length;
    // Items are short except slowdowns, mountains, stations and curves: look back a bit.
    while (lo < hi) { const mid = (lo + hi) >> 1; if (lista[mid].da < m0 - 20000) lo = mid + 1; else hi = mid; }
    const r = [];
    for (let i = lo; i < lista.length && lista[i].da <= m1; i++) if (lista[i].a >= m0) r.push(lista[i]);
    return r;
  }

  // A nice step for ticks and scale bars: at least `almeno` metres.
  function passo(almeno) {
    const p = Math.pow(10, Math.floor(Math.log10(Math.max(almeno, 1e-9))));
    for (const f of [1, 2, 5, 10]) if (p * f >= almeno) return p * f;
    return p * 10;
  }
  const km = (m) => {
    const r = Math.round(m), s = r < 0 ? "-" : "", v = Math.abs(r);
    return s + Math.floor(v / 1000) + "+" + String(v % 1000).padStart(3, "0");
  };
  const lunghezza = (m) => (m >= 1000 ? (m / 1000) + " km" : m + " m");

  // Width of a label, measured once per text and font.
  const larghezze = new Map();
  function larghezza(g, testo) {
    const k = g.font + "|" + testo;
    let v = larghezze.get(k);
    if (v === undefined) { v = g.measureText(testo).width; larghezze.set(k, v); }
    return v;
  }

  // ---- the map ----------------------------------------------------------------------------
  let trasforma = null;  // plan -> screen of the last map drawn
  function disegnaMappa() {
    const { g, w, h } = prepara(tela.mappa);
    const d = { percorso: 0, etichette: [] };
    disegnati.mappa = d;
    trasforma = null;
    if (!TM || TM.length < 2) return;
    // Fit the stretch in view.
    const i0 = indiceDi(da), i1 = indiceDi(a);
    let x0 = Infinity, x1 = -Infinity, y0 = Infinity, y1 = -Infinity;
    const allarga = (p) => { if (p) { x0 = Math.min(x0, p[0]); x1 = Math.max(x1, p[0]); y0 = Math.min(y0, p[1]); y1 = Math.max(y1, p[1]); } };
    allarga(puntoDi(Math.max(da, 0))); allarga(puntoDi(Math.min(a, L)));
    for (let i = i0; i <= i1 + 1 && i < TM.length; i++) if (!isNaN(TX[i]) && TM[i] >= da && TM[i] <= a) allarga([TX[i], TY[i]]);
    if (!isFinite(x0)) { for (let i = 0; i < TM.length; i++) if (!isNaN(TX[i])) allarga([TX[i], TY[i]]); }
    if (!isFinite(x0)) return;
    const lato = Math.max(x1 - x0, y1 - y0, (a - da) * 0.3, 20);
    const cx = (x0 + x1) / 2, cy = (y0 + y1) / 2;
    const bordo = 36;
    const s = Math.min((w - 2 * bordo) / Math.max(x1 - x0, lato * 0.25), (h - 2 * bordo) / Math.max(y1 - y0, lato * 0.25));
    const T = (x, y) => [w / 2 + (x - cx) * s, h / 2 + (y - cy) * s];
    trasforma = { T, s, cx, cy, w, h };
    g.fillStyle = "#fafafa"; g.fillRect(0, 0, w, h);
    // The whole route, faint, then the stretch in view; a point within a pixel of the last
    // one drawn is skipped.
    const tratto = (i0, i1, colore, spessore) => {
      g.strokeStyle = colore; g.lineWidth = spessore; g.lineJoin = "round";
      g.beginPath();
      let px = NaN, py = NaN, nuovo = true;
      for (let i = i0; i <= i1; i++) {
        if (isNaN(TX[i])) { nuovo = true; continue; }
        const [x, y] = T(TX[i], TY[i]);
        if (nuovo) { g.moveTo(x, y); nuovo = false; px = x; py = y; d.percorso++; continue; }
        if (Math.abs(x - px) + Math.abs(y - py) < 1 && i !== i1) continue;
        g.lineTo(x, y); px = x; py = y; d.percorso++;
      }
      g.stroke();
    };
    tratto(0, TM.length - 1, "#bdbdbd", 2);
    const j0 = Math.max(0, indiceDi(da)), j1 = Math.min(TM.length - 1, indiceDi(a) + 1);
    g.save(); g.beginPath();
    tratto(j0, j1, "#424242", 3);
    g.restore();
    const dove = (m) => { const p = puntoDi(m); return p ? T(p[0], p[1]) : null; };
    // Curves: their stretch in the layer's colour, right-hand ones solid, left-hand dashed;
    // one path per side.
    if (acceso.curve) {
      let n = 0;
      g.strokeStyle = STRATI[6].colore; g.lineWidth = 5; g.globalAlpha = 0.45;
      for (const lato of ["d", "s"]) {
        g.setLineDash(lato === "s" ? [6, 3] : []);
        g.beginPath();
        for (const o of inVista(oggetti.curve, da, a)) {
          if (o.lato !== lato) continue;
          const p0 = dove(o.da), p1 = dove(o.a);
          if (!p0 || !p1) continue;
          g.moveTo(p0[0], p0[1]);
          if (Math.abs(p1[0] - p0[0]) + Math.abs(p1[1] - p0[1]) > 3) {
            const k0 = indiceDi(o.da), k1 = indiceDi(o.a);
            for (let i = k0 + 1; i <= k1; i++) if (!isNaN(TX[i])) { const [x, y] = T(TX[i], TY[i]); g.lineTo(x, y); }
          }
          g.lineTo(p1[0], p1[1]);
          n++;
        }
        g.stroke();
      }
      g.setLineDash([]); g.globalAlpha = 1;
      d.curve = n;
    }
    // Items and their labels; labels are placed by a collision pass in priority order and
    // dropped where there is no room.
    // Boxes already taken, in a grid of 32-pixel squares so that a test looks at its
    // neighbours only.
    const griglia = new Map();
    const quadri = (b, fai) => {
      for (let gx = Math.floor(b[0] / 32); gx <= Math.floor(b[2] / 32); gx++)
        for (let gy = Math.floor(b[1] / 32); gy <= Math.floor(b[3] / 32); gy++) if (fai(gx * 4096 + gy) === false) return false;
      return true;
    };
    const occupa = (b) => quadri(b, (k) => { if (!griglia.has(k)) griglia.set(k, []); griglia.get(k).push(b); });
    const libera = (b) => b[0] >= 0 && b[2] <= w && b[1] >= 0 && b[3] <= h &&
      quadri(b, (k) => (griglia.get(k) || []).every((q) => b[2] < q[0] || b[0] > q[2] || b[3] < q[1] || b[1] > q[3]));
    // Layer by layer in priority order: the layer's marks take their room, then its labels
    // take what is left, so that a station's name wins over a signal's mark.
    const VICINI = [[8, -6], [8, 14], [-8, -6], [-8, 14], [8, -20], [-8, 28], [8, 28], [-8, -20]];
    const LONTANI = [[30, -30], [30, 40], [-30, -30], [-30, 40], [0, -44], [0, 56], [56, 6], [-56, 6]];
    for (const id of PRIORITA) {
      if (!acceso[id] || id === "curve") continue;
      const colore = STRATI.find((x) => x.id === id).colore;
      const visti = new Set();
      const tratti = new Path2D();
      const segni = [];
      for (const o of inVista(oggetti[id], da, a)) {
        // A station at its position; a stretch from where it enters the view.
        const p = dove(o.p !== undefined ? o.p : Math.max(o.da, da));
        if (!p) continue;
        if (o.a > o.da && o.p === undefined) {
          // A stretch: slowdowns and mountain ranges, one path per layer.
          const q = dove(Math.min(o.a, a));
          if (q) {
            tratti.moveTo(p[0], p[1]);
            if (Math.abs(q[0] - p[0]) + Math.abs(q[1] - p[1]) > 3) {
              const k0 = indiceDi(Math.max(o.da, da)), k1 = indiceDi(Math.min(o.a, a));
              for (let i = k0 + 1; i <= k1; i++) if (!isNaN(TX[i])) { const [x, y] = T(TX[i], TY[i]); tratti.lineTo(x, y); }
            }
            tratti.lineTo(q[0], q[1]);
          }
        }
        // Items of a layer that fall on the same few pixels show as one.
        const chiave = Math.floor(p[0] / 3) * 8192 + Math.floor(p[1] / 3);
        if (visti.has(chiave)) continue;
        visti.add(chiave);
        segni.push({ p, o });
      }
      if (id === "rallentamenti" || id === "montagne") {
        g.strokeStyle = colore; g.globalAlpha = id === "montagne" ? 0.35 : 0.7; g.lineWidth = id === "montagne" ? 9 : 6;
        g.stroke(tratti); g.globalAlpha = 1;
      }
      for (const { p } of segni) {
        if (id === "stazioni") {
          g.fillStyle = "#fff"; g.strokeStyle = colore; g.lineWidth = 2;
          g.beginPath(); g.arc(p[0], p[1], 5, 0, 2 * Math.PI); g.fill(); g.stroke();
          occupa([p[0] - 6, p[1] - 6, p[0] + 6, p[1] + 6]);
        } else if (id !== "montagne") {
          g.fillStyle = colore; g.fillRect(p[0] - 3, p[1] - 3, 6, 6);
          occupa([p[0] - 3, p[1] - 3, p[0] + 3, p[1] + 3]);
        }
      }
      d[id] = segni.length;
      // Labels: beside the item, or for stations and boards farther off with a leader
      // line; none where there is no room.
      const font = id === "stazioni" ? "bold 12px sans-serif" : "11px sans-serif";
      g.font = font;
      let tentativi = 0;
      for (const { p, o } of segni) {
        if (d.etichette.length >= 300 || ++tentativi > 250) break;
        const testo = id === "cartelli" ? o.righe.join(" / ") : o.t;
        const tw = larghezza(g, testo), th = 12;
        const posti = id === "stazioni" || id === "cartelli" ? VICINI.concat(LONTANI) : VICINI;
        for (const [ox, oy] of posti) {
          const x = ox >= 0 ? p[0] + ox : p[0] + ox - tw, y = p[1] + oy;
          const b = [x - 1, y - th + 1, x + tw + 1, y + 3];
          if (!libera(b)) continue;
          occupa(b);
          d.etichette.push({ strato: id, testo, scatola: b });
          if (Math.abs(ox) > 10 || Math.abs(oy) > 30) {
            g.strokeStyle = colore; g.lineWidth = 0.8;
            g.beginPath(); g.moveTo(p[0], p[1]);
            g.lineTo(Math.max(b[0], Math.min(b[2], p[0])), p[1] < b[1] ? b[1] : b[3]); g.stroke();
          }
          g.fillStyle = "rgba(250,250,250,0.85)"; g.fillRect(b[0], b[1], b[2] - b[0], b[3] - b[1]);
          g.fillStyle = colore;
          g.fillText(testo, x, y);
          break;
        }
      }
    }
    g.font = "11px sans-serif";
    // The cell pointed at.
    const c = puntata >= 0 ? puntata : scelta;
    if (c >= 0) {
      const p = dove(inizioCella(c) + CELLA / 2);
      if (p) { g.strokeStyle = "#d50000"; g.lineWidth = 2; g.beginPath(); g.arc(p[0], p[1], 9, 0, 2 * Math.PI); g.stroke(); }
    }
    // Scale bar.
    const metri = passo(110 / s);
    const px = metri * s;
    g.fillStyle = "#212121"; g.fillRect(12, h - 18, px, 4);
    g.fillText(lunghezza(metri), 12, h - 24);
    d.scala = metri;
  }

  // ---- the profiles -----------------------------------------------------------------------
  const CORSIE = STRATI.map((s) => s.id);
  function disegnaProfili() {
    const { g, w, h } = prepara(tela.profili);
    const d = {};
    disegnati.profili = d;
    const corsia = 15;
    const yCorsie = 6, hCorsie = corsia * CORSIE.length;
    const asse = 46;
    const resto = h - yCorsie - hCorsie - asse - 12 - 16;
    const band = {
      velocita: [yCorsie + hCorsie + 10, resto * 0.42],
      pendenza: [0, resto * 0.29],
      quota: [0, resto * 0.29],
    };
    band.pendenza[0] = band.velocita[0] + band.velocita[1] + 8;
    band.quota[0] = band.pendenza[0] + band.pendenza[1] + 8;
    const yAsse = band.quota[0] + band.quota[1];
    const X = (m) => xDi(m, w);
    const c0 = cellaDi(da), c1 = cellaDi(a);
    const perPixel = (a - da) / (w - MARGINE - DESTRA) / CELLA;  // cells per pixel

    // Lanes of items.
    g.save();
    g.beginPath(); g.rect(MARGINE, 0, w - MARGINE - DESTRA, h); g.clip();
    CORSIE.forEach((id, k) => {
      const y = yCorsie + k * corsia;
      if (k % 2 === 0) { g.fillStyle = "#f7f7f7"; g.fillRect(MARGINE, y, w, corsia); }
      if (!acceso[id]) { d[id] = 0; return; }
      const s = STRATI[k];
      let ultimo = -Infinity, n = 0;
      const voci = inVista(oggetti[id], da, a);
      const xs = voci.map((o) => X(o.da));
      g.fillStyle = s.colore;
      for (let i = 0; i < voci.length; i++) {
        const o = voci[i], x = xs[i], x2 = X(o.a);
        if (x2 - x >= 2) {
          g.globalAlpha = 0.35; g.fillRect(x, y + 2, x2 - x, corsia - 4); g.globalAlpha = 1;
        } else if (x - ultimo < 1.5) {
          continue;
        } else {
          g.fillRect(x - 1, y + 2, 3, corsia - 4);
        }
        ultimo = x; n++;
      }
      // A label only where it fits before the next item of its lane.
      let destra = -Infinity;
      for (let i = 0; i < voci.length; i++) {
        const o = voci[i];
        const testo = id === "cartelli" ? o.righe.join(" / ") : o.t;
        const xt = Math.max(xs[i], MARGINE) + 4;
        const tw = larghezza(g, testo);
        let prossimo = w - DESTRA + 60;
        for (let j = i + 1; j < voci.length; j++) if (xs[j] > xs[i] + 1) { prossimo = xs[j]; break; }
        if (xt > destra + 4 && xt + tw < prossimo - 2) {
          g.fillText(testo, xt, y + corsia - 4);
          destra = xt + tw;
        }
      }
      d[id] = n;
    });
    g.restore();
    g.fillStyle = "#424242";
    g.textAlign = "right";
    CORSIE.forEach((id, k) => g.fillText(STRATI[k].nome.split(" ")[0], MARGINE - 4, yCorsie + k * corsia + corsia - 4));
    g.textAlign = "left";

    // One profile band: a value per cell, as steps where a cell is a few pixels wide, as the
    // low and high of the cells under each pixel where many cells share it.
    function profilo(nome, y0, hb, valore, colore, unita, continuo, daZero) {
      let lo = daZero ? 0 : Infinity, hi = -Infinity;
      for (let c = c0; c <= c1; c++) { const v = valore(c); if (v < lo) lo = v; if (v > hi) hi = v; }
      if (!isFinite(lo)) { lo = 0; hi = 1; }
      if (hi - lo < 1) { hi += 0.5; lo -= 0.5; }
      const st = passo((hi - lo) / 3);
      lo = Math.floor(lo / st) * st; hi = Math.ceil(hi / st) * st;
      const Y = (v) => y0 + hb - 4 - (v - lo) / (hi - lo) * (hb - 10);
      g.strokeStyle = "#e0e0e0"; g.lineWidth = 1; g.fillStyle = "#616161"; g.textAlign = "right";
      for (let v = lo; v <= hi + st / 2; v += st) {
        const y = Math.round(Y(v)) + 0.5;
        g.beginPath(); g.moveTo(MARGINE, y); g.lineTo(w - DESTRA, y); g.stroke();
        g.fillText(String(Math.round(v * 10) / 10), MARGINE - 4, y + 4);
      }
      g.textAlign = "left";
      g.fillStyle = colore; g.fillText(nome + " (" + unita + ")", MARGINE + 4, y0 + 12);
      g.save(); g.beginPath(); g.rect(MARGINE, y0, w - MARGINE - DESTRA, hb); g.clip();
      g.strokeStyle = colore; g.lineWidth = 1.5; g.beginPath();
      let n = 0;
      if (perPixel <= 1) {
        for (let c = c0; c <= c1; c++) {
          const xa = X(inizioCella(c)), xb = X(inizioCella(c + 1));
          if (continuo) {
            if (c === c0) g.moveTo(xa, Y(quota[c]));
            g.lineTo(xb, Y(quota[c + 1]));
          } else {
            if (c === c0) g.moveTo(xa, Y(valore(c))); else g.lineTo(xa, Y(valore(c)));
            g.lineTo(xb, Y(valore(c)));
          }
          n++;
        }
      } else {
        for (let x = MARGINE; x < w - DESTRA; x++) {
          const ca = cellaDi(mDi(x, w)), cb = Math.max(ca, cellaDi(mDi(x + 1, w)) - 1);
          let vl = Infinity, vh = -Infinity;
          for (let c = ca; c <= cb; c++) { const v = valore(c); if (v < vl) vl = v; if (v > vh) vh = v; }
          if (x === MARGINE) g.moveTo(x, Y(vl)); else g.lineTo(x, Y(vl));
          if (vh !== vl) g.lineTo(x, Y(vh));
          n++;
        }
      }
      g.stroke(); g.restore();
      d[nome] = n;
      return Y;
    }
    const Yv = profilo("speed", band.velocita[0], band.velocita[1], (c) => col.velocita[c] * 5, "#1565c0", "km/h", false, true);
    // Slowdowns over the speed profile.
    if (acceso.rallentamenti) {
      g.save(); g.beginPath(); g.rect(MARGINE, band.velocita[0], w - MARGINE - DESTRA, band.velocita[1]); g.clip();
      g.fillStyle = "#ef6c00"; g.globalAlpha = 0.3;
      for (const o of inVista(oggetti.rallentamenti, da, a)) {
        if (o.k) continue;
        const x = X(o.da), x2 = Math.max(X(o.a), x + 2);
        g.fillRect(x, Yv(o.v), x2 - x, Yv(0) - Yv(o.v));
      }
      g.restore();
    }
    profilo("gradient", band.pendenza[0], band.pendenza[1], (c) => col.pendenza[c] - 100, "#6d4c41", "\u2030");
    profilo("elevation", band.quota[0], band.quota[1], (c) => quota[c], "#2e7d32", "m, from the start", true);

    // Stations across every band.
    if (acceso.stazioni) {
      g.strokeStyle = "#9e9e9e"; g.setLineDash([4, 3]); g.lineWidth = 1;
      for (const o of inVista(oggetti.stazioni, da, a)) {
        const x = Math.round(X(o.p)) + 0.5;
        g.beginPath(); g.moveTo(x, band.velocita[0]); g.lineTo(x, yAsse); g.stroke();
      }
      g.setLineDash([]);
    }

    // The kilometre axis: ticks at a round step, labelled as the railway writes positions.
    g.strokeStyle = "#212121"; g.fillStyle = "#212121"; g.lineWidth = 1;
    g.beginPath(); g.moveTo(MARGINE, yAsse + 0.5); g.lineTo(w - DESTRA, yAsse + 0.5); g.stroke();
    const st = passo((a - da) / (w - MARGINE - DESTRA) * 90);
    g.textAlign = "center";
    let tacche = 0;
    for (let m = Math.ceil(Math.max(da, 0) / st) * st; m <= Math.min(a, L + st); m += st) {
      const x = Math.round(X(m)) + 0.5;
      g.beginPath(); g.moveTo(x, yAsse); g.lineTo(x, yAsse + 6); g.stroke();
      g.fillText(st >= 1000 ? String(m / 1000) : km(m), x, yAsse + 18);
      tacche++;
    }
    d.tacche = tacche;
    g.textAlign = "left";
    g.fillText("km", MARGINE - 28, yAsse + 18);
    // Progressives: the stretches of the route with their own kilometre count.
    (D.progressive || []).forEach((p, k) => {
      const x = X(p[0]), x2 = X(p[1]);
      g.fillStyle = "#90a4ae"; g.fillRect(Math.max(x, MARGINE), yAsse + 22 + k * 4, Math.max(1, Math.min(x2, w - DESTRA) - Math.max(x, MARGINE)), 3);
    });
    // Scale bar of the axis.
    const metri = passo((a - da) / (w - MARGINE - DESTRA) * 100);
    const px = metri / (a - da) * (w - MARGINE - DESTRA);
    g.fillStyle = "#212121";
    g.fillRect(w - DESTRA - px, yAsse + 32, px, 4);
    g.textAlign = "right";
    g.fillText(lunghezza(metri), w - DESTRA - px - 6, yAsse + 38);
    g.textAlign = "left";
    g.fillText("in view " + km(Math.max(da, 0)) + " \u2013 " + km(Math.min(a, L)), MARGINE, yAsse + 42);
    d.scala = metri;

    // The cell pointed at.
    const c = puntata >= 0 ? puntata : scelta;
    if (c >= 0) {
      const xa = X(inizioCella(c)), xb = Math.max(X(inizioCella(c + 1)), xa + 1);
      g.fillStyle = "rgba(213,0,0,0.15)"; g.fillRect(xa, yCorsie, xb - xa, yAsse - yCorsie);
      g.strokeStyle = "#d50000"; g.beginPath(); g.moveTo(xa, yCorsie); g.lineTo(xa, yAsse); g.stroke();
    }
    geometria = { yAsse };
  }
  let geometria = null;

  // ---- the cell panel ---------------------------------------------------------------------
  const pannello = document.getElementById("cella");
  const orarioDi = (s) => s === null || s === undefined ? "" :
    String(Math.floor(s / 3600)).padStart(2, "0") + ":" + String(Math.floor(s / 60) % 60).padStart(2, "0") +
    (s % 60 ? ":" + String(s % 60).padStart(2, "0") : "");
  const SIGNIFICATI = { 1: "signal", 2: "end of a slowdown", 3: "start of a slowdown", 4: "slowdown warning",
    5: "cell before a slowdown warning", 6: "speed board", 10: "end of a station", 11: "mountain mark",
    12: "mark", 13: "mark", 14: "indication board" };
  function mostraCella() {
    const c = puntata >= 0 ? puntata : scelta;
    if (c < 0) return;
    const v = {};
    for (const f of CAMPI) v[f] = col[f][c];
    const righe = CAMPI.map((f) => "<tr><td>" + f + "</td><td>" + v[f] + "</td></tr>").join("");
    const sig = [];
    if (SIGNIFICATI[v.codice]) sig.push(SIGNIFICATI[v.codice]);
    if (v.codice === 14) {
      const b = oggetti.cartelli.find((o) => o.c === c);
      if (b) sig.push(b.righe.join("\n"));
    }
    if (v.codice === 10) {
      const s = oggetti.stazioni.find((o) => o.voce === v.valore_1);
      if (s) sig.push(s.t);
    }
    if (v.codice === 1 || v.codice === 6 || v.codice === 3 || v.codice === 4) {
      const o = [...oggetti.segnali, ...oggetti.velocita, ...oggetti.rallentamenti].find((x) => x.c === c);
      if (o) sig.push(o.t);
    }
    sig.push("speed " + v.velocita * 5 + " km/h, gradient " + (v.pendenza - 100) + " \u2030");
    pannello.innerHTML = "<h2>Cell " + c + " <small>" + km(inizioCella(c)) + " \u2013 " + km(inizioCella(c + 1)) + "</small></h2>" +
      '<p class="significato"></p><table>' + righe + "</table><pre id=\"cella-json\"></pre>";
    pannello.querySelector(".significato").textContent = sig.join("\n");
    pannello.dataset.cella = c;
    // The cell exactly as dump writes it.
    pannello.querySelector("#cella-json").textContent = JSON.stringify(v);
  }

  // ---- timetable, search, layers ----------------------------------------------------------
  const corpo = document.querySelector("#orario tbody");
  for (const s of oggetti.stazioni) {
    const tr = document.createElement("tr");
    for (const t of [s.t, km(s.p), orarioDi(s.arrivo ?? s.transito), orarioDi(s.partenza), s.campi.sosta ? s.campi.sosta + " s" : ""]) {
      const td = document.createElement("td"); td.textContent = t; tr.appendChild(td);
    }
    if (s.transito !== null && s.transito !== undefined) tr.title = "passing time";
    tr.addEventListener("click", () => vaiA(s));
    corpo.appendChild(tr);
  }
  const nomi = [];
  for (const s of oggetti.stazioni) nomi.push({ nome: s.t, o: s });
  for (const b of oggetti.cartelli) nomi.push({ nome: b.righe.join(" "), o: b });
  const lista = document.getElementById("nomi");
  for (const x of nomi) { const o = document.createElement("option"); o.value = x.nome; lista.appendChild(o); }
  function vaiA(o) {
    const p = o.p !== undefined ? o.p : o.da;
    vai(Math.min(o.da, p) - 600, Math.max(o.a, p) + 600);
    scelta = cellaDi(p);
    mostraCella();
  }
  let ricerca = { testo: "", indice: -1 };
  document.getElementById("cerca").addEventListener("submit", (e) => {
    e.preventDefault();
    const q = document.getElementById("testo-cerca").value.trim().toLowerCase();
    const esito = document.getElementById("esito-cerca");
    const trovati = q ? nomi.filter((x) => x.nome.toLowerCase().includes(q)) : [];
    if (trovati.length === 0) { esito.textContent = q ? "not found" : ""; return; }
    ricerca.indice = ricerca.testo === q ? (ricerca.indice + 1) % trovati.length : 0;
    ricerca.testo = q;
    const x = trovati[ricerca.indice];
    esito.textContent = (ricerca.indice + 1) + " of " + trovati.length + ": " + x.nome;
    vaiA(x.o);
  });
  const campo = document.getElementById("strati");
  for (const s of STRATI) {
    const l = document.createElement("label");
    l.innerHTML = '<input type="checkbox" checked><span class="campione"></span>';
    l.querySelector(".campione").style.background = s.colore;
    l.append(s.nome + " (" + oggetti[s.id].length + ")");
    const box = l.querySelector("input");
    box.dataset.strato = s.id;
    box.addEventListener("change", () => { acceso[s.id] = box.checked; chiedi(); });
    campo.appendChild(l);
  }
  if (!D.tracciato) {
    tela.mappa.hidden = true;
    const nota = document.getElementById("nota-mappa");
    nota.hidden = false;
    nota.textContent = D.nota_tracciato || "No track plan.";
  }

  // ---- pointer and keys -------------------------------------------------------------------
  function cellaSullaMappa(x, y) {
    if (!trasforma) return -1;
    const { T } = trasforma;
    let meglio = 400, m = NaN;  // squared pixels: within 20 px
    const i0 = Math.max(0, indiceDi(da) - 1), i1 = Math.min(TM.length - 1, indiceDi(a) + 1);
    for (let i = i0; i < i1; i++) {
      if (isNaN(TX[i]) || isNaN(TX[i + 1])) continue;
      const [ax, ay] = T(TX[i], TY[i]), [bx, by] = T(TX[i + 1], TY[i + 1]);
      const dx = bx - ax, dy = by - ay, l2 = dx * dx + dy * dy;
      const f = l2 > 0 ? Math.max(0, Math.min(1, ((x - ax) * dx + (y - ay) * dy) / l2)) : 0;
      const ex = ax + f * dx - x, ey = ay + f * dy - y, d2 = ex * ex + ey * ey;
      if (d2 < meglio) { meglio = d2; m = TM[i] + f * (TM[i + 1] - TM[i]); }
    }
    return isNaN(m) ? -1 : cellaDi(m);
  }
  let trascina = null;
  for (const c of [tela.mappa, tela.profili]) {
    const sulProfilo = c === tela.profili;
    c.addEventListener("wheel", (e) => {
      e.preventDefault();
      const r = c.getBoundingClientRect();
      const centro = sulProfilo ? mDi(e.clientX - r.left, r.width) : (puntata >= 0 ? inizioCella(puntata) : (da + a) / 2);
      ingrandisci(Math.exp(Math.max(-3, Math.min(3, e.deltaY * (e.deltaMode ? 0.05 : 0.002)))), centro);
    }, { passive: false });
    c.addEventListener("mousedown", (e) => {
      trascina = { x: e.clientX, da, a, w: tela.profili.getBoundingClientRect().width, mosso: false };
      document.getElementById("grafici").focus();
    });
    c.addEventListener("mousemove", (e) => {
      const r = c.getBoundingClientRect();
      const x = e.clientX - r.left, y = e.clientY - r.top;
      let nuova;
      if (sulProfilo) nuova = x >= MARGINE && geometria && y <= geometria.yAsse ? cellaDi(mDi(x, r.width)) : -1;
      else nuova = cellaSullaMappa(x, y);
      if (nuova !== puntata) { puntata = nuova; mostraCella(); chiedi(); }
    });
    c.addEventListener("mouseleave", () => { if (puntata >= 0) { puntata = -1; mostraCella(); chiedi(); } });
    c.addEventListener("click", () => {
      if (trascina && trascina.mosso) return;
      if (puntata >= 0) { scelta = puntata; mostraCella(); chiedi(); }
    });
  }
  window.addEventListener("mousemove", (e) => {
    if (!trascina || !(e.buttons & 1)) return;
    const dx = e.clientX - trascina.x;
    if (Math.abs(dx) > 2) trascina.mosso = true;
    const dm = dx / (trascina.w - MARGINE - DESTRA) * (trascina.a - trascina.da);
    vai(trascina.da - dm, trascina.a - dm);
  });
  window.addEventListener("mouseup", () => { setTimeout(() => { trascina = null; }, 0); });
  document.addEventListener("keydown", (e) => {
    if (e.target instanceof HTMLInputElement && e.target.type !== "checkbox") return;
    const w = a - da, centro = (da + a) / 2;
    switch (e.key) {
      case "ArrowLeft": vai(da - w * (e.shiftKey ? 1 : 0.2), a - w * (e.shiftKey ? 1 : 0.2)); break;
      case "ArrowRight": vai(da + w * (e.shiftKey ? 1 : 0.2), a + w * (e.shiftKey ? 1 : 0.2)); break;
      case "+": case "=": ingrandisci(0.5, scelta >= 0 && inizioCella(scelta) >= da && inizioCella(scelta) <= a ? inizioCella(scelta) + CELLA / 2 : centro); break;
      case "-": case "_": ingrandisci(2, centro); break;
      case "Home": case "0": vai(TUTTO[0], TUTTO[1]); break;
      case "Escape": scelta = -1; chiedi(); break;
      default: return;
    }
    e.preventDefault();
  });
  window.addEventListener("resize", () => chiedi());

  // ---- the address keeps the place ----------------------------------------------------------
  let scritto = "";
  function frammento() {
    const p = ["da=" + Math.round(da), "a=" + Math.round(a)];
    if (scelta >= 0) p.push("cella=" + scelta);
    const spenti = STRATI.filter((s) => !acceso[s.id]).map((s) => s.id);
    if (spenti.length) p.push("senza=" + spenti.join(","));
    return "#" + p.join("&");
  }
  function leggiFrammento() {
    const h = location.hash.replace(/^#/, "");
    if (!h || "#" + h === scritto) return false;
    const q = new URLSearchParams(h);
    const n = (k) => (q.has(k) && isFinite(Number(q.get(k))) ? Number(q.get(k)) : null);
    const c = n("cella");
    if (c !== null && c >= 0 && c < N) scelta = Math.floor(c);
    if (n("da") !== null && n("a") !== null && n("a") > n("da")) vai(n("da"), n("a"));
    else if (c !== null && scelta >= 0) vai(inizioCella(scelta) - 2 * CELLA, inizioCella(scelta) + 3 * CELLA);
    // The layers the address names are off, every other one on.
    const spenti = (q.get("senza") || "").split(",");
    for (const box of campo.querySelectorAll("input")) {
      box.checked = !spenti.includes(box.dataset.strato);
      acceso[box.dataset.strato] = box.checked;
    }
    mostraCella();
    chiedi();
    return true;
  }
  window.addEventListener("hashchange", leggiFrammento);

  // ---- drawing ------------------------------------------------------------------------------
  let chiesto = false;
  function chiedi() {
    if (chiesto) return;
    chiesto = true;
    requestAnimationFrame(disegna);
  }
  function disegna() {
    chiesto = false;
    const t0 = performance.now();
    disegnati = {};
    if (D.tracciato) disegnaMappa();
    const t1 = performance.now();
    disegnaProfili();
    disegnati.ms = performance.now() - t0;
    disegnati.ms_mappa = t1 - t0;
    const f = frammento();
    if (f !== scritto && f !== location.hash) {
      scritto = f;
      try { history.replaceState(null, "", f); } catch (e) { /* a page opened where the address cannot change */ }
    }
    document.documentElement.dataset.pronto = "1";
  }

  // What the page drew last and where it is, for a test or a curious author.
  window.vista = {
    stato: () => ({ da, a, scelta, puntata, strati: { ...acceso }, disegnati }),
    vai: (p, q) => { vai(p, q); },
    // Where metre m lies across the window, on the profiles.
    xDi: (m) => tela.profili.getBoundingClientRect().left + xDi(m, tela.profili.getBoundingClientRect().width),
    // Draws at once and gives the time it took, in milliseconds.
    disegna: () => { disegna(); return disegnati.ms; },
    cella: (c) => { scelta = c; vai(inizioCella(c) - 2 * CELLA, inizioCella(c) + 3 * CELLA); mostraCella(); },
  };
  leggiFrammento();
  chiedi();
})();
