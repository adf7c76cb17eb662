// Share links: the whole description in the address's fragment, which
// browsers never send to a server.
//
// Version 1, "#v1:" followed by the description's UTF-8 bytes compressed
// with raw DEFLATE (RFC 1951, CompressionStream "deflate-raw") and written
// in base64url without padding (RFC 4648, section 5). Every later version
// of the page must still read v1 links exactly so; a new form gets a new
// version number.

export const SHARE_PREFIX = '#v1:';

async function throughStream(bytes, stream) {
  const out = new Blob([bytes]).stream().pipeThrough(stream);
  return new Uint8Array(await new Response(out).arrayBuffer());
}

function toBase64Url(bytes) {
  let binary = '';
  for (let i = 0; i < bytes.length; i += 0x8000) {
    binary += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
  }
  return btoa(binary).replace(/\+/g, '-').replace(/\//g, '_').replace(/=+$/, '');
}

function fromBase64Url(text) {
  if (!/^[A-Za-z0-9_-]*$/.test(text) || text.length % 4 === 1) return null;
  const binary = atob(text.replace(/-/g, '+').replace(/_/g, '/'));
  const bytes = new Uint8Array(binary.length);
  for (let i = 0; i < binary.length; i++) bytes[i] = binary.charCodeAt(i);
  return bytes;
}

// The fragment ("#v1:...") that holds text.
export async function shareFragment(text) {
  const packed = await throughStream(new TextEncoder().encode(text),
    new CompressionStream('deflate-raw'));
  return SHARE_PREFIX + toBase64Url(packed);
}

// What a fragment holds: { text } for a readable link, { error: 'damaged' }
// for a v1 link that cannot be read, { error: 'version', version } for a
// version this page does not know, or null for a fragment that is no
// share link at all.
export async function readShareFragment(fragment) {
  const m = /^#v(\d+):(.*)$/s.exec(fragment);
  if (!m) return null;
  if (m[1] !== '1') return { error: 'version', version: `v${m[1]}` };
  const packed = fromBase64Url(m[2]);
  if (packed === null) return { error: 'damaged' };
  try {
    const bytes = await throughStream(packed, new DecompressionStream('deflate-raw'));
    return { text: new TextDecoder('utf-8', { fatal: true }).decode(bytes) };
  } catch {
    return { error: 'damaged' };
  }
}
