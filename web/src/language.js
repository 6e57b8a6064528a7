// The interface language and the decimal mark, both remembered across visits.
// The captions are the desktop program's (captions.json is made from its
// sources at build time): each is [bilingual, English].
import captions from 'quill-captions';

const kLanguageKey = 'quillometer.language';
const kMarkKey = 'quillometer.decimalMark';

let english = localStorage.getItem(kLanguageKey) === 'english';

export function isEnglish() {
  return english;
}

export function setEnglish(on) {
  english = on;
  localStorage.setItem(kLanguageKey, on ? 'english' : 'bilingual');
}

// A caption as shown: '&' marks the access key on the desktop and goes here
// ("&&" stands for '&'); %1, %2… take the arguments.
export function caption(key, ...args) {
  const pair = captions[key];
  if (!pair) throw new Error(`no caption ${key}`);
  let text = pair[english ? 1 : 0].replace(/&(&?)/g, '$1');
  args.forEach((arg, i) => {
    text = text.split(`%${i + 1}`).join(String(arg));
  });
  return text;
}

// The decimal mark of the browser's language, unless the user chose one.
export function decimalMark() {
  const chosen = localStorage.getItem(kMarkKey);
  if (chosen === '.' || chosen === ',') return chosen;
  const parts = new Intl.NumberFormat(navigator.language).formatToParts(1.5);
  const mark = parts.find((p) => p.type === 'decimal');
  return mark && mark.value === ',' ? ',' : '.';
}

export function setDecimalMark(mark) {
  localStorage.setItem(kMarkKey, mark);
}
