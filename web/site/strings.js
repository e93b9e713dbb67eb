// The page's words, Korean and English, as the viewer words them.
import { WebError } from './core.js';

const texts = {
  ko: {
    title: 'zpkview',
    tagline: 'zpk 파일의 그림을 봅니다. 파일은 이 컴퓨터를 떠나지 않습니다.',
    open: '파일불러오기',
    openHelp: 'zpk 파일을 고르는 창을 엽니다.',
    drop: 'zpk 파일을 여기에 끌어 놓으세요.',
    entries: '항목',
    entriesHelp: '불러온 파일의 항목. 고르면 그 그림을 그립니다.',
    noFile: '불러온 파일 없음',
    clear: '초기화',
    clearHelp: '그리기 전에 그림판을 흰색으로 지웁니다.',
    dropFirst: '첫번째 버리기',
    dropFirstHelp: '값 0인 픽셀은 그리지 않습니다.',
    userColor: 'UserColor',
    userColorHelp: '팔레트 대신 세 값으로 만든 색 띠로 그립니다.',
    color: (n) => `색 ${n}`,
    picture: '그림',
    pictureHelp: '선택한 항목의 그림.',
    savePng: 'PNG로 저장',
    exportAll: '모두 내보내기',
    gallery: '모아 보기',
    galleryHelp: '항목마다 작은 그림. 누르거나 Enter를 치면 그 그림을 그립니다.',
    language: 'English',
    languageHelp: 'Show the page in English',
    keys: '단축키: Ctrl+O 열기, 위/아래 항목, Ctrl+S PNG로 저장, Ctrl+E 모두 내보내기, Ctrl+G 모아 보기',
    size: (w, h) => `${w} x ${h}`,
    exporting: (done, all) => `내보내는 중… ${done} / ${all}`,
    exported: (count) => `${count}개 항목을 내보냈습니다.`,
    zipTooLarge: '내보낼 그림이 4 GiB를 넘어 ZIP 하나에 담을 수 없습니다.',
    notContainer: (name, actual, needed) =>
      `올바른 zpk 파일이 아닙니다.\n${name}\n파일 크기 ${actual} 바이트, 필요한 크기 ${needed} 바이트`,
    tooLarge: (name) => `파일이 너무 큽니다.\n${name}`,
    overLimit: (name, limit) => `파일이 너무 큽니다.\n${name}\n이 페이지는 ${limit}까지 엽니다.`,
    cannotRead: (name, why) => `파일을 열 수 없습니다.\n${name}\n${why}`,
    noPicture: '그림이 없습니다.',
    outOfMemory: '메모리가 부족합니다.',
  },
  en: {
    title: 'zpkview',
    tagline: 'Views the pictures in zpk files. Your file never leaves this computer.',
    open: 'Open file',
    openHelp: 'Opens a dialog to choose a zpk file.',
    drop: 'Drop a zpk file here.',
    entries: 'Entries',
    entriesHelp: 'The entries of the loaded file. Choosing one draws its image.',
    noFile: 'No file loaded',
    clear: 'Clear',
    clearHelp: 'Clears the canvas to white before drawing.',
    dropFirst: 'Skip index 0',
    dropFirstHelp: 'Pixels of value 0 are not drawn.',
    userColor: 'UserColor',
    userColorHelp: 'Draws with a color ramp made from the three values instead of the palette.',
    color: (n) => `Color ${n}`,
    picture: 'Picture',
    pictureHelp: 'The image of the selected entry.',
    savePng: 'Save as PNG',
    exportAll: 'Export all',
    gallery: 'Gallery',
    galleryHelp: 'A small image of each entry. Click or press Enter to draw it.',
    language: '한국어',
    languageHelp: '페이지를 한국어로 봅니다',
    keys: 'Keys: Ctrl+O open, Up/Down entries, Ctrl+S save as PNG, Ctrl+E export all, Ctrl+G gallery',
    size: (w, h) => `${w} x ${h}`,
    exporting: (done, all) => `Exporting… ${done} / ${all}`,
    exported: (count) => `Exported ${count} entries.`,
    zipTooLarge: 'The pictures come to more than 4 GiB, more than one ZIP can hold.',
    notContainer: (name, actual, needed) =>
      `Not a valid zpk file.\n${name}\nThe file is ${actual} bytes long; at least ${needed} bytes are needed.`,
    tooLarge: (name) => `The file is too large.\n${name}`,
    overLimit: (name, limit) => `The file is too large.\n${name}\nThis page opens files of up to ${limit}.`,
    cannotRead: (name, why) => `Cannot open the file.\n${name}\n${why}`,
    noPicture: 'The entry has no image.',
    outOfMemory: 'Out of memory.',
  },
};

// English where the browser's first language is English, Korean otherwise,
// as the viewer picks its language from the locale.
export function browserLanguage() {
  const first = (navigator.languages && navigator.languages[0]) || navigator.language || 'ko';
  return first.toLowerCase().startsWith('en') ? 'en' : 'ko';
}

export function wordsOf(language) {
  return texts[language] ?? texts.ko;
}

// An error of the core (see core.js), worded for the file `name`.
export function errorText(words, error, name) {
  switch (error.code) {
    case WebError.NotContainer:
      return words.notContainer(name, error.actual, error.needed);
    case WebError.TooLarge:
      return words.tooLarge(name);
    case WebError.NoPicture:
    case WebError.NoRow:
      return words.noPicture;
    default:
      return words.outOfMemory;
  }
}
