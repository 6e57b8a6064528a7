// The panes' context menu, with the desktop's entries: Undo, Redo, Cut,
// Copy, Paste, Delete, Select All, and on the x pane "Fill with a range…".
// It opens by the pointer, the context menu key or Shift+F10 (at the caret),
// and is used from the keyboard as a menu: arrows, Home, End, Enter, Esc.
import { undo, redo, undoDepth, redoDepth, selectAll } from '@codemirror/commands';
import { caption } from './language.js';

const selected = (state) => state.sliceDoc(state.selection.main.from, state.selection.main.to);
const replaceSelection = (view, text) => view.dispatch(view.state.replaceSelection(text));

// Each entry: caption, whether it can run now, what it does; null is a separator.
const kEntries = [
  ['kUndo', (s) => undoDepth(s) > 0, (v) => undo(v)],
  ['kRedo', (s) => redoDepth(s) > 0, (v) => redo(v)],
  null,
  ['kCut', (s) => !s.selection.main.empty, async (v) => {
    await navigator.clipboard.writeText(selected(v.state));
    replaceSelection(v, '');
  }],
  ['kCopy', (s) => !s.selection.main.empty, (v) => navigator.clipboard.writeText(selected(v.state))],
  ['kPaste', () => true, async (v) => replaceSelection(v, await navigator.clipboard.readText())],
  ['kDelete', (s) => !s.selection.main.empty, (v) => replaceSelection(v, '')],
  null,
  ['kSelectAll', (s) => s.doc.length > 0, (v) => selectAll(v)],
];

export function wirePaneMenu(panes, { fillRange }) {
  const menu = document.getElementById('pane-menu');
  let pane = null;

  const items = () => [...menu.querySelectorAll('[role=menuitem]:not([aria-disabled=true])')];
  function close(refocus) {
    menu.hidden = true;
    if (refocus) pane.focus();
  }

  function open(target, x, y) {
    pane = target;
    const { state } = pane.view;
    const entries = pane.name === 'MemoX' ? [...kEntries, null, ['range.kMenuEntry', () => true, fillRange]] : kEntries;
    menu.replaceChildren(...entries.map((entry) => {
      if (!entry) {
        const line = document.createElement('div');
        line.setAttribute('role', 'separator');
        return line;
      }
      const [key, can, run] = entry;
      const item = document.createElement('button');
      item.type = 'button';
      item.setAttribute('role', 'menuitem');
      item.tabIndex = -1;
      item.textContent = caption(key);
      if (!can(state)) item.setAttribute('aria-disabled', 'true');
      item.addEventListener('click', () => {
        if (item.getAttribute('aria-disabled') === 'true') return;
        close(true);
        Promise.resolve(run(pane.view)).catch(() => {});  // a clipboard refused leaves the text as it is
      });
      return item;
    }));
    menu.setAttribute('aria-label', pane.label());
    menu.hidden = false;
    // Inside the window, at the point asked for.
    const { innerWidth, innerHeight } = window;
    menu.style.left = `${Math.max(0, Math.min(x, innerWidth - menu.offsetWidth))}px`;
    menu.style.top = `${Math.max(0, Math.min(y, innerHeight - menu.offsetHeight))}px`;
    items()[0]?.focus();
  }

  for (const target of Object.values(panes)) {
    const host = target.view.dom;
    host.addEventListener('contextmenu', (e) => {
      e.preventDefault();
      open(target, e.clientX, e.clientY);
    });
    host.addEventListener('keydown', (e) => {
      if (e.key !== 'ContextMenu' && !(e.key === 'F10' && e.shiftKey)) return;
      e.preventDefault();
      e.stopPropagation();
      const at = target.view.coordsAtPos(target.view.state.selection.main.head) ?? host.getBoundingClientRect();
      open(target, at.left, at.bottom);
    }, true);
  }

  menu.addEventListener('keydown', (e) => {
    const list = items();
    const at = list.indexOf(document.activeElement);
    const go = { ArrowDown: at + 1, ArrowUp: at - 1 + list.length, Home: 0, End: list.length - 1 }[e.key];
    if (go !== undefined) {
      list[go % list.length]?.focus();
    } else if (e.key === 'Escape' || e.key === 'Tab') {
      close(true);
    } else {
      return;
    }
    e.preventDefault();
    e.stopPropagation();
  });
  menu.addEventListener('focusout', (e) => {
    if (!menu.hidden && !menu.contains(e.relatedTarget)) close(false);
  });
}
