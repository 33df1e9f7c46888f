// SPDX-License-Identifier: MIT
// The picture: the core's pixels in a canvas at a whole-number scale of device pixels, the
// window's labels as text over it, the animation at the pacer's times and the window's keys.

const client = { width: 616, height: 741 };

// The window's labels: place (pixels of the 616 x 741 picture), colour, alignment, size; each
// on white, as the window paints them.
const labels = [
  ['Pressure (10Bar/Horizontal_Line)', 224, 16, 193, 57, '#808080', 'center', 16],
  ['Temperature (100K/Horizontal_Line)', 232, 656, 193, 49, '#808080', 'center', 16],
  ['Torvan HCCI Controllable Combustion ', 472, 8, 129, 137, '#c00000', 'right', 21],
  ['www.torvan.example', 408, 712, 193, 25, '#c0c0c0', 'center', 19],
  ['United Chamber', 432, 600, 153, 25, '#0000ff', 'right', 16],
  ['Main Chamber', 432, 624, 153, 25, '#00c000', 'right', 16],
  ['Auxiliary Chamber', 432, 648, 153, 25, '#ff0000', 'right', 16],
  ['-180', 280, 328, 57, 33, '#c00000', 'center', 19],
];

// The animation draws at most so many frames a second, the steps due between two frames drawn
// together. Each frame that changes the canvas costs the browser a frame made and composited,
// whatever it changes. Where a GPU composites, 30 a second are smooth and cost the processor
// little; where the browser does it all on the processor (no GPU, or none it may use), 60 a
// second took a third of a core, 30 over a quarter and 9 about a tenth (bench/RESULTS.md).
export const framesPerSecond = { gpu: 30, software: 9 };

// Whether the browser draws on a GPU: it has a WebGL context there, not a software renderer's.
export function drawsOnGpu() {
  const gl = document.createElement('canvas').getContext('webgl');
  if (!gl) return false;
  const info = gl.getExtension('WEBGL_debug_renderer_info');
  const renderer = String(gl.getParameter(info ? info.UNMASKED_RENDERER_WEBGL : gl.RENDERER));
  gl.getExtension('WEBGL_lose_context')?.loseContext();
  return !/swiftshader|llvmpipe|softpipe|software|basic render/i.test(renderer);
}

// Keys as the window reads them: their character codes.
const keyCodes = { ' ': 32, Enter: 13, ',': 44, '.': 46, '/': 47, Escape: 27 };

// The whole-number scale of device pixels that fits the room: at least 1, at most 4.
export function fittingScale(roomWidth, roomHeight, ratio) {
  const fit = Math.floor(Math.min((roomWidth * ratio) / client.width,
                                  (roomHeight * ratio) / client.height));
  return Math.max(1, Math.min(4, fit));
}

export class Picture {
  constructor(engine, frame, onShown) {
    this.engine = engine;
    this.frame = frame;
    this.onShown = onShown;  // after every change of the picture: the step it shows
    this.canvas = frame.querySelector('#picture');
    this.context = this.canvas.getContext('2d');
    this.overlay = frame.querySelector('.labels');
    this.readout = this.makeLabels();
    this.timer = 0;
    // The animation's frames a second, at most: the pace is the pacer's whatever the rate. Told
    // when the animation first runs, not before the first picture.
    this.framesPerSecond = null;
    this.lastFrame = -Infinity;
    this.canvas.addEventListener('keydown', (event) => this.keyDown(event));
    this.canvas.addEventListener('dblclick', (event) => {
      if (event.button === 0) this.stop();
    });
    this.canvas.addEventListener('pointerdown', () => this.canvas.focus());
  }

  makeLabels() {
    let readout = null;
    for (const [caption, left, top, width, height, colour, align, size] of labels) {
      const label = document.createElement('div');
      label.className = 'label';
      Object.assign(label.style, {
        left: `${left}px`, top: `${top}px`, width: `${width}px`, height: `${height}px`,
        color: colour, textAlign: align,
        fontSize: `${size}px`,
      });
      // Lines break at spaces only, never inside a word.
      for (const [i, word] of caption.split(' ').entries()) {
        if (i > 0) label.append(' ');
        const piece = document.createElement('span');
        piece.textContent = word;
        label.append(piece);
      }
      this.overlay.append(label);
      readout = label;
    }
    readout.classList.add('readout');
    readout.id = 'readout';
    this.readoutText = readout.querySelector('span').firstChild;
    return readout;
  }

  // The canvas at a scale of device pixels, shown at whole device pixels.
  setScale(scale, ratio) {
    if (scale !== this.scale) {
      this.engine.setScale(scale);
      this.scale = scale;
      this.canvas.width = this.engine.width();
      this.canvas.height = this.engine.height();
      this.image = null;
    }
    const cssPixels = scale / ratio;
    this.canvas.style.width = `${this.canvas.width / ratio}px`;
    this.canvas.style.height = `${this.canvas.height / ratio}px`;
    this.frame.style.width = this.canvas.style.width;
    this.frame.style.height = this.canvas.style.height;
    this.overlay.style.transform = `scale(${cssPixels})`;
    this.show(true);
  }

  // Copies the changed pixels into the canvas and tells the readout.
  show(everything = false) {
    const dirty = this.engine.takeDirty();
    const rgba = this.engine.rgba();
    if (!this.image || this.image.data.buffer !== rgba.buffer) {
      this.image = new ImageData(rgba, this.canvas.width, this.canvas.height);
      everything = true;
    }
    if (everything) {
      this.context.putImageData(this.image, 0, 0);
    } else if (dirty) {
      this.context.putImageData(this.image, 0, 0, ...dirty);
    }
    const step = this.engine.step();
    // The angle changes every 50 steps; the same text set again would cost a layout all the same,
    // and a new text is written into the one text node rather than replacing the label's nodes.
    const readout = step < 0 ? '-180' : String(this.engine.readout());
    if (readout !== this.readoutText.data) this.readoutText.data = readout;
    this.onShown(step);
  }

  // Runs what is due, shows it, and sets the timer for the next frame while the pacer is armed.
  frameDue() {
    this.timer = 0;
    this.lastFrame = performance.now();
    const next = this.engine.tick();
    this.show();
    this.arm(next);
  }

  // The next frame when the pacer's next step is due, but no sooner than a frame's time after
  // the last one: the steps due meanwhile are run together, so the pace stays the pacer's. A
  // timer rather than the browser's frame requests: a frame requested at the display's rate
  // costs the browser a frame made each time, even one that changes nothing.
  arm(nextNs) {
    clearTimeout(this.timer);
    this.timer = 0;
    if (nextNs < 0) return;
    this.framesPerSecond ??= drawsOnGpu() ? framesPerSecond.gpu : framesPerSecond.software;
    const due = Math.max(nextNs / 1e6, this.lastFrame + 1000 / this.framesPerSecond);
    this.timer = setTimeout(() => this.frameDue(), Math.max(0, due - performance.now()));
  }

  // Runs at once (after a hold is released, a key, or to start).
  run() {
    clearTimeout(this.timer);
    this.timer = setTimeout(() => this.frameDue(), 0);
  }

  keyDown(event) {
    if (event.ctrlKey || event.altKey || event.metaKey) return;
    const code = keyCodes[event.key];
    if (code === undefined) return;
    event.preventDefault();
    this.type(code, event.timeStamp);
  }

  // A key typed at a time on performance.now()'s clock: answered at once, and the steps it makes
  // due (a restart, a new pace) run at the next tick, not the animation's next frame.
  type(code, stampMs) {
    const now = performance.now();
    this.engine.key(code, Math.min(now, stampMs) * 1e6);
    this.show();
    this.run();
  }

  stop() {
    this.engine.stop();
    clearTimeout(this.timer);
    this.show();
  }

  holdAt(step) {
    clearTimeout(this.timer);
    this.engine.holdAt(step);
    this.show();
  }

  play() {
    this.engine.play();
    this.run();
  }
}
