// The drawing pane: shows the SVG the converter made, scaled to fit or
// zoomed, and changes it in place on every new drawing, so it never goes
// blank while the text is typed.
//
// The SVG is put into the page (a shadow root of its own, so its ids and
// style sheet and the page's never meet) one top-level element at a time:
// a new drawing replaces only the elements that differ from the one on
// screen. Typing in one box redraws that box, not the other hundred, which
// keeps an edit of the largest drawing within a frame or two. The bytes
// the page saves and downloads are the converter's own; what is shown is
// built from the same text, and the chart's title is its accessible name.

const SVG_NS = 'http://www.w3.org/2000/svg';
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

// Splits an SVG document into its root element's start tag and the source
// text of each node directly inside the root (elements and comments; the
// white space between them shows nothing). Null when the text is not laid
// out so (then the whole document is parsed at once).
export function splitDrawing(svg) {
  const open = svg.indexOf('<svg');
  const openEnd = svg.indexOf('>', open);
  if (open < 0 || openEnd < 0) return null;
  const nodes = [];
  let depth = 0;
  let start = -1;
  let at = openEnd + 1;
  for (;;) {
    const lt = svg.indexOf('<', at);
    if (lt < 0) return null;
    let end;
    let step = 0;
    if (svg.startsWith('<!--', lt)) {
      end = svg.indexOf('-->', lt + 4) + 3;
      if (end < 3) return null;
    } else if (svg.startsWith('<![CDATA[', lt)) {
      end = svg.indexOf(']]>', lt + 9) + 3;
      if (end < 3) return null;
    } else {
      end = svg.indexOf('>', lt) + 1;
      if (end < 1) return null;
      if (svg[lt + 1] === '/') step = -1;
      else if (svg[end - 2] !== '/') step = 1;
    }
    if (depth === 0) {
      if (step === -1) {
        // The root's own end tag: only white space may follow.
        return /^\s*$/.test(svg.slice(end)) ? { root: svg.slice(open, openEnd + 1), nodes } : null;
      }
      start = lt;
    }
    depth += step;
    if (depth < 0) return null;
    if (depth === 0) nodes.push(svg.slice(start, end));
    at = end;
  }
}

// The nodes of an SVG fragment, parsed in the SVG namespace; null when it
// is not well-formed.
function parseNodes(text) {
  const doc = new DOMParser().parseFromString(`<svg xmlns="${SVG_NS}">${text}</svg>`, 'image/svg+xml');
  if (doc.getElementsByTagName('parsererror').length) return null;
  return [...doc.documentElement.childNodes];
}

export class DrawingPane {
  // scroller: the element that scrolls the drawing; onZoom(percent, fitted)
  // hears of every change of the scale.
  constructor(scroller, { onZoom }) {
    this.scroller = scroller;
    this.onZoom = onZoom;
    this.host = document.createElement('div');
    this.host.className = 'figure';
    this.host.setAttribute('role', 'img');
    this.root = this.host.attachShadow({ mode: 'open' });
    const sheet = new CSSStyleSheet();
    sheet.replaceSync(
      ':host { display: block; }\n' +
      'svg { display: block; margin: 0 auto; background: #ffffff; }\n' +
      '@media print { svg { width: 100% !important; height: auto !important; margin: 0; } }');
    this.root.adoptedStyleSheets = [sheet];
    this.svg = null;        // the root element on screen
    this.rootTag = '';      // its start tag as the converter wrote it
    this.sources = [];      // the source of each node inside it, in order
    this.size = { width: 0, height: 0 };
    this.fitted = true;
    this.zoom = 1;
    new ResizeObserver(() => { if (this.fitted) this.fit(); }).observe(scroller);
    scroller.addEventListener('wheel', (event) => {
      if (!event.ctrlKey) return;
      event.preventDefault();
      this.zoomBy(event.deltaY < 0 ? ZOOM_STEP : 1 / ZOOM_STEP, event);
    }, { passive: false });
  }

  // Shows the drawing (the SVG as text) under the accessible name.
  show(svg, name) {
    const split = splitDrawing(svg);
    if (!split || !this.update(split)) this.replaceWhole(svg);
    this.host.setAttribute('aria-label', name);
    if (!this.host.isConnected) this.scroller.append(this.host);
    this.size = drawingSize(svg);
    if (this.fitted) this.fit(); else this.apply();
  }

  // Replaces the nodes that changed; false when the new ones cannot be
  // parsed on their own. The root element's children are always exactly
  // the nodes of this.sources, in order.
  update({ root, nodes }) {
    if (!this.svg || root !== this.rootTag) {
      const doc = new DOMParser().parseFromString(`${root}</svg>`, 'image/svg+xml');
      const made = doc.documentElement;
      if (doc.getElementsByTagName('parsererror').length || made.namespaceURI !== SVG_NS) return false;
      const svg = document.createElementNS(SVG_NS, 'svg');
      for (const { name, value } of made.attributes) svg.setAttribute(name, value);
      if (this.svg && this.rootTag) svg.append(...this.svg.childNodes); else this.sources = [];
      this.place(svg);
      this.rootTag = root;
    }
    const old = this.sources;
    let head = 0;
    while (head < old.length && head < nodes.length && old[head] === nodes[head]) head++;
    let tail = 0;
    while (tail < old.length - head && tail < nodes.length - head &&
           old[old.length - 1 - tail] === nodes[nodes.length - 1 - tail]) tail++;
    const count = nodes.length - head - tail;
    const fresh = parseNodes(nodes.slice(head, head + count).join(''));
    if (fresh === null || fresh.length !== count) return false;
    const children = this.svg.childNodes;
    for (let i = old.length - tail - 1; i >= head; i--) children[i].remove();
    const fragment = document.createDocumentFragment();
    for (const node of fresh) fragment.append(document.importNode(node, true));
    this.svg.insertBefore(fragment, children[head] ?? null);
    this.sources = nodes;
    return true;
  }

  // Parses and shows the whole document (a drawing not laid out as the
  // converter lays it out).
  replaceWhole(svg) {
    const doc = new DOMParser().parseFromString(svg, 'image/svg+xml');
    const svgRoot = doc.documentElement;
    if (svgRoot.namespaceURI !== SVG_NS) return;
    this.place(document.importNode(svgRoot, true));
    this.rootTag = '';
    this.sources = [];
  }

  place(svg) {
    if (this.svg) this.svg.replaceWith(svg); else this.root.append(svg);
    this.svg = svg;
  }

  // The size of the drawing on screen.
  current() {
    return { ...this.size };
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
    if (this.svg) {
      this.svg.style.width = `${Math.round(this.size.width * this.zoom)}px`;
      this.svg.style.height = `${Math.round(this.size.height * this.zoom)}px`;
    }
    this.onZoom(Math.round(this.zoom * 100), this.fitted);
  }
}

// The drawing as an image (from its bytes), for the PNG export.
export async function drawingImage(svgBytes) {
  const url = URL.createObjectURL(new Blob([svgBytes], { type: 'image/svg+xml' }));
  try {
    const image = new Image();
    image.src = url;
    await image.decode();
    return image;
  } finally {
    URL.revokeObjectURL(url);
  }
}
