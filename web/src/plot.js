// The plot page (uPlot): F(x) over the Solve's x values, the roots and the
// turning points marked, the points with fewer than ten correct digits
// warned; wheel zoom, drag to pan, Fit, Log y, and PNG, SVG and CSV export.
// Every number text shown comes from the engine.
import uPlot from 'uplot';
import { caption } from './language.js';

const kTrusted = 10;  // fewer correct digits than this are warned
const kWarnColour = '#c00000';

export class PlotPage {
  constructor(host, { engine, mark, status }) {
    this.host = host;
    this.engine = engine;
    this.mark = mark;
    this.status = status;
    this.data = null;
    this.marks = [];  // {x, y, tip}
    this.markAt = -1;
    this.logY = false;
    this.plot = null;
    host.tabIndex = 0;
    host.addEventListener('keydown', (e) => this.stepMark(e));
    document.getElementById('BtnPlotFit').addEventListener('click', () => this.fit());
    document.getElementById('ChkLogY').addEventListener('change', (e) => {
      this.logY = e.target.checked;
      this.draw();
    });
    document.getElementById('BtnExportPng').addEventListener('click', () => this.exportPng());
    document.getElementById('BtnExportSvg').addEventListener('click', () => this.exportSvg());
    document.getElementById('BtnExportCsv').addEventListener('click', () => this.exportCsv());
    new ResizeObserver(() => this.resize()).observe(host);
  }

  relabel() {
    this.host.setAttribute('aria-label', caption('TabSheet2'));
  }

  // The analysis outcome: the lists, the roots, the turning points, the digits.
  show(outcome) {
    this.data = outcome;
    const roots = outcome.roots.filter((r) => r.im === 0);
    this.marks = [
      ...roots.map((r) => ({ x: r.re, y: 0, kind: 'root', tip: caption('analysis.kRootTip', r.text, r.multiplicity) })),
      ...outcome.turningPoints.map((p) => ({
        x: p.x, y: p.fx, kind: 'turning', tip: caption('analysis.kTurningTip', p.xText, p.fxText, p.kind),
      })),
    ].sort((a, b) => a.x - b.x);
    this.markAt = -1;
    this.draw();
  }

  series() {
    const { x, fx, digits } = this.data;
    const few = Float64Array.from(fx, (y, j) => (digits[j] < kTrusted ? y : NaN));
    const markX = this.marks.map((m) => m.x);
    return { x, fx, few, markX };
  }

  draw() {
    if (!this.data) return;
    if (this.plot) this.plot.destroy();
    const { x, fx, few } = this.series();
    const page = this;
    const opts = {
      width: Math.max(this.host.clientWidth, 200),
      height: Math.max(this.host.clientHeight, 200),
      scales: { x: { time: false }, y: this.logY ? { distr: 4, asinh: 1 } : {} },
      legend: { show: false },
      cursor: { drag: { x: false, y: false } },
      series: [
        {},
        { stroke: '#1f5f9f', width: 1.5, points: { show: false } },
        { stroke: kWarnColour, paths: () => null, points: { show: true, size: 7, fill: kWarnColour } },
      ],
      hooks: { draw: [(u) => page.drawMarks(u)] },
    };
    this.plot = new uPlot(opts, [x, fx, few], this.host);
    this.wireZoomAndPan();
  }

  drawMarks(u) {
    const ctx = u.ctx;
    ctx.save();
    this.marks.forEach((m, i) => {
      const px = u.valToPos(m.x, 'x', true);
      const py = u.valToPos(m.y, 'y', true);
      if (!Number.isFinite(px) || !Number.isFinite(py)) return;
      ctx.beginPath();
      if (m.kind === 'root') ctx.arc(px, py, 6, 0, 2 * Math.PI);
      else ctx.rect(px - 5, py - 5, 10, 10);
      ctx.lineWidth = i === this.markAt ? 3 : 1.5;
      ctx.strokeStyle = m.kind === 'root' ? '#008000' : '#a05000';
      ctx.stroke();
    });
    ctx.restore();
  }

  wireZoomAndPan() {
    const u = this.plot;
    const over = u.over;
    over.addEventListener('wheel', (e) => {
      e.preventDefault();
      const factor = e.deltaY < 0 ? 0.8 : 1.25;
      const rect = over.getBoundingClientRect();
      const at = (axis, pos) => u.posToVal(pos, axis);
      const cx = at('x', e.clientX - rect.left);
      const cy = at('y', e.clientY - rect.top);
      const sx = u.scales.x;
      const sy = u.scales.y;
      u.batch(() => {
        u.setScale('x', { min: cx - (cx - sx.min) * factor, max: cx + (sx.max - cx) * factor });
        if (!this.logY) u.setScale('y', { min: cy - (cy - sy.min) * factor, max: cy + (sy.max - cy) * factor });
      });
    }, { passive: false });
    over.addEventListener('pointerdown', (e) => {
      const start = { x: e.clientX, y: e.clientY, sx: { ...u.scales.x }, sy: { ...u.scales.y } };
      over.setPointerCapture(e.pointerId);
      const move = (m) => {
        const dx = ((m.clientX - start.x) / u.bbox.width) * devicePixelRatio * (start.sx.max - start.sx.min);
        const dy = ((m.clientY - start.y) / u.bbox.height) * devicePixelRatio * (start.sy.max - start.sy.min);
        u.batch(() => {
          u.setScale('x', { min: start.sx.min - dx, max: start.sx.max - dx });
          if (!this.logY) u.setScale('y', { min: start.sy.min + dy, max: start.sy.max + dy });
        });
      };
      const up = () => {
        over.removeEventListener('pointermove', move);
        over.removeEventListener('pointerup', up);
      };
      over.addEventListener('pointermove', move);
      over.addEventListener('pointerup', up);
    });
  }

  fit() {
    this.draw();
  }

  resize() {
    if (this.plot && this.host.clientWidth > 0) {
      this.plot.setSize({ width: this.host.clientWidth, height: Math.max(this.host.clientHeight, 200) });
    }
  }

  // Left and Right step through the roots and turning points.
  stepMark(e) {
    if (!this.marks.length || (e.key !== 'ArrowLeft' && e.key !== 'ArrowRight')) return;
    e.preventDefault();
    const n = this.marks.length;
    this.markAt = this.markAt < 0 ? 0 : (this.markAt + (e.key === 'ArrowRight' ? 1 : n - 1)) % n;
    document.getElementById('plot-tip').textContent = this.marks[this.markAt].tip;
    this.plot.redraw(false);
  }

  rootLines() {
    if (!this.data) return '';
    if (this.data.zeroPolynomial) return caption('analysis.kNoIsolatedRoots');
    return this.data.roots.map((r) => (r.multiplicity > 1 ? `${r.text} (×${r.multiplicity})` : r.text)).join('\n');
  }

  turningLines() {
    if (!this.data) return '';
    return this.data.turningPoints.map((p) => `x=${p.xText}  F(x)=${p.fxText}  ${p.kind}`).join('\n');
  }

  download(blob, name) {
    const link = document.createElement('a');
    link.href = URL.createObjectURL(blob);
    link.download = name;
    document.body.append(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(link.href), 10000);
  }

  exportPng() {
    if (!this.plot) return;
    this.plot.ctx.canvas.toBlob((blob) => this.download(blob, 'plot.png'), 'image/png');
  }

  // The curve as drawn (one point per pixel column's lowest and highest),
  // the warned points and the marks, in the plot's own pixel frame.
  svgText() {
    const u = this.plot;
    const { width, height } = u.bbox;
    const { x, fx, few } = this.series();
    const pos = (v, axis) => u.valToPos(v, axis, true).toFixed(1);
    const columns = new Map();
    const [i0, i1] = [u.valToIdx(u.scales.x.min), u.valToIdx(u.scales.x.max)];
    for (let i = i0; i <= i1; i++) {
      const col = Math.round(u.valToPos(x[i], 'x', true));
      const y = fx[i];
      const c = columns.get(col);
      if (!c) columns.set(col, { lo: y, hi: y });
      else { c.lo = Math.min(c.lo, y); c.hi = Math.max(c.hi, y); }
    }
    const path = [...columns].map(([col, c]) => `${col},${pos(c.lo, 'y')} ${col},${pos(c.hi, 'y')}`).join(' ');
    const warned = [];
    for (let i = i0; i <= i1; i++) {
      if (!Number.isNaN(few[i])) warned.push(`<circle cx="${pos(x[i], 'x')}" cy="${pos(few[i], 'y')}" r="3" fill="${kWarnColour}"/>`);
    }
    const marks = this.marks.map((m) => (m.kind === 'root'
      ? `<circle cx="${pos(m.x, 'x')}" cy="${pos(m.y, 'y')}" r="6" fill="none" stroke="#008000"><title>${m.tip}</title></circle>`
      : `<rect x="${pos(m.x, 'x') - 5}" y="${pos(m.y, 'y') - 5}" width="10" height="10" fill="none" stroke="#a05000"><title>${m.tip}</title></rect>`));
    return `<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 ${u.ctx.canvas.width} ${u.ctx.canvas.height}">`
      + `<rect width="100%" height="100%" fill="#fff"/><rect x="${u.bbox.left}" y="${u.bbox.top}" width="${width}" height="${height}" fill="none" stroke="#888"/>`
      + `<polyline fill="none" stroke="#1f5f9f" stroke-width="1.5" points="${path}"/>${warned.join('')}${marks.join('')}</svg>\n`;
  }

  exportSvg() {
    if (!this.plot) return;
    this.download(new Blob([this.svgText()], { type: 'image/svg+xml' }), 'plot.svg');
  }

  // The CSV table of the Solve (x,F(x)), written by the engine.
  async exportCsv() {
    if (!this.data || this.engine.busy) return;
    const reply = await this.engine.call({ call: 'csv' });
    if (reply.ok === false) return;
    this.download(new Blob([reply.text], { type: 'text/csv' }), 'plot.csv');
  }
}
