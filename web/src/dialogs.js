// The dialogs: the error box, "Fill with a range", About, the phone dialog
// with the code of the page's own address, the help page and the list of
// roots and turning points.
import qrcode from 'qrcode-generator';
import { caption } from './language.js';

const $ = (id) => document.getElementById(id);

// Shows the error box; resolves once it is closed.
export function showError(message) {
  const box = $('error-box');
  $('error-text').textContent = message;
  return new Promise((resolve) => {
    box.addEventListener('close', () => resolve(), { once: true });
    box.showModal();
    $('error-ok').focus();
  });
}

// The code of an address as an SVG picture, black modules on white.
function codePicture(address) {
  const code = qrcode(0, 'M');
  code.addData(address);
  code.make();
  return code.createSvgTag({ cellSize: 5, margin: 4, scalable: true, alt: address });
}

const kRangeFaults = {
  fromNotNumber: 'range.kFromNotNumber',
  fromTooLarge: 'range.kFromTooLarge',
  toNotNumber: 'range.kToNotNumber',
  toTooLarge: 'range.kToTooLarge',
  countNotAllowed: 'range.kCountNotAllowed',
  singleValueNeedsEqualEnds: 'range.kSingleValue',
  tooWide: 'range.kTooWide',
};

export function wireDialogs({ panes, busyCall, mark, plot, engine }) {
  const rangeBox = $('range-box');
  $('BtnFillX').addEventListener('click', () => {
    $('range-fault').textContent = '';
    rangeBox.showModal();
  });
  $('range-cancel').addEventListener('click', () => rangeBox.close());
  $('range-form').addEventListener('submit', async (e) => {
    e.preventDefault();
    const outcome = await busyCall(
      { call: 'fill', from: $('range-from').value, to: $('range-to').value, count: $('range-count').value, mark: mark() },
      'kFilling',
    );
    if (!outcome.ok) {
      if (outcome.kind === 'abort') return;
      $('range-fault').textContent = caption(kRangeFaults[outcome.kind], outcome.most);
      return;
    }
    rangeBox.close();
    panes.MemoX.setText(outcome.text);
    if (outcome.held) engine.hold(panes.MemoX);
    panes.MemoX.focus();
  });

  // The page's own address is the program's web site.
  $('MnuWeb').addEventListener('click', () => window.open(new URL('./', location.href).href, '_blank', 'noopener'));
  // Exit closes the window where a page may: as an installed app, in a
  // window of its own (a tab is the browser's to close).
  const ownWindow = matchMedia('(display-mode: standalone), (display-mode: minimal-ui)');
  const showFile = () => ($('file-menu').hidden = !ownWindow.matches);
  ownWindow.addEventListener('change', showFile);
  showFile();
  $('MnuExit').addEventListener('click', () => window.close());
  $('MnuAbout').addEventListener('click', () => {
    const address = new URL('./', location.href).href;
    $('about-web').href = address;
    $('about-web').textContent = address;
    $('about-box').showModal();
  });
  $('MnuPhone').addEventListener('click', () => {
    const address = new URL('./', location.href).href;
    $('phone-code').innerHTML = codePicture(address);
    $('phone-code').setAttribute('aria-label', address);
    $('phone-box').showModal();
  });
  $('MnuContent').addEventListener('click', () => window.open('help.html', '_blank', 'noopener'));
  $('BtnPlotList').addEventListener('click', () => {
    $('list-roots').textContent = plot.rootLines();
    $('list-turning').textContent = plot.turningLines();
    $('list-box').showModal();
  });
}
