# Writes a minimal Qt translation file for the resource tests (no lrelease
# on the build machines): python3 mkqm.py fr_FR.qm
import struct, sys
def elf(data, h=0):
    for c in data:
        h = ((h << 4) + c) & 0xffffffff
        g = h & 0xf0000000
        if g: h ^= g >> 24
        h &= ~g & 0xffffffff
    return h
def qm(msgs):
    body = b''; hashes = []
    for ctx, src, tr in msgs:
        off = len(body)
        t = tr.encode('utf-16-be')
        body += bytes([3]) + struct.pack('>I', len(t)) + t
        body += bytes([6]) + struct.pack('>I', len(src)) + src
        body += bytes([7]) + struct.pack('>I', len(ctx)) + ctx
        body += bytes([1])
        h = elf(src); h = h or 1
        hashes.append((h, off))
    hashes.sort()
    hb = b''.join(struct.pack('>II', h, o) for h, o in hashes)
    magic = bytes([0x3c,0xb8,0x64,0x18,0xca,0xef,0x9c,0x95,0xcd,0x21,0x1c,0xbf,0x60,0xa1,0xbd,0xdd])
    return magic + bytes([0x42]) + struct.pack('>I', len(hb)) + hb + bytes([0x69]) + struct.pack('>I', len(body)) + body
# One message, "Copy" in the context "MainWindow", translated to "Copier".
open(sys.argv[1], "wb").write(qm([(b"MainWindow", b"Copy", "Copier")]))
