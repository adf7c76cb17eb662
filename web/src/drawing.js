// The drawing pane: shows the SVG the converter made as an image, scaled
// to fit or zoomed, and swaps a new drawing in only once it is decoded, so
// the old one stays on screen until then (no blank frame while typing).
//
// The SVG is shown through an <img> of a blob: URL, never put into the
// page: its ids and styles cannot meet the page's, its bytes stay exactly
// the converter's, and the image gets the chart's title as its accessible
// name (alt), which the SVG itself need not hold.

const MIN_ZOOM = 0.05;
const MAX_ZOOM = 8;
const ZOOM_STEP = 1.25;

// The canvas size from the root element's width and height.
export function drawingSize(svg) {
  const m = /<svg\b[^>]*?\swidth="(\d+)"\s+height="(\d+)"/.exec(svg.slice(0, 400));
  return m ? { width: Number(m[1]), height: Number(m[2]) } : { width: 0, height: 0 };
}

const ENTITIES = { amp: '&', lt: '<', gt: '>', quot: '"', apos: "'" };

// The text of the first <text class="NAME"> element, entities decoded.
function headerText(svg, name) {
  const head = svg.slice(0, 6000);
  const m = new RegExp(`<text [^>]*class="${name}"[^>]*>([^<]*)</text>`).exec(head);
  if (!m) return '';
  return m[1].replace(/&(amp|lt|gt|quot|apos);/g, (_, e) => ENTITIES[e]);
}

// The chart's title as the drawing shows it: the title line and, when the
// description gives one, the subtitle.
export function drawingTitle(svg) {
  return { title: headerText(svg, 'title'), subtitle: headerText(svg, 'subtitle') };
}

export class DrawingPane {
  // scroller: the element that scrolls the drawing; onZoom(percent, fitted)
  // hears of every change of the scale.
  constructor(scroller, { onZoom }) {
    this.scroller = scroller;
    this.onZoom = onZoom;
    this.image = null;
    this.url = '';
    this.size = { width: 0, height: 0 };
    this.fitted = true;
    this.zoom = 1;
    this.pending = Promise.resolve();
    new ResizeObserver(() => { if (this.fitted) this.fit(); }).observe(scroller);
    scroller.addEventListener('wheel', (event) => {
      if (!event.ctrlKey) return;
      event.preventDefault();
      this.zoomBy(event.deltaY < 0 ? ZOOM_STEP : 1 / ZOOM_STEP, event);
    }, { passive: false });
  }

  // Shows the drawing; resolves once it is on screen. Calls made while an
  // earlier drawing is still decoding are shown in order.
  show(svgBytes, svg, name) {
    const size = drawingSize(svg);
    const url = URL.createObjectURL(new Blob([svgBytes], { type: 'image/svg+xml' }));
    const image = new Image();
    image.alt = name;
    image.src = url;
    image.draggable = false;
    const decoded = image.decode().catch(() => {});
    this.pending = Promise.all([this.pending, decoded]).then(() => {
      if (this.image) this.image.replaceWith(image); else this.scroller.append(image);
      if (this.url) URL.revokeObjectURL(this.url);
      this.image = image;
      this.url = url;
      this.size = size;
      if (this.fitted) this.fit(); else this.apply();
    });
    return this.pending;
  }

  // The image on screen and its size, for the PNG export.
  current() {
    return { image: this.image, ...this.size };
  }

  fit() {
    const { width, height } = this.size;
    if (!width || !height) return;
    const room = this.scroller.getBoundingClientRect();
    const scale = Math.min((room.width - 24) / width, (room.height - 24) / height);
    this.fitted = true;
    this.zoom = Math.min(Math.max(scale, MIN_ZOOM), MAX_ZOOM);
    this.apply();
  }

  setZoom(zoom, around) {
    const old = this.zoom;
    this.fitted = false;
    this.zoom = Math.min(Math.max(zoom, MIN_ZOOM), MAX_ZOOM);
    // Keep the point under the pointer (or the centre) where it was.
    const box = this.scroller.getBoundingClientRect();
    const px = around ? around.clientX - box.left : box.width / 2;
    const py = around ? around.clientY - box.top : box.height / 2;
    const x = (this.scroller.scrollLeft + px) / old;
    const y = (this.scroller.scrollTop + py) / old;
    this.apply();
    this.scroller.scrollLeft = x * this.zoom - px;
    this.scroller.scrollTop = y * this.zoom - py;
  }

  zoomBy(factor, around) {
    this.setZoom(this.zoom * factor, around);
  }

  apply() {
    if (this.image) {
      this.image.style.width = `${Math.round(this.size.width * this.zoom)}px`;
      this.image.style.height = `${Math.round(this.size.height * this.zoom)}px`;
    }
    this.onZoom(Math.round(this.zoom * 100), this.fitted);
  }
}
