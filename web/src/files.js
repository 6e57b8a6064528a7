// Load and Save of each pane: the file picker, drag and drop onto a pane,
// and a download; the bytes go through the engine's list-file rules both
// ways (UTF-8, GB18030, Latin-1, byte-order marks, UTF-16), so a file saves
// back in the encoding it came in.

const $ = (id) => document.getElementById(id);

// The file a pane saves to: the name it was loaded from, or the desktop's.
const kDefaultNames = { MemoAN: 'An.txt', MemoX: 'X.txt', MemoFx: 'Fx.txt' };

export function wireFiles({ panes, busyCall, reportError, engine }) {
  const names = { ...kDefaultNames };

  async function loadBytes(pane, bytes, name) {
    const outcome = await busyCall({ call: 'load', bytes, name, pane: pane.name }, 'kLoading');
    if (!outcome.ok) {
      await reportError(outcome);
      return false;
    }
    pane.setText(outcome.text);
    if (outcome.held) engine.hold(pane);
    pane.encoding = { charset: outcome.charset, mark: outcome.mark };
    names[pane.name] = name;
    return true;
  }

  async function loadFile(pane, file) {
    const bytes = await file.arrayBuffer();
    return loadBytes(pane, bytes, file.name);
  }

  async function save(pane) {
    const reply = await busyCall({ call: 'save', text: pane.text, ...pane.encoding }, 'kSaving');
    if (reply.ok === false) {
      await reportError(reply);
      return;
    }
    const link = document.createElement('a');
    link.href = URL.createObjectURL(new Blob([reply.bytes], { type: 'text/plain' }));
    link.download = names[pane.name];
    document.body.append(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(link.href), 10000);
  }

  const picker = $('file-picker');
  let pickingFor = null;
  picker.addEventListener('change', async () => {
    const file = picker.files[0];
    picker.value = '';
    if (file && pickingFor) await loadFile(pickingFor, file);
  });

  for (const [name, suffix] of [['MemoAN', 'An'], ['MemoX', 'X'], ['MemoFx', 'Fx']]) {
    const pane = panes[name];
    $(`BtnLoad${suffix}`).addEventListener('click', () => {
      pickingFor = pane;
      picker.click();
    });
    $(`BtnSave${suffix}`).addEventListener('click', () => save(pane));
    const host = $(name);
    host.addEventListener('dragover', (e) => {
      if ([...e.dataTransfer.types].includes('Files')) {
        e.preventDefault();
        host.classList.add('drop');
      }
    });
    host.addEventListener('dragleave', () => host.classList.remove('drop'));
    host.addEventListener('drop', (e) => {
      host.classList.remove('drop');
      const file = e.dataTransfer.files[0];
      if (!file) return;
      e.preventDefault();
      loadFile(pane, file);
    });
  }

  // The sample files, as the desktop's Sample Data loads them.
  async function loadSample() {
    for (const [name, file] of [['MemoAN', 'An.txt'], ['MemoX', 'X.txt']]) {
      const response = await fetch(file);
      if (!(await loadBytes(panes[name], await response.arrayBuffer(), file))) return;
    }
  }
  $('BtnSampleData').addEventListener('click', loadSample);

  return { loadSample, loadBytes };
}
