// The page: the window's controls in the browser's idiom. Every number is
// read, evaluated, formatted and analysed by the engine in the worker; the
// page only moves texts and bytes.
import { Engine } from './engine.js';
import { Pane } from './panes.js';
import { ReportText } from './report.js';
import { caption, isEnglish, setEnglish, decimalMark, setDecimalMark } from './language.js';
import { wireFiles } from './files.js';
import { PlotPage } from './plot.js';
import { wireDialogs, showError } from './dialogs.js';
import { wirePaneMenu } from './pane-menu.js';

const $ = (id) => document.getElementById(id);
// After this long a Solve shows its progress and Cancel.
const kProgressDelayMs = 500;

// The lists of the last Solve as the worker keeps them, so that a worker
// started afresh after a Cancel keeps them too.
let keptLists = null;
const engine = new Engine('worker.js', { setup: () => keptLists && { call: 'restore', lists: keptLists } });
const analyser = new Engine('analysis-worker.js');
let lastReport = null;  // the last report (ReportText), for the tests
let mark = decimalMark();

const solveKeys = [
  { key: 'Mod-Enter', run: () => (solve(), true) },
];
const panes = {
  MemoAN: new Pane($('MemoAN'), { label: () => caption('MemoAN.description'), extraKeys: solveKeys }),
  MemoX: new Pane($('MemoX'), { label: () => caption('MemoX.description'), extraKeys: solveKeys }),
  MemoFx: new Pane($('MemoFx'), { label: () => caption('MemoFx.description'), extraKeys: solveKeys }),
};
panes.MemoFx.setText(caption('MemoFx'));
const plot = new PlotPage($('plot'), { engine, mark: () => mark, status: (text) => ($('StatusPanel1').textContent = text) });

// Captions from the desktop's table, in the chosen language.
function applyLanguage() {
  document.documentElement.lang = isEnglish() ? 'en' : 'zh-Hans';
  for (const element of document.querySelectorAll('[data-caption]')) {
    element.textContent = caption(element.dataset.caption);
  }
  $('MnuChinese').setAttribute('aria-checked', String(!isEnglish()));
  $('MnuEnglish').setAttribute('aria-checked', String(isEnglish()));
  if (!engine.busy) $('StatusPanel0').textContent = caption('kReady');
  for (const pane of Object.values(panes)) pane.relabel();
  $('SolveProgress').setAttribute('aria-label', caption('kSolveProgress'));
  plot.relabel();
}

// What a command does while the worker runs: progress after a moment, and
// Cancel (the button or Esc); piece takes what the worker sends ahead.
async function busyCall(message, statusKey, piece) {
  // One command at a time, as the window turns its controls off meanwhile.
  if (engine.busy) return { ok: false, kind: 'abort', message: '' };
  $('StatusPanel0').textContent = caption(statusKey);
  const bar = $('SolveProgress');
  bar.value = 0;
  const timer = setTimeout(() => {
    bar.hidden = false;
    $('BtnCancelSolve').hidden = false;
  }, kProgressDelayMs);
  document.body.classList.add('busy');
  try {
    return await engine.call(message, { progress: (permille) => (bar.value = permille), piece });
  } finally {
    clearTimeout(timer);
    bar.hidden = true;
    $('BtnCancelSolve').hidden = true;
    document.body.classList.remove('busy');
    $('StatusPanel0').textContent = caption('kReady');
  }
}

// The error box, then the line it names selected.
async function reportError(outcome) {
  if (outcome.kind === 'abort') return;
  await showError(outcome.message);
  const pane = panes[outcome.list];
  if (pane && outcome.line >= 0) {
    selectTab('TabSheet1');
    pane.selectLine(outcome.line);
  }
}

async function solve() {
  if (engine.busy) return;
  analyser.cancel();
  const started = performance.now();
  const report = new ReportText();
  const sent = [panes.MemoAN, panes.MemoX].map((pane) => [pane, pane.doc]);
  const outcome = await busyCall(
    { call: 'solve', coefficients: engine.textOf(panes.MemoAN), x: engine.textOf(panes.MemoX), mark },
    'kBusy',
    (bytes) => report.add(bytes),
  );
  if (outcome.held) for (const [pane, doc] of sent) engine.hold(pane, doc);
  if (outcome.lists) keptLists = outcome.lists;
  if (!outcome.ok) {
    await reportError(outcome);
    return;
  }
  lastReport = report;
  if ($('ChkAutoClear').checked) panes.MemoFx.setText(report.doc);
  else panes.MemoFx.append(report.doc);
  const { coefficients, x } = outcome.lists;
  $('StatusPanel1').textContent = caption('kSolveFigures', coefficients.length, x.length,
    `${Math.round(performance.now() - started)} ms`);
  document.dispatchEvent(new CustomEvent('quill-solved'));
  analyse(outcome.lists);
}

// Roots, turning points and correct digits, for the plot and the status bar,
// beside the window: Esc or a new Solve cancels it.
async function analyse(lists) {
  const figures = $('StatusPanel1').textContent;
  $('StatusPanel1').textContent = `${figures}  ${caption('analysis.kAnalysing')}`;
  const copies = Object.fromEntries(Object.entries(lists).map(([name, list]) => [name, list.slice()]));
  const outcome = await analyser.call({ lists: copies, mark }, {}, Object.values(copies).map((a) => a.buffer));
  if (outcome.ok === false) {
    $('StatusPanel1').textContent = outcome.kind === 'abort' ? figures : outcome.message;
    return;
  }
  plot.show(outcome);
  const few = outcome.fewDigits;
  const all15 = outcome.digits.every((d) => d >= 15);
  $('StatusPanel1').textContent = `${figures}  ` + (few === 1 ? caption('analysis.kOneFewDigits')
    : few > 1 ? caption('analysis.kFewDigits', few)
      : caption(all15 ? 'analysis.kAllFifteen' : 'analysis.kAllTen'));
  document.dispatchEvent(new CustomEvent('quill-analysed'));
}

function selectTab(id) {
  for (const tab of document.querySelectorAll('[role=tab]')) {
    const on = tab.id === id;
    tab.setAttribute('aria-selected', String(on));
    tab.tabIndex = on ? 0 : -1;
    $(tab.getAttribute('aria-controls')).hidden = !on;
  }
  if (id === 'TabSheet2') plot.resize();
}

function wireTabs() {
  const tabs = [...document.querySelectorAll('[role=tab]')];
  for (const tab of tabs) {
    tab.addEventListener('click', () => selectTab(tab.id));
    tab.addEventListener('keydown', (e) => {
      if (e.key !== 'ArrowLeft' && e.key !== 'ArrowRight') return;
      const next = tabs[(tabs.indexOf(tab) + (e.key === 'ArrowRight' ? 1 : tabs.length - 1)) % tabs.length];
      selectTab(next.id);
      next.focus();
    });
  }
}

function wireMenus() {
  for (const button of document.querySelectorAll('.menu-button')) {
    const list = $(button.getAttribute('aria-controls'));
    const close = () => {
      list.hidden = true;
      button.setAttribute('aria-expanded', 'false');
    };
    button.addEventListener('click', () => {
      const open = list.hidden;
      for (const other of document.querySelectorAll('.menu-list')) other.hidden = true;
      list.hidden = !open;
      button.setAttribute('aria-expanded', String(open));
      if (open) list.querySelector('button').focus();
    });
    list.addEventListener('click', close);
    list.addEventListener('keydown', (e) => {
      const items = [...list.querySelectorAll('button')];
      const at = items.indexOf(document.activeElement);
      if (e.key === 'Escape') {
        close();
        button.focus();
        e.stopPropagation();
      } else if (e.key === 'ArrowDown' || e.key === 'ArrowUp') {
        items[(at + (e.key === 'ArrowDown' ? 1 : items.length - 1)) % items.length].focus();
        e.preventDefault();
      }
    });
  }
  $('MnuChinese').addEventListener('click', () => (setEnglish(false), applyLanguage()));
  $('MnuEnglish').addEventListener('click', () => (setEnglish(true), applyLanguage()));
  $('DecimalMark').value = mark;
  $('DecimalMark').addEventListener('change', (e) => {
    mark = e.target.value;
    setDecimalMark(mark);
  });
}

function wireCommands() {
  $('BtnSolve').addEventListener('click', solve);
  $('BtnCancelSolve').addEventListener('click', () => engine.cancel());
  document.addEventListener('keydown', (e) => {
    if (e.key === 'Escape' && (engine.busy || analyser.busy)) {
      if (engine.busy) engine.cancel();
      else analyser.cancel();
      e.preventDefault();
    } else if (e.key === 'Enter' && (e.ctrlKey || e.metaKey) && !e.defaultPrevented) {
      e.preventDefault();
      solve();
    }
  });
  $('BtnClearAn').addEventListener('click', () => panes.MemoAN.clear());
  $('BtnClearX').addEventListener('click', () => panes.MemoX.clear());
  $('BtnClearFx').addEventListener('click', () => panes.MemoFx.clear());
}

const files = wireFiles({ panes, busyCall, reportError, engine });
wireTabs();
wireMenus();
wireCommands();
wireDialogs({ panes, busyCall, mark: () => mark, plot, engine });
wirePaneMenu(panes, { fillRange: () => $('BtnFillX').click() });
applyLanguage();
files.loadSample().then(() => {
  document.body.dataset.ready = 'true';
});

if ('serviceWorker' in navigator && location.protocol !== 'file:') {
  navigator.serviceWorker.register('sw.js').catch(() => {});
}

// For the browser tests and the benchmark: the page's own handles.
window.quill = { panes, engine, analyser, solve, plot, files, lastReport: () => String(lastReport ?? '') };
