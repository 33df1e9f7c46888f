// SPDX-License-Identifier: MIT
// Files the page hands over: the bytes hcci-cycle-export writes for the same engine.

export function save(name, data, type) {
  const url = URL.createObjectURL(new Blob([data], { type }));
  const anchor = document.createElement('a');
  anchor.href = url;
  anchor.download = name;
  document.body.append(anchor);
  anchor.click();
  anchor.remove();
  setTimeout(() => URL.revokeObjectURL(url), 10000);
}

let deflating = null;

// zlib's deflate as libpng asks for it (level 6, filtered strategy), from the bundled package,
// loaded the first time a picture is saved.
export function pngDeflate() {
  deflating ??= new Promise((resolve, reject) => {
    const script = document.createElement('script');
    script.src = 'pako_deflate.min.js';
    script.onload = () => resolve((rows) =>
      window.pako.deflate(rows, { level: 6, memLevel: 8, windowBits: 15, strategy: 1 }));
    script.onerror = () => reject(new Error('the deflate script did not load'));
    document.head.append(script);
  });
  return deflating;
}
